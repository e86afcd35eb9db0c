// The OS boundary: the one place where a library path (CP932, either
// separator) becomes a native one (UTF-8, '/'), and a native name becomes
// a library text again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorl::host {

// Nothing when the path has no native form; callers treat that as a file
// that cannot be found, with their own error code. Where the CP932 text
// stands for two Unicode forms (〜 and ～, and five more), the form that
// exists on disk is taken.
std::optional<std::string> ToNativePath(std::string_view libraryPath);

// Nothing when the native name has no CP932 form.
std::optional<std::string> FromNativeName(std::string_view nativeName);

// A library path as the system opens it, as a library text again: '/'
// separators and the form found on disk. The path as it stands when it has
// no native form.
std::string AsOpened(std::string_view libraryPath);

// The nearest folder that exists on the way to a library path that does
// not, as AsOpened gives it: the folder whose listing changes when the
// missing file (or the first missing folder above it) appears.
std::string NearestExistingFolder(std::string_view libraryPath);

// The folder that holds a native name: "." for a bare name, "/" at the root.
std::string NativeFolderOf(const std::string &native);

// The current folder as a native name; nothing when it cannot be told.
std::optional<std::string> NativeCurrentFolder();

}  // namespace vorl::host

// Reading a private profile file ("vorlmake.ini"): sections in brackets,
// "key=value" lines, names compared without regard to case, the quotes
// around the whole value removed. The value comes whole: its limit of 255
// bytes counts code-page bytes, so the caller cuts it after recoding.
#pragma once

#include <string>
#include <string_view>

namespace vorlmake {

constexpr size_t kProfileValueLimit = 255;

std::string ReadProfileString(std::string_view content, std::string_view section, std::string_view key,
                              const std::string &fallback);

// The content with `key` of `section` set to `value`: the key's line is
// replaced where it stands, or added at the end of its section, or the
// section is added at the end. Every other line stays as it was. A value
// with blanks or quotes at its ends is written in double quotes, which
// ReadProfileString removes again.
std::string WriteProfileString(std::string_view content, std::string_view section, std::string_view key,
                               std::string_view value);

}  // namespace vorlmake

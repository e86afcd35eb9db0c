#include "native_path.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "ambiguous_names.h"
#include "code_page.h"

namespace vorl::host {

std::optional<std::string> ToNativePath(std::string_view libraryPath)
{
    // The separators are swapped after decoding: in CP932 the byte 0x5C can
    // be the second half of a character, in UTF-8 it is always '\'.
    auto native = Cp932ToUtf8(libraryPath);
    if (!native || native->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::replace(native->begin(), native->end(), '\\', '/');
    if (!common::HoldsAmbiguousForm(*native)) {
        return native;  // nothing to look for on disk
    }
    return common::FindExistingForm(*native);
}

std::optional<std::string> FromNativeName(std::string_view nativeName)
{
    return Utf8ToCp932(nativeName);
}

std::string AsOpened(std::string_view libraryPath)
{
    auto native = ToNativePath(libraryPath);
    auto text = native ? FromNativeName(*native) : std::nullopt;
    return text ? *text : std::string(libraryPath);
}

std::string NearestExistingFolder(std::string_view libraryPath)
{
    auto native = ToNativePath(libraryPath);
    if (!native) {
        return std::string(libraryPath);
    }
    std::string folder = *native;
    struct stat status {};
    do {
        folder = NativeFolderOf(folder);
    } while (folder != "." && folder != "/" && (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)));
    auto text = FromNativeName(folder);
    return text ? *text : folder;
}

std::string NativeFolderOf(const std::string &native)
{
    size_t slash = native.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
}

std::optional<std::string> NativeCurrentFolder()
{
    std::vector<char> here(PATH_MAX + 1);
    if (::getcwd(here.data(), here.size()) == nullptr) {
        return std::nullopt;
    }
    return std::string(here.data());
}

}  // namespace vorl::host

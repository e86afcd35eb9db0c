#include "native_path.h"

#include <algorithm>

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

}  // namespace vorl::host

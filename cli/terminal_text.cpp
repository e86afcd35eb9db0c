#include "terminal_text.h"

#include "recode_text.h"

namespace vorlcnv {

std::optional<std::string> ToLibraryText(std::string_view utf8)
{
    return vorl::common::Utf8ToCp932(utf8);
}

std::string ToTerminalText(std::string_view cp932)
{
    // A text the library made is valid CP932; anything else is shown as is.
    return vorl::common::Cp932ToUtf8(cp932).value_or(std::string(cp932));
}

}  // namespace vorlcnv

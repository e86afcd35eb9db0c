#include "code_page.h"

#include "recode_text.h"

namespace vorl::host {

std::optional<std::string> Cp932ToUtf8(std::string_view cp932)
{
    return common::Cp932ToUtf8(cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    return common::Utf8ToCp932(utf8);
}

}  // namespace vorl::host

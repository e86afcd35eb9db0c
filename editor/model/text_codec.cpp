#include "text_codec.h"

#include "recode_text.h"

namespace vorlmake {

std::optional<std::string> Cp932ToUtf8(std::string_view cp932)
{
    return vorl::common::Cp932ToUtf8(cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    return vorl::common::Utf8ToCp932(utf8);
}

}  // namespace vorlmake

// Code page 932 (Shift-JIS) text: every text inside the library is a CP932
// byte string; the host's own texts (file names, terminal) are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorl::host {

// Both return nothing when the text has no form in the other encoding.
// The conversion goes through iconv; the process locale is never touched.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// A byte that opens a two-byte CP932 character.
constexpr bool IsSjisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace vorl::host

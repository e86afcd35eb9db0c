// Texts between the block (CP932) and the XML project (UTF-8).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorl {

// One element text from the document. Invalid UTF-8 makes the whole text
// empty; a leading byte-order mark is skipped; characters without a CP932
// form (four-byte sequences among them) are dropped.
std::string Utf8ToSjis(std::string_view utf8);

// A block text for the document; nothing when it is not valid CP932 or
// is empty.
std::optional<std::string> SjisToUtf8(std::string_view sjis);

// Replaces the single-byte characters that XML text cannot carry as they
// are (tab, line feed, carriage return, double quote, ampersand, less-than,
// greater-than) by references; two-byte characters pass unchanged.
std::string EscapeXmlText(std::string_view sjis);

}  // namespace vorl

// Texts between the block (CP932) and the XML project (UTF-8).
//
// A text goes into the document only in a form that reads back as the same
// bytes. XML 1.0 cannot carry the control characters 0x01 to 0x1F other
// than tab, line feed and carriage return, not even as character
// references, and some CP932 bytes have no character at all (a lone lead
// byte, 0x80, 0xA0, 0xFD to 0xFF); a few CP932 codes stand for the same
// character as another code and read back as that one (the NEC and IBM
// duplicates, such as 0xED40 and 0xFA5C). Such a text is refused, and with
// it the save, rather than written as another text. There is no private
// escape for them: a file that another reader of the format takes for a
// different text, or a different file name, is worse than a save that
// says it cannot be made.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorl {

// One element text from the document, in CP932. Nothing when the UTF-8 is
// broken or a character has no CP932 form (four-byte sequences among
// them): a text is never stored with characters left out. A leading
// byte-order mark is skipped.
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

// An entry's file name from the document. A character without a CP932
// form becomes the byte 0x80, which no CP932 text holds: the name then has
// no native form, so opening it fails as a file that cannot be found, and
// it can never name another file (café.bin is not caf.bin). Nothing when
// the UTF-8 is broken.
std::optional<std::string> Utf8ToSjisName(std::string_view utf8);

// A block text for the document; nothing when it is not valid CP932 or
// is empty.
std::optional<std::string> SjisToUtf8(std::string_view sjis);

// Replaces the single-byte characters that XML text cannot carry as they
// are (tab, line feed, carriage return, double quote, ampersand, less-than,
// greater-than) by references; two-byte characters pass unchanged.
std::string EscapeXmlText(std::string_view sjis);

// The escaped UTF-8 content of an element for a block text (empty for an
// empty text); nothing when the text would not read back as the same
// bytes (see above).
std::optional<std::string> DocumentText(std::string_view sjis);

}  // namespace vorl

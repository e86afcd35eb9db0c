#include "xml_text.h"

#include "code_page.h"

namespace vorl {
namespace {

// The length of the UTF-8 sequence starting at `at`, or 0 when it is not
// a well-formed one.
size_t SequenceLength(std::string_view text, size_t at)
{
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool IsByteOrderMark(std::string_view character)
{
    return character == "\xEF\xBB\xBF" || character == "\xEF\xBF\xBE";
}

// Converts character by character; `unknown` stands in for a character
// without a CP932 form, or nothing refuses the whole text.
std::optional<std::string> ConvertEach(std::string_view utf8, std::optional<char> unknown)
{
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        size_t length = SequenceLength(utf8, at);
        if (length == 0) {
            return std::nullopt;
        }
        std::string_view character = utf8.substr(at, length);
        bool leadingMark = at == 0 && IsByteOrderMark(character);
        at += length;
        if (leadingMark) {
            continue;
        }
        auto converted = length == 4 ? std::nullopt : host::Utf8ToCp932(character);
        if (converted) {
            out += *converted;
        } else if (unknown) {
            out.push_back(*unknown);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// The byte that stands in a file name for a character without a CP932
// form: not a character of CP932, so the name has no native form.
constexpr char kNoCharacter = '\x80';

std::optional<std::string> Convert(std::string_view utf8, std::optional<char> unknown)
{
    bool startsWithMark = utf8.size() >= 3 && IsByteOrderMark(utf8.substr(0, 3));
    if (!startsWithMark) {
        // Most texts convert whole; only the others go character by
        // character.
        if (auto whole = host::Utf8ToCp932(utf8)) {
            return whole;
        }
    }
    return ConvertEach(utf8, unknown);
}

}  // namespace

std::optional<std::string> Utf8ToSjis(std::string_view utf8)
{
    return Convert(utf8, std::nullopt);
}

std::optional<std::string> Utf8ToSjisName(std::string_view utf8)
{
    return Convert(utf8, kNoCharacter);
}

std::optional<std::string> SjisToUtf8(std::string_view sjis)
{
    auto converted = host::Cp932ToUtf8(sjis);
    if (!converted || converted->empty()) {
        return std::nullopt;
    }
    return converted;
}

std::string EscapeXmlText(std::string_view sjis)
{
    std::string out;
    out.reserve(sjis.size());
    for (size_t i = 0; i < sjis.size(); ++i) {
        char c = sjis[i];
        if (host::IsSjisLeadByte(static_cast<unsigned char>(c)) && i + 1 < sjis.size()) {
            out.append(sjis.substr(i, 2));
            ++i;
            continue;
        }
        switch (c) {
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out.push_back(c);
                break;
        }
    }
    return out;
}

std::optional<std::string> DocumentText(std::string_view sjis)
{
    for (char c : sjis) {
        // No trail byte is below 0x40, so a control byte is one wherever
        // it stands.
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
            return std::nullopt;
        }
    }
    if (sjis.empty()) {
        return std::string();
    }
    auto plain = host::Cp932ToUtf8(sjis);
    if (!plain || host::Utf8ToCp932(*plain) != std::optional<std::string>(sjis)) {
        return std::nullopt;
    }
    return SjisToUtf8(EscapeXmlText(sjis));
}

}  // namespace vorl

// Messages in the character set the locale names (ja_JP.eucJP,
// en_US.ISO-8859-1), read from the environment without setting the process
// locale. Texts stay UTF-8, byte for byte, when the locale names UTF-8 or
// no character set at all.
#pragma once

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace vorl::common {

// `valueOf(name)` gives an environment variable's value or null. The
// character set of the first of LC_ALL, LC_CTYPE and LANG that is set, when
// it names one other than UTF-8; else nothing.
template <typename ValueOf>
std::optional<std::string> NamedNonUtf8Charset(ValueOf valueOf)
{
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = valueOf(name);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        std::string_view locale(value);
        size_t dot = locale.find('.');
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view charset = locale.substr(dot + 1);
        charset = charset.substr(0, charset.find('@'));
        std::string folded;
        for (char c : charset) {
            if (c != '-' && c != '_') {
                folded += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            }
        }
        if (folded.empty() || folded == "utf8") {
            return std::nullopt;
        }
        return std::string(charset);
    }
    return std::nullopt;
}

// UTF-8 text in `charset`, each character it cannot hold as '?'; the text
// as it is when iconv does not know the set.
inline std::string Utf8InCharset(std::string_view utf8, const std::string &charset)
{
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(utf8);
    }
    std::string out;
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char buffer[256];
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (done != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // A character the set cannot hold, or a broken sequence: one '?'
        // for the whole character.
        auto lead = static_cast<unsigned char>(*in);
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        length = length < inLeft ? length : inLeft;
        in += length;
        inLeft -= length;
        out += '?';
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    iconv_close(cd);
    return out;
}

// A message as the program's terminal takes it.
inline std::string InLocaleCharset(std::string_view utf8)
{
    static const std::optional<std::string> charset =
        NamedNonUtf8Charset([](const char *name) { return std::getenv(name); });
    return charset ? Utf8InCharset(utf8, *charset) : std::string(utf8);
}

}  // namespace vorl::common

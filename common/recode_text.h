// Turning a text from one encoding into another through iconv, without
// ever touching the process locale. Header-only and free of any project
// code, so every deliverable can use it and still stand alone.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace vorl::common {

// Nothing when the text has no form in the target encoding (or the pair is
// unknown). A CP932 character takes at most 3 UTF-8 bytes and no encoding
// used here needs more than 4 bytes per input byte.
inline std::optional<std::string> RecodeText(const char *to, const char *from, std::string_view text)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(text.size() * 4 + 4, '\0');
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char *outPtr = out.data();
    size_t outLeft = out.size();
    bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0 &&
              iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

// Both encodings hold ASCII as it is: most names need no converter at all.
inline bool IsPlainAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

inline std::optional<std::string> Cp932ToUtf8(std::string_view cp932)
{
    return IsPlainAscii(cp932) ? std::optional<std::string>(cp932) : RecodeText("UTF-8", "CP932", cp932);
}

inline std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    return IsPlainAscii(utf8) ? std::optional<std::string>(utf8) : RecodeText("CP932", "UTF-8", utf8);
}

}  // namespace vorl::common

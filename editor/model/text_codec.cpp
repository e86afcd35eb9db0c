#include "text_codec.h"

#include <iconv.h>

namespace vorlmake {
namespace {

std::optional<std::string> Recode(const char *to, const char *from, std::string_view text)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(text.size() * 3 + 4, '\0');
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char *outPtr = out.data();
    size_t outLeft = out.size();
    bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932)
{
    return Recode("UTF-8", "CP932", cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    return Recode("CP932", "UTF-8", utf8);
}

}  // namespace vorlmake

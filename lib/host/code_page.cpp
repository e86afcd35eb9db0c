#include "code_page.h"

#include <iconv.h>

#include <algorithm>

namespace vorl::host {
namespace {

// Every path of a conversion passes through here, some more than once:
// opening a converter descriptor per text cost more than the file access
// itself when thousands of small files were packed. Each thread keeps its
// own, as iconv's state is not to be shared.
class Recoder {
public:
    Recoder(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Recoder()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    Recoder(const Recoder &) = delete;
    Recoder &operator=(const Recoder &) = delete;

    // A CP932 character takes at most 3 UTF-8 bytes and no text here needs
    // more than 4 bytes per input byte.
    std::optional<std::string> Recode(std::string_view text)
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            return std::nullopt;
        }
        // A failure part-way leaves a shift state behind: start afresh.
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(text.size() * 4 + 4, '\0');
        char *in = const_cast<char *>(text.data());
        size_t inLeft = text.size();
        char *outPtr = out.data();
        size_t outLeft = out.size();
        bool ok = iconv(cd_, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0 &&
                  iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
        if (!ok) {
            return std::nullopt;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t cd_;
};

// Below 0x80 CP932 and UTF-8 are both ASCII, byte for byte (0x5C and 0x7E
// included, as iconv maps them), so most paths need no converting at all.
bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932)
{
    if (IsAscii(cp932)) {
        return std::string(cp932);
    }
    thread_local Recoder recoder("UTF-8", "CP932");
    return recoder.Recode(cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    thread_local Recoder recoder("CP932", "UTF-8");
    return recoder.Recode(utf8);
}

}  // namespace vorl::host

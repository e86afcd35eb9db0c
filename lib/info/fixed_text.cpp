#include "fixed_text.h"

#include "code_page.h"

namespace vorl {

std::string_view WholeCharactersWithin(std::string_view text, size_t limit)
{
    size_t end = 0;
    while (end < text.size()) {
        bool twoBytes = host::IsSjisLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size();
        size_t next = end + (twoBytes ? 2 : 1);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

int PutPathResult(const std::string &result, char *out, int size)
{
    if (out == nullptr || size <= 0) {
        return 0;
    }
    size_t room = static_cast<size_t>(size);
    size_t copied = result.size() < room ? result.size() : room - 1;
    std::memcpy(out, result.data(), copied);
    out[copied] = '\0';
    return result.size() < room ? 1 : 0;
}

}  // namespace vorl

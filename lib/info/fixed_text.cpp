#include "fixed_text.h"

namespace vorl {

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

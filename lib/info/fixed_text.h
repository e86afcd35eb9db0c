// Texts in the block's fixed-width fields. A field is read only up to its
// width, so a field that a caller left without its NUL is never over-read,
// and a text is stored only when it fits with its NUL.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace vorl {

template <size_t N>
std::string_view FieldText(const char (&field)[N])
{
    return std::string_view(field, strnlen(field, N));
}

// Stores `text` when it fits the field with its NUL; the field is left as
// it was otherwise.
template <size_t N>
bool StoreFieldText(char (&field)[N], std::string_view text)
{
    if (text.size() >= N || text.find('\0') != std::string_view::npos) {
        return false;
    }
    if (!text.empty()) {  // an empty view may carry no pointer at all
        std::memcpy(field, text.data(), text.size());
    }
    std::memset(field + text.size(), 0, N - text.size());
    return true;
}

// The longest start of `text` of at most `limit` CP932 bytes that ends
// between two characters. A text cut to fit its field never keeps the
// first byte of a character without its second: a lone lead byte would
// read as half a character, and pair with whatever text is put after it.
std::string_view WholeCharactersWithin(std::string_view text, size_t limit);

// Puts a path result into a caller's buffer of `size` bytes: 1 when all of
// it fits with its NUL, else 0 with as much as fits, still NUL-terminated.
int PutPathResult(const std::string &result, char *out, int size);

}  // namespace vorl

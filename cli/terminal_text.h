// The terminal speaks UTF-8; the library speaks CP932.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vorlcnv {

// A text field of the library's records (CP932): up to its NUL, or the
// whole field when it has none.
template <size_t N>
std::string_view FieldOf(const char (&field)[N])
{
    return std::string_view(field, strnlen(field, N));
}

std::optional<std::string> ToLibraryText(std::string_view utf8);
std::string ToTerminalText(std::string_view cp932);

}  // namespace vorlcnv

// printf-style formatting of vorlcnv's one-line messages.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vorlcnv {

inline std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));

inline std::string Format(const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

inline std::string Decimal(uint64_t value)
{
    return std::to_string(value);
}

}  // namespace vorlcnv

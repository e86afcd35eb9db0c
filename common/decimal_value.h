// Numbers in texts read the way C's atoi reads them, for the library's
// project and command-line texts and for the tools that must read them
// alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorl::common {

// Leading white space, an optional sign, then digits up to the first other
// character; no digits gives 0. The value is taken modulo 2^32 as a signed
// 32-bit number, so "-1" and "4294967295" both give the bits 0xFFFFFFFF.
inline int32_t DecimalValue(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    // Unsigned arithmetic wraps, which is the modulo the value is kept in.
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace vorl::common

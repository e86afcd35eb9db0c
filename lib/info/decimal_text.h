// Numbers in project texts, read the way C's atoi reads them.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorl {

// Leading white space, an optional sign, then digits up to the first other
// character; no digits gives 0. The value is taken modulo 2^32 as a signed
// 32-bit number, so "-1" and "4294967295" both give the bits 0xFFFFFFFF,
// the way the project writer prints values of 2^31 and more.
int32_t ReadDecimal(std::string_view text);

}  // namespace vorl

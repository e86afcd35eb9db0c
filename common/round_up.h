// Sizes rounded up to a whole number of alignment units: the packer's
// items, the index's rows and padding, and the editor's sizes all step
// the same way.
#pragma once

#include <cstdint>

namespace vorl::common {

// The smallest multiple of `multiple` that is not below `value`; a
// multiple of 0 is taken as 1. The remainder is added rather than
// value + multiple - 1 divided, so that no sum runs past 64 bits while the
// result still fits; a result that does not fit gives UINT64_MAX, larger
// than any size a check lets through, rather than a small wrapped one.
constexpr uint64_t RoundUp(uint64_t value, uint64_t multiple)
{
    if (multiple <= 1) {
        return value;
    }
    const uint64_t remainder = value % multiple;
    if (remainder == 0) {
        return value;
    }
    const uint64_t step = multiple - remainder;
    return value > UINT64_MAX - step ? UINT64_MAX : value + step;
}

}  // namespace vorl::common

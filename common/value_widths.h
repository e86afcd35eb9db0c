// The widths of index and alias values, and which slot of the block's
// `type` texts names the C type of each: the command line fills a slot,
// the C header text reads it back, the conversion refuses other widths and
// the editor offers these, all by this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorl::common {

// In the order of the `type` slots and of the editor's width choices.
constexpr std::array<int32_t, 4> kValueWidths = {1, 2, 4, 8};

// The position of `width` among kValueWidths, which is also its `type`
// slot; -1 for a width that is none of them.
constexpr int WidthChoice(int32_t width)
{
    for (size_t i = 0; i < kValueWidths.size(); ++i) {
        if (kValueWidths[i] == width) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

constexpr bool IsValueWidth(int32_t width)
{
    return WidthChoice(width) >= 0;
}

// The `type` slot holding the C type name for values of `width`; -1 when
// no slot does.
constexpr int TypeSlotOf(int32_t width)
{
    return WidthChoice(width);
}

}  // namespace vorl::common

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

// Whether an alias (as the row stores it: its lower 32 bits) can be written
// at an alias table of `width` bytes: the 1- and 2-byte tables take the
// signed or the unsigned range (-1 is all ones), the 4- and 8-byte tables
// any alias. An alias is refused rather than cut.
constexpr bool AliasFitsWidth(int64_t alias, int32_t width)
{
    if (width >= 4) {
        return true;
    }
    const auto value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(alias)));
    const int64_t highest = (int64_t{1} << (8 * width)) - 1;
    const int64_t lowest = -(int64_t{1} << (8 * width - 1));
    return value >= lowest && value <= highest;
}

// The narrowest alias width that holds the alias.
constexpr int32_t NarrowestAliasWidth(int64_t alias)
{
    for (int32_t width : kValueWidths) {
        if (AliasFitsWidth(alias, width)) {
            return width;
        }
    }
    return 8;
}

}  // namespace vorl::common

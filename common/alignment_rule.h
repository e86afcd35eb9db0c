// Which alignments an index mode takes. The conversion refuses a block by
// this rule, the library's command line keeps an "-a" value by it, and
// vorlcnv refuses a line by it before anything runs, so a line that passes
// the check is never refused by the conversion for its alignment.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorl::common {

// The settings front ends never go past it, and the binary index's format
// word counts halvings in four bits.
constexpr int32_t kLargestAlignment = 4096;

// The two modes whose binary index states the alignment in its format word
// (prefixed to the data, or in a header file of its own).
constexpr bool StatesAlignment(int32_t indexMode)
{
    return indexMode == 0 || indexMode == 2;
}

// Every mode needs at least 1 (a unit of 0 bytes divides by zero). The
// format word stores a count of halvings: only a power of two up to 4096
// reads back as itself, and any other would send a reader of the index to
// the wrong offset of every item.
constexpr bool AcceptsAlignment(int32_t indexMode, int64_t align)
{
    if (align < 1) {
        return false;
    }
    if (!StatesAlignment(indexMode)) {
        return true;
    }
    return align <= kLargestAlignment && (align & (align - 1)) == 0;
}

// What the command line's "-a" makes of its number: rounded down to a
// multiple of 4, 1 below 4, at most 4096. A negative number is passed on
// as it is, for the conversion to refuse.
constexpr int32_t CommandLineAlignment(int32_t value)
{
    if (value < 0) {
        return value;
    }
    const int32_t align = value & ~3;
    if (align == 0) {
        return 1;
    }
    return align > kLargestAlignment ? kLargestAlignment : align;
}

// An "-a" number the command line keeps as it is, whatever the mode.
constexpr bool CommandLineKeepsAlignment(int64_t value)
{
    return value >= 1 && value <= kLargestAlignment && CommandLineAlignment(static_cast<int32_t>(value)) == value;
}

// The values "-a" takes whatever the mode.
constexpr std::string_view kCommandLineAlignments = "1 or a multiple of 4 up to 4096";

// The values "-a" takes in `indexMode`: those the command line keeps and
// the mode accepts.
constexpr bool CommandLineTakesAlignment(int32_t indexMode, int64_t value)
{
    return CommandLineKeepsAlignment(value) && AcceptsAlignment(indexMode, value);
}

// The same values as a text, for the message that refuses another.
constexpr std::string_view CommandLineAlignmentsOf(int32_t indexMode)
{
    return StatesAlignment(indexMode) ? std::string_view("1, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048 or 4096")
                                      : kCommandLineAlignments;
}

}  // namespace vorl::common

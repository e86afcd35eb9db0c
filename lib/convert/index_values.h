// The index values of one conversion, one per output row. Values are held
// in 64 bits so that one too large for the table is caught, never wrapped.
#pragma once

#include <cstdint>
#include <vector>

#include "vorl_cnv.h"

namespace vorl {

// A row without data when the index mode asks for the all-ones marker.
constexpr uint64_t kNoDataMarker = UINT64_MAX;
constexpr uint64_t kLargestIndexValue = 0xFFFFFFFFu;

using IndexValues = std::vector<uint64_t>;

// The value as the 32-bit table holds it: the marker is all ones.
inline uint32_t TableValue(uint64_t value)
{
    return value == kNoDataMarker ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// The marker as a table of `width` bytes holds it. A reader takes every
// value equal to it for a row without data, so no real value may be it.
// Width 8 holds the 32-bit marker in its lower half.
constexpr uint64_t AllOnesOf(int32_t width)
{
    return width == 1 ? 0xFFu : width == 2 ? 0xFFFFu : kLargestIndexValue;
}

// The smallest index width that holds `value` as a real value, 0 when
// none does.
int32_t IndexWidthHolding(uint64_t value);

// The alias of a row: its own below `indexnum`, 0 beyond.
uint64_t AliasValue(const VorlInformation &info, int64_t row);

// Which value a -15 refused, so that the caller can be told what would
// have held it.
struct RangeFailure {
    int32_t row = -1;
    VorlFailureCause cause = VORL_CAUSE_NONE;
    int32_t neededBytes = 0;  // the smallest width that would hold it, 0: none
};

// -15 when a real value (not the marker) does not fit the index width or
// is its all-ones marker, or an alias fits neither the signed nor the
// unsigned range of the alias width; `failure` then says which.
int CheckIndexRange(const VorlInformation &info, const IndexValues &values, RangeFailure &failure);

// The aliases alone, known before anything is packed: a run refuses them
// before its first converter.
int CheckAliasRange(const VorlInformation &info, RangeFailure &failure);

}  // namespace vorl

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

// The alias of a row: its own below `indexnum`, 0 beyond.
uint64_t AliasValue(const VorlInformation &info, int64_t row);

// -15 when a value (not the marker) does not fit the index width, or an
// alias fits neither the signed nor the unsigned range of the alias width.
int CheckIndexRange(const VorlInformation &info, const IndexValues &values);

}  // namespace vorl

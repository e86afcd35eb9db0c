// The binary index: the head (id, row count, format word), the index
// values, the alias values, and in mode 0 the padding up to the alignment.
#pragma once

#include <cstdint>
#include <string>

#include "index_values.h"
#include "row_layout.h"

namespace vorl {

uint16_t FormatWord(const VorlInformation &info);

// Appends `value` at `width` bytes (1, 2, 4 or 8; other widths write
// nothing), least significant byte first unless `mostSignificantFirst`.
void AppendValue(std::string &out, uint64_t value, int width, bool mostSignificantFirst);

std::string BuildBinaryIndex(const VorlInformation &info, const RowLayout &layout, const IndexValues &values);

}  // namespace vorl

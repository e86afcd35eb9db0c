// The shape of the index before anything is packed: how many rows it has
// and how many bytes it takes in front of the data in mode 0.
#pragma once

#include <cstdint>

#include "vorl_cnv.h"

namespace vorl {

enum IndexOut {
    kIndexInFile = VORL_INDEX_IN_DATA,
    kIndexText = VORL_INDEX_C_HEADER,
    kIndexBinary = VORL_INDEX_BINARY,
    kIndexNothing = VORL_INDEX_NONE
};

struct RowLayout {
    int64_t rows = 0;         // R, the index values written
    uint64_t padding = 0;     // P, zero bytes after the binary index in mode 0
    uint64_t indexBytes = 0;  // the binary index: 8 + R x (index + alias width), then P
};

RowLayout ComputeRowLayout(const VorlInformation &info);

}  // namespace vorl

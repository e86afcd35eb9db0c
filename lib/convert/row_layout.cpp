#include "row_layout.h"

#include "round_up.h"

namespace vorl {
namespace {

// Both are positive once the block has passed its checks.
int64_t RoundUp(int64_t value, int64_t multiple)
{
    return static_cast<int64_t>(common::RoundUp(static_cast<uint64_t>(value), static_cast<uint64_t>(multiple)));
}

}  // namespace

RowLayout ComputeRowLayout(const VorlInformation &info)
{
    RowLayout layout;
    layout.rows = RoundUp(info.indexnum, info.indexinterval);
    if (info.indexout != kIndexNothing && info.indexmode == 0) {
        layout.rows += 1;  // the end entry
    }
    bool binary = info.indexout == kIndexInFile || info.indexout == kIndexBinary;
    // The alias table then starts at a multiple of its own width after the
    // 8-byte head of the binary index.
    if (binary && info.indexbyte < info.usealias) {
        layout.rows = RoundUp(layout.rows, info.usealias / info.indexbyte);
    }
    uint64_t tableBytes =
        8 + static_cast<uint64_t>(layout.rows) * static_cast<uint64_t>(info.indexbyte + info.usealias);
    if (info.indexout == kIndexInFile) {
        layout.padding = common::RoundUp(tableBytes, static_cast<uint64_t>(info.dataalign)) - tableBytes;
    }
    layout.indexBytes = tableBytes + layout.padding;
    return layout;
}

}  // namespace vorl

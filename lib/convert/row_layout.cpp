#include "row_layout.h"

namespace vorl {
namespace {

int64_t RoundUp(int64_t value, int64_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
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
    uint64_t tableBytes = 8 + static_cast<uint64_t>(layout.rows) * static_cast<uint64_t>(info.indexbyte + info.usealias);
    if (info.indexout == kIndexInFile) {
        uint64_t align = static_cast<uint64_t>(info.dataalign);
        layout.padding = (align - tableBytes % align) % align;
    }
    layout.indexBytes = tableBytes + layout.padding;
    return layout;
}

}  // namespace vorl

#include "index_values.h"

namespace vorl {

uint64_t AliasValue(const VorlInformation &info, int64_t row)
{
    if (row >= info.indexnum) {
        return 0;
    }
    const IndexEntry &entry = info.entries[row];
    if (info.usealias == 8) {
        return (static_cast<uint64_t>(entry.aliashigh) << 32) | entry.alias;
    }
    return entry.alias;
}

int CheckIndexRange(const VorlInformation &info, const IndexValues &values)
{
    uint64_t largest = kLargestIndexValue;
    if (info.indexbyte == 1) {
        largest = 0xFF;
    } else if (info.indexbyte == 2) {
        largest = 0xFFFF;
    }
    for (uint64_t value : values) {
        if (value != kNoDataMarker && value > largest) {
            return VORL_ERR_INDEX_RANGE;
        }
    }
    // An alias is refused like an index value rather than cut: it must fit
    // the signed or the unsigned range of its width (-1 is all ones).
    if (info.usealias == 1 || info.usealias == 2) {
        const int64_t highest = (int64_t{1} << (8 * info.usealias)) - 1;
        const int64_t lowest = -(int64_t{1} << (8 * info.usealias - 1));
        for (int32_t row = 0; row < info.indexnum; ++row) {
            const auto alias = static_cast<int32_t>(info.entries[row].alias);
            if (alias < lowest || alias > highest) {
                return VORL_ERR_INDEX_RANGE;
            }
        }
    }
    return VORL_OK;
}

}  // namespace vorl

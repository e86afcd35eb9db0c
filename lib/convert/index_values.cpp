#include "index_values.h"

#include "value_widths.h"

namespace vorl {
namespace {

// An alias is refused like an index value rather than cut: it must fit
// the signed or the unsigned range of its width (-1 is all ones). The
// 64-bit alias of width 8, and any alias of width 4, always fit.
bool AliasFits(int64_t alias, int32_t width)
{
    if (width >= 4) {
        return true;
    }
    const int64_t highest = (int64_t{1} << (8 * width)) - 1;
    const int64_t lowest = -(int64_t{1} << (8 * width - 1));
    return alias >= lowest && alias <= highest;
}

}  // namespace

int32_t IndexWidthHolding(uint64_t value)
{
    for (int32_t width : common::kValueWidths) {
        if (value < AllOnesOf(width)) {
            return width;
        }
    }
    return 0;
}

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

int CheckIndexRange(const VorlInformation &info, const IndexValues &values, RangeFailure &failure)
{
    const uint64_t marker = AllOnesOf(info.indexbyte);
    for (size_t row = 0; row < values.size(); ++row) {
        uint64_t value = values[row];
        if (value != kNoDataMarker && value >= marker) {
            failure = {static_cast<int32_t>(row), VORL_CAUSE_INDEX_VALUE, IndexWidthHolding(value)};
            return VORL_ERR_INDEX_RANGE;
        }
    }
    if (info.usealias == 1 || info.usealias == 2) {
        for (int32_t row = 0; row < info.indexnum; ++row) {
            const auto alias = static_cast<int32_t>(info.entries[row].alias);
            if (!AliasFits(alias, info.usealias)) {
                int32_t needed = 0;
                for (int32_t width : common::kValueWidths) {
                    if (AliasFits(alias, width)) {
                        needed = width;
                        break;
                    }
                }
                failure = {row, VORL_CAUSE_ALIAS_VALUE, needed};
                return VORL_ERR_INDEX_RANGE;
            }
        }
    }
    return VORL_OK;
}

}  // namespace vorl

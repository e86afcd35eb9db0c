#include "index_values.h"

#include "value_widths.h"

namespace vorl {

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
    return CheckAliasRange(info, failure);
}

int CheckAliasRange(const VorlInformation &info, RangeFailure &failure)
{
    if (info.usealias == 1 || info.usealias == 2) {
        for (int32_t row = 0; row < info.indexnum; ++row) {
            const int64_t alias = info.entries[row].alias;
            if (!common::AliasFitsWidth(alias, info.usealias)) {
                failure = {row, VORL_CAUSE_ALIAS_VALUE, common::NarrowestAliasWidth(alias)};
                return VORL_ERR_INDEX_RANGE;
            }
        }
    }
    return VORL_OK;
}

}  // namespace vorl

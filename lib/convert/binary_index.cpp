#include "binary_index.h"

#include "value_widths.h"

namespace vorl {
namespace {

uint16_t WidthCode(int width)
{
    switch (width) {
        case 1:
            return 3;
        case 2:
            return 1;
        case 8:
            return 2;
        default:
            return 0;
    }
}

void AppendLittle16(std::string &out, uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

uint16_t FormatWord(const VorlInformation &info)
{
    uint16_t halvings = 0;
    for (int32_t align = info.dataalign; align > 1; align /= 2) {
        ++halvings;
    }
    uint16_t word = halvings & 0xF;
    word |= static_cast<uint16_t>(WidthCode(info.indexbyte) << 4);
    if (info.changeendian == 1) {
        word |= 1u << 6;
    }
    if (info.usealias != 0) {
        word |= static_cast<uint16_t>(WidthCode(info.usealias) << 11);
        word |= 1u << 13;
    }
    if (info.indexout == kIndexBinary) {
        word |= 1u << 14;
    }
    return word;
}

void AppendValue(std::string &out, uint64_t value, int width, bool mostSignificantFirst)
{
    if (!common::IsValueWidth(width)) {
        return;
    }
    for (int i = 0; i < width; ++i) {
        int shift = 8 * (mostSignificantFirst ? width - 1 - i : i);
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

std::string BuildBinaryIndex(const VorlInformation &info, const RowLayout &layout, const IndexValues &values)
{
    std::string out;
    out.reserve(layout.indexBytes);
    out.append(info.headerid, sizeof info.headerid);
    AppendLittle16(out, static_cast<uint16_t>(layout.rows));
    AppendLittle16(out, FormatWord(info));
    bool swapped = info.changeendian == 1;
    for (uint64_t value : values) {
        AppendValue(out, TableValue(value), info.indexbyte, swapped);
    }
    if (info.usealias != 0) {
        for (int64_t row = 0; row < layout.rows; ++row) {
            AppendValue(out, AliasValue(info, row), info.usealias, swapped);
        }
    }
    out.append(layout.padding, '\0');
    return out;
}

}  // namespace vorl

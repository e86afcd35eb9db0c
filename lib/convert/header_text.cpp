#include "header_text.h"

#include <cinttypes>
#include <cstdio>

#include "fixed_text.h"

namespace vorl {
namespace {

constexpr const char *kValueIndent = "\t\t\t\t\t\t\t";

std::string_view TypeName(const VorlInformation &info, int width)
{
    switch (width) {
    case 1: return FieldText(info.type[0]);
    case 2: return FieldText(info.type[1]);
    case 4: return FieldText(info.type[2]);
    case 8: return FieldText(info.type[3]);
    default: return {};
    }
}

// One value line. The digit counts are minimum widths, so a value wider
// than its column (the all-ones marker at width 1 or 2) prints in full.
void AppendValueLine(std::string &out, uint64_t value, int width)
{
    char line[64];
    uint32_t low = static_cast<uint32_t>(value);
    switch (width) {
    case 1: std::snprintf(line, sizeof line, "%s0x%02" PRIx32 ",\n", kValueIndent, low); break;
    case 2: std::snprintf(line, sizeof line, "%s0x%04" PRIx32 ",\n", kValueIndent, low); break;
    case 4: std::snprintf(line, sizeof line, "%s0x%08" PRIx32 ",\n", kValueIndent, low); break;
    case 8:
        std::snprintf(line, sizeof line, "%s0x%08" PRIx32 "%08" PRIx32 ",\n", kValueIndent,
                      static_cast<uint32_t>(value >> 32), low);
        break;
    default: return;
    }
    out += line;
}

void AppendArrayOpening(std::string &out, std::string_view type, std::string_view label, std::string_view suffix)
{
    out.append(type).append(" ").append(label).append(suffix).append("[] = {\n");
}

void AppendArrayClosing(std::string &out)
{
    out.append(kValueIndent).append("};\n\n");
}

// An alias is printed as its width stores it, so the array's initialisers
// always fit the declared type.
uint64_t AliasAtWidth(uint64_t alias, int width)
{
    return width >= 8 ? alias : alias & ((uint64_t{1} << (8 * width)) - 1);
}

}  // namespace

std::string BuildHeaderText(const VorlInformation &info, const IndexValues &values)
{
    std::string_view label = FieldText(info.label);
    std::string out = "/* VORL Maker Header File */\n\n";
    AppendArrayOpening(out, TypeName(info, info.indexbyte), label, "");
    for (uint64_t value : values) {
        AppendValueLine(out, TableValue(value), info.indexbyte);
    }
    AppendArrayClosing(out);
    if (info.usealias != 0) {
        AppendArrayOpening(out, TypeName(info, info.usealias), label, "_alias");
        for (size_t row = 0; row < values.size(); ++row) {
            AppendValueLine(out, AliasAtWidth(AliasValue(info, static_cast<int64_t>(row)), info.usealias),
                            info.usealias);
        }
        AppendArrayClosing(out);
    }
    if (info.version >= 322) {
        out.append("#define\t").append(label).append("_SIZE\tsizeof(").append(label).append(")\n");
    }
    return out;
}

}  // namespace vorl

#include "header_text.h"

#include <cinttypes>
#include <cstdio>

#include "code_page.h"
#include "fixed_text.h"
#include "value_widths.h"

namespace vorl {
namespace {

constexpr const char *kValueIndent = "\t\t\t\t\t\t\t";

// An empty type slot (a label given as one word) declares the array as
// the static unsigned type of its width: a declaration without a type is
// no C at all, a signed or narrower type would not hold the values, and a
// header included from several files of one program must define nothing
// that the linker sees twice.
std::string_view TypeName(const VorlInformation &info, int width)
{
    const int slot = common::TypeSlotOf(width);
    std::string_view type = slot >= 0 ? FieldText(info.type[slot]) : std::string_view();
    if (!type.empty()) {
        return type;
    }
    switch (width) {
        case 1:
            return "static unsigned char";
        case 2:
            return "static unsigned short";
        case 8:
            return "static unsigned long long";
        case 4:
        default:
            return "static unsigned int";
    }
}

// One value line. The all-ones marker prints at the width of its column
// (0xff, 0xffff): that is the value a compiler makes of it anyway, and
// 0xffffffff in a short array is a narrowing error in C++.
void AppendValueLine(std::string &out, uint64_t value, int width)
{
    char line[64];
    uint32_t low = static_cast<uint32_t>(width < 4 ? value & ((uint64_t{1} << (8 * width)) - 1) : value);
    switch (width) {
        case 1:
            std::snprintf(line, sizeof line, "%s0x%02" PRIx32 ",\n", kValueIndent, low);
            break;
        case 2:
            std::snprintf(line, sizeof line, "%s0x%04" PRIx32 ",\n", kValueIndent, low);
            break;
        case 4:
            std::snprintf(line, sizeof line, "%s0x%08" PRIx32 ",\n", kValueIndent, low);
            break;
        case 8:
            std::snprintf(line, sizeof line, "%s0x%08" PRIx32 "%08" PRIx32 ",\n", kValueIndent,
                          static_cast<uint32_t>(value >> 32), low);
            break;
        default:
            return;
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
    // Compilers here read UTF-8; a CP932 label would stop them.
    return host::Cp932ToUtf8(out).value_or(out);
}

}  // namespace vorl

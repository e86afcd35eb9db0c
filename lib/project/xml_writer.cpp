#include "xml_writer.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "absolute_path.h"
#include "fixed_text.h"
#include "output_plan.h"
#include "output_target.h"
#include "path_rules.h"
#include "xml_text.h"

namespace vorl {
namespace {

constexpr std::array<const char *, 4> kIndexOutKeywords = {"infile", "outtext", "outbinary", "nothing"};
constexpr std::array<const char *, 3> kPathModeKeywords = {"nothing", "absolute", "relative"};

const char *Boolean(int32_t value)
{
    return value != 0 ? "true" : "false";
}

// Appends one line made by a format string: "%d" values are signed 32-bit.
template <typename... Values>
void Line(std::string &out, const char *format, Values... values)
{
    char line[128];
    std::snprintf(line, sizeof line, format, values...);
    out += line;
}

// An element whose content is a block text: escaped, turned into UTF-8,
// or the empty-element form when nothing is left.
void TextLine(std::string &out, std::string_view indent, std::string_view element, std::string_view attributes,
              std::string_view sjis)
{
    auto utf8 = SjisToUtf8(EscapeXmlText(sjis));
    out.append(indent).append("<").append(element).append(attributes);
    if (!utf8) {
        out.append(" />\n");
        return;
    }
    out.append(">").append(*utf8).append("</").append(element).append(">\n");
}

std::string NumAttribute(int num)
{
    return " num='" + std::to_string(num) + "'";
}

void AppendHeader(std::string &out, const VorlInformation &info)
{
    out += "\t<header>\n";
    TextLine(out, "\t\t", "headerid", "", std::string_view(info.headerid, strnlen(info.headerid, 4)));
    Line(out, "\t\t<indexnum>%d</indexnum>\n", info.indexnum);
    Line(out, "\t\t<indexout>%s</indexout>\n", kIndexOutKeywords[static_cast<size_t>(info.indexout)]);
    Line(out, "\t\t<indexmode>%s</indexmode>\n", Boolean(info.indexmode));
    Line(out, "\t\t<indexbyte>%d</indexbyte>\n", info.indexbyte);
    Line(out, "\t\t<indexinterval>%d</indexinterval>\n", info.indexinterval);
    Line(out, "\t\t<dataalign>%d</dataalign>\n", info.dataalign);
    Line(out, "\t\t<pathmode>%s</pathmode>\n", kPathModeKeywords[static_cast<size_t>(info.pathmode)]);
    Line(out, "\t\t<skipnofile>%s</skipnofile>\n", Boolean(info.skipnofile));
    TextLine(out, "\t\t", "label", "", FieldText(info.label));
    for (int num = 1; num <= VORL_SLOT_COUNT; ++num) {
        TextLine(out, "\t\t", "type", NumAttribute(num), FieldText(info.type[num - 1]));
    }
    Line(out, "\t\t<usealias byte='%d'>%s</usealias>\n", info.usealias, Boolean(info.usealias));
    Line(out, "\t\t<changeendian>%s</changeendian>\n", Boolean(info.changeendian));
    for (int num = 1; num <= VORL_SLOT_COUNT; ++num) {
        TextLine(out, "\t\t", "convert", NumAttribute(num), FieldText(info.convert[num - 1]));
    }
    out += "\t</header>\n";
}

void AppendEntry(std::string &out, int32_t row, const IndexEntry &entry)
{
    Line(out, "\t<index num='%d' use='%s'>\n", row, "true");
    TextLine(out, "\t\t", "filename", "", FieldText(entry.filename));
    TextLine(out, "\t\t", "remarks", "", FieldText(entry.remarks));
    Line(out, "\t\t<filesize high='%d'>%d</filesize>\n", static_cast<int32_t>(entry.filesizehigh),
         static_cast<int32_t>(entry.filesize));
    Line(out, "\t\t<alias high='%d'>%d</alias>\n", static_cast<int32_t>(entry.aliashigh),
         static_cast<int32_t>(entry.alias));
    Line(out, "\t\t<convertnum>%d</convertnum>\n", entry.convertnum);
    out += "\t</index>\n";
}

}  // namespace

std::optional<std::string> BuildXmlProject(const VorlInformation &info)
{
    bool keywordsExist = info.indexout >= 0 && info.indexout < static_cast<int32_t>(kIndexOutKeywords.size()) &&
                         info.pathmode >= 0 && info.pathmode < static_cast<int32_t>(kPathModeKeywords.size());
    bool rowsExist =
        info.indexnum >= 0 && info.indexnum <= VORL_MAX_ENTRIES && (info.indexnum == 0 || info.entries != nullptr);
    if (!keywordsExist || !rowsExist) {
        return std::nullopt;
    }
    std::string out = "<?xml version='1.0' encoding='utf-8'?>\n";
    Line(out, "<VorlProject version='%d'>\n", VORL_PRJ_VERSION);
    AppendHeader(out, info);
    for (int32_t row = 0; row < info.indexnum; ++row) {
        if (info.entries[row].use != 0) {
            AppendEntry(out, row, info.entries[row]);
        }
    }
    out += "</VorlProject>\n";
    return out;
}

namespace {

// A project saved over one of its own entries' files, or over its data or
// header file, would lose that file to the project's text. A relative name
// lies in the project's folder, as it will when the project is read back.
bool IsOneOfItsFiles(const VorlInformation &info, std::string_view path)
{
    std::string_view prjdir = FieldText(info.prjdir);
    auto resolved = [prjdir](std::string_view name) {
        return prjdir.empty() ? std::string(name) : ResolveAbsolutePath(name, prjdir, host::HostRules());
    };
    host::OutputPlan plan;
    for (int32_t row = 0; row < info.indexnum; ++row) {
        const IndexEntry &entry = info.entries[row];
        std::string_view name = FieldText(entry.filename);
        if (entry.use == 0 || name.empty() || name[0] == '*') {
            continue;
        }
        plan.AddInput(resolved(name));
    }
    for (std::string_view output : {FieldText(info.datafile), FieldText(info.headerfile)}) {
        if (!output.empty()) {
            plan.AddInput(resolved(output));
        }
    }
    plan.AddOutput(path);
    return plan.FindConflict().has_value();
}

}  // namespace

int WriteXmlProject(const VorlInformation &info)
{
    auto document = BuildXmlProject(info);
    if (!document) {
        return VORL_ERR_BAD_ACCESS;
    }
    std::string_view path = FieldText(info.prjfile);
    if (path.empty() || IsOneOfItsFiles(info, path) || !host::ReplaceOutputContents(path, *document)) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    return VORL_OK;
}

}  // namespace vorl

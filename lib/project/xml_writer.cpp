#include "xml_writer.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "absolute_path.h"
#include "entry_reference.h"
#include "fixed_text.h"
#include "output_plan.h"
#include "output_target.h"
#include "path_rules.h"
#include "project_format.h"
#include "xml_text.h"

namespace vorl {
namespace {

const char *Boolean(int32_t value)
{
    return kBooleanKeywords[value != 0 ? 1 : 0];
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
// or the empty-element form for an empty text. False when the text would
// not read back as the same bytes (xml_text.h); the save then fails.
bool TextLine(std::string &out, std::string_view indent, std::string_view element, std::string_view attributes,
              std::string_view sjis)
{
    auto utf8 = DocumentText(sjis);
    if (!utf8) {
        return false;
    }
    out.append(indent).append("<").append(element).append(attributes);
    if (utf8->empty()) {
        out.append(" />\n");
        return true;
    }
    out.append(">").append(*utf8).append("</").append(element).append(">\n");
    return true;
}

// The four id bytes as a text the reader takes back as the same four: a
// text of one or more characters that ends at the first zero byte, with
// nothing but zero bytes after it. Any other id (a zero byte among the
// others, or first, a control byte, bytes that are no CP932 character)
// goes into the `hex` attribute, eight hexadecimal digits, which the
// reader prefers to the text.
void HeaderIdLine(std::string &out, const char (&id)[4])
{
    size_t length = strnlen(id, sizeof id);
    bool zerosAfter = true;
    for (size_t k = length; k < sizeof id; ++k) {
        zerosAfter = zerosAfter && id[k] == '\0';
    }
    std::string_view text(id, length);
    if (length > 0 && zerosAfter && TextLine(out, "\t\t", "headerid", "", text)) {
        return;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", static_cast<unsigned char>(id[0]),
                  static_cast<unsigned char>(id[1]), static_cast<unsigned char>(id[2]),
                  static_cast<unsigned char>(id[3]));
    out.append("\t\t<headerid hex='").append(hex).append("' />\n");
}

std::string NumAttribute(int num)
{
    return " num='" + std::to_string(num) + "'";
}

bool AppendHeader(std::string &out, const VorlInformation &info)
{
    out += "\t<header>\n";
    HeaderIdLine(out, info.headerid);
    Line(out, "\t\t<indexnum>%d</indexnum>\n", info.indexnum);
    Line(out, "\t\t<indexout>%s</indexout>\n", kIndexOutKeywords[static_cast<size_t>(info.indexout)]);
    Line(out, "\t\t<indexmode>%s</indexmode>\n", Boolean(info.indexmode));
    Line(out, "\t\t<indexbyte>%d</indexbyte>\n", info.indexbyte);
    Line(out, "\t\t<indexinterval>%d</indexinterval>\n", info.indexinterval);
    Line(out, "\t\t<dataalign>%d</dataalign>\n", info.dataalign);
    Line(out, "\t\t<pathmode>%s</pathmode>\n", kPathModeKeywords[static_cast<size_t>(info.pathmode)]);
    Line(out, "\t\t<skipnofile>%s</skipnofile>\n", Boolean(info.skipnofile));
    bool written = TextLine(out, "\t\t", "label", "", FieldText(info.label));
    for (int num = 1; num <= VORL_SLOT_COUNT; ++num) {
        written = TextLine(out, "\t\t", "type", NumAttribute(num), FieldText(info.type[num - 1])) && written;
    }
    Line(out, "\t\t<usealias byte='%d'>%s</usealias>\n", info.usealias, Boolean(info.usealias));
    Line(out, "\t\t<changeendian>%s</changeendian>\n", Boolean(info.changeendian));
    for (int num = 1; num <= VORL_SLOT_COUNT; ++num) {
        written = TextLine(out, "\t\t", "convert", NumAttribute(num), FieldText(info.convert[num - 1])) && written;
    }
    out += "\t</header>\n";
    return written;
}

bool AppendEntry(std::string &out, int32_t row, const IndexEntry &entry)
{
    Line(out, "\t<index num='%d' use='%s'>\n", row, Boolean(1));
    bool written = TextLine(out, "\t\t", "filename", "", FieldText(entry.filename));
    written = TextLine(out, "\t\t", "remarks", "", FieldText(entry.remarks)) && written;
    Line(out, "\t\t<filesize high='%d'>%d</filesize>\n", static_cast<int32_t>(entry.filesizehigh),
         static_cast<int32_t>(entry.filesize));
    Line(out, "\t\t<alias high='%d'>%d</alias>\n", static_cast<int32_t>(entry.aliashigh),
         static_cast<int32_t>(entry.alias));
    Line(out, "\t\t<convertnum>%d</convertnum>\n", entry.convertnum);
    out += "\t</index>\n";
    return written;
}

}  // namespace

std::optional<std::string> BuildXmlProject(const VorlInformation &info, int *refusal)
{
    auto refuse = [refusal](int code) {
        if (refusal != nullptr) {
            *refusal = code;
        }
        return std::nullopt;
    };
    bool keywordsExist = info.indexout >= 0 && info.indexout < static_cast<int32_t>(kIndexOutKeywords.size()) &&
                         info.pathmode >= 0 && info.pathmode < static_cast<int32_t>(kPathModeKeywords.size());
    bool rowsExist =
        info.indexnum >= 0 && info.indexnum <= VORL_MAX_ENTRIES && (info.indexnum == 0 || info.entries != nullptr);
    if (!keywordsExist || !rowsExist) {
        return refuse(VORL_ERR_BAD_ACCESS);
    }
    std::string out = "<?xml version='1.0' encoding='utf-8'?>\n";
    Line(out, "<VorlProject version='%d'>\n", VORL_PRJ_VERSION);
    bool written = AppendHeader(out, info);
    for (int32_t row = 0; row < info.indexnum; ++row) {
        if (info.entries[row].use != 0) {
            written = AppendEntry(out, row, info.entries[row]) && written;
        }
    }
    if (!written) {
        return refuse(VORL_ERR_PRJ_NOT_FOUND);
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
        return prjdir.empty() ? std::string(name) : MakeAbsolutePath(name, prjdir, host::HostRules());
    };
    host::OutputPlan plan;
    for (int32_t row = 0; row < info.indexnum; ++row) {
        const IndexEntry &entry = info.entries[row];
        std::string_view name = FieldText(entry.filename);
        if (entry.use == 0 || name.empty() || common::IsReference(name)) {
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
    int refusal = VORL_OK;
    auto document = BuildXmlProject(info, &refusal);
    if (!document) {
        return refusal;
    }
    std::string_view path = FieldText(info.prjfile);
    if (path.empty() || IsOneOfItsFiles(info, path) || !host::ReplaceOutputContents(path, *document)) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    return VORL_OK;
}

}  // namespace vorl

#include "legacy_reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cleared_table.h"
#include "default_header_id.h"
#include "entry_file_name.h"
#include "fixed_text.h"
#include "number_text.h"
#include "project_format.h"
#include "project_reader.h"
#include "text_file.h"
#include "value_widths.h"

namespace vorl {
namespace {

constexpr size_t kLineLimit = 510;
// A converter line holds up to 255 characters and its line end.
constexpr size_t kConverterLineLimit = 256;
constexpr std::string_view kVersionPrefix = "VORL ProjectFile Ver ";

// Reads the lines of the open project one at a time. A file that ends
// early reads as empty lines: the format does not count that as an error.
class LegacyLines {
public:
    explicit LegacyLines(host::TextReader &reader) : reader_(reader) {}

    // The raw line with its line end. The last line of a file may lack
    // one; it is supplied, so the value rules below never cut a
    // character of the value itself.
    std::string Raw(size_t limit = kLineLimit)
    {
        std::string line;
        if (reader_.ReadLimitedLine(line, limit) && line.back() != '\n' && line.size() < limit) {
            line.push_back('\n');
        }
        return line;
    }
    // A text in double quotes: without its first character and its last
    // two (the closing quote and the line end).
    std::string Quoted()
    {
        std::string line = Raw();
        return line.size() >= 3 ? line.substr(1, line.size() - 3) : std::string();
    }
    bool Boolean() { return Raw().compare(0, 6, "#TRUE#") == 0; }
    // Only an explicit "#FALSE" clears a size.
    bool SizeFlag() { return Raw().compare(0, 6, "#FALSE") != 0; }
    int32_t Decimal() { return common::DecimalValue(Raw()); }
    // A text up to its line end. A line longer than the limit is split
    // (its rest is the next line); what was read of it is cut to the
    // limit's text on a character boundary.
    std::string RawText(size_t limit)
    {
        std::string line = Raw(limit);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return line;
        }
        return std::string(WholeCharactersWithin(line, limit - 1));
    }
    void Skip(int lines)
    {
        for (int i = 0; i < lines; ++i) {
            Raw();
        }
    }

private:
    host::TextReader &reader_;
};

host::TextReader *StreamOf(const VorlInformation &info)
{
    return static_cast<host::TextReader *>(info.prjstream);
}

void CloseStream(VorlInformation &info)
{
    delete StreamOf(info);
    info.prjstream = nullptr;
}

int DigitValue(char c)
{
    return c - '0';
}

void ReadAlignment(LegacyLines &lines, VorlInformation &info, int version)
{
    if (version >= 320) {
        info.dataalign = lines.Decimal();
    } else if (version >= 310) {
        lines.Skip(1);
        bool by4 = lines.Boolean();
        bool by2048 = lines.Boolean();
        info.dataalign = by2048 ? 2048 : by4 ? 4 : 1;
    } else {
        info.dataalign = lines.Boolean() ? 2048 : 1;
    }
}

void ReadIndexOutput(LegacyLines &lines, VorlInformation &info, int version)
{
    if (version >= 330) {
        info.indexout = lines.Decimal();
    } else {
        lines.Skip(1);
        bool text = lines.Boolean();
        bool nothing = lines.Boolean();
        info.indexout = nothing ? 3 : text ? 1 : 0;
    }
}

// The type text goes to the slot of the index width; the other two common
// widths get fixed C type names.
void PlaceTypeText(VorlInformation &info, const std::string &typeText, bool hasTypeText)
{
    auto place = [&](int32_t width, std::string_view text) {
        StoreFieldText(info.type[common::TypeSlotOf(width)], text);
    };
    std::string_view typed = hasTypeText ? std::string_view(typeText) : std::string_view();
    auto typeOr = [&](int32_t width) {
        if (hasTypeText) {
            place(width, typed);
        }
    };
    switch (info.indexbyte) {
        case 2:
            typeOr(2);
            place(4, "static unsigned int");
            break;
        case 4:
            place(2, "static unsigned short");
            typeOr(4);
            break;
        case 8:
            place(2, "static unsigned short");
            place(4, "static unsigned int");
            typeOr(8);
            break;
        default:
            break;
    }
}

void ReadHeaderGroups(LegacyLines &lines, VorlInformation &info, int version)
{
    info.dataalign = 1;
    ReadAlignment(lines, info, version);
    ReadIndexOutput(lines, info, version);
    // The file stores the last index number; the largest number a line can
    // hold has no successor, and is refused later as too many entries.
    const int64_t last = lines.Decimal();
    info.indexnum = static_cast<int32_t>(std::min<int64_t>(last + 1, INT32_MAX));
    std::string label = lines.Quoted();
    StoreFieldText(info.label, label);  // a label too long for its field is left out
    std::string typeText;
    if (version >= 322) {
        typeText = lines.Quoted();
    } else {
        lines.Skip(1);
    }
    info.indexmode = lines.Boolean() ? 1 : 0;
    if (version >= 331) {
        info.pathmode = lines.Decimal();
        info.indexinterval = lines.Decimal();
    } else {
        info.pathmode = lines.Boolean() ? 1 : 0;
        info.indexinterval = 1;
    }
    if (version >= 360) {
        bool alias = lines.Boolean();
        info.indexbyte = lines.Decimal();
        info.usealias = alias ? info.indexbyte : 0;
        info.changeendian = lines.Boolean() ? 1 : 0;
        info.skipnofile = lines.Boolean() ? 1 : 0;
        for (auto &slot : info.convert) {
            StoreFieldText(slot, lines.RawText(kConverterLineLimit));
        }
    } else {
        info.indexbyte = 4;
        info.usealias = 0;
        info.changeendian = 0;
        info.skipnofile = 0;
    }
    PlaceTypeText(info, typeText, version >= 322 && typeText.size() < sizeof info.type[0]);
    StoreDefaultHeaderId(info.headerid);
}

// False when the entry's file name does not fit its field.
bool ReadEntryRecord(LegacyLines &lines, IndexEntry &entry, int version, std::string_view prjdir)
{
    if (!lines.Boolean()) {
        lines.Skip(7);
        return true;
    }
    entry.use = 1;
    const bool named = StoreEntryFileName(entry, lines.Quoted(), prjdir);
    auto readRemarks = [&] {
        // The quoted text, cut to the field's 255 bytes on a character
        // boundary: a remark of 255 bytes is kept whole, and a cut never
        // leaves the lead byte of a character behind.
        std::string remarks = lines.Quoted();
        StoreFieldText(entry.remarks, WholeCharactersWithin(remarks, sizeof entry.remarks - 1));
    };
    if (version >= 360) {
        entry.convertnum = lines.Decimal();
        readRemarks();
        lines.Skip(1);  // the file's own size
        entry.filesize = static_cast<uint32_t>(lines.Decimal());
        if (!lines.SizeFlag()) {
            entry.filesize = 0;
        }
        entry.alias = static_cast<uint32_t>(lines.Decimal());
    } else {
        entry.convertnum = (lines.Boolean() ? 1 : 0) + (lines.Boolean() ? 1 : 0);
        readRemarks();
        lines.Skip(1);
        entry.filesize = static_cast<uint32_t>(lines.Decimal());
        if (!lines.SizeFlag()) {
            entry.filesize = 0;
        }
    }
    return named;
}

}  // namespace

int ReadLegacyHeader(VorlInformation &info)
{
    std::unique_ptr<host::TextReader> reader = host::TextReader::Open(FieldText(info.prjfile), kProjectFileByteLimit);
    if (!reader) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    LegacyLines lines(*reader);
    std::string first = lines.Raw();
    if (reader->Failed()) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    if (first.size() < 26 || std::string_view(first).substr(1, kVersionPrefix.size()) != kVersionPrefix) {
        return VORL_ERR_NOT_A_PROJECT;
    }
    int version = 100 * DigitValue(first[22]) + 10 * DigitValue(first[24]) + DigitValue(first[25]);
    info.version = version;
    if (version < kOldestReadableVersion) {
        return VORL_ERR_PRJ_TOO_OLD;
    }
    if (version > VORL_PRJ_VERSION) {
        return VORL_ERR_TOOL_TOO_OLD;
    }
    ReadHeaderGroups(lines, info, version);
    if (reader->Failed()) {
        return VORL_ERR_PRJ_NOT_FOUND;
    }
    if (info.indexnum > VORL_MAX_ENTRIES) {
        return VORL_ERR_TOO_MANY_FILES;
    }
    // A negative count would size the table below zero.
    if (info.indexnum < 1) {
        return VORL_ERR_NO_INDEX;
    }
    info.prjstream = reader.release();
    return VORL_OK;
}

int ReadLegacyEntries(VorlInformation &info)
{
    host::TextReader *reader = StreamOf(info);
    if (reader == nullptr) {
        return VORL_ERR_BAD_ACCESS;
    }
    if (info.indexnum < 1 || info.indexnum > VORL_MAX_ENTRIES) {
        CloseStream(info);
        return VORL_ERR_BAD_ACCESS;
    }
    size_t rows = static_cast<size_t>(info.indexnum);
    if (info.entries == nullptr) {
        // A fresh table is clear already.
        info.entries = static_cast<IndexEntry *>(host::AllocateClearedTable(rows, sizeof(IndexEntry)));
        if (info.entries == nullptr) {
            CloseStream(info);
            return VORL_ERR_NO_MEMORY;
        }
    } else {
        std::memset(info.entries, 0, rows * sizeof(IndexEntry));
    }
    LegacyLines lines(*reader);
    std::string_view prjdir = FieldText(info.prjdir);
    for (size_t row = 0; row < rows; ++row) {
        // A name too long for its field cannot be found as it was written.
        if (!ReadEntryRecord(lines, info.entries[row], info.version, prjdir)) {
            CloseStream(info);
            return VORL_ERR_FILE_NOT_FOUND;
        }
    }
    // A file that ends early is a short project; one whose read failed is
    // not a project that was read.
    const bool failed = reader->Failed();
    CloseStream(info);
    return failed ? VORL_ERR_PRJ_NOT_FOUND : VORL_OK;
}

}  // namespace vorl

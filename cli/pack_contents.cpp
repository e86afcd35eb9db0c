#include "pack_contents.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "message_format.h"
#include "vorl_reader.h"

namespace vorlcnv {
namespace {

// ---------------------------------------------------------------------------
// Opening the index, and saying why it cannot be opened
// ---------------------------------------------------------------------------

// The reader gives a code; the user wants to know which file is at fault
// and what it looks like instead.
std::string Failure(const PackBytes &pack, int status)
{
    const bool separate = !pack.headerName.empty();
    const std::string &indexName = separate ? pack.headerName : pack.dataName;
    std::string_view head = separate ? pack.header : pack.dataHead;
    std::string why;
    switch (status) {
        case VORL_READER_ERR_SHORT:
            why = indexName + ": ends before its index does (cut short, or not a pack)";
            break;
        case VORL_READER_ERR_FORMAT: {
            unsigned rows = static_cast<unsigned char>(head[4]) | static_cast<unsigned char>(head[5]) << 8;
            unsigned word = static_cast<unsigned char>(head[6]) | static_cast<unsigned char>(head[7]) << 8;
            why = rows == 0 ? indexName + ": not a pack: its index has no rows"
                            : indexName + Format(": not a pack: format word 0x%04X has bits no pack uses", word);
            break;
        }
        case VORL_READER_ERR_KIND:
            why = separate
                      ? indexName + ": not a separate index: its index is in front of its own data"
                      : indexName + ": a separate index, not a data file: give it with --header, after its data file";
            break;
        case VORL_READER_ERR_BODY_SIZE:
        case VORL_READER_ERR_OUTSIDE:
            why = pack.dataName + ": the index does not fit this data (" +
                  (status == VORL_READER_ERR_OUTSIDE ? "a row points past its end"
                                                     : "its size is not a whole number of units") +
                  "): cut short" + (separate ? ", or the data of another index" : ", or not a pack");
            break;
        default:
            why = indexName + ": " + VorlReaderErrorText(status);
            break;
    }
    return "vorlcnv: " + why;
}

bool OpenIndex(const PackBytes &pack, VorlReaderIndex &index, std::string &error)
{
    // An empty buffer still needs an address for the reader.
    static const char nothing = 0;
    if (pack.dataSize > SIZE_MAX) {
        error = "vorlcnv: " + pack.dataName + ": too large to be read here";
        return false;
    }
    const size_t dataSize = static_cast<size_t>(pack.dataSize);
    int status;
    if (pack.headerName.empty()) {
        std::string_view head = pack.dataHead.substr(0, std::min(pack.dataHead.size(), dataSize));
        status = VorlReaderOpenPackHead(&index, head.empty() ? &nothing : head.data(), head.size(), dataSize);
    } else {
        status =
            VorlReaderOpen(&index, pack.header.empty() ? &nothing : pack.header.data(), pack.header.size(), dataSize);
        // The listing is also a check: bytes after the table mean the file
        // is something else that happens to start like an index.
        if (status == VORL_READER_OK && pack.header.size() != index.tableSize) {
            const size_t extra = pack.header.size() - index.tableSize;
            error = "vorlcnv: " + pack.headerName + ": " + Decimal(extra) +
                    (extra == 1 ? " byte follows" : " bytes follow") + " its index (not a separate index?)";
            return false;
        }
    }
    if (status != VORL_READER_OK) {
        error = Failure(pack, status);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The listing
// ---------------------------------------------------------------------------

// Bytes in double quotes, quote and backslash escaped, any other byte outside
// printable ASCII written with `escape` (a printf format taking the byte).
std::string QuotedBytes(std::string_view bytes, const char *escape)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += Format(escape, c);
        }
    }
    return out + "\"";
}

// Read as Latin-1, so that the document stays valid UTF-8.
std::string JsonText(std::string_view bytes)
{
    return QuotedBytes(bytes, "\\u%04x");
}

std::string QuotedText(std::string_view bytes)
{
    return QuotedBytes(bytes, "\\x%02x");
}

std::string_view IdOf(const VorlReaderIndex &index)
{
    return std::string_view(reinterpret_cast<const char *>(index.id), sizeof index.id);
}

std::string FormatLine(const VorlReaderIndex &index)
{
    std::string line = "format: " + Decimal(index.indexWidth) + "-byte index, ";
    line += index.aliasWidth != 0 ? Decimal(index.aliasWidth) + "-byte alias, " : std::string("no alias, ");
    line += index.mostSignificantFirst ? "most" : "least";
    line += " significant byte first, alignment " + Decimal(index.alignment) + ", " + Decimal(index.rows) +
            (index.rows == 1 ? " row, " : " rows, ");
    line += index.runningOffsets ? "running offsets" : "all-ones for no data";
    return line + ", id " + QuotedText(IdOf(index)) + "\n";
}

// One row of the table, as printed: the cells, then the note.
struct Line {
    std::vector<std::string> cells;
    std::string note;
};

std::string AliasCell(const VorlReaderIndex &index, const VorlReaderEntry &entry)
{
    std::string cell = Decimal(entry.alias);
    int64_t signedAlias = VorlReaderSignedAlias(&index, entry.alias);
    if (signedAlias < 0) {
        cell += " (" + std::to_string(signedAlias) + ")";
    }
    return cell;
}

void AppendTable(const VorlReaderIndex &index, std::string &out)
{
    const bool inFile = !index.separate;
    const bool alias = index.aliasWidth != 0;
    std::vector<Line> lines;
    Line head{{"row", "offset"}, ""};
    if (inFile) {
        head.cells.push_back("in file");
    }
    head.cells.push_back("size");
    if (alias) {
        head.cells.push_back("alias");
    }
    lines.push_back(head);
    VorlReaderCursor cursor;
    VorlReaderEntry entry;
    VorlReaderStartRows(&cursor);
    for (size_t row = 0; VorlReaderNextRow(&index, &cursor, &entry) == 1; ++row) {
        Line line{{Decimal(row)}, ""};
        if (entry.hasData) {
            line.cells.push_back(Decimal(entry.offset));
            if (inFile) {
                line.cells.push_back(Decimal(uint64_t{index.bodyStart} + entry.offset));
            }
            line.cells.push_back(Decimal(entry.size));
            if (entry.owner != row) {
                line.note = "shared with " + Decimal(entry.owner);
            }
        } else {
            line.cells.insert(line.cells.end(), inFile ? 3 : 2, "-");
            line.note = "no data";
        }
        if (alias) {
            line.cells.push_back(AliasCell(index, entry));
        }
        lines.push_back(line);
    }
    // Numbers right-aligned, the alias (which may carry its signed reading)
    // left-aligned as the last column.
    std::vector<size_t> widths(head.cells.size(), 0);
    for (const Line &line : lines) {
        for (size_t i = 0; i < line.cells.size(); ++i) {
            widths[i] = std::max(widths[i], line.cells[i].size());
        }
    }
    for (const Line &line : lines) {
        std::string text;
        for (size_t i = 0; i < line.cells.size(); ++i) {
            const std::string &cell = line.cells[i];
            std::string fill(widths[i] - cell.size(), ' ');
            text += i == 0 ? "" : "  ";
            text += alias && i + 1 == line.cells.size() ? cell + fill : fill + cell;
        }
        if (!line.note.empty()) {
            text += "  " + line.note;
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out += text + "\n";
    }
}

void AppendText(const VorlReaderIndex &index, std::string &out)
{
    out += FormatLine(index);
    out += "body: " + Decimal(index.bodySize) + " bytes";
    out += index.separate ? std::string(", the whole data file\n")
                          : " from file offset " + Decimal(index.bodyStart) + "\n";
    AppendTable(index, out);
}

// A reader that holds numbers as doubles (JavaScript, jq, most others)
// keeps integers exact up to 2^53 only; a larger one is written as a
// string of its decimal digits, which every reader keeps as it is.
constexpr uint64_t kLargestExactInJson = uint64_t{1} << 53;

std::string JsonNumber(uint64_t value)
{
    return value <= kLargestExactInJson ? Decimal(value) : "\"" + Decimal(value) + "\"";
}

std::string JsonSignedNumber(int64_t value)
{
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(value);
    return magnitude <= kLargestExactInJson ? digits : "\"" + digits + "\"";
}

std::string JsonNumberOrNull(bool present, uint64_t value)
{
    return present ? JsonNumber(value) : std::string("null");
}

void AppendJson(const VorlReaderIndex &index, std::string &out)
{
    const bool alias = index.aliasWidth != 0;
    out += "{\n";
    out += "  \"id\": " + JsonText(IdOf(index)) + ",\n";
    out += "  \"rows\": " + Decimal(index.rows) + ",\n";
    out += "  \"index_width\": " + Decimal(index.indexWidth) + ",\n";
    out += "  \"alias_width\": " + Decimal(index.aliasWidth) + ",\n";
    out += std::string("  \"byte_order\": ") + (index.mostSignificantFirst ? "\"big\"" : "\"little\"") + ",\n";
    out += "  \"alignment\": " + Decimal(index.alignment) + ",\n";
    out += std::string("  \"running_offsets\": ") + (index.runningOffsets ? "true" : "false") + ",\n";
    out += std::string("  \"separate_index\": ") + (index.separate ? "true" : "false") + ",\n";
    out += "  \"body_start\": " + JsonNumberOrNull(!index.separate, index.bodyStart) + ",\n";
    out += "  \"body_size\": " + JsonNumber(index.bodySize) + ",\n";
    out += "  \"entries\": [";
    VorlReaderCursor cursor;
    VorlReaderEntry entry;
    VorlReaderStartRows(&cursor);
    for (size_t row = 0; VorlReaderNextRow(&index, &cursor, &entry) == 1; ++row) {
        const bool data = entry.hasData != 0;
        out += row == 0 ? "\n" : ",\n";
        out += "    {\"row\": " + Decimal(row);
        out += ", \"value\": " + JsonNumber(entry.value);
        out += std::string(", \"has_data\": ") + (data ? "true" : "false");
        out += ", \"offset\": " + JsonNumberOrNull(data, entry.offset);
        out +=
            ", \"file_offset\": " + JsonNumberOrNull(data && !index.separate, uint64_t{index.bodyStart} + entry.offset);
        out += ", \"size\": " + JsonNumber(entry.size);
        out += ", \"shared_with\": " + JsonNumberOrNull(data && entry.owner != row, entry.owner);
        out += ", \"alias\": " + JsonNumberOrNull(alias, entry.alias);
        out += ", \"signed_alias\": ";
        out += alias ? JsonSignedNumber(VorlReaderSignedAlias(&index, entry.alias)) : std::string("null");
        out += "}";
    }
    out += "\n  ]\n}\n";
}

}  // namespace

int ListPack(const PackBytes &pack, bool json, std::string &out, std::string &error)
{
    VorlReaderIndex index;
    if (!OpenIndex(pack, index, error)) {
        return kDataError;
    }
    if (json) {
        AppendJson(index, out);
    } else {
        AppendText(index, out);
    }
    return 0;
}

int LocateItem(const PackBytes &pack, uint64_t row, ItemPlace &place, std::string &error, std::string_view rowText)
{
    VorlReaderIndex index;
    if (!OpenIndex(pack, index, error)) {
        return kDataError;
    }
    const std::string &indexName = pack.headerName.empty() ? pack.dataName : pack.headerName;
    VorlReaderEntry entry;
    if (row >= index.rows || VorlReaderRow(&index, static_cast<size_t>(row), &entry) != VORL_READER_OK) {
        std::string shown = rowText.empty() ? Decimal(row) : std::string(rowText);
        error = "vorlcnv: " + indexName + ": no row " + shown + " (the index has " + Decimal(index.rows) +
                (index.rows == 1 ? " row)" : " rows)");
        return kDataError;
    }
    if (!entry.hasData) {
        error = "vorlcnv: " + indexName + ": row " + Decimal(row) + " has no data";
        return kDataError;
    }
    place.fileOffset = uint64_t{index.bodyStart} + entry.offset;
    place.size = entry.size;
    return 0;
}

}  // namespace vorlcnv

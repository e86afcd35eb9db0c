#include "library_calls.h"

#include <algorithm>

#include <cstring>

#include "text_codec.h"

namespace vorlmake {
namespace {

constexpr int kPathBuffer = 512;

// Stored only when it fits with its NUL; callers check first with
// TextThatDoesNotFit.
template <size_t N>
void Utf8ToField(char (&field)[N], const std::string &utf8)
{
    std::memset(field, 0, N);
    auto cp932 = Utf8ToCp932(utf8);
    if (cp932 && cp932->size() < N) {
        std::memcpy(field, cp932->data(), cp932->size());
    }
}

std::optional<std::string> CallPathExport(int (LibraryApi::*call)(const char *, const char *, char *, int),
                                          LibraryApi &library, const std::string &base, const std::string &path)
{
    auto basis = Utf8ToCp932(base);
    auto name = Utf8ToCp932(path);
    if (!basis || !name) {
        return std::nullopt;
    }
    char buffer[kPathBuffer] = {};
    if ((library.*call)(name->c_str(), basis->c_str(), buffer, kPathBuffer - 1) != 1) {
        return std::nullopt;
    }
    return Cp932ToUtf8(buffer);
}

bool Fits(const std::string &utf8, size_t field)
{
    auto length = Cp932Length(utf8);
    return length && *length < field;
}

}  // namespace

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<size_t> Cp932Length(const std::string &utf8)
{
    auto cp932 = Utf8ToCp932(utf8);
    return cp932 ? std::optional<size_t>(cp932->size()) : std::nullopt;
}

std::vector<std::string> Characters(const std::string &text)
{
    std::vector<std::string> characters;
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

std::string CutToBytes(const std::string &text, size_t bytes)
{
    std::string kept;
    for (const std::string &character : Characters(text)) {
        auto size = Cp932Length(kept + character);
        if (!size || *size > bytes) {
            break;
        }
        kept += character;
    }
    return kept;
}

std::optional<std::string> Utf8ToCp932Path(const std::string &utf8)
{
    auto cp932 = Utf8ToCp932(utf8);
    if (!cp932 || cp932->size() >= VORL_PATH_SIZE) {
        return std::nullopt;
    }
    return cp932;
}

std::optional<std::string> RelToAbs(LibraryApi &library, const std::string &base, const std::string &name)
{
    return CallPathExport(&LibraryApi::Rel2AbsPath, library, base, name);
}

std::optional<std::string> AbsToRel(LibraryApi &library, const std::string &base, const std::string &path)
{
    return CallPathExport(&LibraryApi::Abs2RelPath, library, base, path);
}

std::string LibraryMessage(LibraryApi &library, int code)
{
    char buffer[256] = {};
    if (library.GetErrorStrings(code, buffer, sizeof buffer) != 0) {
        return "(" + std::to_string(code) + ")";
    }
    return Cp932ToUtf8(buffer).value_or(std::string(buffer));
}

std::string TextThatDoesNotFit(const EditorState &state)
{
    if (!Fits(state.texts.label, VORL_LABEL_SIZE)) {
        return state.texts.label;
    }
    for (const std::string &type : state.texts.type) {
        if (!Fits(type, VORL_LABEL_SIZE)) {
            return type;
        }
    }
    for (const std::string &command : state.texts.convert) {
        if (!Fits(command, VORL_CONVERT_SIZE)) {
            return command;
        }
    }
    for (const EditEntry &entry : state.entries) {
        if (entry.inUse && !Fits(entry.fileName, VORL_PATH_SIZE)) {
            return entry.fileName;
        }
        if (entry.inUse && !Fits(entry.remarks, VORL_REMARKS_SIZE)) {
            return entry.remarks;
        }
    }
    return {};
}

std::string TextThatCannotBeSaved(const EditorState &state)
{
    auto holdsControl = [](const std::string &text) {
        return std::any_of(text.begin(), text.end(), [](char c) {
            unsigned char byte = static_cast<unsigned char>(c);
            return byte >= 0x01 && byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
        });
    };
    if (holdsControl(state.texts.label)) {
        return "ラベル";
    }
    for (size_t i = 0; i < state.texts.type.size(); ++i) {
        if (holdsControl(state.texts.type[i])) {
            return "型 " + std::to_string(i + 1);
        }
    }
    for (size_t i = 0; i < state.texts.convert.size(); ++i) {
        if (holdsControl(state.texts.convert[i])) {
            return "変換コマンド " + std::to_string(i + 1);
        }
    }
    for (size_t row = 0; row < state.entries.size(); ++row) {
        const EditEntry &entry = state.entries[row];
        if (entry.inUse && holdsControl(entry.fileName)) {
            return "エントリ " + std::to_string(row) + " のファイル名";
        }
        if (entry.inUse && holdsControl(entry.remarks)) {
            return "エントリ " + std::to_string(row) + " の備考";
        }
    }
    return {};
}

std::vector<IndexEntry> EntriesToTable(const EntryList &entries, int rows)
{
    std::vector<IndexEntry> table(kEntryCount);
    for (int i = 0; i < rows && i < kEntryCount; ++i) {
        const EditEntry &entry = entries[static_cast<size_t>(i)];
        IndexEntry &row = table[static_cast<size_t>(i)];
        row.use = entry.inUse ? -1 : 0;
        Utf8ToField(row.filename, entry.fileName);
        row.convertnum = entry.converter;
        Utf8ToField(row.remarks, entry.remarks);
        row.filesize = entry.sizeTyped ? static_cast<uint32_t>(entry.size) : 0;
        const auto alias = static_cast<uint64_t>(entry.alias);
        row.alias = static_cast<uint32_t>(alias);
        row.aliashigh = static_cast<uint32_t>(alias >> 32);
    }
    return table;
}

void TableToEntries(const std::vector<IndexEntry> &table, int rows, EntryList &entries)
{
    for (int i = 0; i < rows && i < kEntryCount; ++i) {
        const IndexEntry &row = table[static_cast<size_t>(i)];
        EditEntry &entry = entries[static_cast<size_t>(i)];
        entry.inUse = row.use != 0;
        entry.fileName = FieldToUtf8(row.filename);
        entry.converter = static_cast<int16_t>(row.convertnum);
        entry.remarks = FieldToUtf8(row.remarks);
        entry.size = static_cast<int32_t>(row.filesize);
        entry.sizeTyped = row.filesize != 0;
        entry.alias = static_cast<int64_t>((uint64_t{row.aliashigh} << 32) | row.alias);
    }
}

void TextsToBlock(const ProjectTexts &texts, VorlInformation &info)
{
    Utf8ToField(info.label, texts.label);
    for (size_t i = 0; i < texts.type.size(); ++i) {
        Utf8ToField(info.type[i], texts.type[i]);
        Utf8ToField(info.convert[i], texts.convert[i]);
    }
}

void BlockToTexts(const VorlInformation &info, ProjectTexts &texts)
{
    texts.label = FieldToUtf8(info.label);
    for (size_t i = 0; i < texts.type.size(); ++i) {
        texts.type[i] = FieldToUtf8(info.type[i]);
        texts.convert[i] = FieldToUtf8(info.convert[i]);
    }
}

}  // namespace vorlmake

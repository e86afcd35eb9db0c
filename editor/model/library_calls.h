// The editor's side of each library call: its UTF-8 texts become CP932 on
// the way in and come back as UTF-8, and the entries travel in a table of
// 10,000 rows that the editor owns for the length of the call.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "editor_host.h"
#include "editor_state.h"
#include "text_codec.h"

namespace vorlmake {

// RelToAbs and AbsToRel: the path exports with a 512-byte buffer of which
// 511 bytes are offered; the text up to the first NUL. Nothing when a text
// has no CP932 form or the result does not fit.
std::optional<std::string> RelToAbs(LibraryApi &library, const std::string &base, const std::string &name);
std::optional<std::string> AbsToRel(LibraryApi &library, const std::string &base, const std::string &path);

// A block field read as UTF-8, up to its first NUL; empty when it is no
// CP932 text.
template <size_t N>
std::string FieldToUtf8(const char (&field)[N])
{
    std::string cp932(field, strnlen(field, N));
    return Cp932ToUtf8(cp932).value_or(std::string());
}

// The folder part of a path, with its separator; empty for a bare name.
std::string FolderOf(const std::string &path);

// The message of a library code, in UTF-8.
std::string LibraryMessage(LibraryApi &library, int code);

// The texts of an entry or the block that do not fit their fields in CP932
// (with the NUL), or have no CP932 form, are named here, so nothing is ever
// cut silently on its way out. Empty when everything fits.
std::string TextThatDoesNotFit(const EditorState &state);

// Where a text of the project holds a control character (0x01 to 0x1F
// other than tab, line feed and carriage return), which a project file
// cannot carry: the library refuses to save it, and the user is told which
// text to change ("エントリ 12 の備考", "ラベル"). Empty when none does.
std::string TextThatCannotBeSaved(const EditorState &state);

// The transfers of the entries and the block's texts.
std::vector<IndexEntry> EntriesToTable(const EntryList &entries, int rows);
void TableToEntries(const std::vector<IndexEntry> &table, int rows, EntryList &entries);
void TextsToBlock(const ProjectTexts &texts, VorlInformation &info);
void BlockToTexts(const VorlInformation &info, ProjectTexts &texts);

// A path for a block field: its CP932 form when it fits 260 bytes.
std::optional<std::string> Utf8ToCp932Path(const std::string &utf8);

// The characters of a UTF-8 text, one string each.
std::vector<std::string> Characters(const std::string &text);

// The longest beginning of a text, whole characters only, whose CP932 form
// takes at most `bytes` bytes.
std::string CutToBytes(const std::string &text, size_t bytes);

// The length of a text in CP932 bytes; nothing when it has no CP932 form.
std::optional<size_t> Cp932Length(const std::string &utf8);

}  // namespace vorlmake

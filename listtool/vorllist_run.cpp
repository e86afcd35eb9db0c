// One run of VorlList: arguments in, console text out, the list file
// written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "folder_scan.h"
#include "list_destination.h"
#include "list_settings.h"
#include "list_writer.h"
#include "locale_charset.h"
#include "message_language.h"
#include "number_text.h"
#include "recode_text.h"
#include "vorllist_run.h"

namespace vorllist {
namespace {

constexpr int kUsageStatus = -1;
// Line N of a list is entry N of the conversion, which takes 9999 entries;
// an alias is a 32-bit value.
constexpr long kLargestListedNumber = 9998;
constexpr long kLargestAliasNumber = 0x7FFFFFFF;
constexpr int kNoWildcardStatus = -2;

bool InEnglish()
{
    return vorl::common::ProgramLanguage() == vorl::common::MessageLanguage::English;
}

// The described Japanese text, or its English one for users who ask for
// English.
std::string Text(const char *japanese, const char *english)
{
    return InEnglish() ? english : japanese;
}

// Every text goes out in the character set the locale names.
void Print(FILE *stream, const std::string &utf8)
{
    std::string text = vorl::common::InLocaleCharset(utf8);
    std::fwrite(text.data(), 1, text.size(), stream);
}

void PrintBanner()
{
    Print(stdout, "VorlListMaker  Ver0.1.0 2010/01/30\n");
    Print(stdout, std::string("VORL Maker for Linux ") + VORL_PACKAGE_VERSION +
                      ". Makes the list file of numbered input files for vorlcnv -f.\n"
                      "Quote the pattern so that the shell leaves it alone: VorlList -oassets.lst 'sprite???.png'\n\n");
}

void PrintUsage()
{
    if (InEnglish()) {
        Print(stdout,
              "Usage: VorlList [options] PATTERN\n"
              " Options:\n"
              "   -oFILE  the list file to write (default \"output.lst\")\n"
              "   -a      write each file's number as its alias\n"
              "   -s      search the subfolders too\n\n");
        return;
    }
    Print(stdout,
          ">VorlList [option] <input file name>\n"
          " [option]\n"
          "   -o  Output FileListName(Default \"output.lst\")\n"
          "   -a  Use Alias\n"
          "   -s  Search Sub Directory\n\n");
}

int Refuse(const std::string &message)
{
    Print(stdout, message + "\n");
    return kUsageStatus;
}

// A path as a message shows it: as it is, unless a control character in
// it would break the message's line or hide in it; then every such
// character, and the backslash that introduces them, is written escaped.
std::string Shown(const std::string &path)
{
    auto control = [](char c) { return static_cast<unsigned char>(c) < ' ' || c == '\x7F'; };
    if (std::none_of(path.begin(), path.end(), control)) {
        return path;
    }
    std::string shown;
    for (char c : path) {
        switch (c) {
            case '\r':
                shown += "\\r";
                break;
            case '\n':
                shown += "\\n";
                break;
            case '\t':
                shown += "\\t";
                break;
            case '\\':
                shown += "\\\\";
                break;
            default:
                if (control(c)) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                    shown += hex;
                } else {
                    shown.push_back(c);
                }
        }
    }
    return shown;
}

// A list line carries one entry argument: a comma would start the
// converter field, a line end another entry, and the conversion reads a
// backslash as a folder separator. That holds for the folders of a line
// as much as for its name.
bool Unlistable(const std::string &text)
{
    return text.find_first_of(",\\") != std::string::npos ||
           std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; });
}

// The pattern a run without "?" most likely meant: the last digits of the
// name (before its extension) turned into as many "?"; nothing when the
// name has no digits there.
std::optional<std::string> MeantPattern(const std::string &input)
{
    size_t nameStart = input.find_last_of("/\\");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = input.rfind('.');
    size_t stemEnd = dot == std::string::npos || dot < nameStart ? input.size() : dot;
    auto digit = [&](size_t at) { return input[at] >= '0' && input[at] <= '9'; };
    size_t end = stemEnd;
    while (end > nameStart && !digit(end - 1)) {
        --end;
    }
    size_t first = end;
    while (first > nameStart && digit(first - 1)) {
        --first;
    }
    if (first == end) {
        return std::nullopt;
    }
    return input.substr(0, first) + std::string(end - first, '?') + input.substr(end);
}

// The pattern inside single quotes, as a shell reads it back.
std::string ShellQuoted(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The number in a name at the position of the pattern's first "?", read
// like atol.
long NumberAt(const std::string &name, size_t position)
{
    if (position >= name.size()) {
        return 0;
    }
    return static_cast<long>(
        vorl::common::SaturatedSigned(vorl::common::ReadNumberText(std::string_view(name).substr(position))));
}

struct Numbered {
    const FoundFile *file;
    long number;
    std::string line;  // folder and name in CP932
};

std::string BuildList(const std::vector<Numbered> &sorted, const ListSettings &settings)
{
    std::string list;
    if (settings.aliasMode) {
        for (const Numbered &entry : sorted) {
            list +=
                entry.line + ",," + std::to_string(static_cast<int64_t>(entry.number) + settings.aliasOffset) + "\r\n";
        }
        return list;
    }
    long largest = sorted.empty() ? 0 : std::max(0L, sorted.back().number);
    size_t cursor = 0;
    for (long n = 0; n <= largest; ++n) {
        if (cursor < sorted.size() && sorted[cursor].number == n) {
            list += sorted[cursor++].line;
        }
        list += "\r\n";
    }
    return list;
}

}  // namespace

int Run(const std::vector<std::string> &arguments)
{
    PrintBanner();
    ListSettings settings = ReadArguments(arguments);
    if (settings.pattern.empty()) {
        PrintUsage();
        return kUsageStatus;
    }
    if (settings.inputCount > 1) {
        int status = Refuse(Text("入力ファイルは１つだけ指定してください。", "Give only one input pattern."));
        // Most often the shell has expanded an unquoted pattern into files.
        std::fflush(stdout);
        Print(stderr,
              "VorlList: several input names were given: when the shell expanded the pattern into "
              "files, quote it: VorlList -oassets.lst 'sprite???.png'\n");
        return status;
    }
    size_t position = settings.pattern.find('?');
    if (position == std::string::npos) {
        // Most often the shell has expanded the pattern into the one file
        // that matched it; otherwise the "?" was forgotten.
        std::fflush(stdout);
        std::optional<std::string> meant = MeantPattern(settings.inputName);
        Print(stderr, "VorlList: the pattern " + Shown(settings.inputName) + " has no '?': " +
                          (meant ? "quote it so that the shell leaves it alone"
                                 : "put one where the file names carry their number") +
                          ": VorlList -oassets.lst " + Shown(ShellQuoted(meant.value_or("sprite???.png"))) + "\n");
        return kNoWildcardStatus;
    }
    if (!settings.unfitOffset.empty()) {
        return Refuse(Text("エイリアスのオフセットが32ビットに収まりません（-2147483648から2147483647まで）: ",
                           "The alias offset does not fit 32 bits (-2147483648 to 2147483647): ") +
                      Shown(settings.unfitOffset));
    }
    if (settings.pattern.find('*') < position) {
        return Refuse(Text("パターンの最初の「?」より前に「*」は使えません。",
                           "A '*' cannot come before the pattern's first '?'."));
    }
    if (settings.searchFolder.size() > kMaxText || settings.pattern.size() > kMaxText ||
        settings.outputName.size() > kMaxText) {
        return Refuse(Text("フォルダ名、パターンまたは出力ファイル名が259文字を超えています。",
                           "The folder, the pattern or the list file's name is longer than 259 bytes."));
    }
    if (settings.outputName.empty()) {
        return Refuse(Text("出力ファイル名がありません。", "The list file has no name."));
    }
    ScanResult scan = ScanFolder(settings.searchFolder, settings.pattern, settings.subFolders);
    if (!scan.tooLong.empty()) {
        return Refuse(Text("フォルダ名が259文字を超えています: ", "A folder's name is longer than 259 bytes: ") +
                      Shown(scan.tooLong));
    }
    if (!scan.loop.empty()) {
        return Refuse(InEnglish()
                          ? "Symbolic links make a loop: " + Shown(scan.loop) +
                                (scan.loopsTo.empty() ? "" : " is the same folder as " + Shown(scan.loopsTo))
                          : "シンボリックリンクがループしています: " + Shown(scan.loop) +
                                (scan.loopsTo.empty() ? "" : " は " + Shown(scan.loopsTo) + " と同じフォルダです"));
    }
    if (!scan.unreadable.empty()) {
        return Refuse(InEnglish()
                          ? "The folder " + Shown(scan.unreadable) + " cannot be read: " + std::strerror(scan.error)
                          : "フォルダ「" + Shown(scan.unreadable) + "」が読めません: " + std::strerror(scan.error));
    }
    if (scan.files.empty()) {
        return Refuse(Text("該当するファイルが１つも見つかりません。", "No file matches the pattern."));
    }
    std::vector<Numbered> numbered;
    for (const FoundFile &file : scan.files) {
        long number = NumberAt(file.name, position);
        // "**" at the start of a line would make it a reference.
        if (Unlistable(file.name) || file.name.rfind("**", 0) == 0) {
            return Refuse(Text("コンマ、円記号、制御文字、先頭の「**」を含むファイル名はリストに書けません: ",
                               "A file name with a comma, a backslash, a control character or a leading \"**\" "
                               "cannot be listed: ") +
                          Shown(file.folder + file.name));
        }
        // The folder's separators are the list's own; any other backslash
        // is in a folder's name.
        std::string folderNames = file.folder;
        std::replace(folderNames.begin(), folderNames.end(), '/', ' ');
        if (Unlistable(folderNames) || file.folder.rfind("**", 0) == 0) {
            return Refuse(Text("コンマ、円記号、制御文字、先頭の「**」を含むフォルダ名はリストに書けません: ",
                               "A folder name with a comma, a backslash, a control character or a leading \"**\" "
                               "cannot be listed: ") +
                          Shown(file.folder + file.name));
        }
        if (number < 0) {
            return Refuse(Text("ファイル番号が負の数です: ", "A file's number is negative: ") + file.folder +
                          file.name);
        }
        if (number > (settings.aliasMode ? kLargestAliasNumber : kLargestListedNumber)) {
            return Refuse((settings.aliasMode ? Text("ファイル番号が大きすぎます（2147483647まで）: ",
                                                     "A file's number is too large (2147483647 at most): ")
                                              : Text("ファイル番号が大きすぎます（9998まで）: ",
                                                     "A file's number is too large (9998 at most): ")) +
                          file.folder + file.name);
        }
        auto line = vorl::common::Utf8ToCp932(file.folder + file.name);
        if (!line) {
            return Refuse(Text("Shift-JISで表せないファイル名です: ", "This file name has no Shift-JIS form: ") +
                          file.folder + file.name);
        }
        numbered.push_back({&file, number, *line});
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const Numbered &a, const Numbered &b) { return a.number < b.number; });
    auto duplicate = std::adjacent_find(numbered.begin(), numbered.end(),
                                        [](const Numbered &a, const Numbered &b) { return a.number == b.number; });
    if (duplicate != numbered.end()) {
        return Refuse(Text("ファイルが重複しています。", "Two files have the same number."));
    }
    // Everything about the destination is settled before a byte is written.
    DestinationResult destination = FindDestination(settings.outputName);
    switch (destination.problem) {
        case DestinationResult::Problem::None:
            break;
        case DestinationResult::Problem::Unwritable:
            return Refuse(Text("リストファイルが書き込めません。", "The list file cannot be written."));
        case DestinationResult::Problem::ProtectedLink:
            return Refuse(InEnglish()
                              ? "The symbolic link " + Shown(destination.name) +
                                    " in a shared folder is not followed: it belongs neither to you nor to "
                                    "the folder's owner."
                              : "共有フォルダのシンボリックリンク「" + Shown(destination.name) +
                                    "」は、所有者が実行したユーザーでもフォルダの所有者でもないので辿りません。");
        case DestinationResult::Problem::ForeignFile:
            return Refuse(
                InEnglish()
                    ? "Another user's file " + Shown(destination.name) + " in a shared folder is not replaced."
                    : "共有フォルダにある他のユーザーのファイル「" + Shown(destination.name) + "」は置き換えません。");
    }
    if (const FoundFile *same = SameFileAs(destination.destination, scan.files)) {
        return Refuse(InEnglish() ? "The list file " + Shown(settings.outputName) + " is the input file " +
                                        same->folder + same->name + "."
                                  : "リストファイル「" + Shown(settings.outputName) + "」は入力ファイル「" +
                                        same->folder + same->name + "」と同じファイルです。");
    }
    if (!WriteList(destination.destination, BuildList(numbered, settings))) {
        return Refuse(Text("リストファイルが書き込めません。", "The list file cannot be written."));
    }
    return 0;
}

}  // namespace vorllist

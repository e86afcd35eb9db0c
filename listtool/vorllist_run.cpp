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

void PrintBanner()
{
    std::printf("VorlListMaker  Ver0.1.0 2010/01/30\n");
    std::printf(
        "VORL Maker for Linux %s. Makes the list file of numbered input files for vorlcnv -f.\n"
        "Quote the pattern so that the shell leaves it alone: VorlList -oassets.lst 'sprite???.png'\n\n",
        VORL_PACKAGE_VERSION);
}

void PrintUsage()
{
    std::printf(">VorlList [option] <input file name>\n");
    std::printf(" [option]\n");
    std::printf("   -o  Output FileListName(Default \"output.lst\")\n");
    std::printf("   -a  Use Alias\n");
    std::printf("   -s  Search Sub Directory\n\n");
}

int Refuse(const std::string &message)
{
    std::printf("%s\n", message.c_str());
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
        int status = Refuse("入力ファイルは１つだけ指定してください。");
        // Most often the shell has expanded an unquoted pattern into files.
        std::fflush(stdout);
        std::fprintf(stderr,
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
        std::fprintf(
            stderr, "VorlList: the pattern %s has no '?': %s: VorlList -oassets.lst %s\n",
            Shown(settings.inputName).c_str(),
            meant ? "quote it so that the shell leaves it alone" : "put one where the file names carry their number",
            Shown(ShellQuoted(meant.value_or("sprite???.png"))).c_str());
        return kNoWildcardStatus;
    }
    if (!settings.unfitOffset.empty()) {
        return Refuse("エイリアスのオフセットが32ビットに収まりません（-2147483648から2147483647まで）: " +
                      Shown(settings.unfitOffset));
    }
    if (settings.pattern.find('*') < position) {
        return Refuse("パターンの最初の「?」より前に「*」は使えません。");
    }
    if (settings.searchFolder.size() > kMaxText || settings.pattern.size() > kMaxText ||
        settings.outputName.size() > kMaxText) {
        return Refuse("フォルダ名、パターンまたは出力ファイル名が259文字を超えています。");
    }
    if (settings.outputName.empty()) {
        return Refuse("出力ファイル名がありません。");
    }
    ScanResult scan = ScanFolder(settings.searchFolder, settings.pattern, settings.subFolders);
    if (!scan.tooLong.empty()) {
        return Refuse("フォルダ名が259文字を超えています: " + Shown(scan.tooLong));
    }
    if (!scan.loop.empty()) {
        return Refuse("シンボリックリンクがループしています: " + Shown(scan.loop) +
                      (scan.loopsTo.empty() ? "" : " は " + Shown(scan.loopsTo) + " と同じフォルダです"));
    }
    if (!scan.unreadable.empty()) {
        return Refuse("フォルダ「" + Shown(scan.unreadable) + "」が読めません: " + std::strerror(scan.error));
    }
    if (scan.files.empty()) {
        return Refuse("該当するファイルが１つも見つかりません。");
    }
    std::vector<Numbered> numbered;
    for (const FoundFile &file : scan.files) {
        long number = NumberAt(file.name, position);
        // "**" at the start of a line would make it a reference.
        if (Unlistable(file.name) || file.name.rfind("**", 0) == 0) {
            return Refuse("コンマ、円記号、制御文字、先頭の「**」を含むファイル名はリストに書けません: " +
                          Shown(file.folder + file.name));
        }
        // The folder's separators are the list's own; any other backslash
        // is in a folder's name.
        std::string folderNames = file.folder;
        std::replace(folderNames.begin(), folderNames.end(), '/', ' ');
        if (Unlistable(folderNames) || file.folder.rfind("**", 0) == 0) {
            return Refuse("コンマ、円記号、制御文字、先頭の「**」を含むフォルダ名はリストに書けません: " +
                          Shown(file.folder + file.name));
        }
        if (number < 0) {
            return Refuse("ファイル番号が負の数です: " + file.folder + file.name);
        }
        if (number > (settings.aliasMode ? kLargestAliasNumber : kLargestListedNumber)) {
            return Refuse(std::string(settings.aliasMode ? "ファイル番号が大きすぎます（2147483647まで）: "
                                                         : "ファイル番号が大きすぎます（9998まで）: ") +
                          file.folder + file.name);
        }
        auto line = vorl::common::Utf8ToCp932(file.folder + file.name);
        if (!line) {
            return Refuse("Shift-JISで表せないファイル名です: " + file.folder + file.name);
        }
        numbered.push_back({&file, number, *line});
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const Numbered &a, const Numbered &b) { return a.number < b.number; });
    auto duplicate = std::adjacent_find(numbered.begin(), numbered.end(),
                                        [](const Numbered &a, const Numbered &b) { return a.number == b.number; });
    if (duplicate != numbered.end()) {
        return Refuse("ファイルが重複しています。");
    }
    // Everything about the destination is settled before a byte is written.
    DestinationResult destination = FindDestination(settings.outputName);
    switch (destination.problem) {
        case DestinationResult::Problem::None:
            break;
        case DestinationResult::Problem::Unwritable:
            return Refuse("リストファイルが書き込めません。");
        case DestinationResult::Problem::ProtectedLink:
            return Refuse("共有フォルダのシンボリックリンク「" + Shown(destination.name) +
                          "」は、所有者が実行したユーザーでもフォルダの所有者でもないので辿りません。");
        case DestinationResult::Problem::ForeignFile:
            return Refuse("共有フォルダにある他のユーザーのファイル「" + Shown(destination.name) +
                          "」は置き換えません。");
    }
    if (const FoundFile *same = SameFileAs(destination.destination, scan.files)) {
        return Refuse("リストファイル「" + Shown(settings.outputName) + "」は入力ファイル「" + same->folder +
                      same->name + "」と同じファイルです。");
    }
    if (!WriteList(destination.destination, BuildList(numbered, settings))) {
        return Refuse("リストファイルが書き込めません。");
    }
    return 0;
}

}  // namespace vorllist

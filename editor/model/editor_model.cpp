#include "editor_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "about_box.h"
#include "command_line.h"
#include "entry_reference.h"
#include "library_calls.h"
#include "library_version.h"
#include "profile_file.h"
#include "text_codec.h"
#include "value_widths.h"

namespace vorlmake {
namespace {

constexpr const char *kDefaultFilter = "すべてのファイル(*.*)|*.*|binファイル(*.bin)|*.bin|datファイル(*.dat)|*.dat";
// Compressors that every Linux host has.
constexpr const char *kDefaultConvert1 = "gzip -9 -n -c \"$I\" > \"$O\"";
constexpr const char *kDefaultConvert2 = "xz -9 -c \"$I\" > \"$O\"";

std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

}  // namespace

bool IsAcceptedLibraryVersion(int version)
{
    return static_cast<uint32_t>(version) - 0x2000000u <= 0xFFFFu;
}

std::string VersionMismatchText(int version)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(version));
    return std::string("DLLのバージョンが合わないよ。") + "\n\r(DLL Ver. " + hex + ")";
}

std::string DllVersionText(int version)
{
    const vorl::common::LibraryVersion parts = vorl::common::DecodeLibraryVersion(version);
    return std::to_string(parts.major) + "." + std::to_string(parts.minor) + "." + std::to_string(parts.build);
}

std::string ListOfAtMostTwenty(const std::vector<std::string> &lines)
{
    constexpr size_t kShown = 20;
    std::string text;
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) {
        text += lines[i] + "\r\n";
    }
    if (lines.size() > kShown) {
        text += "ほか " + std::to_string(lines.size() - kShown) + " 件\r\n";
    }
    return text;
}

std::string EditorModel::AliasText(int64_t alias) const
{
    // Each width shows the signed value of what its table holds: the whole
    // 64 bits at 8 bytes, the lower half (as the 32-bit alias) below that.
    if (AliasWidth() == 8) {
        return std::to_string(alias);
    }
    return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(alias)));
}

int EditorModel::AliasWidth() const
{
    for (size_t i = 0; i < marks_.aliasBytes.size(); ++i) {
        if (marks_.aliasBytes[i]) {
            return vorl::common::kValueWidths[i];
        }
    }
    return 4;
}

long LeadingNumber(const std::string &text)
{
    // The leading number as a decimal fraction; halves go to the even
    // neighbour (the default rounding of nearbyint).
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return 0;
    }
    size_t end = i;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        ++end;
    }
    bool digits = false;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
        ++end;
        digits = true;
    }
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
            ++end;
            digits = true;
        }
    }
    if (!digits) {
        return 0;
    }
    return static_cast<long>(std::nearbyint(std::strtod(text.substr(i, end - i).c_str(), nullptr)));
}

EditorModel::EditorModel(EditorHost &host, LibraryApi &library, std::string programFolder, std::string appVersion,
                         std::function<double()> random)
    : host_(host), library_(library), random_(std::move(random))
{
    state_.programFolder = WithSeparator(std::move(programFolder));
    settingsFile_ = state_.programFolder + "vorlmake.ini";
    state_.programVersion = std::move(appVersion);
    if (!random_) {
        random_ = [generator = std::mt19937(std::random_device{}())]() mutable {
            return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
        };
    }
}

bool EditorModel::StartUp(const std::vector<std::string> &arguments, const std::string &startFolder)
{
    // The process keeps the folder it was started in: names on the command
    // line are the caller's, and the program's own files are found by
    // absolute paths under AppDir.
    const CommandLineResult parsed = ParseArguments(arguments);
    if (parsed.initCommand & kEndWhenDone) {
        host_.SetUnattended(true);
    }
    int version = library_.GetDllVersion();
    if (!IsAcceptedLibraryVersion(version)) {
        host_.ShowMessage(VersionMismatchText(version), "DLL照合エラー", MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    state_.libraryVersion = DllVersionText(version);
    host_.SetWindowTitle(kProgramName + state_.programVersion);
    ResetProject();
    marks_.aliasColumn = false;
    host_.ShowRemarksHeading("備考");
    ShowChoiceMarks();
    state_.startCommands = 0;
    state_.currentFolder = WithSeparator(startFolder.empty() ? state_.programFolder : startFolder);
    if (!arguments.empty()) {
        auto callersName = [&](const std::string &name) {
            return name.empty() || name[0] == '/' ? name : state_.currentFolder + name;
        };
        state_.projectFile = callersName(parsed.projectFile);
        state_.dataFile = callersName(parsed.saveFile);
        state_.headerFile = callersName(parsed.headerFile);
        state_.startCommands = static_cast<int16_t>(parsed.initCommand);
        if (!(state_.startCommands & kNoTitleWindow)) {
            host_.ShowTitleWindow(TitleVersionText(state_.programVersion));
        }
        host_.ShowCurrentFolder(state_.currentFolder);
        host_.ShowMainWindow();
        ShowPage();
        bool loaded = true;
        if (!state_.projectFile.empty() && !OpenProject(state_.projectFile)) {
            state_.projectFile.clear();
            loaded = false;
        }
        // A run that ends by itself has said why its project did not load;
        // converting the empty project instead would only add a second,
        // misleading message ("no valid entry") to the script's log.
        const bool unattended = (state_.startCommands & kEndWhenDone) != 0;
        if ((state_.startCommands & kRunAfterLoad) && (loaded || !unattended)) {
            RunConversion();
        }
    } else {
        host_.ShowTitleWindow(TitleVersionText(state_.programVersion));
        host_.ShowCurrentFolder(state_.currentFolder);
        host_.ShowMainWindow();
        ShowPage();
    }
    if (state_.startCommands & kEndWhenDone) {
        Quit();
    }
    return true;
}

void EditorModel::ResetProject()
{
    VorlInformation &info = state_.block;
    state_.currentPage = 0;
    info.indexinterval = 1;
    host_.ShowTotalSize("0 Bytes");
    host_.ShowSaveName("");
    state_.dataFile.clear();
    state_.headerFile.clear();
    state_.projectFile.clear();
    state_.inputFolder.clear();
    state_.inputFilterIndex = 1;
    state_.texts.label = "Vorl_Index";
    // Types a C compiler accepts; projects keep the types they stored.
    state_.texts.type = {"static unsigned char", "static unsigned short", "static unsigned int",
                         "static unsigned long long"};
    state_.redrawing = false;
    state_.lastRow = 0;
    std::fill(state_.entries.begin(), state_.entries.end(), EditEntry{});
    marks_.missingIndexAllOnes = false;
    marks_.aliasTable = false;
    marks_.missingFileUnused = false;
    SetHeaderOutput(0);
    SetPathMode(1);
    SetIndexBytes(4);
    SetAliasBytes(4);
    SetBigEndian(false);
    info.dataalign = 1;
    ShowAlignmentMarks();
    LoadSettings();
    state_.modified = false;
    StartNewHistory();
}

void EditorModel::LoadSettings()
{
    std::string content;
    if (auto bytes = host_.ReadFile(settingsFile_)) {
        // Written here in UTF-8; one brought from Windows is CP932.
        auto asUtf8 = Cp932ToUtf8(*bytes);
        bool isUtf8 = Utf8ToCp932(*bytes).has_value();
        content = isUtf8 || !asUtf8 ? *bytes : *asUtf8;
    }
    // A value holds at most 255 bytes in the code page the block stores,
    // cut on a character boundary.
    auto read = [&](const char *key, const std::string &fallback) {
        return CutToBytes(ReadProfileString(content, "Setup", key, fallback), kProfileValueLimit);
    };
    state_.inputFilter = read("LoadDataFilter", kDefaultFilter);
    state_.texts.convert = {read("ConvertString1", kDefaultConvert1), read("ConvertString2", kDefaultConvert2),
                            read("ConvertString3", ""), read("ConvertString4", "")};
    auto userContent =
        UserSettingsFile() == settingsFile_ ? std::optional<std::string>(content) : host_.ReadFile(UserSettingsFile());
    runSettings_ = ReadRunSettings(userContent.value_or(std::string()));
}

void EditorModel::MarkModified()
{
    if (host_.IsMainWindowEnabled() && !state_.redrawing) {
        state_.modified = true;
    }
}

void EditorModel::ShowAlignmentMarks()
{
    marks_.alignment.fill(false);
    for (size_t i = 0; i < kAlignmentChoices.size(); ++i) {
        if (state_.block.dataalign == kAlignmentChoices[i]) {
            marks_.alignment[i] = true;
        }
    }
    ShowChoiceMarks();
}

void EditorModel::ShowRow(int row)
{
    const int entryNumber = state_.currentPage * kRowsPerPage + row;
    const EditEntry &entry = state_.entries[static_cast<size_t>(entryNumber)];
    const int interval = state_.block.indexinterval;
    RowView view;
    if (interval > 0 && entryNumber % interval == 0) {
        view.caption = std::to_string(entryNumber / interval);
    }
    view.fileName = entry.fileName;
    view.remarks = marks_.aliasColumn ? AliasText(entry.alias) : entry.remarks;
    view.sizeRed = entry.sizeTyped;
    view.size = !entry.sizeTyped && entry.converter != 0 ? "???" : std::to_string(entry.size);
    view.converter = entry.converter;
    view.inUse = entry.inUse;
    host_.ShowRow(row, view);
}

void EditorModel::ShowPage()
{
    state_.redrawing = true;
    for (int row = 0; row < kRowsPerPage; ++row) {
        ShowRow(row);
    }
    host_.ShowPageFields(std::to_string(state_.currentPage), std::to_string(state_.block.indexinterval));
    bool wasEnabled = host_.IsMainWindowEnabled();
    host_.SetMainWindowEnabled(true);
    for (int row = 0; row < kRowsPerPage; ++row) {
        if (state_.entries[static_cast<size_t>(state_.currentPage * kRowsPerPage + row)].inUse) {
            host_.FocusFileName(row);
        }
    }
    if (state_.lastRow != 0) {
        host_.FocusFileName(state_.lastRow);
    }
    host_.SetMainWindowEnabled(wasEnabled);
    state_.redrawing = false;
}

void EditorModel::FirstPage()
{
    if (!Busy()) {
        state_.currentPage = 0;
        ShowPage();
    }
}

void EditorModel::PreviousPage()
{
    if (!Busy() && state_.currentPage >= 1) {
        --state_.currentPage;
        ShowPage();
    }
}

void EditorModel::NextPage()
{
    if (!Busy() && state_.currentPage <= kLastPage - 1) {
        ++state_.currentPage;
        ShowPage();
    }
}

void EditorModel::LastPage()
{
    if (!Busy()) {
        state_.currentPage = kLastPage;
        ShowPage();
    }
}

void EditorModel::GoToPage(const std::string &text)
{
    if (!host_.IsMainWindowEnabled() || Busy()) {
        return;
    }
    state_.currentPage = static_cast<int16_t>(std::clamp(LeadingNumber(text), 0L, static_cast<long>(kLastPage)));
    ShowPage();
}

void EditorModel::SetPageInterval(const std::string &text)
{
    ChangeScope change(*this);
    if (!host_.IsMainWindowEnabled() || Busy()) {
        return;
    }
    // The interval is stored in the project file.
    const auto interval = static_cast<int32_t>(std::clamp(LeadingNumber(text), 1L, 99L));
    if (interval != state_.block.indexinterval) {
        MarkModified();
    }
    state_.block.indexinterval = interval;
    ShowPage();
}

void EditorModel::ToggleAliasColumn()
{
    if (Busy()) {
        return;
    }
    marks_.aliasColumn = !marks_.aliasColumn;
    host_.ShowRemarksHeading(marks_.aliasColumn ? "エイリアス" : "備考");
    ShowChoiceMarks();
    ShowPage();
}

void EditorModel::SetChecked(bool *items, size_t count, int item)
{
    for (size_t i = 0; i < count; ++i) {
        items[i] = static_cast<int>(i) == item;
    }
}

void EditorModel::SetAlignment(int bytes)
{
    ChangeScope change(*this);
    const auto found = std::find(kAlignmentChoices.begin(), kAlignmentChoices.end(), bytes);
    const int item = found == kAlignmentChoices.end() ? -1 : static_cast<int>(found - kAlignmentChoices.begin());
    if (converting_ || item < 0 || marks_.alignment[static_cast<size_t>(item)]) {
        return;
    }
    MarkModified();
    SetChecked(marks_.alignment.data(), marks_.alignment.size(), item);
    const int32_t align = kAlignmentChoices[static_cast<size_t>(item)];
    state_.block.dataalign = align;
    // Sizes are only ever raised. A typed size stays typed: clearing it
    // would save it as 0 and silently drop the padding or cut it asked for.
    std::vector<std::string> raised;
    for (int number = 0; number < kEntryCount; ++number) {
        EditEntry &entry = Entry(number);
        if (!entry.inUse || vorl::common::IsReference(entry.fileName)) {
            continue;
        }
        const int64_t size = RoundUpToAlignment(entry.size);
        if (entry.sizeTyped && size != entry.size) {
            raised.push_back(std::to_string(number) + ": " + std::to_string(entry.size) + " → " + std::to_string(size) +
                             " Bytes");
        }
        entry.size = size;
    }
    ShowChoiceMarks();
    ShowPage();
    if (!raised.empty()) {
        host_.ShowMessage("固定サイズを新しいデータ境界に合わせて補正したよ。\r\n" + ListOfAtMostTwenty(raised), "警告",
                          MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

void EditorModel::SetHeaderOutput(int item)
{
    ChangeScope change(*this);
    if (converting_) {
        return;
    }
    MarkModified();
    SetChecked(marks_.headerOutput.data(), marks_.headerOutput.size(), item);
    state_.block.indexout = item;
    // The menu items are in the order of the output modes.
    bool indexWritten = item != VORL_INDEX_NONE;
    marks_.labelsEditable = indexWritten;
    marks_.missingIndexChoosable = indexWritten;
    marks_.byteOrderChoosable = indexWritten;
    marks_.indexBytesChoosable = indexWritten;
    marks_.aliasChoosable = indexWritten;
    ShowChoiceMarks();
}

// Every choice the project file stores marks the project modified when it
// changes; the reset and the load clear the mark after choosing theirs.
void EditorModel::SetPathMode(int item)
{
    ChangeScope change(*this);
    if (converting_) {
        return;
    }
    if (state_.block.pathmode != item) {
        MarkModified();
    }
    state_.block.pathmode = item;
    SetChecked(marks_.pathMode.data(), marks_.pathMode.size(), item);
    ShowChoiceMarks();
}

void EditorModel::SetIndexBytes(int bytes)
{
    ChangeScope change(*this);
    const int item = vorl::common::WidthChoice(bytes);
    if (converting_) {
        return;
    }
    SetChecked(marks_.indexBytes.data(), marks_.indexBytes.size(), item);
    if (item >= 0 && item < 4) {
        if (state_.block.indexbyte != vorl::common::kValueWidths[static_cast<size_t>(item)]) {
            MarkModified();
        }
        state_.block.indexbyte = vorl::common::kValueWidths[static_cast<size_t>(item)];
    }
    ShowChoiceMarks();
}

void EditorModel::SetAliasBytes(int bytes)
{
    ChangeScope change(*this);
    const int item = vorl::common::WidthChoice(bytes);
    if (converting_) {
        return;
    }
    if (item >= 0 && item < 4 && !marks_.aliasBytes[static_cast<size_t>(item)]) {
        MarkModified();
    }
    SetChecked(marks_.aliasBytes.data(), marks_.aliasBytes.size(), item);
    if (item >= 0 && item < 4) {
        state_.block.usealias = vorl::common::kValueWidths[static_cast<size_t>(item)];
    }
    ShowChoiceMarks();
    // The alias column shows the value at the chosen width: a field left
    // at the former width would be taken back as typed on its next Enter.
    if (marks_.aliasColumn && item >= 0 && item < 4) {
        ShowPage();
    }
}

void EditorModel::SetBigEndian(bool bigEndian)
{
    ChangeScope change(*this);
    const int item = bigEndian ? 1 : 0;
    if (converting_) {
        return;
    }
    if (state_.block.changeendian != (item == 0 ? 0 : 1)) {
        MarkModified();
    }
    marks_.byteOrder = {item == 0, item != 0};
    state_.block.changeendian = item == 0 ? 0 : 1;
    ShowChoiceMarks();
}

void EditorModel::ToggleAliasTable()
{
    ChangeScope change(*this);
    if (converting_) {
        return;
    }
    MarkModified();
    marks_.aliasTable = !marks_.aliasTable;
    ShowChoiceMarks();
}

void EditorModel::ToggleMissingIndexAllOnes()
{
    ChangeScope change(*this);
    if (converting_) {
        return;
    }
    MarkModified();
    marks_.missingIndexAllOnes = !marks_.missingIndexAllOnes;
    ShowChoiceMarks();
}

void EditorModel::ToggleMissingFileUnused()
{
    ChangeScope change(*this);
    if (converting_) {
        return;
    }
    MarkModified();
    marks_.missingFileUnused = !marks_.missingFileUnused;
    ShowChoiceMarks();
}

void EditorModel::ToggleSound()
{
    if (converting_) {
        return;
    }
    marks_.soundOff = !marks_.soundOff;
    ShowChoiceMarks();
}

void EditorModel::ShowHelp()
{
    if (converting_) {
        return;
    }
    // F1 never does silently nothing: a help page that is not where the
    // program keeps it is named.
    const std::string page = state_.programFolder + "help.htm";
    if (!host_.OpenDocument(page)) {
        host_.ShowMessage(page + "\r\nヘルプファイルが開けないよ。", "ヘルプ", MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

void EditorModel::ShowAbout()
{
    if (Busy()) {
        return;
    }
    state_.redrawing = true;
    AboutBox about(host_, state_.programFolder, state_.programVersion, state_.libraryVersion, random_);
    host_.ShowAboutBox(about);
    state_.redrawing = false;
}

void EditorModel::Quit()
{
    if (converting_) {
        return;
    }
    host_.CloseMainWindow();
}

}  // namespace vorlmake

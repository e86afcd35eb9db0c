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
#include "library_calls.h"
#include "profile_file.h"
#include "text_codec.h"

namespace vorlmake {
namespace {

constexpr const char *kDefaultFilter =
    "すべてのファイル(*.*)|*.*|binファイル(*.bin)|*.bin|datファイル(*.dat)|*.dat";
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
    uint32_t v = static_cast<uint32_t>(version);
    return std::to_string((v & 0xFF000000u) / 16777216u) + "." + std::to_string((v & 0xFF0000u) / 65536u) + "." +
           std::to_string(v & 0xFFFFu);
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

int EditorModel::AliasWidth() const
{
    static constexpr int kWidths[] = {1, 2, 4, 8};
    for (size_t i = 0; i < menus_.alsTp.size(); ++i) {
        if (menus_.alsTp[i]) {
            return kWidths[i];
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
    state_.AppDir = WithSeparator(std::move(programFolder));
    settingsFile_ = state_.AppDir + "vorlmake.ini";
    state_.AppVersion = std::move(appVersion);
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
    state_.DllVersion = DllVersionText(version);
    host_.SetWindowTitle(kProgramName + state_.AppVersion);
    ResetProject();
    menus_.dispAlias = false;
    host_.ShowRemarksHeading("備考");
    ShowMenus();
    state_.InitCommand = 0;
    state_.CurrentDir = WithSeparator(startFolder.empty() ? state_.AppDir : startFolder);
    if (!arguments.empty()) {
        auto callersName = [&](const std::string &name) {
            return name.empty() || name[0] == '/' ? name : state_.CurrentDir + name;
        };
        state_.Prj_file = callersName(parsed.projectFile);
        state_.Save_file = callersName(parsed.saveFile);
        state_.Header_file = callersName(parsed.headerFile);
        state_.InitCommand = static_cast<int16_t>(parsed.initCommand);
        if (!(state_.InitCommand & kNoTitleWindow)) {
            host_.ShowTitleWindow(TitleVersionText(state_.AppVersion));
        }
        host_.ShowCurrentFolder(state_.CurrentDir);
        host_.ShowMainWindow();
        ShowPage();
        if (!state_.Prj_file.empty() && !LoadProject(state_.Prj_file)) {
            state_.Prj_file.clear();
        }
        if (state_.InitCommand & kRunAfterLoad) {
            mnuStart_Click();
        }
    } else {
        host_.ShowTitleWindow(TitleVersionText(state_.AppVersion));
        host_.ShowCurrentFolder(state_.CurrentDir);
        host_.ShowMainWindow();
        ShowPage();
    }
    if (state_.InitCommand & kEndWhenDone) {
        mnuEnd_Click();
    }
    return true;
}

void EditorModel::ResetProject()
{
    VorlInformation &info = state_.ProjectInfo;
    state_.Page = 0;
    info.indexinterval = 1;
    host_.ShowTotalSize("0 Bytes");
    host_.ShowSaveName("");
    state_.Save_file.clear();
    state_.Header_file.clear();
    state_.Prj_file.clear();
    state_.FileInputDir.clear();
    state_.FileInputFilter = 1;
    state_.Texts.label = "Vorl_Index";
    // Types a C compiler accepts; projects keep the types they stored.
    state_.Texts.type = {"static unsigned char", "static unsigned short", "static unsigned int",
                         "static unsigned long long"};
    state_.NowPrint = false;
    state_.LastFocus = 0;
    std::fill(state_.Entries.begin(), state_.Entries.end(), EditEntry{});
    menus_.indexFfff = false;
    menus_.alias = false;
    menus_.noFile = false;
    mnuHeader_Click(0);
    mnu_PathSel_Click(1);
    mnuIdxTp_Click(2);
    mnuAlsTp_Click(2);
    mnuEndi_Click(0);
    info.dataalign = 1;
    ShowAlignMenu();
    LoadSettings();
    state_.NewAccess = false;
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
    state_.LoadDataFilter = read("LoadDataFilter", kDefaultFilter);
    state_.Texts.convert = {read("ConvertString1", kDefaultConvert1), read("ConvertString2", kDefaultConvert2),
                            read("ConvertString3", ""), read("ConvertString4", "")};
    auto userContent = UserSettingsFile() == settingsFile_ ? std::optional<std::string>(content)
                                                            : host_.ReadFile(UserSettingsFile());
    runSettings_ = ReadRunSettings(userContent.value_or(std::string()));
}

void EditorModel::MarkModified()
{
    if (host_.IsMainWindowEnabled() && !state_.NowPrint) {
        state_.NewAccess = true;
    }
}

void EditorModel::ShowAlignMenu()
{
    menus_.kgr.fill(false);
    for (size_t i = 0; i < kAlignmentItems.size(); ++i) {
        if (state_.ProjectInfo.dataalign == kAlignmentItems[i]) {
            menus_.kgr[i] = true;
        }
    }
    ShowMenus();
}

void EditorModel::ShowRow(int row)
{
    const int entryNumber = state_.Page * kRowsPerPage + row;
    const EditEntry &entry = state_.Entries[static_cast<size_t>(entryNumber)];
    const int interval = state_.ProjectInfo.indexinterval;
    RowView view;
    if (interval > 0 && entryNumber % interval == 0) {
        view.caption = std::to_string(entryNumber / interval);
    }
    view.fileName = entry.FileName;
    view.remarks = menus_.dispAlias ? std::to_string(entry.Alias) : entry.Remarks;
    view.sizeRed = entry.SizeFixed;
    view.size = !entry.SizeFixed && entry.ConvertNo != 0 ? "???" : std::to_string(entry.Size);
    view.converter = entry.ConvertNo;
    view.inUse = entry.Use;
    host_.ShowRow(row, view);
}

void EditorModel::ShowPage()
{
    state_.NowPrint = true;
    for (int row = 0; row < kRowsPerPage; ++row) {
        ShowRow(row);
    }
    host_.ShowPageFields(std::to_string(state_.Page), std::to_string(state_.ProjectInfo.indexinterval));
    bool wasEnabled = host_.IsMainWindowEnabled();
    host_.SetMainWindowEnabled(true);
    for (int row = 0; row < kRowsPerPage; ++row) {
        if (state_.Entries[static_cast<size_t>(state_.Page * kRowsPerPage + row)].Use) {
            host_.FocusFileName(row);
        }
    }
    if (state_.LastFocus != 0) {
        host_.FocusFileName(state_.LastFocus);
    }
    host_.SetMainWindowEnabled(wasEnabled);
    state_.NowPrint = false;
}

void EditorModel::FirstPage()
{
    if (!Busy()) {
        state_.Page = 0;
        ShowPage();
    }
}

void EditorModel::PreviousPage()
{
    if (!Busy() && state_.Page >= 1) {
        --state_.Page;
        ShowPage();
    }
}

void EditorModel::NextPage()
{
    if (!Busy() && state_.Page <= kLastPage - 1) {
        ++state_.Page;
        ShowPage();
    }
}

void EditorModel::LastPage()
{
    if (!Busy()) {
        state_.Page = kLastPage;
        ShowPage();
    }
}

void EditorModel::EnterPage(const std::string &text)
{
    if (!host_.IsMainWindowEnabled() || Busy()) {
        return;
    }
    state_.Page = static_cast<int16_t>(std::clamp(LeadingNumber(text), 0L, static_cast<long>(kLastPage)));
    ShowPage();
}

void EditorModel::EnterInterval(const std::string &text)
{
    if (!host_.IsMainWindowEnabled() || Busy()) {
        return;
    }
    // The interval is stored in the project file.
    const auto interval = static_cast<int32_t>(std::clamp(LeadingNumber(text), 1L, 99L));
    if (interval != state_.ProjectInfo.indexinterval) {
        MarkModified();
    }
    state_.ProjectInfo.indexinterval = interval;
    ShowPage();
}

void EditorModel::mnuDispAlias_Click()
{
    if (Busy()) {
        return;
    }
    menus_.dispAlias = !menus_.dispAlias;
    host_.ShowRemarksHeading(menus_.dispAlias ? "エイリアス" : "備考");
    ShowMenus();
    ShowPage();
}

void EditorModel::SetChecked(bool *items, size_t count, int item)
{
    for (size_t i = 0; i < count; ++i) {
        items[i] = static_cast<int>(i) == item;
    }
}

void EditorModel::mnuKgr_Click(int item)
{
    if (converting_ || item < 0 || item >= static_cast<int>(kAlignmentItems.size()) ||
        menus_.kgr[static_cast<size_t>(item)]) {
        return;
    }
    MarkModified();
    SetChecked(menus_.kgr.data(), menus_.kgr.size(), item);
    const int32_t align = kAlignmentItems[static_cast<size_t>(item)];
    state_.ProjectInfo.dataalign = align;
    // Sizes are only ever raised. A typed size stays typed: clearing it
    // would save it as 0 and silently drop the padding or cut it asked for.
    std::vector<std::string> raised;
    for (int number = 0; number < kEntryCount; ++number) {
        EditEntry &entry = Entry(number);
        if (!entry.Use || (!entry.FileName.empty() && entry.FileName[0] == '*')) {
            continue;
        }
        const int64_t size = RoundUpToAlignment(entry.Size);
        if (entry.SizeFixed && size != entry.Size) {
            raised.push_back(std::to_string(number) + ": " + std::to_string(entry.Size) + " → " + std::to_string(size) +
                             " Bytes");
        }
        entry.Size = size;
    }
    ShowMenus();
    ShowPage();
    if (!raised.empty()) {
        host_.ShowMessage("固定サイズを新しいデータ境界に合わせて補正したよ。\r\n" + ListOfAtMostTwenty(raised), "警告",
                          MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

void EditorModel::mnuHeader_Click(int item)
{
    if (converting_) {
        return;
    }
    MarkModified();
    SetChecked(menus_.header.data(), menus_.header.size(), item);
    state_.ProjectInfo.indexout = item;
    // The menu items are in the order of the output modes.
    bool indexWritten = item != VORL_INDEX_NONE;
    menus_.setLabelEnabled = indexWritten;
    menus_.indexFfffEnabled = indexWritten;
    menus_.endianEnabled = indexWritten;
    menus_.idxTypeEnabled = indexWritten;
    menus_.aliasEnabled = indexWritten;
    ShowMenus();
}

// Every choice the project file stores marks the project modified when it
// changes; the reset and the load clear the mark after choosing theirs.
void EditorModel::mnu_PathSel_Click(int item)
{
    if (converting_) {
        return;
    }
    if (state_.ProjectInfo.pathmode != item) {
        MarkModified();
    }
    state_.ProjectInfo.pathmode = item;
    SetChecked(menus_.pathSel.data(), menus_.pathSel.size(), item);
    ShowMenus();
}

void EditorModel::mnuIdxTp_Click(int item)
{
    static constexpr int32_t kWidths[] = {1, 2, 4, 8};
    if (converting_) {
        return;
    }
    SetChecked(menus_.idxTp.data(), menus_.idxTp.size(), item);
    if (item >= 0 && item < 4) {
        if (state_.ProjectInfo.indexbyte != kWidths[item]) {
            MarkModified();
        }
        state_.ProjectInfo.indexbyte = kWidths[item];
    }
    ShowMenus();
}

void EditorModel::mnuAlsTp_Click(int item)
{
    static constexpr int32_t kWidths[] = {1, 2, 4, 8};
    if (converting_) {
        return;
    }
    if (item >= 0 && item < 4 && !menus_.alsTp[static_cast<size_t>(item)]) {
        MarkModified();
    }
    SetChecked(menus_.alsTp.data(), menus_.alsTp.size(), item);
    if (item >= 0 && item < 4) {
        state_.ProjectInfo.usealias = kWidths[item];
    }
    ShowMenus();
}

void EditorModel::mnuEndi_Click(int item)
{
    if (converting_) {
        return;
    }
    if (state_.ProjectInfo.changeendian != (item == 0 ? 0 : 1)) {
        MarkModified();
    }
    menus_.endi = {item == 0, item != 0};
    state_.ProjectInfo.changeendian = item == 0 ? 0 : 1;
    ShowMenus();
}

void EditorModel::mnuAlias_Click()
{
    if (converting_) {
        return;
    }
    MarkModified();
    menus_.alias = !menus_.alias;
    ShowMenus();
}

void EditorModel::mnuIndex_ffff_Click()
{
    if (converting_) {
        return;
    }
    MarkModified();
    menus_.indexFfff = !menus_.indexFfff;
    ShowMenus();
}

void EditorModel::mnuNoFile_Click()
{
    if (converting_) {
        return;
    }
    MarkModified();
    menus_.noFile = !menus_.noFile;
    ShowMenus();
}

void EditorModel::mnu_SoundOff_Click()
{
    if (converting_) {
        return;
    }
    menus_.soundOff = !menus_.soundOff;
    ShowMenus();
}

void EditorModel::mnu_ShowHelp_Click()
{
    if (converting_) {
        return;
    }
    // F1 never does silently nothing: a help page that is not where the
    // program keeps it is named.
    const std::string page = state_.AppDir + "help.htm";
    if (!host_.OpenDocument(page)) {
        host_.ShowMessage(page + "\r\nヘルプファイルが開けないよ。", "ヘルプ", MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

void EditorModel::mnuVersion_Click()
{
    if (Busy()) {
        return;
    }
    state_.NowPrint = true;
    AboutBox about(host_, state_.AppDir, state_.AppVersion, state_.DllVersion, random_);
    host_.ShowAboutBox(about);
    state_.NowPrint = false;
}

void EditorModel::mnuEnd_Click()
{
    if (converting_) {
        return;
    }
    host_.CloseMainWindow();
}

}  // namespace vorlmake

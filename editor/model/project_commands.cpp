// Project commands: New, Open (menu and dropping), Save, Save As, the
// close check, the data file choice, the entry check, and the transfers
// to and from the library.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "command_line.h"
#include "editor_model.h"
#include "entry_reference.h"
#include "library_calls.h"
#include "value_widths.h"

namespace vorlmake {
namespace {

constexpr const char *kChangedOpen = "プロジェクトが変更されているよ。保存するの？";
constexpr const char *kChangedClose = "プロジェクトが変更されているよ。保存する？";

bool EndsWithPrj(const std::string &path)
{
    if (path.size() < 3) {
        return false;
    }
    std::string tail = path.substr(path.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == "prj";
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

}  // namespace

std::string EditorModel::ShortTitle() const
{
    // "2.0.2" reads "2.02": the revision follows the minor number directly.
    std::string version = state_.programVersion;
    size_t second = version.find('.', version.find('.') + 1);
    if (second != std::string::npos) {
        version.erase(second, 1);
    }
    return kProgramName + version;
}

bool EditorModel::AskToSaveChanges(const char *question)
{
    if (!state_.modified) {
        return true;
    }
    switch (host_.ShowMessage(question, "保存確認", MessageIcon::Exclamation, MessageButtons::YesNoCancel)) {
        case Answer::Yes:
            // The edits are discarded only when they were really saved.
            return SaveOrSaveAs();
        case Answer::No:
            return true;
        default:
            return false;
    }
}

void EditorModel::NewProject()
{
    if (Busy()) {
        return;
    }
    Answer answer = host_.ShowMessage("現在の設定を、すべてクリアするよ。\r\n本当にいいね？", "クリア確認",
                                      MessageIcon::Question, MessageButtons::YesNo);
    // The reset cannot be taken back: unsaved work is offered a save
    // first, as before opening another project, and only once the user
    // has said the project is to go. A save that fails or is cancelled
    // keeps it.
    if (answer != Answer::Yes || !AskToSaveChanges(kChangedOpen)) {
        return;
    }
    ResetProject();
    ShowPage();
    host_.SetWindowTitle(ShortTitle());
    state_.modified = false;
}

void EditorModel::ChooseProjectToOpen()
{
    if (Busy() || !AskToSaveChanges(kChangedOpen)) {
        return;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    FileDialogRequest request;
    request.title = "プロジェクトを開く";
    request.filters = {{"プロジェクトファイル(*.vorlprj;*.prj)", "*.vorlprj;*.prj"}, {"すべてのファイル(*.*)", "*.*"}};
    request.startFolder = state_.currentFolder;
    std::optional<FileChoice> choice = host_.ChooseFileToOpen(request);
    host_.SetMainWindowEnabled(true);
    if (choice && !choice->path.empty() && OpenProject(choice->path)) {
        SetProjectPath(choice->path);
    }
}

void EditorModel::OpenDroppedProject(const std::vector<std::string> &paths)
{
    if (Busy() || paths.empty() || !EndsWithPrj(paths.front())) {
        return;
    }
    if (AskToSaveChanges(kChangedOpen)) {
        OpenProject(paths.front());
    }
}

bool EditorModel::OpenProject(std::string path)
{
    const std::string saveFile = state_.dataFile;
    const std::string headerFile = state_.headerFile;
    ResetProject();
    VorlInformation &info = state_.block;
    auto projectFile = Utf8ToCp932Path(path);
    std::memset(info.prjfile, 0, sizeof info.prjfile);
    if (projectFile) {
        std::memcpy(info.prjfile, projectFile->data(), projectFile->size());
    }
    TextsToBlock(state_.texts, info);
    std::vector<IndexEntry> table(kEntryCount);
    int rc = projectFile ? library_.GetProjectFileVB(&info, table.data()) : VORL_ERR_PRJ_NOT_FOUND;
    info.entries = nullptr;  // the table was the editor's, for this call only
    // A failed load shows the empty project it leaves behind.
    auto fail = [&](const std::string &text) {
        exitStatus_ = rc < 0 ? -rc : 1;
        ShowPage();
        host_.SetWindowTitle(ShortTitle());
        host_.ShowMessage(text, "ファイルエラー", MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    };
    if (rc == VORL_ERR_NOT_A_PROJECT) {
        return fail("指定されたファイルは、Vorl Makerのプロジェクトファイルとして認識できないよ。");
    }
    if (rc == VORL_ERR_PRJ_NOT_FOUND) {
        return fail(path + "\r\nプロジェクトファイルが読み込めないよ。");
    }
    // The library refuses a newer project with -3; that is the version
    // message, not a read error.
    if (rc == VORL_ERR_TOOL_TOO_OLD) {
        return fail("ツールのバージョンが古いみたいだよ。");
    }
    if (rc != VORL_OK) {
        return fail("読み込み中にエラーが出ちゃった。");
    }
    if (info.version > VORL_PRJ_VERSION) {
        return fail("ツールのバージョンが古いみたいだよ。");
    }
    BlockToTexts(info, state_.texts);
    if (state_.startCommands & kRunAfterLoad) {
        state_.dataFile = saveFile;
        state_.headerFile = headerFile;
    }
    TableToEntries(table, std::clamp(info.indexnum, 0, kEntryCount), state_.entries);
    host_.ShowSaveName("");
    state_.currentPage = 0;
    ShowPage();
    ShowAlignmentMarks();
    ApplyLoadedSettingsToMarks();
    SetProjectPath(path);
    RescanSizes();
    state_.modified = false;
    StartNewHistory();
    return true;
}

void EditorModel::ApplyLoadedSettingsToMarks()
{
    const VorlInformation info = state_.block;
    marks_.missingIndexAllOnes = info.indexmode != 0;
    if (info.indexout >= 0 && info.indexout <= 3) {
        SetHeaderOutput(info.indexout);
    }
    if (info.pathmode >= 0 && info.pathmode <= 2) {
        SetPathMode(info.pathmode);
    }
    marks_.aliasTable = info.usealias != 0;
    marks_.missingFileUnused = info.skipnofile != 0;
    SetBigEndian(info.changeendian != 0);
    for (int bytes : {1, 2, 4, 8}) {
        if (info.indexbyte == bytes) {
            SetIndexBytes(bytes);
        }
        if (info.usealias == bytes) {
            SetAliasBytes(bytes);
        }
    }
    // The alias width items keep their marks when the alias table is off.
    state_.block.usealias = info.usealias;
    ShowChoiceMarks();
}

void EditorModel::SaveProject()
{
    if (!Busy()) {
        SaveOrSaveAs();
    }
}

void EditorModel::SaveProjectAs()
{
    if (!Busy() && SaveUnderChosenName()) {
        history_.MarkSaved();
    }
}

bool EditorModel::SaveUnderChosenName()
{
    FileDialogRequest request;
    request.title = "名前をつけて保存";
    request.filters = {{"プロジェクトファイル(*.vorlprj)", "*.vorlprj"}, {"すべてのファイル(*.*)", "*.*"}};
    request.startFolder = state_.currentFolder;
    std::optional<FileChoice> choice = host_.ChooseFileToSave(request);
    if (!choice || choice->path.empty()) {
        return false;
    }
    std::string path = choice->path;
    const size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    if (path.find('.', nameStart) == std::string::npos) {
        path += ".vorlprj";
    }
    if (host_.FileLength(path)) {
        Answer answer = host_.ShowMessage(path + "\r\nこのファイルは既に存在するよ。\r\n上書きしていいの？",
                                          "上書き確認", MessageIcon::Question, MessageButtons::YesNo);
        if (answer != Answer::Yes) {
            // The project is left without a file name, and its title says so.
            state_.projectFile.clear();
            host_.SetWindowTitle(ShortTitle());
            return false;
        }
    }
    // Relative and bare names are relative to the project's folder: saved
    // into another one, they are rewritten so that they name the same files.
    const std::string previousFile = state_.projectFile;
    const std::string newFolder = path.substr(0, nameStart);
    EntryList previousEntries;
    if (nameStart > 0 && newFolder != state_.currentFolder) {
        previousEntries = state_.entries;
        state_.entries = EntriesRebased(state_.currentFolder, newFolder);
    }
    state_.projectFile = path;
    if (!WriteProject()) {
        // Name, title and folder stay those of the previous file together.
        state_.projectFile = previousFile;
        if (!previousEntries.empty()) {
            state_.entries = std::move(previousEntries);
        }
        ShowPage();
        return false;
    }
    SetProjectPath(path);
    ShowPage();
    return true;
}

EntryList EditorModel::EntriesRebased(const std::string &fromFolder, const std::string &toFolder)
{
    EntryList entries = state_.entries;
    for (EditEntry &entry : entries) {
        const std::string &name = entry.fileName;
        if (name.empty() || vorl::common::IsReference(name) || name[0] == '/' || name[0] == '\\') {
            continue;
        }
        std::optional<std::string> full = RelToAbs(library_, fromFolder, name);
        if (!full) {
            continue;
        }
        std::optional<std::string> relative = AbsToRel(library_, toFolder, *full);
        auto length = relative ? Cp932Length(*relative) : std::nullopt;
        entry.fileName = length && *length < VORL_PATH_SIZE ? *relative : *full;
    }
    return entries;
}

bool EditorModel::WriteProject()
{
    if (Busy()) {
        return false;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    if (!CheckEntries()) {
        host_.SetMainWindowEnabled(true);
        return false;
    }
    std::string tooLong = TextThatDoesNotFit(state_);
    auto projectFile = Utf8ToCp932Path(state_.projectFile);
    if (!tooLong.empty() || !projectFile) {
        host_.ShowMessage((tooLong.empty() ? state_.projectFile : tooLong) +
                              "\r\nこの名前は長すぎるか、Shift-JISで表せないため保存できないよ。",
                          "ファイルエラー", MessageIcon::Exclamation, MessageButtons::Ok);
        host_.SetMainWindowEnabled(true);
        return false;
    }
    std::string unsavable = TextThatCannotBeSaved(state_);
    if (!unsavable.empty()) {
        host_.ShowMessage(unsavable + "\r\n制御文字が含まれているため保存できないよ。", "ファイルエラー",
                          MessageIcon::Exclamation, MessageButtons::Ok);
        host_.SetMainWindowEnabled(true);
        return false;
    }
    VorlInformation &info = state_.block;
    info.indexmode = marks_.missingIndexAllOnes ? 1 : 0;
    info.skipnofile = marks_.missingFileUnused ? 1 : 0;
    if (!marks_.aliasTable) {
        info.usealias = 0;
    } else {
        auto first = std::find(marks_.aliasBytes.begin(), marks_.aliasBytes.end(), true);
        if (first != marks_.aliasBytes.end()) {
            info.usealias = vorl::common::kValueWidths[static_cast<size_t>(first - marks_.aliasBytes.begin())];
        }
    }
    std::vector<IndexEntry> table = EntriesToTable(state_.entries, info.indexnum);
    TextsToBlock(state_.texts, info);
    std::memset(info.prjfile, 0, sizeof info.prjfile);
    std::memcpy(info.prjfile, projectFile->data(), projectFile->size());
    // The previous file is replaced only by a complete new one; a failure
    // is reported and the project stays modified, so closing still asks.
    int rc = library_.PutXMLPrjFileVB(&info, table.data());
    info.entries = nullptr;
    host_.SetMainWindowEnabled(true);
    if (rc != VORL_OK) {
        host_.ShowMessage(state_.projectFile + "\r\n" + LibraryMessage(library_, rc), "ファイルエラー",
                          MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    state_.modified = false;
    return true;
}

bool EditorModel::SaveOrSaveAs()
{
    const bool saved = state_.projectFile.empty() ? SaveUnderChosenName() : WriteProject();
    if (saved) {
        history_.MarkSaved();
    }
    return saved;
}

bool EditorModel::MayClose()
{
    if (converting_) {
        return false;
    }
    if (!state_.modified) {
        return true;
    }
    if (state_.startCommands & kRunAfterLoad) {
        if (!SaveOrSaveAs() && exitStatus_ == 0) {
            exitStatus_ = 1;
        }
        return true;
    }
    switch (host_.ShowMessage(kChangedClose, "保存確認", MessageIcon::Exclamation, MessageButtons::YesNoCancel)) {
        case Answer::Yes:
            if (SaveOrSaveAs()) {
                return true;
            }
            // Nobody is there to try again when the program ends by itself.
            if (state_.startCommands & kEndWhenDone) {
                exitStatus_ = exitStatus_ == 0 ? 1 : exitStatus_;
                return true;
            }
            return false;
        case Answer::No:
            return true;
        default:
            return false;
    }
}

bool EditorModel::ChooseDataFile()
{
    if (Busy()) {
        return false;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    FileDialogRequest request;
    request.title = "出力ファイル";
    request.filters = {
        {"すべてのファイル(*.*)", "*.*"}, {"binファイル(*.bin)", "*.bin"}, {"datファイル(*.dat)", "*.dat"}};
    request.startFolder = state_.currentFolder;
    request.presetName = state_.dataFile;
    // A data file named before opens its own folder; else where the user works.
    const size_t slash = state_.dataFile.rfind('/');
    if (slash != std::string::npos) {
        request.startFolder = state_.dataFile.substr(0, slash + 1);
    }
    bool chosen = false;
    for (;;) {
        std::optional<FileChoice> choice = host_.ChooseFileToSave(request);
        if (!choice) {
            break;
        }
        if (choice->path.empty()) {
            chosen = true;
            break;
        }
        if (!(state_.startCommands & kRunAfterLoad) && host_.FileLength(choice->path)) {
            Answer answer = host_.ShowMessage(choice->path + "\r\nこのファイルは既に存在してるよ。\r\n上書きするの？",
                                              "上書き確認", MessageIcon::Question, MessageButtons::YesNoCancel);
            if (answer == Answer::No) {
                continue;
            }
            if (answer != Answer::Yes) {
                break;
            }
        }
        state_.dataFile = choice->path;
        host_.ShowSaveName(state_.dataFile);
        chosen = true;
        break;
    }
    host_.SetMainWindowEnabled(true);
    return chosen;
}

bool EditorModel::CheckEntries()
{
    int highest = -1;
    for (int n = 0; n < kEntryCount; ++n) {
        const EditEntry &entry = Entry(n);
        if (!entry.inUse) {
            continue;
        }
        if (entry.fileName.empty()) {
            host_.ShowMessage("Indexを有効にした項目には、ちゃんとファイル名を入力してね。", "設定エラー",
                              MessageIcon::Exclamation, MessageButtons::Ok);
            return false;
        }
        highest = n;
    }
    if (highest < 0) {
        host_.ShowMessage("有効なIndexが１つもないよ。", "設定エラー", MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    }
    state_.block.indexnum = highest + 1;
    return true;
}

void EditorModel::SetProjectPath(const std::string &path)
{
    state_.projectFile = path;
    size_t slash = path.rfind('/');
    std::string name = path;
    if (slash != std::string::npos) {
        state_.currentFolder = path.substr(0, slash + 1);
        name = path.substr(slash + 1);
    }
    host_.SetWindowTitle(ShortTitle() + "  -  " + Upper(name));
    host_.ShowCurrentFolder(state_.currentFolder);
}

void EditorModel::UseDataFile(const std::string &path)
{
    if (Busy()) {
        return;
    }
    state_.dataFile = path;
    host_.ShowSaveName(path);
}

void EditorModel::UseHeaderFile(const std::string &path)
{
    if (!Busy()) {
        state_.headerFile = path;
    }
}

}  // namespace vorlmake

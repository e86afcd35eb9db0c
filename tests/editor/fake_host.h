// A scripted stand-in for the window: it records what the editor shows
// and asks, and gives the answers a test scripted.
#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "about_box.h"
#include "editor_host.h"

namespace vorlmake::test {

struct RecordedMessage {
    std::string text, title;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeHost : public EditorHost {
public:
    std::vector<RecordedMessage> messages;
    std::deque<Answer> answers;  // given in order; Ok when none is left
    std::array<RowView, 10> rows{};
    std::string page, interval, remarksHeading, totalSize, saveName, currentFolder, windowTitle;
    ChoiceMarks menus;
    std::vector<int> focused;
    std::vector<std::string> titleWindows;
    std::vector<std::string> openedDocuments;
    std::map<std::string, std::string> files;  // what ReadFile finds
    bool enabled = true;
    bool shown = false;
    bool closed = false;
    int beeps = 0;
    bool systemInformation = false;
    std::function<void(AboutBox &)> onAbout;

    Answer ShowMessage(const std::string &text, const std::string &title, MessageIcon icon,
                       MessageButtons buttons) override
    {
        messages.push_back({text, title, icon, buttons});
        if (answers.empty()) {
            return Answer::Ok;
        }
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // Scripted file dialog answers, in order; nothing (cancel) when none is left.
    std::deque<std::optional<FileChoice>> fileChoices;
    std::vector<FileDialogRequest> fileDialogs;
    std::optional<FileChoice> NextChoice(const FileDialogRequest &request)
    {
        fileDialogs.push_back(request);
        if (fileChoices.empty()) {
            return std::nullopt;
        }
        auto choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }
    std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest &request) override
    {
        return NextChoice(request);
    }
    std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest &request) override
    {
        return NextChoice(request);
    }
    std::optional<int64_t> FileLength(const std::string &path) override
    {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            return std::nullopt;
        }
        return static_cast<int64_t>(std::filesystem::file_size(path, error));
    }
    void ProcessPendingMessages() override {}
    void SetMainWindowEnabled(bool value) override { enabled = value; }
    bool IsMainWindowEnabled() const override { return enabled; }
    bool unattended = false;
    void SetUnattended(bool value) override { unattended = value; }
    void ShowRow(int row, const RowView &view) override { rows[static_cast<size_t>(row)] = view; }
    void ShowPageFields(const std::string &p, const std::string &i) override
    {
        page = p;
        interval = i;
    }
    void FocusFileName(int row) override { focused.push_back(row); }
    void ShowChoiceMarks(const ChoiceMarks &m) override { menus = m; }
    void ShowRemarksHeading(const std::string &heading) override { remarksHeading = heading; }
    void ShowTotalSize(const std::string &text) override { totalSize = text; }
    void ShowSaveName(const std::string &name) override { saveName = name; }
    void ShowCurrentFolder(const std::string &folder) override { currentFolder = folder; }
    void SetWindowTitle(const std::string &title) override { windowTitle = title; }
    void ShowMainWindow() override { shown = true; }
    void CloseMainWindow() override { closed = true; }
    void ShowTitleWindow(const std::string &versionText) override { titleWindows.push_back(versionText); }
    void ShowAboutBox(AboutBox &about) override
    {
        if (onAbout) {
            onAbout(about);
        }
    }
    std::optional<std::string> ReadFile(const std::string &path) override
    {
        auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool documentsOpen = true;  // false: no viewer, and no page to show
    bool OpenDocument(const std::string &path) override
    {
        openedDocuments.push_back(path);
        return documentsOpen;
    }
    bool StartSystemInformation() override { return systemInformation; }
    bool RemoveFile(const std::string &path) override
    {
        std::error_code error;
        return std::filesystem::remove(path, error);
    }
    // The run's own folders, made as the window's host makes them.
    std::vector<std::string> runFolders;
    std::optional<std::string> MakeRunFolder(const std::string &folder) override
    {
        std::string name = folder + "vorlmake-XXXXXX";
        if (mkdtemp(name.data()) == nullptr) {
            return std::nullopt;
        }
        runFolders.push_back(name + "/");
        return runFolders.back();
    }
    bool RemoveRunFolder(const std::string &folder) override
    {
        std::error_code error;
        return std::filesystem::remove_all(folder, error) > 0 && !error;
    }
    std::vector<bool> runningStates;
    int busyRuns = 0;
    bool enabledDuringWork = true;
    void ShowConversionRunning(bool running) override { runningStates.push_back(running); }
    // The progress reports of the run: (rows done, row count, input).
    std::vector<std::tuple<int, int, std::string>> progress;
    std::function<void(int, int)> onProgress;
    void ShowConversionProgress(int rowsDone, int rowCount, const std::string &input) override
    {
        progress.emplace_back(rowsDone, rowCount, input);
        if (onProgress) {
            onProgress(rowsDone, rowCount);
        }
    }
    std::function<bool(RunSettings &)> runSettingsDialog;
    bool ShowRunSettingsDialog(RunSettings &settings) override
    {
        return runSettingsDialog ? runSettingsDialog(settings) : false;
    }
    bool writesFail = false;
    bool WriteFileReplacing(const std::string &path, const std::string &content) override
    {
        if (writesFail) {
            return false;
        }
        files[path] = content;
        return true;
    }
    // What the user does while the library works (the window's events go
    // on being delivered while the conversion runs off the interface thread).
    std::function<void()> whileWorking;
    int RunWhileBusy(const std::function<int()> &work) override
    {
        ++busyRuns;
        enabledDuringWork = enabled;
        if (whileWorking) {
            whileWorking();
        }
        return work();
    }
    // Scripted dialogs: the edit to make, and whether OK is pressed.
    std::function<bool(LabelDialogState &)> labelDialog;
    std::function<bool(ConvertDialogState &)> convertDialog;
    bool ShowLabelDialog(LabelDialogState &state) override { return labelDialog ? labelDialog(state) : false; }
    bool ShowConvertDialog(ConvertDialogState &state) override { return convertDialog ? convertDialog(state) : false; }
    void Beep() override { ++beeps; }
};

// The real library behind the binding's interface, with a version that a
// test may change.
class FakeLibrary : public LibraryApi {
public:
    int version = 0x2000002;
    int GetDllVersion() override { return version; }
    int GetErrorStrings(int code, char *buffer, int size) override { return VorlGetErrorStrings(code, buffer, size); }
    int Abs2RelPath(const char *path, const char *base, char *out, int size) override
    {
        return VorlAbs2RelPath(path, base, out, size);
    }
    int Rel2AbsPath(const char *path, const char *base, char *out, int size) override
    {
        return VorlRel2AbsPath(path, base, out, size);
    }
    int GetProjectFileVB(VorlInformation *info, IndexEntry *table) override
    {
        return VorlGetProjectFileVB(info, table);
    }
    int PutXMLPrjFileVB(VorlInformation *info, IndexEntry *table) override { return VorlPutXMLPrjFileVB(info, table); }
    int ReleaseInformation(VorlInformation *info) override { return VorlReleaseInformation(info); }
    int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options) override
    {
        return VorlConvertWithOptions(info, commandLine, options);
    }
};

}  // namespace vorlmake::test

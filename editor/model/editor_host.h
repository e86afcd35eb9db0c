// Everything the editor's rules need from the outside world: asking the
// user, drawing the window, and the few platform calls. The widgets
// implement it; the tests implement it with a scripted fake.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "choice_marks.h"
#include "run_settings.h"
#include "vorl_cnv.h"

namespace vorlmake {

enum class MessageIcon { None, Information, Exclamation, Question, Critical };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// One row of the entry page as the window shows it.
struct RowView {
    std::string caption;  // the index number, or empty between interval steps
    std::string fileName;
    std::string remarks;  // the remarks, or the alias while the alias display is on
    std::string size;
    bool sizeRed = false;
    int converter = 0;
    bool inUse = false;
};

struct FileDialogRequest {
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;  // (description, pattern)
    int filterIndex = 1;                                       // 1-based
    std::string startFolder;
    std::string presetName;
};

struct FileChoice {
    std::string path;
    int filterIndex = 1;
};

// The header label dialog (frmILab): the array name and the C types of
// 2-byte and 4-byte values.
struct LabelDialogState {
    std::string label;
    std::string type2;
    std::string type4;
};

// The data-conversion settings dialog (frmConvert).
struct ConvertDialogState {
    int defaultConvert = 0;
    std::array<std::string, 4> commands;
};

struct AboutView {
    std::string caption, title, version, dllVersion, hint;
};

class EditorHost {
public:
    virtual ~EditorHost() = default;

    // Asking the user.
    virtual Answer ShowMessage(const std::string &text, const std::string &title, MessageIcon icon,
                               MessageButtons buttons) = 0;
    virtual std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest &request) = 0;
    virtual std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest &request) = 0;
    virtual void ProcessPendingMessages() = 0;
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    virtual bool IsMainWindowEnabled() const = 0;
    // A run started to end by itself ("-e") has nobody to answer: from
    // then on every message goes to standard error and is answered with
    // its default button (the first one), and every file dialog counts as
    // cancelled.
    virtual void SetUnattended(bool unattended) = 0;

    // Drawing the main window.
    virtual void ShowRow(int row, const RowView &view) = 0;
    virtual void ShowPageFields(const std::string &page, const std::string &interval) = 0;
    virtual void FocusFileName(int row) = 0;
    virtual void ShowChoiceMarks(const ChoiceMarks &menus) = 0;
    virtual void ShowRemarksHeading(const std::string &heading) = 0;
    virtual void ShowTotalSize(const std::string &text) = 0;
    virtual void ShowSaveName(const std::string &name) = 0;
    virtual void ShowCurrentFolder(const std::string &folder) = 0;
    virtual void SetWindowTitle(const std::string &title) = 0;
    virtual void ShowMainWindow() = 0;
    virtual void CloseMainWindow() = 0;
    // Whether a change can be taken back or done again.
    virtual void ShowUndoAvailability(bool /*canUndo*/, bool /*canRedo*/) {}

    // The conversion run: the frame shows that work is going on, and the
    // work runs off the interface thread while the window keeps repainting.
    virtual void ShowConversionRunning(bool running) = 0;
    virtual int RunWhileBusy(const std::function<int()> &work) = 0;
    // How far the run has come. Called on the thread that does the work:
    // the window draws it on its own thread.
    virtual void ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput) = 0;

    // The settings dialogs, modal; true on OK.
    virtual bool ShowLabelDialog(LabelDialogState &state) = 0;
    virtual bool ShowConvertDialog(ConvertDialogState &state) = 0;
    virtual bool ShowRunSettingsDialog(RunSettings &settings) = 0;

    // The two small windows, both modal.
    virtual void ShowTitleWindow(const std::string &versionText) = 0;
    virtual void ShowAboutBox(class AboutBox &about) = 0;

    // The platform.
    virtual std::optional<std::string> ReadFile(const std::string &path) = 0;
    // The length of a file, or nothing when it cannot be read.
    virtual std::optional<int64_t> FileLength(const std::string &path) = 0;
    virtual bool RemoveFile(const std::string &path) = 0;
    // A folder of its own for one run, made inside `folder` under a fresh
    // name that nobody else can have taken (made exclusively, mode 0700,
    // so that no one else can put a file or a link into it either); its
    // path with a trailing separator, or nothing when it cannot be made.
    virtual std::optional<std::string> MakeRunFolder(const std::string &folder) = 0;
    // Removes such a folder and the files in it; links in it are removed,
    // never followed.
    virtual bool RemoveRunFolder(const std::string &folder) = 0;
    // Replaces a file as a whole, making its folders when they are missing;
    // false (and the old file as it was) when it cannot.
    virtual bool WriteFileReplacing(const std::string &path, const std::string &content) = 0;
    virtual bool OpenDocument(const std::string &path) = 0;
    virtual bool StartSystemInformation() = 0;
    virtual void Beep() = 0;
};

// The library as the editor binds it, by name, at start-up: its
// exports with their own signatures (CP932 texts, the block and a table).
class LibraryApi {
public:
    virtual ~LibraryApi() = default;
    virtual int GetDllVersion() = 0;
    virtual int GetErrorStrings(int code, char *buffer, int size) = 0;
    virtual int Abs2RelPath(const char *path, const char *base, char *out, int size) = 0;
    virtual int Rel2AbsPath(const char *path, const char *base, char *out, int size) = 0;
    virtual int GetProjectFileVB(VorlInformation *info, IndexEntry *table) = 0;
    virtual int PutXMLPrjFileVB(VorlInformation *info, IndexEntry *table) = 0;
    virtual int ReleaseInformation(VorlInformation *info) = 0;
    // The extension export: jobs, cache, progress and a failure report.
    virtual int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options) = 0;
};

}  // namespace vorlmake

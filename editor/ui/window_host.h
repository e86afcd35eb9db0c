// The editor's outside world as the model sees it (EditorHost): the
// drawing goes to the main window; asking the user (message boxes, file
// dialogs, the settings dialogs), files, the help page and the worker of a
// conversion live here.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "conversion_runner.h"
#include "editor_host.h"

class QTextBrowser;
class QUrl;
class QWidget;

namespace vorlmake {

class MainWindow;

// The file dialog's name filters for the model's (description, pattern)
// pairs, in the model's order.
QStringList NameFilters(const FileDialogRequest &request);

class WindowHost : public EditorHost {
public:
    WindowHost(MainWindow &window, QString programFolder);
    ~WindowHost() override;
    WindowHost(const WindowHost &) = delete;
    WindowHost &operator=(const WindowHost &) = delete;

    // How a document is handed to the desktop; tests put a stand-in here so
    // that no real browser starts.
    void SetDesktopLauncher(std::function<bool(const QUrl &)> launcher) { openUrl_ = std::move(launcher); }
    bool IsRunning() const { return runner_.IsRunning(); }
    void CloseHelpWindow();

    Answer ShowMessage(const std::string &text, const std::string &title, MessageIcon icon,
                       MessageButtons buttons) override;
    std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest &request) override;
    std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest &request) override;
    void ProcessPendingMessages() override;
    void SetMainWindowEnabled(bool enabled) override;
    bool IsMainWindowEnabled() const override;
    void SetUnattended(bool unattended) override { unattended_ = unattended; }

    void ShowRow(int row, const RowView &view) override;
    void ShowPageFields(const std::string &page, const std::string &interval) override;
    void FocusFileName(int row) override;
    void ShowChoiceMarks(const ChoiceMarks &marks) override;
    void ShowRemarksHeading(const std::string &heading) override;
    void ShowTotalSize(const std::string &text) override;
    void ShowSaveName(const std::string &name) override;
    void ShowCurrentFolder(const std::string &folder) override;
    void SetWindowTitle(const std::string &title) override;
    void ShowMainWindow() override;
    void CloseMainWindow() override;
    void ShowUndoAvailability(bool canUndo, bool canRedo) override;

    void ShowConversionRunning(bool running) override;
    int RunWhileBusy(const std::function<int()> &work) override;
    void ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput) override;

    bool ShowLabelDialog(LabelDialogState &state) override;
    bool ShowConvertDialog(ConvertDialogState &state) override;
    bool ShowRunSettingsDialog(RunSettings &settings) override;
    void ShowTitleWindow(const std::string &versionText) override;
    void ShowAboutBox(AboutBox &about) override;

    std::optional<std::string> ReadFile(const std::string &path) override;
    std::optional<int64_t> FileLength(const std::string &path) override;
    bool RemoveFile(const std::string &path) override;
    std::optional<std::string> MakeRunFolder(const std::string &folder) override;
    bool RemoveRunFolder(const std::string &folder) override;
    bool WriteFileReplacing(const std::string &path, const std::string &content) override;
    bool OpenDocument(const std::string &path) override;
    bool StartSystemInformation() override;
    void Beep() override;

private:
    // A message of a run that ends by itself, on standard error.
    void ReportUnattended(const std::string &title, const std::string &text);
    QWidget *DialogParent() const;

    MainWindow &window_;
    QString programFolder_;
    ConversionRunner runner_;
    QTextBrowser *helpBrowser_ = nullptr;
    std::function<bool(const QUrl &)> openUrl_;
    bool unattended_ = false;
};

}  // namespace vorlmake

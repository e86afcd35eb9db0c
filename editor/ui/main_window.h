// The main window: ten entry rows, the page and interval fields, the menus.
// It only maps events to model calls and model state to widgets.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <set>

#include "editor_host.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace vorlmake {

class EditorModel;

// The file dialog's name filters for the model's (description, pattern)
// pairs, in the model's order.
QStringList NameFilters(const FileDialogRequest &request);

class MainWindow : public QMainWindow, public EditorHost {
    Q_OBJECT

public:
    explicit MainWindow(const QString &programFolder);
    ~MainWindow() override;
    void SetModel(EditorModel *model) { model_ = model; }
    QMenu *SettingsMenu() const { return settingsMenu_; }
    // How a document is handed to the desktop; tests put a stand-in here so
    // that no real browser starts.
    void SetDesktopLauncher(std::function<bool(const QUrl &)> launcher) { openUrl_ = std::move(launcher); }

    // EditorHost
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
    void ShowMenus(const MenuState &menus) override;
    void ShowRemarksHeading(const std::string &heading) override;
    void ShowTotalSize(const std::string &text) override;
    void ShowSaveName(const std::string &name) override;
    void ShowCurrentFolder(const std::string &folder) override;
    void SetWindowTitle(const std::string &title) override;
    void ShowMainWindow() override;
    void CloseMainWindow() override;
    void ShowTitleWindow(const std::string &versionText) override;
    void ShowAboutBox(AboutBox &about) override;
    std::optional<std::string> ReadFile(const std::string &path) override;
    std::optional<int64_t> FileLength(const std::string &path) override;
    bool RemoveFile(const std::string &path) override;
    void ShowConversionRunning(bool running) override;
    int RunWhileBusy(const std::function<int()> &work) override;
    void ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput) override;
    bool ShowRunSettingsDialog(RunSettings &settings) override;
    bool WriteFileReplacing(const std::string &path, const std::string &content) override;
    bool ShowLabelDialog(LabelDialogState &state) override;
    bool ShowConvertDialog(ConvertDialogState &state) override;
    bool IsRunning() const { return running_; }
    bool OpenDocument(const std::string &path) override;
    bool StartSystemInformation() override;
    void Beep() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool TakesInput() const;
    // Escape, or a click on the stop button, while a conversion runs.
    bool IsStopRequest(QObject *watched, QEvent *event) const;
    // A message of a run that ends by itself, on standard error.
    void ReportUnattended(const std::string &title, const std::string &text);
    void CommitOnLeave(QLineEdit *field, std::function<void(const std::string &)> commit);
    void ShowFieldText(QLineEdit *field, const QString &text);
    void SetTabOrder();
    void BuildRows(QGridLayout *grid, QWidget *parent);
    void SetRowEnabled(int row, bool inUse);
    void ConnectRow(int row);
    bool HandleRowEvent(int row, QObject *watched, QEvent *event);
    int RowOf(QObject *widget) const;
    QWidget *BuildTop();
    void BuildMenus();
    QAction *AddAction(QMenu *menu, const char *name, const QString &caption, std::function<void()> handler,
                       bool checkable = false);
    QMenu *AddGroup(QMenu *parent, const char *menuName, const QString &caption, const char *itemName,
                    const QStringList &captions, std::function<void(int)> handler);
    QAction *Action(const QString &name) const;

    QString programFolder_;
    EditorModel *model_ = nullptr;
    std::array<QCheckBox *, 10> chkIndex_{};
    std::array<QLineEdit *, 10> txtVorName_{};
    std::array<QComboBox *, 10> cmbDataConv_{};
    std::array<QLineEdit *, 10> txtBikou_{};
    std::array<QLineEdit *, 10> txtSize_{};
    QLineEdit *txtPage_ = nullptr;
    QLineEdit *txtInterval_ = nullptr;
    QLineEdit *txtSaveName_ = nullptr;
    QLineEdit *lbCurrent_ = nullptr;
    QLabel *labTotalSize_ = nullptr;
    QLabel *remarksHeading_ = nullptr;
    QGroupBox *frameShori_ = nullptr;
    QProgressBar *shpProgress_ = nullptr;
    QPushButton *stopButton_ = nullptr;
    std::string currentFolder_;
    QMenu *settingsMenu_ = nullptr;
    QTextBrowser *helpBrowser_ = nullptr;
    std::function<bool(const QUrl &)> openUrl_;
    bool running_ = false;
    bool unattended_ = false;
    bool closingForModel_ = false;
    bool leavingField_ = false;
    std::set<const QLineEdit *> edited_;
    std::map<QString, QAction *> actions_;
};

}  // namespace vorlmake

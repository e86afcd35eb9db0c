// The main window: ten entry rows, the page and interval fields, the menus.
// It only maps events to model calls and model state to widgets.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <set>

#include <memory>

#include "edit_entry.h"
#include "editor_host.h"
#include "window_host.h"

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

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(const QString &programFolder);
    ~MainWindow() override;
    void SetModel(EditorModel *model) { model_ = model; }
    // What the model talks to: this window's drawing, dialogs and files.
    WindowHost &Host() { return *host_; }
    QMenu *SettingsMenu() const { return settingsMenu_; }

    // Drawing what the model shows.
    void ShowRow(int row, const RowView &view);
    void ShowPageFields(const std::string &page, const std::string &interval);
    void FocusFileName(int row);
    void ShowChoiceMarks(const ChoiceMarks &marks);
    void ShowRemarksHeading(const std::string &heading);
    void ShowUndoAvailability(bool canUndo, bool canRedo);
    void ShowTotalSize(const std::string &text);
    void ShowSaveName(const std::string &name);
    void ShowCurrentFolder(const std::string &folder);
    void ShowConversionRunning(bool running);
    // May be called from the worker thread of a run.
    void ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput);
    // Closes the window on the model's word, without asking it again.
    void CloseForModel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool TakesInput() const;
    bool Running() const;
    // Escape, or a click on the stop button, while a conversion runs.
    bool IsStopRequest(QObject *watched, QEvent *event) const;
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
    std::unique_ptr<WindowHost> host_;
    std::array<QCheckBox *, kRowsPerPage> chkIndex_{};
    std::array<QLineEdit *, kRowsPerPage> txtVorName_{};
    std::array<QComboBox *, kRowsPerPage> cmbDataConv_{};
    std::array<QLineEdit *, kRowsPerPage> txtBikou_{};
    std::array<QLineEdit *, kRowsPerPage> txtSize_{};
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
    bool closingForModel_ = false;
    bool leavingField_ = false;
    std::set<const QLineEdit *> edited_;
    std::map<QString, QAction *> actions_;
};

}  // namespace vorlmake

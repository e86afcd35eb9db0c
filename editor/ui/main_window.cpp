#include "main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QEventLoop>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "about_dialog.h"
#include "ambiguous_names.h"
#include "editor_model.h"
#include "run_settings_dialog.h"
#include "settings_dialogs.h"
#include "title_window.h"

namespace vorlmake {
namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

QLabel *Caption(QWidget *parent, int index, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString("label_%1").arg(index));
    return label;
}

// A field that takes no typing still takes double-clicks, drops and the
// focus, so it stays enabled; the window's own colour behind its text tells
// that it is not for typing.
void LookReadOnly(QLineEdit *field)
{
    field->setReadOnly(true);
    QPalette palette = field->palette();
    palette.setBrush(QPalette::Base, palette.window());
    field->setPalette(palette);
}

// What a user does with the mouse, the keys or a drop.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

}  // namespace

MainWindow::MainWindow(const QString &programFolder) : programFolder_(programFolder)
{
    setObjectName("frmMain");
    setWindowIcon(QIcon(programFolder_ + "/vorlmake.png"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(BuildTop());

    auto *rows = new QGridLayout();
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(3);
    BuildRows(rows, central);
    layout->addLayout(rows);

    lbCurrent_ = new QLineEdit("現在のカレントフォルダ", central);
    lbCurrent_->setObjectName("lbCurrent");
    LookReadOnly(lbCurrent_);
    frameShori_ = new QGroupBox("現在のカレントフォルダ", central);
    frameShori_->setObjectName("frameShori");
    auto *frameLayout = new QHBoxLayout(frameShori_);
    frameLayout->addWidget(lbCurrent_, 3);
    shpProgress_ = new QProgressBar(frameShori_);
    shpProgress_->setObjectName("shpProgress");
    shpProgress_->setRange(0, 1);
    shpProgress_->setValue(0);
    shpProgress_->setTextVisible(false);
    shpProgress_->hide();
    frameLayout->addWidget(shpProgress_, 1);
    // Stops a running conversion, as Escape does. The window is disabled
    // while the library works, so the button takes its clicks through the
    // window's event filter and keeps the look of an enabled button.
    stopButton_ = new QPushButton("中止 (Esc)", frameShori_);
    stopButton_->setObjectName("cmdStopConversion");
    QPalette active = stopButton_->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        auto colorRole = static_cast<QPalette::ColorRole>(role);
        active.setColor(QPalette::Disabled, colorRole, active.color(QPalette::Active, colorRole));
    }
    stopButton_->setPalette(active);
    stopButton_->hide();
    frameLayout->addWidget(stopButton_);
    layout->addWidget(frameShori_);
    setCentralWidget(central);

    BuildMenus();
    SetTabOrder();
    setAcceptDrops(true);
    openUrl_ = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    qApp->installEventFilter(this);
    resize(820, 470);
}

MainWindow::~MainWindow()
{
    // The children outlive this part of the window: a field losing the
    // focus while they go must not reach back into it.
    qApp->removeEventFilter(this);
    for (QObject *child : findChildren<QObject *>()) {
        child->disconnect(this);
    }
    model_ = nullptr;
    delete helpBrowser_;
}

bool MainWindow::TakesInput() const
{
    // A disabled window belongs to the model until it enables it again: it
    // is waiting for the library or for an answer in another window.
    return model_ != nullptr && isEnabled() && !running_ && !model_->IsConverting();
}

// A typed value goes to the model once per edit: on Enter, or when the
// user leaves a field after typing in it. Qt reports every focus loss as
// the end of an edit, typed or not, and a redraw by the model is no edit
// at all; the warning box the model may show takes the focus without
// committing the value once more.
void MainWindow::CommitOnLeave(QLineEdit *field, std::function<void(const std::string &)> commit)
{
    connect(field, &QLineEdit::textEdited, this, [this, field] { edited_.insert(field); });
    connect(field, &QLineEdit::returnPressed, this, [this, field, commit] {
        if (TakesInput()) {
            edited_.erase(field);
            commit(field->text().toStdString());
        }
    });
    connect(field, &QLineEdit::editingFinished, this, [this, field, commit] {
        if (edited_.count(field) == 0 || !TakesInput()) {
            return;
        }
        edited_.erase(field);
        // The user has already chosen where the focus goes.
        QScopedValueRollback<bool> leaving(leavingField_, true);
        commit(field->text().toStdString());
    });
}

void MainWindow::ShowFieldText(QLineEdit *field, const QString &text)
{
    field->setText(text);
    edited_.erase(field);
}

void MainWindow::SetTabOrder()
{
    // Reading order: the top fields, every row from left to right, then
    // the folder. Rows not in use are disabled, and Tab passes them by.
    std::vector<QWidget *> order = {txtSaveName_, txtInterval_, findChild<QWidget *>("picPageDown"), txtPage_,
                                    findChild<QWidget *>("picPageUp")};
    for (int row = 0; row < 10; ++row) {
        order.insert(order.end(), {chkIndex_[row], txtVorName_[row], cmbDataConv_[row], txtBikou_[row], txtSize_[row]});
    }
    order.push_back(lbCurrent_);
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

QWidget *MainWindow::BuildTop()
{
    auto *top = new QWidget(this);
    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Caption(top, 0, "Save FileName"), 0, 0);
    txtSaveName_ = new QLineEdit(top);
    txtSaveName_->setObjectName("txtSaveName");
    // The data file is chosen by a double-click, never typed.
    LookReadOnly(txtSaveName_);
    grid->addWidget(txtSaveName_, 0, 1, 1, 5);
    grid->addWidget(Caption(top, 1, "Save FileSize"), 1, 0);
    labTotalSize_ = new QLabel("0000000000 Bytes", top);
    labTotalSize_->setObjectName("labTotalSize");
    grid->addWidget(labTotalSize_, 1, 1);
    grid->addWidget(Caption(top, 2, "Index       Interval"), 1, 2);
    txtInterval_ = new QLineEdit(top);
    txtInterval_->setObjectName("txtInterval");
    txtInterval_->setMaxLength(2);
    txtInterval_->setFixedWidth(36);
    grid->addWidget(txtInterval_, 1, 3);

    auto *pager = new QHBoxLayout();
    auto *down = new QToolButton(top);
    down->setObjectName("picPageDown");
    down->setArrowType(Qt::LeftArrow);
    down->setToolTip("１ページ戻る");
    txtPage_ = new QLineEdit(top);
    txtPage_->setObjectName("txtPage");
    txtPage_->setMaxLength(3);
    txtPage_->setFixedWidth(44);
    txtPage_->setAlignment(Qt::AlignCenter);
    auto *up = new QToolButton(top);
    up->setObjectName("picPageUp");
    up->setArrowType(Qt::RightArrow);
    up->setToolTip("１ページ進む");
    pager->addWidget(down);
    pager->addWidget(txtPage_);
    pager->addWidget(up);
    grid->addLayout(pager, 1, 5, Qt::AlignRight);
    grid->setColumnStretch(4, 1);

    // The window may outlive its model (on closing, a field that loses the
    // focus still reports it), so every event checks that one is there.
    connect(down, &QToolButton::clicked, this, [this] {
        if (TakesInput()) {
            model_->PreviousPage();
        }
    });
    connect(up, &QToolButton::clicked, this, [this] {
        if (TakesInput()) {
            model_->NextPage();
        }
    });
    // Leaving these fields unchanged must not redraw the page: the redraw
    // puts the focus on a file name field, and Tab would never pass them.
    CommitOnLeave(txtPage_, [this](const std::string &text) { model_->EnterPage(text); });
    CommitOnLeave(txtInterval_, [this](const std::string &text) { model_->EnterInterval(text); });
    return top;
}

void MainWindow::BuildRows(QGridLayout *grid, QWidget *parent)
{
    grid->addWidget(Caption(parent, 3, "Index"), 0, 0);
    grid->addWidget(Caption(parent, 4, "FileName"), 0, 1);
    grid->addWidget(Caption(parent, 5, "データ変換"), 0, 2);
    remarksHeading_ = Caption(parent, 6, "備考");
    grid->addWidget(remarksHeading_, 0, 3);
    grid->addWidget(Caption(parent, 8, "サイズ"), 0, 4, 1, 2);
    for (int row = 0; row < 10; ++row) {
        chkIndex_[row] = new QCheckBox(parent);
        chkIndex_[row]->setObjectName(QString("chkIndex_%1").arg(row));
        chkIndex_[row]->setMinimumWidth(64);
        txtVorName_[row] = new QLineEdit(parent);
        txtVorName_[row]->setObjectName(QString("txtVorName_%1").arg(row));
        txtVorName_[row]->setMinimumWidth(280);
        cmbDataConv_[row] = new QComboBox(parent);
        cmbDataConv_[row]->setObjectName(QString("cmbDataConv_%1").arg(row));
        cmbDataConv_[row]->addItems({"無", "1", "2", "3", "4"});
        txtBikou_[row] = new QLineEdit(parent);
        txtBikou_[row]->setObjectName(QString("txtBikou_%1").arg(row));
        txtBikou_[row]->setMinimumWidth(180);
        txtSize_[row] = new QLineEdit(parent);
        txtSize_[row]->setObjectName(QString("txtSize_%1").arg(row));
        txtSize_[row]->setMaxLength(8);
        txtSize_[row]->setFixedWidth(80);
        txtSize_[row]->setAlignment(Qt::AlignRight);
        int line = row + 1;
        grid->addWidget(chkIndex_[row], line, 0);
        grid->addWidget(txtVorName_[row], line, 1);
        grid->addWidget(cmbDataConv_[row], line, 2);
        grid->addWidget(txtBikou_[row], line, 3);
        grid->addWidget(txtSize_[row], line, 4);
        grid->addWidget(Caption(parent, 19 + row, "Bytes"), line, 5);
        ConnectRow(row);
    }
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
}

void MainWindow::ConnectRow(int row)
{
    connect(chkIndex_[row], &QCheckBox::clicked, this, [this, row](bool ticked) {
        if (TakesInput()) {
            model_->chkIndex_Click(row, ticked);
        }
    });
    connect(cmbDataConv_[row], &QComboBox::activated, this, [this, row](int item) {
        if (TakesInput()) {
            model_->cmbDataConv_Click(row, item);
        }
    });
    connect(txtBikou_[row], &QLineEdit::textEdited, this, [this, row](const QString &text) {
        if (!TakesInput()) {
            return;
        }
        // The kept text goes back into the field without another edit.
        if (auto kept = model_->txtBikou_Change(row, text.toStdString())) {
            txtBikou_[row]->setText(Q(*kept));
        }
    });
    CommitOnLeave(txtBikou_[row], [this, row](const std::string &text) { model_->txtBikou_Commit(row, text); });
    CommitOnLeave(txtSize_[row], [this, row](const std::string &text) { model_->txtSize_Enter(row, text); });
    // The file name is never typed: it comes from the dialog or a drop.
    LookReadOnly(txtVorName_[row]);
    txtVorName_[row]->setAcceptDrops(true);
    // Their mouse, key and drop events reach the model through the
    // application-wide filter (eventFilter).
}

int MainWindow::RowOf(QObject *widget) const
{
    for (int row = 0; row < 10; ++row) {
        if (widget == txtVorName_[row] || widget == txtSize_[row]) {
            return row;
        }
    }
    return -1;
}

namespace {

std::vector<std::string> DroppedFiles(const QMimeData *data)
{
    std::vector<std::string> paths;
    if (data != nullptr && data->hasUrls()) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile()) {
                paths.push_back(url.toLocalFile().toStdString());
            }
        }
    }
    return paths;
}

}  // namespace

bool MainWindow::HandleRowEvent(int row, QObject *watched, QEvent *event)
{
    bool nameField = watched == txtVorName_[row];
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        nameField ? model_->txtVorName_DblClick(row) : model_->txtSize_DblClick(row);
        return true;
    case QEvent::MouseButtonPress:
        if (nameField) {
            model_->txtVorName_Click(row);
        }
        return false;
    case QEvent::KeyPress: {
        int key = static_cast<QKeyEvent *>(event)->key();
        if (nameField && key == Qt::Key_Insert) {
            model_->txtVorName_Insert(row);
            return true;
        }
        if (nameField && key == Qt::Key_Delete) {
            model_->txtVorName_Delete(row);
            return true;
        }
        return false;
    }
    case QEvent::DragEnter:
        if (nameField && static_cast<QDragEnterEvent *>(event)->mimeData()->hasUrls()) {
            static_cast<QDragEnterEvent *>(event)->acceptProposedAction();
            return true;
        }
        return false;
    case QEvent::Drop:
        if (nameField) {
            model_->txtVorName_Drop(row, DroppedFiles(static_cast<QDropEvent *>(event)->mimeData()));
            return true;
        }
        return false;
    default:
        return false;
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Nothing closes while the library converts, nor while the model has
    // the window disabled for an answer elsewhere; the model itself may
    // close the window it disabled.
    bool converting = running_ || (model_ != nullptr && model_->IsConverting());
    bool waiting = model_ != nullptr && !isEnabled() && !closingForModel_;
    if (converting || waiting || (model_ != nullptr && !model_->QueryClose())) {
        event->ignore();
        return;
    }
    if (helpBrowser_ != nullptr) {
        helpBrowser_->close();
    }
    event->accept();
}

// Project files dropped on the background, a caption or the folder field.
void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (TakesInput() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent *event)
{
    if (TakesInput()) {
        model_->OpenDroppedFile(DroppedFiles(event->mimeData()));
    }
}

QAction *MainWindow::AddAction(QMenu *menu, const char *name, const QString &caption, std::function<void()> handler,
                               bool checkable)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    actions_[name] = action;
    connect(action, &QAction::triggered, this, [this, action, handler] {
        if (handler && TakesInput()) {
            handler();
        }
        // The model decides the check marks: a click only asked it, so
        // whatever Qt or a group turned over goes back to the model's marks.
        if (action->isCheckable() && model_ != nullptr) {
            ShowMenus(model_->Menus());
        }
    });
    return action;
}

QMenu *MainWindow::AddGroup(QMenu *parent, const char *menuName, const QString &caption, const char *itemName,
                            const QStringList &captions, std::function<void(int)> handler)
{
    QMenu *menu = parent->addMenu(caption);
    menu->setObjectName(menuName);
    actions_[menuName] = menu->menuAction();
    // One of several: drawn as radio items. The model may leave a group
    // without a mark (an alignment that is not in the list), so the group
    // must allow none.
    auto *group = new QActionGroup(menu);
    group->setObjectName(QString(itemName) + "_group");
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 0; i < captions.size(); ++i) {
        std::string name = std::string(itemName) + "_" + std::to_string(i);
        group->addAction(AddAction(menu, name.c_str(), captions[i], [handler, i] { handler(i); }, true));
    }
    return menu;
}

QAction *MainWindow::Action(const QString &name) const
{
    auto found = actions_.find(name);
    return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::BuildMenus()
{
    auto model = [this] { return model_; };
    QMenu *file = menuBar()->addMenu("ファイル(&F)");
    file->setObjectName("mnuFile");
    AddAction(file, "mnuNew", "新規作成(&N)", [model] { model()->mnuNew_Click(); });
    AddAction(file, "mnuLoadPrj", "Projectを開く(&O)", [model] { model()->mnuLoadPrj_Click(); });
    file->addSeparator();
    AddAction(file, "mnuSavePrj", "Projectの上書き保存(&S)", [model] { model()->mnuSavePrj_Click(); });
    AddAction(file, "mnuSaveAs", "名前をつけて保存(&A)", [model] { model()->mnuSaveAs_Click(); });
    file->addSeparator();
    AddAction(file, "mnuEnd", "終了(&X)", [model] { model()->mnuEnd_Click(); });

    QMenu *view = menuBar()->addMenu("表示(&V)");
    view->setObjectName("mnuDisp");
    AddAction(view, "mnuDispTop", "先頭ページに戻る(&T)", [model] { model()->FirstPage(); });
    AddAction(view, "mnuDispModoru", "１ページ戻る(&R)", [model] { model()->PreviousPage(); });
    AddAction(view, "mnuDispSusumu", "１ページ進む(&P)", [model] { model()->NextPage(); });
    AddAction(view, "mnuDispBottom", "最終ページに進む(&B)", [model] { model()->LastPage(); });
    AddAction(view, "mnuDispAlias", "エイリアスを表示(&A)", [model] { model()->mnuDispAlias_Click(); }, true);

    settingsMenu_ = menuBar()->addMenu("設定(&S)");
    settingsMenu_->setObjectName("mnuSetup");
    AddGroup(settingsMenu_, "mnuKugiri", "データの境界設定(&K)", "mnuKgr",
             {"設定なし(&N)", "4バイト境界", "16バイト境界", "64バイト境界", "128バイト境界", "256バイト境界",
              "2048バイト境界", "4096バイト境界"},
             [model](int i) { model()->mnuKgr_Click(i); });
    AddGroup(settingsMenu_, "mnuOutputHead", "ヘッダを出力(&H)", "mnuHeader",
             {"データ本体に付加(&M)", "別ファイルでテキスト出力(&T)", "別ファイルでバイナリ出力(&B)", "出力しない(&N)"},
             [model](int i) { model()->mnuHeader_Click(i); });
    AddGroup(settingsMenu_, "mnu_Path", "ファイルのパス指定(&P)", "mnu_PathSel",
             {"パス無し(&N)", "絶対パス(&A)", "相対パス(&R)"}, [model](int i) { model()->mnu_PathSel_Click(i); });
    AddGroup(settingsMenu_, "mnuIdxType", "インデックス型タイプ", "mnuIdxTp", {"１バイト", "２バイト", "４バイト", "８バイト"},
             [model](int i) { model()->mnuIdxTp_Click(i); });
    Action("mnuIdxTp_0")->setEnabled(false);
    Action("mnuIdxTp_3")->setEnabled(false);
    AddGroup(settingsMenu_, "mnuAlsType", "エイリアス型タイプ", "mnuAlsTp", {"１バイト", "２バイト", "４バイト", "８バイト"},
             [model](int i) { model()->mnuAlsTp_Click(i); });
    AddGroup(settingsMenu_, "mnuEndian", "インデックスエンディアン(&E)", "mnuEndi",
             {"リトルエンディアン(&L)", "ビッグエンディアン(&B)"}, [model](int i) { model()->mnuEndi_Click(i); });
    AddAction(settingsMenu_, "mnuAlias", "エイリアス情報を付加する(&A)", [model] { model()->mnuAlias_Click(); }, true);
    AddAction(settingsMenu_, "mnuIndex_ffff", "欠番インデックスをFFFFにする(&I)",
              [model] { model()->mnuIndex_ffff_Click(); }, true);
    AddAction(settingsMenu_, "mnuNoFile", "ファイルが無い場合は欠番にする(&N)", [model] { model()->mnuNoFile_Click(); },
              true);
    AddAction(settingsMenu_, "mnuSetLabel", "ヘッダラベル名の設定(&L)", [model] { model()->mnuSetLabel_Click(); });
    AddAction(settingsMenu_, "mnuCommpress", "データ変換の設定(&C)", [model] { model()->mnuCommpress_Click(); });
    AddAction(settingsMenu_, "runSettingsAction", "変換の実行設定(&J)...", [model] { model()->ChangeRunSettings(); });

    QMenu *run = menuBar()->addMenu("実行(&R)");
    run->setObjectName("mnuConv");
    AddAction(run, "mnuStart", "データ作成開始(&R)", [model] { model()->mnuStart_Click(); })
        ->setShortcut(QKeySequence("Ctrl+R"));
    AddAction(run, "mnuFileScan", "ファイルサイズの再スキャン(&S)", [model] { model()->mnuFileScan_Click(); })
        ->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu *tool = menuBar()->addMenu("ツール(&T)");
    tool->setObjectName("mnu_Tool");
    AddAction(tool, "mnu_SoundOff", "サウンドを鳴らさない(&M)", [model] { model()->mnu_SoundOff_Click(); }, true);

    QMenu *help = menuBar()->addMenu("ヘルプ(&H)");
    help->setObjectName("mnuHelp");
    AddAction(help, "mnu_ShowHelp", "ヘルプ(&H)", [model] { model()->mnu_ShowHelp_Click(); })
        ->setShortcut(QKeySequence(Qt::Key_F1));
    AddAction(help, "mnuVersion", "バージョン情報(&A)", [model] { model()->mnuVersion_Click(); });
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Other windows (a dialog the model opened, the help window) keep
    // their own input.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget == nullptr || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    // A disabled window still passes its input through this filter: while
    // the model waits, that input goes nowhere, except a request to stop
    // a running conversion.
    if (running_ && model_ != nullptr && IsStopRequest(watched, event)) {
        model_->StopConversion();
        return true;
    }
    if (!TakesInput()) {
        return IsUserInput(event->type());
    }
    if (watched == txtSaveName_ && event->type() == QEvent::MouseButtonDblClick) {
        model_->ChooseDataFile();
        return true;
    }
    int row = RowOf(watched);
    if (row >= 0 && HandleRowEvent(row, watched, event)) {
        return true;
    }
    // The page keys act wherever the focus is in the main window: the
    // window sees them before its controls do.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        bool control = key->modifiers() & Qt::ControlModifier;
        if (key->key() == Qt::Key_PageUp) {
            control ? model_->FirstPage() : model_->PreviousPage();
            return true;
        }
        if (key->key() == Qt::Key_PageDown) {
            control ? model_->LastPage() : model_->NextPage();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ReportUnattended(const std::string &title, const std::string &text)
{
    std::string report = "vorlmake: " + (title.empty() ? std::string() : title + ": ") + text + "\n";
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
}

Answer MainWindow::ShowMessage(const std::string &text, const std::string &title, MessageIcon icon,
                               MessageButtons buttons)
{
    if (unattended_) {
        // Nobody is there to answer: the message goes to standard error, one
        // line per line of the box, and the first button answers it.
        std::string lines;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                lines += '\n';
                i += i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
            } else {
                lines += text[i];
            }
        }
        while (!lines.empty() && lines.back() == '\n') {
            lines.pop_back();
        }
        ReportUnattended(title, lines);
        return buttons == MessageButtons::Ok ? Answer::Ok : Answer::Yes;
    }
    QMessageBox box(this);
    box.setWindowTitle(Q(title));
    box.setText(Q(text));
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::None: break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

namespace {

std::optional<FileChoice> Choose(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    const QStringList filters = NameFilters(request);
    QFileDialog dialog(parent, Q(request.title));
    // Qt's own dialog shows the model's descriptions unchanged; a desktop's
    // dialog would cut them at their first parenthesis.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setNameFilters(filters);
    int index = request.filterIndex - 1;
    if (index >= 0 && index < filters.size()) {
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.startFolder.empty()) {
        dialog.setDirectory(Q(request.startFolder));
    }
    if (!request.presetName.empty()) {
        // The start folder decides where the dialog opens: a preset name
        // that carries a folder of its own keeps only its name there.
        QString preset = Q(request.presetName);
        dialog.selectFile(request.startFolder.empty() ? preset : QFileInfo(preset).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // With the details hidden, Qt names the chosen filter by what it shows.
    const QString chosen = dialog.selectedNameFilter();
    int number = 0;
    for (int i = 0; i < filters.size() && number == 0; ++i) {
        if (filters[i] == chosen || Q(request.filters[i].first).simplified() == chosen.simplified()) {
            number = i + 1;
        }
    }
    return FileChoice{dialog.selectedFiles().front().toStdString(), number};
}

}  // namespace

QStringList NameFilters(const FileDialogRequest &request)
{
    // The model writes a filter as a description the user reads and
    // patterns separated by ';'. QFileDialog takes the patterns from the
    // last parenthesised part of the filter, separated by blanks, and with
    // HideNameFilterDetails shows only what comes before that part: the
    // user reads the model's description, and the patterns still match.
    QStringList filters;
    for (const auto &[description, pattern] : request.filters) {
        QStringList patterns;
        for (const QString &part : Q(pattern).split(';', Qt::SkipEmptyParts)) {
            // "*.*" names every file, one without a dot too, as it does
            // where these filters come from; Qt would want a dot.
            patterns << (part.trimmed() == "*.*" ? QString("*") : part.trimmed());
        }
        if (patterns.isEmpty()) {
            patterns << "*";
        }
        filters << Q(description) + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

std::optional<FileChoice> MainWindow::ChooseFileToOpen(const FileDialogRequest &request)
{
    if (unattended_) {
        // A script must say which file it means on the command line.
        ReportUnattended(request.title, "ファイルを選べないので、キャンセルしたよ。");
        return std::nullopt;
    }
    return Choose(this, request, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> MainWindow::ChooseFileToSave(const FileDialogRequest &request)
{
    if (unattended_) {
        // A script must say which file it means on the command line.
        ReportUnattended(request.title, "ファイルを選べないので、キャンセルしたよ。");
        return std::nullopt;
    }
    return Choose(this, request, QFileDialog::AcceptSave);
}

void MainWindow::ProcessPendingMessages()
{
    QCoreApplication::processEvents();
}

void MainWindow::SetMainWindowEnabled(bool enabled)
{
    setEnabled(enabled);
}

bool MainWindow::IsMainWindowEnabled() const
{
    return isEnabled();
}

void MainWindow::ShowRow(int row, const RowView &view)
{
    chkIndex_[row]->setText(Q(view.caption));
    txtVorName_[row]->setText(Q(view.fileName));
    ShowFieldText(txtBikou_[row], Q(view.remarks));
    ShowFieldText(txtSize_[row], Q(view.size));
    QPalette palette = txtSize_[row]->palette();
    palette.setColor(QPalette::Text, view.sizeRed ? QColor(Qt::red) : QApplication::palette().color(QPalette::Text));
    txtSize_[row]->setPalette(palette);
    cmbDataConv_[row]->setCurrentIndex(view.converter);
    SetRowEnabled(row, view.inUse);
}

void MainWindow::SetRowEnabled(int row, bool inUse)
{
    // The file name field stays enabled: a file can be given to any row.
    chkIndex_[row]->setChecked(inUse);
    cmbDataConv_[row]->setEnabled(inUse);
    txtBikou_[row]->setEnabled(inUse);
    txtSize_[row]->setEnabled(inUse);
}

void MainWindow::ShowPageFields(const std::string &page, const std::string &interval)
{
    ShowFieldText(txtPage_, Q(page));
    ShowFieldText(txtInterval_, Q(interval));
}

void MainWindow::FocusFileName(int row)
{
    // A field the user has just left stays left: the redraw its value
    // caused does not take the focus back.
    if (leavingField_) {
        return;
    }
    txtVorName_[row]->setFocus();
    txtVorName_[row]->end(false);
}

void MainWindow::ShowMenus(const MenuState &menus)
{
    auto setGroup = [this](const char *name, const auto &items) {
        for (size_t i = 0; i < items.size(); ++i) {
            Action(QString("%1_%2").arg(name).arg(i))->setChecked(items[i]);
        }
    };
    setGroup("mnuKgr", menus.kgr);
    setGroup("mnuHeader", menus.header);
    setGroup("mnu_PathSel", menus.pathSel);
    setGroup("mnuIdxTp", menus.idxTp);
    setGroup("mnuAlsTp", menus.alsTp);
    setGroup("mnuEndi", menus.endi);
    Action("mnuAlias")->setChecked(menus.alias);
    Action("mnuIndex_ffff")->setChecked(menus.indexFfff);
    Action("mnuNoFile")->setChecked(menus.noFile);
    Action("mnu_SoundOff")->setChecked(menus.soundOff);
    Action("mnuDispAlias")->setChecked(menus.dispAlias);
    Action("mnuSetLabel")->setEnabled(menus.setLabelEnabled);
    Action("mnuIndex_ffff")->setEnabled(menus.indexFfffEnabled);
    Action("mnuEndian")->setEnabled(menus.endianEnabled);
    Action("mnuIdxType")->setEnabled(menus.idxTypeEnabled);
    Action("mnuAlias")->setEnabled(menus.aliasEnabled);
}

void MainWindow::ShowRemarksHeading(const std::string &heading)
{
    remarksHeading_->setText(Q(heading));
}

void MainWindow::ShowTotalSize(const std::string &text)
{
    labTotalSize_->setText(Q(text));
}

void MainWindow::ShowSaveName(const std::string &name)
{
    txtSaveName_->setText(Q(name));
}

void MainWindow::ShowCurrentFolder(const std::string &folder)
{
    currentFolder_ = folder;
    lbCurrent_->setText(Q(folder));
}

void MainWindow::SetWindowTitle(const std::string &title)
{
    setWindowTitle(Q(title));
}

void MainWindow::ShowMainWindow()
{
    show();
}

void MainWindow::CloseMainWindow()
{
    QScopedValueRollback<bool> asked(closingForModel_, true);
    close();
}

void MainWindow::ShowTitleWindow(const std::string &versionText)
{
    TitleWindow title(programFolder_, Q(versionText));
    title.exec();
}

void MainWindow::ShowAboutBox(AboutBox &about)
{
    AboutDialog dialog(about, programFolder_, this);
    dialog.exec();
}

std::optional<std::string> MainWindow::ReadFile(const std::string &path)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    // A read that failed part way is no file that was read: the settings
    // keep their defaults and the hint says it cannot be read, rather than
    // take a shortened text for the whole.
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return content.toStdString();
}

std::optional<int64_t> MainWindow::FileLength(const std::string &path)
{
    // The name came through CP932: 〜 on disk reads back as ～ (and five more).
    QFileInfo info(Q(vorl::common::FindExistingForm(path)));
    if (!info.isFile() || !info.isReadable()) {
        return std::nullopt;
    }
    return info.size();
}

bool MainWindow::RemoveFile(const std::string &path)
{
    return QFile::remove(Q(path));
}

bool MainWindow::IsStopRequest(QObject *watched, QEvent *event) const
{
    if (event->type() == QEvent::KeyPress) {
        return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    }
    return watched == stopButton_ && event->type() == QEvent::MouseButtonRelease &&
           static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
}

void MainWindow::ShowConversionRunning(bool running)
{
    frameShori_->setTitle(running ? "データ変換中" : "現在のカレントフォルダ");
    shpProgress_->setVisible(running);
    stopButton_->setVisible(running);
    // A moving bar until the library reports its first row.
    shpProgress_->setRange(0, running ? 0 : 1);
    shpProgress_->setValue(0);
    shpProgress_->setTextVisible(running);
    shpProgress_->setFormat("%v / %m");
    // While converting, the field shows the current input.
    lbCurrent_->setText(running ? QString() : Q(currentFolder_));
}

void MainWindow::ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput)
{
    // Called on the worker; drawn here once the event loop gets to it.
    QMetaObject::invokeMethod(
        this,
        [this, rowsDone, rowCount, input = Q(currentInput)] {
            if (!running_) {
                return;
            }
            shpProgress_->setRange(0, std::max(rowCount, 1));
            shpProgress_->setValue(std::min(rowsDone, std::max(rowCount, 1)));
            lbCurrent_->setText(input);
        },
        Qt::QueuedConnection);
}

bool MainWindow::WriteFileReplacing(const std::string &path, const std::string &content)
{
    const QString name = Q(path);
    if (!QDir().mkpath(QFileInfo(name).absolutePath())) {
        return false;
    }
    QSaveFile file(name);
    return file.open(QIODevice::WriteOnly) &&
           file.write(content.data(), static_cast<qint64>(content.size())) == static_cast<qint64>(content.size()) &&
           file.commit();
}

bool MainWindow::ShowRunSettingsDialog(RunSettings &settings)
{
    RunSettingsDialog dialog(settings, this);
    return dialog.exec() == QDialog::Accepted;
}

int MainWindow::RunWhileBusy(const std::function<int()> &work)
{
    // The library call runs on a worker; this thread keeps painting the
    // (disabled) window until it is done.
    running_ = true;
    int result = 0;
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    running_ = false;
    return result;
}

bool MainWindow::ShowLabelDialog(LabelDialogState &state)
{
    LabelDialog dialog(state, this);
    return dialog.exec() == QDialog::Accepted;
}

bool MainWindow::ShowConvertDialog(ConvertDialogState &state)
{
    ConvertDialog dialog(state, this);
    return dialog.exec() == QDialog::Accepted;
}

bool MainWindow::OpenDocument(const std::string &path)
{
    const QString file = Q(path);
    if (!QFileInfo(file).isFile()) {
        return false;
    }
    if (openUrl_ && openUrl_(QUrl::fromLocalFile(file))) {
        return true;
    }
    // No desktop browser could be started (a machine without xdg-open):
    // the editor shows the page in a window of its own. It has no parent,
    // so that it stays usable while the main window is disabled, and it
    // never keeps the program running on its own.
    if (helpBrowser_ == nullptr) {
        helpBrowser_ = new QTextBrowser;
        helpBrowser_->setObjectName("helpBrowser");
        helpBrowser_->setAttribute(Qt::WA_QuitOnClose, false);
        helpBrowser_->setOpenExternalLinks(true);
        helpBrowser_->setWindowIcon(windowIcon());
        helpBrowser_->resize(760, 560);
    }
    helpBrowser_->setSource(QUrl::fromLocalFile(file));
    QString title = helpBrowser_->documentTitle();
    helpBrowser_->setWindowTitle(title.isEmpty() ? QFileInfo(file).fileName() : title);
    helpBrowser_->show();
    helpBrowser_->raise();
    helpBrowser_->activateWindow();
    return true;
}

bool MainWindow::StartSystemInformation()
{
    // This desktop has no system information viewer of its own.
    return false;
}

void MainWindow::Beep()
{
    QApplication::beep();
}

}  // namespace vorlmake

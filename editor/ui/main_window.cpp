#include "main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "ambiguous_names.h"
#include "editor_model.h"

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

MainWindow::MainWindow(const QString &programFolder)
    : programFolder_(programFolder), host_(std::make_unique<WindowHost>(*this, programFolder))
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
}

bool MainWindow::Running() const
{
    return host_->IsRunning();
}

bool MainWindow::TakesInput() const
{
    // A disabled window belongs to the model until it enables it again: it
    // is waiting for the library or for an answer in another window.
    return model_ != nullptr && isEnabled() && !Running() && !model_->IsRunning();
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
    for (int row = 0; row < kRowsPerPage; ++row) {
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
    CommitOnLeave(txtPage_, [this](const std::string &text) { model_->GoToPage(text); });
    CommitOnLeave(txtInterval_, [this](const std::string &text) { model_->SetPageInterval(text); });
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
    for (int row = 0; row < kRowsPerPage; ++row) {
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
            model_->SetEntryInUse(row, ticked);
        }
    });
    connect(cmbDataConv_[row], &QComboBox::activated, this, [this, row](int item) {
        if (TakesInput()) {
            model_->SetEntryConverter(row, item);
        }
    });
    connect(txtBikou_[row], &QLineEdit::textEdited, this, [this, row](const QString &text) {
        if (!TakesInput()) {
            return;
        }
        // The kept text goes back into the field without another edit.
        if (auto kept = model_->EditRemarks(row, text.toStdString())) {
            txtBikou_[row]->setText(Q(*kept));
        }
    });
    CommitOnLeave(txtBikou_[row], [this, row](const std::string &text) { model_->SetAlias(row, text); });
    CommitOnLeave(txtSize_[row], [this, row](const std::string &text) { model_->SetEntrySize(row, text); });
    // The file name is never typed: it comes from the dialog or a drop.
    LookReadOnly(txtVorName_[row]);
    txtVorName_[row]->setAcceptDrops(true);
    // Their mouse, key and drop events reach the model through the
    // application-wide filter (eventFilter).
}

int MainWindow::RowOf(QObject *widget) const
{
    for (int row = 0; row < kRowsPerPage; ++row) {
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
            nameField ? model_->ChooseInputFile(row) : model_->ReleaseTypedSize(row);
            return true;
        case QEvent::MouseButtonPress:
            if (nameField) {
                model_->SelectRow(row);
            }
            return false;
        case QEvent::KeyPress: {
            int key = static_cast<QKeyEvent *>(event)->key();
            if (nameField && key == Qt::Key_Insert) {
                model_->InsertEntry(row);
                return true;
            }
            if (nameField && key == Qt::Key_Delete) {
                model_->DeleteEntry(row);
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
                model_->RegisterDroppedFiles(row, DroppedFiles(static_cast<QDropEvent *>(event)->mimeData()));
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
    bool converting = Running() || (model_ != nullptr && model_->IsRunning());
    bool waiting = model_ != nullptr && !isEnabled() && !closingForModel_;
    if (converting || waiting || (model_ != nullptr && !model_->MayClose())) {
        event->ignore();
        return;
    }
    host_->CloseHelpWindow();
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
        model_->OpenDroppedProject(DroppedFiles(event->mimeData()));
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
            ShowChoiceMarks(model_->Marks());
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
        group->addAction(AddAction(
            menu, name.c_str(), captions[i], [handler, i] { handler(i); }, true));
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
    AddAction(file, "mnuNew", "新規作成(&N)", [model] { model()->NewProject(); })->setShortcut(QKeySequence("Ctrl+N"));
    AddAction(file, "mnuLoadPrj", "Projectを開く(&O)", [model] {
        model()->ChooseProjectToOpen();
    })->setShortcut(QKeySequence("Ctrl+O"));
    file->addSeparator();
    AddAction(file, "mnuSavePrj", "Projectの上書き保存(&S)", [model] {
        model()->SaveProject();
    })->setShortcut(QKeySequence("Ctrl+S"));
    AddAction(file, "mnuSaveAs", "名前をつけて保存(&A)", [model] {
        model()->SaveProjectAs();
    })->setShortcut(QKeySequence("Ctrl+Shift+S"));
    file->addSeparator();
    // Taking changes back lives in this menu: the menu bar stays as it is.
    AddAction(file, "undoAction", "元に戻す(&U)", [model] { model()->Undo(); })->setShortcut(QKeySequence("Ctrl+Z"));
    AddAction(file, "redoAction", "やり直す(&R)", [model] {
        model()->Redo();
    })->setShortcut(QKeySequence("Ctrl+Shift+Z"));
    ShowUndoAvailability(false, false);
    file->addSeparator();
    AddAction(file, "mnuEnd", "終了(&X)", [model] { model()->Quit(); })->setShortcut(QKeySequence("Ctrl+Q"));

    QMenu *view = menuBar()->addMenu("表示(&V)");
    view->setObjectName("mnuDisp");
    AddAction(view, "mnuDispTop", "先頭ページに戻る(&T)", [model] { model()->FirstPage(); });
    AddAction(view, "mnuDispModoru", "１ページ戻る(&R)", [model] { model()->PreviousPage(); });
    AddAction(view, "mnuDispSusumu", "１ページ進む(&P)", [model] { model()->NextPage(); });
    AddAction(view, "mnuDispBottom", "最終ページに進む(&B)", [model] { model()->LastPage(); });
    AddAction(
        view, "mnuDispAlias", "エイリアスを表示(&A)", [model] { model()->ToggleAliasColumn(); }, true);

    settingsMenu_ = menuBar()->addMenu("設定(&S)");
    settingsMenu_->setObjectName("mnuSetup");
    AddGroup(settingsMenu_, "mnuKugiri", "データの境界設定(&K)", "mnuKgr",
             {"設定なし(&N)", "4バイト境界", "16バイト境界", "64バイト境界", "128バイト境界", "256バイト境界",
              "2048バイト境界", "4096バイト境界"},
             [model](int i) { model()->SetAlignment(kAlignmentChoices[static_cast<size_t>(i)]); });
    AddGroup(settingsMenu_, "mnuOutputHead", "ヘッダを出力(&H)", "mnuHeader",
             {"データ本体に付加(&M)", "別ファイルでテキスト出力(&T)", "別ファイルでバイナリ出力(&B)", "出力しない(&N)"},
             [model](int i) { model()->SetHeaderOutput(i); });
    AddGroup(settingsMenu_, "mnu_Path", "ファイルのパス指定(&P)", "mnu_PathSel",
             {"パス無し(&N)", "絶対パス(&A)", "相対パス(&R)"}, [model](int i) { model()->SetPathMode(i); });
    AddGroup(settingsMenu_, "mnuIdxType", "インデックス型タイプ", "mnuIdxTp",
             {"１バイト", "２バイト", "４バイト", "８バイト"}, [model](int i) { model()->SetIndexBytes(1 << i); });
    AddGroup(settingsMenu_, "mnuAlsType", "エイリアス型タイプ", "mnuAlsTp",
             {"１バイト", "２バイト", "４バイト", "８バイト"}, [model](int i) { model()->SetAliasBytes(1 << i); });
    AddGroup(settingsMenu_, "mnuEndian", "インデックスエンディアン(&E)", "mnuEndi",
             {"リトルエンディアン(&L)", "ビッグエンディアン(&B)"}, [model](int i) { model()->SetBigEndian(i == 1); });
    AddAction(
        settingsMenu_, "mnuAlias", "エイリアス情報を付加する(&A)", [model] { model()->ToggleAliasTable(); }, true);
    AddAction(
        settingsMenu_, "mnuIndex_ffff", "欠番インデックスをFFFFにする(&I)",
        [model] { model()->ToggleMissingIndexAllOnes(); }, true);
    AddAction(
        settingsMenu_, "mnuNoFile", "ファイルが無い場合は欠番にする(&N)",
        [model] { model()->ToggleMissingFileUnused(); }, true);
    AddAction(settingsMenu_, "mnuSetLabel", "ヘッダラベル名の設定(&L)", [model] { model()->EditHeaderLabels(); });
    AddAction(settingsMenu_, "mnuCommpress", "データ変換の設定(&C)", [model] { model()->EditConverters(); });
    AddAction(settingsMenu_, "runSettingsAction", "変換の実行設定(&J)...", [model] { model()->ChangeRunSettings(); });

    QMenu *run = menuBar()->addMenu("実行(&R)");
    run->setObjectName("mnuConv");
    AddAction(run, "mnuStart", "データ作成開始(&R)", [model] {
        model()->RunConversion();
    })->setShortcut(QKeySequence("Ctrl+R"));
    AddAction(run, "mnuFileScan", "ファイルサイズの再スキャン(&S)", [model] {
        model()->RescanSizes();
    })->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu *tool = menuBar()->addMenu("ツール(&T)");
    tool->setObjectName("mnu_Tool");
    AddAction(
        tool, "mnu_SoundOff", "サウンドを鳴らさない(&M)", [model] { model()->ToggleSound(); }, true);

    QMenu *help = menuBar()->addMenu("ヘルプ(&H)");
    help->setObjectName("mnuHelp");
    AddAction(help, "mnu_ShowHelp", "ヘルプ(&H)", [model] {
        model()->ShowHelp();
    })->setShortcut(QKeySequence(Qt::Key_F1));
    AddAction(help, "mnuVersion", "バージョン情報(&A)", [model] { model()->ShowAbout(); });
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
    if (Running() && model_ != nullptr && IsStopRequest(watched, event)) {
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

void MainWindow::ShowChoiceMarks(const ChoiceMarks &marks)
{
    auto setGroup = [this](const char *name, const auto &items) {
        for (size_t i = 0; i < items.size(); ++i) {
            Action(QString("%1_%2").arg(name).arg(i))->setChecked(items[i]);
        }
    };
    setGroup("mnuKgr", marks.alignment);
    setGroup("mnuHeader", marks.headerOutput);
    setGroup("mnu_PathSel", marks.pathMode);
    setGroup("mnuIdxTp", marks.indexBytes);
    for (size_t item = 0; item < marks.indexBytesOffered.size(); ++item) {
        Action(QStringLiteral("mnuIdxTp_%1").arg(item))->setEnabled(marks.indexBytesOffered[item]);
    }
    setGroup("mnuAlsTp", marks.aliasBytes);
    setGroup("mnuEndi", marks.byteOrder);
    Action("mnuAlias")->setChecked(marks.aliasTable);
    Action("mnuIndex_ffff")->setChecked(marks.missingIndexAllOnes);
    Action("mnuNoFile")->setChecked(marks.missingFileUnused);
    Action("mnu_SoundOff")->setChecked(marks.soundOff);
    Action("mnuDispAlias")->setChecked(marks.aliasColumn);
    Action("mnuSetLabel")->setEnabled(marks.labelsEditable);
    Action("mnuIndex_ffff")->setEnabled(marks.missingIndexChoosable);
    Action("mnuEndian")->setEnabled(marks.byteOrderChoosable);
    Action("mnuIdxType")->setEnabled(marks.indexBytesChoosable);
    Action("mnuAlias")->setEnabled(marks.aliasChoosable);
}

void MainWindow::ShowUndoAvailability(bool canUndo, bool canRedo)
{
    Action("undoAction")->setEnabled(canUndo);
    Action("redoAction")->setEnabled(canRedo);
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

void MainWindow::CloseForModel()
{
    QScopedValueRollback<bool> asked(closingForModel_, true);
    close();
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
            if (!Running()) {
                return;
            }
            shpProgress_->setRange(0, std::max(rowCount, 1));
            shpProgress_->setValue(std::min(rowsDone, std::max(rowCount, 1)));
            lbCurrent_->setText(input);
        },
        Qt::QueuedConnection);
}

}  // namespace vorlmake

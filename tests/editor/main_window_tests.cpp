// The real main window under the offscreen platform: menu captions, check
// marks and enabled states, paging by keys, the focus order, the dialogs,
// and a window that takes no input while the library converts.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QtTest>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "editor_model.h"
#include "fake_host.h"
#include "main_window.h"
#include "project_files.h"

using namespace vorlmake;

namespace {

// Closes every modal window that opens while it watches, and remembers
// which: a window that must not ask anything is caught without hanging.
class ModalWatch : public QObject {
public:
    QStringList seen;

    ModalWatch()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            seen << QString("%1 \"%2\"").arg(modal->metaObject()->className(), modal->windowTitle());
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (box != nullptr && box->escapeButton() != nullptr) {
                box->escapeButton()->click();
            } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        });
        timer_.start(20);
    }

private:
    QTimer timer_;
};

// Standard error of this process, caught in a file while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        if (file_.open()) {
            std::fflush(stderr);
            saved_ = dup(STDERR_FILENO);
            dup2(file_.handle(), STDERR_FILENO);
        }
    }
    ~StandardErrorCapture() { Finish(); }
    QByteArray Finish()
    {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
        }
        file_.seek(0);
        return file_.readAll();
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
};

// The real library, whose conversion waits on its worker thread until the
// test lets it go on.
class BlockingLibrary : public test::FakeLibrary {
public:
    std::atomic<int> conversions{0};
    std::atomic<bool> entered{false};
    void Release()
    {
        if (!let_go_.exchange(true)) {
            release_.set_value();
        }
    }

    int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options) override
    {
        ++conversions;
        entered = true;
        // A test that fails before it lets go must not hang the suite.
        released_.wait_for(std::chrono::seconds(30));
        return FakeLibrary::ConvertWithOptions(info, commandLine, options);
    }

private:
    std::atomic<bool> let_go_{false};
    std::promise<void> release_;
    std::shared_future<void> released_ = release_.get_future().share();
};

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// A project file as the editor saves one: the settings of a new project
// but for the given alignment, relative names, every type the same and
// converter 1 given with the other three empty, and the given entries,
// numbered from 0, each in use with its file and converter; a single row
// out of use when there is none.
QByteArray ProjectText(int alignment, const std::string &converter, const std::vector<test::ProjectEntry> &entries)
{
    test::ProjectFile project;
    project.dataAlign = alignment;
    project.pathMode = "relative";
    project.types.fill("static unsigned int");
    project.converters = {{1, converter}, {2, ""}, {3, ""}, {4, ""}};
    project.entries = entries;
    if (entries.empty()) {
        project.entries.emplace_back(0, false);
    }
    return QByteArray::fromStdString(project.Text());
}

void SendDrop(QWidget *target, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QStringList FocusOrder(QWidget *first)
{
    first->setFocus(Qt::TabFocusReason);
    QStringList order;
    for (int i = 0; i < 80; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (focus == nullptr || (i > 0 && focus == first)) {
            break;
        }
        order << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return order;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    test::FakeLibrary library_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<EditorModel> model_;

    QAction *Action(const char *name) { return window_->findChild<QAction *>(name); }
    QString Text(const char *name) { return window_->findChild<QLineEdit *>(name)->text(); }
    QLineEdit *Field(const QString &name) { return window_->findChild<QLineEdit *>(name); }

    // The program started afresh in a folder of the test's: it becomes the
    // current folder, the base of the entries' names.
    void StartIn(const QTemporaryDir &folder)
    {
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        window_->SetModel(nullptr);
        model_ = std::make_unique<EditorModel>(window_->Host(), library_, QDir::tempPath().toStdString(), "2.0.2");
        window_->SetModel(model_.get());
        QVERIFY(model_->StartUp({"-t"}, folder.path().toStdString()));
        QCOMPARE(model_->State().currentFolder, folder.path().toStdString() + "/");
    }

    // Rows 0 to count - 1 in use, each with a file of its own of 7 bytes.
    void FillRows(const QTemporaryDir &folder, int count)
    {
        const std::string base = folder.path().toStdString() + "/";
        StartIn(folder);
        for (int row = 0; row < count; ++row) {
            std::string name = "in" + std::to_string(row) + ".bin";
            WriteFile(folder.path() + "/" + QString::fromStdString(name), "payload");
            QVERIFY(model_->RegisterFile(row, base + name));
        }
    }

    void ShowActive()
    {
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>(QDir::tempPath());
        model_ = std::make_unique<EditorModel>(window_->Host(), library_, QDir::tempPath().toStdString(), "2.0.2");
        window_->SetModel(model_.get());
        QVERIFY(model_->StartUp({"-t"}, QDir::tempPath().toStdString()));
    }

    void cleanup()
    {
        window_->SetModel(nullptr);
        model_.reset();
        window_.reset();
    }

    void menusCarryTheirCaptions()
    {
        const std::vector<std::pair<const char *, QString>> expected = {
            {"mnuNew", "新規作成(&N)"},
            {"mnuLoadPrj", "Projectを開く(&O)"},
            {"mnuSavePrj", "Projectの上書き保存(&S)"},
            {"mnuSaveAs", "名前をつけて保存(&A)"},
            {"mnuEnd", "終了(&X)"},
            {"mnuDispTop", "先頭ページに戻る(&T)"},
            {"mnuDispModoru", "１ページ戻る(&R)"},
            {"mnuDispSusumu", "１ページ進む(&P)"},
            {"mnuDispBottom", "最終ページに進む(&B)"},
            {"mnuDispAlias", "エイリアスを表示(&A)"},
            {"mnuKugiri", "データの境界設定(&K)"},
            {"mnuKgr_0", "設定なし(&N)"},
            {"mnuKgr_7", "4096バイト境界"},
            {"mnuOutputHead", "ヘッダを出力(&H)"},
            {"mnuHeader_0", "データ本体に付加(&M)"},
            {"mnuHeader_1", "別ファイルでテキスト出力(&T)"},
            {"mnuHeader_2", "別ファイルでバイナリ出力(&B)"},
            {"mnuHeader_3", "出力しない(&N)"},
            {"mnu_Path", "ファイルのパス指定(&P)"},
            {"mnu_PathSel_0", "パス無し(&N)"},
            {"mnu_PathSel_1", "絶対パス(&A)"},
            {"mnu_PathSel_2", "相対パス(&R)"},
            {"mnuIdxType", "インデックス型タイプ"},
            {"mnuIdxTp_0", "１バイト"},
            {"mnuIdxTp_3", "８バイト"},
            {"mnuAlsType", "エイリアス型タイプ"},
            {"mnuAlsTp_1", "２バイト"},
            {"mnuEndian", "インデックスエンディアン(&E)"},
            {"mnuEndi_0", "リトルエンディアン(&L)"},
            {"mnuEndi_1", "ビッグエンディアン(&B)"},
            {"mnuAlias", "エイリアス情報を付加する(&A)"},
            {"mnuIndex_ffff", "欠番インデックスをFFFFにする(&I)"},
            {"mnuNoFile", "ファイルが無い場合は欠番にする(&N)"},
            {"mnuSetLabel", "ヘッダラベル名の設定(&L)"},
            {"mnuCommpress", "データ変換の設定(&C)"},
            {"mnuStart", "データ作成開始(&R)"},
            {"mnuFileScan", "ファイルサイズの再スキャン(&S)"},
            {"mnu_SoundOff", "サウンドを鳴らさない(&M)"},
            {"mnu_ShowHelp", "ヘルプ(&H)"},
            {"mnuVersion", "バージョン情報(&A)"},
        };
        for (const auto &[name, caption] : expected) {
            QAction *action = Action(name);
            if (action == nullptr) {
                QMenu *menu = window_->findChild<QMenu *>(name);
                QVERIFY2(menu != nullptr, name);
                action = menu->menuAction();
            }
            QCOMPARE(action->text(), caption);
        }
        QCOMPARE(Action("mnuStart")->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(Action("mnuFileScan")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(Action("mnu_ShowHelp")->shortcut(), QKeySequence(Qt::Key_F1));
        const QStringList order = {"ファイル(&F)", "表示(&V)", "設定(&S)", "実行(&R)", "ツール(&T)", "ヘルプ(&H)"};
        QStringList titles;
        for (QAction *top : window_->menuBar()->actions()) {
            titles << top->text();
        }
        QCOMPARE(titles, order);
    }

    void marksAfterAReset()
    {
        for (const char *checked :
             {"mnuKgr_0", "mnuHeader_0", "mnu_PathSel_1", "mnuIdxTp_2", "mnuAlsTp_2", "mnuEndi_0"}) {
            QVERIFY2(Action(checked)->isChecked(), checked);
        }
        for (const char *unchecked : {"mnuKgr_1", "mnuHeader_3", "mnuAlias", "mnuIndex_ffff", "mnuNoFile", "mnuEndi_1",
                                      "mnuDispAlias", "mnu_SoundOff"}) {
            QVERIFY2(!Action(unchecked)->isChecked(), unchecked);
        }
        QVERIFY(!Action("mnuIdxTp_0")->isEnabled());
        QVERIFY(!Action("mnuIdxTp_3")->isEnabled());
        QVERIFY(Action("mnuIdxTp_1")->isEnabled());
    }

    void noHeaderOutputGreysItsItems()
    {
        Action("mnuHeader_3")->trigger();
        QVERIFY(Action("mnuHeader_3")->isChecked());
        QVERIFY(!Action("mnuHeader_0")->isChecked());
        for (const char *name : {"mnuSetLabel", "mnuIndex_ffff", "mnuAlias"}) {
            QVERIFY2(!Action(name)->isEnabled(), name);
        }
        QVERIFY(!window_->findChild<QMenu *>("mnuEndian")->menuAction()->isEnabled());
        QVERIFY(!window_->findChild<QMenu *>("mnuIdxType")->menuAction()->isEnabled());
        QVERIFY(window_->findChild<QMenu *>("mnuAlsType")->menuAction()->isEnabled());
        Action("mnuHeader_1")->trigger();
        QVERIFY(Action("mnuSetLabel")->isEnabled());
        QVERIFY(window_->findChild<QMenu *>("mnuEndian")->menuAction()->isEnabled());
        // A switch turns over on each click.
        Action("mnuAlias")->trigger();
        QVERIFY(Action("mnuAlias")->isChecked());
        Action("mnuAlias")->trigger();
        QVERIFY(!Action("mnuAlias")->isChecked());
    }

    void pageKeysActAnywhere()
    {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        auto *name = window_->findChild<QLineEdit *>("txtVorName_3");
        auto *combo = window_->findChild<QWidget *>("cmbDataConv_0");
        QTest::keyClick(name, Qt::Key_PageDown);
        QCOMPARE(Text("txtPage"), QString("1"));
        QCOMPARE(window_->findChild<QCheckBox *>("chkIndex_0")->text(), QString("10"));
        QTest::keyClick(combo, Qt::Key_PageDown);
        QCOMPARE(Text("txtPage"), QString("2"));
        QTest::keyClick(name, Qt::Key_PageUp);
        QCOMPARE(Text("txtPage"), QString("1"));
        QTest::keyClick(name, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(Text("txtPage"), QString("999"));
        QCOMPARE(window_->findChild<QCheckBox *>("chkIndex_9")->text(), QString("9999"));
        QTest::keyClick(combo, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(Text("txtPage"), QString("0"));
        // The page field takes a typed number on Enter.
        auto *page = window_->findChild<QLineEdit *>("txtPage");
        page->setFocus();
        page->setText("12");
        QTest::keyClick(page, Qt::Key_Return);
        QCOMPARE(window_->findChild<QCheckBox *>("chkIndex_0")->text(), QString("120"));
    }

    void ctrlRWritesTheDataFile()
    {
        QTemporaryDir folder;
        const std::string base = folder.path().toStdString() + "/";
        StartIn(folder);
        WriteFile(folder.path() + "/in.bin", "payload");
        QVERIFY(model_->RegisterFile(0, base + "in.bin"));
        model_->UseDataFile(base + "out.dat");
        QCOMPARE(model_->State().dataFile, base + "out.dat");
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_R, Qt::ControlModifier);
        QTRY_VERIFY(QFile::exists(folder.path() + "/out.dat"));
        QFile output(folder.path() + "/out.dat");
        QVERIFY(output.open(QIODevice::ReadOnly));
        QVERIFY(output.readAll().endsWith("payload"));
        QVERIFY(!QFile::exists(folder.path() + "/vorproj.tmp"));
        QVERIFY(window_->isEnabled());
        QCOMPARE(window_->findChild<QGroupBox *>("frameShori")->title(), QString("現在のカレントフォルダ"));
        QVERIFY(window_->findChild<QWidget *>("lbCurrent")->isVisible());
        QVERIFY(!window_->findChild<QWidget *>("shpProgress")->isVisible());
    }

    void labelDialogStoresOnOk()
    {
        QTimer::singleShot(0, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->objectName(), QString("frmILab"));
            auto *label = dialog->findChild<QLineEdit *>("txtLabel");
            label->setText("Sprites*");  // the asterisk is filtered away at once
            QCOMPARE(label->text(), QString("Sprites"));
            dialog->findChild<QLineEdit *>("txtType_0")->setText("uint16_t");
            QTest::keyClick(label, Qt::Key_Return);
        });
        Action("mnuSetLabel")->trigger();
        QCOMPARE(model_->State().texts.label, std::string("Sprites"));
        QCOMPARE(model_->State().texts.type[1], std::string("uint16_t"));
    }

    void convertDialogStoresOnOk()
    {
        QTimer::singleShot(0, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->objectName(), QString("frmConvert"));
            dialog->findChild<QLineEdit *>("txtCmdLine_2")->setText("xz -c \"$I\" > \"$O\"");
            dialog->findChild<QRadioButton *>("optSelect_3")->setChecked(true);
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        });
        Action("mnuCommpress")->trigger();
        QCOMPARE(model_->State().defaultConverter, int16_t(3));
        QCOMPARE(model_->State().texts.convert[2], std::string("xz -c \"$I\" > \"$O\""));
        QTimer::singleShot(0, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            dialog->findChild<QRadioButton *>("optSelect_1")->setChecked(true);
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
        });
        Action("mnuCommpress")->trigger();
        QCOMPARE(model_->State().defaultConverter, int16_t(3));
    }

    void everyRowElementIsNamed()
    {
        for (int row = 0; row < 10; ++row) {
            for (const char *prefix : {"chkIndex_", "txtVorName_", "cmbDataConv_", "txtBikou_", "txtSize_"}) {
                QString name = QString("%1%2").arg(prefix).arg(row);
                QVERIFY2(window_->findChild<QWidget *>(name) != nullptr, qPrintable(name));
            }
        }
        for (const char *name : {"txtPage", "picPageDown", "picPageUp", "txtInterval", "txtSaveName", "lbCurrent",
                                 "labTotalSize", "frameShori", "shpProgress", "label_6", "label_19", "label_28"}) {
            QVERIFY2(window_->findChild<QWidget *>(name) != nullptr, name);
        }
        QCOMPARE(window_->windowTitle(), QString("Vorl Maker for Linux Ver 2.0.2"));
    }

    // Escape, or the stop button beside the bar, stops a conversion of
    // slow converters before its end: the previous data file stays, nothing is
    // left in the folder, and the window comes back as it was.
    void stopDuringARunLeavesEverythingAsItWas()
    {
        for (const char *how : {"Escape", "stop button"}) {
            QTemporaryDir folder;
            const QString base = folder.path() + "/";
            StartIn(folder);
            // Six entries, each through the slow converter 1, as a project
            // saved so and opened: nothing is modified yet.
            const std::string converter =
                "echo x >> '" + (base + "log").toStdString() + "'; sleep 0.3; cat \"$I\" > \"$O\"";
            std::vector<test::ProjectEntry> entries;
            for (int row = 0; row < 6; ++row) {
                WriteFile(base + QString("in%1.bin").arg(row), QByteArray(100, char('a' + row)));
                entries.emplace_back(row, true, "in" + std::to_string(row) + ".bin", 1);
            }
            WriteFile(base + "slow.vorlprj", ProjectText(1, converter, entries));
            QVERIFY(model_->OpenProject((base + "slow.vorlprj").toStdString()));
            QCOMPARE(model_->State().texts.convert[0], converter);
            for (int row = 0; row < 6; ++row) {
                QCOMPARE(model_->State().entries[static_cast<size_t>(row)].converter, int16_t(1));
                QVERIFY(model_->State().entries[static_cast<size_t>(row)].inUse);
            }
            WriteFile(base + "out.dat", "previous");
            model_->UseDataFile((base + "out.dat").toStdString());
            QVERIFY(!model_->State().modified);
            ShowActive();

            auto *bar = window_->findChild<QProgressBar *>("shpProgress");
            auto *current = window_->findChild<QLineEdit *>("lbCurrent");
            const QString folderShown = current->text();
            QString shownInput;
            bool stopped = false;
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&] {
                if (bar->value() < 1) {
                    return;
                }
                poll.stop();
                shownInput = current->text();
                if (QString(how) == "Escape") {
                    QTest::keyClick(window_.get(), Qt::Key_Escape);
                } else {
                    QTest::mouseClick(window_->findChild<QPushButton *>("cmdStopConversion"), Qt::LeftButton);
                }
                stopped = true;
            });
            poll.start(5);
            Action("mnuStart")->trigger();

            QVERIFY2(stopped, how);
            QVERIFY2(shownInput.contains("in1.bin"), qPrintable(shownInput));
            QFile data(base + "out.dat");
            QVERIFY(data.open(QIODevice::ReadOnly));
            QCOMPARE(data.readAll(), QByteArray("previous"));
            QFile log(base + "log");
            QVERIFY(log.open(QIODevice::ReadOnly));
            QVERIFY2(log.readAll().count('\n') < 6, "the run went on to the end");
            QStringList left = QDir(base).entryList({"vorl*", "vorproj.tmp"}, QDir::AllEntries | QDir::NoDotAndDotDot);
            QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
            QVERIFY(window_->isEnabled());
            QVERIFY(!model_->State().modified);
            QVERIFY(!window_->findChild<QPushButton *>("cmdStopConversion")->isVisible());
            QCOMPARE(current->text(), folderShown);
        }
    }

    void nothingReachesTheModelWhileTheLibraryConverts()
    {
        BlockingLibrary library;
        MainWindow window(QDir::tempPath());
        EditorModel model(window.Host(), library, QDir::tempPath().toStdString(), "2.0.2");
        window.SetModel(&model);
        auto detach = qScopeGuard([&] {
            library.Release();
            window.SetModel(nullptr);
        });
        QTemporaryDir folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        const std::string base = folder.path().toStdString() + "/";
        QVERIFY(model.StartUp({"-t"}, base));
        QCOMPARE(model.State().currentFolder, base);
        WriteFile(folder.path() + "/in.bin", "payload");
        WriteFile(folder.path() + "/other.bin", "other");
        QVERIFY(model.RegisterFile(0, base + "in.bin"));
        model.UseDataFile(base + "out.dat");
        QCOMPARE(model.State().dataFile, base + "out.dat");
        const EditorState before = model.State();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        ModalWatch watch;
        bool driven = false, disabledDuring = false, openDuring = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (!library.entered) {
                return;
            }
            poll.stop();
            disabledDuring = !window.isEnabled();
            QTest::mouseDClick(window.findChild<QLineEdit *>("txtVorName_0"), Qt::LeftButton);
            QTest::mouseDClick(window.findChild<QLineEdit *>("txtSaveName"), Qt::LeftButton);
            QTest::mouseDClick(window.findChild<QLineEdit *>("txtSize_0"), Qt::LeftButton);
            QTest::keyClick(window.findChild<QLineEdit *>("txtVorName_0"), Qt::Key_Insert);
            QTest::keyClick(window.findChild<QLineEdit *>("txtVorName_0"), Qt::Key_Delete);
            SendDrop(window.findChild<QLineEdit *>("txtVorName_1"), folder.path() + "/other.bin");
            SendDrop(&window, folder.path() + "/dropped.vorlprj");
            QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
            QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
            QTest::keyClick(&window, Qt::Key_PageDown);
            window.findChild<QAction *>("mnuNew")->trigger();
            window.close();
            QTest::qWait(100);  // time for the watch to see a box
            openDuring = window.isVisible();
            driven = true;
            library.Release();
        });
        poll.start(10);
        window.findChild<QAction *>("mnuStart")->trigger();

        QVERIFY(driven);
        QVERIFY(disabledDuring);
        QVERIFY2(watch.seen.isEmpty(), qPrintable(watch.seen.join(", ")));
        QCOMPARE(library.conversions.load(), 1);
        QVERIFY(openDuring);
        QVERIFY(window.isVisible());
        QVERIFY(window.isEnabled());
        const EditorState &after = model.State();
        QCOMPARE(after.entries[0].fileName, before.entries[0].fileName);
        QCOMPARE(after.entries[0].inUse, before.entries[0].inUse);
        QCOMPARE(after.entries[1].fileName, before.entries[1].fileName);
        QCOMPARE(after.entries[1].inUse, before.entries[1].inUse);
        QCOMPARE(after.entries[2].inUse, before.entries[2].inUse);
        QCOMPARE(after.dataFile, before.dataFile);
        QCOMPARE(after.projectFile, before.projectFile);
        QCOMPARE(after.modified, before.modified);
        QCOMPARE(after.currentPage, before.currentPage);
        QVERIFY(QFile::exists(folder.path() + "/out.dat"));
    }

    void aDisabledWindowTakesNoInput()
    {
        // The model disables the window while it waits for an answer in
        // another window; nothing of this one may reach it meanwhile.
        QTemporaryDir folder;
        FillRows(folder, 1);
        WriteFile(folder.path() + "/other.bin", "other");
        ShowActive();
        const EditorState before = model_->State();
        ModalWatch watch;
        window_->Host().SetMainWindowEnabled(false);
        QTest::mouseDClick(Field("txtVorName_0"), Qt::LeftButton);
        QTest::mouseDClick(Field("txtSaveName"), Qt::LeftButton);
        QTest::keyClick(Field("txtVorName_0"), Qt::Key_Delete);
        QTest::keyClick(Field("txtVorName_1"), Qt::Key_Insert);
        QTest::keyClick(window_.get(), Qt::Key_PageDown);
        SendDrop(Field("txtVorName_1"), folder.path() + "/other.bin");
        SendDrop(window_.get(), folder.path() + "/dropped.vorlprj");
        Action("mnuHeader_3")->trigger();
        Action("mnuAlias")->trigger();
        Action("mnuNew")->trigger();
        window_->close();
        QTest::qWait(100);  // time for the watch to see a box
        QVERIFY(window_->isVisible());
        window_->Host().SetMainWindowEnabled(true);
        QVERIFY2(watch.seen.isEmpty(), qPrintable(watch.seen.join(", ")));
        const EditorState &after = model_->State();
        QCOMPARE(after.entries[0].fileName, before.entries[0].fileName);
        QCOMPARE(after.entries[1].inUse, before.entries[1].inUse);
        QCOMPARE(after.currentPage, before.currentPage);
        QVERIFY(Action("mnuHeader_0")->isChecked());
        QVERIFY(!Action("mnuHeader_3")->isChecked());
        QVERIFY(!Action("mnuAlias")->isChecked());
        QVERIFY(!model_->Marks().headerOutput[3]);
    }

    void unattendedMessagesGoToStandardError()
    {
        window_->Host().SetUnattended(true);
        ModalWatch watch;
        StandardErrorCapture capture;
        Answer ok =
            window_->Host().ShowMessage("一行目\r\n二行目", "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        Answer yes =
            window_->Host().ShowMessage("上書きするの？", "上書き確認", MessageIcon::Question, MessageButtons::YesNo);
        Answer first = window_->Host().ShowMessage("保存する？", "保存確認", MessageIcon::Exclamation,
                                                   MessageButtons::YesNoCancel);
        FileDialogRequest request;
        request.title = "出力ファイル";
        request.filters = {{"すべてのファイル(*.*)", "*.*"}};
        request.startFolder = QDir::tempPath().toStdString();
        auto opened = window_->Host().ChooseFileToOpen(request);
        auto saved = window_->Host().ChooseFileToSave(request);
        QByteArray written = capture.Finish();
        QVERIFY2(watch.seen.isEmpty(), qPrintable(watch.seen.join(", ")));
        QVERIFY(ok == Answer::Ok);
        QVERIFY(yes == Answer::Yes);
        QVERIFY(first == Answer::Yes);
        QVERIFY(!opened);
        QVERIFY(!saved);
        QCOMPARE(QString::fromUtf8(written),
                 QString("vorlmake: 警告: 一行目 二行目\n"
                         "vorlmake: 上書き確認: 上書きするの？\n"
                         "vorlmake: 保存確認: 保存する？\n"
                         "vorlmake: 出力ファイル: ファイルを選べないので、キャンセルしたよ。\n"
                         "vorlmake: 出力ファイル: ファイルを選べないので、キャンセルしたよ。\n"));
    }

    void fileDialogFiltersReadAsTheModelWroteThem()
    {
        FileDialogRequest request;
        request.filters = {{"プロジェクトファイル(*.vorlprj;*.prj)", "*.vorlprj;*.prj"},
                           {"すべてのファイル(*.*)", "*.*"}};
        QCOMPARE(NameFilters(request),
                 QStringList({"プロジェクトファイル(*.vorlprj;*.prj) (*.vorlprj *.prj)", "すべてのファイル(*.*) (*)"}));

        QTemporaryDir folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        WriteFile(folder.path() + "/noext", "x");
        WriteFile(folder.path() + "/game.vorlprj", "x");
        WriteFile(folder.path() + "/notes.txt", "x");
        request.title = "プロジェクトを開く";
        request.filterIndex = 2;
        request.startFolder = folder.path().toStdString() + "/";
        QStringList shown, listed;
        QString directory;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            // Whatever goes wrong, the dialog closes.
            auto finish = qScopeGuard([dialog] {
                if (dialog->isVisible()) {
                    dialog->reject();
                }
            });
            if (auto *types = dialog->findChild<QComboBox *>("fileTypeCombo")) {
                for (int i = 0; i < types->count(); ++i) {
                    shown << types->itemText(i);
                }
            }
            directory = dialog->directory().absolutePath();
            auto *view = dialog->findChild<QListView *>("listView");
            if (view == nullptr) {
                return;
            }
            // The folder is read in the background.
            if (!QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) >= 3; }, 5000)) {
                return;
            }
            for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i) {
                listed << view->model()->index(i, 0, view->rootIndex()).data().toString();
            }
            // As typed: selectFile() leaves a name field that has the focus alone.
            auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
            if (name == nullptr) {
                return;
            }
            name->setText("noext");
            // QFileDialog keeps accept() protected; QDialog's is public and virtual.
            static_cast<QDialog *>(dialog)->accept();
        });
        std::optional<FileChoice> choice = window_->Host().ChooseFileToOpen(request);
        QCOMPARE(shown, QStringList({"プロジェクトファイル(*.vorlprj;*.prj)", "すべてのファイル(*.*)"}));
        QCOMPARE(directory, folder.path());
        listed.sort();
        QCOMPARE(listed, QStringList({"game.vorlprj", "noext", "notes.txt"}));
        QVERIFY(choice);
        QCOMPARE(QString::fromStdString(choice->path), folder.path() + "/noext");
        QCOMPARE(choice->filterIndex, 2);
    }

    void fileDialogOpensInTheStartFolder()
    {
        QTemporaryDir start, elsewhere;
        QVERIFY2(start.isValid(), qPrintable(start.errorString()));
        QVERIFY2(elsewhere.isValid(), qPrintable(elsewhere.errorString()));
        FileDialogRequest request;
        request.title = "出力ファイル";
        request.filters = {{"すべてのファイル(*.*)", "*.*"}, {"binファイル(*.bin)", "*.bin"}};
        request.startFolder = start.path().toStdString() + "/";
        request.presetName = elsewhere.path().toStdString() + "/out.dat";
        QString directory, name;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            directory = dialog->directory().absolutePath();
            if (auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit")) {
                name = edit->text();
            }
            dialog->reject();
        });
        QVERIFY(!window_->Host().ChooseFileToSave(request));
        QCOMPARE(directory, start.path());
        QCOMPARE(name, QString("out.dat"));
    }

    void fieldsThatTakeNoTypingLookReadOnly()
    {
        QStringList names = {"txtSaveName", "lbCurrent"};
        for (int row = 0; row < 10; ++row) {
            names << QString("txtVorName_%1").arg(row);
        }
        for (const QString &name : names) {
            QLineEdit *field = Field(name);
            QVERIFY2(field->isReadOnly(), qPrintable(name));
            QVERIFY2(field->isEnabled(), qPrintable(name));
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                QVERIFY2(
                    field->palette().color(group, QPalette::Base) == field->palette().color(group, QPalette::Window),
                    qPrintable(name));
            }
        }
        // A field for typing keeps its own background.
        QVERIFY(Field("txtBikou_0")->palette().color(QPalette::Active, QPalette::Base) !=
                Field("txtBikou_0")->palette().color(QPalette::Active, QPalette::Window));
        ShowActive();
        QLineEdit *save = Field("txtSaveName");
        const QString shown = save->text();
        save->setFocus();
        QTest::keyClicks(save, "typed.dat");
        QCOMPARE(save->text(), shown);
    }

    void tabReachesEveryControlInReadingOrder()
    {
        QTemporaryDir folder;
        FillRows(folder, 5);
        ShowActive();
        QStringList expected = {"txtSaveName", "txtInterval", "picPageDown", "txtPage", "picPageUp"};
        for (int row = 0; row < 10; ++row) {
            for (const char *prefix : {"chkIndex_", "txtVorName_", "cmbDataConv_", "txtBikou_", "txtSize_"}) {
                // Rows not in use have only their check box and file name enabled.
                QString name = QString("%1%2").arg(prefix).arg(row);
                if (row < 5 || name.startsWith("chk") || name.startsWith("txtVor")) {
                    expected << name;
                }
            }
        }
        expected << "lbCurrent";
        QCOMPARE(FocusOrder(Field("txtSaveName")), expected);
        // A typed interval is stored on leaving, and the focus goes on to
        // the next control.
        QLineEdit *interval = Field("txtInterval");
        interval->setFocus(Qt::TabFocusReason);
        interval->selectAll();
        QTest::keyClicks(interval, "2");
        QTest::keyClick(interval, Qt::Key_Tab);
        QCOMPARE(model_->State().block.indexinterval, 2);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("picPageDown"));
    }

    void typedSizeIsStoredOnLeaving()
    {
        QTemporaryDir folder;
        FillRows(folder, 2);
        ShowActive();
        ModalWatch watch;
        const auto &entries = model_->State().entries;
        QLineEdit *size0 = Field("txtSize_0");
        QLineEdit *size1 = Field("txtSize_1");
        size0->setFocus(Qt::TabFocusReason);
        size0->selectAll();
        QTest::keyClicks(size0, "64");
        QTest::keyClick(size0, Qt::Key_Tab);
        QCOMPARE(entries[0].size, 64);
        QVERIFY(entries[0].sizeTyped);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("chkIndex_1"));

        // Passing through a field stores nothing.
        size1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(size1, Qt::Key_Tab);
        QVERIFY(!entries[1].sizeTyped);
        // A redraw is no edit: the typed text it replaced is gone.
        size1->setFocus(Qt::TabFocusReason);
        size1->selectAll();
        QTest::keyClicks(size1, "32");
        QTest::keyClick(size1, Qt::Key_PageDown);
        QTest::keyClick(window_.get(), Qt::Key_PageUp);
        size1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(size1, Qt::Key_Tab);
        QVERIFY(!entries[1].sizeTyped);
        QCOMPARE(entries[1].size, 7);
        QVERIFY(watch.seen.isEmpty());

        // A size off the alignment warns once, on leaving as on Enter.
        Action("mnuKgr_1")->trigger();  // 4 bytes
        size1->setFocus(Qt::TabFocusReason);
        size1->selectAll();
        QTest::keyClicks(size1, "6");
        QTest::keyClick(size1, Qt::Key_Tab);
        QTRY_COMPARE(watch.seen.size(), 1);
        QCOMPARE(entries[1].size, 8);
        size0->setFocus(Qt::TabFocusReason);
        size0->selectAll();
        QTest::keyClicks(size0, "10");
        QTest::keyClick(size0, Qt::Key_Return);
        QTRY_COMPARE(watch.seen.size(), 2);
        QCOMPARE(entries[0].size, 12);
        // The box took the focus, and leaving the field once more is no edit.
        window_->activateWindow();
        size0->setFocus(Qt::TabFocusReason);
        QTest::keyClick(size0, Qt::Key_Tab);
        QTest::qWait(100);
        QCOMPARE(watch.seen.size(), 2);
        QCOMPARE(entries[0].size, 12);
    }

    void helpShowsInAWindowOfItsOwnWithoutADesktopBrowser()
    {
        QTemporaryDir folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        const QString page = folder.path() + "/help.htm";
        WriteFile(page, "<html><head><title>VORL Maker ヘルプ</title></head><body><h1>使い方</h1></body></html>");
        MainWindow window(folder.path());
        EditorModel model(window.Host(), library_, folder.path().toStdString(), "2.0.2");
        window.SetModel(&model);
        auto detach = qScopeGuard([&] { window.SetModel(nullptr); });
        QVERIFY(model.StartUp({"-t"}, folder.path().toStdString()));
        QList<QUrl> launched;
        bool desktop = false;
        window.Host().SetDesktopLauncher([&](const QUrl &url) {
            launched << url;
            return desktop;
        });
        auto helpWindows = [] {
            QList<QTextBrowser *> found;
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (top->objectName() == "helpBrowser") {
                    found << qobject_cast<QTextBrowser *>(top);
                }
            }
            return found;
        };

        window.findChild<QAction *>("mnu_ShowHelp")->trigger();
        QCOMPARE(launched, QList<QUrl>({QUrl::fromLocalFile(page)}));
        QCOMPARE(helpWindows().size(), 1);
        QTextBrowser *help = helpWindows().front();
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(help->toPlainText().contains("使い方"));
        QCOMPARE(help->windowTitle(), QString("VORL Maker ヘルプ"));
        // Asked again, the same window shows the page.
        help->close();
        QVERIFY(window.Host().OpenDocument(page.toStdString()));
        QCOMPARE(helpWindows().size(), 1);
        QVERIFY(help->isVisible());
        // With a desktop browser, the editor shows nothing of its own.
        help->close();
        desktop = true;
        QVERIFY(window.Host().OpenDocument(page.toStdString()));
        QCOMPARE(launched.size(), 3);
        QVERIFY(!help->isVisible());
    }

    void settingsGroupsAreRadioItems()
    {
        const std::vector<std::pair<const char *, int>> groups = {{"mnuKgr", 8},   {"mnuHeader", 4}, {"mnu_PathSel", 3},
                                                                  {"mnuIdxTp", 4}, {"mnuAlsTp", 4},  {"mnuEndi", 2}};
        for (const auto &[prefix, count] : groups) {
            QActionGroup *group = Action(qPrintable(QString("%1_0").arg(prefix)))->actionGroup();
            QVERIFY2(group != nullptr, prefix);
            QVERIFY2(group->exclusionPolicy() != QActionGroup::ExclusionPolicy::None, prefix);
            QList<QAction *> items;
            for (int i = 0; i < count; ++i) {
                items << Action(qPrintable(QString("%1_%2").arg(prefix).arg(i)));
            }
            QCOMPARE(group->actions(), items);
        }
        // The model may leave a group without a mark: a project whose
        // alignment is none of the choices.
        QTemporaryDir folder;
        StartIn(folder);
        WriteFile(folder.path() + "/odd.vorlprj", ProjectText(8, "", {}));
        QVERIFY(model_->OpenProject((folder.path() + "/odd.vorlprj").toStdString()));
        QCOMPARE(model_->State().block.dataalign, 8);
        for (int i = 0; i < 8; ++i) {
            QVERIFY(!Action(qPrintable(QString("mnuKgr_%1").arg(i)))->isChecked());
        }
        // A click on the marked item keeps its mark, as the model has it.
        Action("mnuHeader_0")->trigger();
        QVERIFY(Action("mnuHeader_0")->isChecked());
        Action("mnuKgr_2")->trigger();
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(Action(qPrintable(QString("mnuKgr_%1").arg(i)))->isChecked(), i == 2);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_tests.moc"

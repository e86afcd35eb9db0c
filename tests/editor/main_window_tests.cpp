// The real main window under the offscreen platform: menu captions, check
// marks and enabled states, and paging by keys.
#include <QAction>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include "editor_model.h"
#include "fake_host.h"
#include "main_window.h"

using namespace vorlmake;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    test::FakeLibrary library_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<EditorModel> model_;

    QAction *Action(const char *name) { return window_->findChild<QAction *>(name); }
    QString Text(const char *name) { return window_->findChild<QLineEdit *>(name)->text(); }

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>(QDir::tempPath());
        model_ = std::make_unique<EditorModel>(*window_, library_, QDir::tempPath().toStdString(), "2.0.2");
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
            {"mnuNew", "新規作成(&N)"}, {"mnuLoadPrj", "Projectを開く(&O)"}, {"mnuSavePrj", "Projectの上書き保存(&S)"},
            {"mnuSaveAs", "名前をつけて保存(&A)"}, {"mnuEnd", "終了(&X)"}, {"mnuDispTop", "先頭ページに戻る(&T)"},
            {"mnuDispModoru", "１ページ戻る(&R)"}, {"mnuDispSusumu", "１ページ進む(&P)"},
            {"mnuDispBottom", "最終ページに進む(&B)"}, {"mnuDispAlias", "エイリアスを表示(&A)"},
            {"mnuKugiri", "データの境界設定(&K)"}, {"mnuKgr_0", "設定なし(&N)"}, {"mnuKgr_7", "4096バイト境界"},
            {"mnuOutputHead", "ヘッダを出力(&H)"}, {"mnuHeader_0", "データ本体に付加(&M)"},
            {"mnuHeader_1", "別ファイルでテキスト出力(&T)"}, {"mnuHeader_2", "別ファイルでバイナリ出力(&B)"},
            {"mnuHeader_3", "出力しない(&N)"}, {"mnu_Path", "ファイルのパス指定(&P)"}, {"mnu_PathSel_0", "パス無し(&N)"},
            {"mnu_PathSel_1", "絶対パス(&A)"}, {"mnu_PathSel_2", "相対パス(&R)"}, {"mnuIdxType", "インデックス型タイプ"},
            {"mnuIdxTp_0", "１バイト"}, {"mnuIdxTp_3", "８バイト"}, {"mnuAlsType", "エイリアス型タイプ"},
            {"mnuAlsTp_1", "２バイト"}, {"mnuEndian", "インデックスエンディアン(&E)"},
            {"mnuEndi_0", "リトルエンディアン(&L)"}, {"mnuEndi_1", "ビッグエンディアン(&B)"},
            {"mnuAlias", "エイリアス情報を付加する(&A)"}, {"mnuIndex_ffff", "欠番インデックスをFFFFにする(&I)"},
            {"mnuNoFile", "ファイルが無い場合は欠番にする(&N)"}, {"mnuSetLabel", "ヘッダラベル名の設定(&L)"},
            {"mnuCommpress", "データ変換の設定(&C)"}, {"mnuStart", "データ作成開始(&R)"},
            {"mnuFileScan", "ファイルサイズの再スキャン(&S)"}, {"mnu_SoundOff", "サウンドを鳴らさない(&M)"},
            {"mnu_ShowHelp", "ヘルプ(&H)"}, {"mnuVersion", "バージョン情報(&A)"},
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
        for (const char *checked : {"mnuKgr_0", "mnuHeader_0", "mnu_PathSel_1", "mnuIdxTp_2", "mnuAlsTp_2", "mnuEndi_0"}) {
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
        {
            QFile input(folder.path() + "/in.bin");
            QVERIFY(input.open(QIODevice::WriteOnly));
            input.write("payload");
        }
        model_->State().CurrentDir = base;
        QVERIFY(model_->RegisterFile(0, base + "in.bin"));
        model_->State().Save_file = base + "out.dat";
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
        QCOMPARE(model_->State().Texts.label, std::string("Sprites"));
        QCOMPARE(model_->State().Texts.type[1], std::string("uint16_t"));
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
        QCOMPARE(model_->State().DefaultConvert, int16_t(3));
        QCOMPARE(model_->State().Texts.convert[2], std::string("xz -c \"$I\" > \"$O\""));
        QTimer::singleShot(0, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            dialog->findChild<QRadioButton *>("optSelect_1")->setChecked(true);
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
        });
        Action("mnuCommpress")->trigger();
        QCOMPARE(model_->State().DefaultConvert, int16_t(3));
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_tests.moc"

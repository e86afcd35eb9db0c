// vorlmake_screenshots: draws the editor's windows offscreen and saves them
// as pictures for the documentation.
//
//   QT_QPA_PLATFORM=offscreen vorlmake_screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include "about_box.h"
#include "about_dialog.h"
#include "editor_model.h"
#include "library_binding.h"
#include "main_window.h"
#include "settings_dialogs.h"
#include "title_window.h"

using namespace vorlmake;

namespace {

void Save(QWidget &widget, const QString &path)
{
    widget.show();
    QApplication::processEvents();
    widget.grab().save(path);
}

void FillSampleProject(EditorModel &model)
{
    EditorState &state = model.State();
    const char *names[] = {"data/title.bmp", "data/stage1.map", "data/stage2.map", "*1", "data/bgm_title.wav",
                           "", "data/font.fnt"};
    const char *remarks[] = {"タイトル画面", "ステージ１のマップ", "ステージ２のマップ", "ステージ１と共通",
                             "タイトル曲", "", "フォント"};
    const int sizes[] = {76800, 4096, 4352, 0, 120000, 0, 8192};
    for (int i = 0; i < 7; ++i) {
        EditEntry &entry = state.Entries[static_cast<size_t>(i)];
        entry.FileName = names[i];
        entry.Use = entry.FileName.size() > 0;
        entry.Remarks = remarks[i];
        entry.Size = sizes[i];
    }
    state.Entries[4].ConvertNo = 1;
    state.Entries[6].SizeFixed = true;
    state.CurrentDir = "/home/artist/game/";
    model.ShowPage();
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString out = QDir(argc > 1 ? argv[1] : "docs/images").absolutePath();
    QDir().mkpath(out);
    const QString folder = QCoreApplication::applicationDirPath();
    LibraryBinding library(folder.toStdString());
    MainWindow window(folder);
    EditorModel model(window, library, folder.toStdString(), VORLMAKE_VERSION, [] { return 0.42; });
    window.SetModel(&model);
    if (!model.StartUp({"-t"}, QDir::currentPath().toStdString())) {
        return 1;
    }
    FillSampleProject(model);
    window.ShowCurrentFolder("/home/artist/game/");
    window.ShowSaveName("/home/artist/game/game.dat");
    Save(window, out + "/main_window.png");

    // The settings menu drawn over the window, where it opens.
    QMenu *menu = window.SettingsMenu();
    QRect anchor = window.menuBar()->actionGeometry(menu->menuAction());
    QPoint at = window.menuBar()->mapTo(&window, anchor.bottomLeft());
    menu->popup(window.mapToGlobal(at));
    QApplication::processEvents();
    QPixmap composed = window.grab();
    QPainter painter(&composed);
    painter.drawPixmap(at, menu->grab());
    painter.end();
    composed.save(out + "/settings_menu.png");
    menu->hide();

    // The window while the library converts: disabled, with the busy bar.
    window.SetMainWindowEnabled(false);
    window.ShowConversionRunning(true);
    QApplication::processEvents();
    Save(window, out + "/window_during_run.png");
    window.ShowConversionRunning(false);
    window.SetMainWindowEnabled(true);

    LabelDialogState label{"Vorl_Index", "static unsigned short", "static unsigned int"};
    LabelDialog labelDialog(label, &window);
    Save(labelDialog, out + "/label_dialog.png");
    ConvertDialogState convert{1, {"gzip -n -c \"$I\" > \"$O\"", "xz -c \"$I\" > \"$O\"", "", ""}};
    ConvertDialog convertDialog(convert, &window);
    Save(convertDialog, out + "/convert_dialog.png");

    TitleWindow title(folder, QString::fromStdString(TitleVersionText(VORLMAKE_VERSION)));
    Save(title, out + "/title_window.png");

    AboutBox about(window, folder.toStdString() + "/", VORLMAKE_VERSION, model.State().DllVersion,
                   [] { return 0.42; });
    about.labHint_Click();
    AboutDialog dialog(about, folder);
    Save(dialog, out + "/about_box.png");
    return 0;
}

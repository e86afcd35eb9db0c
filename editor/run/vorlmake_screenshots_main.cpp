// vorlmake_screenshots: draws the editor's windows offscreen and saves them
// as pictures for the documentation.
//
//   QT_QPA_PLATFORM=offscreen vorlmake_screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "about_box.h"
#include "about_dialog.h"
#include "editor_model.h"
#include "label_and_converter_dialogs.h"
#include "library_binding.h"
#include "main_window.h"
#include "title_window.h"

using namespace vorlmake;

namespace {

void Save(QWidget &widget, const QString &path)
{
    widget.show();
    QApplication::processEvents();
    widget.grab().save(path);
}

// The sample game's project, opened from a folder that holds its files at
// the sizes the pictures show; the window then shows the folder a user
// would have.
bool OpenSampleProject(EditorModel &model, const QString &project, const QTemporaryDir &folder)
{
    const std::pair<const char *, qint64> files[] = {{"data/title.bmp", 76800},
                                                     {"data/stage1.map", 4096},
                                                     {"data/stage2.map", 4352},
                                                     {"data/bgm_title.wav", 120000},
                                                     {"data/font.fnt", 8192}};
    QDir(folder.path()).mkpath("data");
    for (const auto &[name, size] : files) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) {
            return false;
        }
    }
    const QString copy = folder.filePath("game.vorlprj");
    return QFile::copy(project, copy) && model.OpenProject(copy.toStdString());
}

}  // namespace

int main(int argc, char **argv)
{
    // The pictures are the same whatever locale the tool is run under: Qt
    // chooses fonts (and fontconfig their faces) by the locale's language.
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"}) {
        ::unsetenv(name);
    }
    QApplication app(argc, argv);
    QString out = QDir(argc > 1 ? argv[1] : "docs/images").absolutePath();
    QDir().mkpath(out);
    const QString folder = QCoreApplication::applicationDirPath();
    LibraryBinding library(folder.toStdString());
    MainWindow window(folder);
    EditorModel model(window.Host(), library, folder.toStdString(), VORLMAKE_VERSION, [] { return 0.42; });
    window.SetModel(&model);
    if (!model.StartUp({"-t"}, QDir::currentPath().toStdString())) {
        return 1;
    }
    QTemporaryDir sample;
    if (!sample.isValid() || !OpenSampleProject(model, QString(VORLMAKE_SAMPLE_PROJECT), sample)) {
        std::fprintf(stderr, "vorlmake_screenshots: cannot open the sample project %s\n", VORLMAKE_SAMPLE_PROJECT);
        return 1;
    }
    model.UseDataFile("/home/artist/game/game.dat");
    window.ShowCurrentFolder("/home/artist/game/");
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
    window.setEnabled(false);
    window.ShowConversionRunning(true);
    QApplication::processEvents();
    Save(window, out + "/window_during_run.png");
    window.ShowConversionRunning(false);
    window.setEnabled(true);

    LabelDialogState label{"Vorl_Index", "static unsigned short", "static unsigned int"};
    LabelDialog labelDialog(label, &window);
    Save(labelDialog, out + "/label_dialog.png");
    ConvertDialogState convert{1, {"gzip -n -c \"$I\" > \"$O\"", "xz -c \"$I\" > \"$O\"", "", ""}};
    ConvertDialog convertDialog(convert, &window);
    Save(convertDialog, out + "/convert_dialog.png");

    TitleWindow title(folder, QString::fromStdString(TitleVersionText(VORLMAKE_VERSION)));
    Save(title, out + "/title_window.png");

    AboutBox about(window.Host(), folder.toStdString() + "/", VORLMAKE_VERSION, model.State().libraryVersion,
                   [] { return 0.42; });
    about.ShowNextHint();
    AboutDialog dialog(about, folder);
    Save(dialog, out + "/about_box.png");
    return 0;
}

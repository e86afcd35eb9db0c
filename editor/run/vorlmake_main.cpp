// vorlmake: the project editor.
//
//   vorlmake [-r] [-t] [-e] [-s<data file>] [-h<header file>] [project file]
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>

#include "command_line.h"

#include "editor_model.h"
#include "installed_files.h"
#include "library_binding.h"
#include "main_window.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::vector<std::string> arguments;
    for (const QString &argument : app.arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }
    const QString folder = QCoreApplication::applicationDirPath();
    vorlmake::LibraryBinding library(folder.toStdString());
    if (!library.Bind()) {
        const QString text =
            "変換ライブラリ libvorl_cnv.so を読み込めません。\n" + QString::fromStdString(library.Error());
        // A run that ends by itself has nobody to click a box away.
        if (vorlmake::ParseArguments(arguments).initCommand & vorlmake::kEndWhenDone) {
            std::fprintf(stderr, "vorlmake: %s\n", text.toUtf8().constData());
        } else {
            QMessageBox::critical(nullptr, "vorlmake", text);
        }
        return 1;
    }
    const vorlmake::ProgramFiles files = vorlmake::FindProgramFiles(folder.toStdString());
    vorlmake::MainWindow window(QString::fromStdString(files.dataFolder));
    vorlmake::EditorModel model(window.Host(), library, files.dataFolder, VORLMAKE_VERSION);
    model.UseSettingsFile(files.settingsFile);
    model.UseUserSettingsFile(files.userSettingsFile);
    window.SetModel(&model);
    if (!model.StartUp(arguments, QDir::currentPath().toStdString())) {
        return 1;
    }
    if (!window.isVisible()) {
        return model.ExitStatus();  // ended by the command line ("-e")
    }
    return app.exec();
}

// vorlmake: the project editor.
//
//   vorlmake [-r] [-t] [-e] [-s<data file>] [-h<header file>] [project file]
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "editor_model.h"
#include "library_binding.h"
#include "main_window.h"

namespace {

// The arguments joined into one command line, a name with blanks quoted.
std::string CommandLine(const QStringList &arguments)
{
    std::string line;
    for (int i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i].toStdString();
        if (!line.empty()) {
            line += ' ';
        }
        line += argument.find(' ') != std::string::npos ? "\"" + argument + "\"" : argument;
    }
    return line;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = QCoreApplication::applicationDirPath();
    vorlmake::LibraryBinding library(folder.toStdString());
    if (!library.Bind()) {
        QMessageBox::critical(nullptr, "vorlmake",
                              "変換ライブラリ libvorl_cnv.so を読み込めません。\n" +
                                  QString::fromStdString(library.Error()));
        return 1;
    }
    vorlmake::MainWindow window(folder);
    vorlmake::EditorModel model(window, library, folder.toStdString(), VORLMAKE_VERSION);
    window.SetModel(&model);
    if (!model.StartUp(CommandLine(app.arguments()))) {
        return 1;
    }
    if (!window.isVisible()) {
        return 0;  // ended by the command line
    }
    return app.exec();
}

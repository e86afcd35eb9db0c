// vorlmake: the project editor.
//
//   vorlmake [-r] [-t] [-e] [-s<data file>] [-h<header file>] [project file]
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"

#include "editor_model.h"
#include "installed_files.h"
#include "library_binding.h"
#include "main_window.h"
#include "stop_signals.h"

namespace {

// A run that ends by itself (-e) writes its own messages to standard error;
// what Qt says of its platform there ("This plugin does not support
// propagateSizeHints()") is noise in a build's log. Critical and fatal
// messages still come through.
void KeepQtWarningsOutOfTheLog(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

bool EndsByItself(int argc, char **argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return (vorlmake::ParseArguments(arguments).initCommand & vorlmake::kEndWhenDone) != 0;
}

}  // namespace

int main(int argc, char **argv)
{
    // A script on a machine without a display still gets its run: nobody
    // looks at the window of a run that ends by itself.
    const bool endsByItself = EndsByItself(argc, argv);
    if (endsByItself && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (endsByItself) {
        qInstallMessageHandler(KeepQtWarningsOutOfTheLog);
    }
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
    const bool unattended = (vorlmake::ParseArguments(arguments).initCommand & vorlmake::kEndWhenDone) != 0;
    vorlmake::StopSignals stops(model, unattended);
    if (!model.StartUp(arguments, QDir::currentPath().toStdString())) {
        return 1;
    }
    if (!window.isVisible()) {
        // Ended by the command line ("-e"). A run that a signal stopped, or
        // kept from starting, ends as vorlcnv does (128 + the signal's
        // number); one that had done its work before keeps its status.
        return stops.Received() != 0 && model.ExitStatus() != 0 ? stops.ExitStatus() : model.ExitStatus();
    }
    // A run under way when a signal came has stopped and cleaned up by
    // the time the window is idle again: then the program ends.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!unattended) {
            stops.EndWhenStopped();
        } else if (stops.Received() != 0 && !model.IsRunUnderWay()) {
            QCoreApplication::exit(stops.ExitStatus());
        }
    });
    watch.start(100);
    return app.exec();
}

#include "window_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextBrowser>
#include <QUrl>
#include <cstdio>

#include "about_dialog.h"
#include "ambiguous_names.h"
#include "label_and_converter_dialogs.h"
#include "main_window.h"
#include "run_folder.h"
#include "run_settings_dialog.h"
#include "title_window.h"

namespace vorlmake {
namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

}  // namespace

WindowHost::WindowHost(MainWindow &window, QString programFolder)
    : window_(window), programFolder_(std::move(programFolder))
{
    openUrl_ = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

WindowHost::~WindowHost()
{
    delete helpBrowser_;
}

QWidget *WindowHost::DialogParent() const
{
    return &window_;
}

void WindowHost::CloseHelpWindow()
{
    if (helpBrowser_ != nullptr) {
        helpBrowser_->close();
    }
}

// The drawing is the window's.
void WindowHost::SetMainWindowEnabled(bool enabled)
{
    window_.setEnabled(enabled);
}
bool WindowHost::IsMainWindowEnabled() const
{
    return window_.isEnabled();
}
void WindowHost::ShowRow(int row, const RowView &view)
{
    window_.ShowRow(row, view);
}
void WindowHost::ShowPageFields(const std::string &page, const std::string &interval)
{
    window_.ShowPageFields(page, interval);
}
void WindowHost::FocusFileName(int row)
{
    window_.FocusFileName(row);
}
void WindowHost::ShowChoiceMarks(const ChoiceMarks &marks)
{
    window_.ShowChoiceMarks(marks);
}
void WindowHost::ShowRemarksHeading(const std::string &heading)
{
    window_.ShowRemarksHeading(heading);
}
void WindowHost::ShowTotalSize(const std::string &text)
{
    window_.ShowTotalSize(text);
}
void WindowHost::ShowSaveName(const std::string &name)
{
    window_.ShowSaveName(name);
}
void WindowHost::ShowCurrentFolder(const std::string &folder)
{
    window_.ShowCurrentFolder(folder);
}
void WindowHost::SetWindowTitle(const std::string &title)
{
    window_.setWindowTitle(Q(title));
}
void WindowHost::ShowMainWindow()
{
    window_.show();
}
void WindowHost::CloseMainWindow()
{
    window_.CloseForModel();
}
void WindowHost::ShowUndoAvailability(bool canUndo, bool canRedo)
{
    window_.ShowUndoAvailability(canUndo, canRedo);
}
void WindowHost::ShowConversionRunning(bool running)
{
    window_.ShowConversionRunning(running);
}
void WindowHost::ShowConversionProgress(int rowsDone, int rowCount, const std::string &currentInput)
{
    window_.ShowConversionProgress(rowsDone, rowCount, currentInput);
}

void WindowHost::ReportUnattended(const std::string &title, const std::string &text)
{
    std::string report = "vorlmake: " + (title.empty() ? std::string() : title + ": ") + text + "\n";
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
}

Answer WindowHost::ShowMessage(const std::string &text, const std::string &title, MessageIcon icon,
                               MessageButtons buttons)
{
    if (unattended_) {
        // Nobody is there to answer: the message goes to standard error as
        // one line of the log (the box's lines joined by a blank), and the
        // first button answers it.
        std::string lines;
        for (char c : text) {
            if (c == '\r' || c == '\n') {
                if (!lines.empty() && lines.back() != ' ') {
                    lines += ' ';
                }
            } else {
                lines += c;
            }
        }
        while (!lines.empty() && lines.back() == ' ') {
            lines.pop_back();
        }
        ReportUnattended(title, lines);
        return buttons == MessageButtons::Ok ? Answer::Ok : Answer::Yes;
    }
    QMessageBox box(DialogParent());
    box.setWindowTitle(Q(title));
    box.setText(Q(text));
    switch (icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::None:
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            return Answer::Ok;
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

std::optional<FileChoice> WindowHost::ChooseFileToOpen(const FileDialogRequest &request)
{
    if (unattended_) {
        // A script must say which file it means on the command line.
        ReportUnattended(request.title, "ファイルを選べないので、キャンセルしたよ。");
        return std::nullopt;
    }
    return Choose(DialogParent(), request, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> WindowHost::ChooseFileToSave(const FileDialogRequest &request)
{
    if (unattended_) {
        // A script must say which file it means on the command line.
        ReportUnattended(request.title, "ファイルを選べないので、キャンセルしたよ。");
        return std::nullopt;
    }
    return Choose(DialogParent(), request, QFileDialog::AcceptSave);
}

void WindowHost::ProcessPendingMessages()
{
    QCoreApplication::processEvents();
}

void WindowHost::ShowTitleWindow(const std::string &versionText)
{
    TitleWindow title(programFolder_, Q(versionText));
    title.exec();
}

void WindowHost::ShowAboutBox(AboutBox &about)
{
    AboutDialog dialog(about, programFolder_, DialogParent());
    dialog.exec();
}

std::optional<std::string> WindowHost::ReadFile(const std::string &path)
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

std::optional<int64_t> WindowHost::FileLength(const std::string &path)
{
    // The name came through CP932: 〜 on disk reads back as ～ (and five more).
    QFileInfo info(Q(vorl::common::FindExistingForm(path)));
    if (!info.isFile() || !info.isReadable()) {
        return std::nullopt;
    }
    return info.size();
}

bool WindowHost::RemoveFile(const std::string &path)
{
    return QFile::remove(Q(path));
}

std::optional<std::string> WindowHost::MakeRunFolder(const std::string &folder)
{
    return MakePrivateFolder(folder);
}

bool WindowHost::RemoveRunFolder(const std::string &folder)
{
    return RemovePrivateFolder(folder);
}

bool WindowHost::WriteFileReplacing(const std::string &path, const std::string &content)
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

bool WindowHost::ShowRunSettingsDialog(RunSettings &settings)
{
    RunSettingsDialog dialog(settings, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

int WindowHost::RunWhileBusy(const std::function<int()> &work)
{
    // The library call runs on a worker; this thread keeps painting the
    // (disabled) window until it is done.
    return runner_.Run(work);
}

bool WindowHost::ShowLabelDialog(LabelDialogState &state)
{
    LabelDialog dialog(state, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

bool WindowHost::ShowConvertDialog(ConvertDialogState &state)
{
    ConvertDialog dialog(state, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

bool WindowHost::OpenDocument(const std::string &path)
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
        helpBrowser_->setWindowIcon(window_.windowIcon());
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

bool WindowHost::StartSystemInformation()
{
    // This desktop has no system information viewer of its own.
    return false;
}

void WindowHost::Beep()
{
    QApplication::beep();
}

}  // namespace vorlmake

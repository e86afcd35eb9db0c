#include "run_control.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <type_traits>

#include "exit_status.h"
#include "terminal_text.h"

namespace vorlcnv {
namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void NoteSignal(int number)
{
    g_stopSignal = number;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// A run shorter than this shows nothing; after it the line changes at most
// ten times a second.
constexpr double kQuietSeconds = 0.5;
constexpr double kRedrawSeconds = 0.1;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

RunControl::RunControl() : terminal_(::isatty(STDERR_FILENO) == 1), start_(Now())
{
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    for (int number : kStopSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

RunControl::~RunControl()
{
    ClearLine();
    for (int number : kStopSignals) {
        std::signal(number, SIG_DFL);
    }
}

void RunControl::Attach(VorlConvertOptions &options, bool quiet)
{
    quiet_ = quiet;
    options.progress = &RunControl::OnProgress;
    options.progresscontext = this;
    options.notice = &RunControl::OnNotice;
    options.noticecontext = this;
    // The library watches the flag itself while converters run, and ends
    // them: they are in process groups of their own, out of the terminal's
    // reach, and a SIGTERM sent to vorlcnv alone would not reach them either.
    static_assert(std::is_same_v<std::sig_atomic_t, int32_t>, "the stop flag is the signal handler's own");
    options.stopflag = &g_stopSignal;
}

int RunControl::StopSignal() const
{
    return g_stopSignal;
}

int RunControl::OnProgress(void *context, const VorlProgress *progress)
{
    auto *control = static_cast<RunControl *>(context);
    if (g_stopSignal != 0) {
        return 1;
    }
    control->rowCount_ = progress->rowcount;
    if (progress->rowsdone >= 0 && progress->rowsdone < progress->rowcount && progress->input != nullptr) {
        auto row = static_cast<size_t>(progress->rowsdone);
        if (control->inputs_.size() <= row) {
            control->inputs_.resize(row + 1);
        }
        control->inputs_[row] = ToTerminalText(progress->input);
    }
    control->Show(*progress);
    return 0;
}

// Kept for the end: a warning printed now would break the progress line,
// and the next entry's name may not have been reported yet.
void RunControl::OnNotice(void *context, int32_t kind, int32_t row)
{
    static_cast<RunControl *>(context)->notices_.emplace_back(kind, row);
}

void RunControl::EndProgress()
{
    ClearLine();
    ended_ = true;
}

std::string RunControl::RowName(int32_t row, bool commandLine) const
{
    std::string name = row >= 0 && static_cast<size_t>(row) < inputs_.size() ? inputs_[static_cast<size_t>(row)] : "";
    // The library names a shared entry "*N"; a command line writes it "**N".
    if (commandLine && name.size() > 1 && name[0] == '*' && name[1] != '*') {
        name.insert(0, "*");
    }
    std::string entry = "entry " + std::to_string(row);
    return name.empty() ? entry : entry + " (" + name + ")";
}

void RunControl::PrintWarnings(bool commandLine) const
{
    for (const auto &[kind, row] : notices_) {
        if (kind != VORL_NOTICE_LOOKS_EMPTY) {
            continue;
        }
        SayOnStandardError("vorlcnv: warning: " + RowName(row, commandLine) +
                           " has data but its index value equals the next entry's, so a reader sees no data; " +
                           (commandLine ? "-i gives entries without data the all-ones value"
                                        : "giving entries without data the all-ones value (index mode) avoids it") +
                           "\n");
    }
}

void RunControl::Show(const VorlProgress &progress)
{
    double now = Now();
    if (!terminal_ || quiet_ || ended_ || now - start_ < kQuietSeconds || now - lastShown_ < kRedrawSeconds) {
        return;
    }
    lastShown_ = now;
    char counts[96];
    std::snprintf(counts, sizeof counts, "vorlcnv: %d/%d entries, %.1f MiB ", progress.rowsdone, progress.rowcount,
                  static_cast<double>(progress.byteswritten) / (1024.0 * 1024.0));
    std::string name = ToTerminalText(progress.input != nullptr ? progress.input : "");
    // Long names keep their end, which tells one file from the next.
    constexpr size_t kNameRoom = 40;
    if (name.size() > kNameRoom) {
        size_t cut = name.size() - kNameRoom;
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            ++cut;
        }
        name = "..." + name.substr(cut);
    }
    SayOnStandardError(std::string("\r\033[K") + counts + name);
    std::fflush(stderr);
    shown_ = true;
}

void RunControl::ClearLine()
{
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

}  // namespace vorlcnv

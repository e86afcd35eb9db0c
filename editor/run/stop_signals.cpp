#include "stop_signals.h"

#include <signal.h>

#include <csignal>

#include "editor_model.h"

namespace vorlmake {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_unattended = 0;
EditorModel *volatile g_model = nullptr;

// Ends the process as the signal's default action does.
void EndAsTheSignalWould(int number)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(number, &action, nullptr);
    ::raise(number);
}

// Only async-signal-safe calls: flag stores, sigaction and raise.
void OnStopSignal(int number)
{
    if (g_signal == 0) {
        g_signal = number;
    }
    const bool runUnderWay = g_model != nullptr && g_model->StopForGood();
    if (!runUnderWay && g_unattended == 0) {
        // Nothing of a run is half made: the editor ends as it always did.
        // The signal is blocked in here; it ends the process on return.
        EndAsTheSignalWould(number);
    }
}

}  // namespace

StopSignals::StopSignals(EditorModel &model, bool unattended)
{
    g_model = &model;
    g_unattended = unattended ? 1 : 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int number : kStopSignals) {
        sigaddset(&action.sa_mask, number);
    }
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i) {
        // A signal ignored from the start (nohup) stays ignored.
        struct sigaction before {};
        if (::sigaction(kStopSignals[i], nullptr, &before) == 0 && before.sa_handler == SIG_IGN) {
            continue;
        }
        caught_[i] = ::sigaction(kStopSignals[i], &action, nullptr) == 0;
    }
}

StopSignals::~StopSignals()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i) {
        if (caught_[i]) {
            ::sigaction(kStopSignals[i], &action, nullptr);
        }
    }
    g_model = nullptr;
}

int StopSignals::Received() const
{
    return g_signal;
}

void StopSignals::EndWhenStopped() const
{
    if (g_signal != 0 && g_model != nullptr && !g_model->IsRunUnderWay()) {
        EndAsTheSignalWould(g_signal);
    }
}

}  // namespace vorlmake

// What vorlcnv shows and hears while a conversion runs: a one-line progress
// display on a terminal, the library's notices about rows, and Ctrl+C,
// SIGTERM and SIGHUP, which stop the run at once, ending the converters that
// run, so that it cleans up after itself.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vorl_cnv.h"

namespace vorlcnv {

class RunControl {
public:
    // Catches the stopping signals until this goes.
    RunControl();
    ~RunControl();
    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    // Points the options' progress and notice callbacks at this object.
    // `quiet` (-q) shows no progress; the warnings still go out, as they
    // are not about how far the run has come.
    void Attach(VorlConvertOptions &options, bool quiet = false);
    // The signal that stopped the run, 0 when none did.
    int StopSignal() const;
    // Erases the progress line for good: what follows is a message.
    void EndProgress();
    // One warning line for each notice the library gave; `commandLine`
    // names the settings as options of the command line.
    void PrintWarnings(bool commandLine) const;
    // The rows of the table as the progress reported them, -1 before any.
    int32_t RowCount() const { return rowCount_; }

private:
    static int OnProgress(void *context, const VorlProgress *progress);
    static void OnNotice(void *context, int32_t kind, int32_t row);
    void Show(const VorlProgress &progress);
    void ClearLine();
    std::string RowName(int32_t row, bool commandLine) const;

    bool terminal_;
    bool quiet_ = false;
    bool ended_ = false;
    bool shown_ = false;
    int32_t rowCount_ = -1;
    // Each row's input as the progress reports named it, for the warnings.
    std::vector<std::string> inputs_;
    std::vector<std::pair<int32_t, int32_t>> notices_;  // kind, row
    double start_;
    double lastShown_ = 0;
};

}  // namespace vorlcnv

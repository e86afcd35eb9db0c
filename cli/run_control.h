// What vorlcnv shows and hears while a conversion runs: a one-line progress
// display on a terminal, and Ctrl+C, SIGTERM and SIGHUP, which stop the run
// at once, ending the converters that run, so that it cleans up after itself.
#pragma once

#include "vorl_cnv.h"

namespace vorlcnv {

class RunControl {
public:
    // Catches the stopping signals until this goes.
    RunControl();
    ~RunControl();
    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    // Points the options' progress callback at this object.
    void Attach(VorlConvertOptions &options);
    // The signal that stopped the run, 0 when none did.
    int StopSignal() const;

private:
    static int OnProgress(void *context, const VorlProgress *progress);
    void Show(const VorlProgress &progress);
    void ClearLine();

    bool terminal_;
    bool shown_ = false;
    double start_;
    double lastShown_ = 0;
};

}  // namespace vorlcnv

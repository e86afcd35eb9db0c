// Ctrl+C, SIGTERM and SIGHUP while the editor converts: the run stops as
// the user's stop does, ending the converters that run (they are in
// process groups of their own, out of reach of a signal to the editor),
// removing what it made and leaving the previous outputs as they were;
// then the program ends. Outside a run a signal ends the editor at once,
// as it would without this, unless the run is unattended ("-e"), which
// then converts nothing more and ends by itself.
#pragma once

namespace vorlmake {

class EditorModel;

class StopSignals {
public:
    // Catches the signals (those not ignored from the start) until this goes.
    StopSignals(EditorModel &model, bool unattended);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The first signal that came, 0 when none did.
    int Received() const;
    // The exit status of a program a signal stopped: 128 + its number.
    int ExitStatus() const { return 128 + Received(); }
    // Once a run that a signal stopped has cleaned up after itself, ends
    // the program as that signal ends one; else does nothing. Called on
    // the interface thread, outside the run.
    void EndWhenStopped() const;

private:
    bool caught_[3] = {};
};

}  // namespace vorlmake

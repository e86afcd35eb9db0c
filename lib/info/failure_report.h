// Notes on where a conversion failed, for the extension export's failure
// report. Every conversion step takes a reporter; one made without a report
// (the described exports) notes nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "file_trouble.h"
#include "vorl_cnv.h"

namespace vorl {

class FailureReporter {
public:
    FailureReporter() = default;
    explicit FailureReporter(VorlFailureReport *report);

    // The row a failure concerns and the entry as written; a row from a
    // list file also names the list and its line.
    void NoteRow(int32_t row, std::string_view input, std::string_view listFile = {}, int32_t line = 0) const;
    // The file a failure concerns and why it could not be read or written.
    void NoteInput(std::string_view file) const;
    void NoteOutput(std::string_view file) const;
    void NoteFile(std::string_view file, VorlFailureCause cause, int32_t osError = 0) const;
    // A converter run over `input` that ended with `exitCode` (-1: ended by
    // a signal or never started; 0: it succeeded but wrote nothing).
    void NoteConverter(std::string_view input, int exitCode) const;
    // The row noted so far, -1 when none is.
    int32_t Row() const { return report_ != nullptr ? report_->row : -1; }

private:
    VorlFailureReport *report_ = nullptr;
};

// Clears a report to "nothing known": no row, no file.
void ClearFailureReport(VorlFailureReport &report);

}  // namespace vorl

// What the caller of a conversion asked for beyond the block, and what it
// wants to hear: where a failure happened (the extension export's failure
// report), which files were read, and whether the outputs are only to be
// verified. Every conversion step takes a context; a default one (the
// described exports) notes nothing and writes the outputs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_trouble.h"
#include "vorl_cnv.h"

namespace vorl {

class ConversionContext {
public:
    ConversionContext() = default;
    explicit ConversionContext(VorlFailureReport *report, VorlFileReadCallback fileRead = nullptr,
                               void *fileReadContext = nullptr, bool verifyOnly = false);
    // Converters side by side and a progress callback (the extension export).
    void RunSideBySide(int jobs) { jobs_ = jobs > 1 ? jobs : 1; }
    void ReportProgress(VorlProgressCallback progress, void *context)
    {
        progress_ = progress;
        progressContext_ = context;
    }
    // A flag the caller sets, from a signal handler or another thread, to
    // stop the run at once.
    void WatchStopFlag(const volatile int32_t *flag) { stopFlag_ = flag; }
    bool WatchesStopFlag() const { return stopFlag_ != nullptr; }
    // Converter results kept in `folder` (CP932) up to `limit` bytes.
    void CacheResults(std::string folder, uint64_t limit)
    {
        cacheFolder_ = std::move(folder);
        cacheLimit_ = limit;
    }
    const std::string &CacheFolder() const { return cacheFolder_; }
    uint64_t CacheLimit() const { return cacheLimit_; }
    // Where a -15 says which width would have held the refused value.
    void ReportNeededBytes(int32_t *neededBytes) { neededBytes_ = neededBytes; }
    // What a successful run finds worth telling about a row.
    void ReportNotices(VorlNoticeCallback notice, void *context)
    {
        notice_ = notice;
        noticeContext_ = context;
    }
    void Notice(VorlNoticeKind kind, int32_t row) const
    {
        if (notice_ != nullptr) {
            notice_(noticeContext_, kind, row);
        }
    }

    // The row a failure concerns and the entry as written; a row from a
    // list file also names the list and its line.
    void NoteRow(int32_t row, std::string_view input, std::string_view listFile = {}, int32_t line = 0) const;
    // The file a failure concerns and why it could not be read or written.
    void NoteInput(std::string_view file) const;
    // `osError`, the error of the write that failed, is the reason when
    // the output's name shows none (a full disk).
    void NoteOutput(std::string_view file, int32_t osError = 0) const;
    void NoteFile(std::string_view file, VorlFailureCause cause, int32_t osError = 0) const;
    // A temporary file or folder that could not be made or written:
    // always a cause, the folder's absence when that is why, else the
    // system's `osError` (a full disk shows nothing at the name itself).
    void NoteTemporary(std::string_view file, int32_t osError) const;
    // A value refused with -15 (cause 12 or 13) and the width in bytes
    // that would hold it, 0 when none would.
    void NoteValueRange(VorlFailureCause cause, int32_t neededBytes) const;
    // An output that is also `other`, an input (the entry `row` when it is
    // one, else -1) or another output of the run.
    void NoteSameFile(std::string_view output, std::string_view other, bool otherIsOutput, int32_t row) const;
    // A converter run over `input` that ended with `exitCode` (-1: ended by
    // a signal or never started; 0: it succeeded but wrote nothing).
    void NoteConverter(std::string_view input, int exitCode) const;
    // The row noted so far, -1 when none is.
    int32_t Row() const { return report_ != nullptr ? report_->row : -1; }

    // A file or folder the conversion read (a VorlReadKind). List files
    // and the project are also kept as inputs of the run, which no output
    // may replace.
    void NoteRead(std::string_view path, VorlReadKind kind) const;
    // An input that is not there (skipped): the folder it would appear in
    // is read as a searched folder, so that a build notices when it comes.
    void NoteMissing(std::string_view path) const;

    // Files the caller reads or writes for this run beyond the block's own
    // (the user's list files, a dependency file written afterwards): they
    // take part in the check of outputs against inputs.
    void AddOtherInput(std::string_view path) const { runFiles_->inputs.emplace_back(path); }
    void AddOtherOutput(std::string_view path) const { runFiles_->outputs.emplace_back(path); }
    const std::vector<std::string> &OtherInputs() const { return runFiles_->inputs; }
    const std::vector<std::string> &OtherOutputs() const { return runFiles_->outputs; }
    // The caller writes the content of its other outputs into files that
    // the conversion then places with its own.
    void StageOtherOutputs(VorlStageCallback stage, void *context)
    {
        stage_ = stage;
        stageContext_ = context;
    }
    bool StagesOtherOutputs() const { return stage_ != nullptr && !runFiles_->outputs.empty(); }
    // True when the caller filled `staged` with other output `index`.
    bool StageOtherOutput(int32_t index, const std::string &staged) const
    {
        return stage_ != nullptr && stage_(stageContext_, index, staged.c_str()) == 0;
    }

    // Compare with the existing outputs instead of writing them.
    bool VerifyOnly() const { return verifyOnly_; }

    // How many converters may run at once.
    int Jobs() const { return jobs_; }
    // Tells the caller how far the run has come; true when it asks to stop.
    bool AsksToStop(int32_t rowsDone, int32_t rowCount, std::string_view input, uint64_t bytesWritten) const;
    // True once the caller has asked to stop, without asking again; only
    // the stop flag is read, never the callback called. Safe from any thread.
    bool Stopped() const;

private:
    VorlFailureReport *report_ = nullptr;
    int32_t *neededBytes_ = nullptr;
    VorlNoticeCallback notice_ = nullptr;
    void *noticeContext_ = nullptr;
    VorlFileReadCallback fileRead_ = nullptr;
    void *fileReadContext_ = nullptr;
    bool verifyOnly_ = false;
    int jobs_ = 1;
    std::string cacheFolder_;
    uint64_t cacheLimit_ = 0;
    VorlProgressCallback progress_ = nullptr;
    void *progressContext_ = nullptr;
    const volatile int32_t *stopFlag_ = nullptr;
    VorlStageCallback stage_ = nullptr;
    void *stageContext_ = nullptr;
    struct RunFiles {
        std::vector<std::string> inputs;
        std::vector<std::string> outputs;
    };
    std::shared_ptr<RunFiles> runFiles_ = std::make_shared<RunFiles>();
    // Shared by the copies of one context: a stop once asked stays asked.
    std::shared_ptr<std::atomic<bool>> stopped_ = std::make_shared<std::atomic<bool>>(false);
};

// Clears a report to "nothing known": no row, no file.
void ClearFailureReport(VorlFailureReport &report);

}  // namespace vorl

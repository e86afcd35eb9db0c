#include "extended_conversion.h"

#include <cstddef>

#include "command_line_conversion.h"
#include "conversion_context.h"
#include "convert_pipeline.h"
#include "fixed_text.h"
#include "project_conversion.h"
#include "work_directory.h"

namespace vorl {
namespace {

// The record ends where the caller's header ended it: a field past `size`
// is neither read nor written.
template <typename Field>
bool HasField(const VorlConvertOptions &options, size_t offset)
{
    return options.size >= offset + sizeof(Field);
}

// A block without a working directory gets one of its own for this call,
// removed on every way out; its field is empty again afterwards.
class OwnWorkDirectory {
public:
    explicit OwnWorkDirectory(VorlInformation &info) : info_(info) {}
    ~OwnWorkDirectory()
    {
        if (made_) {
            RemoveMadeWorkDirectory(FieldText(info_.workdir));
            StoreFieldText(info_.workdir, "");
        }
    }
    OwnWorkDirectory(const OwnWorkDirectory &) = delete;
    OwnWorkDirectory &operator=(const OwnWorkDirectory &) = delete;

    int Make(const char *workbase, const ConversionContext &reporter)
    {
        int rc = SetupWorkDirectory(info_, workbase, reporter);
        made_ = rc == VORL_OK;
        return rc;
    }

private:
    VorlInformation &info_;
    bool made_ = false;
};

}  // namespace

int ConvertOwnBlock(VorlInformation &info, const char *workbase, const ConversionContext &reporter)
{
    OwnWorkDirectory workDirectory(info);
    if (FieldText(info.workdir).empty()) {
        if (int rc = workDirectory.Make(workbase, reporter); rc != VORL_OK) {
            return rc;
        }
    }
    return ConvertBlock(info, reporter);
}

int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options)
{
    const char *project = nullptr;
    if (options != nullptr && HasField<const char *>(*options, offsetof(VorlConvertOptions, project))) {
        project = options->project;
    }
    // A project is read into the caller's block, which names its outputs.
    if ((info == nullptr) == (commandLine == nullptr) || (project != nullptr && info == nullptr)) {
        return VORL_ERR_BAD_ACCESS;
    }
    VorlFailureReport *report = nullptr;
    const char *workbase = nullptr;
    VorlFileReadCallback fileRead = nullptr;
    void *fileReadContext = nullptr;
    bool verifyOnly = false;
    if (options != nullptr) {
        if (!HasField<VorlFailureReport>(*options, offsetof(VorlConvertOptions, failure))) {
            return VORL_ERR_BAD_ACCESS;
        }
        report = &options->failure;
        ClearFailureReport(*report);
        if (HasField<const char *>(*options, offsetof(VorlConvertOptions, workbase))) {
            workbase = options->workbase;
        }
        if (HasField<void *>(*options, offsetof(VorlConvertOptions, filereadcontext))) {
            fileRead = options->fileread;
            fileReadContext = options->filereadcontext;
        }
        if (HasField<int32_t>(*options, offsetof(VorlConvertOptions, verifyonly))) {
            verifyOnly = options->verifyonly != 0;
        }
    }
    ConversionContext reporter(report, fileRead, fileReadContext, verifyOnly);
    if (options != nullptr && HasField<void *>(*options, offsetof(VorlConvertOptions, progresscontext))) {
        reporter.RunSideBySide(options->jobs);
        reporter.ReportProgress(options->progress, options->progresscontext);
    }
    if (options != nullptr && HasField<uint64_t>(*options, offsetof(VorlConvertOptions, cachemax)) &&
        options->cachedir != nullptr && *options->cachedir != '\0') {
        reporter.CacheResults(options->cachedir, options->cachemax);
    }
    if (options != nullptr && HasField<const volatile int32_t *>(*options, offsetof(VorlConvertOptions, stopflag))) {
        reporter.WatchStopFlag(options->stopflag);
    }
    if (options != nullptr && HasField<const char *const *>(*options, offsetof(VorlConvertOptions, otheroutputs))) {
        for (const char *const *name = options->otherinputs; name != nullptr && *name != nullptr; ++name) {
            reporter.AddOtherInput(*name);
        }
        for (const char *const *name = options->otheroutputs; name != nullptr && *name != nullptr; ++name) {
            reporter.AddOtherOutput(*name);
        }
    }
    if (options != nullptr && HasField<void *>(*options, offsetof(VorlConvertOptions, stagecontext))) {
        reporter.StageOtherOutputs(options->stageoutput, options->stagecontext);
    }
    if (options != nullptr && HasField<int32_t>(*options, offsetof(VorlConvertOptions, neededbytes))) {
        options->neededbytes = 0;
        reporter.ReportNeededBytes(&options->neededbytes);
    }
    if (options != nullptr && HasField<void *>(*options, offsetof(VorlConvertOptions, noticecontext))) {
        reporter.ReportNotices(options->notice, options->noticecontext);
    }
    if (project != nullptr) {
        return ConvertProject(project, *info, workbase, reporter);
    }
    if (commandLine != nullptr) {
        return ConvertCommandLine(commandLine, reporter, workbase);
    }
    return ConvertOwnBlock(*info, workbase, reporter);
}

}  // namespace vorl

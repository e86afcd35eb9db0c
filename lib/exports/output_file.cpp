#include "output_file.h"

#include <cerrno>
#include <string>

#include "conversion_context.h"
#include "file_trouble.h"
#include "host_file.h"
#include "output_plan.h"
#include "output_target.h"
#include "stream_copy.h"

namespace vorl {

int WriteOutputFile(const char *path, const void *bytes, const char *source, uint64_t offset, uint64_t size,
                    const char *const *inputs, VorlFailureReport *failure)
{
    if (path == nullptr || *path == '\0' || (source == nullptr && bytes == nullptr && size != 0)) {
        return VORL_ERR_BAD_ACCESS;
    }
    if (failure != nullptr) {
        ClearFailureReport(*failure);
    }
    ConversionContext reporter(failure);
    host::OutputPlan plan;
    if (source != nullptr) {
        plan.AddInput(source);
    }
    for (const char *const *name = inputs; name != nullptr && *name != nullptr; ++name) {
        plan.AddInput(*name);
    }
    plan.AddOutput(path);
    if (auto conflict = plan.FindConflict()) {
        reporter.NoteSameFile(conflict->output, conflict->other, false, -1);
        return VORL_ERR_OUTPUT_FILE;
    }

    host::HostFile from;
    if (source != nullptr) {
        from = host::HostFile::OpenForReading(source);
        if (!from.IsOpen() || !from.SeekTo(static_cast<int64_t>(offset))) {
            reporter.NoteInput(source);
            return VORL_ERR_FILE_NOT_FOUND;
        }
    }
    bool sourceFailed = false;
    bool placed = host::ReplaceOutput(path, [&](host::HostFile &to) {
        if (source == nullptr) {
            return to.WriteAll(bytes, static_cast<size_t>(size));
        }
        host::StreamCopier copier;
        switch (copier.Copy(from, to, size)) {
            case host::CopyResult::Copied:
                return true;
            case host::CopyResult::WriteFailed:
                return false;
            default:
                sourceFailed = true;
                return false;
        }
    });
    if (sourceFailed) {
        reporter.NoteFile(source, VORL_CAUSE_UNREADABLE, EIO);
        return VORL_ERR_FILE_NOT_FOUND;
    }
    if (!placed) {
        reporter.NoteOutput(path, errno);
        return VORL_ERR_OUTPUT_FILE;
    }
    return VORL_OK;
}

}  // namespace vorl

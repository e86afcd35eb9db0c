#include "conversion_context.h"

#include <cstring>
#include <string>

#include "fixed_text.h"
#include "native_path.h"

namespace vorl {
namespace {

VorlFailureCause CauseOf(host::TroubleKind kind)
{
    switch (kind) {
        case host::TroubleKind::Missing:
            return VORL_CAUSE_MISSING;
        case host::TroubleKind::Folder:
            return VORL_CAUSE_FOLDER;
        case host::TroubleKind::Unreadable:
            return VORL_CAUSE_UNREADABLE;
        case host::TroubleKind::Empty:
            return VORL_CAUSE_EMPTY;
        case host::TroubleKind::Unwritable:
            return VORL_CAUSE_UNWRITABLE;
        case host::TroubleKind::NoFolder:
            return VORL_CAUSE_NO_FOLDER;
        case host::TroubleKind::NotAFile:
            return VORL_CAUSE_NOT_A_FILE;
        case host::TroubleKind::Unknown:
            break;
    }
    return VORL_CAUSE_NONE;
}

}  // namespace

ConversionContext::ConversionContext(VorlFailureReport *report, VorlFileReadCallback fileRead, void *fileReadContext,
                                     bool verifyOnly)
    : report_(report), fileRead_(fileRead), fileReadContext_(fileReadContext), verifyOnly_(verifyOnly)
{
}

bool ConversionContext::Stopped() const
{
    if (!*stopped_ && stopFlag_ != nullptr && __atomic_load_n(stopFlag_, __ATOMIC_RELAXED) != 0) {
        *stopped_ = true;
    }
    return *stopped_;
}

bool ConversionContext::AsksToStop(int32_t rowsDone, int32_t rowCount, std::string_view input,
                                   uint64_t bytesWritten) const
{
    if (Stopped() || progress_ == nullptr) {
        return *stopped_;
    }
    std::string text(input);
    VorlProgress progress{rowsDone, rowCount, text.c_str(), bytesWritten};
    *stopped_ = progress_(progressContext_, &progress) != 0;
    return *stopped_;
}

void ConversionContext::NoteRead(std::string_view path, VorlReadKind kind) const
{
    if (kind == VORL_READ_LIST || kind == VORL_READ_PROJECT) {
        AddOtherInput(path);
    }
    if (fileRead_ != nullptr) {
        // A build must find the file under the name the system opened:
        // "sprites\\hero.png" from a list made on Windows is no file here.
        std::string text = host::AsOpened(path);
        fileRead_(fileReadContext_, text.c_str(), kind);
    }
}

void ConversionContext::NoteMissing(std::string_view path) const
{
    if (fileRead_ != nullptr) {
        std::string folder = host::NearestExistingFolder(path);
        fileRead_(fileReadContext_, folder.c_str(), VORL_READ_FOLDER);
    }
}

void ClearFailureReport(VorlFailureReport &report)
{
    std::memset(&report, 0, sizeof report);
    report.row = -1;
}

void ConversionContext::NoteRow(int32_t row, std::string_view input, std::string_view listFile, int32_t line) const
{
    if (report_ == nullptr) {
        return;
    }
    report_->row = row;
    report_->line = line;
    if (!StoreFieldText(report_->input, input)) {
        StoreFieldText(report_->input, WholeCharactersWithin(input, sizeof report_->input - 1));
    }
    StoreFieldText(report_->listfile, listFile);
}

void ConversionContext::NoteFile(std::string_view file, VorlFailureCause cause, int32_t osError) const
{
    if (report_ == nullptr) {
        return;
    }
    // A name longer than the field (cause 15) is shown by its start.
    if (!StoreFieldText(report_->file, file)) {
        StoreFieldText(report_->file, WholeCharactersWithin(file, sizeof report_->file - 1));
    }
    report_->cause = cause;
    report_->oserror = osError;
}

void ConversionContext::NoteTemporary(std::string_view file, int32_t osError) const
{
    if (report_ == nullptr) {
        return;
    }
    host::FileTrouble trouble = host::WhyNotWritable(file);
    if (trouble.kind == host::TroubleKind::NoFolder) {
        NoteFile(file, VORL_CAUSE_NO_FOLDER, trouble.osError);
        return;
    }
    NoteFile(file, VORL_CAUSE_UNWRITABLE, osError != 0 ? osError : trouble.osError);
}

void ConversionContext::NoteValueRange(VorlFailureCause cause, int32_t neededBytes) const
{
    if (report_ != nullptr) {
        report_->cause = cause;
    }
    if (neededBytes_ != nullptr) {
        *neededBytes_ = neededBytes;
    }
}

void ConversionContext::NoteSameFile(std::string_view output, std::string_view other, bool otherIsOutput,
                                     int32_t row) const
{
    if (report_ == nullptr) {
        return;
    }
    report_->row = row;
    StoreFieldText(report_->input, other);
    NoteFile(output, otherIsOutput ? VORL_CAUSE_OUTPUT_TWICE : VORL_CAUSE_OUTPUT_IS_INPUT);
}

void ConversionContext::NoteInput(std::string_view file) const
{
    if (report_ != nullptr) {
        host::FileTrouble trouble = host::WhyNotReadable(file);
        NoteFile(file, CauseOf(trouble.kind), trouble.osError);
    }
}

void ConversionContext::NoteOutput(std::string_view file, int32_t osError) const
{
    if (report_ != nullptr) {
        host::FileTrouble trouble = host::WhyNotWritable(file);
        if (trouble.kind == host::TroubleKind::Unknown && osError != 0) {
            NoteFile(file, VORL_CAUSE_UNWRITABLE, osError);
            return;
        }
        NoteFile(file, CauseOf(trouble.kind), trouble.osError);
    }
}

void ConversionContext::NoteConverter(std::string_view input, int exitCode) const
{
    if (report_ == nullptr) {
        return;
    }
    NoteFile(input, VORL_CAUSE_CONVERTER);
    report_->status = exitCode;
}

}  // namespace vorl

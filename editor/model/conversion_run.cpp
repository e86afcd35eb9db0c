// The conversion run: check the entries, know the output names, write the
// project to "vorproj.tmp" in a folder made for the run inside the current
// folder, and let the library convert it off the interface thread,
// reporting each row and stopping when the user (or a signal) asks.
#include <algorithm>
#include <cstring>

#include "conversion_failure.h"
#include "editor_model.h"
#include "job_count.h"
#include "library_calls.h"
#include "text_codec.h"

namespace vorlmake {

constexpr const char *kTemporaryProject = "vorproj.tmp";

namespace {

template <size_t N>
bool StoreField(char (&field)[N], const std::string &text)
{
    if (text.size() >= N) {
        return false;
    }
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
    return true;
}

}  // namespace

int EditorModel::ReportProgress(void *context, const VorlProgress *progress)
{
    auto *model = static_cast<EditorModel *>(context);
    std::string input = progress->input != nullptr ? progress->input : "";
    model->host_.ShowConversionProgress(progress->rowsdone, progress->rowcount, Cp932ToUtf8(input).value_or(input));
    return __atomic_load_n(&model->stopFlag_, __ATOMIC_RELAXED) != 0 ? 1 : 0;
}

void EditorModel::StopConversion()
{
    if (converting_) {
        __atomic_store_n(&stopFlag_, 1, __ATOMIC_RELAXED);
    }
}

// Called from a signal handler: nothing here but lock-free atomic stores
// and loads. Together with the order in RunConversion (the stop flag
// cleared, then the run marked under way, then this request looked at)
// either the run sees the request and does not start, or this sees the
// run and the run sees the stop flag.
static_assert(__atomic_always_lock_free(sizeof(int32_t), nullptr), "the flags are set from a signal handler");

bool EditorModel::StopForGood()
{
    __atomic_store_n(&stopForGood_, 1, __ATOMIC_SEQ_CST);
    __atomic_store_n(&stopFlag_, 1, __ATOMIC_SEQ_CST);
    return __atomic_load_n(&runUnderWay_, __ATOMIC_SEQ_CST) != 0;
}

bool EditorModel::IsRunUnderWay() const
{
    return __atomic_load_n(&runUnderWay_, __ATOMIC_SEQ_CST) != 0;
}

// Converts the written project through the extension export, which reads
// it into a block of the editor's. Runs on the worker thread. Relative
// entry names are the project folder's (`folder`), wherever the temporary
// project lies.
int EditorModel::ConvertProjectFile(const std::string &project, const std::string &folder, const std::string &data,
                                    const std::string &header, VorlConvertOptions &options)
{
    // A stop asked for while the project was written: nothing is begun.
    if (__atomic_load_n(&stopFlag_, __ATOMIC_SEQ_CST) != 0) {
        return VORL_ERR_CANCELLED;
    }
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    if (!StoreField(info.prjdir, folder) || !StoreField(info.datafile, data) || !StoreField(info.headerfile, header)) {
        return VORL_ERR_BAD_ACCESS;
    }
    options.project = project.c_str();
    int rc = library_.ConvertWithOptions(&info, nullptr, &options);
    options.project = nullptr;
    library_.ReleaseInformation(&info);
    return rc;
}

bool EditorModel::ChooseHeaderFile()
{
    FileDialogRequest request;
    request.title = "ヘッダファイル";
    request.filters = {{"ヘッダファイル(*.h)", "*.h"}, {"すべてのファイル(*.*)", "*.*"}};
    request.startFolder = state_.currentFolder;
    for (;;) {
        std::optional<FileChoice> choice = host_.ChooseFileToSave(request);
        std::string name = choice ? choice->path : std::string();
        if (name.empty()) {
            Answer stop = host_.ShowMessage("ヘッダファイル名を指定してね。\r\nそれとも変換を中断する？",
                                            "変換中止確認", MessageIcon::Question, MessageButtons::YesNo);
            if (stop == Answer::Yes) {
                return false;
            }
            continue;
        }
        if (host_.FileLength(name)) {
            Answer answer = host_.ShowMessage(name + "\r\nこのファイルは既に存在してるよ。\r\n上書きするの？",
                                              "上書き確認", MessageIcon::Question, MessageButtons::YesNoCancel);
            if (answer == Answer::No) {
                continue;
            }
            if (answer != Answer::Yes) {
                return false;
            }
        }
        state_.headerFile = name;
        return true;
    }
}

void EditorModel::RunConversion()
{
    if (Busy()) {
        return;
    }
    // A run that stops before the library is asked has not made its files.
    auto stop = [this] { exitStatus_ = exitStatus_ == 0 ? 1 : exitStatus_; };
    if (__atomic_load_n(&stopForGood_, __ATOMIC_SEQ_CST) != 0) {
        return stop();
    }
    if (!CheckEntries()) {
        return stop();
    }
    if (state_.dataFile.empty() && !ChooseDataFile()) {
        return stop();
    }
    const int32_t indexout = state_.block.indexout;
    if ((indexout == VORL_INDEX_C_HEADER || indexout == VORL_INDEX_BINARY) && state_.headerFile.empty() &&
        !ChooseHeaderFile()) {
        return stop();
    }
    // From here on the run makes files. A stop for good asked for before
    // this point keeps it from starting; one asked for after it is the
    // run's to obey (see StopForGood).
    __atomic_store_n(&stopFlag_, 0, __ATOMIC_SEQ_CST);
    __atomic_store_n(&runUnderWay_, 1, __ATOMIC_SEQ_CST);
    if (__atomic_load_n(&stopForGood_, __ATOMIC_SEQ_CST) != 0) {
        __atomic_store_n(&runUnderWay_, 0, __ATOMIC_SEQ_CST);
        return stop();
    }
    host_.SetMainWindowEnabled(false);
    host_.ShowConversionRunning(true);

    const std::string rememberedProject = state_.projectFile;
    // Writing the temporary project marks the project saved; the user's
    // own unsaved changes must still be asked about on closing.
    const bool modified = state_.modified;
    // The temporary project lies in a folder made for this run alone, so
    // that it never takes the place of a file of the user's (or of a link
    // to one) called like it. The folder is in the project's folder, as
    // the temporary project always was, and relative names stay the
    // project folder's: the library is told so, not left to take the
    // temporary project's own folder.
    const std::optional<std::string> room = host_.MakeRunFolder(state_.currentFolder);
    const std::string temporary = room ? *room + kTemporaryProject : std::string();
    // A project that cannot be written has said why; the library is not
    // asked to convert what is not there.
    bool saved = false;
    if (room) {
        state_.projectFile = temporary;
        saved = WriteProject();
    } else {
        host_.ShowMessage(state_.currentFolder + "\r\n" + LibraryMessage(library_, VORL_ERR_TEMP_FILE), "変換エラー",
                          MessageIcon::Critical, MessageButtons::Ok);
    }
    host_.SetMainWindowEnabled(false);

    auto project = Utf8ToCp932(temporary);
    auto data = Utf8ToCp932(state_.dataFile);
    auto header = Utf8ToCp932(state_.headerFile);
    auto base = Utf8ToCp932(state_.currentFolder);
    auto cache = Utf8ToCp932(runSettings_.cacheFolder);
    VorlConvertOptions options;
    std::memset(&options, 0, sizeof options);
    options.size = sizeof options;
    options.jobs = vorl::common::JobsToRun(runSettings_.jobs);
    options.progress = &EditorModel::ReportProgress;
    options.progresscontext = this;
    options.stopflag = &stopFlag_;
    // A name without a CP932 form cannot reach the library.
    int rc = VORL_ERR_BAD_ACCESS;
    if (saved && project && data && header && base && cache) {
        options.workbase = base->c_str();
        options.cachedir = cache->empty() ? nullptr : cache->c_str();
        // Until the library returns, every command and edit is refused,
        // whichever way it arrives.
        converting_ = true;
        rc = host_.RunWhileBusy([this, &project, &base, &data, &header, &options] {
            return ConvertProjectFile(*project, *base, *data, *header, options);
        });
        converting_ = false;
    }
    state_.projectFile = rememberedProject;
    state_.modified = modified;
    exitStatus_ = saved ? -rc : 1;
    // Nothing of the run outlasts it, whatever the library did; before any
    // message, so that nothing is left while the user reads it.
    if (room) {
        host_.RemoveRunFolder(*room);
    }
    __atomic_store_n(&runUnderWay_, 0, __ATOMIC_SEQ_CST);
    // A project that could not be written has already said why; a run the
    // user stopped has left the previous outputs as they were.
    if (rc == VORL_ERR_CANCELLED) {
        // Nothing new was written: the size shown is still the data file's.
    } else if (saved && rc != VORL_OK) {
        // The library's message, then which entry and file it concerns.
        std::string message = LibraryMessage(library_, rc);
        if (std::string where = DescribeFailureReport(options.failure); !where.empty()) {
            while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
                message.pop_back();
            }
            message += "\r\n\r\n" + where;
        }
        host_.ShowMessage(message, "変換エラー", MessageIcon::Critical, MessageButtons::Ok);
    } else if (auto size = saved ? host_.FileLength(state_.dataFile) : std::nullopt) {
        host_.ShowTotalSize(std::to_string(*size) + " Bytes");
    }
    ShowPage();
    host_.SetMainWindowEnabled(true);
    host_.ShowConversionRunning(false);
}

}  // namespace vorlmake

// The conversion run: check the entries, know the output names, write the
// project to "vorproj.tmp" in the current folder, and let the library
// convert it off the interface thread.
#include "editor_model.h"
#include "library_calls.h"
#include "text_codec.h"

namespace vorlmake {

constexpr const char *kTemporaryProject = "vorproj.tmp";

bool EditorModel::AskHeaderFile()
{
    FileDialogRequest request;
    request.title = "ヘッダファイル";
    request.filters = {{"ヘッダファイル(*.h)", "*.h"}, {"すべてのファイル(*.*)", "*.*"}};
    request.startFolder = state_.CurrentDir;
    for (;;) {
        std::optional<FileChoice> choice = host_.ChooseFileToSave(request);
        std::string name = choice ? choice->path : std::string();
        if (name.empty()) {
            Answer stop = host_.ShowMessage("ヘッダファイル名を指定してね。\r\nそれとも変換を中断する？", "変換中止確認",
                                            MessageIcon::Question, MessageButtons::YesNo);
            if (stop == Answer::Yes) {
                return false;
            }
            continue;
        }
        if (host_.FileLength(name)) {
            Answer answer = host_.ShowMessage(name + "\r\nこのファイルは既に存在してるよ。\r\n上書きするの？", "上書き確認",
                                              MessageIcon::Question, MessageButtons::YesNoCancel);
            if (answer == Answer::No) {
                continue;
            }
            if (answer != Answer::Yes) {
                return false;
            }
        }
        state_.Header_file = name;
        return true;
    }
}

void EditorModel::mnuStart_Click()
{
    if (Busy()) {
        return;
    }
    // A run that stops before the library is asked has not made its files.
    auto stop = [this] { exitStatus_ = exitStatus_ == 0 ? 1 : exitStatus_; };
    if (!CheckEntries()) {
        return stop();
    }
    if (state_.Save_file.empty() && !ChooseDataFile()) {
        return stop();
    }
    const int32_t indexout = state_.ProjectInfo.indexout;
    if ((indexout == VORL_INDEX_C_HEADER || indexout == VORL_INDEX_BINARY) && state_.Header_file.empty() &&
        !AskHeaderFile()) {
        return stop();
    }
    host_.SetMainWindowEnabled(false);
    host_.ShowConversionRunning(true);

    const std::string rememberedProject = state_.Prj_file;
    // Writing the temporary project marks the project saved; the user's
    // own unsaved changes must still be asked about on closing.
    const bool modified = state_.NewAccess;
    const std::string temporary = state_.CurrentDir + kTemporaryProject;
    state_.Prj_file = temporary;
    // A project that cannot be written has said why; the library is not
    // asked to convert what is not there.
    const bool saved = SaveProject();
    host_.SetMainWindowEnabled(false);

    auto project = Utf8ToCp932(temporary);
    auto data = Utf8ToCp932(state_.Save_file);
    auto header = Utf8ToCp932(state_.Header_file);
    auto base = Utf8ToCp932(state_.CurrentDir);
    // A name without a CP932 form cannot reach the library.
    int rc = VORL_ERR_BAD_ACCESS;
    if (saved && project && data && header && base) {
        // Until the library returns, every command and edit is refused,
        // whichever way it arrives.
        converting_ = true;
        rc = host_.RunWhileBusy([this, &project, &data, &header, &base] {
            return library_.ConvertPrjFile(project->c_str(), data->c_str(), header->c_str(), base->c_str());
        });
        converting_ = false;
    }
    state_.Prj_file = rememberedProject;
    state_.NewAccess = modified;
    exitStatus_ = saved ? -rc : 1;
    // A project that could not be written has already said why.
    if (saved && rc != VORL_OK) {
        host_.ShowMessage(LibraryMessage(library_, rc), "変換エラー", MessageIcon::Critical, MessageButtons::Ok);
    } else if (auto size = saved ? host_.FileLength(state_.Save_file) : std::nullopt) {
        host_.ShowTotalSize(std::to_string(*size) + " Bytes");
    }
    host_.RemoveFile(temporary);
    ShowPage();
    host_.SetMainWindowEnabled(true);
    host_.ShowConversionRunning(false);
}

}  // namespace vorlmake

// The header label dialog (frmILab) and the data-conversion settings
// dialog (frmConvert): what they show, how they filter, what OK stores.
#include <algorithm>

#include "editor_model.h"
#include "library_calls.h"
#include "text_codec.h"
#include "value_widths.h"

namespace vorlmake {
namespace {

constexpr size_t kLabelLimit = 128;

}  // namespace

std::optional<std::string> FilterLabelText(const std::string &text)
{
    std::string kept = text;
    if (!FilterRemarks(kept, kLabelLimit, VORL_LABEL_SIZE - 1)) {
        return std::nullopt;
    }
    return kept;
}

void EditorModel::EditHeaderLabels()
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    MarkModified();
    const auto twoBytes = static_cast<size_t>(vorl::common::TypeSlotOf(2));
    const auto fourBytes = static_cast<size_t>(vorl::common::TypeSlotOf(4));
    LabelDialogState dialog{state_.texts.label, state_.texts.type[twoBytes], state_.texts.type[fourBytes]};
    if (!host_.ShowLabelDialog(dialog)) {
        return;
    }
    state_.texts.label = CutToBytes(dialog.label, VORL_LABEL_SIZE - 1);
    state_.texts.type[twoBytes] = CutToBytes(dialog.type2, VORL_LABEL_SIZE - 1);
    state_.texts.type[fourBytes] = CutToBytes(dialog.type4, VORL_LABEL_SIZE - 1);
}

void EditorModel::EditConverters()
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    ConvertDialogState dialog{state_.defaultConverter, state_.texts.convert};
    if (!host_.ShowConvertDialog(dialog)) {
        return;
    }
    state_.defaultConverter = static_cast<int16_t>(std::clamp(dialog.defaultConvert, 0, 4));
    for (size_t i = 0; i < dialog.commands.size(); ++i) {
        std::string command = CutToBytes(dialog.commands[i], VORL_CONVERT_SIZE - 1);
        // The templates are stored in the project file; the default
        // converter is not.
        if (command != state_.texts.convert[i]) {
            MarkModified();
        }
        state_.texts.convert[i] = std::move(command);
    }
}

void EditorModel::ChangeRunSettings()
{
    if (Busy()) {
        return;
    }
    RunSettings settings = runSettings_;
    if (!host_.ShowRunSettingsDialog(settings)) {
        return;
    }
    settings.jobs = std::clamp(settings.jobs, 0, kMostJobs);
    // The user's file keeps every line it had. A user without one yet
    // starts from the settings in use, so that writing it does not hide
    // them (the user's file is read instead of the system's).
    const std::string &file = UserSettingsFile();
    std::optional<std::string> content = host_.ReadFile(file);
    if (!content) {
        content = host_.ReadFile(settingsFile_);
    }
    std::string text = content.value_or(std::string());
    // Written in UTF-8; one brought from Windows is CP932.
    if (!Utf8ToCp932(text)) {
        text = Cp932ToUtf8(text).value_or(text);
    }
    if (!host_.WriteFileReplacing(file, WriteRunSettings(text, settings))) {
        host_.ShowMessage(file + "\r\n設定を保存できませんでした。", "設定エラー", MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    runSettings_ = settings;
}

}  // namespace vorlmake

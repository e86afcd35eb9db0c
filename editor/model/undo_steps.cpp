// The undo history's side of the model: what one operation changed, and
// taking it back.
#include <algorithm>
#include <cstring>

#include "editor_model.h"

namespace vorlmake {

EditorModel::ChangeScope::ChangeScope(EditorModel &model, std::string mergeKey) : model_(model)
{
    if (model_.changeDepth_++ == 0) {
        model_.pending_ = {model_.CurrentSettings(), model_.state_.entries, std::move(mergeKey)};
    }
}

EditorModel::ChangeScope::~ChangeScope()
{
    if (--model_.changeDepth_ == 0) {
        model_.FinishChange();
    }
}

namespace {

bool SameSettings(const ProjectSettings &a, const ProjectSettings &b)
{
    // The program's own switches are no part of the project.
    ChoiceMarks marksA = a.marks, marksB = b.marks;
    marksA.soundOff = marksB.soundOff;
    marksA.aliasColumn = marksB.aliasColumn;
    return std::memcmp(&a.block, &b.block, sizeof a.block) == 0 && a.texts == b.texts && marksA == marksB;
}

}  // namespace

void EditorModel::FinishChange()
{
    ProjectChange change;
    change.before = std::move(pending_.before);
    change.after = CurrentSettings();
    for (int number = 0; number < kEntryCount; ++number) {
        const EditEntry &before = pending_.entries[static_cast<size_t>(number)];
        const EditEntry &after = state_.entries[static_cast<size_t>(number)];
        if (!(before == after)) {
            change.entriesBefore.emplace_back(number, before);
            change.entriesAfter.emplace_back(number, after);
        }
    }
    pending_.entries.clear();
    if (change.entriesBefore.empty() && SameSettings(change.before, change.after)) {
        return;
    }
    change.mergeKey = std::move(pending_.mergeKey);
    history_.Record(std::move(change));
    ShowUndoAvailability();
}

void EditorModel::ApplyStep(const ProjectSettings &settings, const std::vector<std::pair<int, EditEntry>> &entries)
{
    state_.block = settings.block;
    state_.texts = settings.texts;
    const bool soundOff = marks_.soundOff;
    const bool aliasColumn = marks_.aliasColumn;
    marks_ = settings.marks;
    marks_.soundOff = soundOff;
    marks_.aliasColumn = aliasColumn;
    for (const auto &[number, entry] : entries) {
        state_.entries[static_cast<size_t>(number)] = entry;
    }
    // The page shows what was taken back.
    if (!entries.empty()) {
        const int page = entries.front().first / kRowsPerPage;
        const bool onThisPage = std::any_of(entries.begin(), entries.end(), [this](const auto &changed) {
            return changed.first / kRowsPerPage == state_.currentPage;
        });
        if (!onThisPage) {
            state_.currentPage = static_cast<int16_t>(page);
        }
    }
    state_.modified = !history_.AtSaved();
    ShowChoiceMarks();
    ShowPage();
    ShowUndoAvailability();
}

void EditorModel::Undo()
{
    if (Busy()) {
        return;
    }
    if (const ProjectChange *step = history_.Undo()) {
        ApplyStep(step->before, step->entriesBefore);
    }
}

void EditorModel::Redo()
{
    if (Busy()) {
        return;
    }
    if (const ProjectChange *step = history_.Redo()) {
        ApplyStep(step->after, step->entriesAfter);
    }
}

void EditorModel::StartNewHistory()
{
    history_.Clear();
    ShowUndoAvailability();
}

}  // namespace vorlmake

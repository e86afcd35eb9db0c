// The undo history of a project: each step holds what one operation of
// the user changed (the settings, the texts, the marks and the entries it
// touched), before and after, so it can be taken back and done again.
// Saving is no step; opening or starting a project begins a new history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "choice_marks.h"
#include "editor_state.h"

namespace vorlmake {

// The parts of the project that are not its entries.
struct ProjectSettings {
    VorlInformation block{};
    ProjectTexts texts;
    ChoiceMarks marks;
};

struct ProjectChange {
    ProjectSettings before, after;
    std::vector<std::pair<int, EditEntry>> entriesBefore, entriesAfter;
    // Consecutive changes with the same non-empty key are one step (the
    // characters typed into one remarks field).
    std::string mergeKey;
};

class ProjectHistory {
public:
    // Adds a step after the current one; the steps that could be redone go.
    void Record(ProjectChange change);
    // The step to take back or to do again, or null when there is none.
    const ProjectChange *Undo();
    const ProjectChange *Redo();
    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    void Clear();
    // The project as it is now is the one on disk.
    void MarkSaved() { saved_ = position_; }
    bool AtSaved() const { return saved_ == position_; }

private:
    static constexpr size_t kMostSteps = 200;
    std::vector<ProjectChange> steps_;
    size_t position_ = 0;  // steps before it are done
    size_t saved_ = 0;     // past the end of steps_ when no state is saved
};

}  // namespace vorlmake

#include "project_history.h"

namespace vorlmake {

void ProjectHistory::Record(ProjectChange change)
{
    steps_.resize(position_);
    if (saved_ > position_) {
        saved_ = SIZE_MAX;  // the saved state can no longer be reached
    }
    if (!change.mergeKey.empty() && !steps_.empty() && steps_.back().mergeKey == change.mergeKey &&
        saved_ != position_) {
        ProjectChange &last = steps_.back();
        last.after = std::move(change.after);
        last.entriesAfter = std::move(change.entriesAfter);
        return;
    }
    steps_.push_back(std::move(change));
    if (steps_.size() > kMostSteps) {
        steps_.erase(steps_.begin());
        saved_ = saved_ == 0 || saved_ == SIZE_MAX ? SIZE_MAX : saved_ - 1;
    }
    position_ = steps_.size();
}

const ProjectChange *ProjectHistory::Undo()
{
    if (!CanUndo()) {
        return nullptr;
    }
    return &steps_[--position_];
}

const ProjectChange *ProjectHistory::Redo()
{
    if (!CanRedo()) {
        return nullptr;
    }
    return &steps_[position_++];
}

void ProjectHistory::Clear()
{
    steps_.clear();
    position_ = 0;
    saved_ = 0;
}

}  // namespace vorlmake

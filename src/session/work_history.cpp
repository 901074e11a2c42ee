#include "session/work_history.h"

#include <utility>

bool ProjectWork::sameWork(const ProjectWork& other) const {
    if (formers.size() != other.formers.size() || notches != other.notches)
        return false;
    if (fuselage != other.fuselage &&
        (!fuselage || !other.fuselage || *fuselage != *other.fuselage))
        return false;
    for (std::size_t i = 0; i < formers.size(); ++i)
        if (formers[i] != other.formers[i] && *formers[i] != *other.formers[i])
            return false;
    return true;
}

void WorkHistory::push(std::string caption, ProjectWork before, ProjectWork after, bool mergeable) {
    steps_.resize(static_cast<std::size_t>(index_));
    if (clean_ > index_)
        clean_ = -1;
    if (mergeable && !steps_.empty() && steps_.back().mergeable &&
        steps_.back().caption == caption && index_ != clean_) {
        Step& last = steps_.back();
        last.after = std::move(after);
        if (last.before == last.after) { // stepped back to where it started
            steps_.pop_back();
            --index_;
        }
        tell();
        return;
    }
    steps_.push_back({std::move(caption), std::move(before), std::move(after), mergeable});
    ++index_;
    if (count() > kLimit) {
        const int gone = count() - kLimit;
        steps_.erase(steps_.begin(), steps_.begin() + gone);
        index_ -= gone;
        clean_ = clean_ < gone ? -1 : clean_ - gone;
    }
    tell();
}

bool WorkHistory::amend(ProjectWork after) {
    if (steps_.empty() || index_ != count())
        return false;
    if (clean_ == index_)
        clean_ = -1; // the saved point was the step's end, which moves
    Step& last = steps_.back();
    last.after = std::move(after);
    const bool stays = !(last.before == last.after);
    if (!stays) {
        steps_.pop_back();
        --index_;
    }
    tell();
    return stays;
}

const ProjectWork& WorkHistory::undo() {
    const Step& step = steps_[static_cast<std::size_t>(--index_)];
    tell();
    return step.before;
}

const ProjectWork& WorkHistory::redo() {
    const Step& step = steps_[static_cast<std::size_t>(index_++)];
    tell();
    return step.after;
}

std::string WorkHistory::undoCaption() const {
    return canUndo() ? steps_[static_cast<std::size_t>(index_ - 1)].caption : std::string();
}

std::string WorkHistory::redoCaption() const {
    return canRedo() ? steps_[static_cast<std::size_t>(index_)].caption : std::string();
}

void WorkHistory::clear() {
    steps_.clear();
    index_ = 0;
    clean_ = 0;
    tell();
}

#pragma once

#include "session/work.h"

#include <functional>
#include <string>
#include <vector>

// The undo history: each step holds the whole work before and after one change of it, and the
// change's name for the menu. A work is about a kilobyte, so whole values are the simplest
// sound steps; the last thousand are kept.
class WorkHistory {
public:
    static constexpr int kLimit = 1000;

    // Adds a change made by the user. The steps that could be redone go. A mergeable step (a key
    // or the wheel on one slider) of the same name as the last step merges into it, unless the
    // last step is where the project was saved; merged back to where it started, it goes. Past
    // the limit the oldest step goes.
    void push(std::string caption, Work before, Work after, bool mergeable);

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < count(); }
    // Takes the last step back or does the next one again; returns the work to show.
    const Work& undo();
    const Work& redo();
    // The name of the step that undo or redo would take, "" when there is none.
    std::string undoCaption() const;
    std::string redoCaption() const;

    int count() const { return static_cast<int>(steps_.size()); }
    int index() const { return index_; } // steps done

    // Forgets every step (a project opened).
    void clear();
    // The present point is where the project was saved.
    void setClean() { clean_ = index_; }

    // Told after every change of the history, for the menu's captions.
    std::function<void()> changed;

private:
    struct Step {
        std::string caption;
        Work before, after;
        bool mergeable;
    };
    void tell() const {
        if (changed)
            changed();
    }
    std::vector<Step> steps_;
    int index_ = 0;
    int clean_ = 0; // -1: the saved point is gone
};

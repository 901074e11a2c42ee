#pragma once

#include "former/notches.h"
#include "session/work.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The formers' work at one moment: each former shared with the moments around it until it
// changes, so that a step of a project of twenty formers costs one former, not twenty; the
// former that was being edited; the stringers and slots of the whole fuselage; and the
// fuselage's views, shared likewise.
struct ProjectWork {
    std::vector<std::shared_ptr<const Former>> formers;
    int current = 0;
    NotchTable notches;
    std::shared_ptr<const FuselageWork> fuselage; // never null once taken from a session
    // The same formers in the same order, the same stringers and slots and the same fuselage
    // views (which former is edited aside).
    bool sameWork(const ProjectWork& other) const;
    friend bool operator==(const ProjectWork& a, const ProjectWork& b) {
        return a.current == b.current && a.sameWork(b);
    }
};

// The undo history: each step holds the whole work before and after one change of it, and the
// change's name for the menu. A former's work is about a kilobyte, so whole values are the
// simplest sound steps; the last thousand are kept.
class WorkHistory {
public:
    static constexpr int kLimit = 1000;

    // Adds a change made by the user. The steps that could be redone go. A mergeable step (a key
    // or the wheel on one slider) of the same name as the last step merges into it, unless the
    // last step is where the project was saved; merged back to where it started, it goes. Past
    // the limit the oldest step goes.
    void push(std::string caption, ProjectWork before, ProjectWork after, bool mergeable);

    // The last step, made by a gesture still going on, now ends at `after`. True while it
    // stays; false when the gesture came back where it started and the step went.
    bool amend(ProjectWork after);

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < count(); }
    // Takes the last step back or does the next one again; returns the work to show.
    const ProjectWork& undo();
    const ProjectWork& redo();
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
        ProjectWork before, after;
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

#pragma once

#include "former/former_model.h"
#include "session/work.h"
#include "session/work_history.h"

#include <functional>
#include <string>

// The editor's session: the work being shaped and how it is seen, the former model that edits
// and samples it, the undo history and the project file. It owns the work; the windows show it
// and hand it the user's changes.
class EditorSession {
public:
    explicit EditorSession(SurfaceSize surface = {});

    // The frame the former is drawn in, for the whole session.
    const SurfaceSize& surface() const { return surface_; }

    // The former being edited: its control points, handles and samples.
    FormerModel& model() { return model_; }
    const FormerModel& model() const { return model_; }

    // The settings of the work and the view. The former's points and the handles' visibility
    // are the model's while it edits them: currentWork() and currentView() take them from it.
    Work& work() { return work_; }
    const Work& work() const { return work_; }
    View& view() { return view_; }
    const View& view() const { return view_; }
    Work currentWork() const;
    View currentView() const;
    EditorState state() const { return {surface_, currentWork(), currentView()}; }

    // Puts a whole state into the model and the settings. False, and nothing changed, when it
    // holds another former than the model's.
    bool show(const EditorState& state);
    // The view a work shown again by undo or redo leaves: as it is, but for the handles of the
    // set the mouse acts on, which show when "Action Souris" changes.
    static View viewAfter(View view, const Work& from, const Work& to);

    // ---- undo and redo ----
    WorkHistory& history() { return history_; }
    const WorkHistory& history() const { return history_; }
    // Names a change for the menu; the window's controls name theirs (captions are UTF-8).
    std::function<std::string(const Work& before, const Work& after)> caption;
    // Once a user action is over: one step when it changed the work. mergeable: a key or the
    // wheel on a slider, merged with that slider's steps just before. True when a step was made.
    bool recordChange(bool mergeable = false);
    // The work as the last step left it, which the next change starts from.
    const Work& recordedWork() const { return recorded_; }
    // After undo or redo showed a work: it is where the next change starts.
    void workShown() { recorded_ = currentWork(); }
    // The steps start afresh from the present work (start-up, a project opened).
    void startHistory();
    // The names of changes the window's controls do not name: points moved, pinned, freed.
    static std::string pointCaption(const Work& before, const Work& after);

    // ---- the project file ----
    // The file opened or saved in this session, "" before.
    const std::string& projectFile() const { return projectFile_; }
    // True while the work differs from what the project file holds; the view never counts.
    bool modified() const;
    // Writes the state to path, aside and renamed: "" or the French reason.
    std::string saveProject(const std::string& path);
    // Reads a project file, checked whole before anything is taken from it. On refusal, ok is
    // false and `refusal` says why in French, naming the file.
    struct Opening {
        bool ok = false;
        EditorState state;
        std::string refusal;
    };
    Opening readProject(const std::string& path) const;
    // The state read has been shown: it is the file's, and the steps start from it.
    void projectOpened(const std::string& path);

private:
    SurfaceSize surface_;
    FormerModel model_;
    Work work_;
    View view_;
    WorkHistory history_;
    Work recorded_;
    std::string projectFile_;
    Work saved_; // what the project file holds
};

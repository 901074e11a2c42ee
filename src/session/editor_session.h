#pragma once

#include "former/former_model.h"
#include "session/work.h"
#include "session/work_history.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The editor's session: the formers of the fuselage, the one being edited with the model that
// edits and samples it, how the work is seen, the undo history and the project file. It owns
// the work; the windows show it and hand it the user's changes.
class EditorSession {
public:
    explicit EditorSession(SurfaceSize surface = {});

    // The frame the formers are drawn in, for the whole session.
    const SurfaceSize& surface() const { return surface_; }

    // The former being edited: its control points, handles and samples.
    FormerModel& model() { return model_; }
    const FormerModel& model() const { return model_; }

    // The settings of the edited former's work, and the view. The former's points and the
    // handles' visibility are the model's while it edits them: currentWork() and currentView()
    // take them from it.
    Work& work() { return work_; }
    const Work& work() const { return work_; }
    View& view() { return view_; }
    const View& view() const { return view_; }
    Work currentWork() const;
    View currentView() const;
    EditorState state() const { return {surface_, currentWork(), currentView()}; }
    // The whole project: every former (the edited one as it is now), and the view.
    ProjectState projectState() const;

    // Puts a state of the edited former into the model and the settings. False, and nothing
    // changed, when it holds another former than the model's.
    bool show(const EditorState& state);
    // The view a work shown again by undo or redo leaves: as it is, but for the handles of the
    // set the mouse acts on, which show when "Action Souris" changes.
    static View viewAfter(View view, const Work& from, const Work& to);

    // ---- the formers ----
    // Their names and stations in their order (the edited one's work as last recorded).
    const std::vector<std::shared_ptr<const Former>>& formers() const { return formers_; }
    int current() const { return current_; }
    // The list's operations, each one undo step named for the menu. False, with the French
    // reason in `why` and nothing changed, when refused. Those that change the former being
    // edited put its work into the model and the settings: the windows then show state().
    bool addFormer(std::string& why);              // "Nouveau": the edited one copied, 50 mm on
    bool duplicateFormer(int i, std::string& why); // "Dupliquer": former i copied, same station
    bool renameFormer(int i, const std::string& name, std::string& why);
    bool deleteFormer(int i, std::string& why); // never the last one
    bool setStation(int i, double mm, std::string& why);
    // Former i becomes the one edited: no step, but the steps before and after it know which
    // former they were made on.
    bool selectFormer(int i);

    // ---- undo and redo ----
    WorkHistory& history() { return history_; }
    const WorkHistory& history() const { return history_; }
    // Names a change of the edited former for the menu; the window's controls name theirs
    // (captions are UTF-8).
    std::function<std::string(const Work& before, const Work& after)> caption;
    // Once a user action is over: one step when it changed the work. mergeable: a key or the
    // wheel on a slider, merged with that slider's steps just before. `name` names a change of
    // the list. True when a step was made.
    bool recordChange(bool mergeable = false, const std::string& name = {});
    // The edited former's work as the last step left it, which the next change starts from.
    const Work& recordedWork() const;
    // Undo or redo gives back the formers of a step: they become the session's; the edited
    // former's work is returned for the windows to show (then put by show()).
    const Work& restore(const ProjectWork& work);
    // The steps start afresh from the present work (start-up, a project opened).
    void startHistory();
    // The names of changes the window's controls do not name: points moved, pinned, freed.
    static std::string pointCaption(const Work& before, const Work& after);

    // ---- the project file ----
    // The file opened or saved in this session, "" before.
    const std::string& projectFile() const { return projectFile_; }
    // True while the work differs from what the project file holds; the view never counts, nor
    // which former is being edited.
    bool modified() const;
    // Writes the project to path, aside and renamed: "" or the French reason.
    std::string saveProject(const std::string& path);
    // Reads a project file, checked whole before anything is taken from it. On refusal, ok is
    // false and `refusal` says why in French, naming the file.
    struct Opening {
        bool ok = false;
        ProjectState state;
        std::string refusal;
    };
    Opening readProject(const std::string& path) const;
    // The project read becomes the session's: its formers, the edited one shown in the model
    // and the settings (the windows then show state()), the steps started afresh from it.
    void open(const ProjectState& state, const std::string& path);

private:
    // The edited former's entry takes its live work, when it changed.
    void sync();
    ProjectWork snapshot();
    // The edited former's work goes into the model and the settings.
    void showCurrent();
    bool nameTaken(const std::string& name) const;
    // The first name not taken of base + suffix, base + suffix + " (2)", ...
    std::string freeName(const std::string& base, const std::string& suffix) const;
    bool validIndex(int i, std::string& why) const;

    SurfaceSize surface_;
    FormerModel model_;
    Work work_;
    View view_;
    std::vector<std::shared_ptr<const Former>> formers_;
    int current_ = 0;
    WorkHistory history_;
    ProjectWork recorded_;
    std::string projectFile_;
    ProjectWork saved_; // what the project file holds
};

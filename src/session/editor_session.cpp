#include "session/editor_session.h"

#include "files/file_reading.h"
#include "files/safe_file_writer.h"
#include "session/project_document.h"
#include "session/work_model.h"

#include <cstdio>
#include <utility>

EditorSession::EditorSession(SurfaceSize surface) : surface_(surface) {}

Work EditorSession::currentWork() const {
    Work w = work_;
    StoreFormer(model_, w);
    return w;
}

View EditorSession::currentView() const {
    View v = view_;
    StoreHandleVisibility(model_, v);
    return v;
}

bool EditorSession::show(const EditorState& state) {
    if (!ShowFormer(state.work, state.view, model_))
        return false;
    work_ = state.work;
    view_ = state.view;
    return true;
}

View EditorSession::viewAfter(View view, const Work& from, const Work& to) {
    if (from.mouseAction != to.mouseAction) {
        view.formerHandlesShown = to.mouseAction == MouseAction::Former;
        view.doublingHandlesShown = !view.formerHandlesShown;
    }
    return view;
}

// ---------------------------------------------------------------------------------------
// Undo and redo

std::string EditorSession::pointCaption(const Work& before, const Work& after) {
    const std::size_t n = std::min(before.former.size(), after.former.size());
    for (std::size_t i = 0; i < n; ++i)
        if (before.former[i].pinned != after.former[i].pinned)
            return (after.former[i].pinned ? "épingler le point " : "libérer le point ") +
                   std::to_string(i);
    for (std::size_t i = 0; i < n; ++i)
        if (before.former[i] != after.former[i])
            return "déplacer le point " + std::to_string(i);
    const std::size_t d = std::min(before.doubling.size(), after.doubling.size());
    for (std::size_t i = 0; i < d; ++i)
        if (before.doubling[i] != after.doubling[i])
            return "déplacer le point " + std::to_string(i) + " du doublage";
    return "modifier le couple";
}

bool EditorSession::recordChange(bool mergeable) {
    Work now = currentWork();
    if (now == recorded_)
        return false;
    Work before = std::exchange(recorded_, now);
    std::string name = caption ? caption(before, now) : pointCaption(before, now);
    history_.push(std::move(name), std::move(before), std::move(now), mergeable);
    return true;
}

void EditorSession::startHistory() {
    history_.clear();
    recorded_ = currentWork();
    history_.setClean();
}

// ---------------------------------------------------------------------------------------
// The project file

bool EditorSession::modified() const {
    return !projectFile_.empty() && currentWork() != saved_;
}

std::string EditorSession::saveProject(const std::string& path) {
    const EditorState s = state();
    std::string error = writeFileSafely(path, WriteEditorState(s));
    if (!error.empty())
        return error;
    projectFile_ = path;
    saved_ = s.work;
    history_.setClean();
    return {};
}

namespace {

// "%g" as a person writes it: 120 and 100.5, not 120.000000.
std::string plain(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

} // namespace

EditorSession::Opening EditorSession::readProject(const std::string& path) const {
    Opening o;
    // Only a regular file is read, and its size is looked at before anything is read.
    const FileContents file = readRegularFile(path, kEditorStateMaxBytes);
    std::string why;
    switch (file.problem) {
    case ReadProblem::None:
        break;
    case ReadProblem::Missing:
        why = "Ce fichier n'existe pas.";
        break;
    case ReadProblem::BadName:
        why = "Le nom contient un caractère nul.";
        break;
    case ReadProblem::Folder:
        why = "Ce nom est un dossier.";
        break;
    case ReadProblem::NotRegular:
        why = "Ce n'est pas un fichier ordinaire.";
        break;
    case ReadProblem::TooLarge:
        why = "Le fichier est trop grand (plus de 1 Mo) : il n'est pas lu.";
        break;
    case ReadProblem::Unreadable:
        why = "Ce fichier ne peut pas être lu.";
        break;
    }
    if (why.empty()) {
        EditorStateReading r = ReadEditorState(file.bytes);
        why = r.message;
        // The points are millimetres of the surface they were drawn on.
        if (r.ok && r.state.surface != surface_)
            why = "Champ « surface » : ce couple a été dessiné sur une surface de " +
                  plain(r.state.surface.width) + " x " + plain(r.state.surface.height) +
                  " mm, celle-ci mesure " + plain(surface_.width) + " x " + plain(surface_.height) +
                  " mm.";
        else if (r.ok)
            o.state = std::move(r.state);
    }
    if (!why.empty()) {
        o.refusal = "Le fichier « " + path + " » ne peut pas être ouvert.\n" + why;
        return o;
    }
    o.ok = true;
    return o;
}

void EditorSession::projectOpened(const std::string& path) {
    startHistory();
    projectFile_ = path;
    saved_ = currentWork();
}

#include "session/editor_session.h"

#include "files/file_reading.h"
#include "files/safe_file_writer.h"
#include "session/former_name.h"
#include "session/project_document.h"
#include "session/work_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

EditorSession::EditorSession(SurfaceSize surface) : surface_(surface) {
    formers_.push_back(std::make_shared<const Former>(Former{"F1", 0.0, work_}));
}

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

void EditorSession::sync() {
    Work now = currentWork();
    const std::shared_ptr<const Former>& entry = formers_[static_cast<std::size_t>(current_)];
    if (entry->work != now)
        formers_[static_cast<std::size_t>(current_)] =
            std::make_shared<const Former>(Former{entry->name, entry->station, std::move(now)});
}

ProjectWork EditorSession::snapshot() {
    sync();
    return {formers_, current_};
}

ProjectState EditorSession::projectState() const {
    ProjectState p{surface_, {}, current_, currentView()};
    for (const auto& f : formers_)
        p.formers.push_back(*f);
    p.formers[static_cast<std::size_t>(current_)].work = currentWork();
    return p;
}

bool EditorSession::recordChange(bool mergeable, const std::string& name) {
    ProjectWork now = snapshot();
    if (now.sameFormers(recorded_)) {
        recorded_.current = now.current; // which former is edited is no step
        return false;
    }
    // A change of the edited former alone is named by what changed in it.
    std::string named = name;
    if (named.empty()) {
        const bool sameList =
            now.formers.size() == recorded_.formers.size() && now.current == recorded_.current;
        const Work& before = recorded_.formers[static_cast<std::size_t>(recorded_.current)]->work;
        const Work& after = now.formers[static_cast<std::size_t>(now.current)]->work;
        named = !sameList ? std::string("modifier les couples")
                : caption ? caption(before, after)
                          : pointCaption(before, after);
    }
    ProjectWork before = std::exchange(recorded_, now);
    history_.push(std::move(named), std::move(before), std::move(now), mergeable);
    return true;
}

const Work& EditorSession::recordedWork() const {
    return recorded_.formers[static_cast<std::size_t>(recorded_.current)]->work;
}

const Work& EditorSession::restore(const ProjectWork& work) {
    formers_ = work.formers;
    current_ = work.current;
    recorded_ = work;
    return formers_[static_cast<std::size_t>(current_)]->work;
}

void EditorSession::startHistory() {
    history_.clear();
    recorded_ = snapshot();
    history_.setClean();
}

// ---------------------------------------------------------------------------------------
// The formers

void EditorSession::showCurrent() {
    const Former& f = *formers_[static_cast<std::size_t>(current_)];
    show({surface_, f.work, view_});
}

bool EditorSession::nameTaken(const std::string& name) const {
    for (const auto& f : formers_)
        if (f->name == name)
            return true;
    return false;
}

std::string EditorSession::freeName(const std::string& base, const std::string& suffix) const {
    // base + suffix, then " (2)", " (3)"... after it; the base cut where the longest name
    // needs it.
    for (int k = 1;; ++k) {
        std::string n =
            nameWithSuffix(base, k == 1 ? suffix : suffix + " (" + std::to_string(k) + ")");
        if (!nameTaken(n))
            return n;
    }
}

bool EditorSession::validIndex(int i, std::string& why) const {
    if (i >= 0 && i < static_cast<int>(formers_.size()))
        return true;
    why = "Ce couple n'existe pas.";
    return false;
}

namespace {

std::string quotedName(const std::string& name) {
    return "« " + name + " »";
}

// "%g" as a person writes it in French: 120 and 100,5, not 120.000000.
std::string plain(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    std::string s = text;
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

// A station in real millimetres as the menu names it: "120 mm", "12,5 mm".
std::string stationText(double mm) {
    return plain(mm) + " mm";
}

} // namespace

bool EditorSession::addFormer(std::string& why) {
    sync();
    const Former& edited = *formers_[static_cast<std::size_t>(current_)];
    if (formers_.size() >= 200) {
        why = "Un projet garde au plus 200 couples.";
        return false;
    }
    // The next free name of the F1, F2, ... series, 50 mm after the edited one.
    int k = static_cast<int>(formers_.size()) + 1;
    std::string name;
    do {
        name.assign(1, 'F'); // built by appending: GCC 12 at -O3 warns wrongly on "F" + string
        name += std::to_string(k++);
    } while (nameTaken(name));
    const double station = std::min(edited.station + 50.0, kMaxStation);
    formers_.insert(formers_.begin() + current_ + 1,
                    std::make_shared<const Former>(Former{name, station, edited.work}));
    ++current_;
    showCurrent();
    recordChange(false, "ajouter le couple " + quotedName(name));
    return true;
}

bool EditorSession::duplicateFormer(int i, std::string& why) {
    if (!validIndex(i, why))
        return false;
    if (formers_.size() >= 200) {
        why = "Un projet garde au plus 200 couples.";
        return false;
    }
    sync();
    Former copy = *formers_[static_cast<std::size_t>(i)];
    const std::string from = copy.name;
    copy.name = freeName(from, " copie");
    formers_.insert(formers_.begin() + i + 1, std::make_shared<const Former>(std::move(copy)));
    current_ = i + 1;
    showCurrent();
    recordChange(false, "dupliquer le couple " + quotedName(from));
    return true;
}

bool EditorSession::renameFormer(int i, const std::string& name, std::string& why) {
    if (!validIndex(i, why))
        return false;
    why = formerNameRefusal(name);
    if (!why.empty())
        return false;
    const std::string old = formers_[static_cast<std::size_t>(i)]->name;
    if (name == old)
        return true;
    for (const auto& f : formers_)
        if (f->name == name) {
            why = "Un autre couple s'appelle déjà " + quotedName(name) + ".";
            return false;
        }
    sync();
    Former renamed = *formers_[static_cast<std::size_t>(i)];
    renamed.name = name;
    formers_[static_cast<std::size_t>(i)] = std::make_shared<const Former>(std::move(renamed));
    recordChange(false, "renommer le couple " + quotedName(old) + " en " + quotedName(name));
    return true;
}

bool EditorSession::deleteFormer(int i, std::string& why) {
    if (!validIndex(i, why))
        return false;
    if (formers_.size() == 1) {
        why = "Le dernier couple du projet ne peut pas être supprimé.";
        return false;
    }
    sync();
    const std::string name = formers_[static_cast<std::size_t>(i)]->name;
    formers_.erase(formers_.begin() + i);
    const bool edited = i == current_;
    if (i < current_ || current_ >= static_cast<int>(formers_.size()))
        --current_;
    if (edited)
        showCurrent();
    recordChange(false, "supprimer le couple " + quotedName(name));
    return true;
}

bool EditorSession::setStation(int i, double mm, std::string& why) {
    if (!validIndex(i, why))
        return false;
    if (!(mm >= -kMaxStation && mm <= kMaxStation)) {
        why = "La station doit être comprise entre -100000 et 100000 mm.";
        return false;
    }
    sync();
    Former moved = *formers_[static_cast<std::size_t>(i)];
    if (moved.station == mm)
        return true;
    moved.station = mm;
    const std::string name = moved.name;
    formers_[static_cast<std::size_t>(i)] = std::make_shared<const Former>(std::move(moved));
    recordChange(false, "placer le couple " + quotedName(name) + " à " + stationText(mm));
    return true;
}

bool EditorSession::selectFormer(int i) {
    std::string why;
    if (!validIndex(i, why))
        return false;
    // What was done on the former left is its own step, made before the change of former.
    recordChange();
    current_ = i;
    recorded_.current = i;
    showCurrent();
    return true;
}

// ---------------------------------------------------------------------------------------
// The project file

bool EditorSession::modified() const {
    if (projectFile_.empty())
        return false;
    ProjectWork now{formers_, current_};
    const Work live = currentWork();
    if (formers_[static_cast<std::size_t>(current_)]->work != live) {
        const Former& f = *formers_[static_cast<std::size_t>(current_)];
        now.formers[static_cast<std::size_t>(current_)] =
            std::make_shared<const Former>(Former{f.name, f.station, live});
    }
    return !now.sameFormers(saved_);
}

std::string EditorSession::saveProject(const std::string& path) {
    const ProjectState p = projectState();
    std::string error = writeFileSafely(path, WriteProject(p));
    if (!error.empty())
        return error;
    projectFile_ = path;
    saved_ = snapshot();
    history_.setClean();
    return {};
}

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
        ProjectReading r = ReadProject(file.bytes);
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

void EditorSession::open(const ProjectState& state, const std::string& path) {
    formers_.clear();
    for (const Former& f : state.formers)
        formers_.push_back(std::make_shared<const Former>(f));
    current_ = state.current;
    view_ = state.view;
    showCurrent();
    startHistory();
    projectFile_ = path;
    saved_ = snapshot();
}

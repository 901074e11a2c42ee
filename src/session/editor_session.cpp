#include "session/editor_session.h"

#include "files/file_reading.h"
#include "files/safe_file_writer.h"
#include "session/former_name.h"
#include "session/project_document.h"
#include "session/work_model.h"
#include "session/work_rules.h"

#include <algorithm>
#include <cstdio>
#include <utility>

EditorSession::EditorSession(SurfaceSize surface) : surface_(surface) {
    // The editor's start-up: nine control points at zero sampled twelve times, the axes at the
    // surface's middle, the initial former and its control points read from its handles, then
    // thirteen samples while the end points still sit on their handles' corners, and the end
    // points put on the symmetry axis.
    model_.Nb_Points = 12;
    model_.Ordre_Spline = model_.Der_Point + 1;
    model_.resizeSamples(model_.Nb_Points);
    PlaceAxes(model_, surface_.width, surface_.height, surface_.height);
    Forme_Initiale(model_);
    CopyHandlesToPoints(model_);
    model_.Nb_Points = work_.sampleCount;
    model_.resizeSamples(model_.Nb_Points);
    resample();
    PutEndsOnAxis(model_);
    work_.orderInUse = model_.Ordre_Spline;
    storePoints();
    resample();
    formers_.push_back(std::make_shared<const Former>(Former{"F1", 0.0, work_}));
    startHistory();
}

bool EditorSession::doublingDrawn() const {
    return DoublingDrawn(work_, model_);
}

ProjectState EditorSession::projectState() const {
    ProjectState p{surface_, {}, current_, view_, notchTable_, *fuselage_};
    for (const auto& f : formers_)
        p.formers.push_back(*f);
    p.formers[static_cast<std::size_t>(current_)].work = work_;
    return p;
}

// ---------------------------------------------------------------------------------------
// The outline

void EditorSession::resample() {
    drawing_.clear();
    DisegnaCurva(model_, OutlineOptionsOf(work_, view_), &drawing_);
    recut();
}

void EditorSession::outlineChanged() {
    resample();
    // The part is built anew from the outline, centred on the thickness it is given.
    work_.thicknessBuilt = work_.thickness.value;
}

void EditorSession::storePoints() {
    StoreFormer(model_, work_);
}

Changed EditorSession::say(std::string message) {
    status_ = std::move(message);
    return Changed::Status;
}

Changed EditorSession::keepRules() {
    const Work before = work_;
    normalise(work_);
    Changed changed = Changed::None;
    if (work_.sampleCount != before.sampleCount) {
        model_.Nb_Points = work_.sampleCount;
        model_.resizeSamples(model_.Nb_Points);
        changed |= Changed::Part | Changed::Outline | Changed::Settings;
    }
    if (work_.mouseAction != before.mouseAction) {
        const MouseAction now = work_.mouseAction;
        work_.mouseAction = before.mouseAction;
        mouseActs(now);
        changed |= Changed::Handles | Changed::Settings;
    }
    if (work_ != before)
        changed |= Changed::Settings;
    return changed;
}

// ---------------------------------------------------------------------------------------
// Undo and redo

void EditorSession::beginGesture() {
    gesture_ = true;
    gestureStep_ = false;
}

void EditorSession::endGesture() {
    gesture_ = false;
    gestureStep_ = false;
}

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
    const std::shared_ptr<const Former>& entry = formers_[static_cast<std::size_t>(current_)];
    if (entry->work != work_) {
        Former now = *entry;
        now.work = work_;
        formers_[static_cast<std::size_t>(current_)] =
            std::make_shared<const Former>(std::move(now));
    }
}

ProjectWork EditorSession::snapshot() {
    sync();
    return {formers_, current_, notchTable_, fuselage_};
}

const Work& EditorSession::recordedWork() const {
    return recorded_.formers[static_cast<std::size_t>(recorded_.current)]->work;
}

void EditorSession::record(const std::string& caption, Step kind) {
    // The formers that follow the fuselage follow this change in the same step.
    keepFollowing();
    refollow();
    ProjectWork now = snapshot();
    if (now.sameWork(recorded_)) {
        recorded_.current = now.current; // which former is edited is no step
        return;
    }
    // The changes of one gesture are one step: its first change makes it, the others amend it
    // while it is the last step (a gesture back where it started takes it away).
    if (kind == Step::Gesture && gesture_ && gestureStep_) {
        gestureStep_ = history_.amend(now);
        recorded_ = std::move(now);
        return;
    }
    ProjectWork before = std::exchange(recorded_, now);
    history_.push(caption, std::move(before), std::move(now), kind == Step::Key && !gesture_);
    gestureStep_ = kind == Step::Gesture && gesture_;
}

Changed EditorSession::showWork(const ProjectWork& work) {
    // The view stays, but for the handles of the set the mouse acts on.
    const Work before = work_;
    formers_ = work.formers;
    current_ = work.current;
    notchTable_ = work.notches;
    takeFuselage(work.fuselage);
    recorded_ = work;
    const Work& shown = formers_[static_cast<std::size_t>(current_)]->work;
    View view = view_;
    if (before.mouseAction != shown.mouseAction) {
        view.formerHandlesShown = shown.mouseAction == MouseAction::Former;
        view.doublingHandlesShown = !view.formerHandlesShown;
    }
    show({surface_, shown, view});
    return Changed::All;
}

Changed EditorSession::undo() {
    endGesture();
    if (!history_.canUndo())
        return Changed::None;
    return showWork(history_.undo());
}

Changed EditorSession::redo() {
    endGesture();
    if (!history_.canRedo())
        return Changed::None;
    return showWork(history_.redo());
}

void EditorSession::startHistory() {
    history_.clear();
    recorded_ = snapshot();
    history_.setClean();
}

bool EditorSession::show(const EditorState& state) {
    if (!ShowFormer(state.work, state.view, model_))
        return false;
    work_ = state.work;
    view_ = state.view;
    resample();
    return true;
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

// What the windows show again once the list changed, and the former edited with it (when it
// is another work than the one shown).
constexpr Changed kListChanged = Changed::List | Changed::Fuselage;
Changed formerShown(const Work& before, const Work& now) {
    if (before == now)
        return kListChanged;
    // The picture, its place and the grid over it are shown as they stand where the other
    // former has the same plan at the same place (formers traced on one plan): its layers are
    // not drawn again.
    auto without = [](Changed c, Changed bits) {
        return static_cast<Changed>(static_cast<unsigned>(c) & ~static_cast<unsigned>(bits));
    };
    Changed c = Changed::All;
    if (before.picturePath == now.picturePath) {
        c = without(c, Changed::Picture | Changed::Grid);
        if (before.pictureHoriz == now.pictureHoriz && before.pictureVert == now.pictureVert &&
            before.pictureZoom == now.pictureZoom)
            c = without(c, Changed::Placement);
    }
    return c;
}

} // namespace

bool EditorSession::addFormer(std::string& why, Changed& changed) {
    sync();
    const Former& edited = *formers_[static_cast<std::size_t>(current_)];
    if (formers_.size() >= 200) {
        why = "Un projet garde au plus 200 couples.";
        return false;
    }
    // The first free name of the F1, F2, ... series, 50 mm after the edited one.
    int k = 1;
    std::string name;
    do {
        name.assign(1, 'F'); // built by appending: GCC 12 at -O3 warns wrongly on "F" + string
        name += std::to_string(k++);
    } while (nameTaken(name));
    const double station = std::min(edited.station + 50.0, kMaxStation);
    const Work before = work_;
    formers_.insert(
        formers_.begin() + current_ + 1,
        std::make_shared<const Former>(Former{name, station, edited.work, edited.follows}));
    ++current_;
    showCurrent();
    record("ajouter le couple " + quotedName(name), Step::Own);
    changed = formerShown(before, work_);
    return true;
}

bool EditorSession::duplicateFormer(int i, std::string& why, Changed& changed) {
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
    const Work before = work_;
    formers_.insert(formers_.begin() + i + 1, std::make_shared<const Former>(std::move(copy)));
    current_ = i + 1;
    showCurrent();
    record("dupliquer le couple " + quotedName(from), Step::Own);
    changed = formerShown(before, work_);
    return true;
}

bool EditorSession::renameFormer(int i, const std::string& name, std::string& why,
                                 Changed& changed) {
    if (!validIndex(i, why))
        return false;
    why = formerNameRefusal(name);
    if (!why.empty())
        return false;
    const std::string old = formers_[static_cast<std::size_t>(i)]->name;
    if (name == old)
        return true;
    if (nameTaken(name)) {
        why = "Un autre couple s'appelle déjà " + quotedName(name) + ".";
        return false;
    }
    sync();
    Former renamed = *formers_[static_cast<std::size_t>(i)];
    renamed.name = name;
    formers_[static_cast<std::size_t>(i)] = std::make_shared<const Former>(std::move(renamed));
    record("renommer le couple " + quotedName(old) + " en " + quotedName(name), Step::Own);
    changed = kListChanged;
    // The notches left out are told by the former's name.
    if (i == current_)
        resample();
    if (!notchTable_.empty())
        changed |= Changed::Notches;
    return true;
}

bool EditorSession::deleteFormer(int i, std::string& why, Changed& changed) {
    if (!validIndex(i, why))
        return false;
    if (formers_.size() == 1) {
        why = "Le dernier couple du projet ne peut pas être supprimé.";
        return false;
    }
    sync();
    const std::string name = formers_[static_cast<std::size_t>(i)]->name;
    const Work before = work_;
    formers_.erase(formers_.begin() + i);
    const bool edited = i == current_;
    // Editing goes to the former that takes the place of the one deleted, or the new last one.
    if (i < current_ || current_ >= static_cast<int>(formers_.size()))
        --current_;
    if (edited)
        showCurrent();
    record("supprimer le couple " + quotedName(name), Step::Own);
    changed = formerShown(before, work_);
    return true;
}

bool EditorSession::setStation(int i, double mm, std::string& why, Changed& changed) {
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
    record("placer le couple " + quotedName(name) + " à " + stationText(mm), Step::Own);
    changed = kListChanged;
    return true;
}

Changed EditorSession::selectFormer(int i) {
    std::string why;
    if (!validIndex(i, why) || i == current_)
        return Changed::None;
    endGesture();
    sync();
    const Work before = work_;
    current_ = i;
    recorded_.current = i;
    showCurrent();
    return formerShown(before, work_) | Changed::List;
}

// ---------------------------------------------------------------------------------------
// What the exports and the fuselage are given

namespace {

// A former's piece at its real size from its samples, its notches cut.
PieceOutline formerPiece(const FormerModel& m, const Work& w, int code, const CutOutline& cut) {
    OutlineInput in{m.Courbe_Droite, m.Courbe_Gauche, m.Doublage_Droit,           m.Doublage_Gauche,
                    m.Nb_Points,     m.Line4.Y1,      DoublingDrawn(w, m) ? 1 : 0};
    cut.showIn(in);
    const std::optional<Piece> piece = pieceFromSaveCode(code);
    if (!piece) {
        PieceOutline none;
        none.error = "pièce du couple inconnue";
        return none;
    }
    // The drawing's geometry at the former's one real scale: a profile unit is outputUnit
    // millimetres of the drawing.
    const double mmPerUnit = outputUnit * w.realScale;
    return pieceOutline(in, *piece, m.X1(), mmPerUnit, mmPerUnit);
}

} // namespace

PieceOutline EditorSession::realSizePiece(int piece) const {
    return formerPiece(model_, work_, piece, cut_);
}

SheetLayout EditorSession::sheetLayout(const std::vector<bool>& ticked, bool halves,
                                       const SheetOptions& sheet) const {
    const ProjectState project = projectState();
    std::vector<LayoutPart> parts;
    FormerModel sampled = model_;
    for (std::size_t i = 0; i < project.formers.size(); ++i) {
        if (i < ticked.size() && !ticked[i])
            continue;
        const Former& f = project.formers[i];
        const bool edited = static_cast<int>(i) == project.current;
        if (!edited && !SampleFormer(f.work, sampled))
            continue;
        const FormerModel& m = edited ? model_ : sampled;
        const CutOutline& cut = formerCut(static_cast<int>(i));
        if (!halves) {
            parts.push_back({f.name, formerPiece(m, f.work, 5, cut), f.name, -1});
            continue;
        }
        // Halves across the horizontal joint, otherwise left and right.
        const bool topBottom = f.work.joint == AssemblyJoint::Horizontal;
        const std::pair<int, const char*> sides[2] = {
            topBottom ? std::pair{2, " haut"} : std::pair{3, " gauche"},
            topBottom ? std::pair{1, " bas"} : std::pair{4, " droit"}};
        for (const auto& [code, side] : sides)
            parts.push_back(
                {f.name + side, formerPiece(m, f.work, code, cut), f.name, static_cast<int>(i)});
    }
    return layOutParts(std::move(parts), sheet);
}

std::vector<EditorSession::SampledFormer> EditorSession::fuselage() const {
    std::vector<SampledFormer> formers;
    formers.reserve(formers_.size());
    for (std::size_t i = 0; i < formers_.size(); ++i) {
        const bool edited = static_cast<int>(i) == current_;
        const Work& w = edited ? work_ : formers_[i]->work;
        SampledFormer f;
        f.work = &w;
        f.station = formers_[i]->station;
        f.current = edited;
        // Real millimetres, as the stations: a profile unit is outputUnit mm of the drawing.
        f.unitMm = outputUnit * w.realScale;
        // Each former sampled once while it stays the same (a follower as it was placed).
        f.samples = &sampledFormer(i);
        if (!edited && f.samples->Courbe_Droite.empty())
            continue;
        f.doublingDrawn = DoublingDrawn(w, *f.samples);
        f.cut = &formerCut(static_cast<int>(i));
        formers.push_back(f);
    }
    return formers;
}

// ---------------------------------------------------------------------------------------
// The project file

bool EditorSession::modified() const {
    if (projectFile_.empty())
        return false;
    ProjectWork now{formers_, current_, notchTable_, fuselage_};
    if (formers_[static_cast<std::size_t>(current_)]->work != work_) {
        Former f = *formers_[static_cast<std::size_t>(current_)];
        f.work = work_;
        now.formers[static_cast<std::size_t>(current_)] =
            std::make_shared<const Former>(std::move(f));
    }
    return !now.sameWork(saved_);
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

Changed EditorSession::open(const ProjectState& state, const std::string& path) {
    endGesture();
    formers_.clear();
    for (const Former& f : state.formers)
        formers_.push_back(std::make_shared<const Former>(f));
    current_ = state.current;
    view_ = state.view;
    notchTable_ = state.notches;
    takeFuselage(std::make_shared<const FuselageWork>(state.fuselage));
    showCurrent();
    startHistory();
    projectFile_ = path;
    saved_ = snapshot();
    return Changed::All;
}

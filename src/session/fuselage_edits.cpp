// The fuselage drawn from its side and top views: the edits of the window "Fuselage" (the
// curves "Dos", "Ventre" and "Flanc", the plan's pictures under them, the formers' stations),
// the panel's "Suit", and the formers that follow, computed again with every step that changes
// what they follow.
#include "session/editor_session.h"

#include "session/work_model.h"
#include "session/work_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

std::string quoted(std::string_view text) {
    return "« " + std::string(text) + " »";
}

std::string curveQuoted(CurveKind kind) {
    return quoted(CurveName(kind));
}

std::string viewName(EditorSession::PlanView view) {
    return view == EditorSession::PlanView::Side ? "la vue de côté" : "la vue de dessus";
}

// What the windows show again when the curves or the formers' places change: the fuselage's
// drawings and 3-D view, and the panel's differences.
constexpr Changed kFuselageChanged = Changed::Fuselage | Changed::List;

// "0,525": a scale for the status bar, three significant decimals and a decimal comma.
std::string frenchScale(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", v);
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

// A follower's work: the shape of its nearest key former, placed as following made it, and
// what is its own (its picture, its 3-D part, the set the mouse acts on).
Work followedWork(const Work& own, const Work& key, const FormerModel& placed) {
    Work w = key;
    StoreFormer(placed, w);
    w.picturePath = own.picturePath;
    w.pictureHoriz = own.pictureHoriz;
    w.pictureVert = own.pictureVert;
    w.pictureZoom = own.pictureZoom;
    w.thickness = own.thickness;
    w.height = own.height;
    w.width = own.width;
    w.thicknessBuilt = own.thicknessBuilt;
    w.mouseAction = own.mouseAction;
    normalise(w);
    return w;
}

bool finiteWithin(double v, double limit) {
    return std::isfinite(v) && std::abs(v) <= limit;
}

} // namespace

bool EditorSession::sameShape(const Work& a, const Work& b) {
    return a.former == b.former && a.doubling == b.doubling && a.sampleCount == b.sampleCount &&
           a.orderSlider == b.orderSlider && a.orderInUse == b.orderInUse &&
           a.doublingOn == b.doublingOn && a.doublingScale == b.doublingScale &&
           a.slaved == b.slaved && a.doublingControls == b.doublingControls &&
           a.doublingMode == b.doublingMode && a.doublingWidth == b.doublingWidth &&
           a.joint == b.joint && a.realScale == b.realScale && a.calibrated == b.calibrated;
}

// ---------------------------------------------------------------------------------------
// The curves

Changed EditorSession::changeFuselage(FuselageWork next) {
    takeFuselage(std::make_shared<const FuselageWork>(std::move(next)));
    return kFuselageChanged;
}

void EditorSession::takeFuselage(std::shared_ptr<const FuselageWork> fuselage) {
    if (!fuselage)
        fuselage = std::make_shared<const FuselageWork>();
    const bool resample = fuselage->curves != fuselage_->curves;
    fuselage_ = std::move(fuselage);
    if (resample)
        curves_.sample(fuselage_->curves);
}

std::string EditorSession::setCurve(CurveKind kind, const std::vector<CurvePoint>& points,
                                    Changed& changed) {
    endGesture(); // typed: a step of its own
    changed = Changed::None;
    if (std::string why = CheckCurvePoints(kind, points); !why.empty())
        return why;
    if (points == fuselage_->curves.curve(kind))
        return {};
    FuselageWork next = *fuselage_;
    next.curves.curve(kind) = points;
    changed = changeFuselage(std::move(next));
    record("tracer " + curveQuoted(kind), Step::Own);
    return {};
}

Changed EditorSession::dragCurvePoint(CurveKind kind, int index, double station, double value) {
    const std::vector<CurvePoint>& points = fuselage_->curves.curve(kind);
    if (index < 0 || index >= static_cast<int>(points.size()))
        return Changed::None;
    const CurvePoint p = ClampedDrag(points, index, station, value);
    if (p == points[static_cast<std::size_t>(index)])
        return Changed::None;
    FuselageWork next = *fuselage_;
    next.curves.curve(kind)[static_cast<std::size_t>(index)] = p;
    const Changed changed = changeFuselage(std::move(next));
    record("déplacer le point " + std::to_string(index + 1) + " de " + curveQuoted(kind),
           Step::Gesture);
    return changed;
}

std::string EditorSession::typeCurvePoint(CurveKind kind, int index, CurvePoint at,
                                          Changed& changed) {
    changed = Changed::None;
    const std::vector<CurvePoint>& points = fuselage_->curves.curve(kind);
    if (index < 0 || index >= static_cast<int>(points.size()))
        return curveQuoted(kind) + " n'a pas de point " + std::to_string(index + 1) + ".";
    std::vector<CurvePoint> typed = points;
    typed[static_cast<std::size_t>(index)] = at;
    if (std::string why = CheckCurvePoints(kind, typed); !why.empty())
        return why;
    if (typed == points)
        return {};
    endGesture();
    FuselageWork next = *fuselage_;
    next.curves.curve(kind) = std::move(typed);
    changed = changeFuselage(std::move(next));
    record("déplacer le point " + std::to_string(index + 1) + " de " + curveQuoted(kind),
           Step::Own);
    return {};
}

std::string EditorSession::addCurvePoint(CurveKind kind, double station, int& index,
                                         Changed& changed) {
    changed = Changed::None;
    CurveEdit e = InsertCurvePoint(kind, fuselage_->curves.curve(kind), station);
    if (!e.ok())
        return e.reason;
    endGesture();
    index = e.index;
    FuselageWork next = *fuselage_;
    next.curves.curve(kind) = std::move(e.points);
    changed = changeFuselage(std::move(next));
    record("ajouter un point à " + curveQuoted(kind), Step::Own);
    return {};
}

std::string EditorSession::removeCurvePoint(CurveKind kind, int index, Changed& changed) {
    changed = Changed::None;
    CurveEdit e = RemoveCurvePoint(kind, fuselage_->curves.curve(kind), index);
    if (!e.ok())
        return e.reason;
    endGesture();
    FuselageWork next = *fuselage_;
    next.curves.curve(kind) = std::move(e.points);
    changed = changeFuselage(std::move(next));
    record("retirer le point " + std::to_string(index + 1) + " de " + curveQuoted(kind), Step::Own);
    return {};
}

std::string EditorSession::fitCurves(Changed& changed) {
    changed = Changed::None;
    sync();
    std::vector<MeasuredFormer> measured;
    for (std::size_t i = 0; i < formers_.size(); ++i) {
        const std::optional<FormerMeasure> m = measure(static_cast<int>(i));
        if (m)
            measured.push_back({formers_[i]->name, formers_[i]->station, *m});
    }
    CurvesFit fit = CurvesFromFormers(measured);
    if (!fit.ok())
        return fit.reason;
    if (fit.views == fuselage_->curves)
        return {};
    endGesture();
    FuselageWork next = *fuselage_;
    next.curves = std::move(fit.views);
    changed = changeFuselage(std::move(next));
    record("tracer les « Courbes par les couples »", Step::Own);
    return {};
}

// ---------------------------------------------------------------------------------------
// The plan's views

namespace {

// The view's picture in a fuselage's work.
template <typename Fuselage> auto& pictureOf(Fuselage& f, EditorSession::PlanView view) {
    return view == EditorSession::PlanView::Side ? f.side : f.top;
}

} // namespace

const PlanPicture& EditorSession::planPicture(PlanView view) const {
    return pictureOf(*fuselage_, view);
}

Changed EditorSession::choosePlanPicture(PlanView view, const std::string& path, int height) {
    endGesture();
    FuselageWork next = *fuselage_;
    PlanPicture& p = pictureOf(next, view);
    p = {};
    p.path = path;
    // A millimetre a pixel, from station 0 on, the picture's middle on the datum (the centre
    // line): calibrating and placing it start from there.
    p.top = std::max(height, 0) / 2.0;
    const Changed changed = changeFuselage(std::move(next));
    record("choisir l'image de " + viewName(view), Step::Own);
    return changed;
}

std::string EditorSession::placePlanPicture(PlanView view, double left, double top,
                                            double mmPerPixel, Changed& changed) {
    changed = Changed::None;
    if (!finiteWithin(left, kCurveLimit) || !finiteWithin(top, kCurveLimit))
        return "Position hors de " + frenchDecimal(-kCurveLimit) + ".." +
               frenchDecimal(kCurveLimit) + " mm.";
    if (!(mmPerPixel >= kMinMmPerPixel && mmPerPixel <= kMaxMmPerPixel))
        return "Échelle hors de l'intervalle " + frenchDecimal(kMinMmPerPixel) + ".." +
               frenchDecimal(kMaxMmPerPixel) + " mm par pixel.";
    const PlanPicture& was = planPicture(view);
    if (was.left == left && was.top == top && was.mmPerPixel == mmPerPixel)
        return {};
    endGesture();
    FuselageWork next = *fuselage_;
    PlanPicture& p = pictureOf(next, view);
    // Scaled by hand, the picture no longer measures what it was calibrated with.
    p.calibrated = p.calibrated && p.mmPerPixel == mmPerPixel;
    p.left = left;
    p.top = top;
    p.mmPerPixel = mmPerPixel;
    changed = changeFuselage(std::move(next));
    record("placer l'image de " + viewName(view), Step::Own);
    return {};
}

Changed EditorSession::movePlanPicture(PlanView view, double dStation, double dValue) {
    const PlanPicture& was = planPicture(view);
    if (!std::isfinite(dStation) || !std::isfinite(dValue) || (dStation == 0.0 && dValue == 0.0))
        return Changed::None;
    FuselageWork next = *fuselage_;
    PlanPicture& p = pictureOf(next, view);
    p.left = std::clamp(was.left + dStation, -kCurveLimit, kCurveLimit);
    p.top = std::clamp(was.top + dValue, -kCurveLimit, kCurveLimit);
    if (p == was)
        return Changed::None;
    const Changed changed = changeFuselage(std::move(next));
    record("déplacer l'image de " + viewName(view), Step::Gesture);
    return changed;
}

std::string EditorSession::calibratePlanPicture(PlanView view, CurvePoint a, CurvePoint b,
                                                double realMm, Changed& changed) {
    changed = Changed::None;
    const PlanPicture& was = planPicture(view);
    if (was.path.empty())
        return "Aucune image sous " + viewName(view) + " : calibration annulée.";
    const double drawn = std::hypot(b.station - a.station, b.value - a.value);
    if (!(drawn > 0.0) || !std::isfinite(drawn))
        return "Les deux points sont confondus : calibration annulée.";
    const double pixels = drawn / was.mmPerPixel;
    const double scale = realMm / pixels;
    if (!(scale >= kMinMmPerPixel && scale <= kMaxMmPerPixel))
        return "Échelle hors de l'intervalle " + frenchDecimal(kMinMmPerPixel) + ".." +
               frenchDecimal(kMaxMmPerPixel) + " mm par pixel : calibration annulée.";
    // The picture's pixel under the first click stays where it is.
    const double px = (a.station - was.left) / was.mmPerPixel;
    const double py = (was.top - a.value) / was.mmPerPixel;
    const double left = a.station - px * scale;
    const double top = a.value + py * scale;
    if (!finiteWithin(left, kCurveLimit) || !finiteWithin(top, kCurveLimit))
        return "L'image sortirait du dessin : calibration annulée.";
    endGesture();
    FuselageWork next = *fuselage_;
    PlanPicture& p = pictureOf(next, view);
    p.left = left;
    p.top = top;
    p.mmPerPixel = scale;
    p.calibrated = true;
    std::string told = view == PlanView::Side ? "Vue de côté" : "Vue de dessus";
    changed = changeFuselage(std::move(next)) |
              say(told + " : 1 pixel de l'image = " + frenchScale(scale) + " mm réels");
    record("calibrer " + viewName(view), Step::Own);
    return {};
}

// ---------------------------------------------------------------------------------------
// The formers along the fuselage

Changed EditorSession::dragStation(int i, double mm) {
    std::string why;
    if (!validIndex(i, why) || !std::isfinite(mm))
        return Changed::None;
    mm = std::clamp(mm, -kMaxStation, kMaxStation);
    sync();
    const auto k = static_cast<std::size_t>(i);
    if (formers_[k]->station == mm)
        return Changed::None;
    Former moved = *formers_[k];
    moved.station = mm;
    const std::string name = moved.name;
    formers_[k] = std::make_shared<const Former>(std::move(moved));
    record("déplacer le couple " + quoted(name), Step::Gesture);
    return kFuselageChanged;
}

bool EditorSession::setFollows(int i, bool follows, std::string& why, Changed& changed) {
    changed = Changed::None;
    if (!validIndex(i, why))
        return false;
    sync();
    const auto k = static_cast<std::size_t>(i);
    if (formers_[k]->follows == follows)
        return true;
    endGesture();
    Former next = *formers_[k];
    next.follows = follows;
    const std::string name = next.name;
    formers_[k] = std::make_shared<const Former>(std::move(next));
    record(follows ? "faire suivre le fuselage au couple " + quoted(name)
                   : "rendre le couple " + quoted(name) + " clé",
           Step::Own);
    changed = kFuselageChanged;
    return true;
}

std::string EditorSession::followRefusal(int i) const {
    if (i < 0 || i >= static_cast<int>(formers_.size()))
        return {};
    const auto k = static_cast<std::size_t>(i);
    const Former& f = *formers_[k];
    if (f.follows) {
        if (k < followed_.size() && followed_[k].of == formers_[k] && !followed_[k].status.ok())
            return followed_[k].status.reason;
        return keyShapes().statusAt(curves_, f.station).reason;
    }
    // Were it to follow: the other key formers lend it their shapes.
    const bool otherKey = std::any_of(formers_.begin(), formers_.end(), [&](const auto& o) {
        return o != formers_[k] && !o->follows;
    });
    if (!otherKey)
        return KeyShapes({}).status(curves_).reason;
    return keyShapes().statusAt(curves_, f.station).reason;
}

std::optional<FormerMeasure> EditorSession::measure(int i) const {
    if (i < 0 || i >= static_cast<int>(formers_.size()))
        return std::nullopt;
    const auto k = static_cast<std::size_t>(i);
    const Work& w = i == current_ ? work_ : formers_[k]->work;
    const FormerModel& m = sampledFormer(k);
    return MeasureFormer(m.Courbe_Droite, m.X1(), m.Y1(), w.realScale);
}

Departures EditorSession::departures(int i) const {
    const std::optional<FormerMeasure> m = measure(i);
    if (!m)
        return {};
    return DeparturesOf(curves_, formers_[static_cast<std::size_t>(i)]->station, *m);
}

Changed EditorSession::takeFollowed() {
    return std::exchange(followedChanged_, Changed::None);
}

void EditorSession::setFuselageWindowShown(bool shown) {
    view_.fuselageWindowShown = shown;
}

// ---------------------------------------------------------------------------------------
// The formers that follow

const FormerModel& EditorSession::sampledFormer(std::size_t i) const {
    if (static_cast<int>(i) == current_)
        return model_;
    sampled_.resize(formers_.size());
    SampledEntry& e = sampled_[i];
    if (e.of != formers_[i]) {
        e.of = formers_[i];
        e.model = model_;
        if (!SampleFormer(e.of->work, e.model))
            e.model.Courbe_Droite.clear();
    }
    return e.model;
}

const KeyShapes& EditorSession::keyShapes() const {
    std::vector<std::size_t> keys;
    for (std::size_t i = 0; i < formers_.size(); ++i)
        if (!formers_[i]->follows)
            keys.push_back(i);
    KeyCache& c = keyCache_;
    // The same key formers with the same shapes at the same stations: the shapes hold.
    bool same = c.shapes && keys.size() == c.keys.size();
    for (std::size_t k = 0; same && k < keys.size(); ++k) {
        const Former& now = *formers_[keys[k]];
        const Work& w = static_cast<int>(keys[k]) == current_ ? work_ : now.work;
        same = now.name == c.keys[k].name && now.station == c.keys[k].station &&
               sameShape(w, c.keys[k].work);
    }
    if (same)
        return *c.shapes;
    c.keys.clear();
    c.models.clear();
    c.models.reserve(keys.size()); // KeyShapes keeps pointers into it
    View hidden;
    hidden.formerHandlesShown = false;
    hidden.controlPolygonShown = false;
    hidden.samplePointsShown = false;
    std::vector<KeyFormer> given;
    for (std::size_t i : keys) {
        Former f = *formers_[i];
        if (static_cast<int>(i) == current_)
            f.work = work_;
        c.models.push_back(sampledFormer(i));
        given.push_back({f.name, f.station, f.work.realScale, &c.models.back(),
                         OutlineOptionsOf(f.work, hidden)});
        c.keys.push_back(std::move(f));
    }
    c.shapes = std::make_unique<KeyShapes>(given);
    ++c.version;
    return *c.shapes;
}

void EditorSession::keepFollowing() {
    const auto k = static_cast<std::size_t>(current_);
    const Former& edited = *formers_[k];
    if (!edited.follows || recorded_.formers.empty())
        return;
    const Former& was = *recorded_.formers[static_cast<std::size_t>(recorded_.current)];
    // Another former than the one recorded as edited (the list changed): nothing was shaped.
    if (was.name != edited.name || sameShape(was.work, work_))
        return;
    Former key = edited;
    key.work = work_;
    key.follows = false;
    const std::string name = key.name;
    formers_[k] = std::make_shared<const Former>(std::move(key));
    followedChanged_ |= kFuselageChanged | say("Le couple " + quoted(name) +
                                               " ne suit plus le fuselage : c'est désormais un "
                                               "couple clé, qui garde sa propre forme.");
}

void EditorSession::refollow() {
    if (std::none_of(formers_.begin(), formers_.end(), [](const auto& f) { return f->follows; })) {
        followTold_.clear();
        return;
    }
    sync();
    const KeyShapes& shapes = keyShapes();
    followed_.resize(formers_.size());
    sampled_.resize(formers_.size());
    Changed changed = Changed::None;
    std::string trouble; // the first follower refused, for the status bar
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t i = 0; i < formers_.size(); ++i) {
        if (!formers_[i]->follows)
            continue;
        const double station = formers_[i]->station;
        const double box[3] = {curves_.dos.valueAt(station).value_or(none),
                               curves_.ventre.valueAt(station).value_or(none),
                               curves_.flanc.valueAt(station).value_or(none)};
        FollowedEntry& e = followed_[i];
        // Nothing it follows has changed: it stays as it is, to the bit.
        if (e.of == formers_[i] && e.keys == keyCache_.version && e.box[0] == box[0] &&
            e.box[1] == box[1] && e.box[2] == box[2]) {
            if (!e.status.ok() && trouble.empty())
                trouble = e.status.reason;
            continue;
        }
        FollowingFormer placed = shapes.follow(curves_, station);
        std::copy(std::begin(box), std::end(box), e.box);
        e.keys = keyCache_.version;
        e.status = placed.status;
        e.of = formers_[i];
        if (!placed.placed()) {
            // It keeps its last outline.
            if (trouble.empty())
                trouble = placed.status.reason;
            continue;
        }
        const Former& key = keyCache_.keys[static_cast<std::size_t>(placed.nearestKey)];
        const Work w = followedWork(formers_[i]->work, key.work, placed.model);
        if (w == formers_[i]->work)
            continue;
        Former next = *formers_[i];
        next.work = w;
        formers_[i] = std::make_shared<const Former>(std::move(next));
        e.of = formers_[i];
        changed |= kFuselageChanged;
        if (static_cast<int>(i) == current_) {
            show({surface_, w, view_});
            changed |= Changed::Outline | Changed::Part | Changed::Handles | Changed::Settings;
        } else {
            sampled_[i] = {formers_[i], std::move(placed.model)};
        }
    }
    if (trouble != followTold_ && !trouble.empty())
        changed |= say(trouble);
    followTold_ = trouble;
    followedChanged_ |= changed;
}

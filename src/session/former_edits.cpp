// The edits a user makes of the former being edited, each with the rules of the work it sets
// off, its named undo step and what the windows must show again.
#include "session/editor_session.h"

#include "former/doubling_offset.h"
#include "session/work_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// "5,000": a scale as the status bar tells it, three decimals and a decimal comma.
std::string frenchScale(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", v);
    std::string s = text;
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

// "0,001", "1000": a bound in a message, with the fewest digits and a decimal comma.
std::string frenchBound(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    std::string s = text;
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

// "12,35": millimetres in a message, two decimals and a decimal comma.
std::string frenchMm(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v + 0.0);
    std::string s = text;
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Sampling

Changed EditorSession::setSampleCount(int n, bool typed) {
    const int before = work_.sampleCount;
    work_.sampleCount = std::clamp(n, kSampleCountRange.min, kSampleCountRange.max);
    keepRules(); // an assembled former keeps at least 16 samples
    if (work_.sampleCount == before)
        return Changed::Settings; // the box shows the count in force
    model_.Nb_Points = work_.sampleCount;
    model_.resizeSamples(model_.Nb_Points);
    const Changed told = outlineChanged();
    record("régler « Nbre de Points »", typed ? Step::Own : slider());
    return Changed::Outline | Changed::Part | Changed::Settings | told;
}

Changed EditorSession::setOrder(int k) {
    k = std::clamp(k, kOrderRange.min, kOrderRange.max);
    if (k == work_.orderSlider && k == work_.orderInUse)
        return Changed::None;
    work_.orderSlider = k;
    work_.orderInUse = k;
    model_.Ordre_Spline = k;
    const Changed told = outlineChanged();
    record("régler « Résolution »", slider());
    return Changed::Outline | Changed::Settings | told;
}

// ---------------------------------------------------------------------------------------
// The doubling

void EditorSession::modeDisplayed() {
    // The label read "Mode Asservi" at start-up; once a mode is chosen it tells the mode.
    if (work_.doublingControls == DoublingControls::AsAtStartUp)
        work_.doublingControls = DoublingControls::LabelUpdated;
    // Without a doubling there is nothing to decouple.
    if (!work_.doublingOn && !work_.slaved) {
        work_.slaved = true;
        mouseActs(MouseAction::Former);
    }
}

void EditorSession::doublingFollowed() {
    modeDisplayed();
    // From now on the doubling's controls follow the doubling.
    work_.doublingControls = DoublingControls::FollowDoubling;
    if (!work_.doublingOn) {
        mouseActs(MouseAction::Former);
        return;
    }
    // The doubling starts as the former shrunk towards the axes' crossing.
    PlaceDoubling(model_, work_.doublingScale);
    storePoints();
}

void EditorSession::mouseActs(MouseAction action) {
    if (work_.mouseAction == action)
        return;
    work_.mouseAction = action;
    // Every handle of both sets, N included: a handle that can be picked is always shown and
    // one that cannot never is.
    const bool couple = action == MouseAction::Former;
    view_.formerHandlesShown = couple;
    view_.doublingHandlesShown = !couple;
    const std::size_t count = std::min(model_.shppi.size(), model_.Shape1.size());
    for (std::size_t i = 0; i < count && i <= static_cast<std::size_t>(model_.Der_Point); ++i) {
        model_.shppi[i].Visible = couple;
        model_.Shape1[i].Visible = !couple;
    }
}

Changed EditorSession::setDoublingOn(bool on) {
    if (on == work_.doublingOn)
        return Changed::None;
    work_.doublingOn = on;
    doublingFollowed();
    const Changed told = outlineChanged();
    record(on ? "mettre le doublage" : "retirer le doublage", Step::Own);
    return Changed::Outline | Changed::Part | Changed::Settings | Changed::Handles | told;
}

Changed EditorSession::setDoublingScale(int e) {
    e = std::clamp(e, kDoublingScaleRange.min, kDoublingScaleRange.max);
    work_.doublingScale = e;
    doublingFollowed();
    const Changed told = outlineChanged();
    record("régler « Epaisseur »", slider());
    return Changed::Outline | Changed::Settings | Changed::Handles | told;
}

Changed EditorSession::setDoublingMode(DoublingMode mode) {
    if (mode == work_.doublingMode)
        return Changed::None;
    work_.doublingMode = mode;
    const Changed told = outlineChanged();
    record(mode == DoublingMode::ConstantWidth ? "choisir le doublage « Largeur constante »"
                                               : "choisir le doublage « Proportionnel »",
           Step::Own);
    return Changed::Outline | Changed::Settings | told;
}

std::string EditorSession::setDoublingWidth(double mm, Changed& changed) {
    changed = Changed::None;
    // Up to half the former's smallest inner width: a wider ring leaves no hole, or breaks.
    const double largest = SmallestInnerWidth(model_.Courbe_Droite, model_.X1(), model_.Nb_Points) /
                           2.0 * work_.realScale;
    if (!(mm >= kMinDoublingWidth && mm <= kMaxDoublingWidth))
        return "valeur hors de l'intervalle " + frenchBound(kMinDoublingWidth) + ".." +
               frenchBound(kMaxDoublingWidth);
    if (mm > largest)
        return frenchMm(mm) +
               " mm : plus de la moitié de la plus petite largeur intérieure du couple (" +
               frenchMm(2.0 * largest) + " mm)";
    if (mm == work_.doublingWidth)
        return {};
    work_.doublingWidth = mm;
    changed = Changed::Outline | Changed::Settings | outlineChanged();
    record("régler « Largeur (mm) »", Step::Own);
    return {};
}

Changed EditorSession::setJoint(AssemblyJoint joint) {
    if (joint == work_.joint)
        return Changed::None;
    work_.joint = joint;
    // A joint needs at least 16 samples; the count is never lowered.
    Changed changed = Changed::Outline | Changed::Settings | keepRules();
    changed |= outlineChanged();
    record(joint == AssemblyJoint::Horizontal ? "choisir l'assemblage « Horizontal »"
           : joint == AssemblyJoint::Vertical ? "choisir l'assemblage « Vertical »"
                                              : "choisir l'assemblage « Aucun »",
           Step::Own);
    return changed;
}

Changed EditorSession::setSlaved(bool slaved) {
    // (Decoupled without a doubling, the doubling goes back to slaved at once.)
    if (slaved == work_.slaved)
        return Changed::None;
    work_.slaved = slaved;
    modeDisplayed();
    Changed changed = Changed::Settings | Changed::Handles;
    if (work_.slaved) {
        // Slaved, the mouse always acts on the former and the doubling follows.
        mouseActs(MouseAction::Former);
    } else if (work_.doublingOn && work_.doublingMode == DoublingMode::ConstantWidth &&
               model_.offsetDoublingWhole) {
        // A doubling of constant width goes on from the offset outline: its control points
        // are fitted to it, and its handles put on them.
        const std::vector<PointXYZ> fitted =
            FitDoublingControlPoints(model_.Doublage_Droit, model_.Der_Point, model_.Ordre_Spline);
        if (fitted.size() == model_.Pts_Doublage.size()) {
            model_.Pts_Doublage = fitted;
            for (std::size_t i = 0; i < fitted.size() && i < model_.Shape1.size(); ++i) {
                model_.Shape1[i].Left = fitted[i].x;
                model_.Shape1[i].Top = fitted[i].y;
            }
            storePoints();
        }
        changed |= Changed::Outline | outlineChanged();
    }
    record(slaved ? "asservir le doublage" : "découpler le doublage", Step::Own);
    return changed;
}

Changed EditorSession::setMouseAction(MouseAction action) {
    // The doubling's handles are offered only while it is decoupled.
    if (action == work_.mouseAction || (action == MouseAction::Doubling && work_.slaved))
        return Changed::None;
    mouseActs(action);
    record(action == MouseAction::Former ? "choisir l'action « Couple »"
                                         : "choisir l'action « Doublage »",
           Step::Own);
    return Changed::Handles | Changed::Settings;
}

// ---------------------------------------------------------------------------------------
// The 3-D part's dimensions

namespace {

Work::Dimension& dimensionOf(Work& w, EditorSession::Dimension which) {
    switch (which) {
    case EditorSession::Dimension::Height:
        return w.height;
    case EditorSession::Dimension::Width:
        return w.width;
    case EditorSession::Dimension::Thickness:
        break;
    }
    return w.thickness;
}

constexpr IntRange rangeOf(EditorSession::Dimension which) {
    return which == EditorSession::Dimension::Thickness ? kThicknessRange
           : which == EditorSession::Dimension::Height  ? kHeightRange
                                                        : kWidthRange;
}

const char* captionOf(EditorSession::Dimension which) {
    return which == EditorSession::Dimension::Thickness ? "régler l'épaisseur de la pièce"
           : which == EditorSession::Dimension::Height  ? "régler la hauteur de la pièce"
                                                        : "régler la largeur de la pièce";
}

} // namespace

Changed EditorSession::pressDimension(Dimension which) {
    Work::Dimension& d = dimensionOf(work_, which);
    if (d.applied == d.value)
        return Changed::None;
    d.applied = d.value;
    record(captionOf(which), slider());
    return Changed::Settings;
}

Changed EditorSession::moveDimension(Dimension which, int value) {
    Work::Dimension& d = dimensionOf(work_, which);
    value = std::clamp(value, rangeOf(which).min, rangeOf(which).max);
    if (value == d.value && value == d.applied)
        return Changed::None;
    d.value = value;
    // Each move applies the change against the value last applied, so moves compose. A ratio
    // against nothing would flatten or blow up the part.
    partMove_ = {};
    if (which == Dimension::Thickness)
        partMove_.depth = static_cast<float>(d.value - d.applied);
    else if (d.applied > 0)
        (which == Dimension::Height ? partMove_.height : partMove_.width) =
            d.value / static_cast<double>(d.applied);
    d.applied = d.value;
    record(captionOf(which), slider());
    return Changed::Dimensions | Changed::Settings;
}

// ---------------------------------------------------------------------------------------
// The mouse on the drawing

Changed EditorSession::press(int button, float x, float y) {
    model_.Idx_Point = Point_Proche(model_, work_.mouseAction == MouseAction::Former, x, y);
    if (button == 1)
        return Changed::Settings; // the point moves on the following moves
    // Pins act on the former's point of that index, whichever set was searched; pinning runs
    // the doubling's scale handler, which places the doubling again while it is on.
    const bool pinned = TogglePin(model_, model_.Idx_Point);
    if (pinned)
        doublingFollowed();
    storePoints();
    const Changed told = outlineChanged();
    record(pointCaption(recordedWork(), work_), Step::Gesture);
    return Changed::Outline | Changed::Handles | Changed::Settings | told;
}

Changed EditorSession::dragTo(float x, float y) {
    DragStep(model_, work_.mouseAction == MouseAction::Former, work_.slaved, work_.doublingScale, x,
             y);
    storePoints();
    const Changed told = outlineChanged();
    record(pointCaption(recordedWork(), work_), Step::Gesture);
    return Changed::Outline | Changed::Handles | Changed::Settings | told;
}

SurfacePoint EditorSession::realPoint(double x, double y) const {
    const double k = work_.realScale;
    return {(x - model_.X1()) * k, (model_.Y1() - y) * k};
}

SurfacePoint EditorSession::pickedPointReal() const {
    const bool former = work_.mouseAction == MouseAction::Former;
    const std::vector<PointXYZ>& points = former ? model_.Pts_Couple : model_.Pts_Doublage;
    const int i = model_.Idx_Point;
    if (i < 0 || i >= static_cast<int>(points.size()))
        return {};
    const PointXYZ& p = points[static_cast<std::size_t>(i)];
    return realPoint(p.x, p.y);
}

std::string EditorSession::typePoint(double x, double y, SurfacePoint& pointer, Changed& changed) {
    endGesture(); // a point typed is a step of its own
    changed = Changed::Settings;
    const double k = work_.realScale;
    const double X = model_.X1() + x / k;
    const double Y = model_.Y1() - y / k;
    // A point the drawing cannot hold (a small real scale makes real millimetres many of the
    // drawing's) is refused: the project file would not read it back.
    for (const auto& [at, axis] : {std::pair{X, model_.X1()}, std::pair{Y, model_.Y1()}}) {
        if (std::fabs(at) <= kDrawingReach)
            continue;
        return "le point sortirait de la zone de dessin (à cette échelle, " +
               frenchBound(std::floor((kDrawingReach - std::fabs(axis)) * k)) +
               " mm au plus des axes)";
    }
    // As a drag would move it: the axis clamp, the pins and the slaved doubling apply.
    pointer = {X, Y};
    changed = dragTo(static_cast<float>(X), static_cast<float>(Y));
    return {};
}

// ---------------------------------------------------------------------------------------
// The real size

Changed EditorSession::setRealScale(double scale) {
    if (!(scale >= kMinRealScale && scale <= kMaxRealScale))
        return Changed::Settings;
    work_.realScale = scale;
    work_.calibrated = false; // typed, not measured on the plan
    Changed changed = scaleChanged();
    record("régler l'échelle", Step::Own);
    return changed;
}

Changed EditorSession::scaleChanged() {
    // The width of a constant-width doubling is real millimetres: on the drawing it is another
    // offset now. The fuselage shows every former at its real size.
    Changed changed = Changed::Settings | Changed::Fuselage;
    if (work_.doublingOn && work_.doublingMode == DoublingMode::ConstantWidth)
        changed |= Changed::Outline | outlineChanged();
    return changed;
}

std::string EditorSession::calibrationRefusal(SurfacePoint a, SurfacePoint b) const {
    if (std::hypot(b.x - a.x, b.y - a.y) > 0.0)
        return {};
    return "Les deux points sont confondus : calibration annulée.";
}

std::string EditorSession::calibrate(SurfacePoint a, SurfacePoint b, double realMm,
                                     Changed& changed) {
    changed = Changed::None;
    if (std::string why = calibrationRefusal(a, b); !why.empty())
        return why;
    const double scale = realMm / std::hypot(b.x - a.x, b.y - a.y);
    if (!(scale >= kMinRealScale && scale <= kMaxRealScale))
        return "Échelle hors de l'intervalle " + frenchBound(kMinRealScale) + ".." +
               frenchBound(kMaxRealScale) + " : calibration annulée.";
    work_.realScale = scale;
    work_.calibrated = true;
    changed =
        scaleChanged() | say("Échelle : 1 mm du dessin = " + frenchScale(scale) + " mm réels");
    record("calibrer le plan", Step::Own);
    return {};
}

// ---------------------------------------------------------------------------------------
// The picture

Changed EditorSession::choosePicture(const std::string& path) {
    work_.picturePath = path;
    // The new picture starts at the initial pan and zoom.
    work_.pictureHoriz = 650;
    work_.pictureVert = 70;
    work_.pictureZoom = 80;
    view_.pictureShown = true;
    record("choisir l'image", Step::Own);
    return Changed::Picture | Changed::Placement | Changed::Settings;
}

Changed EditorSession::setPictureHoriz(int v) {
    // Far enough to reach every pixel of any picture: the slider's range follows the picture.
    work_.pictureHoriz = std::clamp(v, kPictureOffsetLimits.min, kPictureOffsetLimits.max);
    record("déplacer l'image", slider());
    return Changed::Placement | Changed::Settings;
}

Changed EditorSession::setPictureVert(int v) {
    work_.pictureVert = std::clamp(v, kPictureOffsetLimits.min, kPictureOffsetLimits.max);
    record("déplacer l'image", slider());
    return Changed::Placement | Changed::Settings;
}

Changed EditorSession::setPictureZoom(int v) {
    work_.pictureZoom = std::clamp(v, kPictureZoomRange.min, kPictureZoomRange.max);
    Changed changed = Changed::Placement | Changed::Settings;
    // The plan drawn at another size no longer measures what it was calibrated with; the scale
    // stays as it is, and the user is told once.
    if (work_.calibrated) {
        work_.calibrated = false;
        changed |= say("Le zoom du plan a changé : recalibrez");
    }
    record("régler le zoom de l'image", slider());
    return changed;
}

Changed EditorSession::setPictureShown(bool on) {
    if (on == view_.pictureShown)
        return Changed::None;
    view_.pictureShown = on;
    return Changed::Picture | Changed::Placement | Changed::Grid | Changed::Settings;
}

// ---------------------------------------------------------------------------------------
// The view

Changed EditorSession::toggleControlPolygon() {
    view_.controlPolygonShown = !view_.controlPolygonShown;
    // Hidden, the polygon is not drawn at all: over a picture, black lines would show.
    for (int i = 0; i < model_.Der_Point && i < static_cast<int>(model_.LinPi.size()); ++i)
        model_.LinPi[static_cast<std::size_t>(i)].Visible = view_.controlPolygonShown;
    return Changed::Handles | Changed::Settings;
}

Changed EditorSession::toggleSamplePoints() {
    view_.samplePointsShown = !view_.samplePointsShown;
    resample();
    return Changed::Drawing | Changed::Settings;
}

Changed EditorSession::toggleHandles() {
    // Hidden, the click shows them; shown, it hides them.
    for (int i = 0; i <= model_.Der_Point && i < static_cast<int>(model_.shppi.size()); ++i)
        model_.shppi[static_cast<std::size_t>(i)].Visible = view_.handlesHidden;
    view_.formerHandlesShown = view_.handlesHidden;
    view_.handlesHidden = !view_.handlesHidden;
    return Changed::Handles | Changed::Settings;
}

Changed EditorSession::toggleAxes() {
    view_.axesOn = !view_.axesOn;
    return Changed::View3D | Changed::Settings;
}

Changed EditorSession::toggleGrid() {
    view_.gridOn = !view_.gridOn;
    return Changed::Grid | Changed::View3D | Changed::Settings;
}

void EditorSession::setShownArea(double width, double height) {
    model_.Line1.Y1 = 0.0;
    model_.Line1.Y2 = height;
    model_.Line4.X1 = 0.0;
    model_.Line4.X2 = width;
}

void EditorSession::setDrawingView(double zoom, SurfacePoint centre) {
    view_.viewZoom = zoom;
    view_.viewCentre = centre;
}

Changed EditorSession::setTab(EditorTab tab) {
    view_.tab = tab;
    return Changed::None;
}

Changed EditorSession::setView3D(const View& v) {
    // Another piece is built anew, centred on the thickness the part has.
    const bool rebuilt = v.viewPiece != view_.viewPiece;
    view_.view3dShown = v.view3dShown;
    view_.viewPiece = v.viewPiece;
    view_.renderMode = v.renderMode;
    view_.specular = v.specular;
    view_.attenuation = v.attenuation;
    view_.yaw = v.yaw;
    view_.pitch = v.pitch;
    view_.distance = v.distance;
    view_.fuselageShown = v.fuselageShown;
    view_.fuselageOrbitKept = v.fuselageOrbitKept;
    view_.fuselageYaw = v.fuselageYaw;
    view_.fuselagePitch = v.fuselagePitch;
    view_.fuselageDistance = v.fuselageDistance;
    if (rebuilt) {
        work_.thicknessBuilt = work_.thickness.value;
        record(pointCaption(recordedWork(), work_), Step::Own);
    }
    return Changed::None;
}

void EditorSession::setExportChoice(int piece, double width, double height, ExportSheet sheet) {
    view_.exportPiece = piece;
    view_.exportWidth = width;
    view_.exportHeight = height;
    view_.exportSheet = sheet;
}

void EditorSession::setExportFolder(const std::string& folder) {
    view_.exportFolder = folder;
}

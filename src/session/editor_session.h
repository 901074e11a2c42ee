#pragma once

#include "export/piece_outline.h"
#include "export/sheet_layout.h"
#include "former/cut_outline.h"
#include "former/following_former.h"
#include "former/former_model.h"
#include "session/changed.h"
#include "session/work.h"
#include "session/work_history.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The editor's session: the formers of the fuselage, the one being edited with its samples, how
// the work is seen, the undo history and the project file. It owns the work and its rules: every
// change a user makes is one of the edit functions below, which applies the rules of the work,
// records its own named undo step and says what changed; the windows only show it.
class EditorSession {
public:
    // Starts as the editor starts: one former "F1" at station 0, the initial former laid out on
    // a surface of this size (the axes cross at its middle) and sampled.
    explicit EditorSession(SurfaceSize surface = {});

    // The frame the formers are drawn in, for the whole session.
    const SurfaceSize& surface() const { return surface_; }
    // The edited former's work, whole (its points and pins included), and how it is seen.
    const Work& work() const { return work_; }
    const View& view() const { return view_; }
    EditorState state() const { return {surface_, work_, view_}; }
    // The edited former's samples, as the outline was last computed from the work, with the
    // handles, the control polygon and the axes the surface draws over it.
    const FormerModel& samples() const { return model_; }
    // The outline's drawing, in the order it is drawn (the outline, the doubling, the dots).
    const std::vector<DrawStep>& drawing() const { return drawing_; }
    // Its doubling is drawn: on, and a constant width its former can hold.
    bool doublingDrawn() const;
    // The whole project: every former (the edited one as it is now), and the view.
    ProjectState projectState() const;

    // The passing message of the last edit that told one (Changed::Status): what it did.
    const std::string& status() const { return status_; }
    // What stays true until the work or its view changes, each said in its own place of the
    // status bar ("" while it is not so).
    struct Lasting {
        std::string calibration; // a plan shows that the real scale does not measure
        std::string doubling;    // the doubling is on but not drawn, and why; notches left out
    };
    Lasting lasting() const;
    // The pointer reads real millimetres: no plan shows that the real scale does not measure
    // (otherwise it reads millimetres of the drawing).
    bool pointerInRealMm() const;
    // A point of the surface as the pointer reads it, from the axes (x right, y up).
    SurfacePoint pointerReading(double x, double y) const;

    // ---- undo steps ----
    // A gesture of the mouse (a press on the drawing or on a slider until its release): the
    // changes it makes of one kind are one step.
    void beginGesture();
    void endGesture();

    // ---- the former's settings ----
    Changed setSampleCount(int n, bool typed = false); // "Nbre de Points", or typed in its box
    Changed setOrder(int k);                           // "Résolution"
    Changed setDoublingOn(bool on);                    // "On / Off"
    Changed setDoublingScale(int e);                   // "Epaisseur", tenths of the former
    Changed setDoublingMode(DoublingMode mode);
    // "Largeur (mm)", real millimetres: "" or why the former cannot hold it (nothing changed).
    std::string setDoublingWidth(double mm, Changed& changed);
    Changed setJoint(AssemblyJoint joint); // "Assemblage"
    Changed setSlaved(bool slaved);        // "Mouvements asservis"
    Changed setMouseAction(MouseAction action);
    Changed setEndsOnAxis(bool on); // "Extrémités sur l'axe"
    // The 3-D part's dimensions: a press on the slider takes its value as the one applied, a
    // move applies the change against it (lastPartMove() says how the part moves).
    enum class Dimension { Thickness, Height, Width };
    Changed pressDimension(Dimension which);
    Changed moveDimension(Dimension which, int value);
    struct PartMove {
        float depth = 0.0f;  // the back layer pushed along the depth
        double height = 1.0; // the part scaled about its centre
        double width = 1.0;
    };
    const PartMove& lastPartMove() const { return partMove_; }

    // ---- the mouse on the drawing (millimetres of the surface, as the handlers take them) ----
    // A press picks the nearest handle of the set the mouse acts on; any button but the left
    // one pins or frees the former's point of that index.
    Changed press(int button, float x, float y);
    // A move with the left button held drags the point picked.
    Changed dragTo(float x, float y);
    // The point picked, in real millimetres from the axes (x right, y up), with its caption.
    SurfacePoint pickedPointReal() const;
    // A point of the surface in real millimetres from the axes.
    SurfacePoint realPoint(double x, double y) const;
    // The point picked typed in real millimetres: moved as a drag would move it to `pointer`
    // (surface mm), or "" and why not (the drawing cannot hold it at this scale).
    std::string typePoint(double x, double y, SurfacePoint& pointer, Changed& changed);

    // ---- the real size ----
    Changed setRealScale(double scale); // typed: not measured on the plan
    // Why two clicks cannot measure the plan ("" when they can).
    std::string calibrationRefusal(SurfacePoint a, SurfacePoint b) const;
    // The plan measured: two clicks (surface mm) and their real distance typed.
    std::string calibrate(SurfacePoint a, SurfacePoint b, double realMm, Changed& changed);

    // ---- the picture ----
    // A picture chosen (already read by the window): it starts at the initial pan and zoom, and
    // no calibration holds for it yet.
    Changed choosePicture(const std::string& path);
    Changed setPictureHoriz(int v);
    Changed setPictureVert(int v);
    Changed setPictureZoom(int v); // the plan at another size: its calibration no longer holds
    Changed setPictureShown(bool on);

    // ---- the view (no steps) ----
    Changed toggleControlPolygon(); // "Pointillés"
    Changed toggleSamplePoints();   // "Vue Points"
    Changed toggleHandles();        // "Poignées"
    Changed toggleAxes();           // "Axes On/Off"
    Changed toggleGrid();           // "Grille On/Off"
    Changed setTab(EditorTab tab);
    // The drawing's own view: its factor and the drawing's point at the surface's middle.
    void setDrawingView(double zoom, SurfacePoint centre);
    // The surface shows this many millimetres of the drawing (the window's size): the axes
    // span them. The former never changes with it.
    void setShownArea(double width, double height);
    Changed setView3D(const View& view); // the 3-D window's part of the view
    // What the export dialogs had last: the piece, the size typed, the sheet; the folder.
    void setExportChoice(int piece, double width, double height, ExportSheet sheet);
    void setExportFolder(const std::string& folder);
    void setExportDxfR12(bool r12); // "Version DXF" of both export dialogs

    // ---- the formers ----
    // Their names and stations in their order (the edited one's work as last recorded).
    const std::vector<std::shared_ptr<const Former>>& formers() const { return formers_; }
    int current() const { return current_; }
    // The list's operations, each one undo step named for the menu. False, with the French
    // reason in `why` and nothing changed, when refused; `changed` says what to show.
    bool addFormer(std::string& why, Changed& changed);              // "Nouveau"
    bool duplicateFormer(int i, std::string& why, Changed& changed); // "Dupliquer"
    bool renameFormer(int i, const std::string& name, std::string& why, Changed& changed);
    bool deleteFormer(int i, std::string& why, Changed& changed); // never the last one
    bool setStation(int i, double mm, std::string& why, Changed& changed);
    // Former i becomes the one edited: no step of its own.
    Changed selectFormer(int i);

    // ---- the stringers and slots of the whole fuselage (notch_edits.cpp) ----
    // "Lisses et encoches": cut into every former. Each change is one undo step, checked by the
    // table's own rule: false, with the French reason in `why` and nothing changed, when
    // refused. The status bar then names the notches left out, on every former.
    const NotchTable& notchTable() const { return notchTable_; }
    bool addStringer(const Stringer& stringer, std::string& why, Changed& changed);
    bool changeStringer(int i, const Stringer& stringer, std::string& why, Changed& changed);
    bool deleteStringer(int i, std::string& why, Changed& changed);
    // Puts the slot of its kind, or changes the one there is.
    bool setSlot(const Slot& slot, std::string& why, Changed& changed);
    bool deleteSlot(SlotKind kind, std::string& why, Changed& changed);
    // What the table offers to add next: the first free name of "L1", "L2"..., in the middle of
    // the widest stretch of the half outline between the stringers there are, 3 × 3 mm, on
    // both sides.
    Stringer nextStringer() const;
    // Former i's outline with the notches cut into it (the edited one as it is now), and the
    // notches left out.
    const CutOutline& formerCut(int i) const;
    const CutOutline& currentCut() const { return cut_; }
    // Every notch left out, former by former in their order.
    std::vector<NotchRefusal> notchRefusals() const;

    // ---- what the other windows and the files are given ----
    // A piece of the edited former at its real size (1 bottom, 2 top, 3 left, 4 right, 5 whole).
    PieceOutline realSizePiece(int piece) const;
    // Every former ticked (all when `ticked` is shorter) at its real size, whole or as its two
    // halves, laid out on the sheets.
    SheetLayout sheetLayout(const std::vector<bool>& ticked, bool halves,
                            const SheetOptions& sheet) const;
    // Each former of the fuselage sampled, at its station and real size (valid until the next
    // edit).
    struct SampledFormer {
        const FormerModel* samples = nullptr;
        const Work* work = nullptr;
        std::string name;
        double station = 0.0;
        bool current = false;
        bool doublingDrawn = false;
        double unitMm = 0.0;             // real millimetres of a profile unit
        const CutOutline* cut = nullptr; // its notches
    };
    std::vector<SampledFormer> fuselage() const;

    // ---- the fuselage's side and top views, and the formers that follow them ----
    // (fuselage_edits.cpp) Each edit is one undo step; the formers that follow are computed
    // again with every step that changes a curve, a key former or a station.
    const FuselageWork& fuselageWork() const { return *fuselage_; }
    const SampledViews& curves() const { return curves_; }
    // A curve's control points given whole (real mm): "" or why they are refused, and then
    // nothing changed.
    std::string setCurve(CurveKind kind, const std::vector<CurvePoint>& points, Changed& changed);
    // A point of a curve dragged to (station, value): its station stops short of its
    // neighbours'. A step of the gesture in progress.
    Changed dragCurvePoint(CurveKind kind, int index, double station, double value);
    // Its coordinates typed: "" or why not (a station that would pass a neighbour's).
    std::string typeCurvePoint(CurveKind kind, int index, CurvePoint at, Changed& changed);
    // A double click on the curve adds a point at `station` (index: where it went).
    std::string addCurvePoint(CurveKind kind, double station, int& index, Changed& changed);
    std::string removeCurvePoint(CurveKind kind, int index, Changed& changed);
    // "Courbes par les couples": the curves passed through every former's measure.
    std::string fitCurves(Changed& changed);

    // The plan's two views under the drawings.
    enum class PlanView { Side, Top }; // "Vue de côté", "Vue de dessus"
    const PlanPicture& planPicture(PlanView view) const;
    // A picture chosen (already read by the window, `height` pixels high): 1 mm a pixel, its
    // left edge at station 0 and its middle on the datum.
    Changed choosePlanPicture(PlanView view, const std::string& path, int height);
    // Its placement typed: "" or why not.
    std::string placePlanPicture(PlanView view, double left, double top, double mmPerPixel,
                                 Changed& changed);
    // Moved by a drag of (dStation, dValue) real mm: a step of the gesture.
    Changed movePlanPicture(PlanView view, double dStation, double dValue);
    // Two clicks on it (the drawing's real mm as it lies now) and their real distance: it is
    // scaled about the first click. "" or why not.
    std::string calibratePlanPicture(PlanView view, CurvePoint a, CurvePoint b, double realMm,
                                     Changed& changed);

    // A former's line dragged along the fuselage: a step of the gesture.
    Changed dragStation(int i, double mm);
    // "Suit": former i follows the fuselage or keeps its own shape (a key former).
    bool setFollows(int i, bool follows, std::string& why, Changed& changed);
    // Why former i does not follow, or would not ("" when it does or could).
    std::string followRefusal(int i) const;
    // What former i measures from its sampled outline (real mm); none for an empty outline.
    std::optional<FormerMeasure> measure(int i) const;
    // How far it departs from the curves at its station.
    Departures departures(int i) const;
    // What computing the followers again changed since the windows last asked: they show it
    // with the edit that set it off.
    Changed takeFollowed();
    void setFuselageWindowShown(bool shown); // the view: no step

    // ---- undo and redo ----
    const WorkHistory& history() const { return history_; }
    // Takes the last step back or does the next one again: the formers of that step come back,
    // the view stays but for the handles of the set the mouse acts on.
    Changed undo();
    Changed redo();
    // The steps start afresh from the present work (start-up, a project opened).
    void startHistory();
    // Tells when the history changed (the menu's captions).
    void onHistoryChanged(std::function<void()> told) { history_.changed = std::move(told); }

    // Puts a state of the edited former into the session (another window's state, a test's):
    // false, and nothing changed, when it holds another former than the model's.
    bool show(const EditorState& state);

    // ---- the project file ----
    const std::string& projectFile() const { return projectFile_; }
    // True while the work differs from what the project file holds; the view never counts, nor
    // which former is being edited.
    bool modified() const;
    // Writes the project to path, aside and renamed: "" or the French reason.
    std::string saveProject(const std::string& path);
    struct Opening {
        bool ok = false;
        ProjectState state;
        std::string refusal;
    };
    Opening readProject(const std::string& path) const;
    // The project read becomes the session's, the steps started afresh from it.
    Changed open(const ProjectState& state, const std::string& path);

    // The names of the changes of the points: moved, pinned, freed.
    static std::string pointCaption(const Work& before, const Work& after);
    // The two works give a former the same shape: what a former that follows takes from its
    // nearest key former (points, pins, sampling, doubling, joint, real scale).
    static bool sameShape(const Work& a, const Work& b);

private:
    enum class Step {
        Own,     // a step of its own
        Key,     // a key or the wheel on a slider: merged with that slider's steps just before
        Gesture, // amends the step of the gesture in progress
    };
    // A slider's change: part of the gesture of its thumb, or a key step.
    Step slider() const { return gesture_ ? Step::Gesture : Step::Key; }
    // One named step of a change of the edited former.
    void record(const std::string& caption, Step kind);
    const Work& recordedWork() const;
    // The edited former's samples and drawing computed again from the work.
    void resample();
    // The outline changed: sampled again, and the 3-D part built anew on the thickness it has.
    void outlineChanged();
    Changed scaleChanged();
    // The rules of the work applied after an edit, and what they changed beside it.
    Changed keepRules();
    // The doubling's controls as the mode options and the doubling's handlers leave them.
    void modeDisplayed();
    void doublingFollowed();
    // The mouse acts on this set: its handles show, the other set's hide.
    void mouseActs(MouseAction action);
    // The model's points taken into the work (after a drag, a pin, a placement).
    void storePoints();
    Changed say(std::string message);
    // The edited former's notches cut again from its samples (and its drawing with them); the
    // notches it leaves out are said for as long as they are (see lasting()).
    void recut();
    // "L3 traverse le doublage de F4": the edited former's notches left out, "" if none.
    std::string notchesLeftOut() const;
    // One change of the table: checked, recorded as one step, its refusals told.
    bool changeTable(const NotchTable& table, const std::string& caption, std::string& why,
                     Changed& changed);
    std::string formerName(int i) const;
    void sync();
    ProjectWork snapshot();
    void showCurrent();
    Changed showWork(const ProjectWork& work);
    bool nameTaken(const std::string& name) const;
    std::string freeName(const std::string& base, const std::string& suffix) const;
    bool validIndex(int i, std::string& why) const;

    SurfaceSize surface_;
    FormerModel model_;
    std::vector<DrawStep> drawing_;
    Work work_;
    View view_;
    std::string status_;
    PartMove partMove_;
    std::vector<std::shared_ptr<const Former>> formers_;
    int current_ = 0;
    mutable std::vector<FormerModel> fuselageSamples_;
    NotchTable notchTable_;
    CutOutline cut_; // the edited former's notches
    // The other formers' notches, by the former they were cut from (kept alive by it), for the
    // table they were cut with.
    struct CutEntry {
        std::shared_ptr<const Former> former;
        std::shared_ptr<const CutOutline> cut; // stays where it is while the entry lives
    };
    mutable std::vector<CutEntry> cuts_;
    mutable NotchTable cutsTable_;
    WorkHistory history_;
    ProjectWork recorded_;
    bool gesture_ = false;
    bool gestureStep_ = false; // the gesture's step was made, and is the last one
    std::string projectFile_;
    ProjectWork saved_; // what the project file holds

    // ---- the fuselage (fuselage_edits.cpp) ----
    Changed changeFuselage(FuselageWork next); // the curves sampled again when they changed
    void takeFuselage(std::shared_ptr<const FuselageWork> fuselage);
    void keepFollowing(); // before a step: a follower's shape edited makes it a key former
    void refollow();      // the followers computed again where their inputs changed
    const KeyShapes& keyShapes() const;
    // A former's outline sampled, kept while the former stays the same (the edited one's is the
    // session's own samples).
    const FormerModel& sampledFormer(std::size_t i) const;
    std::shared_ptr<const FuselageWork> fuselage_ = std::make_shared<const FuselageWork>();
    SampledViews curves_;
    struct SampledEntry {
        std::shared_ptr<const Former> of;
        FormerModel model;
    };
    mutable std::vector<SampledEntry> sampled_;
    // The key formers' shapes, and what they were made of.
    mutable struct KeyCache {
        std::vector<Former> keys;
        std::vector<FormerModel> models;
        std::unique_ptr<KeyShapes> shapes;
        unsigned version = 0;
    } keyCache_;
    // Each follower's inputs when last placed: its box at its station and the keys' version.
    struct FollowedEntry {
        std::shared_ptr<const Former> of;
        double box[3] = {};
        unsigned keys = 0;
        FollowStatus status;
    };
    std::vector<FollowedEntry> followed_;
    Changed followedChanged_ = Changed::None;
    std::string followTold_; // the followers' trouble last told
};

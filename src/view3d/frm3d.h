#pragma once

#include "engine3d/engine.h"
#include "engine3d/error_sink.h"
#include "view3d/fuselage_scene.h"
#include "view3d/qimage_canvas.h"
#include "view3d/redraw_flag.h"
#include "view3d/scene.h"

#include "session/work.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

class Frm3DPicture;
class QGroupBox;
class QToolButton;

// How the 3-D window shows the part: the piece, the way it is drawn and lit, the orbit camera
// and whether the window shows at all.
struct View3DSettings {
    bool shown = true;
    ViewPiece piece = ViewPiece::Whole;
    RenderMode renderMode = RenderMode::WireFrame;
    bool specular = false;
    bool attenuation = false;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float distance = 370.0f;
    bool fuselage = false; // "Vue Fuselage": every former at its station
    // "Vue Fuselage"'s own orbit, once it has been seen (until then its first showing fits it).
    bool fuselageOrbitKept = false;
    float fuselageYaw = 0.0f;
    float fuselagePitch = 0.0f;
    float fuselageDistance = 370.0f;
    friend bool operator==(const View3DSettings&, const View3DSettings&) = default;
};

// The former's 3-D part as built, in model space, for those who look at it from outside.
struct PartMesh {
    int index = 0; // the engine's mesh slot, 0 while not built
    int vertexCount = 0;
    int faceCount = 0;
    std::vector<Vector3> vertices;
};

// The 3-D window "Assemblage": it owns the engine with its current camera and light, the scene,
// the orbit camera driven by the mouse, the view and piece buttons, and the render loop. It
// shows the former's part or, with "Vue Fuselage", every former of the project along the
// fuselage, drawn by an engine of its own with larger pools, made when first needed. The
// editor sees it through the narrow face below; nothing outside it touches its engines.
//
// The render loop is event driven: setting Redraw3D schedules one pass on the event loop, a
// burst of requests before that pass gives one frame, and nothing runs while nothing changes.
// The window learns what to build and show from the editor through the callbacks below.
class Frm3D : public QWidget {
    Q_OBJECT

public:
    // Picture1's size at design, in pixels.
    static constexpr int kDesignWidth = 480;
    static constexpr int kDesignHeight = 400;

    // The flag is the editor's; it must outlive the window. Loading happens here.
    explicit Frm3D(RedrawFlag& Redraw3D, QWidget* parent = nullptr);

    // ---- what the editor hands it ----
    // The part's dimensions, doubling and samples (copied: the spans need only last the call);
    // RebuildFormerMesh builds from the last ones handed.
    void setPart(const SceneInput& in);
    const SceneInput& part3D() const { return part_; }
    // "Axes On/Off" and "Grille On/Off", read by every frame.
    void setToolbarTags(const ToolbarTags& tags);
    const ToolbarTags& toolbarTags() const { return tags_; }
    // Shows an engine error; while empty, the critical "Error" message box does. Errors are
    // shown from the event loop, never from inside a frame or a build.
    std::function<void(int code, const QString& text)> errorPresenter;

    // ---- the editor's face of it ----
    View3DSettings viewSettings() const;
    // Shows the part, or the fuselage, as the settings say (the piece takes effect at the next
    // build).
    void applyViewSettings(const View3DSettings& settings);
    // The thickness ("Ep.:") the part was last built (or rebuilt in place) with, which it is
    // centred on; 0 while there is no part.
    int builtThickness() const;
    // The dimension sliders move the part's vertices: the thickness pushes the back layer along
    // z, height and width scale it about its centre.
    void shiftBackLayer(float delta);
    void scalePartHeight(double ratio);
    void scalePartWidth(double ratio);
    PartMesh part() const;
    // The project's formers for the fuselage view. The current one (the first marked) is read
    // from sceneInput() like the single part, not from its `input`, and its band follows every
    // RebuildFormerMesh and dimension move; the others are built from their inputs, whose spans
    // need only last the call. Until this is called the fuselage is the current former alone.
    void setFuselage(std::span<const FuselageFormer> formers);
    // Whether the window shows the fuselage ("Vue Fuselage", pb1(6)) instead of the single part.
    // Each view keeps its own orbit; the render mode is the same for both. The piece buttons
    // wait while the fuselage shows (it shows whole formers).
    bool fuselageShown() const { return fuselageShown_; }
    // The formers changed as a whole (another one edited, one added or removed): the current
    // band no longer follows the part until the formers are given again (the bands of those
    // that stay the same are kept, the others placed or built anew).
    void forgetFuselage() { fuselageBuilt_ = false; }
    void showFuselage(bool on);
    // The window's own numbers of a piece (View_Piece) and of a render mode.
    static int pieceNumber(ViewPiece piece);
    static int renderModeNumber(RenderMode mode);
    // Read-only looks inside, for the window's own tests.
    const Engine& engineState() const { return engine; }
    const Scene& sceneState() const { return scene; }

    // The place the last run left the window in (saveGeometry's): it goes back there, and
    // keeps it against the resizes that only bring it its size; a resize of the user's takes it
    // to the corner again. False when the place cannot be read.
    bool restorePlace(const QByteArray& geometry);

    // ---- handlers and routines, under the system's own names ----
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void pb1_Click(int Index);
    void pb2_Click(int Index);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_KeyUp(int KeyCode);
    void SetupScene();
    // The scene's rebuild, then the surface cleared on a new mesh and Redraw3D set.
    void RebuildFormerMesh(int mode);

    // ---- the render loop ----
    bool renderLoopRunning() const { return loopRunning_; }
    // Draws the frame now when one is due (Redraw3D set), whether or not the loop runs yet.
    void drawPendingFrame();

    // ---- controls ----
    // The 3-D surface: shows the part; dragging with the left button turns it, with the right
    // button moves it nearer or farther.
    Frm3DPicture* Picture1 = nullptr;
    QGroupBox* Frame1 = nullptr; // the frame of the piece buttons pb2
    // The view buttons along the top, 1..5 ("Vue Surface", "Vue Filaire", "VueTransparent",
    // "Vue Silhouette", "Vue Solide"): how the part is drawn; and 6 ("Vue Fuselage"), checked
    // while the fuselage shows; nullptr for other indices.
    QToolButton* pb1(int index) const;
    // The piece buttons in Frame1, 0..4 ("Couple Entier", "Couple Gauche", "Couple Droit",
    // "Couple Supérieur", "CoupleInférieur"): which piece is shown; nullptr for other indices.
    QToolButton* pb2(int index) const;

signals:
    // A frame was drawn.
    void frameDrawn();
    // The user changed how the window shows its part (a view or piece button, the orbit, the
    // fuselage): viewSettings() says how it shows it now.
    void viewChanged();
    // The fuselage is about to show: the editor hands the project's formers (setFuselage).
    void fuselageWanted();
    // Says what the fuselage leaves out, once each time that changes: its engine shows no error
    // box, what does not fit is told in words (the editor's status bar).
    void leftOutTold(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend struct Frm3DTestAccess; // the window's own tests plant engine errors and orbit values

    // Queues the engine's errors and shows them once the current work is done.
    class WindowErrorSink final : public ErrorSink {
    public:
        explicit WindowErrorSink(Frm3D& window) : window_(window) {}
        void EngineError(int code) override;

    private:
        Frm3D& window_;
    };

    struct Orbit {
        float yaw = 0.0f;
        float pitch = 0.0f;
        float distance = 370.0f;
    };

    void createControls();
    // Fits the orbit shown, the fuselage's, to the fuselage's length.
    void fitFuselageOrbit();
    // The fuselage's engine with its camera and light, made on first need.
    Engine& fuselageEngine();
    void buildFuselage(std::span<const FuselageFormer> formers);
    static int largestCurrentIntervals();
    // The current band was moved in place by a slider: it is placed again when next given.
    void currentBandMoved();
    void tellFormersLeftOut();
    bool fuselageFollowsSliders() const;
    void scheduleFrame();
    void renderPass();
    void drawFrame();
    void showErrors();

    // ---- state ----
    SceneInput part_;
    OwnedOutline partOutline_; // what part_'s spans show
    ToolbarTags tags_;
    Engine engine;
    Scene scene;
    int currentCamera = 0;
    int currentLight = 0;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float distance = 370.0f;
    float rotationSensitivity = 0.01f;
    float zoomSensitivity = 1.0f;
    int lastX = 0;
    int lastY = 0;
    bool placing_ = false; // a place given back is being applied
    QRect heldPlace_;      // the place given back, while the window keeps it
    int View_Piece = 1;
    int builtThickness_ = 0;

    // The fuselage view: an engine of its own with larger pools, its scene, camera and light.
    // yaw, pitch and distance above are the orbit of the view shown; the other view's waits
    // here.
    std::unique_ptr<Engine> fuselageEngine_;
    FuselageScene fuselage_;
    int fuselageCamera_ = 0;
    int fuselageLight_ = 0;
    bool fuselageBuilt_ = false;
    bool fuselageShown_ = false;
    bool fuselageSeen_ = false; // shown once: its orbit has been fitted to its length
    Orbit hiddenOrbit_;
    NullErrorSink fuselageErrors_; // what does not fit is told by tellFormersLeftOut()
    std::string toldLeftOut_;

    RedrawFlag& Redraw3D;
    WindowErrorSink windowSink_{*this};
    CollapsingErrorSink errorSink_{windowSink_};
    std::vector<int> pendingErrors_;
    bool errorsScheduled_ = false;
    bool loopRunning_ = false;
    bool framePending_ = false;
    std::map<int, QToolButton*> pb1_;
    std::map<int, QToolButton*> pb2_;
    std::unique_ptr<QImageCanvas> canvas_;
};

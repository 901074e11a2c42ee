#pragma once

#include "former/fuselage_curves.h"
#include "former/notches.h"

#include <cstddef>
#include <string>
#include <vector>

// The editor's state as plain values, split once and for all by what a change of it means:
// the work is what the user shapes (a change of it is an undo step and marks the project
// modified), the view is how the work is looked at (saved with the project, never an undo step,
// never a modification). A field is one or the other by the type it sits in.

// A position on the drawing surface, in millimetres from its top-left corner, y downwards.
struct SurfacePoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const SurfacePoint&, const SurfacePoint&) = default;
};

// A control point of the former. Its handle and the control polygon's corner at it are kept
// apart from it: after start-up the end points sit on the axis while their handles do not,
// and a drag puts the handle's corner beside the pointer and the polygon's corner on it.
struct FormerPoint {
    SurfacePoint at;      // the control point the curve is sampled from
    SurfacePoint handle;  // top-left corner of its handle, where a press picks it
    SurfacePoint polygon; // the control polygon's corner at this point
    bool pinned = false;  // pinned: the outline runs straight through it
    // An end point pinned and unpinned since: its handle has lost its own colour for the red
    // of the other handles. Always false for the other points and while pinned.
    bool unpinned = false;
    friend bool operator==(const FormerPoint&, const FormerPoint&) = default;
};

enum class AssemblyJoint { None, Horizontal, Vertical }; // "Aucun", "Horizontal", "Vertical"
enum class MouseAction { Former, Doubling };             // "Couple", "Doublage"

// How the doubling's controls look. At start-up "Epaisseur" and "Mouvements asservis" can be
// used and the label reads "Mode Asservi" although the doubling is off; choosing "Non" first
// only updates the label; once the doubling has been switched or scaled, its controls follow it.
enum class DoublingControls { AsAtStartUp, LabelUpdated, FollowDoubling };

// How the slaved doubling follows the former: scaled towards its centre ("Proportionnel",
// "Epaisseur") or offset inwards by one width everywhere ("Largeur constante").
enum class DoublingMode { Proportional, ConstantWidth };

enum class ViewPiece { Whole, Left, Right, Top, Bottom }; // the piece buttons of "Assemblage"
enum class RenderMode { Surface, WireFrame, Transparent, Silhouette, Solid }; // view buttons
enum class EditorTab { Dessin, Masque };

// The range a whole-number setting takes, wherever it is set: its control and the project file.
struct IntRange {
    int min;
    int max;
    bool contains(int v) const { return v >= min && v <= max; }
};
inline constexpr IntRange kSampleCountRange{10, 100};     // "Nbre de Points"
inline constexpr IntRange kOrderRange{1, 9};              // "Résolution"
inline constexpr IntRange kDoublingScaleRange{1, 9};      // "Epaisseur", tenths
inline constexpr IntRange kThicknessRange{1, 120};        // "Ep.:"
inline constexpr IntRange kHeightRange{1, 100};           // "Haut.:"
inline constexpr IntRange kWidthRange{1, 100};            // "Larg.:"
inline constexpr IntRange kPictureHorizRange{0, 1300};    // "Horiz" at first
inline constexpr IntRange kPictureVertRange{-1000, 1500}; // "Vert" at first
inline constexpr IntRange kPictureZoomRange{-20, 200};    // "Zoom", percent
// "Horiz" and "Vert" widen with the picture so that every pixel of it can be brought under the
// axes: a project may hold any offset within these.
inline constexpr IntRange kPictureOffsetLimits{-10'000'000, 10'000'000};

// The drawing's own view ("Loupe"): from the whole surface up to this many times larger.
inline constexpr double kMaxViewZoom = 32.0;

// The constant width's smallest value, real millimetres (the largest depends on the former).
inline constexpr double kMinDoublingWidth = 0.5;
inline constexpr double kMaxDoublingWidth = 10000.0;

// The drawing's reach: no coordinate of a point, a handle or the control polygon lies farther
// than this many millimetres of the drawing from the surface's corner. What the mouse and the
// typed coordinates may make, the project file reads back.
inline constexpr double kDrawingReach = 1.0e6;

// The real scale's range, real millimetres per millimetre of the drawing.
inline constexpr double kMinRealScale = 0.001;
inline constexpr double kMaxRealScale = 1000.0;
// The real distance typed between a calibration's two clicks, in millimetres.
inline constexpr double kMinCalibrationDistance = 0.01;
inline constexpr double kMaxCalibrationDistance = 100000.0;

// The sheets a drawing is printed on, or a PDF made of.
enum class ExportSheet { A4Portrait, A4Landscape, A3Portrait, A3Landscape };

// What the user shapes: the former and its doubling, the sampling, the modes, the 3-D part's
// dimensions and the background picture chosen and placed under the drawing.
struct Work {
    static constexpr int kPointCount = 9; // control points 0..8 of the former and the doubling

    std::vector<FormerPoint> former;    // top to bottom of the right half
    std::vector<SurfacePoint> doubling; // the doubling's control points (and its handles)
    int sampleCount = 13;               // "Nbre de Points", samples per half outline
    int orderSlider = 4;                // "Résolution" as the slider shows it
    int orderInUse = 9;                 // the order the curve is sampled with
    bool doublingOn = false;            // "On / Off"
    int doublingScale = 5;              // "Epaisseur", tenths of the former's size
    bool slaved = true;                 // "Mouvements asservis": "Oui"
    DoublingControls doublingControls = DoublingControls::AsAtStartUp;
    DoublingMode doublingMode = DoublingMode::Proportional;
    double doublingWidth = 5.0; // "Largeur (mm)", real millimetres
    AssemblyJoint joint = AssemblyJoint::None;
    MouseAction mouseAction = MouseAction::Former;
    // "Extrémités sur l'axe": an end point dragged stays on the symmetry axis (it moves only up
    // and down), so the outline closes at the top and the bottom.
    bool endsOnAxis = false;

    // The 3-D part's dimensions: each slider's value and the value last applied to the part.
    struct Dimension {
        int value = 0;
        int applied = 0;
        friend bool operator==(const Dimension&, const Dimension&) = default;
    };
    Dimension thickness{5, 5}; // "Ep.:"
    Dimension height{60, 60};  // "Haut.:"
    Dimension width{50, 50};   // "Larg.:"
    // The thickness the 3-D part was last built with. A build centres the part; a thickness
    // move since then pushes its back face alone, so the part sits off centre until the next
    // build. (Height and width scale it about its centre and need no such memory.)
    int thicknessBuilt = 5;

    // The background picture: which file, and where it lies under the drawing.
    std::string picturePath;
    int pictureHoriz = 650; // "Horiz"
    int pictureVert = 70;   // "Vert"
    int pictureZoom = 80;   // "Zoom", percent

    // The former's real size: its drawing's geometry times this one scale, real millimetres per
    // millimetre of the drawing. Exports, printing, the pointer's readout and typed coordinates
    // use it; the 3-D part's "Haut.:" and "Larg.:" only shape the 3-D view.
    double realScale = 1.0;
    // The scale was measured on the plan ("&Calibrer le plan..."), and neither another picture
    // nor another "Zoom" has changed the plan's size on the drawing since.
    bool calibrated = false;

    friend bool operator==(const Work&, const Work&) = default;
};

// How the work is looked at: the toolbar's toggles, which handles show, the 3-D window's view,
// whether the picture shows, and the tab in front.
struct View {
    bool formerHandlesShown = true;    // "Poignées" and "Action Souris" hide or show them
    bool doublingHandlesShown = false; // shown while the mouse acts on the doubling

    // The toolbar's toggles.
    bool controlPolygonShown = true; // "Pointillés"
    bool samplePointsShown = true;   // "Vue Points"
    bool handlesHidden = false;      // "Poignées" (its next click shows the handles)
    bool axesOn = false;             // "Axes On/Off": the 3-D window's axes
    bool gridOn = false;             // "Grille On/Off": surface grid hidden, 3-D ground shown

    // The 3-D window "Assemblage".
    bool view3dShown = true;
    ViewPiece viewPiece = ViewPiece::Whole;
    RenderMode renderMode = RenderMode::WireFrame;
    bool specular = false;    // switched on by "Vue Surface", kept by the other views
    bool attenuation = false; // light attenuation and depth fog, likewise
    float yaw = 0.0f;         // the orbit camera, radians
    float pitch = 0.0f;
    float distance = 370.0f;
    bool fuselageShown = false; // "Vue Fuselage": every former at its station
    // "Vue Fuselage" has an orbit of its own, kept once it has been seen (its first showing fits
    // it to the fuselage's length).
    bool fuselageOrbitKept = false;
    float fuselageYaw = 0.0f;
    float fuselagePitch = 0.0f;
    float fuselageDistance = 370.0f;

    bool pictureShown = false; // "Image On/Off"
    EditorTab tab = EditorTab::Dessin;
    bool fuselageWindowShown = false; // the window "Fuselage"

    // The drawing's own view ("Loupe"): how many times larger than the whole surface it shows
    // the drawing (1: the whole surface), and the point of the drawing (surface millimetres)
    // at the middle of what it shows. The former, the picture's placement and the calibration
    // never depend on it.
    double viewZoom = 1.0;
    SurfacePoint viewCentre;

    // What the export dialog had last: the piece (its save code), the size typed (0: not
    // typed, the side follows), the sheet, and the folder the last drawing went to.
    int exportPiece = 5;
    double exportWidth = 0.0;
    double exportHeight = 0.0;
    ExportSheet exportSheet = ExportSheet::A4Portrait;
    std::string exportFolder;
    // "Version DXF" of both export dialogs: R12 (AC1009) rather than AutoCAD 2000. How the
    // work is written out, like the sheet and the folder: no change of the work.
    bool exportDxfR12 = false;

    friend bool operator==(const View&, const View&) = default;
};

// The drawing surface's size in millimetres at its design size: the frame the former is drawn
// in (the axes cross at its middle), whatever the window's size.
struct SurfaceSize {
    double width = 120.0;
    double height = 100.0;
    friend bool operator==(const SurfaceSize&, const SurfaceSize&) = default;
};

// The state of the former being edited: what the windows show.
struct EditorState {
    SurfaceSize surface;
    Work work;
    View view;
    friend bool operator==(const EditorState&, const EditorState&) = default;
};

// One former of the fuselage: its name ("F1", "F2", ...), its station (its place along the
// fuselage, real millimetres) and its whole work.
//
// A former that follows ("Suit") has its points and the settings that shape it computed from the
// key formers and the fuselage's curves. It is the former's relation to the fuselage, as its
// station is, not a setting of its work: the work it holds is what following made of it.
struct Former {
    std::string name;
    double station = 0.0;
    Work work;
    bool follows = false;
    friend bool operator==(const Former&, const Former&) = default;
};

// The longest name a former may have, in characters.
inline constexpr std::size_t kMaxFormerName = 40;
// Stations lie within this many real millimetres of the first.
inline constexpr double kMaxStation = 100000.0;

// A plan's view in the window "Fuselage": its picture and where it lies under the drawing, whose
// coordinates are real millimetres (stations to the right, heights or half-widths up).
struct PlanPicture {
    std::string path;  // none: no picture
    double left = 0.0; // the station of the picture's left edge
    double top = 0.0;  // the height (half-width) of its top edge
    double mmPerPixel = 1.0;
    bool calibrated = false; // measured by two clicks and a distance, and not scaled since
    friend bool operator==(const PlanPicture&, const PlanPicture&) = default;
};
inline constexpr double kMinMmPerPixel = 1.0e-4;
inline constexpr double kMaxMmPerPixel = 1.0e3;

// The fuselage drawn from its side and top views: the curves "Dos", "Ventre" and "Flanc", and the
// plan's two views traced under them. Part of the work: undone, saved, marks the project modified.
struct FuselageWork {
    FuselageViews curves;
    PlanPicture side; // "Vue de côté"
    PlanPicture top;  // "Vue de dessus"
    friend bool operator==(const FuselageWork&, const FuselageWork&) = default;
};

// Everything a project file holds: the formers in their order, the one being edited, the
// stringers and slots cut into every former, the fuselage's views, and how the work is seen.
struct ProjectState {
    SurfaceSize surface;
    std::vector<Former> formers; // never empty
    int current = 0;
    View view;
    NotchTable notches{}; // "Lisses et encoches", the same for the whole fuselage
    FuselageWork fuselage = {};
    friend bool operator==(const ProjectState&, const ProjectState&) = default;
};

#pragma once

#include "point_xyz.h"

#include <cstdint>
#include <string>
#include <vector>

// Colours as the toolkit-neutral triple used by the handles and the outline drawing.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colours {
inline constexpr Rgb Yellow{255, 255, 0};
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb Blue{0, 0, 255};
inline constexpr Rgb Green{0, 255, 0};
inline constexpr Rgb White{255, 255, 255};
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb Magenta{255, 0, 255};
inline constexpr Rgb Grey{128, 128, 128};
} // namespace colours

// A shape control inside Picture1 (a handle). Its control point is its top-left corner.
struct Handle {
    enum class Kind { Square, Circle, FilledSquare };
    Kind kind = Kind::Square;
    double Left = 0.0;
    double Top = 0.0;
    double Width = 1.3;  // mm
    double Height = 1.3; // mm
    std::string Tag;     // "1" while pinned (former handles only)
    bool Visible = true;
    Rgb BorderColor = colours::Red;
    int BorderWidth = 3; // pixels
};

// A line control inside Picture1 (control-polygon segment or axis).
struct LineItem {
    double X1 = 0.0;
    double Y1 = 0.0;
    double X2 = 0.0;
    double Y2 = 0.0;
    Rgb BorderColor = colours::Green;
    bool Visible = true;
    bool Dotted = false;
};

// The former being edited: control points, samples, parameters, and the geometry of the
// controls inside the drawing surface that show them (handles, control polygon, axes).
// The window owns one and passes it by reference; a test can build a fresh one.
struct FormerModel {
    int Der_Point = 8; // N, index of the last control point
    std::vector<PointXYZ> Pts_Couple;
    std::vector<PointXYZ> Pts_Doublage;
    int Nb_Points = 12;   // M, samples per half outline
    int Ordre_Spline = 9; // order k of the B-spline
    std::vector<PointXYZ> Courbe_Droite;
    std::vector<PointXYZ> Courbe_Gauche;
    std::vector<PointXYZ> Doublage_Droit;
    std::vector<PointXYZ> Doublage_Gauche;
    int Idx_Point = 0;
    float Rayon_X = 0.0105882f;
    float Rayon_Y = 0.0092924f;
    // The last outline's doubling of constant width found one inner outline: it is drawn and
    // cut. False after a width the former cannot hold (the doubling samples then lie on the
    // former's, and nothing of it is drawn).
    bool offsetDoublingWhole = true;
    // Why not, for the status bar ("" while whole).
    std::string offsetDoublingMessage;
    // The last offset computed and what it was computed from: a repaint right after a move
    // samples the same former again, and need not offset it twice.
    struct OffsetMemo {
        std::vector<PointXYZ> former;
        double X1 = 0.0;
        double width = 0.0;
        std::vector<PointXYZ> doubling; // empty: the offset was not one outline
        std::string message;
    } offsetMemo;

    std::vector<Handle> shppi;   // former handles 0..N
    std::vector<Handle> Shape1;  // doubling handles 0..N
    std::vector<LineItem> LinPi; // control polygon 0..N-1
    LineItem Line1;              // vertical symmetry axis, X1 = Line1.X1
    LineItem Line4;              // horizontal axis, Y1 = Line4.Y1

    FormerModel(); // handles, polygon and axes with their design look; points all zero

    double X1() const { return Line1.X1; }
    double Y1() const { return Line4.Y1; }

    // Resizes the four sample arrays to M entries, keeping the surviving ones.
    void resizeSamples(int m);
};

// What the outline construction is computed with: the doubling, its way and the joint, and
// whether the samples are dotted.
struct OutlineOptions {
    bool doublingOn = false; // "On / Off"
    // Above zero while slaved: the doubling is the former's outline offset inwards by this many
    // millimetres of the drawing ("Largeur constante") instead of the former scaled.
    double constantWidth = 0.0;
    int doublingScale = 5;         // "Epaisseur", 1..9: e = doublingScale / 10
    bool slaved = true;            // "Mouvements asservis": "Oui"
    bool vertical = false;         // "Assemblage": "Vertical"
    bool horizontal = false;       // "Assemblage": "Horizontal"
    bool samplePointsShown = true; // "Vue Points"
};

// One drawing step of DisegnaCurva, in drawing-surface millimetres.
struct DrawStep {
    enum class Kind { Dot, Line };
    Kind kind = Kind::Line;
    PointXYZ from; // for a Dot, the point
    PointXYZ to;
    Rgb colour;
    int width = 1; // pen width in pixels
};

// Lays out the initial rectangle-like former: handles, control polygon and Pts_Couple
// (steps 2 to 15 of the initial former; the menu captions are the window's business).
void Forme_Initiale(FormerModel& m);

// The computing half of DisegnaCurva: samples the former, applies the pinned-point rule,
// mirrors, builds the doubling and the assembly joint. When `drawing` is given, the
// drawing steps are appended to it in the order they are drawn (outline, doubling, dots);
// clearing the surface first is the caller's. M is Nb_Points: the four sample arrays are
// resized to it if they differ, and a joint that needs more samples than M is left out.
void DisegnaCurva(FormerModel& m, const OutlineOptions& o, std::vector<DrawStep>* drawing);

// Nearest handle of the former's set (couple = true) or of the doubling's set, in the
// 32-bit arithmetic of the handle search; ties resolve to the lowest index.
int Point_Proche(const FormerModel& m, bool couple, float x, float y);

// Places the doubling's handles and control points from the former's handles, scaled by
// e = doublingScale / 10 about the axes' intersection.
void PlaceDoubling(FormerModel& m, int doublingScale);

// Places the two axes for a drawing surface of the given outer size and inner (scale) height:
// the vertical axis at half the outer width from top to bottom, the horizontal one at half
// the inner height from the left edge to the right one.
void PlaceAxes(FormerModel& m, double outerWidth, double outerHeight, double innerHeight);

// Pts_Couple(i) = (Left, Top) of shppi(i) for every point (the start-up re-reads the handles
// after the initial former, which puts points 0 and N back on their handles' corners).
void CopyHandlesToPoints(FormerModel& m);

// Puts the top and bottom points back on the symmetry axis (last start-up step on the points).
void PutEndsOnAxis(FormerModel& m);

// True when interior point i is pinned (its handle's Tag is "1").
bool IsPinned(const FormerModel& m, int i);

// One mouse move with the left button held, model half: clamps x to the symmetry axis, then
// moves the picked handle Idx_Point of the former (couple) or of the doubling and what follows
// it (control polygon, control point, and while slaved the doubling's point and samples).
// The doubling scale e = doublingScale / 10. Returns the x actually used (after the clamp).
// An Idx_Point outside 0..N moves nothing.
double DragStep(FormerModel& m, bool couple, bool slaved, int doublingScale, float x, float y);

// Pins or unpins the former's point idx (its handle's Tag and border colour: white while
// pinned, red otherwise). Returns true when the point is now pinned; an index outside 0..N
// changes nothing and returns false.
bool TogglePin(FormerModel& m, int idx);

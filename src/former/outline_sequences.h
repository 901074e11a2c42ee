#pragma once

#include "point_xyz.h"

#include <optional>
#include <span>
#include <vector>

// The former's outline as ordered point lists in output units, for the five pieces a user can
// export or show in 3-D. Only the sample arrays are read; nothing here changes the model.

// What the sequences read from the former model. Views only, so the window hands over its
// model without copying; the arrays must outlive the call.
struct OutlineInput {
    std::span<const PointXYZ> Courbe_Droite;
    std::span<const PointXYZ> Courbe_Gauche;
    std::span<const PointXYZ> Doublage_Droit;
    std::span<const PointXYZ> Doublage_Gauche;
    int Nb_Points = 0;  // N: every curve array is read at indices 0..N-1
    double Y1 = 0.0;    // Line4.Y1, the horizontal axis (read as a single-precision float)
    int doublingOn = 0; // the inner outline counts only at 1: the doubling is drawn
    // The former's halves with their notches cut (cut_outline.h), in the drawing's millimetres
    // as the samples are, the left one mirrored to the left of the axis, each with the index
    // where it splits into its top and its bottom (sample M's, or the first one kept after it).
    // Empty while no notch is cut: the outline is then the samples. The doubling is never cut.
    std::span<const PointXYZ> cutRight{};
    std::span<const PointXYZ> cutLeft{};
    int cutRightMiddle = 0;
    int cutLeftMiddle = 0;
    bool cut() const { return !cutRight.empty() && !cutLeft.empty(); }
};

enum class Piece { Bottom, Top, Left, Right, Whole };

// The export numbers the pieces 1 bottom, 2 top, 3 left, 4 right, 5 whole.
std::optional<Piece> pieceFromSaveCode(int code);
// The 3-D window numbers them 1 whole, 2 top, 3 bottom, 4 left, 5 right.
std::optional<Piece> pieceFromViewPiece(int View_Piece);

// One output unit is 52.389 drawing units, but the divisor is the double that 86.52 - 34.131
// gives (52.388999999999996, one step below the double nearest to 52.389): files written so
// far were computed with it, so it must not be "tidied" into a literal.
inline constexpr double outputUnit = 86.52 - 34.131;

// M = floor((N - 1) / 2), the middle sample where the halves start and end.
int middleIndex(int nbPoints);

// How a run treats a point lying exactly on the horizontal axis: the right-side runs lift it
// by one drawing unit (a cutting program would otherwise see a zero height), the others don't.
enum class ZeroHeight { Plain, Nudge };

struct OutlinePoint {
    double x = 0.0; // from the left edge of the drawing surface
    double y = 0.0; // height above the horizontal axis, negative below it
};

OutlinePoint toOutputUnits(const PointXYZ& p, double Y1, ZeroHeight rule);

struct SequencePoint {
    double x = 0.0;
    double y = 0.0;
    bool junction = false; // L[M] where the left side meets the start again (export only)
    bool present = true;   // false when the array is shorter than N: x and y are then 0
    bool inner = false;    // a point of the doubling's runs
    bool lifted = false;   // on the horizontal axis, lifted by one drawing unit (nudge rule)
};

// The points of `piece` in run order, without the export's junction rule and closing line.
// `out` is overwritten (its capacity is reused). Nothing is produced when N < 1.
void outlineSequence(const OutlineInput& in, Piece piece, std::vector<SequencePoint>& out);
std::vector<SequencePoint> outlineSequence(const OutlineInput& in, Piece piece);

// The number of points of the whole former's sequence: 2N + 2, twice that with the doubling,
// and as many more as the notches cut into the outer halves add.
int wholeSequenceLength(const OutlineInput& in);

// Re-creates Outline_3D with rows 0..8*N (more when notches add points), all zero, stores the
// piece's points from row 0 on (x, y; z stays 0) and fills every later row with the first point,
// for the whole former too, so the 3-D band never runs back to the origin. A point whose array is
// too short leaves its row at zero. Any View_Piece other than 1..5 leaves the table all zero.
// Returns the number of rows that hold the piece's points (before the fill).
int Build_Outline_3D(const OutlineInput& in, int View_Piece, std::vector<PointXYZ>& Outline_3D);

#pragma once

#include "outline_sequences.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A piece of the former at its real size, in millimetres, ready to be cut out: x from the
// vertical axis (right positive), y from the horizontal axis (up positive).

struct MmPoint {
    double x = 0.0;
    double y = 0.0;
};

// One closed outline: the last point joins the first, and no two neighbours coincide.
struct PiecePath {
    std::vector<MmPoint> points;
    bool doubling = false; // the doubling's outline, inside the former's
};

struct PieceOutline {
    std::vector<PiecePath> paths; // the former's outline first, then the doubling's
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    std::string error; // French reason when there is nothing to cut; paths are then empty
    bool ok() const { return error.empty(); }
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
};

// "Couple Entier", "1/2 couple Gauche", ...: the piece as the 3-D window and the menus name it.
std::string_view pieceName(Piece piece);

// The outline of `piece` in the order of the profile file, scaled to millimetres: mmPerUnitX
// and mmPerUnitY are what the 3-D part multiplies the profile's units by (twice "Larg.:" and
// twice "Haut.:"), X1 the vertical axis on the drawing surface. The profile's repeated points
// are merged, every run is closed (a half former along its axis), and a point on the
// horizontal axis stays on it: the profile's one-unit lift would be millimetres off at real
// size. The doubling, when it is on, is a second closed path.
PieceOutline pieceOutline(const OutlineInput& in, Piece piece, double X1, double mmPerUnitX,
                          double mmPerUnitY);

// Scales the piece about the axes so that it measures `width` by `height` millimetres. A
// missing value follows the other, proportions kept; both missing keep the size. Refuses, with
// a French reason, a size that is not a positive number and a piece that has no extent along
// a direction it must be stretched in.
PieceOutline resizedPiece(PieceOutline piece, std::optional<double> width,
                          std::optional<double> height);

// Some edge of the outline lies in the box or crosses it (its sides included).
bool outlineMeetsBox(const PieceOutline& o, double left, double bottom, double right, double top);

// "108,25": millimetres for the user, two decimals, a decimal comma.
std::string frenchMillimetres(double mm);
// "Couple Entier, 108,25 × 161,40 mm": the piece and its size, as titles show it.
std::string pieceCaption(Piece piece, const PieceOutline& outline);

// The drawing as an SVG file: its width and height in millimetres, a viewBox in millimetres
// fitting the outline, y turned downwards, one path per closed outline, hairline black, no fill.
std::string pieceSvg(const PieceOutline& outline, std::string_view title);

// The DXF versions written: AutoCAD 2000 (AC1015), and R12 (AC1009) for the many laser and CAM
// programs that read nothing newer; R12 has no LWPOLYLINE, so its outlines are POLYLINEs.
enum class DxfVersion { AutoCad2000, R12 };

// The drawing as an ASCII DXF file in millimetres: one closed polyline per outline, the former
// on layer "COUPLE", the doubling on layer "DOUBLAGE".
std::string pieceDxf(const PieceOutline& outline, DxfVersion version = DxfVersion::AutoCad2000);

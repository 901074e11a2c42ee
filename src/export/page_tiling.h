#pragma once

#include "piece_outline.h"

#include <string>
#include <string_view>
#include <vector>

// The sheets a piece is printed on at 1:1. A piece that fits one sheet with its caption is
// centred on it, its caption and the 10 mm check square under it. A larger piece is shared
// among several sheets: each shows a window of the piece, the windows of neighbours overlap by
// 10 mm so that the sheets can be glued edge on mark, and each sheet carries its label, cut
// marks and a check square in its margins, outside the window.
//
// Labels read like a spreadsheet's cells: the letter is the column, from A on the left, the
// number the row, from 1 at the top; "B1" is right of "A1", "A2" under it.

enum class Sheet { A4Portrait, A4Landscape, A3Portrait, A3Landscape };

struct SheetSize {
    double width = 0.0; // mm
    double height = 0.0;
};

SheetSize sheetSize(Sheet sheet);
// "A4 portrait", "A4 paysage", "A3 portrait", "A3 paysage".
std::string_view sheetName(Sheet sheet);

// The page's measures, in millimetres.
inline constexpr double kPageMargin = 10.0;  // around everything
inline constexpr double kCaptionGap = 6.0;   // between the piece and its caption
inline constexpr double kCaptionLine = 6.0;  // per caption line
inline constexpr double kCheckSquare = 10.0; // the check square's side
inline constexpr double kTileOverlap = 10.0; // shared by neighbouring windows
inline constexpr double kTileStrip = 24.0;   // under a window: marks, label, square, map
inline constexpr int kMaxPages = 25;         // more is no longer a drawing to glue together

// What a single page needs under the piece: the caption's lines and the check square.
double captionHeight(int captionLines);

struct PageTile {
    int column = 0; // from 0 on the left
    int row = 0;    // from 0 at the top
    std::string label;
    // The piece's millimetres (x right, y up) at the window's top-left corner.
    double left = 0.0;
    double top = 0.0;
};

struct PageTiling {
    SheetSize sheet;
    bool single = true; // one page laid out around the piece; the fields below are for tiles
    int columns = 1;
    int rows = 1;
    // The window on every sheet, from the sheet's top-left corner.
    double windowLeft = 0.0, windowTop = 0.0, windowWidth = 0.0, windowHeight = 0.0;
    std::vector<PageTile> tiles; // row by row; one for a single page; none when refused
    std::string error;           // the French refusal
    bool ok() const { return error.empty(); }
};

// The sheets for `outline` at 1:1 on sheets of `sheet`, with `captionLines` lines of caption
// on a single page. Refused, with a French message giving the piece's and the sheet's sizes,
// when it would take more than kMaxPages sheets; the message calls the piece `subject`
// ("La pièce", "La plaque": a feminine noun).
PageTiling tilePiece(const PieceOutline& outline, SheetSize sheet, int captionLines,
                     std::string_view subject = "La pièce");

// Leaves out the windows of a shared piece on which no outline of `parts` falls (none of its
// edges crosses the window or lies in it; one that only touches its edge does not count): a
// page with nothing to cut is not printed. The others keep their places and labels, so that
// the neighbours' marks and the assembly map still tell where each goes. A single page stays.
void dropEmptyTiles(PageTiling& tiling, const PieceOutline& parts);

// The window at that column and row, or none (outside the grid, or left out).
const PageTile* tileAt(const PageTiling& tiling, int column, int row);

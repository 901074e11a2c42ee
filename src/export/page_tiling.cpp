#include "page_tiling.h"

#include "decimal_text.h"

#include <algorithm>
#include <cmath>

namespace {

// Windows needed along one direction: the first shows `room`, each further one `room` less
// the overlap. A hair is given back so that a piece of exactly two windows takes two.
double windowsAlong(double length, double room) {
    if (length <= room)
        return 1.0;
    return std::ceil((length - kTileOverlap) / (room - kTileOverlap) - 1e-9);
}

std::string sheetMm(SheetSize s) {
    return frenchNumber(s.width) + " × " + frenchNumber(s.height) + " mm";
}

} // namespace

SheetSize sheetSize(Sheet sheet) {
    switch (sheet) {
    case Sheet::A4Portrait:
        return {210.0, 297.0};
    case Sheet::A4Landscape:
        return {297.0, 210.0};
    case Sheet::A3Portrait:
        return {297.0, 420.0};
    case Sheet::A3Landscape:
        break;
    }
    return {420.0, 297.0};
}

std::string_view sheetName(Sheet sheet) {
    switch (sheet) {
    case Sheet::A4Portrait:
        return "A4 portrait";
    case Sheet::A4Landscape:
        return "A4 paysage";
    case Sheet::A3Portrait:
        return "A3 portrait";
    case Sheet::A3Landscape:
        break;
    }
    return "A3 paysage";
}

double captionHeight(int captionLines) {
    return kCaptionGap + captionLines * kCaptionLine + 2.0 + kCheckSquare;
}

PageTiling tilePiece(const PieceOutline& outline, SheetSize sheet, int captionLines,
                     std::string_view subject) {
    PageTiling t;
    t.sheet = sheet;
    const double w = outline.width();
    const double h = outline.height();
    const std::string pieceMm = std::string(subject) + " mesure " + frenchMillimetres(w) + " × " +
                                frenchMillimetres(h) + " mm";
    // 1. One page, as long as the piece and its caption fit.
    if (w <= sheet.width - 2 * kPageMargin &&
        h <= sheet.height - 2 * kPageMargin - captionHeight(captionLines)) {
        t.windowWidth = w;
        t.windowHeight = h;
        t.tiles.push_back({0, 0, "A1", outline.minX, outline.maxY});
        return t;
    }
    // 2. Windows of the same size on every sheet, overlapping by kTileOverlap.
    t.single = false;
    t.windowLeft = kPageMargin;
    t.windowTop = kPageMargin;
    t.windowWidth = sheet.width - 2 * kPageMargin;
    t.windowHeight = sheet.height - 2 * kPageMargin - kTileStrip;
    if (!(t.windowWidth > 2 * kTileOverlap && t.windowHeight > 2 * kTileOverlap)) {
        t.error = pieceMm + " : la page de " + sheetMm(sheet) +
                  " est trop petite pour la partager entre plusieurs pages.";
        return t;
    }
    const double columns = windowsAlong(w, t.windowWidth);
    const double rows = windowsAlong(h, t.windowHeight);
    if (!(columns * rows <= kMaxPages)) {
        const std::string pages =
            std::isfinite(columns * rows) ? frenchNumber(columns * rows) : "trop de";
        t.error = pieceMm + " : à l'échelle 1:1 elle demanderait " + pages + " pages de " +
                  sheetMm(sheet) + ", plus que les " + std::to_string(kMaxPages) +
                  " permises. Choisissez une page plus grande ou une taille plus petite.";
        return t;
    }
    t.columns = static_cast<int>(columns);
    t.rows = static_cast<int>(rows);
    // 3. The piece centred on what the windows cover together.
    const double coverW = t.columns * (t.windowWidth - kTileOverlap) + kTileOverlap;
    const double coverH = t.rows * (t.windowHeight - kTileOverlap) + kTileOverlap;
    const double left = outline.minX - (coverW - w) / 2.0;
    const double top = outline.maxY + (coverH - h) / 2.0;
    for (int r = 0; r < t.rows; ++r) {
        for (int c = 0; c < t.columns; ++c) {
            t.tiles.push_back({c, r,
                               std::string(1, static_cast<char>('A' + c)) + std::to_string(r + 1),
                               left + c * (t.windowWidth - kTileOverlap),
                               top - r * (t.windowHeight - kTileOverlap)});
        }
    }
    return t;
}

void dropEmptyTiles(PageTiling& tiling, const PieceOutline& parts) {
    if (tiling.single)
        return;
    // A hair inside the window: an outline along its edge shows on the neighbour.
    constexpr double kHair = 1e-6; // mm
    std::erase_if(tiling.tiles, [&](const PageTile& t) {
        return !outlineMeetsBox(parts, t.left + kHair, t.top - tiling.windowHeight + kHair,
                                t.left + tiling.windowWidth - kHair, t.top - kHair);
    });
}

const PageTile* tileAt(const PageTiling& tiling, int column, int row) {
    const auto it = std::find_if(tiling.tiles.begin(), tiling.tiles.end(), [&](const PageTile& t) {
        return t.column == column && t.row == row;
    });
    return it == tiling.tiles.end() ? nullptr : &*it;
}
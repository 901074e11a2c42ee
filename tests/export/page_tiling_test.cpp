#include "page_tiling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

PieceOutline pieceOf(double w, double h) {
    PieceOutline o;
    o.minX = -w / 2; // a whole former, centred on the axes
    o.maxX = w / 2;
    o.minY = -h / 3;
    o.maxY = o.minY + h;
    return o;
}

// Pieces on the four sheets: one page while the piece and its two caption lines fit, else the
// fewest windows that cover it with their overlaps, else a refusal that gives both sizes.
TEST(PageTiling, PagesOverlapsAndRefusals) {
    const struct {
        double w, h;
        Sheet sheet;
        bool single;
        int columns, rows;
        const char* refusal;
    } rows[] = {
        {98.10, 161.18, Sheet::A4Portrait, true, 1, 1, nullptr},
        {190.0, 247.0, Sheet::A4Portrait, true, 1, 1, nullptr}, // the last that fits
        {190.01, 100.0, Sheet::A4Portrait, false, 2, 1, nullptr},
        {400.0, 250.0, Sheet::A4Portrait, false, 3, 1, nullptr},
        {370.0, 253.0, Sheet::A4Portrait, false, 2, 1, nullptr}, // two windows exactly
        {400.0, 250.0, Sheet::A4Landscape, false, 2, 2, nullptr},
        {400.0, 250.0, Sheet::A3Landscape, false, 1, 1, nullptr}, // no room for the caption
        {380.0, 240.0, Sheet::A3Landscape, true, 1, 1, nullptr},
        {900.0, 1200.0, Sheet::A4Portrait, false, 5, 5, nullptr},
        {1000.0, 1000.0, Sheet::A4Portrait, false, 0, 0,
         "La pièce mesure 1000,00 × 1000,00 mm : à l'échelle 1:1 elle demanderait 30 pages de "
         "210 × 297 mm, plus que les 25 permises."},
        {5000.0, 9000.0, Sheet::A3Portrait, false, 0, 0, "297 × 420 mm"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.w << " x " << row.h << " on " << sheetName(row.sheet));
        const PieceOutline piece = pieceOf(row.w, row.h);
        const PageTiling t = tilePiece(piece, sheetSize(row.sheet), 2);
        if (row.refusal) {
            EXPECT_NE(t.error.find(row.refusal), std::string::npos) << t.error;
            EXPECT_TRUE(t.tiles.empty());
            continue;
        }
        ASSERT_TRUE(t.ok()) << t.error;
        EXPECT_EQ(t.single, row.single);
        EXPECT_EQ(t.columns, row.columns);
        EXPECT_EQ(t.rows, row.rows);
        ASSERT_EQ(t.tiles.size(), static_cast<std::size_t>(row.columns * row.rows));
        if (t.single)
            continue;
        // The window keeps the margins and the strip, and the windows cover the piece.
        const SheetSize s = sheetSize(row.sheet);
        EXPECT_DOUBLE_EQ(t.windowLeft + t.windowWidth, s.width - kPageMargin);
        EXPECT_DOUBLE_EQ(t.windowTop + t.windowHeight, s.height - kPageMargin - kTileStrip);
        const PageTile& first = t.tiles.front();
        const PageTile& last = t.tiles.back();
        EXPECT_LE(first.left, piece.minX);
        EXPECT_GE(first.top, piece.maxY);
        EXPECT_GE(last.left + t.windowWidth, piece.maxX - 1e-9);
        EXPECT_LE(last.top - t.windowHeight, piece.minY + 1e-9);
        // Spread evenly: as much room left on both sides.
        EXPECT_NEAR(piece.minX - first.left, last.left + t.windowWidth - piece.maxX, 1e-9);
        for (const PageTile& tile : t.tiles) {
            const std::string label =
                std::string(1, char('A' + tile.column)) + std::to_string(tile.row + 1);
            EXPECT_EQ(tile.label, label);
            EXPECT_NEAR(tile.left, first.left + tile.column * (t.windowWidth - kTileOverlap), 1e-9);
            EXPECT_NEAR(tile.top, first.top - tile.row * (t.windowHeight - kTileOverlap), 1e-9);
        }
    }
}

// Closed paths of these rectangles (left, bottom, right, top), as one piece.
PieceOutline rectangles(std::initializer_list<std::array<double, 4>> boxes) {
    PieceOutline o;
    bool first = true;
    for (const auto& [l, b, r, t] : boxes) {
        o.paths.push_back({{{l, b}, {r, b}, {r, t}, {l, t}}, false});
        o.minX = first ? l : std::min(o.minX, l);
        o.maxX = first ? r : std::max(o.maxX, r);
        o.minY = first ? b : std::min(o.minY, b);
        o.maxY = first ? t : std::max(o.maxY, t);
        first = false;
    }
    return o;
}

// A page on which no outline falls is left out, one an outline crosses or lies in is kept, one
// it only touches is not; the labels stay those of the grid, and a single page stays.
TEST(PageTiling, PagesWithoutAnOutlineAreLeftOut) {
    // On A4 portrait a window is 190 x 253 mm, and its neighbour starts 180 or 243 mm on.
    const struct {
        const char* name;
        PieceOutline piece;
        PieceOutline parts; // what must fall on a page
        const char* kept;
    } rows[] = {
        {"a ring's band",
         rectangles({{0, 0, 540, 480}, {10, 10, 530, 470}}),
         {},
         "A1 B1 C1 A2 B2 C2"},
        {"an L", rectangles({{0, 0, 540, 480}}), rectangles({{0, 0, 540, 100}, {0, 0, 100, 480}}),
         "A1 A2 B2 C2"},
        {"two parts in opposite corners", rectangles({{0, 0, 360, 480}}),
         rectangles({{5, 400, 60, 475}, {300, 5, 355, 60}}), "A1 B2"},
        {"a part touching a window's edge only", rectangles({{0, 0, 360, 480}}),
         rectangles({{5, 5, 60, 235}}), // the first row's windows end at 235 mm
         "A2"},
        {"a single page", rectangles({{0, 0, 100, 100}}), rectangles({{0, 0, 1, 1}}), "A1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PageTiling t = tilePiece(row.piece, sheetSize(Sheet::A4Portrait), 2);
        ASSERT_TRUE(t.ok()) << t.error;
        const int grid = t.columns * t.rows;
        dropEmptyTiles(t, row.parts.paths.empty() ? row.piece : row.parts);
        std::string kept;
        for (const PageTile& tile : t.tiles) {
            kept += (kept.empty() ? "" : " ") + tile.label;
            EXPECT_EQ(tileAt(t, tile.column, tile.row), &tile);
        }
        EXPECT_EQ(kept, row.kept);
        int missing = 0;
        for (int r = 0; r < t.rows; ++r)
            for (int c = 0; c < t.columns; ++c)
                missing += tileAt(t, c, r) == nullptr;
        EXPECT_EQ(missing, grid - static_cast<int>(t.tiles.size()));
        EXPECT_EQ(tileAt(t, -1, 0), nullptr);
        EXPECT_EQ(tileAt(t, t.columns, 0), nullptr);
    }
}

} // namespace

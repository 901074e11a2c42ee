#include "page_tiling.h"

#include <gtest/gtest.h>

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

} // namespace

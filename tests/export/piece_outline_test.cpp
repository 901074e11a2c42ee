// A piece in millimetres from the profile's units: each axis has its own scale, x is signed
// from the vertical axis (left negative) and y from the horizontal axis (up positive).
#include "piece_outline.h"

#include "../former/test_former.h"

#include <gtest/gtest.h>

namespace {

TEST(PieceOutline, EachAxisItsOwnScaleAndEachHalfItsSide) {
    const TestFormer f;
    const OutlineInput in = f.input(1);
    const double X1 = 2.0 * outputUnit;
    const struct {
        Piece piece;
        double minX, maxX, minY, maxY; // in profile units
    } rows[] = {
        {Piece::Whole, -1.5, 1.5, -2.0, 2.0},  {Piece::Left, -1.5, 0.0, -2.0, 2.0},
        {Piece::Right, 0.0, 1.5, -2.0, 2.0},   {Piece::Top, -1.5, 1.5, 0.0, 2.0},
        {Piece::Bottom, -1.5, 1.5, -2.0, 0.0},
    };
    // Unequal scales, so that one applied to the other axis shows.
    const double sx = 10.0, sy = 24.0;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(pieceName(r.piece)));
        const PieceOutline o = pieceOutline(in, r.piece, X1, sx, sy);
        ASSERT_TRUE(o.ok()) << o.error;
        EXPECT_NEAR(o.minX, r.minX * sx, 1e-9);
        EXPECT_NEAR(o.maxX, r.maxX * sx, 1e-9);
        EXPECT_NEAR(o.minY, r.minY * sy, 1e-9);
        EXPECT_NEAR(o.maxY, r.maxY * sy, 1e-9);
        ASSERT_EQ(o.paths.size(), 2u) << "the former and its doubling";
        // Every point on its side of the axes, the doubling inside at half the size.
        for (const PiecePath& p : o.paths)
            for (const MmPoint& q : p.points) {
                EXPECT_GE(q.x, r.minX * sx * (p.doubling ? 0.5 : 1.0) - 1e-9);
                EXPECT_LE(q.x, r.maxX * sx * (p.doubling ? 0.5 : 1.0) + 1e-9);
                EXPECT_GE(q.y, r.minY * sy * (p.doubling ? 0.5 : 1.0) - 1e-9);
                EXPECT_LE(q.y, r.maxY * sy * (p.doubling ? 0.5 : 1.0) + 1e-9);
            }
    }
    // The left half's widest point is the mirror of the right half's.
    const PieceOutline left = pieceOutline(in, Piece::Left, X1, sx, sy);
    bool found = false;
    for (const MmPoint& q : left.paths[0].points)
        found = found || (std::abs(q.x + 1.5 * sx) < 1e-9 && std::abs(q.y) < 1e-9);
    EXPECT_TRUE(found);
}

} // namespace

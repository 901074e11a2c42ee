#include "outline_sequences.h"
#include "test_former.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace {

TEST(OutputUnit, IsTheDoubleOfTheDifferenceNotTheLiteral) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(outputUnit), 0x404a31cac083126eULL);
    EXPECT_NE(std::bit_cast<std::uint64_t>(outputUnit), std::bit_cast<std::uint64_t>(52.389));
    volatile double a = 86.52;
    volatile double b = 34.131;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a - b), std::bit_cast<std::uint64_t>(outputUnit));
}

TEST(PointConversion, HeightIsMeasuredFromTheAxisReadAsASingleFloat) {
    // 50.1 is not a float: the axis is 50.099998..., so a point at double 50.1 lies slightly
    // below it and is not lifted, while a point at the float's value is exactly on it.
    const double y1 = 50.1;
    const double onAxis = static_cast<double>(static_cast<float>(y1));
    const OutlinePoint below = toOutputUnits({10, y1, 0}, y1, ZeroHeight::Nudge);
    EXPECT_LT(below.y, 0.0);
    EXPECT_GT(below.y, -1e-6);
    EXPECT_EQ(toOutputUnits({10, onAxis, 0}, y1, ZeroHeight::Nudge).y, 1.0 / outputUnit);
    EXPECT_EQ(toOutputUnits({10, onAxis, 0}, y1, ZeroHeight::Plain).y, 0.0);
    // x runs from the surface's left edge, not from the symmetry axis.
    EXPECT_EQ(toOutputUnits({outputUnit * 2, 0, 0}, 0, ZeroHeight::Plain).x, 2.0);
}

TEST(PieceCodes, TheViewNumbersThePiecesItsOwnWay) {
    EXPECT_EQ(pieceFromViewPiece(1), Piece::Whole);
    EXPECT_EQ(pieceFromViewPiece(2), Piece::Top);
    EXPECT_EQ(pieceFromViewPiece(3), Piece::Bottom);
    EXPECT_EQ(pieceFromViewPiece(4), Piece::Left);
    EXPECT_EQ(pieceFromViewPiece(5), Piece::Right);
}

struct Row {
    double x;
    double y;
};

void expectRows(const std::vector<PointXYZ>& table, const std::vector<Row>& rows) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_NEAR(table[k].x, rows[k].x, 1e-12) << "row " << k;
        EXPECT_NEAR(table[k].y, rows[k].y, 1e-12) << "row " << k;
        EXPECT_EQ(table[k].z, 0.0) << "row " << k;
    }
}

constexpr double lift = 1.0 / outputUnit; // a right-side point on the axis

TEST(BuildOutline3D, StoresThePiecesInExportOrderWithoutJunctionOrClosingLine) {
    const TestFormer f;
    std::vector<PointXYZ> table;

    // Top half (View_Piece 2): L[M] keeps its plain zero height here.
    ASSERT_EQ(Build_Outline_3D(f.input(0), 2, table), 6);
    ASSERT_EQ(table.size(), 41u);
    expectRows(table, {{3.5, lift}, {3, 1}, {2, 2}, {2, 2}, {1, 1}, {0.5, 0}});

    // Left half (View_Piece 4) with doubling: the export's closing line is not stored.
    ASSERT_EQ(Build_Outline_3D(f.input(1), 4, table), 10);
    expectRows(table, {{2, 2},
                       {1, 1},
                       {0.5, 0},
                       {1, -1},
                       {2, -2},
                       {2, -1},
                       {1.5, -0.5},
                       {1.25, 0},
                       {1.5, 0.5},
                       {2, 1}});

    // Right half (View_Piece 5) puts the inner run between the outer ones.
    ASSERT_EQ(Build_Outline_3D(f.input(1), 5, table), 11);
    EXPECT_NEAR(table[3].y, 1.0, 1e-12);
    EXPECT_NEAR(table[5].y, lift, 1e-12);
    EXPECT_NEAR(table[5].x, 2.75, 1e-12);

    // Bottom half (View_Piece 3) and whole former (View_Piece 1), counts with doubling.
    EXPECT_EQ(Build_Outline_3D(f.input(1), 3, table), 12);
    EXPECT_EQ(Build_Outline_3D(f.input(1), 1, table), 24);
    EXPECT_EQ(Build_Outline_3D(f.input(0), 1, table), 12);
}

TEST(BuildOutline3D, RowsAfterTheOutlineRepeatTheFirstPointForEveryPiece) {
    // The whole former too: zero rows would pull the 3-D band to the origin.
    const TestFormer f;
    for (int check4 : {0, 1}) {
        for (int view = 1; view <= 5; ++view) {
            SCOPED_TRACE("View_Piece " + std::to_string(view) + ", Check4 " +
                         std::to_string(check4));
            std::vector<PointXYZ> table;
            const int rows = Build_Outline_3D(f.input(check4), view, table);
            ASSERT_EQ(table.size(), 41u);
            ASSERT_GT(rows, 0);
            for (std::size_t k = static_cast<std::size_t>(rows); k < table.size(); ++k) {
                ASSERT_EQ(table[k], table[0]) << "row " << k;
            }
            EXPECT_NEAR(table[0].x, view == 4 ? 2.0 : 3.5, 1e-12); // L[0] or R[M]
        }
    }
}

TEST(BuildOutline3D, UnknownPieceLeavesAFreshZeroTable) {
    const TestFormer f;
    std::vector<PointXYZ> table(100, PointXYZ{7, 7, 7});
    for (int view : {0, 6, -1}) {
        EXPECT_EQ(Build_Outline_3D(f.input(1), view, table), 0);
        ASSERT_EQ(table.size(), 41u);
        for (const PointXYZ& p : table) {
            ASSERT_EQ(p, PointXYZ{});
        }
    }
}

TEST(BuildOutline3D, AMissingSampleLeavesItsRowAtZeroAndTheBuildGoesOn) {
    TestFormer f;
    f.DL.resize(3); // DL[3], DL[4] missing
    std::vector<PointXYZ> table;
    // Whole former with doubling: DL from M up to N-1 is rows 18..20, the last run 21..23.
    ASSERT_EQ(Build_Outline_3D(f.input(1), 1, table), 24);
    EXPECT_NEAR(table[18].x, 1.25, 1e-12);
    EXPECT_EQ(table[19], PointXYZ{});
    EXPECT_EQ(table[20], PointXYZ{});
    EXPECT_NEAR(table[21].x, 2.0, 1e-12);
    EXPECT_NEAR(table[23].x, 2.75, 1e-12);
}

TEST(BuildOutline3D, LargestPieceFitsTheTableForSmallN) {
    TestFormer f;
    f.R.resize(1);
    f.L.resize(1);
    f.DR.resize(1);
    f.DL.resize(1);
    OutlineInput in = f.input(1);
    in.Nb_Points = 1;
    std::vector<PointXYZ> table;
    EXPECT_EQ(Build_Outline_3D(in, 1, table), 8);
    EXPECT_EQ(table.size(), 9u);
    in.Nb_Points = 0;
    EXPECT_EQ(Build_Outline_3D(in, 1, table), 0);
    EXPECT_EQ(table.size(), 1u);
    in.Nb_Points = -3;
    EXPECT_EQ(Build_Outline_3D(in, 1, table), 0);
    EXPECT_TRUE(table.empty());
}

} // namespace

#include "outline_sequences.h"
#include "test_former.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

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

constexpr double lift = 1.0 / outputUnit; // a right-side point on the axis

// Compares the first rows with "x y, x y, ...", where "n" stands for the lifted height.
void expectRows(const std::vector<PointXYZ>& table, const std::string& rows) {
    std::istringstream in(rows);
    std::string x, y;
    for (std::size_t k = 0; in >> x >> y; ++k) {
        if (y.back() == ',') {
            y.pop_back();
        }
        EXPECT_NEAR(table[k].x, std::stod(x), 1e-12) << "row " << k;
        EXPECT_NEAR(table[k].y, y == "n" ? lift : std::stod(y), 1e-12) << "row " << k;
        EXPECT_EQ(table[k].z, 0.0) << "row " << k;
    }
}

// The 3-D window numbers the pieces 1 whole, 2 top, 3 bottom, 4 left, 5 right; the rows are
// the export's points without its junction copy and closing line. The rows after the outline
// repeat its first point for every piece, the whole former too: zero rows would pull the 3-D
// band to the origin.
TEST(BuildOutline3D, StoresThePiecesInExportOrderAndRepeatsTheFirstPointAfterThem) {
    const struct {
        int view, check4, rows;
        const char* first; // the first rows, when checked
    } cases[] = {
        // Top half: L[M] keeps its plain zero height here.
        {2, 0, 6, "3.5 n, 3 1, 2 2, 2 2, 1 1, .5 0"},
        {3, 0, 6, "3.5 n, 3 -1, 2 -2, 2 -2, 1 -1, .5 0"},
        // Left half with doubling: the export's closing line is not stored.
        {4, 1, 10, "2 2, 1 1, .5 0, 1 -1, 2 -2, 2 -1, 1.5 -.5, 1.25 0, 1.5 .5, 2 1"},
        // Right half: the inner run lies between the outer ones.
        {5, 1, 11, "3.5 n, 3 1, 2 2, 2 1, 2.5 .5, 2.75 n, 2.5 -.5, 2 -1, 2 -2, 3 -1, 3.5 n"},
        {1, 0, 12, ""},
        {1, 1, 24, ""},
        {2, 1, 12, ""},
        {3, 1, 12, ""},
        {4, 0, 5, ""},
        {5, 0, 6, ""},
    };
    const TestFormer f;
    for (const auto& c : cases) {
        SCOPED_TRACE("View_Piece " + std::to_string(c.view) + ", Check4 " +
                     std::to_string(c.check4));
        std::vector<PointXYZ> table;
        ASSERT_EQ(Build_Outline_3D(f.input(c.check4), c.view, table), c.rows);
        ASSERT_EQ(table.size(), 41u);
        expectRows(table, c.first);
        for (std::size_t k = static_cast<std::size_t>(c.rows); k < table.size(); ++k) {
            ASSERT_EQ(table[k], table[0]) << "row " << k;
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

// The table has rows 0..8N, room for the largest piece; an unknown piece leaves it all zero.
TEST(BuildOutline3D, TableSizeFollowsNAndAnUnknownPieceLeavesItZero) {
    const TestFormer f;
    OutlineInput in = f.input(1);
    const struct {
        int n;
        int view;
        int rows;
        std::size_t size;
    } cases[] = {{1, 1, 8, 9}, {0, 1, 0, 1}, {-3, 1, 0, 0}, {5, 0, 0, 41}, {5, 6, 0, 41}};
    for (const auto& c : cases) {
        SCOPED_TRACE("N " + std::to_string(c.n) + ", View_Piece " + std::to_string(c.view));
        in.Nb_Points = c.n;
        std::vector<PointXYZ> table(100, PointXYZ{7, 7, 7});
        EXPECT_EQ(Build_Outline_3D(in, c.view, table), c.rows);
        EXPECT_EQ(table.size(), c.size);
        if (c.rows == 0) {
            EXPECT_EQ(table, std::vector<PointXYZ>(c.size));
        }
    }
}

} // namespace

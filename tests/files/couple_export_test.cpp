#include "../former/test_former.h"
#include "couple_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Expands a short golden ("3.5 n, 3 1") into the file's text: seven decimals, "n" for a point
// on the axis lifted by one drawing unit, CR LF after every line.
std::string dat(const std::string& shortForm) {
    std::istringstream in(shortForm);
    std::string text;
    std::string token;
    for (int k = 0; in >> token; ++k) {
        if (token.back() == ',') {
            token.pop_back();
        }
        char buf[32] = "0.0190880";
        if (token != "n") {
            std::snprintf(buf, sizeof buf, "%.7f", std::stod(token));
        }
        text += buf;
        text += k % 2 == 0 ? " " : "\r\n";
    }
    return text;
}

// Hand-written files for every piece of the test former, with and without doubling. The middle
// samples lie on the horizontal axis: right-side runs lift them, left runs keep 0, and the
// junction L[M] copies the first line's y (only there: the whole former's next L[M] keeps 0).
TEST(CoupleExport, GoldenFilesForEveryPieceWithAndWithoutDoubling) {
    const struct {
        int code;
        int check4;
        const char* lines;
    } goldens[] = {
        {4, 0, "3.5 n, 3 1, 2 2, 2 -2, 3 -1, 3.5 n"},
        {4, 1, "3.5 n, 3 1, 2 2, 2 1, 2.5 .5, 2.75 n, 2.5 -.5, 2 -1, 2 -2, 3 -1, 3.5 n"},
        {3, 0, "2 2, 1 1, .5 0, 1 -1, 2 -2, 2 2"},
        {3, 1, "2 2, 1 1, .5 0, 1 -1, 2 -2, 2 -1, 1.5 -.5, 1.25 0, 1.5 .5, 2 1, 2 2"},
        {2, 0, "3.5 n, 3 1, 2 2, 2 2, 1 1, .5 n"},
        {2, 1, "3.5 n, 3 1, 2 2, 2 2, 1 1, .5 n, 1.25 n, 1.5 .5, 2 1, 2 1, 2.5 .5, 2.75 n, 3.5 n"},
        {1, 0, "3.5 n, 3 -1, 2 -2, 2 -2, 1 -1, .5 n"},
        {1, 1,
         "3.5 n, 3 -1, 2 -2, 2 -2, 1 -1, .5 n, 1.25 n, 1.5 -.5, 2 -1, 2 -1, 2.5 -.5, 2.75 n, "
         "3.5 n"},
        {5, 0, "3.5 n, 3 1, 2 2, 2 2, 1 1, .5 n, .5 0, 1 -1, 2 -2, 2 -2, 3 -1, 3.5 n"},
        {5, 1,
         "3.5 n, 3 1, 2 2, 2 2, 1 1, .5 n, .5 0, 1 -1, 2 -2, 2 -2, 3 -1, 3.5 n, 2.75 n, 2.5 .5, "
         "2 1, 2 1, 1.5 .5, 1.25 n, 1.25 n, 1.5 -.5, 2 -1, 2 -1, 2.5 -.5, 2.75 n"},
    };
    const TestFormer f;
    for (const auto& g : goldens) {
        SCOPED_TRACE("piece " + std::to_string(g.code) + ", Check4 " + std::to_string(g.check4));
        const CoupleText t = coupleFileText(f.input(g.check4), g.code);
        ASSERT_TRUE(t.ok()) << t.error;
        EXPECT_EQ(t.text, dat(g.lines));
        if (g.check4 == 0) { // a greyed check box (value 2) is not "on"
            EXPECT_EQ(coupleFileText(f.input(2), g.code).text, t.text);
        }
    }
}

TEST(CoupleExport, LineCountsFollowTheTableForOddAndEvenN) {
    for (int n : {1, 2, 5, 10, 13, 16, 17, 100}) {
        const std::vector<PointXYZ> p(static_cast<std::size_t>(n), PointXYZ{60, 30, 0});
        const int m = (n - 1) / 2;
        const int without[] = {2 * (n - m), 2 * (m + 1), n + 1, n + 1, 2 * n + 2};
        const int with[] = {4 * (n - m) + 1, 4 * (m + 1) + 1, 2 * n + 1, 2 * n + 1, 4 * n + 4};
        for (int code = 1; code <= 5; ++code) {
            SCOPED_TRACE("N " + std::to_string(n) + ", piece " + std::to_string(code));
            for (int check4 : {0, 1}) {
                const std::string text = coupleFileText({p, p, p, p, n, 50.0, check4}, code).text;
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                          (check4 ? with : without)[code - 1]);
            }
        }
    }
}

TEST(CoupleExport, CoordinatesKeepSevenDecimalsAndNoNegativeZero) {
    EXPECT_EQ(formatCoordinate(-0.0), "0.0000000");
    EXPECT_EQ(formatCoordinate(12345.678901234), "12345.6789012");
}

TEST(CoupleExport, RefusesWhatCannotMakeAFile) {
    const TestFormer f;
    EXPECT_FALSE(coupleFileText(f.input(0), 0).ok());
    EXPECT_FALSE(coupleFileText(f.input(0), 6).ok());

    OutlineInput in = f.input(0);
    for (int n : {6, 0}) { // the arrays hold 5
        in.Nb_Points = n;
        const CoupleText t = coupleFileText(in, 5);
        EXPECT_FALSE(t.ok()) << n;
        EXPECT_TRUE(t.text.empty()) << n;
    }

    // A missing doubling only matters when it is switched on.
    OutlineInput noDoubling = f.input(0);
    noDoubling.Doublage_Droit = {};
    noDoubling.Doublage_Gauche = {};
    EXPECT_TRUE(coupleFileText(noDoubling, 5).ok());
    noDoubling.doublingOn = 1;
    EXPECT_FALSE(coupleFileText(noDoubling, 5).ok());

    TestFormer broken;
    broken.R[1].x = std::nan("");
    EXPECT_FALSE(coupleFileText(broken.input(0), 4).ok());
    EXPECT_TRUE(coupleFileText(broken.input(0), 3).ok()); // the left half does not read R
}

} // namespace

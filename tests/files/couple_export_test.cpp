#include "couple_export.h"
#include "test_former.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale>
#include <string>
#include <vector>

namespace {

// Joins lines the way the file must hold them: CR LF after every line, the last one included.
std::string crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) {
        s += l + "\r\n";
    }
    return s;
}

int lineCount(const std::string& text) {
    int n = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) {
        ++n;
    }
    return n;
}

// The example a user can check by hand: N = 5, axes at (60, 50), top half without doubling.
struct WorkedExample {
    std::vector<PointXYZ> R{{60, 10, 0}, {80, 20, 0}, {95, 50, 0}, {80, 80, 0}, {60, 90, 0}};
    std::vector<PointXYZ> L;
    std::vector<PointXYZ> D{5};
    WorkedExample() {
        for (const PointXYZ& p : R) {
            L.push_back({2 * 60.0 - p.x, p.y, 0});
        }
    }
    OutlineInput input() const { return {R, L, D, D, 5, 50.0, 0}; }
};

const std::string workedExampleFile = "1.8133578 0.0190880\r\n"
                                      "1.5270381 0.5726393\r\n"
                                      "1.1452786 0.7635191\r\n"
                                      "1.1452786 0.7635191\r\n"
                                      "0.7635191 0.5726393\r\n"
                                      "0.4771994 0.0190880\r\n";

TEST(CoupleExport, WorkedExampleTopHalfByteForByte) {
    const WorkedExample ex;
    const CoupleText t = coupleFileText(ex.input(), 2);
    ASSERT_TRUE(t.ok()) << t.error;
    EXPECT_EQ(t.text, workedExampleFile);
}

TEST(CoupleExport, SameTextUnderACommaDecimalLocale) {
    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    const std::locale oldCpp;
    if (std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "fr_FR.UTF-8 is not generated here (scripts/install-deps.sh does it)";
    }
    std::locale::global(std::locale("fr_FR.UTF-8"));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    const std::string cFormatted = probe;

    const WorkedExample ex;
    const CoupleText t = coupleFileText(ex.input(), 2);
    const std::string whole = coupleFileText(TestFormer().input(1), 5).text;

    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());

    EXPECT_EQ(cFormatted, "0,5") << "the French locale was not in force";
    EXPECT_EQ(t.text, workedExampleFile);
    EXPECT_EQ(whole.find(','), std::string::npos);
}

// Hand-written files for every piece of the test former, with and without doubling. The middle
// samples lie on the horizontal axis: right-side runs lift them to 0.0190880, left runs keep
// 0.0000000, and the junction L[M] copies the first line's y.
struct Golden {
    int code;
    int check4;
    std::vector<std::string> lines;
};

const std::vector<Golden> goldens = {
    {4,
     0,
     {"3.5000000 0.0190880", "3.0000000 1.0000000", "2.0000000 2.0000000", "2.0000000 -2.0000000",
      "3.0000000 -1.0000000", "3.5000000 0.0190880"}},
    {4,
     1,
     {"3.5000000 0.0190880", "3.0000000 1.0000000", "2.0000000 2.0000000", "2.0000000 1.0000000",
      "2.5000000 0.5000000", "2.7500000 0.0190880", "2.5000000 -0.5000000", "2.0000000 -1.0000000",
      "2.0000000 -2.0000000", "3.0000000 -1.0000000", "3.5000000 0.0190880"}},
    {3,
     0,
     {"2.0000000 2.0000000", "1.0000000 1.0000000", "0.5000000 0.0000000", "1.0000000 -1.0000000",
      "2.0000000 -2.0000000", "2.0000000 2.0000000"}},
    {3,
     1,
     {"2.0000000 2.0000000", "1.0000000 1.0000000", "0.5000000 0.0000000", "1.0000000 -1.0000000",
      "2.0000000 -2.0000000", "2.0000000 -1.0000000", "1.5000000 -0.5000000", "1.2500000 0.0000000",
      "1.5000000 0.5000000", "2.0000000 1.0000000", "2.0000000 2.0000000"}},
    {2,
     0,
     {"3.5000000 0.0190880", "3.0000000 1.0000000", "2.0000000 2.0000000", "2.0000000 2.0000000",
      "1.0000000 1.0000000", "0.5000000 0.0190880"}},
    {2,
     1,
     {"3.5000000 0.0190880", "3.0000000 1.0000000", "2.0000000 2.0000000", "2.0000000 2.0000000",
      "1.0000000 1.0000000", "0.5000000 0.0190880", "1.2500000 0.0190880", "1.5000000 0.5000000",
      "2.0000000 1.0000000", "2.0000000 1.0000000", "2.5000000 0.5000000", "2.7500000 0.0190880",
      "3.5000000 0.0190880"}},
    {1,
     0,
     {"3.5000000 0.0190880", "3.0000000 -1.0000000", "2.0000000 -2.0000000", "2.0000000 -2.0000000",
      "1.0000000 -1.0000000", "0.5000000 0.0190880"}},
    {1,
     1,
     {"3.5000000 0.0190880", "3.0000000 -1.0000000", "2.0000000 -2.0000000", "2.0000000 -2.0000000",
      "1.0000000 -1.0000000", "0.5000000 0.0190880", "1.2500000 0.0190880", "1.5000000 -0.5000000",
      "2.0000000 -1.0000000", "2.0000000 -1.0000000", "2.5000000 -0.5000000", "2.7500000 0.0190880",
      "3.5000000 0.0190880"}},
    {5,
     0,
     {"3.5000000 0.0190880", "3.0000000 1.0000000", "2.0000000 2.0000000", "2.0000000 2.0000000",
      "1.0000000 1.0000000", "0.5000000 0.0190880", "0.5000000 0.0000000", "1.0000000 -1.0000000",
      "2.0000000 -2.0000000", "2.0000000 -2.0000000", "3.0000000 -1.0000000",
      "3.5000000 0.0190880"}},
    {5, 1, {"3.5000000 0.0190880",  "3.0000000 1.0000000",  "2.0000000 2.0000000",
            "2.0000000 2.0000000",  "1.0000000 1.0000000",  "0.5000000 0.0190880",
            "0.5000000 0.0000000",  "1.0000000 -1.0000000", "2.0000000 -2.0000000",
            "2.0000000 -2.0000000", "3.0000000 -1.0000000", "3.5000000 0.0190880",
            "2.7500000 0.0190880",  "2.5000000 0.5000000",  "2.0000000 1.0000000",
            "2.0000000 1.0000000",  "1.5000000 0.5000000",  "1.2500000 0.0190880",
            "1.2500000 0.0190880",  "1.5000000 -0.5000000", "2.0000000 -1.0000000",
            "2.0000000 -1.0000000", "2.5000000 -0.5000000", "2.7500000 0.0190880"}},
};

TEST(CoupleExport, GoldenFilesForEveryPieceWithAndWithoutDoubling) {
    const TestFormer f;
    for (const Golden& g : goldens) {
        SCOPED_TRACE("piece " + std::to_string(g.code) + ", Check4 " + std::to_string(g.check4));
        const CoupleText t = coupleFileText(f.input(g.check4), g.code);
        ASSERT_TRUE(t.ok()) << t.error;
        EXPECT_EQ(t.text, crlf(g.lines));
    }
}

TEST(CoupleExport, DoublingCountsOnlyWhenTheBoxIsChecked) {
    // A greyed check box (value 2) is not "on".
    const TestFormer f;
    for (int code = 1; code <= 5; ++code) {
        EXPECT_EQ(coupleFileText(f.input(2), code).text, coupleFileText(f.input(0), code).text);
    }
}

TEST(CoupleExport, JunctionCopiesTheFirstHeightEvenWhenTheHalvesDisagree) {
    // Once the horizontal joint has put R[M] on the axis after mirroring, L[M] still has its
    // old height; the file closes the top half on R[M]'s height all the same.
    TestFormer f;
    f.L[2] = TestFormer::drawing(0.5, 0.25);
    const std::string top = coupleFileText(f.input(0), 2).text;
    EXPECT_NE(top.find("\r\n0.5000000 0.0190880\r\n"), std::string::npos) << top;
    // Only the junction copies: the whole former's second L[M] keeps its own height.
    const std::string whole = coupleFileText(f.input(0), 5).text;
    EXPECT_NE(whole.find("0.5000000 0.0190880\r\n0.5000000 0.2500000\r\n"), std::string::npos)
        << whole;
}

// A round former of n samples per half, axes at (60, 50), with a half-size doubling.
struct RoundFormer {
    std::vector<PointXYZ> r, l, dr, dl;
    int n;
    explicit RoundFormer(int count) : n(count) {
        for (int i = 0; i < n; ++i) {
            const double a = 3.14159 * i / (n > 1 ? n - 1 : 1);
            r.push_back({60 + 30 * std::sin(a), 50 - 40 * std::cos(a), 0});
            l.push_back({120 - r.back().x, r.back().y, 0});
            dr.push_back({60 + 15 * std::sin(a), 50 - 20 * std::cos(a), 0});
            dl.push_back({120 - dr.back().x, dr.back().y, 0});
        }
    }
    OutlineInput input(int check4) const { return {r, l, dr, dl, n, 50.0, check4}; }
};

TEST(CoupleExport, SixteenPointsGiveTheTopHalfFewerLines) {
    const RoundFormer f(16);
    const int expected[] = {18, 16, 17, 17, 34}; // bottom, top, left, right, whole
    for (int code = 1; code <= 5; ++code) {
        EXPECT_EQ(lineCount(coupleFileText(f.input(0), code).text), expected[code - 1]) << code;
    }
}

TEST(CoupleExport, LineCountsFollowTheTableForOddAndEvenN) {
    for (int n : {1, 2, 5, 10, 13, 16, 17, 100}) {
        const RoundFormer f(n);
        const int m = (n - 1) / 2;
        const int without[] = {2 * (n - m), 2 * (m + 1), n + 1, n + 1, 2 * n + 2};
        const int with[] = {4 * (n - m) + 1, 4 * (m + 1) + 1, 2 * n + 1, 2 * n + 1, 4 * n + 4};
        for (int code = 1; code <= 5; ++code) {
            SCOPED_TRACE("N " + std::to_string(n) + ", piece " + std::to_string(code));
            EXPECT_EQ(lineCount(coupleFileText(f.input(0), code).text), without[code - 1]);
            EXPECT_EQ(lineCount(coupleFileText(f.input(1), code).text), with[code - 1]);
        }
    }
}

TEST(CoupleExport, CoordinatesKeepSevenDecimalsAndASign) {
    EXPECT_EQ(formatCoordinate(0.0), "0.0000000");
    EXPECT_EQ(formatCoordinate(-0.0), "0.0000000");
    EXPECT_EQ(formatCoordinate(0.25), "0.2500000");
    EXPECT_EQ(formatCoordinate(-1.5), "-1.5000000");
    EXPECT_EQ(formatCoordinate(12345.678901234), "12345.6789012");
    EXPECT_EQ(formatCoordinate(1.0 / outputUnit), "0.0190880");
}

TEST(CoupleExport, RefusesWhatCannotMakeAFile) {
    const TestFormer f;
    EXPECT_FALSE(coupleFileText(f.input(0), 0).ok());
    EXPECT_FALSE(coupleFileText(f.input(0), 6).ok());

    OutlineInput tooFew = f.input(0);
    tooFew.Nb_Points = 6; // the arrays hold 5
    const CoupleText t = coupleFileText(tooFew, 5);
    EXPECT_FALSE(t.ok());
    EXPECT_TRUE(t.text.empty());

    OutlineInput none = f.input(0);
    none.Nb_Points = 0;
    EXPECT_FALSE(coupleFileText(none, 4).ok());

    // A missing doubling only matters when it is switched on.
    const std::vector<PointXYZ> empty;
    OutlineInput noDoubling = f.input(0);
    noDoubling.Doublage_Droit = empty;
    noDoubling.Doublage_Gauche = empty;
    EXPECT_TRUE(coupleFileText(noDoubling, 5).ok());
    noDoubling.Check4 = 1;
    EXPECT_FALSE(coupleFileText(noDoubling, 5).ok());

    TestFormer broken;
    broken.R[1].x = std::nan("");
    EXPECT_FALSE(coupleFileText(broken.input(0), 4).ok());
    EXPECT_TRUE(coupleFileText(broken.input(0), 3).ok()); // the left half does not read R
}

} // namespace

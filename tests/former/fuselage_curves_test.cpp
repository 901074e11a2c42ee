#include "fuselage_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<CurvePoint> randomCurve(std::mt19937& rng, int count) {
    std::uniform_real_distribution<double> gap(1.0, 150.0);
    std::uniform_real_distribution<double> value(-80.0, 120.0);
    std::vector<CurvePoint> points;
    double s = std::uniform_real_distribution<double>(-200.0, 200.0)(rng);
    for (int i = 0; i < count; ++i) {
        points.push_back({s, value(rng)});
        s += gap(rng);
    }
    return points;
}

SampledCurve sampled(const std::vector<CurvePoint>& points) {
    SampledCurve c;
    c.sample(points);
    return c;
}

// Root mean square of the difference of two curves over 1000 stations of [from, to].
double distance(const SampledCurve& a, const SampledCurve& b, double from, double to) {
    double sum = 0.0;
    for (int i = 0; i < 1000; ++i) {
        const double s = from + (to - from) * i / 999.0;
        const double d = *a.valueAt(s) - *b.valueAt(s);
        sum += d * d;
    }
    return std::sqrt(sum / 1000.0);
}

} // namespace

TEST(FuselageCurve, TypedPointsAreCheckedAndTheFaultNamed) {
    std::vector<CurvePoint> thirtyOne;
    for (int i = 0; i < 31; ++i)
        thirtyOne.push_back({i * 10.0, 5.0});
    struct Case {
        CurveKind kind;
        const char* text;
        std::vector<CurvePoint> points; // when read
        const char* reason;             // "" when read
    };
    const Case cases[] = {
        {CurveKind::Dos, "0,40;250,55.5;600,30", {{0, 40}, {250, 55.5}, {600, 30}}, ""},
        {CurveKind::Flanc, " +0 , 1e1 ; 12.5,-3 ", {{0, 10}, {12.5, -3}}, ""},
        {CurveKind::Dos, "", {}, "« Dos » : aucun point ; une courbe en a de 2 à 30."},
        {CurveKind::Ventre, "0,-20", {}, "« Ventre » : 1 point ; une courbe en a de 2 à 30."},
        {CurveKind::Dos, "0,40;250,5x", {}, "« Dos », point 2 : « 5x » n'est pas un nombre."},
        {CurveKind::Dos,
         "0,40;250",
         {},
         "« Dos », point 2 : « 250 » n'est pas de la forme station,hauteur."},
        {CurveKind::Flanc,
         "0,0,5;250,5",
         {},
         "« Flanc », point 1 : « 0,0,5 » n'est pas de la forme station,demi-largeur."},
        {CurveKind::Dos,
         "0,40;;250,5",
         {},
         "« Dos », point 2 : «  » n'est pas de la forme station,hauteur."},
        {CurveKind::Dos, "0,40;250,1e400", {}, "« Dos », point 2 : « 1e400 » n'est pas un nombre."},
        {CurveKind::Flanc,
         "0,20;250,nan",
         {},
         "« Flanc », point 2 : la demi-largeur nan n'est pas un nombre fini."},
        {CurveKind::Dos,
         "-inf,20;250,3",
         {},
         "« Dos », point 1 : la station -inf n'est pas un nombre fini."},
        {CurveKind::Dos,
         "0,20;2000000.5,3",
         {},
         "« Dos », point 2 : la station 2000000,5 est hors de -1000000..1000000 mm."},
        {CurveKind::Ventre,
         "0,-20;120,-25;120,-10",
         {},
         "« Ventre », point 3 : la station 120 ne dépasse pas celle du point 2 (120) ; les "
         "stations croissent d'un point au suivant."},
        {CurveKind::Ventre,
         "0,-20;120,-25;-0.5,-10",
         {},
         "« Ventre », point 3 : la station -0,5 ne dépasse pas celle du point 2 (120) ; les "
         "stations croissent d'un point au suivant."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CurvePointsReading r = ReadCurvePoints(c.kind, c.text);
        EXPECT_EQ(r.reason, c.reason);
        if (r.ok()) {
            EXPECT_EQ(r.points, c.points);
        }
    }
    // Counted whatever the way in, and a flood of pairs is cut short.
    EXPECT_EQ(CheckCurvePoints(CurveKind::Flanc, thirtyOne),
              "« Flanc » : 31 points ; une courbe en a de 2 à 30.");
    std::string flood;
    for (int i = 0; i < 100000; ++i)
        flood += std::to_string(i) + ",1;";
    EXPECT_EQ(ReadCurvePoints(CurveKind::Dos, flood).reason,
              "« Dos » : plus de 30 points ; une courbe en a de 2 à 30.");
}

TEST(FuselageCurve, SamplesRunFromTheFirstPointToTheLastWithOrderUpToFour) {
    std::mt19937 rng(7);
    for (int count = 2; count <= kMaxCurvePoints; ++count) {
        SCOPED_TRACE(count);
        const std::vector<CurvePoint> points = randomCurve(rng, count);
        const SampledCurve c = sampled(points);
        const std::vector<PointXYZ>& q = c.samples();
        ASSERT_EQ(q.size(), static_cast<std::size_t>(kCurveSamples));
        EXPECT_EQ(q.front().x, points.front().station);
        EXPECT_EQ(q.front().y, points.front().value);
        EXPECT_EQ(q.back().x, points.back().station);
        EXPECT_EQ(q.back().y, points.back().value);
        // A sample in the middle is the B-spline of order min(4, count) at its parameter.
        const int n = count - 1;
        const int k = std::min(4, count);
        std::vector<double> w;
        Poids_Spline(n, 200.0 / 399.0 * (n - k + 2), k, w);
        double x = 0.0;
        double y = 0.0;
        for (int j = 0; j <= n; ++j) {
            x += w[static_cast<std::size_t>(j)] * points[static_cast<std::size_t>(j)].station;
            y += w[static_cast<std::size_t>(j)] * points[static_cast<std::size_t>(j)].value;
        }
        EXPECT_NEAR(q[200].x, x, 1e-9);
        EXPECT_NEAR(q[200].y, y, 1e-9);
        // Increasing stations give increasing samples, so a station reads one value.
        for (std::size_t i = 1; i < q.size(); ++i)
            ASSERT_GT(q[i].x, q[i - 1].x) << i;
        // Read on the samples, between them on their chord, and flat beyond the ends.
        for (std::size_t i = 0; i < q.size(); ++i)
            ASSERT_EQ(*c.valueAt(q[i].x), q[i].y) << i;
        const double mid = (q[10].x + q[11].x) / 2.0;
        EXPECT_NEAR(*c.valueAt(mid), (q[10].y + q[11].y) / 2.0, 1e-9);
        EXPECT_EQ(*c.valueAt(q.front().x - 1000.0), points.front().value);
        EXPECT_EQ(*c.valueAt(q.back().x + 1.0), points.back().value);
        EXPECT_FALSE(c.valueAt(kNan).has_value());
    }
    EXPECT_FALSE(sampled({{0, 1}}).valueAt(0.0).has_value()) << "one point: not drawn";
    // Points on a line make the line, read anywhere.
    const SampledCurve line = sampled({{0, 10}, {40, 30}, {100, 60}, {130, 75}, {400, 210}});
    for (double s = -50.0; s <= 450.0; s += 3.7)
        EXPECT_NEAR(*line.valueAt(s), 10.0 + std::clamp(s, 0.0, 400.0) / 2.0, 1e-9) << s;
}

TEST(FuselageCurve, ADragIsStoppedAtTheNeighbours) {
    const std::vector<CurvePoint> points = {{0, 10}, {100, 20}, {100.015, 25}, {300, 5}};
    struct Case {
        int index;
        double station, value;
        CurvePoint expected;
    };
    const Case cases[] = {
        {1, 50, 30, {50, 30}},
        {1, 250, 30, {100.005, 30}},   // cannot pass point 2, a gap short of it
        {1, -10, 30, {0.01, 30}},      // nor point 0
        {2, 100.012, 1, {100.012, 1}}, // free between its close neighbours
        {2, 0, 1, {100.01, 1}},
        {0, -5e6, 7e6, {-kCurveLimit, kCurveLimit}}, // the first point is free up to the limit
        {0, 500, 7, {99.99, 7}},
        {3, 120, kNan, {120, 5}}, // not a number: the point keeps that coordinate
        {3, kNan, -kInf, {300, -kCurveLimit}},
        {7, 1, 2, {1, 2}}, // no such point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const CurvePoint p = ClampedDrag(points, c.index, c.station, c.value);
        EXPECT_NEAR(p.station, c.expected.station, 1e-9);
        EXPECT_EQ(p.value, c.expected.value);
    }
    // Neighbours closer than two gaps: the point stays, it never crosses one.
    const std::vector<CurvePoint> tight = {{0, 1}, {0.005, 2}, {0.012, 3}};
    EXPECT_EQ(ClampedDrag(tight, 1, 5.0, 2).station, 0.005);
    EXPECT_EQ(ClampedDrag(tight, 1, -5.0, 2).station, 0.005);
    // Any drag of any point leaves a curve that can be kept.
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> anywhere(-2e6, 2e6);
    std::vector<CurvePoint> curve = randomCurve(rng, 8);
    for (int step = 0; step < 2000; ++step) {
        const int i = step % 8;
        curve[static_cast<std::size_t>(i)] = ClampedDrag(curve, i, anywhere(rng) / 1e3, 0.0);
        ASSERT_EQ(CheckCurvePoints(CurveKind::Dos, curve), "") << step;
    }
}

TEST(FuselageCurve, APointAddedGoesBetweenItsNeighboursAndKeepsTheShape) {
    const std::vector<CurvePoint> line = {{0, 10}, {100, 30}, {250, 60}, {400, 90}};
    struct Case {
        double station;
        int index;
        const char* reason;
    };
    const Case cases[] = {
        {50, 1, ""},
        {260, 3, ""},
        {-40, 0, ""}, // beyond the ends it becomes the new end
        {410, 4, ""},
        {100, -1, "« Dos » a déjà un point à la station 100 mm."},
        {kNan, -1, "« Dos » : la station nan est hors de -1000000..1000000 mm."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.station);
        const CurveEdit e = InsertCurvePoint(CurveKind::Dos, line, c.station);
        EXPECT_EQ(e.reason, c.reason);
        if (!e.ok())
            continue;
        EXPECT_EQ(e.index, c.index);
        ASSERT_EQ(e.points.size(), line.size() + 1);
        EXPECT_EQ(e.points[static_cast<std::size_t>(e.index)].station, c.station);
        EXPECT_EQ(CheckCurvePoints(CurveKind::Dos, e.points), "");
        // A straight curve stays straight, and the new point is on it.
        if (c.station > 0 && c.station < 400) {
            EXPECT_NEAR(e.points[static_cast<std::size_t>(e.index)].value, 10.0 + c.station / 5.0,
                        1e-9);
            EXPECT_LT(distance(sampled(line), sampled(e.points), 0, 400), 1e-9);
        }
    }
    std::vector<CurvePoint> full;
    for (int i = 0; i < kMaxCurvePoints; ++i)
        full.push_back({i * 10.0, 1.0});
    EXPECT_EQ(InsertCurvePoint(CurveKind::Flanc, full, 5.0).reason,
              "« Flanc » a déjà 30 points, le plus qu'une courbe puisse avoir.");

    // On curved curves the point keeps the curve nearer than the two obvious places for it:
    // on the curve where the user clicked, or on the control polygon.
    std::mt19937 rng(5);
    for (int trial = 0; trial < 60; ++trial) {
        const std::vector<CurvePoint> points = randomCurve(rng, 3 + trial % 12);
        const double from = points.front().station;
        const double to = points.back().station;
        const double s = std::uniform_real_distribution<double>(from + 1, to - 1)(rng);
        const CurveEdit e = InsertCurvePoint(CurveKind::Ventre, points, s);
        if (!e.ok())
            continue; // a random station on a point's
        const SampledCurve old = sampled(points);
        const double ours = distance(old, sampled(e.points), from, to);
        const auto i = static_cast<std::size_t>(e.index);
        const CurvePoint& p = points[i - 1];
        const CurvePoint& q = points[i];
        for (double other : {*old.valueAt(s), p.value + (s - p.station) / (q.station - p.station) *
                                                            (q.value - p.value)}) {
            std::vector<CurvePoint> alt = e.points;
            alt[i].value = other;
            EXPECT_LE(ours, distance(old, sampled(alt), from, to) * 1.01 + 1e-6) << trial;
        }
    }
}

TEST(FuselageCurve, APointRemovedNeverLeavesFewerThanTwo) {
    const std::vector<CurvePoint> three = {{0, 1}, {10, 2}, {20, 3}};
    struct Case {
        std::vector<CurvePoint> points;
        int index;
        std::vector<CurvePoint> left;
        int selected;
        const char* reason;
    };
    const Case cases[] = {
        {three, 0, {{10, 2}, {20, 3}}, 0, ""},
        {three, 1, {{0, 1}, {20, 3}}, 1, ""},
        {three, 2, {{0, 1}, {10, 2}}, 1, ""},
        {{{0, 1}, {10, 2}}, 1, {}, -1, "« Ventre » garde au moins 2 points."},
        {three, 3, {}, -1, "« Ventre » n'a pas de point 4."},
        {three, -1, {}, -1, "« Ventre » n'a pas de point 0."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const CurveEdit e = RemoveCurvePoint(CurveKind::Ventre, c.points, c.index);
        EXPECT_EQ(e.reason, c.reason);
        EXPECT_EQ(e.points, c.left);
        EXPECT_EQ(e.index, c.selected);
    }
}

TEST(FuselageCurve, NumbersInMessagesSayTheValueExactly) {
    const std::pair<double, const char*> cases[] = {
        {12.5, "12,5"},
        {-0.25, "-0,25"},
        {0.0, "0"},
        {-0.0, "0"},
        {1e6, "1000000"},
        {0.1, "0,1"},
        {1e20, "1e+20"},
        {kNan, "nan"},
        {-kInf, "-inf"},
        {1e-7, "1e-07"},
        {1234.5678, "1234,5678"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(frenchDecimal(v), text);
    EXPECT_EQ(frenchHundredths(12.3456), "12,35");
    EXPECT_EQ(frenchHundredths(-0.001), "0");
}

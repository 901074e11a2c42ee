#include "doubling_offset.h"
#include "splines.h"
#include "start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

// The outlines of the table, sampled as the editor samples them.
FormerModel resampled(FormerModel m, int M, int k) {
    m.Nb_Points = M;
    m.Ordre_Spline = k;
    m.resizeSamples(M);
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    return m;
}

FormerModel startUp() {
    return startedModel();
}

// The start-up former squeezed to 0.4 of its width: 21 mm wide, 70 mm tall.
FormerModel narrowTall() {
    FormerModel m = startedModel();
    for (PointXYZ& p : m.Pts_Couple) {
        p.x = m.X1() + 0.4 * (p.x - m.X1());
    }
    return resampled(m, 13, 9);
}

// Point 4 dragged to 5 mm from the axis, the outline along its control polygon: a sharp notch on
// each side, a waist of 14.5 mm between the samples on either side of the notch.
FormerModel concaveDip() {
    FormerModel m = startedModel();
    m.Idx_Point = 4;
    DragStep(m, true, true, 5, static_cast<float>(m.X1() + 5.0), static_cast<float>(m.Y1()));
    return resampled(m, 40, 2);
}

FormerModel hundredPoints() {
    return resampled(startedModel(), 100, 9);
}

// Four points dragged so that the right half folds back over its top, 86 samples of order 4: met
// in the field, where the range of the doubling's width took seconds.
FormerModel foldedOverItsTop() {
    FormerModel m = startedModel();
    m.Pts_Couple[1] = {68.13f, 38.65f, 0};
    m.Pts_Couple[3] = {87.11f, 23.19f, 0};
    m.Pts_Couple[4] = {110.73f, 6.91f, 0};
    m.Pts_Couple[5] = {87.05f, 84.47f, 0};
    return resampled(m, 86, 4);
}

struct Vec {
    double x, y;
};

// The whole outline as the user sees it: right half down, left half back up, closed; a point
// on the axis, shared by both halves, is taken once.
std::vector<Vec> closedOutline(const std::vector<PointXYZ>& right,
                               const std::vector<PointXYZ>& left) {
    std::vector<Vec> poly;
    auto add = [&](const PointXYZ& p) {
        if (poly.empty() || poly.back().x != p.x || poly.back().y != p.y) {
            poly.push_back({p.x, p.y});
        }
    };
    std::for_each(right.begin(), right.end(), add);
    std::for_each(left.rbegin(), left.rend(), add);
    if (poly.size() > 1 && poly.back().x == poly.front().x && poly.back().y == poly.front().y) {
        poly.pop_back();
    }
    return poly;
}

double distanceToSegment(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double distanceToClosed(Vec p, const std::vector<Vec>& poly) {
    double d = INFINITY;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        d = std::min(d, distanceToSegment(p, poly[i], poly[(i + 1) % poly.size()]));
    }
    return d;
}

bool inside(Vec p, const std::vector<Vec>& poly) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Vec a = poly[i];
        const Vec b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
            in = !in;
        }
    }
    return in;
}

double side(Vec a, Vec b, Vec c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Two edges of the closed polygon that share no vertex and meet (crossing or touching).
bool edgesMeet(const std::vector<Vec>& poly, std::size_t* first, std::size_t* second) {
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 2; j < n; ++j) {
            if ((j + 1) % n == i) {
                continue;
            }
            const Vec a = poly[i], b = poly[(i + 1) % n], c = poly[j], d = poly[(j + 1) % n];
            if (side(a, b, c) * side(a, b, d) <= 0 && side(c, d, a) * side(c, d, b) <= 0 &&
                std::max(a.x, b.x) >= std::min(c.x, d.x) &&
                std::max(c.x, d.x) >= std::min(a.x, b.x) &&
                std::max(a.y, b.y) >= std::min(c.y, d.y) &&
                std::max(c.y, d.y) >= std::min(a.y, b.y)) {
                *first = i;
                *second = j;
                return true;
            }
        }
    }
    return false;
}

// Everything a drawn doubling of constant width must be, measured without the offset library:
// M samples per half, the ends on the axis, every sample at the width from the former's outline
// and inside it, the halves mirrored, the closed inner outline simple.
void expectConstantWidthRing(const FormerModel& m, const OffsetDoublingResult& r, double width) {
    const auto M = static_cast<std::size_t>(m.Nb_Points);
    ASSERT_EQ(r.right.size(), M);
    ASSERT_EQ(r.left.size(), M);
    const double X1 = m.X1();
    EXPECT_EQ(r.right.front().x, X1);
    EXPECT_EQ(r.right.back().x, X1);
    EXPECT_LT(r.right.front().y, r.right.back().y) << "the right half runs top to bottom";
    const std::vector<Vec> outer = closedOutline(m.Courbe_Droite, m.Courbe_Gauche);
    for (std::size_t j = 0; j < M; ++j) {
        for (const PointXYZ& p : {r.right[j], r.left[j]}) {
            EXPECT_NEAR(distanceToClosed({p.x, p.y}, outer), width, 0.01) << "sample " << j;
            EXPECT_TRUE(inside({p.x, p.y}, outer)) << "sample " << j;
        }
        EXPECT_LE(std::abs(r.left[j].x + r.right[j].x - 2 * X1), 0.001) << "sample " << j;
        EXPECT_EQ(r.left[j].y, r.right[j].y) << "sample " << j;
        EXPECT_GE(r.right[j].x, X1) << "sample " << j;
    }
    // The closed inner outline: right half down, left half back up.
    const std::vector<Vec> inner = closedOutline(r.right, r.left);
    EXPECT_EQ(inner.size(), 2 * M - 2) << "no two samples of a half coincide";
    std::size_t a = 0, b = 0;
    EXPECT_FALSE(edgesMeet(inner, &a, &b)) << "inner edges " << a << " and " << b << " meet";
}

// Half the width at which the doubling stops being one outline, measured on the axis without the
// offset: the distance to the outline along the axis, in 0.01 mm steps. The superlevel set of a
// symmetric former meets the axis in one interval until the width passes the bottom of a valley
// with higher ground on both sides; without such a valley, until the largest distance.
double splitWidthOnAxis(const FormerModel& m) {
    const std::vector<Vec> outer = closedOutline(m.Courbe_Droite, m.Courbe_Gauche);
    std::vector<double> d;
    for (double y = m.Courbe_Droite.front().y; y <= m.Courbe_Droite.back().y; y += 0.01) {
        d.push_back(distanceToClosed({m.X1(), y}, outer));
    }
    std::vector<double> before(d.size()), after(d.size());
    for (std::size_t i = 0; i < d.size(); ++i) {
        before[i] = std::max(i > 0 ? before[i - 1] : 0.0, d[i]);
        const std::size_t k = d.size() - 1 - i;
        after[k] = std::max(i > 0 ? after[k + 1] : 0.0, d[k]);
    }
    double split = *std::max_element(d.begin(), d.end());
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (d[i] + 1e-6 < std::min(before[i], after[i])) {
            split = std::min(split, d[i]);
        }
    }
    return split;
}

// Every former at 1, 5 and 20 mm and just below and above half its smallest inner width: the
// doubling is a ring of that width wherever it is drawn, and nothing (with a message) where the
// former cannot hold it.
TEST(OffsetDoubling, RingOfOneWidthOrNoneWithAMessage) {
    const struct {
        const char* name;
        FormerModel (*make)();
        OffsetStatus at20;   // 1 and 5 mm always give one outline
        OffsetStatus beyond; // just above half the smallest inner width
    } formers[] = {
        {"start-up", startUp, OffsetStatus::Single, OffsetStatus::None},
        {"narrow tall", narrowTall, OffsetStatus::None, OffsetStatus::None},
        {"concave dip", concaveDip, OffsetStatus::None, OffsetStatus::Several},
        {"100 points", hundredPoints, OffsetStatus::Single, OffsetStatus::None},
        {"folded over its top", foldedOverItsTop, OffsetStatus::Single, OffsetStatus::None},
    };
    for (const auto& f : formers) {
        const FormerModel m = f.make();
        OffsetWork work;
        const double smallest = SmallestInnerWidth(m.Courbe_Droite, m.X1(), m.Nb_Points, &work);
        EXPECT_NEAR(smallest, 2 * splitWidthOnAxis(m), 0.01) << f.name;
        // Bounded work: twenty steps and the halvings of one, each offset of an outline no larger
        // than a few times the former's own (offsets of offsets once grew to thousands of points).
        EXPECT_LE(work.offsets, 40) << f.name;
        EXPECT_LE(work.largest, 4 * (2 * static_cast<std::size_t>(m.Nb_Points) - 2)) << f.name;
        const struct {
            double width;
            OffsetStatus status;
        } widths[] = {{1.0, OffsetStatus::Single},
                      {5.0, OffsetStatus::Single},
                      {20.0, f.at20},
                      {smallest / 2 - 0.02, OffsetStatus::Single},
                      {smallest / 2 + 0.02, f.beyond}};
        for (const auto& w : widths) {
            SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(w.width) + " mm");
            const OffsetDoublingResult r =
                OffsetDoubling(m.Courbe_Droite, m.X1(), w.width, m.Nb_Points);
            EXPECT_EQ(r.status, w.status);
            if (r.status == OffsetStatus::Single) {
                expectConstantWidthRing(m, r, w.width);
                EXPECT_EQ(OffsetDoublingMessage(r), "");
            } else {
                EXPECT_TRUE(r.right.empty() && r.left.empty());
                EXPECT_NE(OffsetDoublingMessage(r), "");
            }
        }
    }
}

// Hand-made right halves the doubling must refuse, or offset and find broken, with the reason.
TEST(OffsetDoubling, RefusesWhatItCannotOffsetAndSaysWhy) {
    const double nan = std::nan("");
    const std::vector<PointXYZ> box{{60, 10, 0}, {80, 10, 0}, {80, 90, 0}, {60, 90, 0}};
    const struct {
        const char* name;
        std::vector<PointXYZ> right;
        int M;
        double width;
        OffsetStatus status;
        int outlines;
        const char* message;
    } cases[] = {
        {"box", box, 4, 3.0, OffsetStatus::Single, 1, ""},
        {"box at its half width", box, 4, 20.0, OffsetStatus::None, 0,
         "Largeur trop grande : il ne reste rien à l'intérieur du couple, aucun doublage n'est "
         "tracé."},
        {"pinched on the axis",
         {{60, 10, 0},
          {80, 10, 0},
          {80, 40, 0},
          {60, 50, 0},
          {80, 60, 0},
          {80, 90, 0},
          {60, 90, 0}},
         7,
         3.0,
         OffsetStatus::Several,
         2,
         "Largeur trop grande : le doublage se sépare en 2 contours, aucun doublage n'est tracé."},
        {"crossing itself",
         {{60, 10, 0}, {90, 10, 0}, {90, 50, 0}, {75, 5, 0}, {75, 80, 0}, {60, 80, 0}},
         6,
         3.0,
         OffsetStatus::Invalid,
         0,
         "Le contour du couple se recoupe : aucun doublage à largeur constante n'est tracé."},
        {"left of the axis",
         {{60, 10, 0}, {80, 10, 0}, {55, 50, 0}, {60, 90, 0}},
         4,
         3.0,
         OffsetStatus::Invalid,
         0,
         nullptr},
        {"fewer samples than M", box, 5, 3.0, OffsetStatus::Invalid, 0, nullptr},
        {"a single sample", box, 1, 3.0, OffsetStatus::Invalid, 0, nullptr},
        {"not a number",
         {{60, 10, 0}, {80, nan, 0}, {80, 90, 0}, {60, 90, 0}},
         4,
         3.0,
         OffsetStatus::Invalid,
         0,
         nullptr},
        {"no width", box, 4, 0.0, OffsetStatus::Invalid, 0, nullptr},
        {"negative width", box, 4, -2.0, OffsetStatus::Invalid, 0, nullptr},
        {"width not a number", box, 4, nan, OffsetStatus::Invalid, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const OffsetDoublingResult r = OffsetDoubling(c.right, 60.0, c.width, c.M);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.outlines, c.outlines);
        EXPECT_EQ(r.right.size(), c.status == OffsetStatus::Single ? std::size_t{4} : 0);
        EXPECT_EQ(r.left.size(), r.right.size());
        if (c.message != nullptr) {
            EXPECT_EQ(OffsetDoublingMessage(r), c.message);
        } else {
            EXPECT_EQ(OffsetDoublingMessage(r), OffsetDoublingMessage({}));
        }
        if (c.status == OffsetStatus::Invalid && c.width > 0) { // the outline is at fault
            EXPECT_EQ(SmallestInnerWidth(c.right, 60.0, c.M), 0.0);
        }
    }
    // The box holds its doubling until the width reaches half its width.
    EXPECT_NEAR(SmallestInnerWidth(box, 60.0, 4), 40.0, 0.002);
}

// Random formers, orders, sample counts and widths: a doubling that is drawn is a ring of that
// width, and only an outline that meets itself is refused.
TEST(OffsetDoubling, RandomFormersGiveARingOrAReason) {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int seen[4] = {};
    for (int trial = 0; trial < 150; ++trial) {
        // Heights mostly in order down the side; every third former may cross itself.
        FormerModel m = startedModel();
        std::vector<double> y(static_cast<std::size_t>(m.Der_Point) - 1);
        for (double& v : y) {
            v = 15 + 70 * unit(rng);
        }
        if (trial % 3 != 0) {
            std::sort(y.begin(), y.end());
        }
        for (int i = 1; i < m.Der_Point; ++i) {
            m.Pts_Couple[static_cast<std::size_t>(i)] = {m.X1() + 40 * unit(rng),
                                                         y[static_cast<std::size_t>(i) - 1], 0};
        }
        const int M = 10 + static_cast<int>(91 * unit(rng));
        m = resampled(m, M, 2 + static_cast<int>(8 * unit(rng)));
        const double width = 0.5 + 20 * unit(rng);
        SCOPED_TRACE("trial " + std::to_string(trial));
        const OffsetDoublingResult r = OffsetDoubling(m.Courbe_Droite, m.X1(), width, m.Nb_Points);
        const std::vector<Vec> outer = closedOutline(m.Courbe_Droite, m.Courbe_Gauche);
        std::size_t a = 0, b = 0;
        const bool meets = edgesMeet(outer, &a, &b);
        if (!meets) {
            EXPECT_NE(r.status, OffsetStatus::Invalid);
        }
        if (r.status == OffsetStatus::Invalid) {
            EXPECT_TRUE(meets);
        }
        ++seen[static_cast<int>(r.status)];
        if (r.status == OffsetStatus::Single) {
            expectConstantWidthRing(m, r, width);
        }
    }
    for (const int n : seen) {
        EXPECT_GT(n, 3) << "the session must meet every outcome";
    }
}

// Decoupling starts from control points whose curve is the doubling: at 5 mm around the
// start-up former, every sample of the refitted curve stays within 0.025 mm of the width.
TEST(FitDoublingControlPoints, CurveOfTheFittedPointsKeepsTheWidth) {
    for (const int k : {2, 3, 4, 9}) {
        SCOPED_TRACE("order " + std::to_string(k));
        const FormerModel m = resampled(startedModel(), 13, k);
        const OffsetDoublingResult r = OffsetDoubling(m.Courbe_Droite, m.X1(), 5.0, 13);
        ASSERT_EQ(r.status, OffsetStatus::Single);
        const std::vector<PointXYZ> P = FitDoublingControlPoints(r.right, m.Der_Point, k);
        ASSERT_EQ(P.size(), 9u);
        EXPECT_EQ(P.front(), r.right.front());
        EXPECT_EQ(P.back(), r.right.back());
        std::vector<PointXYZ> Q(13);
        Calcul_Spline(P, k, Q);
        const std::vector<Vec> outer = closedOutline(m.Courbe_Droite, m.Courbe_Gauche);
        for (std::size_t i = 0; i < Q.size(); ++i) {
            EXPECT_NEAR(distanceToClosed({Q[i].x, Q[i].y}, outer), 5.0, 0.025) << "sample " << i;
        }
    }
    // Order 1 with few samples leaves control points that no sample sees: they still get a place.
    const FormerModel m = resampled(startedModel(), 10, 9);
    const OffsetDoublingResult r = OffsetDoubling(m.Courbe_Droite, m.X1(), 5.0, 10);
    const std::vector<PointXYZ> P = FitDoublingControlPoints(r.right, m.Der_Point, 1);
    ASSERT_EQ(P.size(), 9u);
    for (const PointXYZ& p : P) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    EXPECT_TRUE(FitDoublingControlPoints(std::vector<PointXYZ>(1), 8, 4).empty());
    EXPECT_TRUE(FitDoublingControlPoints(r.right, 0, 4).empty());
}

} // namespace

#include "splines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace {

// Nine control points of an uneven, non-symmetric polygon, z deliberately non-zero.
std::vector<PointXYZ> ninePoints() {
    return {{60.0, 14.8, 1.0}, {72.7, 14.8, 1.0}, {86.8, 14.8, 1.0},
            {86.8, 32.4, 1.0}, {90.1, 50.0, 1.0}, {86.8, 67.6, 1.0},
            {80.0, 85.2, 1.0}, {72.7, 85.2, 1.0}, {60.0, 85.2, 1.0}};
}

std::vector<PointXYZ> samples(int count, double z = -5.0) {
    return std::vector<PointXYZ>(static_cast<std::size_t>(count), PointXYZ{0.0, 0.0, z});
}

PointXYZ lerp(const PointXYZ& a, const PointXYZ& b, double f) {
    return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), 0.0};
}

// Independent reference for the single-span case: de Casteljau on all control points.
PointXYZ bezier(std::vector<PointXYZ> p, double t) {
    for (std::size_t level = p.size() - 1; level > 0; --level) {
        for (std::size_t i = 0; i < level; ++i) {
            p[i] = lerp(p[i], p[i + 1], t);
        }
    }
    return p[0];
}

} // namespace

TEST(NodoSpline, ClampedUniformKnots) {
    const std::vector<double> expected{0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 6, 6};
    for (int j = 0; j <= 8 + 4 + 1; ++j) {
        EXPECT_EQ(Nodo_Spline(8, 4, j), expected[static_cast<std::size_t>(j)]) << "j=" << j;
    }
    // One span when the order uses every point.
    EXPECT_EQ(Nodo_Spline(8, 9, 8), 0.0);
    EXPECT_EQ(Nodo_Spline(8, 9, 9), 1.0);
}

TEST(PoidsSpline, WeightsFormAPartitionOfUnityForEveryOrder) {
    const int n = 8;
    std::vector<double> W;
    for (int k = 1; k <= n + 1; ++k) {
        const double end = n - k + 2;
        for (double t = 0.0; t < end; t += end / 37.0) {
            Poids_Spline(n, t, k, W);
            ASSERT_EQ(W.size(), static_cast<std::size_t>(n + 2));
            EXPECT_EQ(W[n + 1], 0.0);
            double sum = 0.0;
            for (double w : W) {
                EXPECT_GE(w, 0.0);
                sum += w;
            }
            EXPECT_NEAR(sum, 1.0, 1e-12) << "k=" << k << " t=" << t;
        }
    }
}

TEST(PoidsSpline, OrderOneIntervalsAreHalfOpen) {
    std::vector<double> W;
    // t on a knot belongs to the span on its right.
    Poids_Spline(8, 3.0, 1, W);
    for (int j = 0; j <= 8; ++j) {
        EXPECT_EQ(W[static_cast<std::size_t>(j)], j == 3 ? 1.0 : 0.0) << "j=" << j;
    }
    // The end of the range belongs to no span.
    Poids_Spline(8, 9.0, 1, W);
    EXPECT_EQ(std::accumulate(W.begin(), W.end(), 0.0), 0.0);
}

TEST(PoidsSpline, RecreatesTheArrayAndSurvivesNoPoints) {
    std::vector<double> W(50, 7.0);
    Poids_Spline(3, 0.5, 2, W);
    EXPECT_EQ(W.size(), 5u);
    Poids_Spline(-1, 0.5, 2, W);
    EXPECT_TRUE(W.empty());
}

TEST(CalculSpline, EndsAreTheEndControlPointsAndZIsLeftAlone) {
    const auto P = ninePoints();
    for (int k = 1; k <= 9; ++k) {
        auto Q = samples(13);
        Calcul_Spline(P, k, Q);
        EXPECT_EQ(Q.front().x, P.front().x);
        EXPECT_EQ(Q.front().y, P.front().y);
        EXPECT_EQ(Q.back().x, P.back().x);
        EXPECT_EQ(Q.back().y, P.back().y);
        for (const auto& q : Q) {
            EXPECT_EQ(q.z, -5.0);
        }
    }
}

TEST(CalculSpline, OrderOneJumpsBetweenControlPoints) {
    const auto P = ninePoints();
    auto Q = samples(21);
    Calcul_Spline(P, 1, Q);
    const int m = 20;
    for (int i = 1; i < m; ++i) {
        const double t = (static_cast<double>(i) / m) * 9.0;
        const auto& p = P[static_cast<std::size_t>(std::floor(t))];
        EXPECT_EQ(Q[static_cast<std::size_t>(i)].x, p.x) << "i=" << i;
        EXPECT_EQ(Q[static_cast<std::size_t>(i)].y, p.y) << "i=" << i;
    }
}

TEST(CalculSpline, OrderTwoSamplesTheControlPolygon) {
    const auto P = ninePoints();
    auto Q = samples(30);
    Calcul_Spline(P, 2, Q);
    const int m = 29;
    for (int i = 1; i < m; ++i) {
        const double t = (static_cast<double>(i) / m) * 8.0;
        const auto s = static_cast<std::size_t>(std::floor(t));
        const PointXYZ expected = lerp(P[s], P[s + 1], t - std::floor(t));
        EXPECT_NEAR(Q[static_cast<std::size_t>(i)].x, expected.x, 1e-12) << "i=" << i;
        EXPECT_NEAR(Q[static_cast<std::size_t>(i)].y, expected.y, 1e-12) << "i=" << i;
    }
}

TEST(CalculSpline, FullOrderIsTheBezierCurveOfAllPoints) {
    const auto P = ninePoints();
    auto Q = samples(17);
    Calcul_Spline(P, 9, Q);
    for (int i = 0; i <= 16; ++i) {
        const PointXYZ expected = bezier(P, i / 16.0);
        EXPECT_NEAR(Q[static_cast<std::size_t>(i)].x, expected.x, 1e-9) << "i=" << i;
        EXPECT_NEAR(Q[static_cast<std::size_t>(i)].y, expected.y, 1e-9) << "i=" << i;
    }
}

TEST(CalculSpline, CollinearPointsGiveSamplesOnTheLineForEveryOrder) {
    // Unevenly spaced points on y = 2x + 1.
    std::vector<PointXYZ> P;
    for (double x : {0.0, 0.5, 3.0, 3.2, 7.0, 8.0, 12.5, 13.0, 20.0}) {
        P.push_back({x, 2.0 * x + 1.0, 0.0});
    }
    for (int k = 1; k <= 9; ++k) {
        auto Q = samples(100);
        Calcul_Spline(P, k, Q);
        for (const auto& q : Q) {
            EXPECT_NEAR(q.y, 2.0 * q.x + 1.0, 1e-9) << "k=" << k;
            EXPECT_GE(q.x, 0.0);
            EXPECT_LE(q.x, 20.0);
        }
    }
}

TEST(CalculSpline, MovingOnePointChangesOnlySamplesInItsSupport) {
    const int k = 4;
    const int n = 8;
    const int m = 40;
    const auto P = ninePoints();
    auto moved = P;
    moved[2].x += 10.0;
    auto before = samples(m + 1);
    auto after = samples(m + 1);
    Calcul_Spline(P, k, before);
    Calcul_Spline(moved, k, after);
    const double T = n - k + 2;
    for (int i = 0; i <= m; ++i) {
        const double t = (static_cast<double>(i) / m) * T;
        const bool inSupport = Nodo_Spline(n, k, 2) < t && t < Nodo_Spline(n, k, 2 + k);
        const auto& a = before[static_cast<std::size_t>(i)];
        const auto& b = after[static_cast<std::size_t>(i)];
        if (inSupport) {
            EXPECT_NE(a.x, b.x) << "i=" << i;
        } else {
            EXPECT_EQ(a.x, b.x) << "i=" << i;
        }
        EXPECT_EQ(a.y, b.y);
    }
}

TEST(CalculSpline, TinyAndEmptyOutputs) {
    const auto P = ninePoints();
    // m = 0: the single sample ends as the last control point.
    auto one = samples(1);
    Calcul_Spline(P, 4, one);
    EXPECT_EQ(one[0].x, P.back().x);
    EXPECT_EQ(one[0].y, P.back().y);
    EXPECT_EQ(one[0].z, -5.0);

    auto two = samples(2);
    Calcul_Spline(P, 4, two);
    EXPECT_EQ(two[0].x, P.front().x);
    EXPECT_EQ(two[0].y, P.front().y);
    EXPECT_EQ(two[1].x, P.back().x);
    EXPECT_EQ(two[1].y, P.back().y);

    std::vector<PointXYZ> none;
    Calcul_Spline(P, 4, none);
    EXPECT_TRUE(none.empty());

    auto untouched = samples(5, 3.0);
    Calcul_Spline({}, 4, untouched);
    for (const auto& q : untouched) {
        EXPECT_EQ(q, (PointXYZ{0.0, 0.0, 3.0}));
    }
}

TEST(CalculSpline, OrdersOutsideTheRangeAreBroughtBackIntoIt) {
    const auto P = ninePoints();
    auto low = samples(25);
    auto one = samples(25);
    auto high = samples(25);
    auto nine = samples(25);
    Calcul_Spline(P, 0, low);
    Calcul_Spline(P, 1, one);
    Calcul_Spline(P, 42, high);
    Calcul_Spline(P, 9, nine);
    EXPECT_EQ(low, one);
    EXPECT_EQ(high, nine);

    // A single control point gives a constant curve.
    auto Q = samples(6);
    Calcul_Spline({{4.0, 5.0, 0.0}}, 4, Q);
    for (const auto& q : Q) {
        EXPECT_EQ(q.x, 4.0);
        EXPECT_EQ(q.y, 5.0);
    }
}

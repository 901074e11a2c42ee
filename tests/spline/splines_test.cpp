#include "splines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace {

// Nine control points of an uneven, non-symmetric polygon, z deliberately non-zero.
const std::vector<PointXYZ> kP{{60.0, 14.8, 1.0}, {72.7, 14.8, 1.0}, {86.8, 14.8, 1.0},
                               {86.8, 32.4, 1.0}, {90.1, 50.0, 1.0}, {86.8, 67.6, 1.0},
                               {80.0, 85.2, 1.0}, {72.7, 85.2, 1.0}, {60.0, 85.2, 1.0}};

std::vector<PointXYZ> sampled(int k, int count, const std::vector<PointXYZ>& P = kP) {
    std::vector<PointXYZ> Q(static_cast<std::size_t>(count), PointXYZ{0.0, 0.0, -5.0});
    Calcul_Spline(P, k, Q);
    return Q;
}

PointXYZ lerp(const PointXYZ& a, const PointXYZ& b, double f) {
    return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), 0.0};
}

// Independent reference for the single-span case: de Casteljau on all control points.
PointXYZ bezier(std::vector<PointXYZ> p, double t) {
    for (std::size_t level = p.size() - 1; level > 0; --level)
        for (std::size_t i = 0; i < level; ++i)
            p[i] = lerp(p[i], p[i + 1], t);
    return p[0];
}

} // namespace

TEST(NodoSpline, ClampedUniformKnots) {
    const std::vector<double> expected{0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 6, 6};
    for (int j = 0; j <= 13; ++j)
        EXPECT_EQ(Nodo_Spline(8, 4, j), expected[static_cast<std::size_t>(j)]) << "j=" << j;
    // One span when the order uses every point.
    EXPECT_EQ(Nodo_Spline(8, 9, 8), 0.0);
    EXPECT_EQ(Nodo_Spline(8, 9, 9), 1.0);
}

TEST(PoidsSpline, PartitionOfUnityHalfOpenSpansAndArraySize) {
    std::vector<double> W;
    for (int k = 1; k <= 9; ++k) {
        const double end = 8 - k + 2;
        for (double t = 0.0; t < end; t += end / 37.0) {
            Poids_Spline(8, t, k, W);
            ASSERT_EQ(W.size(), 10u);
            EXPECT_EQ(W[9], 0.0);
            for (double w : W)
                EXPECT_GE(w, 0.0);
            EXPECT_NEAR(std::accumulate(W.begin(), W.end(), 0.0), 1.0, 1e-12)
                << "k=" << k << " t=" << t;
        }
    }
    // Order 1: t on a knot belongs to the span on its right, the end of the range to none.
    Poids_Spline(8, 3.0, 1, W);
    for (int j = 0; j <= 8; ++j)
        EXPECT_EQ(W[static_cast<std::size_t>(j)], j == 3 ? 1.0 : 0.0) << "j=" << j;
    Poids_Spline(8, 9.0, 1, W);
    EXPECT_EQ(std::accumulate(W.begin(), W.end(), 0.0), 0.0);
    // The array is recreated, and empty without points.
    W.assign(50, 7.0);
    Poids_Spline(3, 0.5, 2, W);
    EXPECT_EQ(W.size(), 5u);
    Poids_Spline(-1, 0.5, 2, W);
    EXPECT_TRUE(W.empty());
}

TEST(CalculSpline, EndsAreTheEndControlPointsAndZIsLeftAlone) {
    for (int k = 1; k <= 9; ++k) {
        const auto Q = sampled(k, 13);
        EXPECT_EQ(Q.front().x, kP.front().x);
        EXPECT_EQ(Q.front().y, kP.front().y);
        EXPECT_EQ(Q.back().x, kP.back().x);
        EXPECT_EQ(Q.back().y, kP.back().y);
        for (const auto& q : Q)
            EXPECT_EQ(q.z, -5.0);
    }
}

TEST(CalculSpline, OrdersOneTwoAndFullMatchIndependentReferences) {
    // Order 1 jumps between control points, order 2 runs along the polygon, order n + 1 is
    // the Bezier curve of all points.
    const auto one = sampled(1, 21);
    const auto two = sampled(2, 30);
    const auto full = sampled(9, 17);
    for (int i = 1; i < 20; ++i) {
        const double t = i / 20.0 * 9.0;
        const auto& p = kP[static_cast<std::size_t>(std::floor(t))];
        EXPECT_EQ(one[static_cast<std::size_t>(i)].x, p.x) << "i=" << i;
        EXPECT_EQ(one[static_cast<std::size_t>(i)].y, p.y) << "i=" << i;
    }
    for (int i = 1; i < 29; ++i) {
        const double t = i / 29.0 * 8.0;
        const auto s = static_cast<std::size_t>(std::floor(t));
        const PointXYZ e = lerp(kP[s], kP[s + 1], t - std::floor(t));
        EXPECT_NEAR(two[static_cast<std::size_t>(i)].x, e.x, 1e-12) << "i=" << i;
        EXPECT_NEAR(two[static_cast<std::size_t>(i)].y, e.y, 1e-12) << "i=" << i;
    }
    for (int i = 0; i <= 16; ++i) {
        const PointXYZ e = bezier(kP, i / 16.0);
        EXPECT_NEAR(full[static_cast<std::size_t>(i)].x, e.x, 1e-9) << "i=" << i;
        EXPECT_NEAR(full[static_cast<std::size_t>(i)].y, e.y, 1e-9) << "i=" << i;
    }
}

TEST(CalculSpline, TinyEmptyAndOutOfRangeInputs) {
    // m = 0: the single sample ends as the last control point; m = 1: both ends.
    const auto one = sampled(4, 1);
    EXPECT_EQ(one[0], (PointXYZ{kP.back().x, kP.back().y, -5.0}));
    const auto two = sampled(4, 2);
    EXPECT_EQ(two[0], (PointXYZ{kP.front().x, kP.front().y, -5.0}));
    EXPECT_EQ(two[1], (PointXYZ{kP.back().x, kP.back().y, -5.0}));
    EXPECT_TRUE(sampled(4, 0).empty());
    for (const auto& q : sampled(4, 5, {}))
        EXPECT_EQ(q, (PointXYZ{0.0, 0.0, -5.0})) << "no points: left alone";
    // Orders outside 1..n+1 are brought back into the range.
    EXPECT_EQ(sampled(0, 25), sampled(1, 25));
    EXPECT_EQ(sampled(42, 25), sampled(9, 25));
    // A single control point gives a constant curve.
    for (const auto& q : sampled(4, 6, {{4.0, 5.0, 0.0}}))
        EXPECT_EQ(q, (PointXYZ{4.0, 5.0, -5.0}));
}

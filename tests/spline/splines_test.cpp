#include "splines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
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

// The sampling as written first: the weights of every sample worked out anew, then summed in
// increasing j.
void reference(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q) {
    const int n = static_cast<int>(P.size()) - 1;
    const int m = static_cast<int>(Q.size()) - 1;
    k = std::clamp(k, 1, n + 1);
    Q[0].x = P[0].x;
    Q[0].y = P[0].y;
    std::vector<double> W;
    for (int i = 1; i <= m - 1; ++i) {
        Poids_Spline(n, (static_cast<double>(i) / m) * (n - k + 2), k, W);
        double sx = 0.0, sy = 0.0;
        for (int j = 0; j <= n; ++j) {
            sx += W[static_cast<std::size_t>(j)] * P[static_cast<std::size_t>(j)].x;
            sy += W[static_cast<std::size_t>(j)] * P[static_cast<std::size_t>(j)].y;
        }
        Q[static_cast<std::size_t>(i)].x = sx;
        Q[static_cast<std::size_t>(i)].y = sy;
    }
    Q[static_cast<std::size_t>(m)].x = P.back().x;
    Q[static_cast<std::size_t>(m)].y = P.back().y;
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

// The kept weights give the very bits of the weights worked out per sample: for every order
// (and orders out of range) and every count up to 100, over random points, through one cache
// that keeps changing hands between point counts, orders and counts, and through the
// thread's own.
TEST(CalculSpline, KeptWeightsGiveTheSameBitsAsWeightsWorkedOutPerSample) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> coord(-500.0, 500.0);
    auto points = [&](int n) {
        std::vector<PointXYZ> P(static_cast<std::size_t>(n) + 1);
        for (auto& p : P)
            p = {coord(gen), coord(gen), coord(gen)};
        return P;
    };
    SplineBasis cache;
    auto check = [&](const std::vector<PointXYZ>& P, int k, int count) {
        std::vector<PointXYZ> expected(static_cast<std::size_t>(count), PointXYZ{1, 2, 3});
        std::vector<PointXYZ> own = expected, kept = expected;
        reference(P, k, expected);
        Calcul_Spline(P, k, own);
        Calcul_Spline(P, k, kept, cache);
        ASSERT_EQ(own, expected) << "n=" << P.size() - 1 << " k=" << k << " count=" << count;
        ASSERT_EQ(kept, expected) << "n=" << P.size() - 1 << " k=" << k << " count=" << count;
    };
    const auto P = points(8);
    for (int k = -1; k <= 11; ++k)
        for (int count = 1; count <= 100; ++count)
            check(P, k, count);
    // The points move while the weights stay; then the point count, order or count changes.
    std::uniform_int_distribution<int> n(0, 12), count(1, 100);
    for (int i = 0; i < 300; ++i) {
        const auto Q = points(n(gen));
        const int k = std::uniform_int_distribution<int>(0, static_cast<int>(Q.size()) + 1)(gen);
        const int c = count(gen);
        check(Q, k, c);
        check(points(static_cast<int>(Q.size()) - 1), k, c);
    }
    // Too many samples to keep: the weights are worked out per sample, with the same bits.
    EXPECT_TRUE(cache.weights(8, 4, SplineBasis::kMaxEntries).empty());
    check(P, 4, SplineBasis::kMaxEntries / 4);
}

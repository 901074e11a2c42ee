#include "splines.h"

#include <algorithm>

double Nodo_Spline(int n, int k, int j) {
    if (j < k) {
        return 0.0;
    }
    if (j <= n) {
        return static_cast<double>(j - k + 1);
    }
    return static_cast<double>(n - k + 2);
}

namespace {

// The knot vector u(0..n+k+1), computed once per curve.
void knots(int n, int k, std::vector<double>& u) {
    u.resize(static_cast<std::size_t>(n + k + 2 > 0 ? n + k + 2 : 0));
    for (std::size_t j = 0; j < u.size(); ++j) {
        u[j] = Nodo_Spline(n, k, static_cast<int>(j));
    }
}

// The recursion with caller-owned buffers, so that sampling a curve allocates nothing per
// sample. W and B must hold n+2 values, u the knots of order k (1 <= k).
void basis(int n, double t, int k, const double* u, double* W, double* B) {
    std::fill(W, W + n + 2, 0.0);
    std::fill(B, B + n + 2, 0.0);

    // Order 1: half-open intervals, so a knot belongs to the span on its right.
    for (int i = 0; i <= n; ++i) {
        B[i] = (u[i] <= t && t < u[i + 1]) ? 1.0 : 0.0;
    }
    if (k <= 1) {
        std::copy(B, B + n + 1, W);
        return;
    }
    for (int r = 2; r <= k; ++r) {
        for (int i = 0; i <= n; ++i) {
            const double d1 = u[i + r - 1] - u[i];
            const double first = d1 != 0.0 ? ((t - u[i]) * B[i]) / d1 : 0.0;
            const double d2 = u[i + r] - u[i + 1];
            const double second = d2 != 0.0 ? ((u[i + r] - t) * B[i + 1]) / d2 : 0.0;
            W[i] = first + second;
        }
        // B(n+1) stays 0: no control point lies beyond n.
        std::copy(W, W + n + 1, B);
    }
}

} // namespace

void Poids_Spline(int n, double t, int k, std::vector<double>& W) {
    if (n < 0) {
        W.clear();
        return;
    }
    W.assign(static_cast<std::size_t>(n) + 2, 0.0);
    // Orders below 1 have no basis of their own: they give the order-1 values.
    const int order = k < 1 ? 1 : k;
    std::vector<double> u;
    knots(n, order, u);
    std::vector<double> B(W.size(), 0.0);
    basis(n, t, order, u.data(), W.data(), B.data());
}

const std::vector<double>& SplineBasis::weights(int n, int k, int m) {
    if (n == n_ && k == k_ && m == m_) {
        return table_;
    }
    n_ = n;
    k_ = k;
    m_ = m;
    table_.clear();
    if (n < 0 || k < 1 || k > n + 1 || m < 2 || (m - 1) > kMaxEntries / (n + 1)) {
        return table_;
    }
    const std::size_t samples = static_cast<std::size_t>(m) - 1;
    table_.resize(samples * (static_cast<std::size_t>(n) + 1));
    const double T = static_cast<double>(n - k + 2);
    std::vector<double> u;
    knots(n, k, u);
    std::vector<double> W(static_cast<std::size_t>(n) + 2);
    std::vector<double> B(W.size());
    for (int i = 1; i <= m - 1; ++i) {
        // Evenly spaced in the parameter, not in arc length.
        const double t = (static_cast<double>(i) / static_cast<double>(m)) * T;
        basis(n, t, k, u.data(), W.data(), B.data());
        for (int j = 0; j <= n; ++j) {
            table_[static_cast<std::size_t>(j) * samples + static_cast<std::size_t>(i - 1)] = W[j];
        }
    }
    return table_;
}

void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q,
                   SplineBasis& cache) {
    if (P.empty() || Q.empty()) {
        return;
    }
    const int n = static_cast<int>(P.size()) - 1;
    const int m = static_cast<int>(Q.size()) - 1;
    k = std::clamp(k, 1, n + 1);

    Q[0].x = P[0].x;
    Q[0].y = P[0].y;

    // Every sample's sums take every weight, zero or not, in increasing j: the same bits
    // whichever way the weights were come by.
    const std::vector<double>& table = cache.weights(n, k, m);
    if (!table.empty()) {
        // Control point by control point over all samples at once: each sum still grows in
        // increasing j, but the samples no longer wait for one another.
        const std::size_t samples = static_cast<std::size_t>(m) - 1;
        cache.sums_.assign(2 * samples, 0.0);
        double* sx = cache.sums_.data();
        double* sy = sx + samples;
        for (int j = 0; j <= n; ++j) {
            const double* w = table.data() + static_cast<std::size_t>(j) * samples;
            const double px = P[j].x;
            const double py = P[j].y;
            for (std::size_t i = 0; i < samples; ++i) {
                sx[i] += w[i] * px;
                sy[i] += w[i] * py;
            }
        }
        for (std::size_t i = 0; i < samples; ++i) {
            Q[i + 1].x = sx[i];
            Q[i + 1].y = sy[i];
        }
    } else if (m >= 2) {
        // Too many samples to keep their weights: each one gets its own as it is sampled.
        std::vector<double> u;
        knots(n, k, u);
        std::vector<double> W(static_cast<std::size_t>(n) + 2);
        std::vector<double> B(W.size());
        const double T = static_cast<double>(n - k + 2);
        for (int i = 1; i <= m - 1; ++i) {
            const double t = (static_cast<double>(i) / static_cast<double>(m)) * T;
            basis(n, t, k, u.data(), W.data(), B.data());
            double sx = 0.0;
            double sy = 0.0;
            for (int j = 0; j <= n; ++j) {
                sx += W[j] * P[j].x;
                sy += W[j] * P[j].y;
            }
            Q[i].x = sx;
            Q[i].y = sy;
        }
    }

    // Clamped curve: it ends exactly on the last control point.
    Q[m].x = P[n].x;
    Q[m].y = P[n].y;
}

void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q) {
    // One user-interface thread samples the curves; a thread of its own gets its own weights.
    thread_local SplineBasis cache;
    Calcul_Spline(P, k, Q, cache);
}

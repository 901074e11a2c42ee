#pragma once

#include "point_xyz.h"

#include <vector>

// The basis weights of every interior sample of a curve. They depend only on the number of
// control points, the order and the number of samples, not on where the points lie, so a drag
// that moves points reuses them and only the weighted sums are done again.
class SplineBasis {
public:
    // Weights of samples 1..m-1 for control points 0..n and order k, point by point: entry
    // j·(m-1) + i-1 is W(j) at t = (i/m)·(n-k+2). Worked out again only when n, k or m
    // change; empty for m < 2, for an order outside 1..n+1 and when the table would pass
    // kMaxEntries.
    const std::vector<double>& weights(int n, int k, int m);

    static constexpr int kMaxEntries = 1 << 20;

private:
    friend void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q,
                              SplineBasis& cache);
    std::vector<double> sums_; // the samples' running sums, x then y
    int n_ = -1;
    int k_ = -1;
    int m_ = -1;
    std::vector<double> table_;
};

// Clamped uniform B-spline of order k through the control points P (indices 0..n), sampled
// into Q (indices 0..m, m = Q.size() - 1). Q is never resized; only x and y are written.
// An empty Q or P is left alone (a failing step is skipped, nothing is raised).
// An order outside 1..n+1 is brought back into that range, the only orders the knot vector
// below is made for. The weights come from `cache`, which the caller keeps between calls.
void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q,
                   SplineBasis& cache);
// The same with a cache of the calling thread's own: a curve sampled again with the same
// number of points, order and samples as the call before costs only the sums.
void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q);

// Cox-de Boor basis values for parameter t: W is (re)created with indices 0..n+1, of which
// 0..n are the weights of the n+1 control points. A negative n leaves W empty.
void Poids_Spline(int n, double t, int k, std::vector<double>& W);

// Knot j of the clamped uniform knot vector of order k over n+1 control points:
// k zeros, then 1, 2, ... and finally n - k + 2 repeated to the end.
double Nodo_Spline(int n, int k, int j);

#pragma once

#include "point_xyz.h"

#include <vector>

// Clamped uniform B-spline of order k through the control points P (indices 0..n), sampled
// into Q (indices 0..m, m = Q.size() - 1). Q is never resized; only x and y are written.
// An empty Q or P is left alone (a failing step is skipped, nothing is raised).
// An order outside 1..n+1 is brought back into that range, the only orders the knot vector
// below is made for.
void Calcul_Spline(const std::vector<PointXYZ>& P, int k, std::vector<PointXYZ>& Q);

// Cox-de Boor basis values for parameter t: W is (re)created with indices 0..n+1, of which
// 0..n are the weights of the n+1 control points. A negative n leaves W empty.
void Poids_Spline(int n, double t, int k, std::vector<double>& W);

// Knot j of the clamped uniform knot vector of order k over n+1 control points:
// k zeros, then 1, 2, ... and finally n - k + 2 repeated to the end.
double Nodo_Spline(int n, int k, int j);

#include "doubling_offset.h"
#include "splines.h"

#include <clipper.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>

namespace {

// Clipper works on whole numbers: 1e5 per millimetre resolves 0.01 micrometre, and coordinates
// within 10 m of the centre stay below the range where it turns to slower 128-bit products.
constexpr double kUnitsPerMm = 1e5;
constexpr double kMaxCoordinate = 1e4; // mm from the centre
// Round joins are drawn as chords no further than this from the true arc.
constexpr double kArcTolerance = 0.0005; // mm
// Inner samples keep at least this share of the mean spacing between them.
constexpr double kMinGapShare = 0.2;

struct Vec {
    double x = 0.0;
    double y = 0.0;
};

Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
double cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}
double dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}

// The whole outline centred on the axis (x - X1) and on its mid height, so the coordinates
// stay small and a point and its mirror round to opposite whole numbers.
struct Outline {
    std::vector<Vec> right; // the right half's samples, centred
    std::vector<Vec> whole; // right half down, mirror up, no point repeated on the axis
    double yc = 0.0;
    bool valid = false;
};

// Segments p-q and r-s cross at a point inside both (touching or overlapping does not count:
// a former pinched on the axis is offset, and falls apart, rather than refused).
bool properlyCross(Vec p, Vec q, Vec r, Vec s) {
    const double d1 = cross(q - p, r - p);
    const double d2 = cross(q - p, s - p);
    const double d3 = cross(s - r, p - r);
    const double d4 = cross(s - r, q - r);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// True when two edges of the closed polygon that share no vertex cross. Edges are swept by their
// lowest y, so an outline pays for the pairs that overlap in height only.
bool crossesItself(const std::vector<Vec>& poly) {
    const std::size_t n = poly.size();
    if (n < 4) {
        return false;
    }
    std::vector<double> lo(n);
    std::vector<double> hi(n);
    for (std::size_t i = 0; i < n; ++i) {
        lo[i] = std::min(poly[i].y, poly[(i + 1) % n].y);
        hi[i] = std::max(poly[i].y, poly[(i + 1) % n].y);
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lo[a] < lo[b]; });
    for (std::size_t a = 0; a < n; ++a) {
        const std::size_t i = order[a];
        for (std::size_t b = a + 1; b < n && lo[order[b]] <= hi[i]; ++b) {
            const std::size_t j = order[b];
            if ((i + 1) % n == j || (j + 1) % n == i) {
                continue;
            }
            if (properlyCross(poly[i], poly[(i + 1) % n], poly[j], poly[(j + 1) % n])) {
                return true;
            }
        }
    }
    return false;
}

Outline buildOutline(std::span<const PointXYZ> right, double X1, int M) {
    Outline o;
    if (M < 2 || right.size() < static_cast<std::size_t>(M) || !std::isfinite(X1)) {
        return o;
    }
    double ymin = right[0].y;
    double ymax = right[0].y;
    for (int j = 0; j < M; ++j) {
        const PointXYZ& p = right[static_cast<std::size_t>(j)];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return o;
        }
        // The spline's rounding may leave a point on the axis a hair to its left.
        if (p.x - X1 < -1e-9) {
            return o;
        }
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    o.yc = (ymin + ymax) / 2.0;
    for (int j = 0; j < M; ++j) {
        const PointXYZ& p = right[static_cast<std::size_t>(j)];
        const Vec v{std::max(p.x - X1, 0.0), p.y - o.yc};
        if (std::abs(v.x) > kMaxCoordinate || std::abs(v.y) > kMaxCoordinate) {
            return o;
        }
        o.right.push_back(v);
    }
    auto add = [&](Vec v) {
        if (o.whole.empty() || o.whole.back().x != v.x || o.whole.back().y != v.y) {
            o.whole.push_back(v);
        }
    };
    for (const Vec& v : o.right) {
        add(v);
    }
    for (auto it = o.right.rbegin(); it != o.right.rend(); ++it) {
        add({-it->x, it->y});
    }
    while (o.whole.size() > 1 && o.whole.back().x == o.whole.front().x &&
           o.whole.back().y == o.whole.front().y) {
        o.whole.pop_back();
    }
    o.valid = o.whole.size() >= 3 && !crossesItself(o.whole);
    return o;
}

ClipperLib::cInt toUnits(double mm) {
    return std::llround(mm * kUnitsPerMm);
}

ClipperLib::Path toPath(const Outline& o) {
    ClipperLib::Path path;
    path.reserve(o.whole.size());
    for (const Vec& v : o.whole) {
        // llround rounds halves away from zero, so mirrored points stay mirrored.
        path.emplace_back(toUnits(v.x), toUnits(v.y));
    }
    return path;
}

ClipperLib::Paths offsetInwards(const ClipperLib::Path& path, double width) {
    ClipperLib::ClipperOffset offset(2.0, kArcTolerance * kUnitsPerMm);
    offset.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    ClipperLib::Paths solution;
    offset.Execute(solution, -width * kUnitsPerMm);
    return solution;
}

// The right half of the inner outline, from its top crossing of the axis to its bottom one,
// both exactly on the axis. Empty unless the outline crosses the axis exactly twice.
std::vector<Vec> rightChain(const ClipperLib::Path& path) {
    const std::size_t n = path.size();
    std::vector<Vec> q(n);
    for (std::size_t i = 0; i < n; ++i) {
        q[i] = {static_cast<double>(path[i].X) / kUnitsPerMm,
                static_cast<double>(path[i].Y) / kUnitsPerMm};
    }
    auto isRight = [&](std::size_t i) { return q[i].x >= 0.0; };
    std::size_t enter = n;
    std::size_t leave = n;
    int crossings = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = (i + 1) % n;
        if (isRight(i) != isRight(k)) {
            ++crossings;
            (isRight(k) ? enter : leave) = i;
        }
    }
    std::vector<Vec> chain;
    if (crossings != 2 || enter == n || leave == n) {
        return chain;
    }
    auto onAxis = [&](std::size_t i) {
        const Vec a = q[i];
        const Vec b = q[(i + 1) % n];
        const double t = (0.0 - a.x) / (b.x - a.x);
        return Vec{0.0, a.y + t * (b.y - a.y)};
    };
    auto add = [&](Vec v) {
        if (chain.empty() || chain.back().x != v.x || chain.back().y != v.y) {
            chain.push_back(v);
        }
    };
    add(onAxis(enter));
    for (std::size_t i = (enter + 1) % n;; i = (i + 1) % n) {
        add(q[i]);
        if (i == leave) {
            break;
        }
    }
    add(onAxis(leave));
    // Top first (y grows downwards).
    if (chain.front().y > chain.back().y) {
        std::reverse(chain.begin(), chain.end());
    }
    return chain;
}

// Least-squares non-decreasing fit (pool adjacent violators), in place.
void isotonic(std::vector<double>& v) {
    std::vector<double> sum;
    std::vector<std::size_t> count;
    for (double x : v) {
        sum.push_back(x);
        count.push_back(1);
        while (sum.size() > 1 &&
               sum[sum.size() - 2] / static_cast<double>(count[count.size() - 2]) >
                   sum.back() / static_cast<double>(count.back())) {
            sum[sum.size() - 2] += sum.back();
            count[count.size() - 2] += count.back();
            sum.pop_back();
            count.pop_back();
        }
    }
    std::size_t j = 0;
    for (std::size_t b = 0; b < sum.size(); ++b) {
        const double mean = sum[b] / static_cast<double>(count[b]);
        for (std::size_t c = 0; c < count[b]; ++c) {
            v[j++] = mean;
        }
    }
}

// Arc-length places along the chain for the M samples: each former sample's nearest inner point,
// then the ordered sequence closest to those (least squares) that keeps a minimum gap, the ends
// fixed on the two axis crossings. Subtracting j * gap turns the gap into plain order.
// A sample at a hollow corner of the former is equally near a whole arc of the inner outline:
// it takes the arc's middle, the point that faces it along the corner's bisector.
std::vector<double> samplePlaces(const std::vector<Vec>& chain, const std::vector<double>& at,
                                 const std::vector<Vec>& former) {
    const std::size_t M = former.size();
    const std::size_t segments = chain.size() - 1;
    const double length = at.back();
    const double gap = kMinGapShare * length / static_cast<double>(M - 1);
    std::vector<double> dist(segments);
    std::vector<double> place(segments);
    std::vector<double> tau;
    for (std::size_t j = 1; j + 1 < M; ++j) {
        std::size_t best = 0;
        for (std::size_t s = 0; s < segments; ++s) {
            const Vec d = chain[s + 1] - chain[s];
            const double len2 = dot(d, d);
            const double t =
                len2 > 0.0 ? std::clamp(dot(former[j] - chain[s], d) / len2, 0.0, 1.0) : 0.0;
            const Vec e = former[j] - Vec{chain[s].x + t * d.x, chain[s].y + t * d.y};
            dist[s] = dot(e, e); // squared until the nearest is known
            place[s] = at[s] + t * (at[s + 1] - at[s]);
            if (dist[s] < dist[best]) {
                best = s;
            }
        }
        // The run of neighbouring segments as near as the nearest, up to the arcs' chords.
        const double reach = std::sqrt(dist[best]) + 2.0 * kArcTolerance;
        const double tied = reach * reach;
        std::size_t first = best;
        std::size_t last = best;
        while (first > 0 && dist[first - 1] <= tied) {
            --first;
        }
        while (last + 1 < segments && dist[last + 1] <= tied) {
            ++last;
        }
        tau.push_back((place[first] + place[last]) / 2.0 - static_cast<double>(j) * gap);
    }
    isotonic(tau);
    // Clipping an ordered fit to the fixed ends keeps it the best ordered fit.
    const double last = length - static_cast<double>(M - 1) * gap;
    std::vector<double> sigma(M);
    sigma[0] = 0.0;
    for (std::size_t j = 1; j + 1 < M; ++j) {
        sigma[j] = std::clamp(tau[j - 1], 0.0, last) + static_cast<double>(j) * gap;
    }
    sigma[M - 1] = length;
    return sigma;
}

OffsetStatus statusOf(const ClipperLib::Paths& paths) {
    if (paths.empty()) {
        return OffsetStatus::None;
    }
    return paths.size() == 1 ? OffsetStatus::Single : OffsetStatus::Several;
}

// One outline that crosses the axis twice: the only shape the two halves can carry.
bool holdsOneOutline(const ClipperLib::Paths& paths) {
    return paths.size() == 1 && !rightChain(paths[0]).empty();
}

// Cholesky factor of the symmetric positive definite n x n matrix A (row-major), in place in
// its lower triangle. False when A is not positive definite.
bool cholesky(std::vector<double>& A, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) {
        double d = A[j * n + j];
        for (std::size_t k = 0; k < j; ++k) {
            d -= A[j * n + k] * A[j * n + k];
        }
        if (!(d > 0.0)) {
            return false;
        }
        d = std::sqrt(d);
        A[j * n + j] = d;
        for (std::size_t i = j + 1; i < n; ++i) {
            double s = A[i * n + j];
            for (std::size_t k = 0; k < j; ++k) {
                s -= A[i * n + k] * A[j * n + k];
            }
            A[i * n + j] = s / d;
        }
    }
    return true;
}

// Solves L L^T x = b with the factor above, in place.
void choleskySolve(const std::vector<double>& L, std::vector<double>& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        double s = b[i];
        for (std::size_t k = 0; k < i; ++k) {
            s -= L[i * n + k] * b[k];
        }
        b[i] = s / L[i * n + i];
    }
    for (std::size_t i = n; i-- > 0;) {
        double s = b[i];
        for (std::size_t k = i + 1; k < n; ++k) {
            s -= L[k * n + i] * b[k];
        }
        b[i] = s / L[i * n + i];
    }
}

Vec nearestOnPolyline(std::span<const PointXYZ> line, Vec p) {
    Vec best{line[0].x, line[0].y};
    double bestDist = INFINITY;
    for (std::size_t s = 0; s + 1 < line.size(); ++s) {
        const Vec a{line[s].x, line[s].y};
        const Vec d = Vec{line[s + 1].x, line[s + 1].y} - a;
        const double len2 = dot(d, d);
        const double t = len2 > 0.0 ? std::clamp(dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
        const Vec foot{a.x + t * d.x, a.y + t * d.y};
        const Vec e = p - foot;
        if (dot(e, e) < bestDist) {
            bestDist = dot(e, e);
            best = foot;
        }
    }
    return best;
}

} // namespace

OffsetDoublingResult OffsetDoubling(std::span<const PointXYZ> right, double X1, double width,
                                    int M) {
    OffsetDoublingResult r;
    if (!(width > 0.0) || !std::isfinite(width) || width > kMaxCoordinate) {
        return r;
    }
    const Outline o = buildOutline(right, X1, M);
    if (!o.valid) {
        return r;
    }
    const ClipperLib::Paths paths = offsetInwards(toPath(o), width);
    r.status = statusOf(paths);
    r.outlines = static_cast<int>(paths.size());
    if (r.status != OffsetStatus::Single) {
        return r;
    }
    const std::vector<Vec> chain = rightChain(paths[0]);
    if (chain.size() < 2) {
        r.status = OffsetStatus::Invalid;
        r.outlines = 0;
        return r;
    }
    std::vector<double> at(chain.size(), 0.0);
    for (std::size_t s = 1; s < chain.size(); ++s) {
        const Vec d = chain[s] - chain[s - 1];
        at[s] = at[s - 1] + std::sqrt(dot(d, d));
    }
    const std::vector<double> sigma = samplePlaces(chain, at, o.right);

    r.right.resize(static_cast<std::size_t>(M));
    r.left.resize(static_cast<std::size_t>(M));
    std::size_t s = 0;
    for (std::size_t j = 0; j < sigma.size(); ++j) {
        while (s + 2 < chain.size() && at[s + 1] < sigma[j]) {
            ++s;
        }
        const double span = at[s + 1] - at[s];
        const double t = span > 0.0 ? std::clamp((sigma[j] - at[s]) / span, 0.0, 1.0) : 0.0;
        double u = chain[s].x + t * (chain[s + 1].x - chain[s].x);
        const double v = chain[s].y + t * (chain[s + 1].y - chain[s].y);
        if (j == 0 || j + 1 == sigma.size()) {
            u = 0.0; // the two axis crossings
        }
        r.right[j] = {X1 + u, o.yc + v, 0.0};
        r.left[j] = {X1 - u, o.yc + v, 0.0};
    }
    return r;
}

std::string OffsetDoublingMessage(const OffsetDoublingResult& r) {
    switch (r.status) {
    case OffsetStatus::Single:
        return "";
    case OffsetStatus::None:
        return "Largeur trop grande : il ne reste rien à l'intérieur du couple, aucun doublage "
               "n'est tracé.";
    case OffsetStatus::Several:
        return "Largeur trop grande : le doublage se sépare en " + std::to_string(r.outlines) +
               " contours, aucun doublage n'est tracé.";
    case OffsetStatus::Invalid:
        break;
    }
    return "Le contour du couple se recoupe : aucun doublage à largeur constante n'est tracé.";
}

double SmallestInnerWidth(std::span<const PointXYZ> right, double X1, int M, OffsetWork* work) {
    const Outline o = buildOutline(right, X1, M);
    if (!o.valid) {
        return 0.0;
    }
    // No circle wider than the outline's narrower extent fits inside it.
    double xmax = 0.0;
    double ymin = o.right[0].y;
    double ymax = o.right[0].y;
    for (const Vec& v : o.right) {
        xmax = std::max(xmax, v.x);
        ymin = std::min(ymin, v.y);
        ymax = std::max(ymax, v.y);
    }
    const double bound = std::min(xmax, (ymax - ymin) / 2.0);
    if (!(bound > 0.0)) {
        return 0.0;
    }
    // The outline may first break at a neck and lose a part later: scan upwards for the first
    // width that no longer holds one outline, then narrow it down. Offsetting by a then b is
    // offsetting by a + b, but each offset adds a round join's points at every hollow vertex: an
    // outline offset step after step grew to thousands of points and took seconds. Offsetting
    // the former's own outline by a large width is slow too, its raw offset crossing itself all
    // over. So each width is offset from a base by at most kRebase steps, and the base moves up
    // every kRebase steps of the scan to the outline that held there: no outline offset is more
    // than kScan / kRebase offsets away from the former's.
    constexpr int kScan = 20;
    constexpr int kRebase = 5;
    const double step = bound / kScan;
    ClipperLib::Path base = toPath(o);
    double baseWidth = 0.0;
    auto offsetTo = [&](double w) {
        if (work != nullptr) {
            ++work->offsets;
            work->pointsIn += base.size();
            work->largest = std::max(work->largest, base.size());
        }
        return offsetInwards(base, w - baseWidth);
    };
    double lo = 0.0;
    double hi = bound;
    for (int i = 1; i <= kScan; ++i) {
        const double w = step * i;
        ClipperLib::Paths next = offsetTo(w);
        if (!holdsOneOutline(next)) {
            hi = w;
            break;
        }
        lo = w;
        if (i % kRebase == 0) {
            base = std::move(next[0]);
            baseWidth = w;
        }
    }
    while (hi - lo > 0.001) {
        const double w = (lo + hi) / 2.0;
        (holdsOneOutline(offsetTo(w)) ? lo : hi) = w;
    }
    return 2.0 * lo;
}

std::vector<PointXYZ> FitDoublingControlPoints(std::span<const PointXYZ> samples, int n, int k) {
    std::vector<PointXYZ> P;
    const auto finite = [](const PointXYZ& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (samples.size() < 2 || n < 1 || !std::all_of(samples.begin(), samples.end(), finite)) {
        return P;
    }
    const int m = static_cast<int>(samples.size()) - 1;
    k = std::clamp(k, 1, n + 1);
    P.resize(static_cast<std::size_t>(n) + 1);
    P.front() = {samples.front().x, samples.front().y, 0.0};
    P.back() = {samples.back().x, samples.back().y, 0.0};
    const auto unknowns = static_cast<std::size_t>(n - 1);
    if (unknowns == 0 || m < 2) {
        return P;
    }

    // The basis at the parameters Calcul_Spline uses for the interior samples; the end samples
    // are the end points themselves.
    const double T = static_cast<double>(n - k + 2);
    const auto width = static_cast<std::size_t>(n) + 2;
    std::vector<double> rows;
    std::vector<double> W;
    for (int i = 1; i <= m - 1; ++i) {
        Poids_Spline(n, (static_cast<double>(i) / static_cast<double>(m)) * T, k, W);
        rows.insert(rows.end(), W.begin(), W.end());
    }
    const auto row = [&](int i) { return rows.data() + static_cast<std::size_t>(i - 1) * width; };

    std::vector<double> A(unknowns * unknowns, 0.0);
    for (int i = 1; i <= m - 1; ++i) {
        const double* w = row(i);
        for (std::size_t a = 0; a < unknowns; ++a) {
            for (std::size_t b = 0; b < unknowns; ++b) {
                A[a * unknowns + b] += w[a + 1] * w[b + 1];
            }
        }
    }
    // A faint pull towards the sample nearest each point's place on the curve (its Greville
    // abscissa) settles the points no sample sees, and changes nothing measurable otherwise.
    double trace = 0.0;
    for (std::size_t a = 0; a < unknowns; ++a) {
        trace += A[a * unknowns + a];
    }
    const double lambda = 1e-10 * std::max(1.0, trace / static_cast<double>(unknowns));
    std::vector<Vec> guess(unknowns);
    for (std::size_t a = 0; a < unknowns; ++a) {
        const int j = static_cast<int>(a) + 1;
        double place = 0.0;
        for (int q = 1; q < k; ++q) {
            place += Nodo_Spline(n, k, j + q);
        }
        place = k > 1 ? place / (k - 1) : Nodo_Spline(n, k, j) + 0.5;
        const int nearest = std::clamp(static_cast<int>(std::lround(place / T * m)), 0, m);
        guess[a] = {samples[static_cast<std::size_t>(nearest)].x,
                    samples[static_cast<std::size_t>(nearest)].y};
        A[a * unknowns + a] += lambda;
    }
    if (!cholesky(A, unknowns)) {
        return {};
    }

    // The curve samples at even parameters, which rarely fall where the doubling's samples are
    // along the outline: after each fit, every target moves to the point of the doubling
    // nearest to the curve's sample, so the fit matches the doubling's shape rather than the
    // spacing of its samples.
    std::vector<Vec> target(static_cast<std::size_t>(m) + 1);
    for (int i = 1; i <= m - 1; ++i) {
        target[static_cast<std::size_t>(i)] = {samples[static_cast<std::size_t>(i)].x,
                                               samples[static_cast<std::size_t>(i)].y};
    }
    constexpr int kRefits = 12;
    std::vector<double> bx(unknowns);
    std::vector<double> by(unknowns);
    for (int pass = 0;; ++pass) {
        for (std::size_t a = 0; a < unknowns; ++a) {
            bx[a] = lambda * guess[a].x;
            by[a] = lambda * guess[a].y;
        }
        for (int i = 1; i <= m - 1; ++i) {
            const double* w = row(i);
            const Vec t = target[static_cast<std::size_t>(i)];
            const double rx = t.x - w[0] * P.front().x - w[n] * P.back().x;
            const double ry = t.y - w[0] * P.front().y - w[n] * P.back().y;
            for (std::size_t a = 0; a < unknowns; ++a) {
                bx[a] += w[a + 1] * rx;
                by[a] += w[a + 1] * ry;
            }
        }
        choleskySolve(A, bx, unknowns);
        choleskySolve(A, by, unknowns);
        for (std::size_t a = 0; a < unknowns; ++a) {
            P[a + 1] = {bx[a], by[a], 0.0};
        }
        if (pass == kRefits) {
            break;
        }
        for (int i = 1; i <= m - 1; ++i) {
            const double* w = row(i);
            Vec q{0.0, 0.0};
            for (int j = 0; j <= n; ++j) {
                q.x += w[j] * P[static_cast<std::size_t>(j)].x;
                q.y += w[j] * P[static_cast<std::size_t>(j)].y;
            }
            target[static_cast<std::size_t>(i)] = nearestOnPolyline(samples, q);
        }
    }
    return P;
}

#pragma once

#include "engine3d/records.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

// Exact integer rasterisation of triangles and line segments for canvases that paint pixels
// themselves. Pixel (x, y) stands for the point (x, y). A pixel belongs to a triangle when
// that point is strictly inside, or lies on a top or a left edge (the top-left rule), so
// triangles that share an edge cover every pixel along it exactly once, and a rectangle from
// (0, 0) to (w, h) fills columns 0..w-1 and rows 0..h-1. Coordinates must stay within
// +-2^28 (toPixel saturates there) so that the 64-bit edge products are exact.

namespace raster {

// One covered run of a row: pixels xBegin..xEnd-1 of row y. e[k] is the edge value that
// weighs corner k at xBegin (weight = e[k] / area2), step[k] its change per pixel to the right.
struct Span {
    int y = 0;
    int xBegin = 0;
    int xEnd = 0;
    std::int64_t e[3] = {};
    std::int64_t step[3] = {};
    std::int64_t area2 = 0;
};

namespace detail {

inline std::int64_t floorDiv(std::int64_t a, std::int64_t b) { // b > 0
    std::int64_t q = a / b;
    if ((a % b != 0) && (a < 0)) {
        --q;
    }
    return q;
}

// floor(n / d) for a numerator that grows by the same step at every call of next(): the
// quotient and remainder are carried along, so a walk costs one division at its start.
class FloorSteps {
public:
    FloorSteps() = default;
    FloorSteps(std::int64_t n, std::int64_t d, std::int64_t step) : d_(d) { // d > 0
        split(n, q_, r_);
        split(step, dq_, dr_);
    }
    std::int64_t quotient() const { return q_; }
    void next() {
        // Without a branch: whether the remainder carries follows no pattern a predictor
        // could learn.
        r_ += dr_;
        const std::int64_t carry = r_ >= d_ ? 1 : 0;
        q_ += dq_ + carry;
        r_ -= d_ & -carry;
    }

private:
    // q = floor(n / d), r = n - q·d; a line's first numerator and its step mostly lie within
    // one divisor of 0, where no division is needed.
    void split(std::int64_t n, std::int64_t& q, std::int64_t& r) const {
        if (n >= 0 && n < d_) {
            q = 0;
        } else if (n < 0 && n >= -d_) {
            q = -1;
        } else {
            q = floorDiv(n, d_);
        }
        r = n - q * d_;
    }

    std::int64_t q_ = 0, r_ = 0, d_ = 1, dq_ = 0, dr_ = 0;
};

// Edge a->b of a triangle whose corners run so that its inside has E > 0:
// E(x, y) = dx·(y - a.y) - dy·(x - a.x).
struct Edge {
    std::int64_t ax = 0, ay = 0, dx = 0, dy = 0;
    std::int64_t bias = 0; // 0 on a top or left edge (ties are inside), 1 elsewhere

    Edge(PixelPoint a, PixelPoint b) : ax(a.x), ay(a.y), dx(b.x - a.x), dy(b.y - a.y) {
        // With y down and this winding, a top edge runs to the right and a left edge up.
        const bool top = dy == 0 && dx > 0;
        const bool left = dy < 0;
        bias = (top || left) ? 0 : 1;
    }
    std::int64_t at(std::int64_t x, std::int64_t y) const { return dx * (y - ay) - dy * (x - ax); }
};

} // namespace detail

namespace detail {

// The rows rowBegin..rowEnd-1 of a triangle: calls span(const Span&) for every covered run,
// with the corners' weights when `Weights` is set (Span::e, step and area2 are left alone
// otherwise).
template <bool Weights, typename SpanFn>
bool walkRows(const PixelPoint (&corner)[3], int width, int rowBegin, int rowEnd, SpanFn& span,
              std::int64_t* steps) {
    int order[3] = {0, 1, 2};
    const std::int64_t area = Edge(corner[0], corner[1]).at(corner[2].x, corner[2].y);
    if (area == 0) {
        return false;
    }
    if (area < 0) {
        std::swap(order[1], order[2]); // wind so that the inside is positive
    }
    const PixelPoint& p0 = corner[order[0]];
    const PixelPoint& p1 = corner[order[1]];
    const PixelPoint& p2 = corner[order[2]];
    // The edge opposite a corner weighs that corner.
    const Edge edges[3] = {Edge(p1, p2), Edge(p2, p0), Edge(p0, p1)};

    // The rows' first numerators below start from the first row walked, so a triangle cut into
    // bands of rows gives the same runs as a whole one.
    const int yTop = std::max(rowBegin, std::min({p0.y, p1.y, p2.y}));
    const int yBottom = std::min(rowEnd - 1, std::max({p0.y, p1.y, p2.y}));
    const int xLeft = std::max(0, std::min({p0.x, p1.x, p2.x}));
    const int xRight = std::min(width - 1, std::max({p0.x, p1.x, p2.x}));
    if (xLeft > xRight || yTop > yBottom) {
        return true;
    }

    Span s;
    if constexpr (Weights) {
        s.area2 = area < 0 ? -area : area;
        for (int k = 0; k < 3; ++k) {
            s.step[order[k]] = -edges[k].dy;
        }
    }
    // Per row, edge k bounds the run where E(x) = K(y) - dy·x >= bias: from the left where
    // dy < 0 (x >= -floor((K - bias) / -dy)), from the right where dy > 0
    // (x <= floor((K - bias) / dy)); K grows by dx from one row to the next. A level edge
    // (dy = 0) only leaves out its own row when that row is not inside (bias 1); the other
    // rows lie on its inside.
    FloorSteps left[3], right[3];
    int lefts = 0, rights = 0;
    int skippedRow = -1;
    for (const Edge& e : edges) {
        const std::int64_t K = e.dx * (yTop - e.ay) + e.dy * e.ax;
        if (e.dy < 0) {
            left[lefts++] = FloorSteps(K - e.bias, -e.dy, e.dx);
        } else if (e.dy > 0) {
            right[rights++] = FloorSteps(K - e.bias, e.dy, e.dx);
        } else if (e.bias > 0) {
            skippedRow = static_cast<int>(e.ay);
        }
    }
    std::int64_t rows = 0;
    for (int y = yTop; y <= yBottom; ++y) {
        ++rows;
        std::int64_t lo = xLeft;
        std::int64_t hi = xRight;
        for (int k = 0; k < lefts; ++k) {
            lo = std::max(lo, -left[k].quotient());
            left[k].next();
        }
        for (int k = 0; k < rights; ++k) {
            hi = std::min(hi, right[k].quotient());
            right[k].next();
        }
        if (lo > hi || y == skippedRow) {
            continue;
        }
        s.y = y;
        s.xBegin = static_cast<int>(lo);
        s.xEnd = static_cast<int>(hi) + 1;
        if constexpr (Weights) {
            for (int k = 0; k < 3; ++k) {
                s.e[order[k]] = edges[k].at(lo, y);
            }
        }
        span(static_cast<const Span&>(s));
    }
    if (steps != nullptr) {
        *steps += rows;
    }
    return true;
}

} // namespace detail

// Calls span(const Span&) for every covered run of rows 0..height-1, columns 0..width-1, top
// to bottom. Returns false for a triangle of zero area (nothing covered). Corners are
// numbered as given; Span::e[k] always weighs the given corner k. `steps`, when given, grows
// by the number of rows stepped through: at most `height`, however far the corners lie.
template <typename SpanFn>
bool forEachSpan(const PixelPoint (&corner)[3], int width, int height, SpanFn&& span,
                 std::int64_t* steps = nullptr) {
    return detail::walkRows<true>(corner, width, 0, height, span, steps);
}

// The same runs without the corners' weights, for fills of one colour: run(y, xBegin, xEnd).
template <typename RunFn>
bool forEachRun(const PixelPoint (&corner)[3], int width, int height, RunFn&& run,
                std::int64_t* steps = nullptr) {
    const auto span = [&run](const Span& s) { run(s.y, s.xBegin, s.xEnd); };
    return detail::walkRows<false>(corner, width, 0, height, span, steps);
}

// The runs of forEachSpan() that lie in rows rowBegin..rowEnd-1 (within 0..height-1), for a
// surface drawn in bands of rows: each band gets exactly its rows' runs, with the same weights.
// `steps` grows by the rows stepped through within the band.
template <typename SpanFn>
bool forEachSpanInRows(const PixelPoint (&corner)[3], int width, int rowBegin, int rowEnd,
                       SpanFn&& span, std::int64_t* steps = nullptr) {
    return detail::walkRows<true>(corner, width, rowBegin, rowEnd, span, steps);
}

// The runs of forEachRun() that lie in rows rowBegin..rowEnd-1, as forEachSpanInRows().
template <typename RunFn>
bool forEachRunInRows(const PixelPoint (&corner)[3], int width, int rowBegin, int rowEnd,
                      RunFn&& run, std::int64_t* steps = nullptr) {
    const auto span = [&run](const Span& s) { run(s.y, s.xBegin, s.xEnd); };
    return detail::walkRows<false>(corner, width, rowBegin, rowEnd, span, steps);
}

// Calls pixel(x, y) for every pixel of the segment a-b (both ends included) that lies on the
// surface. The pixels depend only on the two end points, not on their order, so an edge
// drawn by two neighbouring triangles covers the same pixels twice. `steps`, when given,
// grows by the number of columns or rows stepped through: at most the surface's width or
// height, however far the end points lie.
template <typename PixelFn>
void forEachLinePixel(PixelPoint a, PixelPoint b, int width, int height, PixelFn&& pixel,
                      std::int64_t* steps = nullptr) {
    // A copy of the caller's functor: what it holds can stay in registers, as the pixels it
    // writes cannot be it. It may refer to the caller's state.
    auto plot = pixel;
    std::int64_t walked = 0;
    const std::int64_t adx = std::abs(std::int64_t(b.x) - a.x);
    const std::int64_t ady = std::abs(std::int64_t(b.y) - a.y);
    if (adx >= ady) {
        if (b.x < a.x || (b.x == a.x && b.y < a.y)) {
            std::swap(a, b);
        }
        const std::int64_t dx = std::int64_t(b.x) - a.x;
        const std::int64_t dy = std::int64_t(b.y) - a.y;
        const int x0 = std::max(a.x, 0);
        const int x1 = std::min(b.x, width - 1);
        // Nearest row, halves rounded down the screen: y = a.y + floor((2·(x - a.x)·dy + dx) /
        // (2·dx)), stepped along x.
        detail::FloorSteps row;
        if (dx != 0 && x0 <= x1) {
            row = detail::FloorSteps(2 * (x0 - a.x) * dy + dx, 2 * dx, 2 * dy);
        }
        // The rows lie between the ends' rows: within the surface when both ends are.
        const bool rowsInside = a.y >= 0 && a.y < height && b.y >= 0 && b.y < height;
        for (int x = x0; x <= x1; ++x) {
            const std::int64_t y = a.y + row.quotient();
            row.next();
            if (rowsInside || (y >= 0 && y < height)) {
                plot(x, static_cast<int>(y));
            }
        }
        walked = std::max(0, x1 - x0 + 1);
    } else {
        if (b.y < a.y) {
            std::swap(a, b);
        }
        const std::int64_t dx = std::int64_t(b.x) - a.x;
        const std::int64_t dy = std::int64_t(b.y) - a.y;
        const int y0 = std::max(a.y, 0);
        const int y1 = std::min(b.y, height - 1);
        detail::FloorSteps column;
        if (y0 <= y1) {
            column = detail::FloorSteps(2 * (y0 - a.y) * dx + dy, 2 * dy, 2 * dx);
        }
        const bool columnsInside = a.x >= 0 && a.x < width && b.x >= 0 && b.x < width;
        for (int y = y0; y <= y1; ++y) {
            const std::int64_t x = a.x + column.quotient();
            column.next();
            if (columnsInside || (x >= 0 && x < width)) {
                plot(static_cast<int>(x), y);
            }
        }
        walked = std::max(0, y1 - y0 + 1);
    }
    if (steps != nullptr) {
        *steps += walked;
    }
}

} // namespace raster

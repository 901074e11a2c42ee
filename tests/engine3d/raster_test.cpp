#include "engine3d/triangle_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

namespace {

// Coverage counts of a small surface.
struct Coverage {
    int w;
    int h;
    std::vector<int> count;
    Coverage(int width, int height) : w(width), h(height), count(width * height, 0) {}
    // Adds one triangle; however far its corners lie, it steps through the surface's rows at
    // most.
    bool add(PixelPoint a, PixelPoint b, PixelPoint c) {
        const PixelPoint t[3] = {a, b, c};
        const auto countSpan = [&](const raster::Span& s) {
            EXPECT_GE(s.xBegin, 0);
            EXPECT_LE(s.xEnd, w);
            EXPECT_LT(s.xBegin, s.xEnd);
            for (int x = s.xBegin; x < s.xEnd; ++x) {
                ++count[s.y * w + x];
            }
        };
        std::int64_t rows = 0;
        const bool covered = raster::forEachSpan(t, w, h, countSpan, &rows);
        EXPECT_LE(rows, h);
        return covered;
    }
    // Every pixel of columns 0..right-1 and rows 0..bottom-1 once, nothing else.
    void expectRectangle(int right, int bottom) const {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(count[y * w + x], x < right && y < bottom ? 1 : 0) << x << "," << y;
            }
        }
    }
};

TEST(TriangleRaster, AJitteredMeshCoversEveryPixelExactlyOnce) {
    // A lattice whose inner points are jittered; its outline stays the rectangle
    // (0, 0)-(60, 48), whose right and bottom edges belong to the neighbours.
    std::mt19937 gen(3);
    std::uniform_int_distribution<int> jitter(-5, 5);
    const int n = 6;
    std::vector<PixelPoint> p((n + 1) * (n + 1));
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            const bool border = i == 0 || j == 0 || i == n || j == n;
            p[j * (n + 1) + i] = {i * 10 + (border ? 0 : jitter(gen)),
                                  j * 8 + (border ? 0 : jitter(gen) / 2)};
        }
    }
    Coverage c(70, 60);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const PixelPoint a = p[j * (n + 1) + i], b = p[j * (n + 1) + i + 1];
            const PixelPoint d = p[(j + 1) * (n + 1) + i], e = p[(j + 1) * (n + 1) + i + 1];
            // Alternate the diagonal and the winding to exercise every edge direction.
            if ((i + j) % 2 == 0) {
                c.add(a, b, e);
                c.add(a, d, e);
            } else {
                c.add(b, d, a);
                c.add(b, e, d);
            }
        }
    }
    c.expectRectangle(60, 48);
}

TEST(TriangleRaster, DegenerateOffSurfaceAndHugeTriangles) {
    Coverage c(10, 10);
    EXPECT_FALSE(c.add({1, 1}, {5, 5}, {9, 9}));
    EXPECT_FALSE(c.add({3, 3}, {3, 3}, {3, 3}));
    EXPECT_TRUE(c.add({-30, -30}, {-10, -30}, {-10, -10}));
    EXPECT_TRUE(c.add({20, 0}, {30, 0}, {30, 10}));
    c.expectRectangle(0, 0);
    // Huge triangles are clipped to the surface, not walked.
    const int big = 1 << 28;
    Coverage all(64, 48);
    all.add({-big, -big}, {big, -big}, {big, big});
    all.add({-big, -big}, {big, big}, {-big, big});
    all.expectRectangle(64, 48);
}

// The rows and columns worked out on their own, one division each, as a reference for the
// walks that carry their quotients from one row or column to the next.
std::int64_t floorOf(std::int64_t a, std::int64_t b) {
    return raster::detail::floorDiv(a, b);
}

using Spans = std::vector<std::array<std::int64_t, 10>>;

Spans spansOf(const PixelPoint (&t)[3], int w, int h) {
    Spans out;
    raster::forEachSpan(t, w, h, [&](const raster::Span& s) {
        out.push_back({s.y, s.xBegin, s.xEnd, s.e[0], s.e[1], s.e[2], s.step[0], s.step[1],
                       s.step[2], s.area2});
    });
    // The runs without the weights are the same runs.
    std::size_t k = 0;
    raster::forEachRun(t, w, h, [&](int y, int xBegin, int xEnd) {
        EXPECT_TRUE(k < out.size() && out[k][0] == y && out[k][1] == xBegin && out[k][2] == xEnd);
        ++k;
    });
    EXPECT_EQ(k, out.size());
    // Cut into bands of rows, band by band, the same spans and runs.
    for (const int band : {1, 7, 32}) {
        Spans banded;
        std::size_t runs = 0;
        for (int top = 0; top < h; top += band) {
            const int bottom = std::min(h, top + band);
            raster::forEachSpanInRows(t, w, top, bottom, [&](const raster::Span& s) {
                banded.push_back({s.y, s.xBegin, s.xEnd, s.e[0], s.e[1], s.e[2], s.step[0],
                                  s.step[1], s.step[2], s.area2});
            });
            raster::forEachRunInRows(t, w, top, bottom, [&](int y, int xBegin, int xEnd) {
                EXPECT_TRUE(runs < out.size() && out[runs][0] == y && out[runs][1] == xBegin &&
                            out[runs][2] == xEnd);
                ++runs;
            });
        }
        EXPECT_EQ(banded, out) << "bands of " << band;
        EXPECT_EQ(runs, out.size()) << "bands of " << band;
    }
    return out;
}

// Every pixel tested against the three edges on its own.
Spans referenceSpans(const PixelPoint (&t)[3], int w, int h) {
    using raster::detail::Edge;
    const std::int64_t area = Edge(t[0], t[1]).at(t[2].x, t[2].y);
    const bool flip = area < 0;
    // Edge k is opposite corner k, wound so that the inside is positive.
    const Edge edges[3] = {flip ? Edge(t[2], t[1]) : Edge(t[1], t[2]),
                           flip ? Edge(t[0], t[2]) : Edge(t[2], t[0]),
                           flip ? Edge(t[1], t[0]) : Edge(t[0], t[1])};
    Spans out;
    for (int y = 0; y < h && area != 0; ++y) {
        for (int x = 0; x < w; ++x) {
            auto inside = [&](int px) {
                for (const Edge& e : edges)
                    if (e.at(px, y) < e.bias)
                        return false;
                return true;
            };
            if (!inside(x) || (x > 0 && inside(x - 1)))
                continue;
            int end = x;
            while (end < w && inside(end))
                ++end;
            std::array<std::int64_t, 10> s{y, x, end};
            for (int k = 0; k < 3; ++k) {
                s[3 + k] = edges[k].at(x, y);
                s[6 + k] = -edges[k].dy;
            }
            s[9] = flip ? -area : area;
            out.push_back(s);
        }
    }
    return out;
}

std::vector<std::pair<int, int>> walkedLine(PixelPoint a, PixelPoint b, int w, int h) {
    std::vector<std::pair<int, int>> out;
    raster::forEachLinePixel(a, b, w, h, [&](int x, int y) { out.push_back({x, y}); });
    return out;
}

// The nearest row of every column (or column of every row), halves down the screen.
std::vector<std::pair<int, int>> referenceLine(PixelPoint a, PixelPoint b, int w, int h) {
    std::vector<std::pair<int, int>> out;
    const std::int64_t adx = std::abs(std::int64_t(b.x) - a.x);
    const std::int64_t ady = std::abs(std::int64_t(b.y) - a.y);
    const bool xMajor = adx >= ady;
    if (xMajor ? (b.x < a.x || (b.x == a.x && b.y < a.y)) : b.y < a.y)
        std::swap(a, b);
    const std::int64_t dx = std::int64_t(b.x) - a.x, dy = std::int64_t(b.y) - a.y;
    if (xMajor) {
        for (std::int64_t x = std::max(a.x, 0); x <= std::min(b.x, w - 1); ++x) {
            const std::int64_t y = dx == 0 ? a.y : a.y + floorOf(2 * (x - a.x) * dy + dx, 2 * dx);
            if (y >= 0 && y < h)
                out.push_back({int(x), int(y)});
        }
    } else {
        for (std::int64_t y = std::max(a.y, 0); y <= std::min(b.y, h - 1); ++y) {
            const std::int64_t x = a.x + floorOf(2 * (y - a.y) * dx + dy, 2 * dy);
            if (x >= 0 && x < w)
                out.push_back({int(x), int(y)});
        }
    }
    return out;
}

TEST(TriangleRaster, WalkedRowsAndLinePixelsMatchThoseWorkedOutOnTheirOwn) {
    std::mt19937 gen(17);
    const int w = 48, h = 36;
    for (const int reach : {8, 60, 400, 1 << 27}) {
        std::uniform_int_distribution<int> coord(-reach, reach + 40);
        for (int i = 0; i < 400; ++i) {
            const PixelPoint t[3] = {
                {coord(gen), coord(gen)}, {coord(gen), coord(gen)}, {coord(gen), coord(gen)}};
            SCOPED_TRACE(testing::Message() << t[0].x << "," << t[0].y << " " << t[1].x << ","
                                            << t[1].y << " " << t[2].x << "," << t[2].y);
            ASSERT_EQ(spansOf(t, w, h), referenceSpans(t, w, h));
            ASSERT_EQ(walkedLine(t[0], t[1], w, h), referenceLine(t[0], t[1], w, h));
        }
    }
}

} // namespace

#include "engine3d/triangle_raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
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

// The pixels of a segment on a 100 x 100 surface, stepped through 100 columns or rows at most.
std::set<std::pair<int, int>> linePixels(PixelPoint a, PixelPoint b) {
    std::set<std::pair<int, int>> out;
    const auto collect = [&](int x, int y) {
        EXPECT_TRUE(out.insert({x, y}).second) << "pixel painted twice";
    };
    std::int64_t steps = 0;
    raster::forEachLinePixel(a, b, 100, 100, collect, &steps);
    EXPECT_LE(steps, 100);
    return out;
}

TEST(LineRaster, TheSamePixelsWhicheverWayTheSegmentRuns) {
    std::mt19937 gen(11);
    std::uniform_int_distribution<int> coord(-20, 120);
    for (int i = 0; i < 500; ++i) {
        const PixelPoint a{coord(gen), coord(gen)};
        const PixelPoint b{coord(gen), coord(gen)};
        ASSERT_EQ(linePixels(a, b), linePixels(b, a));
    }
}

TEST(LineRaster, EndsAreIncludedStepsConnectAndFarSegmentsAreClipped) {
    struct Case {
        PixelPoint a, b;
        std::size_t pixels;
    };
    const int big = 1 << 28;
    for (const Case& c :
         {Case{{10, 10}, {30, 17}, 21}, Case{{5, 40}, {9, 10}, 31}, Case{{0, 0}, {9, 9}, 10},
          Case{{7, 7}, {7, 7}, 1}, Case{{-big, 50}, {big, 50}, 100},
          Case{{50, -big}, {50, big}, 100}, Case{{-5, -5}, {-1, -90}, 0}}) {
        SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y);
        const auto line = linePixels(c.a, c.b);
        EXPECT_EQ(line.size(), c.pixels);
        if (c.pixels > 0 && c.pixels < 100) {
            EXPECT_TRUE(line.count({c.a.x, c.a.y}) && line.count({c.b.x, c.b.y}));
        }
    }
}

} // namespace

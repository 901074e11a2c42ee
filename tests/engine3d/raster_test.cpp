#include "engine3d/triangle_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    bool add(PixelPoint a, PixelPoint b, PixelPoint c) {
        const PixelPoint t[3] = {a, b, c};
        return raster::forEachSpan(t, w, h, [&](const raster::Span& s) {
            EXPECT_GE(s.xBegin, 0);
            EXPECT_LE(s.xEnd, w);
            EXPECT_LT(s.xBegin, s.xEnd);
            for (int x = s.xBegin; x < s.xEnd; ++x) {
                ++count[s.y * w + x];
            }
        });
    }
    int at(int x, int y) const { return count[y * w + x]; }
};

TEST(TriangleRaster, ARectangleFillsItsColumnsAndRowsOnceWithoutTheRightAndBottomEdges) {
    Coverage c(20, 20);
    c.add({2, 3}, {12, 3}, {12, 11});
    c.add({2, 3}, {12, 11}, {2, 11});
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 2 && x < 12 && y >= 3 && y < 11;
            EXPECT_EQ(c.at(x, y), inside ? 1 : 0) << x << "," << y;
        }
    }
}

TEST(TriangleRaster, AJitteredMeshCoversEveryPixelExactlyOnce) {
    // A lattice whose inner points are jittered; its outline stays the rectangle
    // (0, 0)-(60, 48), so every pixel inside is covered once and nothing outside.
    std::mt19937 gen(3);
    std::uniform_int_distribution<int> jitter(-5, 5);
    const int cols = 6;
    const int rows = 6;
    std::vector<PixelPoint> p((cols + 1) * (rows + 1));
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= cols; ++i) {
            const bool border = i == 0 || j == 0 || i == cols || j == rows;
            p[j * (cols + 1) + i] = {i * 10 + (border ? 0 : jitter(gen)),
                                     j * 8 + (border ? 0 : jitter(gen) / 2)};
        }
    }
    Coverage c(70, 60);
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
            const PixelPoint a = p[j * (cols + 1) + i];
            const PixelPoint b = p[j * (cols + 1) + i + 1];
            const PixelPoint d = p[(j + 1) * (cols + 1) + i];
            const PixelPoint e = p[(j + 1) * (cols + 1) + i + 1];
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
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 70; ++x) {
            const bool inside = x < 60 && y < 48;
            ASSERT_EQ(c.at(x, y), inside ? 1 : 0) << x << "," << y;
        }
    }
}

TEST(TriangleRaster, DegenerateAndOffSurfaceTrianglesCoverNothing) {
    Coverage c(10, 10);
    EXPECT_FALSE(c.add({1, 1}, {5, 5}, {9, 9}));
    EXPECT_FALSE(c.add({3, 3}, {3, 3}, {3, 3}));
    EXPECT_TRUE(c.add({-30, -30}, {-10, -30}, {-10, -10}));
    EXPECT_TRUE(c.add({20, 0}, {30, 0}, {30, 10}));
    for (int v : c.count) {
        EXPECT_EQ(v, 0);
    }
}

TEST(TriangleRaster, HugeTrianglesAreClippedToTheSurface) {
    const int big = 1 << 28;
    Coverage c(64, 48);
    c.add({-big, -big}, {big, -big}, {big, big});
    c.add({-big, -big}, {big, big}, {-big, big});
    for (int v : c.count) {
        EXPECT_EQ(v, 1);
    }
}

std::set<std::pair<int, int>> linePixels(PixelPoint a, PixelPoint b, int w = 100, int h = 100) {
    std::set<std::pair<int, int>> out;
    raster::forEachLinePixel(a, b, w, h, [&](int x, int y) {
        EXPECT_TRUE(out.insert({x, y}).second) << "pixel painted twice";
    });
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

TEST(LineRaster, EndsAreIncludedAndEveryStepIsConnected) {
    const auto shallow = linePixels({10, 10}, {30, 17});
    EXPECT_EQ(shallow.size(), 21u);
    EXPECT_TRUE(shallow.count({10, 10}) && shallow.count({30, 17}));
    const auto steep = linePixels({5, 40}, {9, 10});
    EXPECT_EQ(steep.size(), 31u);
    EXPECT_TRUE(steep.count({5, 40}) && steep.count({9, 10}));
    const auto diagonal = linePixels({0, 0}, {9, 9});
    EXPECT_EQ(diagonal.size(), 10u);
    EXPECT_TRUE(diagonal.count({4, 4}));
    EXPECT_EQ(linePixels({7, 7}, {7, 7}).size(), 1u);
}

TEST(LineRaster, SegmentsAreClippedToTheSurfaceWithoutWalkingTheirLength) {
    const int big = 1 << 28;
    const auto across = linePixels({-big, 50}, {big, 50});
    EXPECT_EQ(across.size(), 100u);
    const auto down = linePixels({50, -big}, {50, big});
    EXPECT_EQ(down.size(), 100u);
    EXPECT_TRUE(linePixels({-5, -5}, {-1, -90}).empty());
}

} // namespace

#include "engine3d/triangle_raster.h"
#include "engine3d/vector_maths.h"
#include "view3d/qimage_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

QImage blank(int w, int h, QRgb fill = qRgb(0, 0, 0)) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Channels of a pixel, without the alpha byte.
QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0x00FFFFFFu;
}

GradientVertex corner(int x, int y, int r, int g, int b) {
    const auto c = [](int v) { return static_cast<std::uint16_t>(v * 256); };
    return {x, y, c(r), c(g), c(b), 0};
}

// The pixels of a gradient triangle worked out run by run on their own: each channel starts at
// the corners' weighted mean at the run's first pixel, rounded to 1/65536 of a level, grows by
// the rounded change per pixel and is limited to 0..255.
void referenceGradient(QImage& image, const GradientVertex (&t)[3]) {
    const PixelPoint p[3] = {{t[0].x, t[0].y}, {t[1].x, t[1].y}, {t[2].x, t[2].y}};
    const auto level = [&t](int corner, int c) {
        const std::uint16_t v[3] = {t[corner].red, t[corner].green, t[corner].blue};
        return v[c] / 256.0;
    };
    raster::forEachSpan(p, image.width(), image.height(), [&](const raster::Span& s) {
        const double inv = 1.0 / static_cast<double>(s.area2);
        std::int64_t start[3], step[3];
        for (int c = 0; c < 3; ++c) {
            double mean = 0.0, perPixel = 0.0;
            for (int k = 0; k < 3; ++k) {
                mean += static_cast<double>(s.e[k]) * level(k, c);
                perPixel += static_cast<double>(s.step[k]) * level(k, c);
            }
            start[c] = roundHalfAway(mean * inv * 65536.0) + 32768;
            step[c] = roundHalfAway(perPixel * inv * 65536.0);
        }
        for (int x = s.xBegin; x < s.xEnd; ++x) {
            int rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = static_cast<int>(
                    std::clamp<std::int64_t>((start[c] + (x - s.xBegin) * step[c]) >> 16, 0, 255));
            image.setPixel(x, s.y, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    });
}

// Lists of triangles near and far, large and small, crossing the edges of the bands in which
// the canvas draws lists: every pixel of a gradient equals the runs worked out on their own,
// alone or in a list, and a list of fills leaves every pixel as the triangles drawn one by one
// do, with each pen.
TEST(QImageCanvas, TriangleListsAndGradientsGiveThePixelsOfOneByOneAndOfTheirRuns) {
    std::mt19937 gen(23);
    std::uniform_int_distribution<int> level(0, 65535);
    const QImage background = [] {
        QImage image = blank(150, 100);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 150; ++x)
                image.setPixel(x, y, qRgb(x, y * 2, (x * y) % 256));
        return image;
    }();
    for (const int reach : {12, 60, 400, 1 << 27}) {
        SCOPED_TRACE(testing::Message() << "reach " << reach);
        std::uniform_int_distribution<int> coord(-reach, 150 + reach);
        std::vector<GradientTriangle> gradients(40);
        std::vector<FlatTriangle> flats(gradients.size());
        for (std::size_t i = 0; i < gradients.size(); ++i) {
            for (GradientVertex& v : gradients[i].corners) {
                v = {coord(gen),
                     coord(gen) * 2 / 3,
                     static_cast<std::uint16_t>(level(gen)),
                     static_cast<std::uint16_t>(i % 2 ? level(gen) : level(gen) / 256 * 256),
                     static_cast<std::uint16_t>(level(gen)),
                     0};
            }
            for (int k = 0; k < 3; ++k)
                flats[i].points[k] = {gradients[i].corners[k].x, gradients[i].corners[k].y};
            flats[i].colour = {static_cast<std::int16_t>(i * 6), 90, static_cast<std::int16_t>(i)};
        }
        QImage alone = background, expected = background;
        for (const GradientTriangle& g : gradients) {
            EXPECT_TRUE(QImageCanvas(alone).gradientTriangle(g.corners));
            referenceGradient(expected, g.corners);
            ASSERT_TRUE(alone == expected);
        }
        QImage listed = background;
        QImageCanvas(listed).gradientTriangles(gradients);
        ASSERT_TRUE(listed == expected);

        for (const PenMode pen : {PenMode::Copy, PenMode::Merge, PenMode::Invert}) {
            QImage oneByOne = background, inBands = background;
            QImageCanvas single(oneByOne), bands(inBands);
            for (QImageCanvas* c : {&single, &bands}) {
                c->setPenMode(pen);
                c->setOutline(false);
                c->setFill(true);
            }
            for (const FlatTriangle& t : flats) {
                single.setFillColour(t.colour);
                single.polygon(t.points);
            }
            bands.polygons(flats);
            ASSERT_TRUE(inBands == oneByOne) << "pen " << static_cast<int>(pen);
            EXPECT_EQ(bands.rasterSteps(), single.rasterSteps());
        }
    }
}

// The pens on filled and outlined triangles are checked through the render modes.
TEST(QImageCanvas, PixelsLinesCurvesTextAndClear) {
    QImage image = blank(80, 60);
    QImageCanvas canvas(image);
    canvas.setPixel({3, 4}, {9, 8, 7});
    canvas.setPixel({80, 60}, {9, 8, 7}); // off the surface: ignored
    canvas.setOutlineColour({255, 0, 0});
    canvas.line({10, 50}, {70, 50});
    canvas.setPenMode(PenMode::Merge);
    canvas.setOutlineColour({0, 0, 255});
    canvas.line({40, 45}, {40, 55});
    canvas.setPenMode(PenMode::Copy);
    canvas.setOutlineColour({0, 255, 0});
    const PixelPoint curve[4] = {{10, 10}, {30, 0}, {50, 20}, {70, 10}};
    canvas.bezier(curve);
    canvas.setTextColour({255, 255, 0});
    canvas.text({20, 25}, "x"); // starts at its point and goes right and down
    canvas.setOutline(false);   // no line style: lines vanish
    canvas.line({0, 55}, {79, 55});
    EXPECT_EQ(rgbAt(image, 3, 4), 0x090807u);
    EXPECT_EQ(rgbAt(image, 70, 50), 0xFF0000u);
    EXPECT_EQ(rgbAt(image, 40, 50), 0xFF00FFu);
    EXPECT_EQ(rgbAt(image, 20, 55), 0u);
    EXPECT_EQ(rgbAt(image, 10, 10), 0x00FF00u);
    int green = 0, yellow = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            green += y < 25 && rgbAt(image, x, y) == 0x00FF00u;
            yellow += y >= 25 && x >= 20 && rgbAt(image, x, y) == 0xFFFF00u;
        }
    }
    EXPECT_GT(green, 50);
    EXPECT_GT(yellow, 0);
    canvas.setBackgroundColour({0, 0, 40});
    canvas.clear();
    EXPECT_EQ(rgbAt(image, 40, 50), 0x000028u);
    // A clear for the next frame is filled before anything else is drawn, or when the changes
    // are asked for.
    canvas.setBackgroundColour({0, 50, 0});
    canvas.clearForNextFrame();
    canvas.setPixel({1, 1}, {1, 1, 1});
    EXPECT_EQ(rgbAt(image, 40, 50), 0x003200u);
    EXPECT_EQ(rgbAt(image, 1, 1), 0x010101u);
    canvas.setBackgroundColour({0, 60, 0});
    canvas.clearForNextFrame();
    EXPECT_FALSE(canvas.takeChanged().empty());
    EXPECT_EQ(rgbAt(image, 1, 1), 0x003C00u);
}

TEST(QImageCanvas, FarAwayCoordinatesAreClippedNotWalked) {
    // Each triangle, outline or line costs at most the image's rows or columns, however far its
    // corners lie: a walk of the far coordinates would step through 2^29 of them.
    QImage image = blank(50, 40);
    QImageCanvas canvas(image);
    const int big = 1 << 28;
    const PixelPoint far[3] = {{-big, -big}, {big, 0}, {0, big}}; // covers the whole image
    canvas.setFill(true);
    canvas.setFillColour({255, 255, 255});
    canvas.polygon(far); // 40 rows of fill, three edges of at most 50 columns each
    canvas.setPenMode(PenMode::Invert);
    canvas.polygon(far); // the invert pen lists the outline's pixels first
    canvas.line({-big, 20}, {big, 21});
    canvas.line({25, -big}, {26, big});
    const GradientVertex g[3] = {corner(-big, -big, 0, 0, 0), corner(big, 0, 255, 255, 255),
                                 corner(0, big, 0, 0, 0)};
    EXPECT_TRUE(canvas.gradientTriangle(g));
    EXPECT_LE(canvas.rasterSteps(), 2 * (40 + 3 * 50) + 50 + 40 + 40);
    EXPECT_GE(canvas.rasterSteps(), 2 * 40 + 50 + 40 + 40);
    // The curves go to QPainter, which clips them itself.
    const PixelPoint curve[4] = {{-big, 0}, {0, big}, {big, 0}, {0, -big}};
    canvas.bezier(curve);
}

TEST(QImageCanvas, OtherImageFormatsAreConvertedToRgb32) {
    QImage image(10, 10, QImage::Format_Indexed8);
    image.setColorCount(1);
    image.setColor(0, qRgb(0, 0, 0));
    image.fill(0);
    QImageCanvas canvas(image);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    canvas.setPixel({1, 1}, {200, 100, 50});
    EXPECT_EQ(rgbAt(image, 1, 1), 0xC86432u);
    // The owner replaces the image later: it is converted before the first pixel is written.
    image = QImage(12, 12, QImage::Format_Grayscale8);
    image.fill(0);
    canvas.setFill(true);
    canvas.setFillColour({255, 255, 255});
    const PixelPoint square[3] = {{0, 0}, {12, 0}, {0, 12}};
    canvas.polygon(square);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(rgbAt(image, 2, 2), 0xFFFFFFu);
    // Nothing to draw on: nothing happens.
    QImage empty;
    QImageCanvas none(empty);
    none.polygon(square);
    none.line({0, 0}, {3, 3});
    none.text({0, 0}, "x");
    EXPECT_EQ(none.width(), 0);
}

// The invert pen turns every pixel of a triangle's outline once, also where its edges share
// pixels: at the corners, and all along the two long sides of a sliver.
TEST(QImageCanvas, TheInvertPenTurnsEachOutlinePixelOnce) {
    std::mt19937 gen(9);
    std::uniform_int_distribution<int> coord(-10, 70), near(-2, 2);
    QImage image = blank(60, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    QImageCanvas canvas(image);
    canvas.setPenMode(PenMode::Invert);
    for (int i = 0; i < 300; ++i) {
        const PixelPoint a{coord(gen), coord(gen)}, b{coord(gen), coord(gen)};
        // Every other one a sliver: the third corner beside the first.
        const PixelPoint c = i % 2 ? PixelPoint{a.x + near(gen), a.y + near(gen)}
                                   : PixelPoint{coord(gen), coord(gen)};
        const PixelPoint t[3] = {a, b, c};
        QImage expected = image.copy();
        std::set<std::pair<int, int>> outline;
        for (int k = 0; k < 3; ++k)
            raster::forEachLinePixel(t[k], t[(k + 1) % 3], 60, 50, [&](int x, int y) {
                outline.insert({x, y});
            });
        for (const auto& [x, y] : outline)
            expected.setPixel(x, y, 0xFF000000u | (~expected.pixel(x, y) & 0x00FFFFFFu));
        canvas.polygon(t);
        ASSERT_TRUE(image == expected) << i;
    }
}

} // namespace

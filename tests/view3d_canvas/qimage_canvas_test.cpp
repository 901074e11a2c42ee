#include "view3d/qimage_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>

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

void expectColourNear(const QImage& image, int x, int y, int r, int g, int b, int tol = 1) {
    const QColor c = image.pixelColor(x, y);
    EXPECT_NEAR(c.red(), r, tol) << "at " << x << "," << y;
    EXPECT_NEAR(c.green(), g, tol) << "at " << x << "," << y;
    EXPECT_NEAR(c.blue(), b, tol) << "at " << x << "," << y;
}

GradientVertex corner(int x, int y, int r, int g, int b) {
    return {x,
            y,
            static_cast<std::uint16_t>(r * 256),
            static_cast<std::uint16_t>(g * 256),
            static_cast<std::uint16_t>(b * 256),
            0};
}

TEST(QImageCanvas, GradientTriangleCarriesItsCornerColoursAcross) {
    QImage image = blank(120, 120, qRgb(1, 2, 3));
    QImageCanvas canvas(image);
    const GradientVertex t[3] = {corner(0, 0, 255, 0, 0), corner(100, 0, 0, 255, 0),
                                 corner(0, 100, 0, 0, 255)};
    EXPECT_TRUE(canvas.gradientTriangle(t));
    expectColourNear(image, 0, 0, 255, 0, 0, 0); // the top-left corner is exact
    expectColourNear(image, 99, 0, 3, 252, 0);   // along the top edge towards green
    expectColourNear(image, 0, 99, 3, 0, 252);   // down the left edge towards blue
    expectColourNear(image, 33, 33, 87, 84, 84); // weights 0.34, 0.33, 0.33
    expectColourNear(image, 50, 0, 128, 128, 0);
    // The right and bottom edges belong to the neighbours.
    EXPECT_EQ(rgbAt(image, 100, 0), qRgb(1, 2, 3) & 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 50, 50), qRgb(1, 2, 3) & 0xFFFFFFu);
    EXPECT_NE(rgbAt(image, 49, 50), qRgb(1, 2, 3) & 0xFFFFFFu);
    // Listing the corners the other way round draws the same colours.
    QImage other = blank(120, 120, qRgb(1, 2, 3));
    QImageCanvas otherCanvas(other);
    const GradientVertex reversed[3] = {t[0], t[2], t[1]};
    otherCanvas.gradientTriangle(reversed);
    EXPECT_EQ(other, image);
}

TEST(QImageCanvas, GradientTrianglesSharingAnEdgeNeitherGapNorOverlap) {
    // Each triangle alone, in white; together they must tile the quad exactly.
    const GradientVertex a[3] = {corner(5, 3, 255, 255, 255), corner(47, 11, 255, 255, 255),
                                 corner(20, 40, 255, 255, 255)};
    const GradientVertex b[3] = {corner(47, 11, 255, 255, 255), corner(55, 44, 255, 255, 255),
                                 corner(20, 40, 255, 255, 255)};
    QImage first = blank(64, 64);
    QImage second = blank(64, 64);
    QImage both = blank(64, 64);
    QImageCanvas(first).gradientTriangle(a);
    QImageCanvas(second).gradientTriangle(b);
    QImageCanvas bothCanvas(both);
    bothCanvas.gradientTriangle(a);
    bothCanvas.gradientTriangle(b);
    int shared = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool inA = rgbAt(first, x, y) != 0;
            const bool inB = rgbAt(second, x, y) != 0;
            EXPECT_FALSE(inA && inB) << "painted twice at " << x << "," << y;
            EXPECT_EQ(inA || inB, rgbAt(both, x, y) != 0);
            shared += (inA || inB) ? 1 : 0;
        }
    }
    // The quad's area is 1278.5 (shoelace); the pixel count may differ by its rim.
    EXPECT_NEAR(shared, 1278, 60);
}

TEST(QImageCanvas, MergePenOrsTheFillWithoutGapsOrDoublePainting) {
    QImage image = blank(40, 40);
    QImageCanvas canvas(image);
    canvas.setPenMode(PenMode::Merge);
    canvas.setOutline(false);
    canvas.setFill(true);
    const PixelPoint a[3] = {{2, 2}, {30, 5}, {9, 33}};
    const PixelPoint b[3] = {{30, 5}, {37, 36}, {9, 33}};
    canvas.setFillColour({1, 0, 0});
    canvas.polygon(a);
    canvas.setFillColour({0, 1, 0});
    canvas.polygon(b);
    // A pixel painted by both would read (1, 1, 0); a gap inside the quad reads (0, 0, 0).
    int painted = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb p = rgbAt(image, x, y);
            EXPECT_NE(p, 0x010100u) << x << "," << y;
            painted += p != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(painted, 500);
    EXPECT_EQ(rgbAt(image, 20, 20), 0x000100u); // inside b, beyond the shared edge
    EXPECT_EQ(rgbAt(image, 10, 10), 0x010000u);

    // Over a coloured background the fill is OR-ed in.
    QImage tinted = blank(40, 40, qRgb(0x05, 0x1A, 0x42));
    QImageCanvas tint(tinted);
    tint.setPenMode(PenMode::Merge);
    tint.setOutline(false);
    tint.setFill(true);
    tint.setFillColour({0x30, 0x0F, 0x00});
    tint.polygon(a);
    EXPECT_EQ(rgbAt(tinted, 10, 10), 0x351F42u);
    EXPECT_EQ(rgbAt(tinted, 38, 2), 0x051A42u);
}

TEST(QImageCanvas, InvertPenFlipsEachOutlinePixelOnceAndSharedEdgesCancel) {
    const QRgb bg = qRgb(10, 20, 30);
    const QRgb inverted = 0xF5EBE1u; // (245, 235, 225)
    QImage image = blank(60, 60, bg);
    QImageCanvas canvas(image);
    canvas.setPenMode(PenMode::Invert);
    canvas.setOutline(true);
    canvas.setFill(false);
    const PixelPoint a[3] = {{10, 10}, {50, 10}, {10, 50}};
    canvas.polygon(a);
    EXPECT_EQ(rgbAt(image, 30, 10), inverted);       // an edge
    EXPECT_EQ(rgbAt(image, 10, 10), inverted);       // a corner, touched once not twice
    EXPECT_EQ(rgbAt(image, 30, 30), inverted);       // on the long edge
    EXPECT_EQ(rgbAt(image, 20, 20), bg & 0xFFFFFFu); // inside: transparent fill

    // The neighbour across the long edge inverts it back: only the outer outline remains.
    const PixelPoint b[3] = {{50, 10}, {50, 50}, {10, 50}};
    canvas.polygon(b);
    EXPECT_EQ(rgbAt(image, 30, 30), bg & 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 20, 30), bg & 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 30, 10), inverted);
    EXPECT_EQ(rgbAt(image, 50, 30), inverted);
    EXPECT_EQ(rgbAt(image, 30, 50), inverted);
}

TEST(QImageCanvas, CopyPenFillsThenOutlinesAndHonoursTheToggles) {
    QImage image = blank(40, 40);
    QImageCanvas canvas(image);
    canvas.setPenMode(PenMode::Copy);
    canvas.setOutline(true);
    canvas.setOutlineColour({255, 255, 255});
    canvas.setFill(true);
    canvas.setFillColour({110, 0, 0});
    const PixelPoint t[3] = {{5, 5}, {35, 5}, {5, 35}};
    canvas.polygon(t);
    EXPECT_EQ(rgbAt(image, 15, 15), 0x6E0000u);
    EXPECT_EQ(rgbAt(image, 20, 5), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 20, 20), 0xFFFFFFu); // the long edge, outside the fill rule too
    EXPECT_EQ(rgbAt(image, 30, 30), 0u);

    QImage wire = blank(40, 40);
    QImageCanvas wireCanvas(wire);
    wireCanvas.setOutlineColour({255, 255, 255});
    wireCanvas.setOutline(false); // no line style: lines vanish too
    wireCanvas.line({0, 39}, {39, 39});
    EXPECT_EQ(rgbAt(wire, 20, 39), 0u);
}

TEST(QImageCanvas, PixelsLinesCurvesTextAndClear) {
    QImage image = blank(80, 60);
    QImageCanvas canvas(image);
    canvas.setPixel({3, 4}, {9, 8, 7});
    canvas.setPixel({80, 60}, {9, 8, 7}); // off the surface: ignored
    EXPECT_EQ(rgbAt(image, 3, 4), 0x090807u);

    canvas.setPenMode(PenMode::Copy);
    canvas.setOutline(true);
    canvas.setOutlineColour({255, 0, 0});
    canvas.line({10, 50}, {70, 50});
    EXPECT_EQ(rgbAt(image, 10, 50), 0xFF0000u);
    EXPECT_EQ(rgbAt(image, 70, 50), 0xFF0000u);
    canvas.setPenMode(PenMode::Merge);
    canvas.setOutlineColour({0, 0, 255});
    canvas.line({40, 45}, {40, 55});
    EXPECT_EQ(rgbAt(image, 40, 50), 0xFF00FFu);

    canvas.setPenMode(PenMode::Copy);
    canvas.setOutlineColour({0, 255, 0});
    const PixelPoint curve[4] = {{10, 10}, {30, 0}, {50, 20}, {70, 10}};
    canvas.bezier(curve);
    int green = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            green += rgbAt(image, x, y) == 0x00FF00u ? 1 : 0;
        }
    }
    EXPECT_GT(green, 50);
    EXPECT_EQ(rgbAt(image, 10, 10), 0x00FF00u);

    canvas.setTextColour({255, 255, 0});
    canvas.text({20, 25}, "x");
    int yellow = 0; // the label starts at its point and goes right and down
    for (int y = 25; y < 60; ++y) {
        for (int x = 20; x < 45; ++x) {
            const QColor c = image.pixelColor(x, y);
            yellow += (c.red() > 100 && c.green() > 100 && c.blue() < 50) ? 1 : 0;
        }
    }
    EXPECT_GT(yellow, 0);

    canvas.setBackgroundColour({0, 0, 40});
    canvas.clear();
    EXPECT_EQ(rgbAt(image, 40, 50), 0x000028u);
}

TEST(QImageCanvas, FarAwayCoordinatesAreClippedNotWalked) {
    QImage image = blank(50, 50);
    QImageCanvas canvas(image);
    const int big = 1 << 28;
    canvas.setFill(true);
    canvas.setOutline(true);
    canvas.setFillColour({1, 1, 1});
    const PixelPoint t[3] = {{-big, -big}, {big, -big}, {0, big}};
    canvas.polygon(t);
    EXPECT_EQ(rgbAt(image, 25, 25), 0x010101u);
    const PixelPoint curve[4] = {{-big, 0}, {0, big}, {big, 0}, {0, -big}};
    canvas.bezier(curve);
    canvas.line({-big, -big}, {big, big});
    EXPECT_EQ(rgbAt(image, 25, 25), 0xFFFFFFu);
    const GradientVertex g[3] = {corner(-big, -big, 0, 0, 0), corner(big, 0, 255, 255, 255),
                                 corner(0, big, 0, 0, 0)};
    EXPECT_TRUE(canvas.gradientTriangle(g));
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

    QImage empty;
    QImageCanvas none(empty);
    const PixelPoint t[3] = {{0, 0}, {5, 0}, {0, 5}};
    none.polygon(t);
    none.line({0, 0}, {3, 3});
    none.text({0, 0}, "x");
    EXPECT_EQ(none.width(), 0);
}

} // namespace

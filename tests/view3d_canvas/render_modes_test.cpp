// A lit square rendered in each of the six modes into a QImage: the pixels must show what
// each mode stands for.

#include "engine3d/engine.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"
#include "view3d/qimage_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <memory>

namespace {

class RenderModes : public ::testing::Test {
protected:
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Engine& e = *engine;
    CameraAndLight cl = addHeadCamera(e);
    int square = addFacingSquare(e, 60.0f);
    QImage image{200, 150, QImage::Format_RGB32};
    QImageCanvas canvas{image};
    FrameInputs inputs;

    // Key pixels, found from the projected corners: v0 bottom-left, v1 top-left, v2 top-right,
    // v3 bottom-right; the faces share the diagonal v0-v2.
    PixelPoint corner(int k) {
        return toPixel(e.screenPositions[e.meshes[square].vertexStart + k]);
    }
    static PixelPoint between(PixelPoint a, PixelPoint b) {
        return {(a.x + b.x) / 2, (a.y + b.y) / 2};
    }
    QRgb at(PixelPoint p) const { return image.pixel(p.x, p.y) & 0x00FFFFFFu; }

    void render(int mode, QRgb background = qRgb(0, 0, 0)) {
        e.cameras[cl.camera].renderMode = static_cast<std::int16_t>(mode);
        image.fill(background);
        e.RenderFrame(canvas, cl.camera, inputs);
        leftEdge = between(corner(0), corner(1));
        rightEdge = between(corner(2), corner(3));
        diagonal = between(corner(0), corner(2));
        upperLeft = {(3 * corner(1).x + corner(2).x) / 4, (3 * corner(1).y + corner(0).y) / 4};
        lowerRight = {(corner(0).x + 3 * corner(3).x) / 4, (corner(2).y + 3 * corner(3).y) / 4};
    }
    int count(QRgb colour) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += (image.pixel(x, y) & 0x00FFFFFFu) == colour ? 1 : 0;
            }
        }
        return n;
    }

    PixelPoint leftEdge, rightEdge, diagonal, upperLeft, lowerRight;
    static constexpr QRgb kBlack = 0x000000u;
    static constexpr QRgb kWhite = 0xFFFFFFu;
    static constexpr QRgb kFaceColour = 0x6E0000u; // (110, 0, 0)
    static constexpr QRgb kLit = 0xF0E5E5u;        // (240, 229, 229), the head-on light
};

TEST_F(RenderModes, WireFrameDrawsWhiteOutlinesOnly) {
    render(kModeWireFrame);
    EXPECT_EQ(at(leftEdge), kWhite);
    EXPECT_EQ(at(rightEdge), kWhite);
    EXPECT_EQ(at(diagonal), kWhite);
    EXPECT_EQ(at(upperLeft), kBlack);
    EXPECT_EQ(at(lowerRight), kBlack);
    EXPECT_EQ(count(kWhite) + count(kBlack), 200 * 150);
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(RenderModes, SolidFillsWithTheFaceColourInsideWhiteOutlines) {
    render(kModeSolid);
    EXPECT_EQ(at(upperLeft), kFaceColour);
    EXPECT_EQ(at(lowerRight), kFaceColour);
    EXPECT_EQ(at(leftEdge), kWhite);
    EXPECT_EQ(at(diagonal), kWhite);
    EXPECT_GT(count(kFaceColour), 2000);
}

TEST_F(RenderModes, FlatFillsWithTheLitColourAndNoOutline) {
    render(kModeFlat);
    EXPECT_EQ(at(upperLeft), kLit);
    EXPECT_EQ(at(lowerRight), kLit);
    EXPECT_EQ(at(diagonal), kLit);
    EXPECT_EQ(at(leftEdge), kLit); // a left edge belongs to the fill
    EXPECT_EQ(count(kWhite), 0);
    EXPECT_EQ(count(kLit) + count(kBlack), 200 * 150);
}

TEST_F(RenderModes, TransparentOrsTheLitColourIntoThePicture) {
    const QRgb background = qRgb(0x05, 0x1A, 0x02);
    render(kModeTransparent, background);
    EXPECT_EQ(at(upperLeft), kLit | (background & 0x00FFFFFFu));
    EXPECT_EQ(at(lowerRight), 0xF5FFE7u);
    EXPECT_EQ(at({2, 2}), background & 0x00FFFFFFu);
    EXPECT_EQ(count(kWhite), 0);
}

TEST_F(RenderModes, SilhouetteInvertsTheOuterOutlineAndCancelsTheSharedEdge) {
    const QRgb background = qRgb(10, 20, 30);
    const QRgb inverted = 0xF5EBE1u;
    render(kModeSilhouette, background);
    EXPECT_EQ(at(leftEdge), inverted);
    EXPECT_EQ(at(rightEdge), inverted);
    EXPECT_EQ(at(diagonal), background & 0x00FFFFFFu);
    EXPECT_EQ(at(upperLeft), background & 0x00FFFFFFu);
    EXPECT_EQ(at(lowerRight), background & 0x00FFFFFFu);
    const int w = corner(3).x - corner(0).x;
    EXPECT_NEAR(count(inverted), 4 * w, 8); // the four sides, less a corner or two
}

TEST_F(RenderModes, SmoothBlendsTheVertexColoursAcrossTheFaces) {
    // Light from the left: the left side is brighter and the colour slides across.
    e.lights[cl.light].position = {-400, 0, -150};
    render(kModeSmooth);
    const QColor left = image.pixelColor(upperLeft.x, upperLeft.y);
    const QColor right = image.pixelColor(lowerRight.x, lowerRight.y);
    EXPECT_GT(left.red(), right.red());
    EXPECT_GT(left.green(), right.green());
    EXPECT_EQ(count(kWhite), 0); // no outline
    // Along a row the colour changes by at most a level or two between neighbours, and
    // never jumps at the shared diagonal.
    const int y = diagonal.y;
    for (int x = corner(0).x + 1; x < corner(3).x - 1; ++x) {
        const QColor a = image.pixelColor(x, y);
        const QColor b = image.pixelColor(x + 1, y);
        EXPECT_LE(std::abs(a.red() - b.red()), 2) << x;
        EXPECT_LE(std::abs(a.green() - b.green()), 2) << x;
        EXPECT_NE(image.pixel(x, y) & 0x00FFFFFFu, kBlack) << x;
    }
    // The pixel at a vertex carries that vertex's shaded colour.
    const PixelPoint v1 = corner(1);
    const Colour3 c1 = e.vertexColours[e.meshes[square].vertexStart + 1];
    const QColor top = image.pixelColor(v1.x, v1.y);
    EXPECT_EQ(top.red(), c1.r);
    EXPECT_EQ(top.green(), c1.g);
    EXPECT_EQ(top.blue(), c1.b);
}

} // namespace

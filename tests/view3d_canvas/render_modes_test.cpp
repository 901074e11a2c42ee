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

namespace {

constexpr QRgb kBlack = 0x000000u;
constexpr QRgb kWhite = 0xFFFFFFu;
constexpr QRgb kLit = 0xF0E5E5u; // (240, 229, 229), the head-on light

class RenderModes : public ::testing::Test, protected EngineWithErrors {
protected:
    CameraAndLight cl = addHeadCamera(e);
    int square = addFacingSquare(e, 60.0f);
    QImage image{200, 150, QImage::Format_RGB32};
    QImageCanvas canvas{image};

    // Projected corners: v0 bottom-left, v1 top-left, v2 top-right, v3 bottom-right; the faces
    // share the diagonal v0-v2.
    PixelPoint corner(int k) {
        return toPixel(e.screenPositions[e.meshes[square].vertexStart + k]);
    }
    PixelPoint between(int a, int b) {
        return {(corner(a).x + corner(b).x) / 2, (corner(a).y + corner(b).y) / 2};
    }
    QRgb at(PixelPoint p) const { return image.pixel(p.x, p.y) & 0x00FFFFFFu; }
    void render(int mode, QRgb background) {
        e.cameras[cl.camera].renderMode = static_cast<std::int16_t>(mode);
        image.fill(background);
        e.RenderFrame(canvas, cl.camera, FrameInputs{});
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
};

TEST_F(RenderModes, OutlinesAndFillsShowWhatEachModeStandsFor) {
    struct Case {
        int mode;
        QRgb background, inside, leftEdge, diagonal, outside;
        int whites; // -1: only the outlines, which are white
    };
    const QRgb tint = 0x051A02u, grey = 0x0A141Eu, inverted = 0xF5EBE1u;
    const Case cases[] = {
        {kModeWireFrame, kBlack, kBlack, kWhite, kWhite, kBlack, -1},
        {kModeSolid, kBlack, 0x6E0000u, kWhite, kWhite, kBlack, -1},
        // The left edge belongs to the fill.
        {kModeFlat, kBlack, kLit, kLit, kLit, kBlack, 0},
        {kModeTransparent, tint, kLit | tint, kLit | tint, kLit | tint, tint, 0},
        // The shared diagonal is inverted twice: only the outer outline shows.
        {kModeSilhouette, grey, grey, inverted, grey, grey, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        render(c.mode, c.background);
        const PixelPoint upperLeft = {(3 * corner(1).x + corner(2).x) / 4,
                                      (3 * corner(1).y + corner(0).y) / 4};
        const PixelPoint lowerRight = {(corner(0).x + 3 * corner(3).x) / 4,
                                       (corner(2).y + 3 * corner(3).y) / 4};
        EXPECT_EQ(at(upperLeft), c.inside);
        EXPECT_EQ(at(lowerRight), c.inside);
        EXPECT_EQ(at(between(0, 1)), c.leftEdge);
        EXPECT_EQ(at(between(0, 2)), c.diagonal);
        EXPECT_EQ(at({2, 2}), c.outside);
        if (c.whites >= 0) {
            EXPECT_EQ(count(kWhite), c.whites);
        } else {
            EXPECT_EQ(at(between(2, 3)), kWhite);
            const int others = c.inside == kBlack ? 0 : count(c.inside);
            EXPECT_EQ(count(kWhite) + count(kBlack) + others, 200 * 150);
        }
    }
    EXPECT_NEAR(count(inverted), 4 * (corner(3).x - corner(0).x), 8) << "the four sides";
    EXPECT_EQ(at(corner(1)), inverted) << "a corner of one face flips once";
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(RenderModes, SmoothBlendsTheVertexColoursAcrossTheFaces) {
    // The pixel at a vertex carries that vertex's shaded colour in full (head-on: bright).
    render(kModeSmooth, kBlack);
    const Colour3 c1 = e.vertexColours[e.meshes[square].vertexStart + 1];
    EXPECT_EQ(image.pixelColor(corner(1).x, corner(1).y), QColor(c1.r, c1.g, c1.b));
    // Light from the left: the left side is brighter and the colour slides across.
    e.lights[cl.light].position = {-400, 0, -150};
    render(kModeSmooth, kBlack);
    const QColor left = image.pixelColor(corner(1).x + 10, corner(1).y + 5);
    const QColor right = image.pixelColor(corner(3).x - 10, corner(3).y - 5);
    EXPECT_GT(left.red(), right.red());
    EXPECT_GT(left.green(), right.green());
    EXPECT_EQ(count(kWhite), 0); // no outline
    // Along a row the colour changes by at most a level or two between neighbours, and
    // never jumps at the shared diagonal.
    const int y = between(0, 2).y;
    for (int x = corner(0).x + 1; x < corner(3).x - 1; ++x) {
        const QColor a = image.pixelColor(x, y);
        const QColor b = image.pixelColor(x + 1, y);
        EXPECT_LE(std::abs(a.red() - b.red()), 2) << x;
        EXPECT_LE(std::abs(a.green() - b.green()), 2) << x;
        EXPECT_NE(image.pixel(x, y) & 0x00FFFFFFu, kBlack) << x;
    }
}

} // namespace

// A lit square rendered in each of the six modes into a QImage: the pixels must show what
// each mode stands for.

#include "engine3d/engine.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"
#include "view3d/qimage_canvas.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

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

// A session of frames drawn as the 3-D window draws them: the surface cleared (only what the
// last frame drew, band by band with the frame's triangles), the frame rendered, and only the
// changed part shown. After every frame
// both the surface and what is shown equal a full redraw of the same state by a copy of the
// engine that sorts from scratch onto a surface cleared whole, drawing one triangle at a time. The
// session turns the view by small steps and by large ones, comes close enough for the part to leave
// the surface, changes the mode, moves, hides and rebuilds meshes, resizes the surface and changes
// its background. The ground, the gizmo's lines and labels, a pixel and a curve are in the scene;
// two squares of different colours lie on one another, so that their keys tie.
TEST(FrameSession, EveryFrameAndWhatIsShownEqualAFullRedraw) {
    EngineWithErrors session;
    Engine& e = session.e;
    CameraAndLight cl = addHeadCamera(e);
    std::mt19937 gen(31);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto scatter = [&] {
        const int faces = std::uniform_int_distribution<int>(5, 40)(gen);
        const int m = e.CreateMesh(3 * faces, faces);
        const Mesh& mesh = e.meshes[m];
        for (int v = 0; v < 3 * faces; ++v)
            e.vertices[mesh.vertexStart + v] = {60 * unit(gen), 60 * unit(gen), 60 * unit(gen)};
        for (int f = 0; f < faces; ++f) {
            const auto at = [&](int k) { return static_cast<std::int16_t>(mesh.vertexStart + k); };
            const auto c = static_cast<std::int16_t>(100 + 150 * (f % 2));
            e.faces[mesh.faceStart + f] = Face{at(3 * f),
                                               at(3 * f + 1),
                                               at(3 * f + 2),
                                               {c, static_cast<std::int16_t>(f * 6), 40},
                                               0.9f};
        }
        return m;
    };
    FrameInputs inputs;
    inputs.gridMesh = addMesh(e, {{-70, -40, -70}, {-70, -40, 70}, {70, -40, 70}, {70, -40, -70}},
                              {{0, 1, 2}, {0, 2, 3}, {2, 1, 0}, {3, 2, 0}}, {255, 255, 255});
    inputs.gridTag = 1;
    inputs.axesTag = 1;
    inputs.axisLines = {addMarker(e, {{0, 0, 0}, {40, 0, 0}}, {}),
                        addMarker(e, {{0, 0, 0}, {0, 40, 0}}, {}), 0};
    inputs.axisLabels = {addMarker(e, {{40, 0, 0}}, {}, "x"), addMarker(e, {{0, 40, 0}}, {}, "z"),
                         0};
    addMarker(e, {{-30, 20, 0}}, {0, 255, 0});
    addMarker(e, {{-50, 0, 0}, {-20, 60, 0}, {20, -60, 0}, {50, 0, 0}}, {0, 0, 255});
    addFacingSquare(e, 25, -5.0f, 10, 0, {0, 200, 0});
    addFacingSquare(e, 25, -5.0f, 10, 0, {0, 0, 200});
    const int firstScatter = e.meshRange.first + e.meshRange.count;
    for (int i = 0; i < 3; ++i)
        scatter();

    QImage image(200, 150, QImage::Format_RGB32);
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.fill(0x123456u);
    QImageCanvas canvas(image);
    Colour3 background;
    float yaw = 0.3f, pitch = 0.2f, distance = 220.0f;
    std::uniform_int_distribution<int> action(0, 19);
    for (int step = 0; step < 400; ++step) {
        const int a = step == 0 ? 0 : action(gen);
        Camera& cam = e.cameras[cl.camera];
        switch (a) {
        case 0: // a large turn
            yaw += 3.0f * unit(gen);
            pitch = 1.2f * unit(gen);
            break;
        case 1:
        case 2: {
            cam.renderMode =
                static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, 5)(gen));
            cam.specular = cam.attenuation = cam.renderMode == kModeSmooth;
            break;
        }
        case 3: { // a mesh moves
            Mesh& m = e.meshes[1 + step % e.meshRange.count];
            m.position = {50 * unit(gen), 50 * unit(gen), 50 * unit(gen)};
            m.dirty = true;
            break;
        }
        case 4: // a mesh is rebuilt: another run, other faces
            e.DeleteMesh(firstScatter + step % 3);
            scatter();
            break;
        case 5: { // the owner re-makes the surface at another size, keeping its picture
            QImage grown(std::uniform_int_distribution<int>(40, 260)(gen),
                         std::uniform_int_distribution<int>(30, 200)(gen), QImage::Format_RGB32);
            grown.fill(Qt::black);
            QPainter(&grown).drawImage(0, 0, image);
            image = grown;
            shown = QImage(image.size(), QImage::Format_RGB32);
            shown.fill(0x123456u);
            break;
        }
        case 6:
            cam.twoSided = !cam.twoSided;
            break;
        case 7:
            distance = std::uniform_real_distribution<float>(60.0f, 900.0f)(gen);
            break;
        case 8:
            e.meshes[1 + step % e.meshRange.count].visible ^= true;
            break;
        case 9:
            background = step % 2 ? Colour3{0, 0, 60} : Colour3{};
            canvas.setBackgroundColour(background);
            break;
        default: // a step of a drag
            yaw += 0.02f * unit(gen);
            pitch = std::clamp(pitch + 0.02f * unit(gen), -1.5f, 1.5f);
        }
        e.OrbitCamera(cl.camera, {0, 0, 0}, distance, yaw, pitch);
        e.lights[cl.light].position = cam.position;
        // As the window clears, or filled at once.
        if (step % 3 == 0)
            canvas.clear();
        else
            canvas.clearForNextFrame();
        e.RenderFrame(canvas, cl.camera, inputs);
        for (const QRect& changed : canvas.takeChanged())
            for (int y = changed.top(); y <= changed.bottom(); ++y)
                std::memcpy(shown.scanLine(y) + 4 * changed.left(),
                            image.constScanLine(y) + 4 * changed.left(), 4 * changed.width());

        auto fresh = std::make_unique<Engine>(e);
        fresh->forgetDrawOrder();
        QImage full(image.size(), QImage::Format_RGB32);
        QImageCanvas fullCanvas(full);
        OneByOneCanvas oneByOne(fullCanvas);
        fullCanvas.setBackgroundColour(background);
        fullCanvas.clear();
        fresh->RenderFrame(oneByOne, cl.camera, inputs);
        ASSERT_TRUE(image == full) << "step " << step << ", action " << a;
        ASSERT_TRUE(shown == full) << "step " << step << ", action " << a;
    }
}

} // namespace

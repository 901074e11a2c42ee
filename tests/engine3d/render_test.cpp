#include "engine3d/engine.h"
#include "engine3d/recording_canvas.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

using Kind = RecordingCanvas::Kind;

class RenderTest : public ::testing::Test {
protected:
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Engine& e = *engine;
    RecordingCanvas surface{400, 300};
    CameraAndLight cl = addHeadCamera(e);
    FrameInputs inputs;

    Camera& camera() { return e.cameras[cl.camera]; }
    Light& light() { return e.lights[cl.light]; }
    void render() {
        surface.calls.clear();
        e.RenderFrame(surface, cl.camera, inputs);
    }
    std::vector<int> listed() const {
        std::vector<int> out;
        for (int k = 0; e.drawList[k] != 0; ++k) {
            out.push_back(e.drawList[k]);
        }
        return out;
    }
};

// --- Clipping and culling ---

TEST_F(RenderTest, AFaceReachingBehindTheNearPlaneIsDroppedWhole) {
    const int m = addMesh(e, {{-10, -10, 0}, {-10, 10, 0}, {10, 0, 0}}, {{0, 1, 2}});
    render();
    ASSERT_EQ(listed().size(), 1u);
    // The camera stands at z = -370 with near = 1: z = -369.5 is in front of the camera but
    // closer than the near distance.
    e.vertices[e.meshes[m].vertexStart + 2] = {10, 0, -369.5f};
    render();
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
    // Beyond the far distance likewise.
    e.vertices[e.meshes[m].vertexStart + 2] = {10, 0, 1300};
    render();
    EXPECT_TRUE(listed().empty());
}

TEST_F(RenderTest, PyramidClipDropsAFaceWithOneVertexOutsideButNotInOrthographic) {
    const float edge = 370.0f * camera().tanHalfFov; // half width of the view at the origin
    const int m = addMesh(e, {{0, 0, 0}, {0, 20, 0}, {edge - 1.0f, 0, 0}}, {{0, 1, 2}});
    render();
    ASSERT_EQ(listed().size(), 1u);

    e.vertices[e.meshes[m].vertexStart + 2].x = edge + 1.0f;
    render();
    EXPECT_TRUE(listed().empty());

    camera().orthographic = true;
    render();
    EXPECT_EQ(listed().size(), 1u);
    EXPECT_EQ(surface.callsOf(Kind::Polygon).size(), 1u);
}

TEST_F(RenderTest, BackFacesShowOnlyWithATwoSidedCamera) {
    // Same triangle, both windings; only the one facing the camera survives.
    const int front = addMesh(e, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}}, {{0, 1, 2}});
    const int back = addMesh(e, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}}, {{0, 2, 1}});
    render();
    EXPECT_EQ(listed(), std::vector<int>{e.meshes[front].faceStart});

    camera().twoSided = true;
    render();
    EXPECT_EQ(listed().size(), 2u);

    // Orthographic also keeps faces turned towards the point behind the camera.
    camera().twoSided = false;
    camera().orthographic = true;
    render();
    EXPECT_EQ(listed(), std::vector<int>{e.meshes[front].faceStart});
    (void)back;
}

// --- Depth order ---

TEST_F(RenderTest, FacesAreDrawnFarthestFirst) {
    const int nearSquare = addFacingSquare(e, 10, -100.0f, 0, 0, {0, 0, 200});
    const int farSquare = addFacingSquare(e, 30, 200.0f, 0, 0, {0, 200, 0});
    camera().renderMode = kModeSolid;
    render();
    const auto polys = surface.callsOf(Kind::Polygon);
    ASSERT_EQ(polys.size(), 4u);
    EXPECT_EQ(polys[0].state.fillColour, (Colour3{0, 200, 0}));
    EXPECT_EQ(polys[1].state.fillColour, (Colour3{0, 200, 0}));
    EXPECT_EQ(polys[3].state.fillColour, (Colour3{0, 0, 200}));
    const std::vector<int> order = listed();
    EXPECT_GE(order[0], e.meshes[farSquare].faceStart);
    EXPECT_GE(order[2], e.meshes[nearSquare].faceStart);
    EXPECT_LT(order[2], e.meshes[nearSquare].faceStart + 2);
}

TEST_F(RenderTest, TheDrawListEndsWithZeroWhenItShrinks) {
    for (int i = 0; i < 5; ++i) {
        addFacingSquare(e, 5, static_cast<float>(10 * i), 0, 0);
    }
    render();
    EXPECT_EQ(listed().size(), 10u);
    for (int m = 2; m <= 5; ++m) {
        e.meshes[m].visible = false;
    }
    render();
    EXPECT_EQ(listed().size(), 2u);
    for (int k = 2; k < 12; ++k) {
        EXPECT_EQ(e.drawList[k], 0);
    }
}

TEST_F(RenderTest, SortingOneOrTwoEntries) {
    float keys[3] = {5, 1, 0};
    std::int16_t faces[3] = {7, 8, 0};
    e.SortDrawList(keys, faces, 0, 0);
    EXPECT_EQ(faces[0], 7);
    e.SortDrawList(keys, faces, 0, 1); // first key greater: swapped
    EXPECT_EQ(faces[0], 8);
    EXPECT_EQ(keys[0], 1.0f);
    keys[0] = 2;
    keys[1] = 2;
    e.SortDrawList(keys, faces, 0, 1); // equal keys: left as they are
    EXPECT_EQ(faces[0], 8);
    e.SortDrawList(keys, faces, 1, 0); // empty range
    EXPECT_EQ(faces[0], 8);
}

TEST_F(RenderTest, SortingKeepsKeysAndFacesTogether) {
    std::mt19937 gen(7);
    for (int n : {3, 10, 257, 10000}) {
        std::vector<float> keys(n);
        std::vector<std::int16_t> faces(n);
        std::uniform_int_distribution<int> few(0, 9); // many equal keys
        for (int i = 0; i < n; ++i) {
            keys[i] = -static_cast<float>(few(gen)) / 4.0f;
            faces[i] = static_cast<std::int16_t>(i + 1);
        }
        const std::vector<float> original = keys;
        e.SortDrawList(keys, faces, 0, n - 1);
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
        std::vector<std::int16_t> seen = faces;
        std::sort(seen.begin(), seen.end());
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(seen[i], i + 1);
            ASSERT_EQ(keys[i], original[faces[i] - 1]);
        }
    }
    // All keys equal, and keys that are not numbers: it still ends.
    std::vector<float> same(5000, 1.5f);
    std::vector<std::int16_t> faces(5000, 1);
    e.SortDrawList(same, faces, 0, 4999);
    std::vector<float> odd = {3, std::numeric_limits<float>::quiet_NaN(), 1,
                              std::numeric_limits<float>::quiet_NaN(), 2};
    std::vector<std::int16_t> oddFaces = {1, 2, 3, 4, 5};
    e.SortDrawList(odd, oddFaces, 0, 4);
    std::vector<std::int16_t> sortedFaces = oddFaces;
    std::sort(sortedFaces.begin(), sortedFaces.end());
    EXPECT_EQ(sortedFaces, (std::vector<std::int16_t>{1, 2, 3, 4, 5}));
}

// --- Shading ---

class ShadeTest : public RenderTest {
protected:
    int face = 0;
    void SetUp() override {
        const int m = addFacingSquare(e, 10, 0, 0, 0, {110, 0, 0}, 0.9f);
        face = e.meshes[m].faceStart;
        light().position = {0, 0, -100};
    }
    Colour3 shadeOrigin() { return e.ShadePoint({0, 0, 0}, {0, 0, -1}, face, cl.camera); }
};

TEST_F(ShadeTest, HeadOnWhiteLightGivesTheWorkedExampleColour) {
    EXPECT_EQ(shadeOrigin(), (Colour3{240, 229, 229}));
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(ShadeTest, LightBehindTheSurfaceGivesNoDiffuse) {
    light().position = {0, 0, 100};
    // Only the unlit share of the face colour remains: 110·(1 - 0.9).
    EXPECT_EQ(shadeOrigin(), (Colour3{11, 0, 0}));
    // With specular on, the reflection points away from the camera: still nothing.
    camera().specular = true;
    EXPECT_EQ(shadeOrigin(), (Colour3{11, 0, 0}));
}

TEST_F(ShadeTest, SpecularAddsTowardsTheCamera) {
    camera().specular = true;
    light().colour = {100, 100, 100};
    // Head-on: diffuse 1, specular 1 scaled by the material: 100·(0.9 + 1) = 190.
    const Colour3 c = shadeOrigin();
    EXPECT_EQ(c, (Colour3{182, 171, 171})); // mix((110,0,0), (190,190,190), 0.9)
    camera().separateSpecular = true;
    // (110·1 + 100·0.9, 0 + 90, 0 + 90), mixed with the black fog at factor 1.
    EXPECT_EQ(shadeOrigin(), (Colour3{200, 90, 90}));
}

TEST_F(ShadeTest, DisabledLightsAndSeveralLightsAddUpToWhite) {
    light().enabled = false;
    EXPECT_EQ(shadeOrigin(), (Colour3{11, 0, 0}));
    light().enabled = true;
    const int second = e.CreateLight();
    e.lights[second].position = {0, 0, -50};
    EXPECT_EQ(shadeOrigin(), (Colour3{240, 229, 229})); // the sum is limited to 255
}

TEST_F(ShadeTest, FogAndAttenuationFadeWithDistance) {
    camera().attenuation = true;
    camera().fogStart = 0.0f;
    camera().fogEnd = 740.0f; // the point is 370 away: fog factor 0.5
    camera().fogColour = {0, 0, 100};
    light().attenuationStart = 0.0f;
    light().attenuationEnd = 200.0f; // 100 away: half the light
    const Colour3 c = shadeOrigin();
    // sum = 255·0.5 = 127.5 -> 128; lit = mix(110, 128, 0.9) = 126, mix(0, 115, 0.9) = 115;
    // fogged = mix(fog, lit, 0.5).
    EXPECT_EQ(c, (Colour3{63, 58, 108}));
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(ShadeTest, EqualFogDistancesReportBadCameraSettingsAndSkipTheFog) {
    camera().attenuation = true;
    camera().fogStart = camera().fogEnd = 500.0f;
    // No fog, only the light's own attenuation over 100 of 1..1600: 255·1500/1599 -> 239.
    EXPECT_EQ(shadeOrigin(), (Colour3{226, 215, 215}));
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorCameraSettings});
}

TEST_F(ShadeTest, EqualAttenuationDistancesReportBadLightSettings) {
    camera().attenuation = true;
    light().attenuationStart = light().attenuationEnd = 50.0f;
    // Full light, then only the fog over 370 of 1..1600 towards black: factor 1230/1599.
    EXPECT_EQ(shadeOrigin(), (Colour3{185, 176, 176}));
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorLightSettings});
}

TEST_F(ShadeTest, SpotConesLightInsideFadeAtTheRimAndReportEqualCones) {
    // The spot at (0, 0, -100) aims along +z at the origin.
    light().spotInnerCos = 0.99f;
    light().spotOuterCos = 0.9f;
    EXPECT_EQ(shadeOrigin(), (Colour3{240, 229, 229}));
    light().rotation.x = static_cast<float>(kEnginePi / 2.0); // aimed down: the point is outside
    EXPECT_EQ(shadeOrigin(), (Colour3{11, 0, 0}));
    light().rotation.x = 0.0f;
    light().spotInnerCos = light().spotOuterCos;
    EXPECT_EQ(shadeOrigin(), (Colour3{240, 229, 229})); // spot = cosine 1
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorLightSettings});
}

TEST_F(ShadeTest, BadSettingsAreReportedOncePerFrameNotPerFace) {
    for (int i = 1; i < 20; ++i) {
        addFacingSquare(e, 5, static_cast<float>(i));
    }
    camera().attenuation = true;
    camera().fogStart = camera().fogEnd = 500.0f;
    light().attenuationStart = light().attenuationEnd = 50.0f;
    camera().renderMode = kModeSmooth;
    render();
    EXPECT_EQ(errors.count(kErrorCameraSettings), 1);
    EXPECT_EQ(errors.count(kErrorLightSettings), 1);
    camera().renderMode = kModeFlat;
    render();
    EXPECT_EQ(errors.count(kErrorCameraSettings), 2);
    EXPECT_EQ(errors.count(kErrorLightSettings), 2);
    // Outside a frame every call reports.
    shadeOrigin();
    shadeOrigin();
    EXPECT_EQ(errors.count(kErrorCameraSettings), 4);
}

// --- Render modes ---

// What each mode shows is checked on real pixels with the QImage canvas; here the calls.
TEST_F(RenderTest, SmoothModeHandsSixteenBitCornerColoursToTheGradientFill) {
    addFacingSquare(e, 20);
    camera().renderMode = kModeSmooth;
    surface.setFill(false);
    render();
    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
    const auto gradients = surface.callsOf(Kind::Gradient);
    ASSERT_EQ(gradients.size(), 2u);
    EXPECT_EQ(gradients[0].state.penMode, PenMode::Copy);
    for (const GradientVertex& g : gradients[0].corners) {
        // Near head-on: close to the flat colour (240, 229, 229), each channel c as c·256.
        EXPECT_NEAR(g.red, 240 * 256, 2 * 256);
        EXPECT_NEAR(g.green, 229 * 256, 2 * 256);
        EXPECT_EQ(g.red % 256, 0);
        EXPECT_EQ(g.alpha, 0);
    }
}

TEST_F(RenderTest, AnUnknownModeKeepsThePenAndTheLastFaceColours) {
    const int m = addFacingSquare(e, 20);
    camera().renderMode = kModeFlat;
    render();
    e.SetMeshColour(m, {1, 2, 3}, 0.9f);
    camera().renderMode = 9;
    surface.setPenMode(PenMode::Invert);
    render();
    const auto polys = surface.callsOf(Kind::Polygon);
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_EQ(polys[0].state.penMode, PenMode::Invert);
    EXPECT_EQ(polys[0].state.fillColour, (Colour3{240, 229, 229}));
}

TEST_F(RenderTest, SmoothShadingUsesWorldPositionsAndSharedNormals) {
    // Two faces folded along the y axis, the whole mesh moved by its transform, lit from the
    // side with attenuation so that the position matters.
    const int m = addMesh(
        e, {{-20, -20, 10}, {-20, 20, 10}, {0, -20, 0}, {0, 20, 0}, {20, -20, 10}, {20, 20, 10}},
        {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}});
    e.meshes[m].position = {30, 0, 0};
    camera().renderMode = kModeSmooth;
    camera().attenuation = true;
    light().position = {-100, 0, -200};
    light().attenuationStart = 0.0f;
    light().attenuationEnd = 600.0f;
    render();
    const auto gradients = surface.callsOf(Kind::Gradient);
    ASSERT_EQ(gradients.size(), 4u);
    const int v = e.meshes[m].vertexStart;
    // Vertex 2 sums the normals of its three faces: (-400, 0, -800) + 2 x (400, 0, -800).
    const Vector3 n = e.vertexNormals[v + 2];
    EXPECT_NEAR(n.x, 400.0f, 1e-2);
    EXPECT_NEAR(n.y, 0.0f, 1e-2);
    EXPECT_NEAR(n.z, -2400.0f, 1e-2);
    const Colour3 expected =
        e.ShadePoint(e.worldPositions[v + 2], n, e.meshes[m].faceStart, cl.camera);
    EXPECT_EQ(e.vertexColours[v + 2], expected);
    bool found = false;
    const PixelPoint fold = toPixel(e.screenPositions[v + 2]);
    for (const auto& g : gradients) {
        for (const GradientVertex& c : g.corners) {
            if (c.x == fold.x && c.y == fold.y) {
                found = true;
                EXPECT_EQ(c.red, expected.r * 256);
                EXPECT_EQ(c.green, expected.g * 256);
            }
        }
    }
    EXPECT_TRUE(found);
}

// --- Markers and the editor's toggles ---

TEST_F(RenderTest, MarkersDrawPixelsLabelsLinesAndCurvesInFront) {
    addMarker(e, {{0, 0, 0}}, {1, 2, 3});
    addMarker(e, {{10, 0, 0}}, {4, 5, 6}, "x");
    addMarker(e, {{0, 0, 0}, {20, 0, 0}}, {255, 0, 0});
    addMarker(e, {{0, 0, 0}, {5, 5, 0}, {10, 5, 0}, {15, 0, 0}}, {0, 255, 0});
    addMarker(e, {{0, 0, 0}, {5, 5, 0}, {10, 5, 0}}, {0, 0, 255}); // three vertices: nothing
    addMarker(e, {{0, 0, -380}}, {9, 9, 9});                       // behind the camera
    camera().renderMode = kModeSilhouette;
    render();

    const auto pixels = surface.callsOf(Kind::Pixel);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0].colour, (Colour3{1, 2, 3}));
    EXPECT_EQ(pixels[0].points[0], (PixelPoint{200, 150}));

    const auto texts = surface.callsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "x");
    EXPECT_EQ(texts[0].state.textColour, (Colour3{4, 5, 6}));
    EXPECT_GT(texts[0].points[0].x, 200);

    const auto lines = surface.callsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].state.penMode, PenMode::Copy);
    EXPECT_TRUE(lines[0].state.outline);
    EXPECT_EQ(lines[0].state.outlineColour, (Colour3{255, 0, 0}));

    const auto curves = surface.callsOf(Kind::Bezier);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0].state.outlineColour, (Colour3{0, 255, 0}));
    EXPECT_EQ(curves[0].points[0], (PixelPoint{200, 150}));

    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
}

TEST_F(RenderTest, TheToolbarTagsShowTheGizmoAndTheGrid) {
    inputs.gridMesh = addFacingSquare(e, 40, 50.0f, 0, 0, {255, 255, 255});
    for (int i = 0; i < 3; ++i) {
        inputs.axisLines[i] = addMarker(e, {{0, 0, 0}, {10, 0, 0}}, {0, 0, 0});
        inputs.axisLabels[i] = addMarker(e, {{10, 0, 0}}, {0, 0, 0}, "x");
    }
    render(); // both tags 0: nothing shows
    EXPECT_TRUE(surface.callsOf(Kind::Line).empty());
    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());

    inputs.axesTag = 1;
    inputs.gridTag = -1;
    render();
    const auto lines = surface.callsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].state.outlineColour, (Colour3{255, 0, 0})); // red on every frame
    EXPECT_EQ(e.faces[e.meshes[inputs.axisLabels[0]].faceStart].material, 0.5f);
    EXPECT_EQ(surface.callsOf(Kind::Text).size(), 3u);
    EXPECT_EQ(surface.callsOf(Kind::Polygon).size(), 2u);

    inputs.axesTag = -1; // only 1 shows the axes
    inputs.gridTag = 0;
    render();
    EXPECT_TRUE(surface.callsOf(Kind::Line).empty());
    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
}

TEST_F(RenderTest, UnknownCamerasAndFacesPointingOutsideThePoolAreIgnored) {
    const int m = addFacingSquare(e, 10);
    e.RenderFrame(surface, 0, inputs);
    e.RenderFrame(surface, 7, inputs);
    EXPECT_TRUE(surface.calls.empty());
    e.faces[e.meshes[m].faceStart].vertexB = -4;
    e.faces[e.meshes[m].faceStart + 1].vertexC = 12000;
    render();
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(errors.codes.empty());
}

} // namespace

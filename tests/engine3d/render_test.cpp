#include "engine3d/engine.h"
#include "engine3d/recording_canvas.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace {

using Kind = RecordingCanvas::Kind;

// An engine with a head camera and light at (0, 0, -370), and a surface that records the calls.
struct Stage : EngineWithErrors {
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

class RenderTest : public ::testing::Test, public Stage {};

// --- Clipping, culling and depth order ---

TEST_F(RenderTest, FacesReachingPastNearOrFarOrOutsideThePyramidAreDroppedWhole) {
    const float edge = 370.0f * camera().tanHalfFov; // half width of the view at the origin
    const int m = addMesh(e, {{0, 0, 0}, {0, 20, 0}, {edge - 1.0f, 0, 0}}, {{0, 1, 2}});
    Vector3& moving = e.vertices[e.meshes[m].vertexStart + 2];
    render();
    ASSERT_EQ(listed().size(), 1u);
    // z = -369.5 is in front of the camera but closer than the near distance (1).
    for (const Vector3 p :
         {Vector3{10, 0, -369.5f}, Vector3{10, 0, 1300}, Vector3{edge + 1, 0, 0}}) {
        moving = p;
        render();
        EXPECT_TRUE(listed().empty()) << p.x << "," << p.z;
        EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
    }
    // The pyramid does not clip in orthographic mode.
    camera().orthographic = true;
    render();
    EXPECT_EQ(surface.callsOf(Kind::Polygon).size(), 1u);
}

TEST_F(RenderTest, BackFacesShowOnlyWithATwoSidedCamera) {
    // Same triangle, both windings; only the one facing the camera survives.
    const int front = addMesh(e, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}}, {{0, 1, 2}});
    addMesh(e, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}}, {{0, 2, 1}});
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
}

TEST_F(RenderTest, FacesAreDrawnFarthestFirstAndTheListEndsWithZero) {
    addFacingSquare(e, 10, -100.0f, 0, 0, {0, 0, 200});
    addFacingSquare(e, 30, 200.0f, 0, 0, {0, 200, 0});
    for (int i = 0; i < 3; ++i) {
        addFacingSquare(e, 5, static_cast<float>(10 * i));
    }
    camera().renderMode = kModeSolid;
    render();
    const auto polys = surface.callsOf(Kind::Polygon);
    ASSERT_EQ(polys.size(), 10u);
    EXPECT_EQ(polys[0].state.fillColour, (Colour3{0, 200, 0}));
    EXPECT_EQ(polys[1].state.fillColour, (Colour3{0, 200, 0}));
    EXPECT_EQ(polys[8].state.fillColour, (Colour3{0, 0, 200}));
    EXPECT_EQ(polys[9].state.fillColour, (Colour3{0, 0, 200}));
    for (int m = 2; m <= 5; ++m) {
        e.meshes[m].visible = false;
    }
    render();
    EXPECT_EQ(listed().size(), 2u);
    for (int k = 2; k < 12; ++k) {
        EXPECT_EQ(e.drawList[k], 0);
    }
}

TEST_F(RenderTest, TheGroundGoesUnderEverythingFromAboveAndOverEverythingFromBelow) {
    // A two-sided ground reaching from behind a standing square to well in front of it.
    inputs.gridMesh = addMesh(e, {{-40, -20, -60}, {-40, -20, 60}, {40, -20, 60}, {40, -20, -60}},
                              {{0, 1, 2}, {0, 2, 3}, {2, 1, 0}, {3, 2, 0}}, {255, 255, 255});
    inputs.gridTag = 1;
    addFacingSquare(e, 20, 0.0f, 0, 0);
    const int groundStart = e.meshes[inputs.gridMesh].faceStart;
    auto isGround = [&](int f) { return f >= groundStart && f < groundStart + 4; };
    for (const float pitch : {0.4f, -0.4f, 0.05f}) {
        SCOPED_TRACE(pitch);
        e.OrbitCamera(cl.camera, {0, 0, 0}, 370.0f, 0.0f, pitch);
        render();
        const std::vector<int> list = listed();
        ASSERT_EQ(list.size(), 4u) << "one side of the ground, both faces of the square";
        const bool above = e.cameras[cl.camera].position.y > -20.0f;
        EXPECT_EQ(isGround(list[0]), above);
        EXPECT_EQ(isGround(list[1]), above);
        EXPECT_EQ(isGround(list[3]), !above);
        // Each group keeps its farthest-first order, its keys beside it.
        const int g = above ? 0 : 2;
        EXPECT_LE(e.drawKeys[g], e.drawKeys[g + 1]);
        EXPECT_LE(e.drawKeys[2 - g], e.drawKeys[3 - g]);
    }
    // Hidden, the ground neither shows nor moves anything.
    inputs.gridTag = 0;
    render();
    EXPECT_EQ(listed().size(), 2u);
}

TEST_F(RenderTest, SortingKeepsKeysAndFacesTogetherAndEqualKeysInTheirOrder) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> few(0, 9); // many equal keys
    for (int n : {2, 3, 10, 257, 10000, 12000}) {
        std::vector<float> k(n);
        std::vector<std::int16_t> faces(n);
        for (int i = 0; i < n; ++i) {
            k[i] = -static_cast<float>(few(gen)) / 4.0f;
            faces[i] = static_cast<std::int16_t>(i + 1);
        }
        const std::vector<float> original = k;
        e.SortDrawList(k, faces, 0, n - 1);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(k[i], original[faces[i] - 1]);
            if (i > 0) {
                ASSERT_TRUE(k[i - 1] < k[i] || (k[i - 1] == k[i] && faces[i - 1] < faces[i]));
            }
        }
    }
    // Keys that are not numbers go last, and no face is lost.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> odd = {3, nan, 1, nan, -0.0f, 0.0f};
    std::vector<std::int16_t> oddFaces = {1, 2, 3, 4, 5, 6};
    e.SortDrawList(odd, oddFaces, 0, 5);
    EXPECT_EQ(oddFaces, (std::vector<std::int16_t>{5, 6, 3, 1, 2, 4}));
}

// Each frame's sort starts from the last frame's order; whatever that was, the list is the
// faces that pass the clips and the facing test, in listing order (meshes in pool order, faces
// in run order) sorted by key, equal keys in listing order. The session turns the view by small
// steps and by half turns, shows both sides, changes the projection and the mode, moves, hides,
// adds and deletes meshes; two meshes lie on one another, so that their keys tie, and the first one
// comes back to the list at its end. The colours of the faces and vertices, shaded on every core,
// are those that ShadePoint gives one point at a time.
TEST_F(RenderTest, EveryFrameListsTheFacesInTheOrderOfAFreshSort) {
    std::mt19937 gen(23);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto addScatter = [&] {
        const int m = e.CreateMesh(90, 300);
        const Mesh& mesh = e.meshes[m];
        for (int v = 0; v < 90; ++v)
            e.vertices[mesh.vertexStart + v] = {80 * unit(gen), 80 * unit(gen), 80 * unit(gen)};
        for (int f = 0; f < 300; ++f) {
            const auto at = [&](int k) {
                return static_cast<std::int16_t>(mesh.vertexStart + k % 90);
            };
            const auto shade = static_cast<std::int16_t>(f);
            e.faces[mesh.faceStart + f] =
                Face{at(f), at(f + 31 + f / 90), at(f + 62), {110, shade, 0}, 0.9f};
        }
        return m;
    };
    // Two squares in the same place, seen from both sides: equal keys.
    for (int i = 0; i < 2; ++i)
        addMesh(e, {{-30, -30, 10}, {-30, 30, 10}, {30, 30, 10}, {30, -30, 10}},
                {{0, 1, 2}, {0, 2, 3}, {2, 1, 0}, {3, 2, 0}});
    for (int i = 0; i < 4; ++i)
        addScatter();
    float yaw = 0.0f, pitch = 0.0f;
    std::uniform_int_distribution<int> action(0, 9);
    for (int step = 0; step < 300; ++step) {
        switch (action(gen)) {
        case 0: // a half turn, and the first square comes back last to the list, or goes
            yaw += 3.0f;
            e.meshes[1].visible ^= true;
            break;
        case 1:
            camera().twoSided = !camera().twoSided;
            break;
        case 2:
            camera().orthographic = !camera().orthographic;
            break;
        case 3: {
            Mesh& m = e.meshes[3 + step % (e.meshRange.count - 2)]; // the squares stay together
            m.position = {10 * unit(gen), 10 * unit(gen), 10 * unit(gen)};
            m.dirty = true;
            break;
        }
        case 4:
            e.meshes[1 + step % e.meshRange.count].visible ^= true;
            break;
        case 5:
            if (e.meshRange.count > 3)
                e.DeleteMesh(3 + step % (e.meshRange.count - 2));
            else
                addScatter();
            break;
        case 6: {
            const int modes[] = {kModeWireFrame, kModeFlat, kModeTransparent, kModeSmooth};
            camera().renderMode = static_cast<std::int16_t>(modes[step % 4]);
            camera().specular = camera().attenuation = step % 3 == 0;
            break;
        }
        default:
            yaw += 0.01f * unit(gen);
            pitch = std::clamp(pitch + 0.01f * unit(gen), -1.5f, 1.5f);
        }
        e.OrbitCamera(cl.camera, {0, 0, 0}, 370.0f, yaw, pitch);
        render();
        // Each face of the visible meshes tested on its own: within the depth range, inside
        // the view's pyramid in perspective, and facing the camera (or its back, in
        // orthographic projection) unless both sides show.
        std::vector<int> expected;
        std::vector<float> keys(kPoolSlots);
        const Camera& c = camera();
        for (int m = 1; m < e.meshRange.first + e.meshRange.count; ++m) {
            for (int f = e.meshes[m].faceStart;
                 e.meshes[m].visible && f < e.meshes[m].faceStart + e.meshes[m].faceCount; ++f) {
                const Face& fc = e.faces[f];
                const int v[3] = {fc.vertexA, fc.vertexB, fc.vertexC};
                bool shown = true;
                for (int k : v) {
                    const float depth = e.screenPositions[k].z;
                    const Vector3& p = e.viewPositions[k];
                    shown = shown && depth > 0 && depth < 1 &&
                            (c.orthographic || (std::fabs(p.x) < p.z * c.tanHalfFov &&
                                                std::fabs(p.y) < p.z * c.tanHalfFov));
                }
                const Vector3 &w0 = e.worldPositions[v[0]], &w1 = e.worldPositions[v[1]],
                              &w2 = e.worldPositions[v[2]];
                const Vector3 normal = cross(subtract(w1, w0), subtract(w2, w0));
                const Vector3 towards =
                    subtract(c.position, scale(add(add(w0, w1), w2), 1.0f / 3.0f));
                const Vector3 back = subtract(c.position, DirectionFromAngles(c.rotation));
                if (shown && (c.twoSided || cosine(towards, normal) > 0 ||
                              (c.orthographic && cosine(back, normal) > 0))) {
                    expected.push_back(f);
                    keys[f] = -(e.screenPositions[v[0]].z + e.screenPositions[v[1]].z +
                                e.screenPositions[v[2]].z);
                }
            }
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return keys[a] < keys[b]; });
        ASSERT_EQ(listed(), expected) << "step " << step;

        const int mode = camera().renderMode;
        std::vector<int> shadedWith(kPoolSlots, 0); // the last listed face of each vertex
        for (int f : expected) {
            const Face& fc = e.faces[f];
            const Vector3& w0 = e.worldPositions[fc.vertexA];
            const Vector3& w1 = e.worldPositions[fc.vertexB];
            const Vector3& w2 = e.worldPositions[fc.vertexC];
            if (mode == kModeFlat || mode == kModeTransparent) {
                const Vector3 centroid = scale(add(add(w0, w1), w2), 1.0f / 3.0f);
                const Vector3 normal = cross(subtract(w1, w0), subtract(w2, w0));
                ASSERT_EQ(e.faceColours[f], e.ShadePoint(centroid, normal, f, cl.camera))
                    << "step " << step << ", face " << f;
            }
            for (int v : {fc.vertexA, fc.vertexB, fc.vertexC})
                shadedWith[v] = f;
        }
        for (int v = 1; mode == kModeSmooth && v < kPoolSlots; ++v) {
            if (shadedWith[v] != 0) {
                ASSERT_EQ(e.vertexColours[v], e.ShadePoint(e.worldPositions[v], e.vertexNormals[v],
                                                           shadedWith[v], cl.camera))
                    << "step " << step << ", vertex " << v;
            }
        }
    }
}

// --- Shading ---

TEST(Shade, LightSpecularFogAttenuationAndSpotsGiveTheirFigures) {
    // A face of colour (110, 0, 0), material 0.9, shaded at the origin facing the camera 370
    // away; a white light at (0, 0, -100); the other fields as CreateCamera and CreateLight set.
    constexpr unsigned kBehind = 1, kOff = 2, kSecond = 4, kSpec = 8, kSeparate = 16, kGrey = 32,
                       kAttenuation = 64, kBlueFog = 128, kSpot = 256, kEqualCones = 512,
                       kAimDown = 1024;
    const int camera = kErrorCameraSettings, light = kErrorLightSettings;
    struct Case {
        const char* what;
        Colour3 colour;
        unsigned flags = 0;
        int error = 0;
        float fog[2] = {1, 1600}, dim[2] = {1, 1600}; // dim: the light's attenuation
    };
    const Case cases[] = {
        {"head-on: the worked example", {240, 229, 229}},
        {"light behind: 110·(1 - 0.9) is left", {11, 0, 0}, kBehind},
        {"light behind, specular reflects away", {11, 0, 0}, kBehind | kSpec},
        {"disabled light", {11, 0, 0}, kOff},
        {"two lights add up to white at most", {240, 229, 229}, kSecond},
        // Diffuse 1, specular 1·0.9 of grey 100: mix((110,0,0), (190,190,190), 0.9).
        {"specular", {182, 171, 171}, kGrey | kSpec},
        {"separate specular: (110 + 90, 90, 90)", {200, 90, 90}, kGrey | kSpec | kSeparate},
        // Light halved (127.5 -> 128), lit = (126, 115, 115), then half way to the blue fog.
        {"fog and attenuation", {63, 58, 108}, kAttenuation | kBlueFog, 0, {0, 740}, {0, 200}},
        // No fog; the light's attenuation over 100 of 1..1600: 255·1500/1599 -> 239.
        {"equal fog distances", {226, 215, 215}, kAttenuation, camera, {500, 500}},
        // Full light, then the fog over 370 of 1..1600 towards black: factor 1230/1599.
        {"equal attenuation distances", {185, 176, 176}, kAttenuation, light, {1, 1600}, {50, 50}},
        {"inside a spot's cone", {240, 229, 229}, kSpot},
        {"outside a spot aimed down", {11, 0, 0}, kSpot | kAimDown},
        {"equal cones count as cosine 1", {240, 229, 229}, kEqualCones, light},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Stage s;
        const int face = s.e.meshes[addFacingSquare(s.e, 10)].faceStart;
        Camera& cam = s.camera();
        Light& l = s.light();
        const auto has = [&](unsigned f) { return (c.flags & f) != 0; };
        l.position = {0, 0, has(kBehind) ? 100.0f : -100.0f};
        const std::int16_t grey = has(kGrey) ? 100 : 255;
        l.colour = {grey, grey, grey};
        l.enabled = !has(kOff);
        if (has(kSecond)) {
            s.e.lights[s.e.CreateLight()].position = {0, 0, -50};
        }
        cam.specular = has(kSpec);
        cam.separateSpecular = has(kSeparate);
        cam.attenuation = has(kAttenuation);
        cam.fogStart = c.fog[0];
        cam.fogEnd = c.fog[1];
        cam.fogColour = {0, 0, static_cast<std::int16_t>(has(kBlueFog) ? 100 : 0)};
        l.attenuationStart = c.dim[0];
        l.attenuationEnd = c.dim[1];
        l.spotInnerCos = has(kSpot) ? 0.99f : has(kEqualCones) ? 0.9f : 0.0f;
        l.spotOuterCos = has(kSpot | kEqualCones) ? 0.9f : 0.0f;
        l.rotation.x = has(kAimDown) ? static_cast<float>(kEnginePi / 2.0) : 0.0f;
        EXPECT_EQ(s.e.ShadePoint({0, 0, 0}, {0, 0, -1}, face, s.cl.camera), c.colour);
        EXPECT_EQ(s.errors.codes, c.error ? std::vector<int>{c.error} : std::vector<int>{});
    }
}

TEST_F(RenderTest, BadSettingsAreReportedOncePerFrameNotPerFace) {
    for (int i = 0; i < 20; ++i) {
        addFacingSquare(e, 5, static_cast<float>(i));
    }
    camera().attenuation = true;
    camera().fogStart = camera().fogEnd = 500.0f;
    light().attenuationStart = light().attenuationEnd = 50.0f;
    for (int mode : {kModeSmooth, kModeFlat}) {
        camera().renderMode = static_cast<std::int16_t>(mode);
        render();
    }
    EXPECT_EQ(errors.count(kErrorCameraSettings), 2);
    EXPECT_EQ(errors.count(kErrorLightSettings), 2);
    // Outside a frame every call reports.
    for (int i = 0; i < 2; ++i) {
        e.ShadePoint({0, 0, 0}, {0, 0, -1}, 1, cl.camera);
    }
    EXPECT_EQ(errors.count(kErrorCameraSettings), 4);
}

// --- Render modes (their pixels are checked with the QImage canvas; here the calls) ---

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
    surface.setFill(false);
    render();
    EXPECT_TRUE(surface.callsOf(Kind::Polygon).empty());
    const auto gradients = surface.callsOf(Kind::Gradient);
    ASSERT_EQ(gradients.size(), 4u);
    const int v = e.meshes[m].vertexStart;
    // Vertex 2 sums the normals of its three faces: (-400, 0, -800) + 2 x (400, 0, -800).
    const Vector3 n = e.vertexNormals[v + 2];
    expectNear(n, 400, 0, -2400, 1e-2f);
    const Colour3 expected =
        e.ShadePoint(e.worldPositions[v + 2], n, e.meshes[m].faceStart, cl.camera);
    EXPECT_EQ(e.vertexColours[v + 2], expected);
    // (The colours reaching the gradients show in the QImage render-mode pixels.)
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

// The meshes listed as others are outlined in their colour where faces are outlined; the rest
// stay white, and so does every face once the list is empty again. In the silhouette mode, where
// the pen inverts and shows no colour, the others' outline is drawn as the inverting pen leaves
// it (the edge their two faces share cancelled), in their colour, beneath the rest.
TEST_F(RenderTest, OtherMeshesAreOutlinedInTheirOwnColourInWireFrameSolidAndSilhouette) {
    addFacingSquare(e, 20, 0.0f, -30.0f);
    const int other = addFacingSquare(e, 20, 10.0f, 30.0f, 0.0f, {96, 96, 96});
    const int others[] = {0, other, 99}; // none and no mesh are passed over
    inputs.otherMeshes = others;
    inputs.otherOutline = {1, 2, 3};
    auto outlines = [&] {
        std::vector<std::pair<int, Colour3>> seen; // fill (the face colour) and outline
        for (const auto& p : surface.callsOf(Kind::Polygon))
            seen.push_back({p.state.fillColour.r, p.state.outlineColour});
        std::sort(seen.begin(), seen.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return seen;
    };
    const std::vector<std::pair<int, Colour3>> marked = {
        {96, {1, 2, 3}}, {96, {1, 2, 3}}, {110, {255, 255, 255}}, {110, {255, 255, 255}}};
    // Wire frame fills nothing and keeps the solid frame's face colours: they tell the faces.
    for (int mode : {kModeSolid, kModeWireFrame}) {
        SCOPED_TRACE(mode);
        camera().renderMode = static_cast<std::int16_t>(mode);
        render();
        EXPECT_EQ(outlines(), marked);
    }
    camera().renderMode = kModeSilhouette;
    render();
    const auto polys = surface.callsOf(Kind::Polygon);
    ASSERT_EQ(polys.size(), 2u);
    for (const auto& p : polys) {
        EXPECT_EQ(p.state.fillColour.r, 110) << "only the faces of the rest";
        EXPECT_EQ(p.state.penMode, PenMode::Invert);
    }
    const auto lines = surface.callsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 4u) << "the square's four sides, not its diagonal";
    const int v = e.meshes[other].vertexStart;
    const PixelPoint diagonal[2] = {toPixel(e.screenPositions[v]),
                                    toPixel(e.screenPositions[v + 2])};
    for (const auto& l : lines) {
        EXPECT_EQ(l.state.penMode, PenMode::Copy);
        EXPECT_EQ(l.state.outlineColour, (Colour3{1, 2, 3}));
        EXPECT_FALSE((l.points[0] == diagonal[0] && l.points[1] == diagonal[1]) ||
                     (l.points[0] == diagonal[1] && l.points[1] == diagonal[0]));
    }
    // Beneath: every line comes before the first face.
    const auto firstFace = std::find_if(surface.calls.begin(), surface.calls.end(),
                                        [](const auto& c) { return c.kind == Kind::Polygon; });
    EXPECT_TRUE(std::none_of(firstFace, surface.calls.end(),
                             [](const auto& c) { return c.kind == Kind::Line; }));
    EXPECT_EQ(surface.state().penMode, PenMode::Invert);
    inputs.otherMeshes = {};
    camera().renderMode = kModeWireFrame;
    render();
    for (const auto& [fill, outline] : outlines())
        EXPECT_EQ(outline, (Colour3{255, 255, 255})) << fill;
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
    struct Case {
        double axesTag, gridTag;
        std::size_t lines, texts, polygons;
    };
    // Only 1 shows the axes; anything but 0 shows the grid.
    for (const Case c : {Case{0, 0, 0, 0, 0}, Case{1, -1, 3, 3, 2}, Case{-1, 0, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "axes " << c.axesTag << " grid " << c.gridTag);
        inputs.axesTag = c.axesTag;
        inputs.gridTag = c.gridTag;
        render();
        const auto lines = surface.callsOf(Kind::Line);
        EXPECT_EQ(lines.size(), c.lines);
        EXPECT_EQ(surface.callsOf(Kind::Text).size(), c.texts);
        EXPECT_EQ(surface.callsOf(Kind::Polygon).size(), c.polygons);
        if (!lines.empty()) {
            EXPECT_EQ(lines[0].state.outlineColour, (Colour3{255, 0, 0})); // red on every frame
            EXPECT_EQ(e.faces[e.meshes[inputs.axisLabels[0]].faceStart].material, 0.5f);
        }
    }
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

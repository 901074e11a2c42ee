#include "view3d/scene.h"

#include "view3d/fuselage_scene.h"

#include "engine3d/vector_maths.h"
#include "scene_helpers.h"
#include "start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

namespace {

// The editor's start-up former, sampled with h points, optionally with the doubling on.
struct Former {
    FormerModel model = startedModel();
    int check4 = 0;

    explicit Former(int h = 13, bool doubling = false) : check4(doubling ? 1 : 0) { resample(h); }
    void resample(int h) {
        model.Nb_Points = h;
        model.resizeSamples(h);
        OutlineOptions o;
        o.doublingOn = check4 == 1;
        if (o.doublingOn) {
            PlaceDoubling(model, o.doublingScale);
        }
        DisegnaCurva(model, o, nullptr);
    }
    SceneInput input() const {
        SceneInput in;
        in.sampleCount = model.Nb_Points;
        in.doublingOn = check4;
        in.outline = {model.Courbe_Droite,
                      model.Courbe_Gauche,
                      model.Doublage_Droit,
                      model.Doublage_Gauche,
                      model.Nb_Points,
                      model.Y1(),
                      check4};
        return in;
    }
};

class SceneTest : public ::testing::Test, protected EngineWithErrors {
protected:
    Scene scene;
    int camera = e.CreateCamera();
    int light = e.CreateLight();

    const Mesh& mesh(int m) const { return e.meshes[m]; }
    std::vector<Vector3> vertices(int m) const {
        const Mesh& x = e.meshes[m];
        return {e.vertices.begin() + x.vertexStart,
                e.vertices.begin() + x.vertexStart + x.vertexCount};
    }
    std::vector<Vector3> former() const { return vertices(scene.formerMesh); }
    void build(const SceneInput& in, int piece = 1) {
        SetupScene(e, scene, in, camera, light);
        RebuildFormerMesh(e, scene, in, piece, 1);
    }
};

// The corners of the box around the points.
std::pair<Vector3, Vector3> bounds(const std::vector<Vector3>& points) {
    Vector3 lo = points.at(0), hi = points.at(0);
    for (const Vector3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return {lo, hi};
}

void expectSameVertices(const std::vector<Vector3>& a, const std::vector<Vector3>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_TRUE(a[k] == b[k]) << k;
    }
}

// --- The former's band ---

TEST_F(SceneTest, BandHasTwoLayersOfKPlusOnePointsAndFourKTrianglesBothWays) {
    struct Case {
        int h;
        bool doubling;
        int K;
    };
    for (const Case c : {Case{12, false, 26}, Case{13, false, 28}, Case{13, true, 56},
                         Case{20, false, 42}, Case{20, true, 84}, Case{100, true, 404}}) {
        SCOPED_TRACE(testing::Message() << "h " << c.h << " doubling " << c.doubling);
        const Former f(c.h, c.doubling);
        EXPECT_EQ(OutlineIntervals(f.input()), c.K);
        build(f.input());
        ASSERT_NE(scene.formerMesh, 0);
        EXPECT_EQ(scene.Contour_3D.size(), static_cast<std::size_t>(c.K + 1));
        const Mesh& m = mesh(scene.formerMesh);
        EXPECT_EQ(m.vertexCount, 2 * (c.K + 1));
        EXPECT_EQ(m.faceCount, 4 * c.K);
        // Every triangle joins the two layers, inside the mesh's own run, in the former's red,
        // and comes with its reverse, so the band shows from both sides.
        std::set<std::array<int, 3>> turns;
        for (int f = m.faceStart; f < m.faceStart + m.faceCount; ++f) {
            const Face& face = e.faces[f];
            std::set<int> layers;
            for (int v : {face.vertexA, face.vertexB, face.vertexC}) {
                ASSERT_GE(v, m.vertexStart);
                ASSERT_LT(v, m.vertexStart + m.vertexCount);
                layers.insert((v - m.vertexStart) / (c.K + 1));
            }
            EXPECT_EQ(layers.size(), 2u);
            EXPECT_EQ(face.colour, (Colour3{110, 0, 0}));
            EXPECT_EQ(face.material, 0.9f);
            // The same triangle read from its smallest corner, in its own winding.
            std::array<int, 3> t{face.vertexA, face.vertexB, face.vertexC};
            std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
            EXPECT_TRUE(turns.insert(t).second) << "face " << f << " twice";
        }
        for (const std::array<int, 3>& t : turns) {
            EXPECT_EQ(turns.count({t[0], t[2], t[1]}), 1u) << t[0] << " " << t[1] << " " << t[2];
        }
        // The one-sided builder gives half the triangles on the same vertices.
        const int oneSided = BuildFormerMesh(e, scene.Contour_3D, 100, 120, 5, false);
        EXPECT_EQ(mesh(oneSided).faceCount, 2 * c.K);
        EXPECT_EQ(mesh(oneSided).vertexCount, m.vertexCount);
        e.DeleteMesh(oneSided);
        // The whole former's band closes on itself: the row after the closed loop repeats its
        // first point instead of falling to (0, 0) at the surface's edge.
        if (c.h == 12) {
            EXPECT_TRUE(scene.Contour_3D.back() == scene.Contour_3D.front());
            for (const PointXYZ& p : scene.Contour_3D) {
                EXPECT_GT(p.x, 0.5);
            }
        }
    }
}

TEST_F(SceneTest, BandFollowsTheOutlineScaledByTheSlidersAndIsCentred) {
    const Former f(12); // the input refers to its samples
    SceneInput in = f.input();
    in.partDepth = 7;   // d
    in.partHeight = 40; // H = 80
    in.partWidth = 30;  // W = 60
    build(in);
    const std::vector<Vector3> v = former();
    const int n = 27;
    const PointXYZ& p0 = scene.Contour_3D[0];
    for (int k = 0; k < n; ++k) {
        const PointXYZ& p = scene.Contour_3D[k];
        // Relative to the first point, so the centring drops out.
        EXPECT_NEAR(v[k].x - v[0].x, 60 * (p.x - p0.x), 1e-4) << k;
        EXPECT_NEAR(v[k].y - v[0].y, 80 * (p.y - p0.y), 1e-4) << k;
        // The back layer lies behind the front one by the depth, point for point.
        EXPECT_EQ(v[n + k].x, v[k].x);
        EXPECT_EQ(v[n + k].y, v[k].y);
        EXPECT_FLOAT_EQ(v[n + k].z - v[k].z, 7.0f);
    }
    const auto [lo, hi] = bounds(v);
    expectNear(add(lo, hi), 0, 0, 0, 1e-4f);
}

TEST_F(SceneTest, InPlaceUpdateKeepsTheMeshAndMatchesAFreshBuild) {
    Former f(13);
    build(f.input());
    const int index = scene.formerMesh;
    const Mesh before = mesh(index);
    const std::vector<Vector3> old = former();
    // A point dragged outwards: the samples change, their number does not.
    f.model.Pts_Couple[3].x += 6.0;
    f.resample(13);
    RebuildFormerMesh(e, scene, f.input(), 1, 0);
    EXPECT_EQ(scene.formerMesh, index);
    EXPECT_EQ(mesh(index).vertexStart, before.vertexStart);
    EXPECT_EQ(mesh(index).faceCount, before.faceCount);
    EXPECT_NE(former()[3].x, old[3].x);

    const std::vector<Vector3> moved = former();
    build(f.input());
    expectSameVertices(moved, former());
}

TEST_F(SceneTest, PiecesGiveTheirOwnOutline) {
    const Former f(13);
    const double axis = f.model.X1() / outputUnit;
    struct Case {
        int piece;
        double PointXYZ::*coordinate;
        double low, high;
    };
    for (const Case c : {Case{4, &PointXYZ::x, -1e9, axis + 1e-12}, // left half
                         Case{5, &PointXYZ::x, axis - 1e-12, 1e9},  // right half
                         Case{2, &PointXYZ::y, 0.0, 1e9}}) {        // top half
        SCOPED_TRACE(c.piece);
        build(f.input(), c.piece);
        ASSERT_NE(scene.formerMesh, 0);
        for (const PointXYZ& p : scene.Contour_3D) {
            EXPECT_GE(p.*c.coordinate, c.low);
            EXPECT_LE(p.*c.coordinate, c.high);
        }
    }
    // A piece switch replaces the mesh; its counts depend only on K.
    RebuildFormerMesh(e, scene, f.input(), 5, 1);
    EXPECT_EQ(mesh(scene.formerMesh).vertexCount, 2 * 29);
    EXPECT_EQ(e.meshRange.count, 8) << "grid, six gizmo meshes and one former";
}

// --- Failures ---

TEST_F(SceneTest, FullPoolsLeaveNothingHalfBuiltAndTouchNothingElse) {
    const Former f(12);
    build(f.input());
    const int meshes = e.meshRange.count;
    // Another mesh takes every vertex slot but a few.
    const int hog = e.CreateMesh(kLastSlot - e.AllocVertexBlock(0) - 10, 0);
    ASSERT_NE(hog, 0);
    for (int k = 0; k < e.meshes[hog].vertexCount; ++k) {
        e.vertices[e.meshes[hog].vertexStart + k] = {1.0f, 2.0f, 3.0f};
    }
    errors.codes.clear();
    RebuildFormerMesh(e, scene, f.input(), 1, 1);
    EXPECT_EQ(scene.formerMesh, 0);
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorMeshMemory});
    EXPECT_EQ(e.meshRange.count, meshes) << "old former gone, hog in";
    // In place with no mesh: no other mesh moves.
    RebuildFormerMesh(e, scene, f.input(), 1, 0);
    const int hogNow = e.meshRange.first + e.meshRange.count - 1;
    for (int k = 0; k < e.meshes[hogNow].vertexCount; ++k) {
        ASSERT_TRUE(e.vertices[e.meshes[hogNow].vertexStart + k] == (Vector3{1, 2, 3})) << k;
    }
    // Room to write the band (54 vertices) but not to copy it into runs of its size.
    e.DeleteMesh(hogNow);
    ASSERT_NE(e.CreateMesh(kLastSlot - e.AllocVertexBlock(0) - 80, 0), 0);
    RebuildFormerMesh(e, scene, f.input(), 1, 1);
    EXPECT_EQ(scene.formerMesh, 0);
    EXPECT_EQ(errors.count(kErrorMeshMemory), 2);
    EXPECT_EQ(e.meshRange.count, meshes);
    // Room again: the next build succeeds.
    e.DeleteMesh(e.meshRange.count);
    RebuildFormerMesh(e, scene, f.input(), 1, 1);
    ASSERT_NE(scene.formerMesh, 0);
    EXPECT_EQ(mesh(scene.formerMesh).vertexCount, 54);
    // The grid builder reports a full face pool likewise.
    ASSERT_NE(e.CreateMesh(0, kLastSlot - e.AllocFaceBlock(0) - 40), 0);
    EXPECT_EQ(CreateGrid(e, 150.0f, 150.0f, 4, 4, true), 0);
    EXPECT_EQ(errors.count(kErrorMeshMemory), 3);
}

// --- Grid and gizmo ---

TEST_F(SceneTest, SetupPlacesGridAndGizmoUnderTheFormerAndKeepsCameraAndLight) {
    const int g = CreateGrid(e, 150.0f, 150.0f, 4, 4, true);
    EXPECT_EQ(mesh(g).vertexCount, 25);
    EXPECT_EQ(mesh(g).faceCount, 64);
    EXPECT_EQ(mesh(CreateGrid(e, 150.0f, 150.0f, 4, 4, false)).faceCount, 32);
    // Leftovers of an earlier scene go; the camera and light stay.
    SceneInput in;
    in.partHeight = 60;
    SetupScene(e, scene, in, camera, light);
    EXPECT_EQ(camera, 1);
    EXPECT_EQ(light, 1);
    EXPECT_EQ(e.meshRange.count, 7);
    EXPECT_EQ(scene.formerMesh, 0);

    // The grid, centred, turned a quarter about y, then shifted by (10, -90, 0).
    const auto [lo, hi] = bounds(vertices(scene.gridMesh));
    expectNear(lo, -65, -90, -75, 1e-3f);
    expectNear(hi, 85, -90, 75, 1e-3f);
    EXPECT_EQ(e.faces[mesh(scene.gridMesh).faceStart].colour, (Colour3{255, 255, 255}));

    // The gizmo: lines of length 32 from (-80, -90, -80); the view's vertical axis is "z".
    EXPECT_EQ(scene.gizmoOffsetX, 80);
    EXPECT_EQ(scene.gizmoOffsetZ, 80);
    const Vector3 origin{-80.0f, -90.0f, -80.0f};
    const Vector3 ends[3] = {
        {-48.0f, -90.0f, -80.0f}, {-80.0f, -58.0f, -80.0f}, {-80.0f, -90.0f, -48.0f}};
    const char* names[3] = {"x", "z", "y"};
    for (int a = 0; a < 3; ++a) {
        const Mesh& line = mesh(scene.axisLines[a]);
        ASSERT_EQ(line.vertexCount, 2);
        EXPECT_TRUE(e.vertices[line.vertexStart] == origin);
        EXPECT_TRUE(e.vertices[line.vertexStart + 1] == ends[a]);
        const Mesh& label = mesh(scene.axisLabels[a]);
        EXPECT_EQ(label.label, names[a]);
        EXPECT_TRUE(e.vertices[label.vertexStart] == ends[a]);
    }
    const FrameInputs fi = scene.frameInputs({1.0, 0.0});
    EXPECT_EQ(fi.gridMesh, scene.gridMesh);
    EXPECT_EQ(fi.axisLabels, scene.axisLabels);
    EXPECT_EQ(fi.axesTag, 1.0);
}

// --- Dimension edits ---

TEST_F(SceneTest, ThicknessMovesTheBackLayerAloneAndScalingComposes) {
    build(Former(12).input());
    const std::vector<Vector3> old = former();
    const int n = 27;
    ShiftBackLayer(e, scene.formerMesh, 15.0f);
    const std::vector<Vector3> deeper = former();
    for (int k = 0; k < n; ++k) {
        // The front face stays flat: its last vertex too.
        EXPECT_EQ(deeper[k].z, old[k].z) << k;
        EXPECT_EQ(deeper[n + k].z, old[n + k].z + 15.0f) << k;
        EXPECT_EQ(deeper[n + k].x, old[n + k].x);
    }
    ShiftBackLayer(e, scene.formerMesh, -15.0f);
    expectSameVertices(former(), old);

    ScaleMeshY(e, scene.formerMesh, 80.0 / 60.0);
    ScaleMeshY(e, scene.formerMesh, 40.0 / 80.0);
    ScaleMeshX(e, scene.formerMesh, 0.5);
    const std::vector<Vector3> now = former();
    for (std::size_t k = 0; k < old.size(); ++k) {
        EXPECT_NEAR(now[k].y, old[k].y * 40.0f / 60.0f, 1e-4f) << k;
        EXPECT_EQ(now[k].x, old[k].x * 0.5f);
        EXPECT_EQ(now[k].z, old[k].z);
    }
    // No mesh, nothing to do.
    ScaleMeshY(e, 0, 2.0);
    ShiftBackLayer(e, 0, 1.0f);
}

// --- The fuselage ---

class FuselageTest : public ::testing::Test {
protected:
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors, kFuselagePoolSlots);
    Engine& e = *engine;
    FuselageScene fuselage;
    int camera = e.CreateCamera();
    int light = e.CreateLight();

    std::vector<Vector3> vertices(int m) const {
        const Mesh& x = e.meshes[m];
        return {e.vertices.begin() + x.vertexStart,
                e.vertices.begin() + x.vertexStart + x.vertexCount};
    }
    int setup(const std::vector<FuselageFormer>& formers) {
        return SetupFuselage(e, fuselage, formers, camera, light);
    }
};

FuselageFormer placed(const SceneInput& in, double station, bool current = false) {
    return {in, station, current};
}

// Each band is the single part's band of its former, stood at its station on the fuselage
// axis where the former's axes cross, in its colours; the grid lies under the tallest former.
TEST_F(FuselageTest, OneBandPerFormerAtItsStationCentredOnItsAxes) {
    const Former small(12), doubled(20, true), plain(13);
    SceneInput tall = doubled.input();
    tall.partDepth = 8;
    tall.partHeight = 75;
    tall.partWidth = 35;
    const std::vector<FuselageFormer> formers = {
        placed(small.input(), 420.0), placed(tall, 0.0, true), placed(plain.input(), 150.0),
        placed(plain.input(), 300.0, true)}; // a second "current" is one of the others
    ASSERT_EQ(setup(formers), 4);
    EXPECT_TRUE(errors.codes.empty());
    EXPECT_EQ(e.meshRange.count, 7 + 4);
    EXPECT_EQ(fuselage.middle, 210.0);
    ASSERT_EQ(fuselage.bands.size(), 4u);
    EXPECT_EQ(fuselage.scene.formerMesh, fuselage.bands[1].mesh);
    EXPECT_EQ(
        fuselage.otherMeshes,
        (std::vector<int>{fuselage.bands[0].mesh, fuselage.bands[2].mesh, fuselage.bands[3].mesh}));
    const FrameInputs fi = fuselage.frameInputs({0.0, 1.0});
    EXPECT_TRUE(std::equal(fi.otherMeshes.begin(), fi.otherMeshes.end(),
                           fuselage.otherMeshes.begin(), fuselage.otherMeshes.end()));
    EXPECT_EQ(fi.gridMesh, fuselage.scene.gridMesh);
    EXPECT_NEAR(vertices(fuselage.scene.gridMesh)[0].y, -1.5f * 75, 1e-4f);

    for (std::size_t i = 0; i < formers.size(); ++i) {
        SCOPED_TRACE(i);
        const SceneInput& in = formers[i].input;
        // The single part of the same former, in pools of the usual size.
        EngineWithErrors single;
        Scene part;
        int c = single.e.CreateCamera(), l = single.e.CreateLight();
        SetupScene(single.e, part, in, c, l);
        RebuildFormerMesh(single.e, part, in, 1, 1);
        const Mesh& one = single.e.meshes[part.formerMesh];
        const Mesh& band = e.meshes[fuselage.bands[i].mesh];
        ASSERT_EQ(band.vertexCount, one.vertexCount);
        ASSERT_EQ(band.faceCount, one.faceCount);
        EXPECT_EQ(fuselage.bands[i].intervals, OutlineIntervals(in));
        for (int f = 0; f < band.faceCount; ++f) {
            const Face& a = e.faces[band.faceStart + f];
            const Face& b = single.e.faces[one.faceStart + f];
            ASSERT_EQ(a.vertexA - band.vertexStart, b.vertexA - one.vertexStart) << f;
            ASSERT_EQ(a.vertexB - band.vertexStart, b.vertexB - one.vertexStart) << f;
            ASSERT_EQ(a.vertexC - band.vertexStart, b.vertexC - one.vertexStart) << f;
            EXPECT_EQ(a.colour, i == 1 ? kFormerColour : kOtherFormerColour);
            EXPECT_EQ(a.material, i == 1 ? kFormerMaterial : kOtherFormerMaterial);
        }
        // The same shape, moved: centred on the axes rather than on its box, at its station.
        const std::vector<Vector3> v = vertices(fuselage.bands[i].mesh);
        const std::vector<Vector3> w(single.e.vertices.begin() + one.vertexStart,
                                     single.e.vertices.begin() + one.vertexStart + one.vertexCount);
        const auto [lo, hi] = bounds(v);
        EXPECT_NEAR(lo.x + hi.x, 0.0f, 1e-3f) << "the symmetry axis on the fuselage axis";
        const float z = static_cast<float>(formers[i].station - 210.0);
        const float d = static_cast<float>(in.partDepth);
        const int layer = band.vertexCount / 2;
        for (int k = 0; k < band.vertexCount; ++k) {
            EXPECT_NEAR(v[k].x - v[0].x, w[k].x - w[0].x, 1e-3f) << k;
            EXPECT_NEAR(v[k].y - v[0].y, w[k].y - w[0].y, 1e-3f) << k;
            EXPECT_FLOAT_EQ(v[k].z, z + (k < layer ? -d / 2 : d / 2)) << k;
        }
        // The horizontal axis on the fuselage axis: y is H times the height above it.
        EXPECT_FLOAT_EQ(v[0].y, static_cast<float>(2.0 * in.partHeight * part.Contour_3D[0].y));
    }
}

// The front layer of a band, as the outline's points it was built from (x and y).
std::vector<std::pair<float, float>> frontLayer(const Engine& e, int m) {
    const Mesh& x = e.meshes[m];
    std::vector<std::pair<float, float>> points;
    for (int k = 0; k < x.vertexCount / 2; ++k) {
        const Vector3& v = e.vertices[x.vertexStart + k];
        points.emplace_back(v.x, v.y);
    }
    return points;
}

// Twenty two-sided formers of 100 points with their doublings fit the fuselage's pools whole.
// Beyond that the formers not being edited keep fewer of their points, as many as the pools
// allow, with room kept for the current band to be built anew at its largest; a hundred formers
// show, and only hundreds more leave some out, the last in the list, named and never reported
// as an engine error. The single part's smaller pools hold twenty the same way.
TEST_F(FuselageTest, EveryFormerShowsWithFewerPointsWhenThePoolsWouldOverflow) {
    const Former big(100, true), small(13);
    const int most = OutlineIntervals(big.input());
    ASSERT_EQ(most, 404);
    const struct {
        int formers;
        int slots;
        bool whole; // every band keeps all of its points
        int leftOut;
    } cases[] = {
        {20, kFuselagePoolSlots, true, 0},   {21, kFuselagePoolSlots, false, 0},
        {100, kFuselagePoolSlots, false, 0}, {600, kFuselagePoolSlots, false, 115},
        {20, kPoolSlots, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.formers << " formers, " << c.slots << " slots");
        RecordingErrorSink quiet;
        auto pools = std::make_unique<Engine>(quiet, c.slots);
        Engine& x = *pools;
        int cam = x.CreateCamera(), lit = x.CreateLight();
        FuselageScene f;
        std::vector<FuselageFormer> formers;
        for (int i = 0; i < c.formers; ++i) {
            formers.push_back(placed(big.input(), 40.0 * i, i == 1));
            formers.back().name = "F" + std::to_string(i + 1);
        }
        EXPECT_EQ(SetupFuselage(x, f, formers, cam, lit, most), c.formers - c.leftOut);
        EXPECT_TRUE(quiet.codes.empty());
        const std::vector<std::string> out = FormersLeftOut(f);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(c.leftOut));
        if (c.leftOut > 0) {
            EXPECT_EQ(out.front(), "F" + std::to_string(c.formers - c.leftOut + 1));
            EXPECT_EQ(out.back(), "F" + std::to_string(c.formers));
        }
        // The current band whole; the others all alike, whole or with fewer points, but never
        // fewer than the fewest.
        ASSERT_NE(f.scene.formerMesh, 0);
        EXPECT_EQ(x.meshes[f.scene.formerMesh].faceCount, 4 * most);
        EXPECT_EQ(f.otherMeshes.size(), static_cast<std::size_t>(c.formers - 1 - c.leftOut));
        const int kept = x.meshes[f.otherMeshes.at(0)].faceCount / 4;
        EXPECT_EQ(kept == most, c.whole);
        EXPECT_GE(kept, kFewestBandIntervals);
        for (int m : f.otherMeshes) {
            EXPECT_EQ(x.meshes[m].faceCount, 4 * kept);
            EXPECT_EQ(x.meshes[m].vertexCount, 2 * (kept + 1));
        }
        // Fewer points are points of the outline, in its order, its ends among them.
        const std::vector<std::pair<float, float>> all = frontLayer(x, f.scene.formerMesh);
        const std::vector<std::pair<float, float>> fewer = frontLayer(x, f.otherMeshes[0]);
        const float shift = x.vertices[x.meshes[f.otherMeshes[0]].vertexStart].z -
                            x.vertices[x.meshes[f.scene.formerMesh].vertexStart].z;
        EXPECT_EQ(shift, -40.0f) << "the first former, before the current";
        EXPECT_EQ(fewer.front(), all.front());
        EXPECT_EQ(fewer.back(), all.back());
        auto at = all.begin();
        for (const auto& p : fewer) {
            at = std::find(at, all.end(), p);
            ASSERT_NE(at, all.end()) << "a point that is not the outline's, or out of order";
        }
        // The current former goes small and back to its largest: it is built anew each time,
        // at the end of the runs, in the room kept for it.
        for (const SceneInput& in : {small.input(), big.input()}) {
            UpdateFuselageCurrent(x, f, in);
            ASSERT_NE(f.scene.formerMesh, 0);
            EXPECT_EQ(x.meshes[f.scene.formerMesh].faceCount, 4 * OutlineIntervals(in));
        }
        EXPECT_TRUE(quiet.codes.empty());
        EXPECT_EQ(FormersLeftOut(f).size(), static_cast<std::size_t>(c.leftOut));
    }
    // What the status bar says of the formers left out.
    const struct {
        std::vector<std::string> names;
        const char* text;
    } told[] = {
        {{}, ""},
        {{"F21"}, "Vue Fuselage : le couple F21 n'est pas montré, la place manque dans la vue."},
        {{"F2", "nez"},
         "Vue Fuselage : 2 couples ne sont pas montrés (F2, nez), la place manque dans la vue."},
        {{"A", "B", "C", "D", "E", "F", "G"},
         "Vue Fuselage : 7 couples ne sont pas montrés (A, B, C, D, E et 2 autres), la place "
         "manque dans la vue."},
    };
    for (const auto& t : told) {
        EXPECT_EQ(FormersLeftOutMessage(t.names), t.text);
    }
}

// Dragging moves the current band's vertices in place; a new point count builds it anew, and the
// other bands keep their meshes and vertices either way.
TEST_F(FuselageTest, TheCurrentBandFollowsInPlaceWhileItsPointCountHolds) {
    Former current(13), other(20, true);
    ASSERT_EQ(setup({placed(other.input(), -50.0), placed(current.input(), 50.0, true),
                     placed(other.input(), 100.0)}),
              3);
    const int index = fuselage.scene.formerMesh;
    const std::vector<Vector3> others[2] = {vertices(fuselage.otherMeshes[0]),
                                            vertices(fuselage.otherMeshes[1])};
    auto othersUntouched = [&] {
        ASSERT_EQ(fuselage.otherMeshes.size(), 2u);
        for (int k = 0; k < 2; ++k) {
            expectSameVertices(vertices(fuselage.otherMeshes[k]), others[k]);
            EXPECT_EQ(e.faces[e.meshes[fuselage.otherMeshes[k]].faceStart].colour,
                      kOtherFormerColour);
        }
    };
    // Compared with the fuselage built afresh from the same formers.
    auto matchesAFreshBuild = [&](const SceneInput& in) {
        RecordingErrorSink quiet;
        auto fresh = std::make_unique<Engine>(quiet, kFuselagePoolSlots);
        FuselageScene f;
        int c = fresh->CreateCamera(), l = fresh->CreateLight();
        SetupFuselage(*fresh, f,
                      std::vector{placed(in, 50.0, true), placed(in, -50.0), placed(in, 100.0)}, c,
                      l);
        const Mesh& m = fresh->meshes[f.scene.formerMesh];
        expectSameVertices(vertices(fuselage.scene.formerMesh),
                           {fresh->vertices.begin() + m.vertexStart,
                            fresh->vertices.begin() + m.vertexStart + m.vertexCount});
    };

    current.model.Pts_Couple[3].x += 6.0;
    current.resample(13);
    SceneInput in = current.input();
    in.partWidth = 65;
    UpdateFuselageCurrent(e, fuselage, in);
    EXPECT_EQ(fuselage.scene.formerMesh, index);
    matchesAFreshBuild(in);
    othersUntouched();

    current.check4 = 1; // the doubling on: twice the points
    current.resample(13);
    in = current.input();
    UpdateFuselageCurrent(e, fuselage, in);
    ASSERT_NE(fuselage.scene.formerMesh, 0);
    EXPECT_EQ(fuselage.bands[1].mesh, fuselage.scene.formerMesh);
    EXPECT_EQ(e.meshes[fuselage.scene.formerMesh].vertexCount, 2 * 57);
    EXPECT_EQ(e.faces[e.meshes[fuselage.scene.formerMesh].faceStart].colour, kFormerColour);
    EXPECT_EQ(e.meshRange.count, 7 + 3);
    matchesAFreshBuild(in);
    othersUntouched();
    EXPECT_TRUE(errors.codes.empty());

    // No room for the new band: no band until there is, and its name among those left out
    // (the window tells it, not the engine).
    const int hog = e.CreateMesh(e.lastSlot() - e.AllocVertexBlock(0) - 50, 0);
    ASSERT_NE(hog, 0);
    current.check4 = 0;
    current.resample(40);
    fuselage.bands[1].name = "F2";
    UpdateFuselageCurrent(e, fuselage, current.input());
    EXPECT_EQ(fuselage.scene.formerMesh, 0);
    EXPECT_TRUE(errors.codes.empty());
    EXPECT_EQ(FormersLeftOut(fuselage), std::vector<std::string>{"F2"});
    othersUntouched();
    e.DeleteMesh(e.meshRange.count);
    UpdateFuselageCurrent(e, fuselage, current.input());
    ASSERT_NE(fuselage.scene.formerMesh, 0);
    EXPECT_EQ(e.meshes[fuselage.scene.formerMesh].vertexCount, 2 * 83);
    othersUntouched();

    // Without a current former nothing follows.
    ASSERT_EQ(setup({placed(other.input(), 0.0)}), 1);
    const std::vector<Vector3> alone = vertices(fuselage.otherMeshes[0]);
    UpdateFuselageCurrent(e, fuselage, current.input());
    expectSameVertices(vertices(fuselage.otherMeshes[0]), alone);
    EXPECT_EQ(fuselage.scene.formerMesh, 0);
}

} // namespace

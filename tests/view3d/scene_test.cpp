#include "view3d/scene.h"

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
        o.doubling = check4 == 1;
        if (o.doubling) {
            PlaceDoubling(model, o.epaisseur);
        }
        DisegnaCurva(model, o, nullptr);
    }
    SceneInput input() const {
        SceneInput in;
        in.Hscroll2 = model.Nb_Points;
        in.Check4 = check4;
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
    in.Slider1 = 7;  // d
    in.Slider2 = 40; // H = 80
    in.Slider3 = 30; // W = 60
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
    in.Slider2 = 60;
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

} // namespace

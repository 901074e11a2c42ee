#include "view3d/scene.h"

#include "view3d/fuselage_scene.h"

#include "former/cut_outline.h"

#include "engine3d/vector_maths.h"
#include "scene_helpers.h"
#include "start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

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

std::vector<Vector3> meshVertices(const Engine& x, int m) {
    const Mesh& mesh = x.meshes[m];
    return {x.vertices.begin() + mesh.vertexStart,
            x.vertices.begin() + mesh.vertexStart + mesh.vertexCount};
}

// Where each band's mesh lies in the pools: kept meshes stay where they are.
std::vector<std::array<int, 3>> bandRuns(const Engine& x, const FuselageScene& f) {
    std::vector<std::array<int, 3>> runs;
    for (const FuselageBand& b : f.bands)
        runs.push_back({b.mesh, b.mesh ? x.meshes[b.mesh].vertexStart : 0,
                        b.mesh ? x.meshes[b.mesh].faceStart : 0});
    return runs;
}

// The fuselage `f` as kept and placed again shows what a fresh build of the same formers shows:
// band by band the same vertices, colours and current former, the same other formers and the
// same stringers' lines (their meshes may lie elsewhere in the pools).
void expectAsBuiltAnew(const Engine& x, const FuselageScene& f,
                       const std::vector<FuselageFormer>& formers, int slots, int most = 0) {
    RecordingErrorSink quiet;
    auto pools = std::make_unique<Engine>(quiet, slots);
    Engine& y = *pools;
    int cam = y.CreateCamera(), lit = y.CreateLight();
    FuselageScene fresh;
    SetupFuselage(y, fresh, formers, cam, lit, most);
    ASSERT_EQ(f.bands.size(), fresh.bands.size());
    auto bandOf = [](const FuselageScene& s, int m) {
        for (std::size_t i = 0; i < s.bands.size(); ++i)
            if (m != 0 && s.bands[i].mesh == m)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_EQ(bandOf(f, f.scene.formerMesh), bandOf(fresh, fresh.scene.formerMesh));
    ASSERT_EQ(f.otherMeshes.size(), fresh.otherMeshes.size());
    for (std::size_t k = 0; k < f.otherMeshes.size(); ++k)
        EXPECT_EQ(bandOf(f, f.otherMeshes[k]), bandOf(fresh, fresh.otherMeshes[k]));
    for (std::size_t i = 0; i < f.bands.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "band " << i);
        const FuselageBand& a = f.bands[i];
        const FuselageBand& b = fresh.bands[i];
        EXPECT_EQ(a.current, b.current);
        EXPECT_EQ(a.name, b.name);
        ASSERT_EQ(a.mesh != 0, b.mesh != 0);
        if (a.mesh == 0)
            continue;
        const std::vector<Vector3> v = meshVertices(x, a.mesh), w = meshVertices(y, b.mesh);
        ASSERT_EQ(v.size(), w.size());
        for (std::size_t k = 0; k < v.size(); ++k) {
            ASSERT_EQ(v[k].x, w[k].x) << k;
            ASSERT_EQ(v[k].y, w[k].y) << k;
            ASSERT_EQ(v[k].z, w[k].z) << k;
        }
        const Mesh& ma = x.meshes[a.mesh];
        const Mesh& mb = y.meshes[b.mesh];
        ASSERT_EQ(ma.faceCount, mb.faceCount);
        for (int k = 0; k < ma.faceCount; ++k) {
            const Face& p = x.faces[ma.faceStart + k];
            const Face& q = y.faces[mb.faceStart + k];
            ASSERT_EQ(p.vertexA - ma.vertexStart, q.vertexA - mb.vertexStart) << k;
            ASSERT_EQ(p.colour, q.colour) << k;
            ASSERT_EQ(p.material, q.material) << k;
        }
    }
    ASSERT_EQ(f.stringerLines.size(), fresh.stringerLines.size());
    for (std::size_t k = 0; k < f.stringerLines.size(); ++k) {
        const StringerLine& l = f.stringerLines[k];
        const StringerLine& n = fresh.stringerLines[k];
        EXPECT_EQ(std::tie(l.fromBand, l.fromNotch, l.toBand, l.toNotch),
                  std::tie(n.fromBand, n.fromNotch, n.toBand, n.toNotch));
        const std::vector<Vector3> v = meshVertices(x, l.mesh), w = meshVertices(y, n.mesh);
        for (std::size_t j = 0; j < 2; ++j) {
            EXPECT_EQ(v[j].x, w[j].x) << k;
            EXPECT_EQ(v[j].y, w[j].y) << k;
            EXPECT_EQ(v[j].z, w[j].z) << k;
        }
    }
}

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
            EXPECT_TRUE(UpdateFuselageCurrent(x, f, in));
            ASSERT_NE(f.scene.formerMesh, 0);
            EXPECT_EQ(x.meshes[f.scene.formerMesh].faceCount, 4 * OutlineIntervals(in));
        }
        EXPECT_TRUE(quiet.codes.empty());
        EXPECT_EQ(FormersLeftOut(f).size(), static_cast<std::size_t>(c.leftOut));
        // The fifth former taken up. Where every band keeps its size, the bands stay where they
        // are, no mesh is built, and the fuselage shows what a fresh build shows; where the
        // others keep fewer points the band taken up must grow, and the whole is built anew.
        const std::vector<std::array<int, 3>> runs = bandRuns(x, f);
        const int meshes = x.meshRange.count;
        formers[1].current = false;
        formers[4].current = true;
        const bool refreshed = RefreshFuselage(x, f, formers, most);
        EXPECT_EQ(refreshed, c.whole);
        if (refreshed) {
            EXPECT_EQ(bandRuns(x, f), runs);
            EXPECT_EQ(x.meshRange.count, meshes);
        } else {
            EXPECT_EQ(bandRuns(x, f), runs) << "nothing changed where it is not kept";
            SetupFuselage(x, f, formers, cam, lit, most);
        }
        expectAsBuiltAnew(x, f, formers, c.slots, most);
        // Its number of points changes: its band is built anew, at the end of the runs where it
        // was built last, else with the whole fuselage, which the room kept then holds.
        const bool inPlace = UpdateFuselageCurrent(x, f, small.input());
        EXPECT_EQ(inPlace, !refreshed);
        if (!inPlace)
            RebuildFuselage(x, f, small.input(), cam, lit, most);
        formers[4].input = small.input();
        expectAsBuiltAnew(x, f, formers, c.slots, most);
        EXPECT_TRUE(quiet.codes.empty());
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

// Each stringer is a line along the fuselage from former to former, through the centre of its
// notch on each (a one-sided stringer on the right only), on the middle of the band's
// thickness; the notched outline is the band's outline, and a drag moves the lines with it.
TEST_F(FuselageTest, StringerLinesPassThroughTheNotchCentresOfEveryFormer) {
    NotchTable table;
    table.stringers = {{"L1", 0.2, 3.0, 2.0, true}, {"L2", 0.55, 2.0, 3.0, false}};
    Former a(13), b(20), c(16);
    b.model.Pts_Couple[4].x += 8.0;
    b.resample(20);
    struct Cut {
        CutOutline cut;
        SceneInput in;
    };
    std::vector<Cut> cuts;
    for (const Former* f : {&a, &b, &c}) {
        Cut k{cutOutline(f->model, 1.0, false, table, "F"), f->input()};
        ASSERT_EQ(k.cut.notches.cut.size(), 3u);
        cuts.push_back(std::move(k));
    }
    std::vector<FuselageFormer> formers;
    const double stations[] = {0.0, 120.0, 60.0}; // out of order: lines join neighbours
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const FormerModel& m = (i == 0 ? a : i == 1 ? b : c).model;
        cuts[i].cut.showIn(cuts[i].in.outline);
        cuts[i].in.stringerNotches = StringerNotches(cuts[i].cut.notches, m.X1(), 1.0);
        formers.push_back(placed(cuts[i].in, stations[i], i == 1));
    }
    ASSERT_EQ(setup(formers), 3);
    // Two lines a side of L1, two of L2, joining the formers in their order along the fuselage.
    ASSERT_EQ(fuselage.stringerLines.size(), 6u);
    // A notch's centre in the outline's units, as the sequence gives the band's points.
    auto units = [](const FormerModel& m, const CutNotch& n) {
        return PointXYZ{(m.X1() + n.centre.x) / outputUnit, n.centre.y / outputUnit, 0.0};
    };
    // Where a former's notch centre lies on its band: the band's vertices against the
    // outline's points they were built from, the same scale and shift across and up.
    auto onBand = [&](std::size_t i, const PointXYZ& drawn) {
        const FuselageBand& band = fuselage.bands[i];
        const std::vector<SequencePoint> seq = outlineSequence(cuts[i].in.outline, Piece::Whole);
        const std::vector<Vector3> v = vertices(band.mesh);
        std::size_t lo = 0, hi = 0, down = 0, up = 0;
        for (std::size_t k = 0; k < seq.size(); ++k) {
            if (seq[k].lifted || !seq[k].present)
                continue;
            lo = seq[k].x < seq[lo].x ? k : lo;
            hi = seq[k].x > seq[hi].x ? k : hi;
            down = seq[k].y > seq[down].y ? k : down;
            up = seq[k].y < seq[up].y ? k : up;
        }
        const double sx = (v[hi].x - v[lo].x) / (seq[hi].x - seq[lo].x);
        const double sy = (v[up].y - v[down].y) / (seq[up].y - seq[down].y);
        const Vector3 front = v[0], back = v[v.size() / 2];
        return Vector3{static_cast<float>(v[lo].x + sx * (drawn.x - seq[lo].x)),
                       static_cast<float>(v[down].y + sy * (drawn.y - seq[down].y)),
                       (front.z + back.z) / 2};
    };
    for (const StringerLine& l : fuselage.stringerLines) {
        const std::vector<Vector3> ends = vertices(l.mesh);
        ASSERT_EQ(ends.size(), 2u);
        EXPECT_TRUE((l.fromBand == 0 && l.toBand == 2) || (l.fromBand == 2 && l.toBand == 1))
            << "from the station at 0 to 60, then to 120";
        for (const auto& [band, notch, end] : {std::tuple{l.fromBand, l.fromNotch, ends[0]},
                                               std::tuple{l.toBand, l.toNotch, ends[1]}}) {
            const CutNotch& n = cuts[band].cut.notches.cut[notch];
            const FormerModel& m = (band == 0 ? a : band == 1 ? b : c).model;
            const Vector3 want = onBand(band, units(m, n));
            EXPECT_NEAR(end.x, want.x, 1e-3f) << n.name;
            EXPECT_NEAR(end.y, want.y, 1e-3f) << n.name;
            EXPECT_NEAR(end.z, want.z, 1e-3f) << n.name;
        }
    }
    // The current former dragged: its lines follow it in place.
    b.model.Pts_Couple[3].x += 5.0;
    b.resample(20);
    cuts[1].cut = cutOutline(b.model, 1.0, false, table, "F");
    cuts[1].in = b.input();
    cuts[1].cut.showIn(cuts[1].in.outline);
    cuts[1].in.stringerNotches = StringerNotches(cuts[1].cut.notches, b.model.X1(), 1.0);
    const std::vector<int> meshes = [&] {
        std::vector<int> m;
        for (const StringerLine& l : fuselage.stringerLines)
            m.push_back(l.mesh);
        return m;
    }();
    UpdateFuselageCurrent(e, fuselage, cuts[1].in);
    ASSERT_EQ(fuselage.stringerLines.size(), 6u);
    for (std::size_t k = 0; k < meshes.size(); ++k) {
        const StringerLine& l = fuselage.stringerLines[k];
        EXPECT_EQ(l.mesh, meshes[k]);
        if (l.toBand != 1 && l.fromBand != 1)
            continue;
        const bool to = l.toBand == 1;
        const CutNotch& n = cuts[1].cut.notches.cut[to ? l.toNotch : l.fromNotch];
        const Vector3 want = onBand(1, units(b.model, n));
        const Vector3 end = vertices(l.mesh)[to ? 1 : 0];
        EXPECT_NEAR(end.x, want.x, 1e-3f) << n.name;
        EXPECT_NEAR(end.y, want.y, 1e-3f) << n.name;
    }
    // The first former taken up, the dragged one left as it now is: the meshes stay where they
    // are, two bands recoloured, and the fuselage shows what a fresh build shows.
    formers[1].input = cuts[1].in;
    formers[1].current = false;
    formers[0].current = true;
    const std::vector<std::array<int, 3>> runs = bandRuns(e, fuselage);
    const std::vector<Vector3> third = vertices(fuselage.bands[2].mesh);
    ASSERT_TRUE(RefreshFuselage(e, fuselage, formers));
    EXPECT_EQ(bandRuns(e, fuselage), runs);
    expectAsBuiltAnew(e, fuselage, formers, kFuselagePoolSlots);
    // A former not being edited given changed (its shape moved, as a follower's does): its band
    // is placed again where it is, and the lines follow it.
    c.model.Pts_Couple[3].x += 1.0;
    c.resample(16);
    cuts[2].cut = cutOutline(c.model, 1.0, false, table, "F");
    cuts[2].in = c.input();
    cuts[2].cut.showIn(cuts[2].in.outline);
    cuts[2].in.stringerNotches = StringerNotches(cuts[2].cut.notches, c.model.X1(), 1.0);
    ASSERT_EQ(OutlineIntervals(cuts[2].in), OutlineIntervals(formers[2].input));
    formers[2].input = cuts[2].in;
    ASSERT_TRUE(RefreshFuselage(e, fuselage, formers));
    EXPECT_EQ(bandRuns(e, fuselage), runs);
    EXPECT_NE(vertices(fuselage.bands[2].mesh)[3].x, third[3].x);
    expectAsBuiltAnew(e, fuselage, formers, kFuselagePoolSlots);
    // Another count of formers, or a former moved along the fuselage: built anew.
    std::vector<FuselageFormer> fewer(formers.begin(), formers.begin() + 2);
    EXPECT_FALSE(RefreshFuselage(e, fuselage, fewer));
    formers[2].station += 1.0;
    EXPECT_FALSE(RefreshFuselage(e, fuselage, formers));
    EXPECT_EQ(bandRuns(e, fuselage), runs);
    EXPECT_TRUE(errors.codes.empty());
}

} // namespace

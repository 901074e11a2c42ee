#include "engine3d/engine.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class PoolsTest : public ::testing::Test {
protected:
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Engine& e = *engine;
};

TEST_F(PoolsTest, NewMeshTakesTheFirstSlotsAndItsDefaults) {
    const int m = e.CreateMesh(100, 50);
    ASSERT_EQ(m, 1);
    const Mesh& mesh = e.meshes[m];
    EXPECT_EQ(mesh.vertexStart, 1);
    EXPECT_EQ(mesh.faceStart, 1);
    EXPECT_EQ(mesh.scale.y, 1.0f);
    EXPECT_TRUE(mesh.dirty && mesh.visible);
    EXPECT_EQ(mesh.parent, 0);
    const int n = e.CreateMesh(10, 5);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(e.meshes[n].vertexStart, 101);
    EXPECT_EQ(e.meshes[n].faceStart, 51);
    EXPECT_EQ(e.meshRange.count, 2);
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(PoolsTest, RunsFillTheFirstGapThatHoldsThemElseGoAfterTheHighestSlot) {
    const int a = e.CreateMesh(100, 1); // vertices 1..100
    e.CreateMesh(50, 1);                // 101..150
    e.DeleteMesh(a);
    EXPECT_EQ(e.AllocVertexBlock(80), 1);    // the gap before the next mesh
    EXPECT_EQ(e.AllocVertexBlock(100), 1);   // exactly fills it
    EXPECT_EQ(e.AllocVertexBlock(120), 151); // too big: after the highest occupied slot
    EXPECT_EQ(e.meshes[e.CreateMesh(80, 1)].vertexStart, 1);
    EXPECT_EQ(e.meshes[e.CreateMesh(120, 1)].vertexStart, 151);
    EXPECT_EQ(e.meshes[e.CreateMesh(20, 1)].vertexStart, 81); // what the 80 left over
}

TEST_F(PoolsTest, FirstFitIsNotBestFit) {
    // Five meshes of 10 slots over 1..50; then gaps 6..20 (15 slots) and 31..40 (10 slots).
    for (int i = 0; i < 5; ++i) {
        e.CreateMesh(10, 0);
    }
    e.DeleteMesh(1);                                        // frees 1..10
    EXPECT_EQ(e.meshes[e.CreateMesh(5, 0)].vertexStart, 1); // takes 1..5
    e.DeleteMesh(3);                                        // the mesh at 31..40
    e.DeleteMesh(1);                                        // the mesh at 11..20
    EXPECT_EQ(e.AllocVertexBlock(10), 6); // the first gap that holds it, not the exact one
    EXPECT_EQ(e.AllocVertexBlock(15), 6);
    EXPECT_EQ(e.AllocVertexBlock(16), 51);
}

TEST_F(PoolsTest, RunsMayEndAtSlot10000ButNotBeyond) {
    ASSERT_NE(e.CreateMesh(9999, 9999), 0);
    EXPECT_EQ(e.AllocVertexBlock(2), 0);
    EXPECT_EQ(e.CreateMesh(2, 0), 0);
    EXPECT_EQ(e.CreateMesh(0, 2), 0);
    EXPECT_EQ(errors.codes, (std::vector<int>{kErrorMeshMemory, kErrorMeshMemory}));
    EXPECT_EQ(e.meshRange.count, 1);

    const int last = e.CreateMesh(1, 1);
    ASSERT_NE(last, 0);
    EXPECT_EQ(e.meshes[last].vertexStart, 10000);
    EXPECT_EQ(e.meshes[last].faceStart, 10000);
    EXPECT_EQ(e.CreateMesh(1, 0), 0);
    // An empty run still fits: it starts after the full pool and owns nothing.
    const int empty = e.CreateMesh(0, 0);
    ASSERT_NE(empty, 0);
    EXPECT_EQ(e.meshes[empty].vertexStart, 10001);

    EXPECT_EQ(e.CreateMesh(-1, 0), 0);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
}

TEST_F(PoolsTest, TheMeshPoolHoldsTenThousandMeshes) {
    for (int i = 1; i <= kLastSlot; ++i) {
        ASSERT_EQ(e.CreateMesh(0, 0), i);
    }
    EXPECT_TRUE(errors.codes.empty());
    EXPECT_EQ(e.CreateMesh(0, 0), 0);
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorMeshMemory});
    EXPECT_EQ(e.meshRange.count, kLastSlot);
}

TEST_F(PoolsTest, DeletingAMeshFixesTheParentsAndMovesLaterMeshesDown) {
    for (int i = 1; i <= 6; ++i) {
        e.CreateMesh(i, 1);
    }
    e.meshes[2].parent = 1;
    e.meshes[4].parent = 3;
    e.meshes[6].parent = 5;
    e.meshes[5].parent = 3;
    e.DeleteMesh(3);

    ASSERT_EQ(e.meshRange.count, 5);
    EXPECT_EQ(e.meshes[2].parent, 1); // below the deleted mesh: unchanged
    EXPECT_EQ(e.meshes[3].parent, 0); // old mesh 4: its parent is gone
    EXPECT_EQ(e.meshes[4].parent, 0); // old mesh 5 likewise
    EXPECT_EQ(e.meshes[5].parent, 4); // old mesh 6: parent 5 became 4
    EXPECT_EQ(e.meshes[3].vertexCount, 4);
    EXPECT_EQ(e.meshes[5].vertexCount, 6);
    EXPECT_EQ(e.meshes[6].vertexCount, 0); // the freed last slot is an empty record
    EXPECT_FALSE(e.meshes[6].visible);

    e.DeleteMesh(0);
    e.DeleteMesh(6);
    e.DeleteMesh(-3);
    EXPECT_EQ(e.meshRange.count, 5);
}

TEST_F(PoolsTest, RemoveBadFacesKeepsOnlyTrianglesOfTheMeshsOwnVertices) {
    const int other = addMesh(e, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    const int m = e.CreateMesh(10, 6);
    const int vs = e.meshes[m].vertexStart; // 4
    const int fs = e.meshes[m].faceStart;
    auto set = [&](int k, int a, int b, int c) {
        e.faces[fs + k] = Face{static_cast<std::int16_t>(a),
                               static_cast<std::int16_t>(b),
                               static_cast<std::int16_t>(c),
                               {1, 2, 3},
                               0.9f};
    };
    set(0, vs, vs + 1, vs + 2);     // good
    set(1, vs + 3, vs + 3, vs + 5); // two equal indices
    set(2, 0, vs + 4, vs + 5);      // vertex 0
    set(3, vs + 2, vs + 3, vs + 4); // good
    set(4, 1, 2, 3);                // another mesh's vertices
    set(5, vs + 9, vs + 10, vs);    // one past the run
    e.RemoveBadFaces(m);

    ASSERT_EQ(e.meshes[m].faceCount, 2);
    EXPECT_EQ(e.faces[fs].vertexA, vs);
    EXPECT_EQ(e.faces[fs + 1].vertexA, vs + 2);
    for (int k = 2; k < 6; ++k) {
        EXPECT_EQ(e.faces[fs + k].vertexA, 0);
    }
    EXPECT_EQ(e.meshes[other].faceCount, 1);
}

TEST_F(PoolsTest, RelocateMovesAMeshIntoRunsOfItsTrimmedSize) {
    const int m = e.CreateMesh(100, 60); // generous counts, then trimmed as builders do
    const int after = addMesh(e, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    ASSERT_EQ(after, 2);
    Mesh& mesh = e.meshes[m];
    mesh.vertexCount = 3;
    mesh.faceCount = 1;
    e.vertices[1] = {1, 2, 3};
    e.vertices[2] = {4, 5, 6};
    e.vertices[3] = {7, 8, 9};
    e.faces[1] = Face{1, 2, 3, {10, 20, 30}, 0.5f};
    mesh.position = {5, 6, 7};
    mesh.rotation = {0.1f, 0.2f, 0.3f};
    mesh.label = "x";
    mesh.visible = false;
    e.meshes[after].parent = static_cast<std::int16_t>(m);

    const int moved = e.RelocateMesh(m);
    ASSERT_EQ(moved, 2); // created as 3, moved down by the deletion of mesh 1
    EXPECT_EQ(e.meshRange.count, 2);
    const Mesh& r = e.meshes[moved];
    // First fit puts the new runs in the gap the trimmed mesh left behind.
    EXPECT_EQ(r.vertexStart, 4);
    EXPECT_EQ(r.vertexCount, 3);
    EXPECT_EQ(r.faceCount, 1);
    EXPECT_EQ(e.vertices[r.vertexStart + 2].z, 9.0f);
    const Face& f = e.faces[r.faceStart];
    EXPECT_EQ(f.vertexA, r.vertexStart);
    EXPECT_EQ(f.vertexC, r.vertexStart + 2);
    EXPECT_EQ(f.colour, (Colour3{10, 20, 30}));
    EXPECT_EQ(r.position.y, 6.0f);
    EXPECT_EQ(r.rotation.y, 0.3f);
    EXPECT_EQ(r.label, "x");
    EXPECT_FALSE(r.visible);
    // The child follows its parent to the new slot.
    EXPECT_EQ(e.meshes[1].parent, moved);
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(PoolsTest, RelocateThatCannotAllocateLeavesTheMeshAlone) {
    const int m = e.CreateMesh(6000, 10);
    ASSERT_NE(m, 0);
    EXPECT_EQ(e.RelocateMesh(m), 0);
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorMeshMemory});
    EXPECT_EQ(e.meshRange.count, 1);
    EXPECT_EQ(e.meshes[m].vertexCount, 6000);
    EXPECT_EQ(e.RelocateMesh(5), 0);
}

TEST_F(PoolsTest, ClearSceneKeepsTheChosenRecordsAndSaysWhereTheyWent) {
    for (int i = 0; i < 4; ++i) {
        e.CreateMesh(1, 1);
    }
    const int c1 = e.CreateCamera();
    const int c2 = e.CreateCamera();
    const int l1 = e.CreateLight();
    e.cameras[c2].orthoScale = 42.0f;
    const KeptIndices kept = e.ClearScene(0, c2, l1);
    EXPECT_EQ(e.meshRange.count, 0);
    EXPECT_EQ(e.cameraRange.count, 1);
    EXPECT_EQ(e.lightRange.count, 1);
    EXPECT_EQ(kept.mesh, 0);
    EXPECT_EQ(kept.camera, c1); // moved down over the deleted camera
    EXPECT_EQ(e.cameras[kept.camera].orthoScale, 42.0f);
    EXPECT_EQ(kept.light, l1);
    // Runs are free again.
    EXPECT_EQ(e.AllocVertexBlock(10), 1);
}

TEST_F(PoolsTest, CamerasAndLightsStartWithTheirDefaultsAndRunOut) {
    const Camera& cam = e.cameras[e.CreateCamera()];
    EXPECT_NEAR(cam.tanHalfFov, std::tan(kEnginePi / 6.0), 1e-6); // a 60-degree field of view
    EXPECT_EQ(cam.near, 1.0f);
    EXPECT_EQ(cam.fogEnd, 1600.0f);
    EXPECT_TRUE(cam.dirty);
    const Light& light = e.lights[e.CreateLight()];
    EXPECT_EQ(light.colour, (Colour3{255, 255, 255}));
    EXPECT_EQ(light.attenuationEnd, 1600.0f);
    EXPECT_TRUE(light.enabled);

    e.cameraRange.count = kLastSlot;
    e.lightRange.count = kLastSlot;
    EXPECT_EQ(e.CreateCamera(), 0);
    EXPECT_EQ(e.CreateLight(), 0);
    EXPECT_EQ(errors.codes, (std::vector<int>{kErrorCameraMemory, kErrorLightMemory}));
    e.DeleteCamera(1);
    EXPECT_EQ(e.CreateCamera(), kLastSlot);
}

TEST_F(PoolsTest, CentringAndTransformingRewriteTheModelVertices) {
    // A 150 x 150 grid cell layout from (0, 0, 0) to (150, 0, 150).
    const int m =
        addMesh(e, {{0, 0, 0}, {150, 0, 0}, {0, 0, 150}, {150, 0, 150}, {75, 4, 30}}, {{0, 1, 2}});
    e.CentreMesh(m);
    const int v = e.meshes[m].vertexStart;
    EXPECT_EQ(e.vertices[v].x, -75.0f);
    EXPECT_EQ(e.vertices[v].y, -2.0f);
    EXPECT_EQ(e.vertices[v + 3].z, 75.0f);
    EXPECT_EQ(e.vertices[v + 4].y, 2.0f);

    e.TransformMeshVertices(m, translationMatrix({10, -30, 0}));
    EXPECT_EQ(e.vertices[v].x, -65.0f);
    EXPECT_EQ(e.vertices[v].y, -32.0f);

    e.SetMeshColour(m, {255, 255, 255}, 0.9f);
    EXPECT_EQ(e.faces[e.meshes[m].faceStart].colour, (Colour3{255, 255, 255}));
    EXPECT_EQ(e.faces[e.meshes[m].faceStart].material, 0.9f);

    const int empty = e.CreateMesh(0, 0);
    e.CentreMesh(empty); // nothing to centre, nothing touched
    EXPECT_EQ(e.vertices[v].x, -65.0f);
}

} // namespace

#include "engine3d/engine.h"
#include "engine3d/error_sink.h"
#include "engine3d/recording_canvas.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class PoolsTest : public ::testing::Test, protected EngineWithErrors {
protected:
    int vertexStartOfNew(int vertices) { return e.meshes[e.CreateMesh(vertices, 0)].vertexStart; }
};

TEST_F(PoolsTest, RunsTakeTheFirstGapThatHoldsThemNotTheBestOne) {
    // Five meshes of 10 slots over 1..50, each with 2 faces.
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(e.CreateMesh(10, 2), i + 1);
    }
    EXPECT_EQ(e.meshes[2].vertexStart, 11);
    EXPECT_EQ(e.meshes[2].faceStart, 3);
    e.DeleteMesh(1);                       // frees 1..10
    EXPECT_EQ(vertexStartOfNew(5), 1);     // takes 1..5
    e.DeleteMesh(3);                       // the mesh at 31..40
    e.DeleteMesh(1);                       // the mesh at 11..20: gaps 6..20 and 31..40
    EXPECT_EQ(e.AllocVertexBlock(10), 6);  // the first gap that holds it, not the exact one
    EXPECT_EQ(e.AllocVertexBlock(15), 6);  // exactly fills it
    EXPECT_EQ(e.AllocVertexBlock(16), 51); // too big: after the highest occupied slot
    EXPECT_EQ(vertexStartOfNew(12), 6);
    EXPECT_EQ(vertexStartOfNew(3), 18); // what the 12 left over
    EXPECT_TRUE(errors.codes.empty());
}

// An engine made with another pool size hands out slots up to its own last one and fails past
// it as the default one does past 10000; sizes beyond the 16-bit indices are cut to the most.
TEST(PoolSize, RunsRecordsAndTheDrawListReachTheLastSlotOfTheSizeGiven) {
    const struct {
        int asked;
        int last;
    } sizes[] = {{kPoolSlots, kLastSlot}, {20001, 20000}, {kMaxPoolSlots, 32766}, {1000000, 32766}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.asked);
        RecordingErrorSink errors;
        auto engine = std::make_unique<Engine>(errors, size.asked);
        Engine& e = *engine;
        ASSERT_EQ(e.lastSlot(), size.last);
        ASSERT_EQ(e.vertices.size(), static_cast<std::size_t>(size.last + 1));
        if (size.last > 1) {
            ASSERT_NE(e.CreateMesh(size.last - 1, size.last - 1), 0);
        }
        EXPECT_EQ(e.CreateMesh(2, 0), 0);
        EXPECT_EQ(e.CreateMesh(0, 2), 0);
        const int last = e.CreateMesh(1, 1);
        ASSERT_NE(last, 0);
        EXPECT_EQ(e.meshes[last].vertexStart, size.last);
        EXPECT_EQ(e.meshes[last].faceStart, size.last);
        EXPECT_EQ(e.CreateMesh(1, 0), 0);
        EXPECT_EQ(e.meshes[e.CreateMesh(0, 0)].vertexStart, size.last + 1) << "empty, after all";
        EXPECT_EQ(errors.codes, std::vector<int>(3, kErrorMeshMemory));
        EXPECT_EQ(e.CreateMesh(-1, 0), 0);

        e.ClearScene(0, 0, 0);
        errors.codes.clear();
        e.meshRange.count = static_cast<std::int16_t>(size.last - 1);
        e.cameraRange.count = e.lightRange.count = static_cast<std::int16_t>(size.last);
        EXPECT_EQ(e.CreateMesh(0, 0), size.last);
        EXPECT_EQ(e.CreateMesh(0, 0), 0);
        EXPECT_EQ(e.CreateCamera(), 0);
        EXPECT_EQ(e.CreateLight(), 0);
        EXPECT_EQ(errors.codes,
                  (std::vector<int>{kErrorMeshMemory, kErrorCameraMemory, kErrorLightMemory}));
        e.DeleteCamera(1); // a freed slot is taken again
        EXPECT_EQ(e.CreateCamera(), size.last);
    }

    // A frame lists and draws every face of a pool larger than the default one.
    RecordingErrorSink errors;
    auto engine = std::make_unique<Engine>(errors, kMaxPoolSlots);
    Engine& e = *engine;
    const CameraAndLight cl = addHeadCamera(e);
    e.cameras[cl.camera].twoSided = true;
    e.cameras[cl.camera].renderMode = kModeSolid;
    const int faces = kMaxPoolSlots - 3; // on every vertex slot
    const int m = e.CreateMesh(faces + 2, faces);
    ASSERT_NE(m, 0);
    for (int k = 0; k < faces + 2; ++k) {
        e.vertices[e.meshes[m].vertexStart + k] = {-100.0f + 0.006f * static_cast<float>(k),
                                                   10.0f * static_cast<float>(k % 2), 0.0f};
    }
    for (int k = 0; k < faces; ++k) {
        const auto at = [&](int i) { return static_cast<std::int16_t>(k + 1 + i); };
        e.faces[e.meshes[m].faceStart + k] = Face{at(0), at(1), at(2), {110, 0, 0}, 0.9f};
    }
    RecordingCanvas surface(400, 300);
    e.RenderFrame(surface, cl.camera, FrameInputs{});
    EXPECT_TRUE(e.drawList[faces - 1] != 0 && e.drawList[faces] == 0);
    EXPECT_EQ(surface.callsOf(RecordingCanvas::Kind::Polygon).size(),
              static_cast<std::size_t>(faces));
    EXPECT_TRUE(errors.codes.empty());
}

TEST_F(PoolsTest, DeletingAMeshFixesTheParentsAndMovesLaterMeshesDown) {
    for (int i = 1; i <= 6; ++i) {
        e.CreateMesh(i, 1);
    }
    e.meshes[2].parent = 1;
    e.meshes[4].parent = 3;
    e.meshes[5].parent = 4;
    e.meshes[6].parent = 5;
    e.DeleteMesh(3);
    ASSERT_EQ(e.meshRange.count, 5);
    EXPECT_EQ(e.meshes[2].parent, 1); // below the deleted mesh: unchanged
    EXPECT_EQ(e.meshes[3].parent, 0); // old mesh 4: its parent is gone
    EXPECT_EQ(e.meshes[4].parent, 3); // old meshes 5 and 6: their parents moved down too
    EXPECT_EQ(e.meshes[5].parent, 4);
    EXPECT_EQ(e.meshes[3].vertexCount, 4);
    EXPECT_EQ(e.meshes[5].vertexCount, 6);
    EXPECT_EQ(e.meshes[6].vertexCount, 0); // the freed last slot is an empty record
    EXPECT_FALSE(e.meshes[6].visible);
    for (int bad : {0, 6, -3}) {
        e.DeleteMesh(bad);
    }
    EXPECT_EQ(e.meshRange.count, 5);
}

TEST_F(PoolsTest, RemoveBadFacesKeepsOnlyTrianglesOfTheMeshsOwnVertices) {
    const int other = addMesh(e, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    const int m = e.CreateMesh(10, 6);
    const int vs = e.meshes[m].vertexStart; // 4
    const int fs = e.meshes[m].faceStart;
    const int corners[6][3] = {{vs, vs + 1, vs + 2},     // good
                               {vs + 3, vs + 3, vs + 5}, // two equal indices
                               {0, vs + 4, vs + 5},      // vertex 0
                               {vs + 2, vs + 3, vs + 4}, // good
                               {1, 2, 3},                // another mesh's vertices
                               {vs + 9, vs + 10, vs}};   // one past the run
    for (int k = 0; k < 6; ++k) {
        const auto at = [&](int i) { return static_cast<std::int16_t>(corners[k][i]); };
        e.faces[fs + k] = Face{at(0), at(1), at(2), {1, 2, 3}, 0.9f};
    }
    e.RemoveBadFaces(m);
    ASSERT_EQ(e.meshes[m].faceCount, 2);
    EXPECT_EQ(e.faces[fs].vertexA, vs);
    EXPECT_EQ(e.faces[fs + 1].vertexA, vs + 2);
    for (int k = 2; k < 6; ++k) {
        EXPECT_EQ(e.faces[fs + k].vertexA, 0);
    }
    EXPECT_EQ(e.meshes[other].faceCount, 1);
}

TEST_F(PoolsTest, RelocateMovesAMeshIntoRunsOfItsTrimmedSizeOrLeavesItAlone) {
    const int m = e.CreateMesh(100, 60); // generous counts, then trimmed as builders do
    const int after = addMesh(e, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Mesh& mesh = e.meshes[m];
    mesh.vertexCount = 3;
    mesh.faceCount = 1;
    e.vertices[3] = {7, 8, 9};
    e.faces[1] = Face{1, 2, 3, {10, 20, 30}, 0.5f};
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
    EXPECT_EQ(f.vertexC, r.vertexStart + 2);
    EXPECT_EQ(f.colour, (Colour3{10, 20, 30}));
    EXPECT_EQ(r.label, "x");
    EXPECT_FALSE(r.visible);
    EXPECT_EQ(e.meshes[1].parent, moved) << "the child follows its parent";
    EXPECT_TRUE(errors.codes.empty());

    // No room for a copy: the mesh stays as it was.
    const int big = e.CreateMesh(6000, 10);
    EXPECT_EQ(e.RelocateMesh(big), 0);
    EXPECT_EQ(errors.codes, std::vector<int>{kErrorMeshMemory});
    EXPECT_EQ(e.meshRange.count, 3);
    EXPECT_EQ(e.meshes[big].vertexCount, 6000);
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
    EXPECT_EQ(e.AllocVertexBlock(10), 1) << "runs are free again";
}

// --- What the pools report ---

// Without a sink errors are forgotten and the engine keeps working.
TEST(ErrorSink, AnEngineWithoutASinkKeepsWorking) {
    Engine e;
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    RecordingErrorSink sink;
    e.setErrorSink(&sink);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    e.setErrorSink(nullptr);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    EXPECT_EQ(sink.codes, std::vector<int>{kErrorMeshMemory});
}

} // namespace

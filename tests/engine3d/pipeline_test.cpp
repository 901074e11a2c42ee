#include "engine3d/engine.h"
#include "engine3d/recording_canvas.h"
#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class PipelineTest : public ::testing::Test, protected EngineWithErrors {
protected:
    RecordingCanvas surface{400, 300};
    // A camera at the origin looking along +z.
    int c = e.CreateCamera();

    void SetUp() override { e.cameras[c].orthoScale = 1.0f; }
    void frameGeometry() {
        e.UpdateWorld();
        e.UpdateView(c);
        e.ProjectVertices(surface, c);
    }
};

TEST_F(PipelineTest, PerspectiveFollowsTheLongerSideAndOrthographicScales) {
    const int m =
        addMesh(e, {{0, 0, 10}, {1, 1, 10}, {0, 0, 1}, {0, 0, 1600}, {10, -5, 800.5f}}, {});
    const int v = e.meshes[m].vertexStart;
    frameGeometry();
    const double focal = 200.0 / std::tan(kEnginePi / 6.0);
    EXPECT_NEAR(e.screenPositions[v].x, 200.0, 1e-4);
    EXPECT_NEAR(e.screenPositions[v].y, 150.0, 1e-4);
    EXPECT_NEAR(e.screenPositions[v + 1].x, 200.0 + focal / 10.0, 1e-3);
    EXPECT_NEAR(e.screenPositions[v + 1].y, 150.0 - focal / 10.0, 1e-3);
    // Depth is 0 at the near distance and 1 at the far one.
    EXPECT_NEAR(e.screenPositions[v + 2].z, 0.0, 1e-6);
    EXPECT_NEAR(e.screenPositions[v + 3].z, 1.0, 1e-6);
    EXPECT_NEAR(e.screenPositions[v].z, 1600.0 * (10.0 - 1.0) / (1599.0 * 10.0), 1e-6);
    // A tall surface: the field of view now spans its height.
    RecordingCanvas tall(300, 400);
    e.ProjectVertices(tall, c);
    EXPECT_NEAR(e.screenPositions[v + 1].x, 150.0 + focal / 10.0, 1e-3);

    e.cameras[c].orthographic = true;
    e.cameras[c].orthoScale = 2.0f;
    frameGeometry();
    const Vector3& s = e.screenPositions[v + 4];
    EXPECT_NEAR(s.x, 220.0, 1e-4);
    EXPECT_NEAR(s.y, 160.0, 1e-4);
    EXPECT_NEAR(s.z, (800.5 - 1.0) / 1599.0, 1e-6);
}

TEST_F(PipelineTest, BadNearOrFarReportsAndLeavesScreenPositionsAlone) {
    const int m = addMesh(e, {{1, 1, 10}}, {});
    frameGeometry();
    const int v = e.meshes[m].vertexStart;
    const Vector3 before = e.screenPositions[v];
    e.vertices[v] = {-5, 3, 50};
    for (float near : {0.0f, 1600.0f}) { // near <= 0, near >= far
        e.cameras[c].near = near;
        frameGeometry();
        EXPECT_TRUE(e.screenPositions[v] == before) << near;
    }
    EXPECT_EQ(errors.codes, (std::vector<int>{kErrorCameraSettings, kErrorCameraSettings}));

    // Invisible meshes are placed and viewed but not projected.
    e.cameras[c].near = 1.0f;
    e.meshes[m].visible = false;
    frameGeometry();
    EXPECT_TRUE(e.screenPositions[v] == before);
    EXPECT_NEAR(e.viewPositions[v].z, 50.0f, 1e-6);
}

TEST_F(PipelineTest, OrbitPutsTheCameraOnTheTargetsSphereLookingAtIt) {
    const Camera& cam = e.cameras[c];
    const int m = addMesh(e, {{0, 0, 0}}, {});
    for (float yaw : {0.0f, 1.0f, -2.5f}) {
        for (float pitch : {0.0f, 0.7f, -1.5f}) {
            e.OrbitCamera(c, {0, 0, 0}, 370.0f, yaw, pitch);
            EXPECT_NEAR(length(cam.position), 370.0f, 1e-3);
            EXPECT_EQ(cam.rotation.x, pitch);
            EXPECT_EQ(cam.rotation.y, -yaw);
            EXPECT_TRUE(cam.dirty);
            e.UpdateWorld();
            e.UpdateView(c);
            // The target sits straight ahead.
            expectNear(e.viewPositions[e.meshes[m].vertexStart], 0, 0, 370, 1e-3f);
        }
    }
    e.OrbitCamera(c, {0, 0, 0}, 370.0f, 0.0f, 0.0f);
    EXPECT_NEAR(cam.position.z, -370.0f, 1e-4);
    // Positive pitch lifts the camera above the target (it looks down).
    e.OrbitCamera(c, {0, 0, 0}, 370.0f, 0.0f, 0.5f);
    EXPECT_GT(cam.position.y, 0.0f);
}

TEST_F(PipelineTest, WorldMatricesComposeScaleTurnMoveAndTheParent) {
    const int parent = addMesh(e, {{0, 0, 0}}, {});
    const int child = addMesh(e, {{1, 0, 0}}, {});
    e.meshes[parent].position = {100, 0, 0};
    e.meshes[child].scale = {2, 2, 2};
    e.meshes[child].rotation.z = static_cast<float>(kEnginePi / 2.0);
    e.meshes[child].position = {0, 0, 5};
    e.meshes[child].parent = static_cast<std::int16_t>(parent);
    e.UpdateWorld();
    const Vector3& w = e.worldPositions[e.meshes[child].vertexStart];
    // (1,0,0) scaled to (2,0,0), turned to (0,2,0), moved by (0,0,5), then by the parent.
    expectNear(w, 100, 2, 5, 1e-4f);

    // Matrices are cached: a moved position shows only once the mesh is marked dirty ...
    e.meshes[child].position = {0, 0, 50};
    e.UpdateWorld();
    expectNear(w, 100, 2, 5, 1e-4f);
    // ... or its parent is.
    e.meshes[parent].position = {0, 0, 0};
    e.meshes[parent].dirty = true;
    e.UpdateWorld();
    expectNear(w, 0, 2, 50, 1e-4f);
    // Model edits show every frame, matrix rebuilt or not.
    e.vertices[e.meshes[parent].vertexStart] = {3, 4, 5};
    e.UpdateWorld();
    EXPECT_NEAR(e.worldPositions[e.meshes[parent].vertexStart].y, 4.0f, 1e-6);
}

} // namespace

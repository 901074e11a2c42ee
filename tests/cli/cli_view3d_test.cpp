#include "cli_test_support.h"

namespace {

using Cli3D = CliTest;

// Two-sided faces, 4K with K = 28; the front layer at -d/2, the back one at +d/2 once centred;
// the dimension boxes start with their sliders' values.
TEST_F(Cli3D, StateDescribesTheStartUpScene) {
    const QJsonObject s = stateAfter({});
    expectAt(s, R"({"view3d/visible": true, "view3d/View_Piece": 1,
        "view3d/formerMesh/vertexCount": 58, "view3d/formerMesh/faceCount": 112,
        "view3d/formerMesh/vertices/0/2": -2.5, "view3d/formerMesh/vertices/57/2": 2.5,
        "view3d/camera/yaw": 0, "view3d/camera/pitch": 0, "view3d/camera/distance": 370,
        "view3d/camera/renderMode": 0, "controls/T_EP": "5", "controls/T_H": "60",
        "controls/T_L": "50", "controls/Slider1/max": 120, "controls/Slider1/enabled": true})");
    EXPECT_GT(at(s, "view3d/formerMesh/index").toInt(), 0);
    EXPECT_EQ(at(s, "view3d/formerMesh/vertices").toArray().size(), 58);
}

TEST_F(Cli3D, Render3dWritesTheSurfaceAtItsSize) {
    ASSERT_TRUE(
        succeeded(cli({"mode=5", "size3d=640x360", "orbit=-60,40:left", "render3d=" + file("r.png"),
                       "button=14", "render3d=" + file("g.png")})));
    const QImage band(file("r.png"));
    ASSERT_EQ(band.size(), QSize(640, 360));
    EXPECT_GT(countColour(band, QColor(110, 0, 0)), 150) << "the solid red band";
    EXPECT_EQ(countColour(band, QColor(255, 255, 255), QRect(0, 300, 640, 60)), 0);
    // The ground grid comes in once "Grille On/Off" hides the 2-D grid.
    EXPECT_GT(countColour(QImage(file("g.png")), QColor(255, 255, 255)), 2000);
}

TEST_F(Cli3D, TheHiddenWindowIsOutOfReach) {
    // "Vue 3D" hides the window: its buttons and surface are out of reach until shown again.
    for (const char* a : {"view=0", "mode=1", "orbit=1,1:left", "size3d=100x100"})
        EXPECT_EQ(cli({"button=11", a}).status, 2) << a;
    EXPECT_EQ(cli({"button=11", "button=11", "view=0"}).status, 0);
}

} // namespace

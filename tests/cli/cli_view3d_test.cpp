#include "cli_test_support.h"

namespace {

using Cli3D = CliTest;

TEST_F(Cli3D, StateDescribesTheStartUpScene) {
    const QJsonObject s = stateAfter({});
    const QJsonObject v = s["view3d"].toObject();
    EXPECT_TRUE(v["visible"].toBool());
    EXPECT_EQ(v["View_Piece"].toInt(), 1);
    const QJsonObject mesh = v["formerMesh"].toObject();
    EXPECT_GT(mesh["index"].toInt(), 0);
    EXPECT_EQ(mesh["vertexCount"].toInt(), 58);
    EXPECT_EQ(mesh["faceCount"].toInt(), 112); // two-sided: 4K, K = 28
    const QJsonArray vertices = mesh["vertices"].toArray();
    ASSERT_EQ(vertices.size(), 58);
    // The front layer at -d/2, the back one at +d/2 once centred.
    EXPECT_EQ(vertices[0].toArray()[2].toDouble(), -2.5);
    EXPECT_EQ(vertices[57].toArray()[2].toDouble(), 2.5);
    const QJsonObject camera = v["camera"].toObject();
    EXPECT_EQ(camera["yaw"].toDouble(), 0.0);
    EXPECT_EQ(camera["pitch"].toDouble(), 0.0);
    EXPECT_EQ(camera["distance"].toDouble(), 370.0);
    EXPECT_EQ(camera["renderMode"].toInt(), 0);
    // The dimension boxes start with their sliders' values.
    const QJsonObject c = s["controls"].toObject();
    EXPECT_EQ(c["T_EP"].toString(), "5");
    EXPECT_EQ(c["T_H"].toString(), "60");
    EXPECT_EQ(c["T_L"].toString(), "50");
    EXPECT_EQ(control(s, "Slider1")["max"].toInt(), 120);
    EXPECT_TRUE(control(s, "Slider1")["enabled"].toBool());
}

TEST_F(Cli3D, ViewModeOrbitAndDimensionsActAsTheUserWould) {
    const QJsonObject s = stateAfter(
        {"view=1", "mode=1", "orbit=-100,30:left", "orbit=0,-70:right", "ep=20", "haut=90"});
    const QJsonObject v = s["view3d"].toObject();
    EXPECT_EQ(v["View_Piece"].toInt(), 4);
    const QJsonObject camera = v["camera"].toObject();
    EXPECT_EQ(camera["renderMode"].toInt(), 5);
    EXPECT_NEAR(camera["yaw"].toDouble(), 1.0, 1e-6);
    EXPECT_NEAR(camera["pitch"].toDouble(), 0.3, 1e-6);
    EXPECT_EQ(camera["distance"].toDouble(), 300.0);
    EXPECT_EQ(s["controls"].toObject()["T_EP"].toString(), "20");
    EXPECT_EQ(s["controls"].toObject()["T_H"].toString(), "90");
    EXPECT_EQ(control(s, "Slider1")["value"].toInt(), 20);

    // The same piece without the dimension moves: the band is 15 deeper and 1.5 times taller.
    const QJsonObject plainState = stateAfter({"view=1"});
    const QJsonArray moved = v["formerMesh"].toObject()["vertices"].toArray();
    const QJsonArray plain =
        plainState["view3d"].toObject()["formerMesh"].toObject()["vertices"].toArray();
    ASSERT_EQ(moved.size(), plain.size());
    const int n = static_cast<int>(plain.size()) / 2;
    for (int k = 0; k < n; ++k) {
        const QJsonArray a = moved[k].toArray(), b = plain[k].toArray();
        EXPECT_EQ(a[2].toDouble(), b[2].toDouble());
        EXPECT_EQ(moved[n + k].toArray()[2].toDouble(), plain[n + k].toArray()[2].toDouble() + 15);
        EXPECT_NEAR(a[1].toDouble(), b[1].toDouble() * 1.5, 1e-3);
    }
    EXPECT_EQ(stateAfter({"larg=70"})["controls"].toObject()["T_L"].toString(), "70");
}

TEST_F(Cli3D, Render3dWritesTheSurfaceAtItsSize) {
    const CliRun r = cli({"mode=5", "size3d=640x360", "orbit=-60,40:left",
                          "render3d=" + file("r.png"), "button=14", "render3d=" + file("g.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
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

#include "cli_actions.h"
#include "couples_cli.h"
#include "editor_test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliResult {
    int status = -1;
    QString err;
};

CliResult cli(const QStringList& args) {
    CliResult r;
    QString out;
    QTextStream o(&out);
    QTextStream e(&r.err);
    r.status = runCouplesCli(args, o, e);
    e.flush();
    return r;
}

QJsonObject readJson(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(f.readAll()).object();
}

class Cli3D : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir.filePath(name); }
    QJsonObject view3d(const QString& json) const {
        return readJson(file(json))["view3d"].toObject();
    }
    QTemporaryDir dir;
};

TEST_F(Cli3D, StateDescribesTheStartUpScene) {
    const CliResult r = cli({"state=" + file("s.json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject s = readJson(file("s.json"));
    const QJsonObject v = s["view3d"].toObject();
    EXPECT_TRUE(v["visible"].toBool());
    EXPECT_EQ(v["View_Piece"].toInt(), 1);
    const QJsonObject mesh = v["formerMesh"].toObject();
    EXPECT_GT(mesh["index"].toInt(), 0);
    EXPECT_EQ(mesh["vertexCount"].toInt(), 58);
    EXPECT_EQ(mesh["faceCount"].toInt(), 56);
    const QJsonArray vertices = mesh["vertices"].toArray();
    ASSERT_EQ(vertices.size(), 58);
    EXPECT_EQ(vertices[0].toArray().size(), 3);
    // The front layer at -d/2, the back one at +d/2 once centred.
    EXPECT_EQ(vertices[0].toArray()[2].toDouble(), -2.5);
    EXPECT_EQ(vertices[57].toArray()[2].toDouble(), 2.5);
    const QJsonObject camera = v["camera"].toObject();
    EXPECT_EQ(camera["yaw"].toDouble(), 0.0);
    EXPECT_EQ(camera["pitch"].toDouble(), 0.0);
    EXPECT_EQ(camera["distance"].toDouble(), 370.0);
    EXPECT_EQ(camera["renderMode"].toInt(), 0);

    const QJsonObject c = s["controls"].toObject();
    EXPECT_EQ(c["T_EP"].toString(), "5");
    EXPECT_EQ(c["T_H"].toString(), "60");
    EXPECT_EQ(c["T_L"].toString(), "50");
    const QJsonObject s1 = c["Slider1"].toObject();
    EXPECT_EQ(s1["value"].toInt(), 5);
    EXPECT_EQ(s1["min"].toInt(), 1);
    EXPECT_EQ(s1["max"].toInt(), 120);
    EXPECT_TRUE(s1["enabled"].toBool());
    EXPECT_EQ(c["Slider2"].toObject()["value"].toInt(), 60);
    EXPECT_EQ(c["Slider3"].toObject()["value"].toInt(), 50);
}

TEST_F(Cli3D, ViewModeOrbitAndDimensionsActAsTheUserWould) {
    const CliResult r = cli({"view=1", "mode=1", "orbit=-100,30:left", "orbit=0,-70:right", "ep=20",
                             "haut=90", "state=" + file("s.json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject v = view3d("s.json");
    EXPECT_EQ(v["View_Piece"].toInt(), 4);
    const QJsonObject camera = v["camera"].toObject();
    EXPECT_EQ(camera["renderMode"].toInt(), 5);
    EXPECT_NEAR(camera["yaw"].toDouble(), 1.0, 1e-6);
    EXPECT_NEAR(camera["pitch"].toDouble(), 0.3, 1e-6);
    EXPECT_EQ(camera["distance"].toDouble(), 300.0);
    const QJsonObject c = readJson(file("s.json"))["controls"].toObject();
    EXPECT_EQ(c["T_EP"].toString(), "20");
    EXPECT_EQ(c["T_H"].toString(), "90");
    EXPECT_EQ(c["Slider1"].toObject()["value"].toInt(), 20);

    // The same piece without the dimension moves: the band is 15 deeper and 1.5 times taller.
    ASSERT_EQ(cli({"view=1", "state=" + file("t.json")}).status, 0);
    const QJsonArray moved = v["formerMesh"].toObject()["vertices"].toArray();
    const QJsonArray plain = view3d("t.json")["formerMesh"].toObject()["vertices"].toArray();
    ASSERT_EQ(moved.size(), plain.size());
    const int n = static_cast<int>(plain.size()) / 2;
    for (int k = 0; k < n; ++k) {
        const QJsonArray a = moved[k].toArray(), b = plain[k].toArray();
        const QJsonArray ab = moved[n + k].toArray(), bb = plain[n + k].toArray();
        EXPECT_EQ(a[2].toDouble(), b[2].toDouble());
        EXPECT_EQ(ab[2].toDouble(), bb[2].toDouble() + 15.0);
        EXPECT_NEAR(a[1].toDouble(), b[1].toDouble() * 1.5, 1e-3);
    }
}

TEST_F(Cli3D, Render3dWritesTheSurfaceAtItsSize) {
    const CliResult r =
        cli({"mode=5", "size3d=640x360", "orbit=-60,40:left", "render3d=" + file("r.png"),
             "button=14", "render3d=" + file("g.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage band(file("r.png"));
    ASSERT_EQ(band.size(), QSize(640, 360));
    EXPECT_GT(countColour(band, QColor(110, 0, 0)), 150) << "the solid red band";
    EXPECT_EQ(countColour(band, QColor(255, 255, 255), QRect(0, 300, 640, 60)), 0);
    // The ground grid comes in once "Grille On/Off" hides the 2-D grid.
    const QImage ground(file("g.png"));
    EXPECT_GT(countColour(ground, QColor(255, 255, 255)), 2000);
}

TEST_F(Cli3D, BadValuesAndHiddenWindowAreBadUsage) {
    for (const char* a : {"view=5", "view=x", "mode=0", "mode=6", "orbit=1,2", "orbit=1,2:both",
                          "orbit=a,2:left", "size3d=0x10", "size3d=5000x10", "size3d=10",
                          "render3d=", "ep=0", "ep=121", "haut=101", "larg=1.5"}) {
        const CliResult r = cli({a, "state=" + file("never.json")});
        EXPECT_EQ(r.status, 2) << a;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(a))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(file("never.json")));
    // "Vue 3D" hides the window: its buttons and surface are out of reach.
    for (const char* a : {"view=0", "mode=1", "orbit=1,1:left", "size3d=100x100"}) {
        EXPECT_EQ(cli({"button=11", a}).status, 2) << a;
    }
    EXPECT_EQ(cli({"button=11", "button=11", "view=0"}).status, 0);
}

// --help names every action a script can use, so none is known only from the README.
TEST_F(Cli3D, HelpListsEveryAction) {
    QString help;
    QTextStream out(&help);
    QTextStream err(&help);
    ASSERT_EQ(runCouplesCli({"--help"}, out, err), 0);
    out.flush();
    for (const CliAction& a : cliActions()) {
        EXPECT_TRUE(help.contains(QStringLiteral("  %1=").arg(QLatin1String(a.name))) ||
                    help.contains(QStringLiteral(", %1=").arg(QLatin1String(a.name))))
            << a.name;
    }
}

TEST_F(Cli3D, Render3dThatCannotBeWrittenIsARunTimeFailure) {
    const CliResult r = cli({"render3d=" + file("missing/r.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("render3d"));
}

} // namespace

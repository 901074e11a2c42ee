#include "cli_actions.h"
#include "couples_cli.h"
#include "editor_test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

CliRun cli(const QStringList& args) {
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = runCouplesCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QJsonObject readJson(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(f.readAll(), &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << e.errorString().toStdString();
    return d.object();
}

class Cli : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(Cli, StartUpStateHasEveryKeyAndExactPoints) {
    const CliRun r = cli({"state=" + file("s.json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject s = readJson(file("s.json"));
    for (const char* key : {"surface", "Nb_Points", "Ordre_Spline", "Idx_Point", "Pts_Couple",
                            "Pts_Doublage", "Courbe_Droite", "Courbe_Gauche", "Doublage_Droit",
                            "Doublage_Gauche", "shppi", "Shape1", "controls"})
        EXPECT_TRUE(s.contains(key)) << key;
    EXPECT_EQ(s["Nb_Points"].toInt(), 13);
    EXPECT_EQ(s["Ordre_Spline"].toInt(), 9);
    const QJsonObject surface = s["surface"].toObject();
    EXPECT_EQ(surface["ScaleWidth"].toDouble(), 120.0);
    EXPECT_EQ(surface["X1"].toDouble(), 60.0);
    EXPECT_EQ(surface["Y1"].toDouble(), 50.0);
    // Doubles come back bit for bit.
    const QJsonArray pts = s["Pts_Couple"].toArray();
    ASSERT_EQ(pts.size(), 9);
    EXPECT_EQ(pts[2].toArray()[0].toDouble(), 86.783);
    EXPECT_EQ(pts[1].toArray()[0].toDouble(), (60.0 - 1.3 + 86.783) / 2);
    const QJsonArray curve = s["Courbe_Droite"].toArray();
    ASSERT_EQ(curve.size(), 13);
    EXPECT_EQ(curve[0].toArray()[0].toDouble(), 60.0) << "starts exactly on the axis";
    Main w;
    for (int j = 0; j < 13; ++j) {
        EXPECT_EQ(curve[j].toArray()[0].toDouble(), w.model().Courbe_Droite[j].x);
        EXPECT_EQ(curve[j].toArray()[1].toDouble(), w.model().Courbe_Droite[j].y);
    }
    const QJsonObject handle = s["shppi"].toArray()[0].toObject();
    for (const char* key : {"left", "top", "tag", "visible"})
        EXPECT_TRUE(handle.contains(key)) << key;

    const QJsonObject c = s["controls"].toObject();
    EXPECT_EQ(c["Hscroll3"].toObject()["value"].toInt(), 4);
    EXPECT_EQ(c["Hscroll3"].toObject()["max"].toInt(), 9);
    EXPECT_EQ(c["Hscroll2"].toObject()["min"].toInt(), 10);
    EXPECT_TRUE(c["Hscroll2"].toObject()["enabled"].toBool());
    EXPECT_EQ(c["Text3"].toString(), "13");
    EXPECT_FALSE(c["Frame2"].toObject()["enabled"].toBool());
    EXPECT_FALSE(c["Option4"].toObject()["enabled"].toBool());
    EXPECT_TRUE(c["Option3"].toObject()["enabled"].toBool()) << "its own state, not its frame's";
    EXPECT_EQ(c["Label6"].toObject()["caption"].toString(), "Mode Asservi");
    const QJsonObject tags = c["pb1"].toObject();
    EXPECT_EQ(tags.size(), 8);
    EXPECT_EQ(tags["3"].toString(), "1");
    EXPECT_EQ(tags["5"].toString(), "0");
    EXPECT_EQ(tags["0"].toString(), "");
}

TEST_F(Cli, ActionsRunInOrderAsTheUserWould) {
    const CliRun r = cli({"--surface", "200x150", "points=20", "order=2", "button=14", "button=5",
                          "state=" + file("s.json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject s = readJson(file("s.json"));
    EXPECT_EQ(s["surface"].toObject()["X1"].toDouble(), 100.0);
    EXPECT_EQ(s["surface"].toObject()["Y1"].toDouble(), 75.0);
    EXPECT_EQ(s["Nb_Points"].toInt(), 20);
    EXPECT_EQ(s["Ordre_Spline"].toInt(), 2);
    EXPECT_EQ(s["Courbe_Droite"].toArray().size(), 20);
    const QJsonObject tags = s["controls"].toObject()["pb1"].toObject();
    EXPECT_EQ(tags["14"].toString(), "1");
    EXPECT_EQ(tags["5"].toString(), "-1");
    EXPECT_FALSE(s["shppi"].toArray()[3].toObject()["visible"].toBool());
}

TEST_F(Cli, SnapshotShowsTheSurfaceAsTheUserSeesIt) {
    const CliRun r = cli({"snapshot=" + file("s.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QImage shot(file("s.png"));
    ASSERT_FALSE(shot.isNull());
    Main w;
    EXPECT_EQ(shot.size(), w.Picture1->size() * w.Picture1->devicePixelRatioF());
    EXPECT_GT(countColour(shot, kGridGreen), 100);
    EXPECT_GT(countColour(shot, kYellow), 50);
    EXPECT_GT(countColour(shot, kRed), 50);
    // The coordinate boxes are part of it: white fields at the bottom left.
    EXPECT_GT(countColour(shot, QColor(255, 255, 255),
                          QRect(0, shot.height() - 20, shot.width() / 3, 20)),
              100);
}

TEST_F(Cli, BadUsageStopsBeforeLaterActions) {
    struct Case {
        QStringList args;
        QString named; // the message names it
    };
    const std::vector<Case> cases = {
        {{"points=5", "state=" + file("a.json")}, "points=5"},
        {{"points=101", "state=" + file("a.json")}, "points=101"},
        {{"points=abc", "state=" + file("a.json")}, "points=abc"},
        {{"order=0", "state=" + file("a.json")}, "order=0"},
        {{"order=10", "state=" + file("a.json")}, "order=10"},
        {{"button=4", "state=" + file("a.json")}, "button=4"},
        {{"button=x", "state=" + file("a.json")}, "button=x"},
        {{"--surface", "0x10", "state=" + file("a.json")}, "--surface"},
        {{"--surface", "120", "state=" + file("a.json")}, "--surface"},
        {{"state="}, "state="},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("a.json"))) << c.args.join(' ').toStdString();
    }
    // An unknown action stops the script at its turn; the actions before it have run.
    for (const QString& unknown : {QStringLiteral("colour=red"), QStringLiteral("points")}) {
        QFile::remove(file("a.json"));
        const CliRun r = cli({"state=" + file("a.json"), unknown, "state=" + file("b.json")});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(unknown + ": unknown action")) << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(file("a.json")));
        EXPECT_FALSE(QFile::exists(file("b.json")));
    }
    QFile::remove(file("a.json"));
    EXPECT_EQ(cli({}).status, 2);
    const CliRun help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("usage"));
}

TEST_F(Cli, DisabledControlIsBadUsage) {
    auto w = shownMain();
    w->Hscroll2->setEnabled(false);
    const ActionResult r = findCliAction("points")->run(*w, "20");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w->model().Nb_Points, 13);
    w->pb1(3)->setVisible(false);
    EXPECT_EQ(findCliAction("button")->run(*w, "3").status, 2);
    EXPECT_EQ(w->pb1Tag(3), "1");
}

TEST_F(Cli, FileThatCannotBeWrittenIsARunTimeFailure) {
    const CliRun r = cli({"snapshot=" + file("missing/s.png"), "state=" + file("s.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("snapshot=")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(file("s.json"))) << "no later action runs";
    EXPECT_EQ(cli({"state=" + dir.path()}).status, 1) << "a folder is not a file";
}

TEST_F(Cli, ProgramExitsWithTheStatusAndNamesTheAction) {
    QProcess p;
    p.start(COUPLES_CLI_PATH, {"points=20", "state=" + file("p.json"), "order=12"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("order=12"));
    const QJsonObject s = readJson(file("p.json")); // the actions before it did run
    EXPECT_EQ(s["Nb_Points"].toInt(), 20);

    p.start(COUPLES_CLI_PATH,
            {"--surface", "120x100", "state=" + file("q.json"), "snapshot=" + file("q.png")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(file("q.json")));
    EXPECT_FALSE(QImage(file("q.png")).isNull());
}

} // namespace

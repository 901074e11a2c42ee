#include "cli_actions.h"
#include "couples_cli.h"
#include "editor_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

class CliEditing : public ::testing::Test {
protected:
    struct Run {
        int status = -1;
        QString err;
        QJsonObject state;
    };

    // Runs the actions followed by state= and reads the state back when it was written.
    Run run(QStringList args) {
        const QString path = dir.filePath(QStringLiteral("s%1.json").arg(++runs));
        args << "state=" + path;
        Run r;
        QString out;
        QTextStream o(&out);
        QTextStream e(&r.err);
        r.status = runCouplesCli(args, o, e);
        e.flush();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            r.state = QJsonDocument::fromJson(f.readAll()).object();
        return r;
    }

    QTemporaryDir dir;
    int runs = 0;
};

QJsonArray point(const QJsonObject& s, const char* key, int i) {
    return s[key].toArray()[i].toArray();
}
QJsonObject control(const QJsonObject& s, const char* name) {
    return s["controls"].toObject()[name].toObject();
}

TEST_F(CliEditing, DoublingScaleAndModesDriveTheRealControls) {
    const Run r =
        run({"doubling=on", "thickness=9", "slaved=non", "action=doublage", "assembly=vertical"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject& s = r.state;
    EXPECT_TRUE(control(s, "Check4")["checked"].toBool());
    EXPECT_EQ(control(s, "Hscroll1")["value"].toInt(), 9);
    EXPECT_TRUE(control(s, "Option6")["checked"].toBool());
    EXPECT_TRUE(control(s, "Option4")["checked"].toBool());
    EXPECT_TRUE(control(s, "Option7")["checked"].toBool());
    EXPECT_EQ(s["Nb_Points"].toInt(), 16) << "the joint raised the point count";
    EXPECT_EQ(control(s, "Label6")["caption"].toString(), "Mode découplé");
    EXPECT_TRUE(control(s, "Label6")["visible"].toBool());
    for (const char* frame : {"Frame2", "Frame4", "Frame6"})
        EXPECT_TRUE(control(s, frame)["enabled"].toBool()) << frame;
    // The doubling at 0.9 of the way from the axes' crossing to the former.
    const double X1 = s["surface"].toObject()["X1"].toDouble();
    const double former = s["shppi"].toArray()[2].toObject()["left"].toDouble();
    EXPECT_NEAR(point(s, "Pts_Doublage", 2)[0].toDouble(), X1 + 0.9 * (former - X1), 1e-12);
    EXPECT_TRUE(s["Shape1"].toArray()[8].toObject()["visible"].toBool());
    EXPECT_FALSE(s["shppi"].toArray()[8].toObject()["visible"].toBool());
    EXPECT_EQ(s["Doublage_Droit"].toArray().size(), 16);

    // The state the control already has: no handler runs, the design state holds.
    const Run same = run({"doubling=off", "slaved=oui"});
    ASSERT_EQ(same.status, 0) << same.err.toStdString();
    EXPECT_TRUE(control(same.state, "Hscroll1")["enabled"].toBool());
    EXPECT_EQ(control(same.state, "Label6")["caption"].toString(), "Mode Asservi");
}

TEST_F(CliEditing, PressMoveReleaseGiveTheHandlersTheTypedMillimetres) {
    const Run r = run({"press=86.79,50:left", "move=95.1,47.3:left", "release=95.1,47.3:left",
                       "move=33.3,12.34:none"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject& s = r.state;
    EXPECT_EQ(s["Idx_Point"].toInt(), 4);
    // The handlers work in single precision: the point is the float of what was typed.
    EXPECT_EQ(point(s, "Pts_Couple", 4)[0].toDouble(), static_cast<double>(95.1f));
    EXPECT_EQ(point(s, "Pts_Couple", 4)[1].toDouble(), static_cast<double>(47.3f));
    // The boxes show the last pointer position, left of the axis too.
    EXPECT_EQ(s["controls"].toObject()["lblX"].toString(), Main::pointerText(33.3f));
    EXPECT_EQ(s["controls"].toObject()["lblY"].toString(), Main::pointerText(12.34f));
}

TEST_F(CliEditing, DragAndPinUseTheHandleOfTheChosenSet) {
    const Run r = run({"--surface", "200x150", "doubling=on", "slaved=non", "action=doublage",
                       "drag=4:150,70", "action=couple", "drag=1:20,30"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject& s = r.state;
    Main w; // the radii of the handles
    const double rx = w.model().Rayon_X;
    const double ry = w.model().Rayon_Y;
    // The doubling keeps the handle's corner, the former the pointer, here on the axis.
    EXPECT_EQ(point(s, "Pts_Doublage", 4)[0].toDouble(), 150.0 - rx);
    EXPECT_EQ(point(s, "Pts_Doublage", 4)[1].toDouble(), 70.0 + ry);
    EXPECT_EQ(point(s, "Pts_Couple", 1)[0].toDouble(), 100.0);
    EXPECT_EQ(point(s, "Pts_Couple", 1)[1].toDouble(), 30.0);
    EXPECT_EQ(s["Idx_Point"].toInt(), 1);

    const Run pinned = run({"pin=3"});
    ASSERT_EQ(pinned.status, 0) << pinned.err.toStdString();
    EXPECT_EQ(pinned.state["shppi"].toArray()[3].toObject()["tag"].toString(), "1");
    EXPECT_EQ(pinned.state["Idx_Point"].toInt(), 3);

    const Run twice = run({"pin=3", "pin=3", "pin=0"});
    ASSERT_EQ(twice.status, 0) << twice.err.toStdString();
    EXPECT_EQ(twice.state["shppi"].toArray()[3].toObject()["tag"].toString(), "");
    EXPECT_EQ(twice.state["shppi"].toArray()[0].toObject()["tag"].toString(), "1");
    // Pinning with the doubling off ran its update: the scale is switched off.
    EXPECT_FALSE(control(twice.state, "Hscroll1")["enabled"].toBool());
}

TEST_F(CliEditing, ControlsAUserCouldNotOperateAreBadUsage) {
    struct Case {
        QStringList args;
        QString named;
    };
    const std::vector<Case> cases = {
        {{"action=doublage"}, "Option4 is disabled"},
        {{"assembly=horizontal"}, "Option1 is disabled"},
        {{"doubling=on", "action=doublage"}, "Option4 is disabled"}, // slaved
        {{"pin=2", "thickness=3"}, "Hscroll1 is disabled"},
        {{"doubling=on", "doubling=off", "slaved=non"}, "Option6 is disabled"},
    };
    for (const Case& c : cases) {
        const Run r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.args.back() + ": " + c.named)) << r.err.toStdString();
        EXPECT_TRUE(r.state.isEmpty()) << "no later action runs";
    }
}

TEST_F(CliEditing, MalformedValuesAreBadUsage) {
    const char* const bad[] = {
        "doubling=yes",
        "thickness=0",
        "thickness=10",
        "assembly=diagonal",
        "action=",
        "slaved=Oui",
        "press=10,10",
        "press=10;10:left",
        "press=a,b:left",
        "press=10,10:none",
        "press=130,10:left",
        "press=-1,10:left",
        "move=130,10:none",
        "release=10,10:none",
        "move=1e3,10:left",
        "drag=9:10,10",
        "drag=-1:10,10",
        "drag=3:10",
        "drag=3",
        "pin=9",
        "pin=x",
        "press=10,10:LEFT",
    };
    for (const char* a : bad) {
        const Run r = run({QString::fromLatin1(a)});
        EXPECT_EQ(r.status, 2) << a;
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(a))) << r.err.toStdString();
    }
    // A handle dragged off the surface can no longer be reached by a press.
    const Run off = run({"drag=3:110,-4", "pin=3"});
    EXPECT_EQ(off.status, 2);
    EXPECT_TRUE(off.err.contains("pin=3: handle 3 lies outside the drawing surface"))
        << off.err.toStdString();
}

} // namespace

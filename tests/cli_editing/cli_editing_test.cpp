#include "cli_test_support.h"

namespace {

using CliEditing = CliTest;

QJsonArray point(const QJsonObject& s, const char* key, int i) {
    return s[key].toArray()[i].toArray();
}
QJsonObject handle(const QJsonObject& s, const char* set, int i) {
    return s[set].toArray()[i].toObject();
}

TEST_F(CliEditing, DoublingScaleAndModesDriveTheRealControls) {
    const QJsonObject s = stateAfter(
        {"doubling=on", "thickness=9", "slaved=non", "action=doublage", "assembly=vertical"});
    for (const char* checked : {"Check4", "Option6", "Option4", "Option7"})
        EXPECT_TRUE(control(s, checked)["checked"].toBool()) << checked;
    EXPECT_EQ(control(s, "Hscroll1")["value"].toInt(), 9);
    EXPECT_EQ(s["Nb_Points"].toInt(), 16) << "the joint raised the point count";
    EXPECT_EQ(s["Doublage_Droit"].toArray().size(), 16);
    EXPECT_EQ(control(s, "Label6")["caption"].toString(), "Mode découplé");
    EXPECT_TRUE(control(s, "Frame2")["enabled"].toBool());
    // The doubling at 0.9 of the way from the axes' crossing to the former.
    const double X1 = s["surface"].toObject()["X1"].toDouble();
    const double former = handle(s, "shppi", 2)["left"].toDouble();
    EXPECT_NEAR(point(s, "Pts_Doublage", 2)[0].toDouble(), X1 + 0.9 * (former - X1), 1e-12);
    EXPECT_TRUE(handle(s, "Shape1", 8)["visible"].toBool());
    EXPECT_FALSE(handle(s, "shppi", 8)["visible"].toBool());

    // The state the control already has: no handler runs, the design state holds.
    const QJsonObject same = stateAfter({"doubling=off", "slaved=oui"});
    EXPECT_TRUE(control(same, "Hscroll1")["enabled"].toBool());
    EXPECT_EQ(control(same, "Label6")["caption"].toString(), "Mode Asservi");
}

TEST_F(CliEditing, PressMoveReleaseGiveTheHandlersTheTypedMillimetres) {
    const QJsonObject s = stateAfter({"press=86.79,50:left", "move=95.1,47.3:left",
                                      "release=95.1,47.3:left", "move=33.3,12.34:none"});
    EXPECT_EQ(s["Idx_Point"].toInt(), 4);
    // The handlers work in single precision: the point is the float of what was typed.
    EXPECT_EQ(point(s, "Pts_Couple", 4)[0].toDouble(), static_cast<double>(95.1f));
    EXPECT_EQ(point(s, "Pts_Couple", 4)[1].toDouble(), static_cast<double>(47.3f));
    // The boxes show the last pointer position, left of the axis too.
    EXPECT_EQ(s["controls"].toObject()["lblX"].toString(), Main::pointerText(33.3f));
    EXPECT_EQ(s["controls"].toObject()["lblY"].toString(), Main::pointerText(12.34f));
}

TEST_F(CliEditing, DragAndPinUseTheHandleOfTheChosenSet) {
    const QJsonObject s =
        stateAfter({"--surface", "200x150", "doubling=on", "slaved=non", "action=doublage",
                    "drag=4:150,70", "action=couple", "drag=1:20,30"});
    const FormerModel design;
    // The doubling keeps the handle's corner, the former the pointer, here on the axis.
    EXPECT_EQ(point(s, "Pts_Doublage", 4)[0].toDouble(), 150.0 - design.Rayon_X);
    EXPECT_EQ(point(s, "Pts_Doublage", 4)[1].toDouble(), 70.0 + design.Rayon_Y);
    EXPECT_EQ(point(s, "Pts_Couple", 1)[0].toDouble(), 100.0);
    EXPECT_EQ(point(s, "Pts_Couple", 1)[1].toDouble(), 30.0);
    EXPECT_EQ(s["Idx_Point"].toInt(), 1);

    const QJsonObject pinned = stateAfter({"pin=3", "pin=3", "pin=0", "pin=5"});
    EXPECT_EQ(handle(pinned, "shppi", 3)["tag"].toString(), "");
    EXPECT_EQ(handle(pinned, "shppi", 0)["tag"].toString(), "1");
    EXPECT_EQ(handle(pinned, "shppi", 5)["tag"].toString(), "1");
    EXPECT_EQ(pinned["Idx_Point"].toInt(), 5);
    // Pinning with the doubling off ran its update: the scale is switched off.
    EXPECT_FALSE(control(pinned, "Hscroll1")["enabled"].toBool());
}

TEST_F(CliEditing, ControlsAUserCouldNotOperateAreBadUsage) {
    const std::pair<QStringList, QString> cases[] = {
        {{"action=doublage"}, "Option4 is disabled"},
        {{"assembly=horizontal"}, "Option1 is disabled"},
        {{"doubling=on", "action=doublage"}, "Option4 is disabled"}, // slaved
        {{"pin=2", "thickness=3"}, "Hscroll1 is disabled"},
        {{"doubling=on", "doubling=off", "slaved=non"}, "Option6 is disabled"},
        {{"drag=3:110,-4", "pin=3"}, "handle 3 lies outside the drawing surface"},
    };
    for (const auto& [args, named] : cases) {
        const CliRun r = cli(QStringList(args) << "state=" + file("never.json"));
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(args.back() + ": " + named)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("never.json"))) << "no later action runs";
    }
    expectBadUsage({"doubling=yes",
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
                    "press=10,10:LEFT",
                    "move=130,10:none",
                    "move=1e3,10:left",
                    "release=10,10:none",
                    "drag=9:10,10",
                    "drag=-1:10,10",
                    "drag=3:10",
                    "drag=3",
                    "pin=9",
                    "pin=x"});
}

} // namespace

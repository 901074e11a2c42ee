#include "cli_test_support.h"

namespace {

using CliEditing = CliTest;

// The doubling at 0.9 of the way from the axes' crossing to the former; the joint raised the
// point count.
TEST_F(CliEditing, DoublingScaleAndModesDriveTheRealControls) {
    const QJsonObject s = stateAfter(
        {"doubling=on", "thickness=9", "slaved=non", "action=doublage", "assembly=vertical"});
    expectAt(s, R"({"controls/Check4/checked": true, "controls/Option6/checked": true,
        "controls/Option4/checked": true, "controls/Option7/checked": true,
        "controls/Hscroll1/value": 9, "Nb_Points": 16, "controls/Label6/caption": "Mode découplé",
        "controls/Frame2/enabled": true, "Shape1/8/visible": true, "shppi/8/visible": false})");
    EXPECT_EQ(s["Doublage_Droit"].toArray().size(), 16);
    const double X1 = at(s, "surface/X1").toDouble();
    EXPECT_NEAR(at(s, "Pts_Doublage/2/0").toDouble(),
                X1 + 0.9 * (at(s, "shppi/2/left").toDouble() - X1), 1e-12);

    // A doubling the former cannot hold is said in its own place, which the whole line shows.
    const QJsonObject held =
        stateAfter({"doubling=on", "doubling-mode=constante", "doubling-width=3", "scale=0,05"});
    EXPECT_FALSE(at(held, "doubling/drawn").toBool());
    EXPECT_NE(held["statusLasting"].toString(), "");
    EXPECT_EQ(held["statusPassing"].toString(), "");
    EXPECT_EQ(held["status"], held["statusLasting"]);

    // The state the control already has: no handler runs, the design state holds.
    expectAt(stateAfter({"doubling=off", "slaved=oui"}),
             R"({"controls/Hscroll1/enabled": true, "controls/Label6/caption": "Mode Asservi"})");
}

// The handlers work in single precision: the point is the float of what was typed. The boxes
// show the last pointer position, left of the axis too.
TEST_F(CliEditing, PressMoveReleaseGiveTheHandlersTheTypedMillimetres) {
    const QJsonObject s = stateAfter({"press=86.79,50:left", "move=95.1,47.3:left",
                                      "release=95.1,47.3:left", "move=33.3,12.34:none"});
    EXPECT_EQ(s["Idx_Point"].toInt(), 4);
    EXPECT_EQ(at(s, "Pts_Couple/4/0").toDouble(), static_cast<double>(95.1f));
    EXPECT_EQ(at(s, "Pts_Couple/4/1").toDouble(), static_cast<double>(47.3f));
    EXPECT_EQ(at(s, "controls/lblX").toString(), Main::pointerText(33.3f));
    EXPECT_EQ(at(s, "controls/lblY").toString(), Main::pointerText(12.34f));
}

// The doubling keeps the handle's corner, the former the pointer, here on the axis. Pinning
// with the doubling off runs its update: the scale is switched off.
TEST_F(CliEditing, DragAndPinUseTheHandleOfTheChosenSet) {
    const QJsonObject s =
        stateAfter({"--surface", "200x150", "doubling=on", "slaved=non", "action=doublage",
                    "drag=4:150,70", "action=couple", "drag=1:20,30"});
    const FormerModel design;
    EXPECT_EQ(at(s, "Pts_Doublage/4/0").toDouble(), 150.0 - design.Rayon_X);
    EXPECT_EQ(at(s, "Pts_Doublage/4/1").toDouble(), 70.0 + design.Rayon_Y);
    expectAt(s, R"({"Pts_Couple/1": [100, 30], "Idx_Point": 1})");
    expectAt(stateAfter({"pin=3", "pin=3", "pin=0", "pin=5"}),
             R"({"shppi/3/tag": "", "shppi/0/tag": "1", "shppi/5/tag": "1", "Idx_Point": 5,
        "controls/Hscroll1/enabled": false})");
    // "Extrémités sur l'axe": an end point dragged stays on the axis, at the height dragged to.
    expectAt(stateAfter({"ends-on-axis=1", "drag=0:80,12", "drag=8:75,90", "ends-on-axis=1"}),
             R"({"controls/chkEndsOnAxis/checked": true, "Pts_Couple/0": [60, 12],
                 "Pts_Couple/8": [60, 90], "undo/count": 3})");
}

TEST_F(CliEditing, ControlsAUserCouldNotOperateAreBadUsage) {
    const std::pair<QStringList, QString> cases[] = {
        {{"action=doublage"}, "Option4 is disabled"},
        {{"assembly=horizontal"}, "Option1 is disabled"},
        {{"doubling=on", "action=doublage"}, "Option4 is disabled"}, // slaved
        {{"pin=2", "thickness=3"}, "Hscroll1 is disabled"},
        {{"doubling=on", "doubling=off", "slaved=non"}, "Option6 is disabled"},
        {{"drag=3:110,-4", "pin=3"}, "handle 3 lies outside the drawing surface"},
        {{"tab=masque", "ends-on-axis=1"}, "chkEndsOnAxis is hidden"},
    };
    for (const auto& [args, named] : cases) {
        const CliRun r = cli(QStringList(args) << "state=" + file("never.json"));
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(args.back() + ": " + named)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("never.json"))) << "no later action runs";
    }
    expectBadUsage({"doubling=yes", "thickness=0", "thickness=10", "assembly=diagonal",
                    "action=", "slaved=Oui", "drag=9:10,10", "drag=-1:10,10", "drag=3:10", "drag=3",
                    "pin=9", "pin=x", "ends-on-axis=2", "ends-on-axis=oui"});
    expectBadUsage({"press=10,10", "press=10;10:left", "press=a,b:left", "press=10,10:none",
                    "press=130,10:left", "press=-1,10:left", "press=10,10:LEFT", "move=130,10:none",
                    "move=1e3,10:left", "release=10,10:none"});
}

} // namespace

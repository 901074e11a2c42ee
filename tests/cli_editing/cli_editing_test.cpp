#include "cli_test_support.h"

namespace {

using CliEditing = CliTest;

// "Extrémités sur l'axe": an end point dragged stays on the axis, at the height dragged to. A
// doubling the former cannot hold is said in its own place, which the whole line shows.
TEST_F(CliEditing, EndsStayOnTheAxisAndAHeldDoublingIsSaidWhileSo) {
    expectAt(stateAfter({"ends-on-axis=1", "drag=0:80,12", "drag=8:75,90", "ends-on-axis=1"}),
             R"({"controls/chkEndsOnAxis/checked": true, "Pts_Couple/0": [60, 12],
                 "Pts_Couple/8": [60, 90], "undo/count": 3})");
    const QJsonObject held =
        stateAfter({"doubling=on", "doubling-mode=constante", "doubling-width=3", "scale=0,05"});
    EXPECT_FALSE(at(held, "doubling/drawn").toBool());
    EXPECT_NE(held["statusLasting"].toString(), "");
    EXPECT_EQ(held["statusPassing"].toString(), "");
    EXPECT_EQ(held["status"], held["statusLasting"]);
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

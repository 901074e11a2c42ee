#include "cli_test_support.h"

namespace {

using CliEditing = CliTest;

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
    expectBadUsage({"doubling=yes", "thickness=0", "thickness=10", "assembly=diagonal",
                    "action=", "slaved=Oui", "drag=9:10,10", "drag=-1:10,10", "drag=3:10", "drag=3",
                    "pin=9", "pin=x"});
    expectBadUsage({"press=10,10", "press=10;10:left", "press=a,b:left", "press=10,10:none",
                    "press=130,10:left", "press=-1,10:left", "press=10,10:LEFT", "move=130,10:none",
                    "move=1e3,10:left", "release=10,10:none"});
}

} // namespace

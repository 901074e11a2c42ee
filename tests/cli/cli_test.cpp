#include "cli_test_support.h"

#include <QRegularExpression>

#include "editor/fuselage_window.h"

#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTableWidget>
#include <QToolButton>

namespace {

using Cli = CliTest;

TEST_F(Cli, StartUpStateHasEveryKeyAndExactPoints) {
    const QJsonObject s = stateAfter({});
    for (const char* key : {"surface", "Nb_Points", "Ordre_Spline", "Idx_Point", "Pts_Couple",
                            "Pts_Doublage", "Courbe_Droite", "Courbe_Gauche", "Doublage_Droit",
                            "Doublage_Gauche", "shppi", "Shape1", "controls", "window"})
        EXPECT_TRUE(s.contains(key)) << key;
    EXPECT_EQ(at(s, "window/minWidth").toInt() * 2 / 10, at(s, "window/width").toInt() / 10);
    // Every control's place, text boxes beside their text.
    for (const char* place :
         {"controls/Frame5/geometry", "controls/lblDoublage/geometry", "controls/lblX.geometry"})
        EXPECT_EQ(at(s, place).toArray().size(), 4) << place;
    // Option3 has its own state, not its frame's; the buttons' tags are by index.
    expectAt(s, R"({"surface/viewScale": 1, "window/tab": 0, "Nb_Points": 13, "Ordre_Spline": 9,
        "surface/ScaleWidth": 120, "surface/X1": 60, "Courbe_Droite/0/0": 60,
        "controls/Hscroll3/value": 4, "controls/Hscroll3/max": 9, "controls/Hscroll2/min": 10,
        "controls/Text3": "13", "controls/Option4/enabled": false,
        "controls/Option3/enabled": true, "controls/Label6/caption": "Mode Asservi",
        "controls/pb1/3": "1", "controls/pb1/0": ""})");
    EXPECT_EQ(at(s, "Pts_Couple/1/0").toDouble(), (60.0 - 1.3 + 86.783) / 2);
    EXPECT_EQ(at(s, "controls/pb1").toObject().size(), 8);
    // Doubles come back bit for bit.
    ScriptedEditor w;
    const QJsonArray curve = s["Courbe_Droite"].toArray();
    ASSERT_EQ(curve.size(), 13);
    for (int j = 0; j < 13; ++j) {
        EXPECT_EQ(curve[j].toArray()[0].toDouble(), w.model().Courbe_Droite[j].x);
        EXPECT_EQ(curve[j].toArray()[1].toDouble(), w.model().Courbe_Droite[j].y);
    }
    for (const char* key : {"left", "top", "tag", "visible"})
        EXPECT_TRUE(at(s, "shppi/0").toObject().contains(key)) << key;
}

TEST_F(Cli, ActionsRunInOrderAsTheUserWould) {
    const QJsonObject s =
        stateAfter({"--surface", "200x150", "points=20", "order=2", "button=14", "button=5"});
    expectAt(s, R"({"surface/X1": 100, "surface/Y1": 75, "Nb_Points": 20, "Ordre_Spline": 2,
        "controls/pb1/14": "1", "controls/pb1/5": "-1", "shppi/3/visible": false})");
    EXPECT_EQ(s["Courbe_Droite"].toArray().size(), 20);
}

TEST_F(Cli, SnapshotShowsTheSurfaceAsTheUserSeesIt) {
    ASSERT_TRUE(succeeded(cli({"snapshot=" + file("s.png")})));
    const QImage shot(file("s.png"));
    ScriptedEditor w;
    EXPECT_EQ(shot.size(), w.ui().Picture1->size() * w.ui().Picture1->devicePixelRatioF());
    EXPECT_GT(countColour(shot, kGridGreen), 100);
    EXPECT_GT(countColour(shot, kYellow), 50);
    EXPECT_GT(countColour(shot, kRed), 50);
    // The coordinate boxes are part of it: white fields at the bottom left.
    EXPECT_GT(countColour(shot, QColor(255, 255, 255),
                          QRect(0, shot.height() - 20, shot.width() / 3, 20)),
              100);
}

// The about window is pictured while it shows, then "&OK" closes it and the script goes on.
TEST_F(Cli, AboutPicturesTheAboutWindowAndClosesIt) {
    ASSERT_TRUE(succeeded(cli({"about=" + file("a.png"), "points=20", "state=" + file("s.json")})));
    const QImage shot(file("a.png"));
    EXPECT_GT(shot.width(), shot.height());
    EXPECT_GT(countColour(shot, QColor(0, 0, 0)), 200) << "its texts";
    EXPECT_EQ(readJson(file("s.json"))["Nb_Points"].toInt(), 20);
}

TEST_F(Cli, BadUsageStopsBeforeLaterActions) {
    // Out of range, malformed, or not an action's form; state= and the like with no file.
    expectBadUsage(
        QStringLiteral(
            "points=5 points=101 points=abc order=0 order=10 button=4 button=x state= save=entier "
            "view=5 view=x mode=0 mode=6 orbit=1,2 orbit=1,2:both orbit=a,2:left size3d=0x10 "
            "size3d=5000x10 size3d=10 render3d= resize=0x10 resize=9000x10 resize=800 window= "
            "about= ep=0 ep=121 haut=101 larg=1.5 undo=1 redo=1 undo=-1 view-zoom=0.5@60,50 "
            "view-zoom=33@60,50 view-zoom=2@500,50 view-zoom=2 view-pan=1 view-fit=2")
            .split(' '));
    expectBadUsage({"save=dessus:" + file("x"), "save=Entier:" + file("x"), "save=:" + file("x"),
                    "save=entier:" + dir.path(), "save=entier:" + dir.path() + "/",
                    "load=" + dir.path()});
    for (const char* size : {"0x10", "120"})
        EXPECT_EQ(cli({"--surface", size, "state=" + file("never.json")}).status, 2) << size;
    EXPECT_FALSE(QFile::exists(file("never.json")));
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << "nothing written";
    // An unknown action stops the script at its turn; the actions before it have run.
    for (const QString& unknown : {QStringLiteral("colour=red"), QStringLiteral("points")}) {
        QFile::remove(file("a.json"));
        const CliRun r = cli({"state=" + file("a.json"), unknown, "state=" + file("b.json")});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(unknown + ": unknown action")) << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(file("a.json")));
        EXPECT_FALSE(QFile::exists(file("b.json")));
    }
    EXPECT_EQ(cli({}).status, 2);
}

// The usage is made from the action table, and the README's table lists the same actions.
TEST_F(Cli, HelpAndTheReadmeListEveryActionOfTheTable) {
    const CliRun help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, cliUsage());
    QFile readme(QDir::cleanPath(QStringLiteral(COUPLES_TEST_DATA "/../../../README.md")));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    // Every `NAME=` in the first cell of the table's rows.
    QStringList documented;
    static const QRegularExpression name(QStringLiteral("`([a-z0-9-]+)="));
    for (const QString& line : QString::fromUtf8(readme.readAll()).split('\n')) {
        if (!line.startsWith(QLatin1String("| `")))
            continue;
        for (const QRegularExpressionMatch& m : name.globalMatch(line.section('|', 1, 1)))
            documented << m.captured(1);
    }
    QStringList actions;
    for (const CliAction& a : cliActions()) {
        actions << QLatin1String(a.name);
        EXPECT_TRUE(help.out.contains(QStringLiteral("  %1=").arg(QLatin1String(a.name))))
            << a.name;
    }
    documented.sort();
    actions.sort();
    EXPECT_EQ(documented.join(' ').toStdString(), actions.join(' ').toStdString());
}

TEST_F(Cli, FileThatCannotBeWrittenIsARunTimeFailure) {
    for (const QString& a : {"snapshot=" + file("missing/s.png"), "window=" + file("missing/w.png"),
                             "render3d=" + file("missing/r.png"), "about=" + file("missing/a.png"),
                             "state=" + dir.path(), "save=haut:" + file("missing/x"),
                             "export=svg:entier:" + file("missing/e"),
                             "export=pdf:entier:" + file("big") + ":3000x-"}) {
        const CliRun r = cli({a, "state=" + file("s.json")});
        EXPECT_EQ(r.status, 1) << a.toStdString();
        EXPECT_TRUE(r.err.contains(a.section('=', 0, 0) + "=")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("s.json"))) << "no later action runs";
    }
}

} // namespace

// The fairness check: formers traced from a plan, "Courbes par les couples" passes the curves
// through them; one former then made 2 mm taller is the only one marked, and the panel shows
// its difference.
TEST_F(Cli, TheFairnessCheckMarksTheFormerOutOfLine) {
    auto w = shownMain();
    auto run = [&w](const char* name, const QString& value) {
        const ActionResult r = findCliAction(name)->run(*w, value);
        EXPECT_EQ(r.status, 0) << name << "=" << value.toStdString() << ": "
                               << r.message.toStdString();
    };
    run("drag", "4:73,50");
    const char* shapes[] = {"4:70,52", "4:76,48", "4:68,50"};
    for (int k = 0; k < 3; ++k) {
        run("former-new", QStringLiteral("F%1:%2").arg(k + 2).arg(120 * (k + 1)));
        run("drag", shapes[k]);
    }
    run("fuselage-window", "1");
    run("fit-curves", "1");
    EXPECT_EQ(w->session().history().undoCaption(), "tracer les « Courbes par les couples »");
    QTableWidget* list = w->ui().lstCouples;
    ASSERT_EQ(list->columnCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(list->item(row, 3)->text(), "") << row;
        EXPECT_FALSE(w->session().departures(row).unfair()) << row;
    }
    // F3's top point 2 mm higher, typed.
    run("former-select", "F3");
    const Handle& h = w->session().samples().shppi[0];
    w->session().press(1, static_cast<float>(h.Left), static_cast<float>(h.Top));
    const SurfacePoint top = w->session().pickedPointReal();
    run("point", QStringLiteral("0:%1,%2").arg(top.x, 0, 'g', 17).arg(top.y + 2.0, 0, 'g', 17));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(w->session().departures(row).unfair(), row == 2) << row;
    EXPECT_EQ(list->item(2, 3)->text(), "+2,0");
    EXPECT_EQ(list->item(1, 3)->text(), "");
    EXPECT_NE(list->item(2, 3)->toolTip().indexOf("Dos +2,0 mm"), -1)
        << list->item(2, 3)->toolTip().toStdString();
    // "Suit" cannot be ticked for a former whose curves are out of reach: none here; a former
    // that follows fills the curves again.
    EXPECT_EQ(list->item(2, 2)->checkState(), Qt::Unchecked);
    run("former-follow", "F3:1");
    EXPECT_EQ(list->item(2, 2)->checkState(), Qt::Checked);
    EXPECT_FALSE(w->session().departures(2).unfair());
    EXPECT_EQ(list->item(2, 3)->text(), "");
}

// The window "Fuselage" under the mouse: a point dragged is one step however many moves it
// takes, a double click on a curve adds a point there and Delete removes it, a former's line
// dragged moves its station; a press on nothing leaves the next edit a step of its own.
TEST_F(Cli, TheWindowFuselageEditsUnderTheMouse) {
    auto w = shownMain();
    for (const auto& [name, value] : {std::pair{"fuselage-window", "1"},
                                      {"side", "dos:0,30;150,45;300,48;500,20"},
                                      {"side", "ventre:0,-20;250,-40;500,-10"},
                                      {"former-new", "F2:200"}})
        ASSERT_EQ(findCliAction(name)->run(*w, value).status, 0) << name;
    FuselageDrawing* side = w->fuselageWindow()->drawing(EditorSession::PlanView::Side);
    side->resize(800, 300);
    EditorSession& s = w->session();
    auto mouse = [side](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
        QMouseEvent e(type, at, side->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(side, &e);
    };
    auto dos = [&s] { return s.fuselageWork().curves.dos; };
    const int steps = s.history().index();
    const QPointF point = side->toPixel(150, 45);
    mouse(QEvent::MouseButtonPress, point, Qt::LeftButton);
    mouse(QEvent::MouseMove, point + QPointF(0, -10), Qt::LeftButton);
    mouse(QEvent::MouseMove, point + QPointF(0, -20), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, point + QPointF(0, -20), Qt::NoButton);
    EXPECT_EQ(s.history().index(), steps + 1);
    EXPECT_EQ(s.history().undoCaption(), "déplacer le point 2 de « Dos »");
    EXPECT_GT(dos()[1].value, 45.0);
    EXPECT_NEAR(dos()[1].station, 150.0, 1e-9);
    EXPECT_EQ(w->fuselageWindow()->pointsBox(CurveKind::Dos)->text(), CurvePointsText(dos()));

    // A double click on "Dos" halfway between its points 3 and 4; Delete takes it off again.
    const QPointF on = side->toPixel(400, *s.curves().dos.valueAt(400));
    QMouseEvent twice(QEvent::MouseButtonDblClick, on, side->mapToGlobal(on), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(side, &twice);
    ASSERT_EQ(dos().size(), 5u);
    EXPECT_EQ(side->picked().index, 3);
    EXPECT_NEAR(dos()[3].station, 400.0, 1e-9);
    EXPECT_TRUE(w->fuselageWindow()->pointBox()->isEnabled());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(side, &del);
    EXPECT_EQ(dos().size(), 4u);

    // F2's line dragged 50 pixels on; a press on nothing then makes no step.
    const QPointF line(side->toPixel(200, 0).x(), 5);
    const double mm = side->toMm(line + QPointF(50, 0)).station;
    mouse(QEvent::MouseButtonPress, line, Qt::LeftButton);
    mouse(QEvent::MouseMove, line + QPointF(50, 0), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, line + QPointF(50, 0), Qt::NoButton);
    EXPECT_DOUBLE_EQ(s.formers()[1]->station, mm);
    const int before = s.history().index();
    mouse(QEvent::MouseButtonPress, QPointF(side->width() - 3, side->height() - 3), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPointF(side->width() - 3, side->height() - 3), Qt::NoButton);
    EXPECT_EQ(s.history().index(), before);
    ASSERT_EQ(findCliAction("side")->run(*w, "ventre:0,-20;500,-10").status, 0);
    ASSERT_EQ(findCliAction("side")->run(*w, "ventre:0,-21;500,-10").status, 0);
    EXPECT_EQ(s.history().index(), before + 2) << "each typed curve its own step";
}

#include "editor_test_support.h"

#include <QScreen>
#include <QWindow>

namespace {

QScreen* screenNamed(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == QLatin1String(name))
            return s;
    }
    return nullptr;
}

// The editor dragged from screen to screen: on each the surface's layers are made at that
// screen's pixel ratio and drawn again (grid and outline), and the former stays as it was.
// (A denser screen comes as a larger pixel ratio; the window keeps its size in the screen's
// own pixels, so it is laid out again for its new size.)
TEST(Screens, TheSurfaceFollowsTheScreenItIsOn) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    const std::vector<PointXYZ> former = m.Pts_Couple;
    const double pixelsPerMm = p.screenPixelsPerMm();
    struct Row {
        const char* screen;
        qreal pixelRatio;
    };
    for (const Row& r : {Row{"hidpi", 2}, Row{"dense", 1.5}, Row{"standard", 1}}) {
        SCOPED_TRACE(r.screen);
        QScreen* screen = screenNamed(r.screen);
        ASSERT_TRUE(screen) << "the offscreen platform reads the screens of data/screens.json";
        w->windowHandle()->setScreen(screen);
        w->move(screen->geometry().topLeft() + QPoint(20, 20));
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        ASSERT_EQ(p.devicePixelRatioF(), r.pixelRatio);
        EXPECT_EQ(p.backgroundLayer().devicePixelRatio(), r.pixelRatio);
        EXPECT_EQ(p.backgroundLayer().size(), p.size() * r.pixelRatio);
        EXPECT_EQ(p.screenPixelsPerMm(), pixelsPerMm);
        EXPECT_GT(countColour(p.backgroundLayer(), kGridGreen), 100) << "the grid drawn again";
        p.repaint();
        EXPECT_GT(countColour(p.overlayLayer(), kYellow), 50);
        EXPECT_EQ(m.Pts_Couple, former);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Three screens: 100 %, 200 % and a denser one.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" COUPLES_TEST_DATA "/screens.json");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

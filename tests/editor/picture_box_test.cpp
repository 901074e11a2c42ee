#include "editor_test_support.h"

#include <QLineEdit>

namespace {

TEST(Layers, GridSurvivesAnOverlayClear) {
    auto w = shownMain();
    PictureBox& p = *w->Picture1;
    ASSERT_FALSE(p.AutoRedraw()) << "the switch is off at rest";
    ASSERT_GT(countColour(p.overlayLayer(), kYellow), 0);
    p.Cls();
    EXPECT_EQ(countColour(p.overlayLayer(), kYellow), 0);
    EXPECT_GT(countColour(p.backgroundLayer(), kGridGreen), 100);
    // With the switch on, clearing acts on the background.
    p.setAutoRedraw(true);
    p.Cls();
    p.setAutoRedraw(false);
    EXPECT_EQ(countColour(p.backgroundLayer(), kGridGreen), 0);
}

TEST(Layers, DrawingGoesWhereTheSwitchSays) {
    auto w = shownMain();
    PictureBox& p = *w->Picture1;
    const QColor white(255, 255, 255);
    p.Line(1, 1, 20, 1, white);
    EXPECT_GT(countColour(p.overlayLayer(), white), 0);
    EXPECT_EQ(countColour(p.backgroundLayer(), white), 0);
    p.setAutoRedraw(true);
    p.setDrawWidth(3);
    p.PSet(30, 30, white);
    p.setDrawWidth(1);
    p.setAutoRedraw(false);
    EXPECT_EQ(countColour(p.backgroundLayer(), white),
              9 * static_cast<int>(p.devicePixelRatioF() * p.devicePixelRatioF()))
        << "a dot of pen width 3 is 3 pixels across";
}

TEST(Layers, BackColourErasesBothLayers) {
    auto w = shownMain();
    PictureBox& p = *w->Picture1;
    p.setBackColor(Qt::black);
    EXPECT_EQ(countColour(p.backgroundLayer(), kGridGreen), 0);
    EXPECT_EQ(countColour(p.overlayLayer(), kYellow), 0);
}

TEST(Repaint, WipesTheOverlayAndRedrawsOnlyWhileDrawingIsActive) {
    auto w = shownMain();
    PictureBox& p = *w->Picture1;
    const QColor white(255, 255, 255);
    p.Line(1, 1, 20, 1, white);
    w->model().Dessin_Actif = false;
    p.Refresh();
    EXPECT_EQ(countColour(p.overlayLayer(), white), 0) << "a repaint wipes the overlay";
    EXPECT_EQ(countColour(p.overlayLayer(), kYellow), 0) << "and draws nothing while inactive";
    w->model().Dessin_Actif = true;
    p.Refresh();
    EXPECT_GT(countColour(p.overlayLayer(), kYellow), 0);
}

TEST(Repaint, AWindowRepaintRedrawsTheOutlineFromTheModel) {
    auto w = shownMain();
    FormerModel& m = w->model();
    m.Pts_Couple[4].x = 100.0; // moved behind the window's back
    w->Picture1->invalidate();
    QApplication::processEvents();
    w->Picture1->repaint();
    EXPECT_GT(m.Courbe_Droite[6].x, 88.0) << "the repaint re-sampled the outline";
}

TEST(Surface, MillimetresFollowTheLogicalResolution) {
    auto w = shownMain();
    const PictureBox& p = *w->Picture1;
    EXPECT_DOUBLE_EQ(p.pixelsPerMm(), p.logicalDpiX() / 25.4);
    EXPECT_EQ(p.width(), qRound(120 * p.pixelsPerMm()));
    EXPECT_EQ(p.height(), qRound(100 * p.pixelsPerMm()));
    EXPECT_EQ(p.backgroundLayer().size(), p.size() * p.devicePixelRatioF());
    // The coordinate boxes and labels live inside the surface.
    EXPECT_EQ(w->lblX->parentWidget(), &p);
    EXPECT_EQ(w->lblY->parentWidget(), &p);
    EXPECT_TRUE(p.rect().contains(w->lblX->geometry()));
    EXPECT_TRUE(p.rect().contains(w->lblY->geometry()));
}

TEST(Surface, MouseEventsArriveInMillimetres) {
    auto w = shownMain();
    PictureBox& p = *w->Picture1;
    int button = -1;
    double x = 0, y = 0;
    QObject::connect(&p, &PictureBox::MouseDown, [&](int b, int, double px, double py) {
        button = b;
        x = px;
        y = py;
    });
    const QPoint at = p.toPixels(30, 40).toPoint();
    QTest::mousePress(&p, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(button, 2);
    EXPECT_NEAR(x, 30, 0.3);
    EXPECT_NEAR(y, 40, 0.3);
    QTest::mouseRelease(&p, Qt::RightButton, Qt::NoModifier, at);
}

} // namespace

#include "editor_test_support.h"

#include <QLineEdit>

namespace {

const QColor kWhite(255, 255, 255);

TEST(Layers, DrawingAndClearingGoWhereTheSwitchSays) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    ASSERT_FALSE(p.AutoRedraw()) << "the switch is off at rest";
    ASSERT_GT(countColour(p.overlayLayer(), kYellow), 0);
    p.Line(1, 1, 20, 1, kWhite);
    EXPECT_GT(countColour(p.overlayLayer(), kWhite), 0);
    EXPECT_EQ(countColour(p.backgroundLayer(), kWhite), 0);
    p.Cls();
    EXPECT_EQ(countColour(p.overlayLayer(), kYellow), 0);
    EXPECT_GT(countColour(p.backgroundLayer(), kGridGreen), 100) << "the grid survives";
    // With the switch on, drawing and clearing act on the background.
    p.setAutoRedraw(true);
    p.setDrawWidth(3);
    p.PSet(30, 30, kWhite);
    p.setDrawWidth(1);
    EXPECT_EQ(countColour(p.backgroundLayer(), kWhite),
              9 * static_cast<int>(p.devicePixelRatioF() * p.devicePixelRatioF()))
        << "a dot of pen width 3 is 3 pixels across";
    p.Cls();
    p.setAutoRedraw(false);
    EXPECT_EQ(countColour(p.backgroundLayer(), kGridGreen), 0);
    // The back colour erases both layers.
    auto v = shownMain();
    v->ui().Picture1->setBackColor(Qt::black);
    EXPECT_EQ(countColour(v->ui().Picture1->backgroundLayer(), kGridGreen), 0);
    EXPECT_EQ(countColour(v->ui().Picture1->overlayLayer(), kYellow), 0);
}

TEST(Repaint, WipesTheOverlayAndDrawsTheOutlineAgain) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    p.Line(1, 1, 20, 1, kWhite);
    p.Refresh();
    EXPECT_EQ(countColour(p.overlayLayer(), kWhite), 0) << "a repaint wipes the overlay";
    EXPECT_GT(countColour(p.overlayLayer(), kYellow), 0) << "and draws the outline again";
}

TEST(Surface, SizedInMillimetresWithMouseEventsInMillimetres) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    EXPECT_EQ(p.width(), qRound(120 * p.pixelsPerMm()));
    EXPECT_EQ(p.height(), qRound(100 * p.pixelsPerMm()));
    EXPECT_EQ(p.backgroundLayer().size(), p.size() * p.devicePixelRatioF());
    // The coordinate boxes live inside the surface.
    EXPECT_EQ(w->ui().lblX->parentWidget(), &p);
    EXPECT_TRUE(p.rect().contains(w->ui().lblX->geometry()));
    EXPECT_TRUE(p.rect().contains(w->ui().lblY->geometry()));

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

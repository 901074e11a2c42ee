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

} // namespace

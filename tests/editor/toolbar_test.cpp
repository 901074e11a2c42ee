#include "editor_test_support.h"

#include <QToolButton>

#include <functional>

namespace {

QImage background(const Main& w) {
    return w.ui().Picture1->backgroundLayer();
}

int redBeside(const Main& w, bool rightOfAxis) {
    const QImage overlay = w.ui().Picture1->overlayLayer();
    const int axis = deviceX(*w.ui().Picture1, overlay, w.model().X1());
    return countColour(overlay, kRed,
                       rightOfAxis ? QRect(axis + 2, 0, overlay.width(), overlay.height())
                                   : QRect(0, 0, axis - 2, overlay.height()));
}

// Each display toggle: two clicks flip its tag there and back, with the effect checked after
// each click; the grid and the axes show in 3-D too and ask for a frame.
TEST(Toolbar, DisplayTogglesFlipTheirTagAndTheirEffect) {
    struct Case {
        int index;
        QString first, second;
        std::function<void(const Main&, bool on)> effect; // on: after the first click
    };
    int leftOutline = 0;
    const Case cases[] = {
        {14, "1", "0",
         [](const Main& w, bool on) {
             // Hidden by black lines drawn over the green ones.
             const int green = countColour(background(w), kGridGreen);
             EXPECT_TRUE(on ? green == 0 : green > 100) << green;
         }},
        {5, "-1", "0",
         [](const Main& w, bool on) {
             for (std::size_t i = 0; i < 9; ++i) {
                 EXPECT_EQ(w.model().shppi[i].Visible, !on) << i;
                 EXPECT_FALSE(w.model().Shape1[i].Visible) << "doubling handles untouched";
             }
             const int magenta =
                 countColour(w.ui().Picture1->grab().toImage(), QColor(255, 0, 255));
             EXPECT_TRUE(on ? magenta == 0 : magenta > 0);
         }},
        {2, "0", "1",
         [](const Main& w, bool on) {
             // Hidden by not being drawn: black lines would show over a picture.
             for (const LineItem& l : w.model().LinPi)
                 EXPECT_EQ(l.Visible, !on);
             const int green = countColour(w.ui().Picture1->grab().toImage(), QColor(0, 255, 0));
             EXPECT_TRUE(on ? green == 0 : green > 20) << green;
         }},
        {3, "0", "1",
         [&leftOutline](const Main& w, bool on) {
             // Only the right half is dotted.
             EXPECT_TRUE(on ? redBeside(w, true) == 0 : redBeside(w, true) > 20);
             EXPECT_EQ(redBeside(w, false), leftOutline);
         }},
        {10, "1", "0", [](const Main&, bool) {}}, // the 3-D axes only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        auto w = shownMain();
        leftOutline = redBeside(*w, false);
        const QImage bg = background(*w);
        for (bool on : {true, false}) {
            w->Redraw3D() = false;
            w->ui().pb1(c.index)->click();
            EXPECT_EQ(w->pb1Tag(c.index), on ? c.first : c.second);
            if (c.index == 10 || c.index == 14) {
                EXPECT_TRUE(w->Redraw3D());
            }
            c.effect(*w, on);
        }
        if (c.index != 14) {
            EXPECT_EQ(background(*w), bg);
        }
    }
}

} // namespace

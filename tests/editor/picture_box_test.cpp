#include "editor_test_support.h"

#include "editor/surface_layers.h"

#include <QLineEdit>

#include <random>

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

// What the surface repaints covers every rectangle that changed: exactly their union while they
// are few, and when they are many (an outline wiped and drawn again) no more than their union
// widened to the grid's cells, in a region of few bands, whatever their places (some off the
// surface, some empty, some far apart).
TEST(Layers, TheRegionRepaintedCoversEveryChangeAndLittleMore) {
    std::mt19937 rng(20261207u);
    auto any = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const struct {
        int count;
        int reach; // the rectangles' corners lie within this many pixels of the origin
    } cases[] = {{0, 100},    {1, 100},     {256, 2000},    {257, 2000},
                 {500, 1920}, {3000, 1920}, {1200, 100000}, {300, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " within " << c.reach);
        std::vector<QRect> rects;
        for (int i = 0; i < c.count; ++i)
            rects.emplace_back(any(-60, c.reach), any(-60, c.reach), any(0, 40), any(0, 12));
        const QRegion exact = unionOf(rects);
        const QRegion covering = coveringRegion(rects);
        EXPECT_TRUE((exact - covering).isEmpty()) << "a change left out";
        if (c.count <= 256) {
            EXPECT_TRUE(covering == exact);
            continue;
        }
        QRegion widened;
        for (const QRect& r : rects)
            if (!r.isEmpty())
                widened += r.adjusted(-kCoveringCell, -kCoveringCell, kCoveringCell, kCoveringCell);
        EXPECT_TRUE((covering - widened).isEmpty()) << "more than the cells around the changes";
        EXPECT_LE(covering.rectCount(), std::max(exact.rectCount(), 1)) << "no more pieces";
        // The region is a sound one: its own pieces give it back.
        QRegion again;
        for (const QRect& r : covering)
            again += r;
        EXPECT_TRUE(again == covering);
    }
}

} // namespace

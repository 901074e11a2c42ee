#include "start_up.h"

#include <gtest/gtest.h>

TEST(FormeInitiale, RectangleLikeFormerAfterStartUp) {
    const FormerModel m = startedModel();
    const auto& P = m.Pts_Couple;
    const auto& h = m.shppi;
    // End points exactly on the axis, their handles centred on it.
    EXPECT_TRUE(P[0].x == 60.0 && P[8].x == 60.0);
    EXPECT_DOUBLE_EQ(h[0].Left, 60.0 - 1.3);
    EXPECT_DOUBLE_EQ(h[8].Left, 60.0 - 1.3);
    const double x1 = (58.7 + 86.783) / 2.0;
    const double xy[9][2] = {{60, 14.817},     {x1, 14.817},
                             {86.783, 14.817}, {86.783, (14.817 + 50.0) / 2.0},
                             {86.783, 50},     {86.783, (50.0 + 85.183) / 2.0},
                             {86.783, 85.183}, {x1, 85.183},
                             {60, 85.183}};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_NEAR(P[i].x, xy[i][0], 1e-12) << i;
        EXPECT_NEAR(P[i].y, xy[i][1], 1e-12) << i;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        const LineItem& l = m.LinPi[i];
        EXPECT_TRUE(l.Visible && l.X1 == h[i].Left && l.Y1 == h[i].Top && l.X2 == h[i + 1].Left &&
                    l.Y2 == h[i + 1].Top)
            << "segment " << i;
    }
}

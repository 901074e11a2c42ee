#include "start_up.h"

#include <gtest/gtest.h>

TEST(FormerModel, PickRadiiInSinglePrecisionAndResizingKeepsTheSamples) {
    FormerModel m;
    // The pick radii are single precision: the nearest-handle search depends on them.
    EXPECT_FLOAT_EQ(m.Rayon_X, 0.0105882f);
    EXPECT_FLOAT_EQ(m.Rayon_Y, 0.0092924f);
    m.resizeSamples(3);
    m.Courbe_Droite[1] = {1.0, 2.0, 3.0};
    m.Doublage_Gauche[2] = {4.0, 5.0, 6.0};
    m.resizeSamples(20);
    EXPECT_EQ(m.Courbe_Droite[1], (PointXYZ{1.0, 2.0, 3.0}));
    EXPECT_EQ(m.Doublage_Gauche[2], (PointXYZ{4.0, 5.0, 6.0}));
    EXPECT_EQ(m.Courbe_Gauche.size(), 20u);
    EXPECT_EQ(m.Doublage_Droit.size(), 20u);
    m.resizeSamples(-4);
    EXPECT_TRUE(m.Courbe_Droite.empty());
}

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

TEST(FormeInitiale, FollowsTheAxesOfAnotherSurfaceAndClearsPins) {
    FormerModel m;
    PlaceAxes(m, 200.0, 150.0, 140.0);
    EXPECT_EQ(m.Line1.Y2, 150.0);
    for (Handle& h : m.shppi)
        h.Tag = "1";
    Forme_Initiale(m);
    for (int i = 1; i <= 7; ++i)
        EXPECT_FALSE(IsPinned(m, i)) << i;
    // Before the start-up re-reads the handles, the ends are on the axis and point 4 on Y1.
    EXPECT_EQ(m.Pts_Couple[0].x, 100.0);
    EXPECT_EQ(m.Pts_Couple[8].x, 100.0);
    EXPECT_EQ(m.Pts_Couple[4].y, 70.0);
    EXPECT_DOUBLE_EQ(m.shppi[6].Top, 70.0 + (70.0 - 14.817));
    // Re-reading the handles puts the end points back on their handles' corners.
    CopyHandlesToPoints(m);
    EXPECT_DOUBLE_EQ(m.Pts_Couple[0].x, 100.0 - 1.3);
    PutEndsOnAxis(m);
    EXPECT_EQ(m.Pts_Couple[0].x, 100.0);
}

TEST(PlaceDoubling, ScalesTheFormerHandlesAboutTheAxesCrossing) {
    FormerModel m = startedModel();
    PlaceDoubling(m, 3);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_DOUBLE_EQ(m.Shape1[i].Left, 60.0 + 0.3 * (m.shppi[i].Left - 60.0));
        EXPECT_DOUBLE_EQ(m.Shape1[i].Top, 50.0 + 0.3 * (m.shppi[i].Top - 50.0));
        EXPECT_TRUE(m.Pts_Doublage[i].x == m.Shape1[i].Left &&
                    m.Pts_Doublage[i].y == m.Shape1[i].Top)
            << i;
    }
}

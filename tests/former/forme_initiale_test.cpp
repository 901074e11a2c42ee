#include "start_up.h"

#include <gtest/gtest.h>

TEST(FormerModel, DesignHandlesPolygonAndSampleArrays) {
    FormerModel m;
    ASSERT_EQ(m.Der_Point, 8);
    ASSERT_EQ(m.shppi.size(), 9u);
    ASSERT_EQ(m.Shape1.size(), 9u);
    ASSERT_EQ(m.LinPi.size(), 8u);
    EXPECT_EQ(m.Ordre_Spline, 9);
    // The pick radii are single precision: the nearest-handle search depends on them.
    EXPECT_FLOAT_EQ(m.Rayon_X, 0.0105882f);
    EXPECT_FLOAT_EQ(m.Rayon_Y, 0.0092924f);
    for (std::size_t i = 0; i < 9; ++i) {
        const bool end = i == 0 || i == 8;
        EXPECT_EQ(m.shppi[i].kind, end ? Handle::Kind::Circle : Handle::Kind::Square) << i;
        EXPECT_EQ(m.shppi[i].BorderColor, end ? colours::Magenta : colours::Red) << i;
        EXPECT_FALSE(m.Shape1[i].Visible);
    }
    // Only the first four segments of the polygon are visible by design.
    for (std::size_t i = 0; i < m.LinPi.size(); ++i)
        EXPECT_EQ(m.LinPi[i].Visible, i < 4) << "i=" << i;

    // Resizing the samples keeps the survivors.
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
    EXPECT_EQ(P[0].x, 60.0);
    EXPECT_EQ(P[8].x, 60.0);
    EXPECT_DOUBLE_EQ(h[0].Left, 60.0 - 1.3);
    EXPECT_DOUBLE_EQ(h[8].Left, 60.0 - 1.3);
    for (int i = 2; i <= 6; ++i)
        EXPECT_EQ(P[static_cast<std::size_t>(i)].x, 86.783) << "i=" << i;
    EXPECT_EQ(P[4].y, 50.0);
    EXPECT_EQ(P[1].x, P[7].x);
    EXPECT_DOUBLE_EQ(P[1].x, (58.7 + 86.783) / 2.0);
    for (int i : {0, 1, 2})
        EXPECT_EQ(P[static_cast<std::size_t>(i)].y, 14.817);
    for (int i : {6, 7, 8})
        EXPECT_DOUBLE_EQ(P[static_cast<std::size_t>(i)].y, 100.0 - 14.817);
    EXPECT_DOUBLE_EQ(P[3].y, (14.817 + 50.0) / 2.0);
    EXPECT_DOUBLE_EQ(P[5].y, (50.0 + 85.183) / 2.0);
    for (std::size_t i = 0; i < 8; ++i) {
        const LineItem& l = m.LinPi[i];
        EXPECT_TRUE(l.Visible);
        EXPECT_EQ(l.X1, h[i].Left);
        EXPECT_EQ(l.Y1, h[i].Top);
        EXPECT_EQ(l.X2, h[i + 1].Left);
        EXPECT_EQ(l.Y2, h[i + 1].Top);
    }
    // The outline a user sees starts and ends exactly on the axis.
    EXPECT_EQ(m.Courbe_Droite.size(), 13u);
    EXPECT_EQ(m.Courbe_Droite.front().x, 60.0);
    EXPECT_EQ(m.Courbe_Droite.back().x, 60.0);
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
    for (int ep : {1, 5, 9}) {
        PlaceDoubling(m, ep);
        const double e = ep / 10.0;
        for (std::size_t i = 0; i < 9; ++i) {
            EXPECT_DOUBLE_EQ(m.Shape1[i].Left, 60.0 + e * (m.shppi[i].Left - 60.0));
            EXPECT_DOUBLE_EQ(m.Shape1[i].Top, 50.0 + e * (m.shppi[i].Top - 50.0));
            EXPECT_EQ(m.Pts_Doublage[i].x, m.Shape1[i].Left);
            EXPECT_EQ(m.Pts_Doublage[i].y, m.Shape1[i].Top);
        }
    }
}

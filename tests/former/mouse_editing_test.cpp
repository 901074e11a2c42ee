#include "start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Handle i of the set, placed so that its centre (Left + Rayon_X, Top - Rayon_Y) is (cx, cy).
void centre(const FormerModel& m, Handle& h, double cx, double cy) {
    h.Left = cx - m.Rayon_X;
    h.Top = cy + m.Rayon_Y;
}

} // namespace

TEST(PointProche, NearestHandleOfTheChosenSetVisibleOrNot) {
    FormerModel m = startedModel();
    PlaceDoubling(m, 5);
    const Handle& h5 = m.shppi[5];
    EXPECT_EQ(Point_Proche(m, true, static_cast<float>(h5.Left + 0.3f),
                           static_cast<float>(h5.Top - 0.2f)),
              5);
    // The doubling's handles are hidden, and still picked in "Doublage".
    const Handle& s7 = m.Shape1[7];
    ASSERT_FALSE(s7.Visible);
    EXPECT_EQ(Point_Proche(m, false, static_cast<float>(s7.Left), static_cast<float>(s7.Top)), 7);
    // A press far from everything still picks a handle.
    EXPECT_EQ(Point_Proche(m, true, 119.0f, 99.0f), 6);
}

TEST(PointProche, TiesInSinglePrecisionGoToTheLowerIndex) {
    FormerModel m = startedModel();
    for (Handle& h : m.shppi)
        centre(m, h, 10.0, 90.0); // out of the way
    centre(m, m.shppi[3], 40.0, 30.0);
    centre(m, m.shppi[5], 40.0, 34.0);
    EXPECT_EQ(Point_Proche(m, true, 40.0f, 32.0f), 3);
    centre(m, m.shppi[2], 40.0, 34.0);
    EXPECT_EQ(Point_Proche(m, true, 40.0f, 32.0f), 2);
    // Handle 6 is nearer by a part in a billion: a double search would pick it, the
    // single-precision one sees a tie and keeps handle 2; a real difference still wins.
    centre(m, m.shppi[2], 50.0 + 3.0, 40.0);
    centre(m, m.shppi[6], 50.0 + 3.0 * (1.0 - 1e-9), 40.0);
    EXPECT_EQ(Point_Proche(m, true, 50.0f, 40.0f), 2);
    centre(m, m.shppi[6], 50.0 + 2.9, 40.0);
    EXPECT_EQ(Point_Proche(m, true, 50.0f, 40.0f), 6);
}

TEST(DragStep, CoupleModeMovesHandlePolygonAndPoint) {
    FormerModel m = startedModel();
    const FormerModel before = m;
    m.Idx_Point = 3;
    DragStep(m, true, false, 5, 100.0f, 40.0f); // the handle: as the clamp case shows
    EXPECT_EQ(m.Pts_Couple[3], (PointXYZ{100.0, 40.0, before.Pts_Couple[3].z}));
    EXPECT_TRUE(m.LinPi[3].X1 == 100.0 && m.LinPi[3].Y1 == 40.0) << "the pointer, not the corner";
    EXPECT_TRUE(m.LinPi[2].X2 == 100.0 && m.LinPi[2].Y2 == 40.0);
    EXPECT_EQ(m.LinPi[2].X1, before.LinPi[2].X1);
    EXPECT_EQ(m.Pts_Doublage, before.Pts_Doublage); // decoupled: the doubling stays

    // End points move only their own segment.
    m = before;
    m.Idx_Point = 0;
    DragStep(m, true, false, 5, 62.0f, 12.0f);
    m.Idx_Point = 8;
    DragStep(m, true, false, 5, 63.0f, 88.0f);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(m.LinPi[i].X1, i == 0 ? 62.0 : before.LinPi[i].X1) << i;
        EXPECT_EQ(m.LinPi[i].X2, i == 7 ? 63.0 : before.LinPi[i].X2) << i;
    }
    EXPECT_EQ(m.LinPi[7].Y2, 88.0);
}

TEST(DragStep, ThePointStopsOnTheSymmetryAxisInBothSets) {
    // The clamp at its boundary: far to the left, the float just left of the axis, the float
    // nearest to it and the floats just right of it, with an axis that single precision holds
    // exactly and one that it cannot hold.
    for (const double width : {120.0, 120.2}) {
        const double X1 = startedModel(width).X1();
        const float on = static_cast<float>(X1);
        const float right = std::nextafter(on, 1000.0f);
        for (const float x :
             {12.5f, std::nextafter(on, 0.0f), on, right, std::nextafter(right, 1000.0f)}) {
            const double expected = std::max(static_cast<double>(x), X1);
            for (const bool couple : {true, false}) {
                SCOPED_TRACE(testing::Message() << "axis " << X1 << ", x " << x
                                                << (couple ? ", couple" : ", doublage"));
                FormerModel m = startedModel(width);
                m.Idx_Point = 2;
                EXPECT_EQ(DragStep(m, couple, false, 5, x, 20.0f), expected);
                const Handle& h = (couple ? m.shppi : m.Shape1)[2];
                EXPECT_EQ(h.Left, expected - m.Rayon_X);
                EXPECT_EQ(h.Top, 20.0 + m.Rayon_Y);
                if (couple) {
                    EXPECT_EQ(m.Pts_Couple[2].x, expected);
                }
            }
        }
    }
}

TEST(DragStep, SlavedDoublingFollowsTheFormersHandle) {
    FormerModel m = startedModel();
    PlaceDoubling(m, 5);
    const auto samples = m.Courbe_Droite;
    m.Idx_Point = 5;
    DragStep(m, true, true, 4, 95.0f, 70.0f);
    const double e = 0.4;
    EXPECT_DOUBLE_EQ(m.Pts_Doublage[5].x, 60.0 + e * (m.shppi[5].Left - 60.0));
    EXPECT_DOUBLE_EQ(m.Pts_Doublage[5].y, 50.0 + e * (m.shppi[5].Top - 50.0));
    EXPECT_EQ(m.Shape1[5].Left, m.Pts_Doublage[5].x);
    EXPECT_EQ(m.Shape1[5].Top, m.Pts_Doublage[5].y);
    // The samples are those of the previous redraw, scaled.
    for (std::size_t s = 0; s < samples.size(); ++s) {
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[s].x, 60.0 + e * (samples[s].x - 60.0));
    }
    // Other doubling points keep their place.
    EXPECT_DOUBLE_EQ(m.Pts_Doublage[4].x, 60.0 + 0.5 * (m.shppi[4].Left - 60.0));
}

TEST(DragStep, NoPickedPointMovesNothing) {
    for (int idx : {-1, 9, 1000}) {
        FormerModel m = startedModel();
        const auto former = m.Pts_Couple;
        const auto doubling = m.Pts_Doublage;
        m.Idx_Point = idx;
        DragStep(m, true, true, 5, 90.0f, 40.0f);
        DragStep(m, false, false, 5, 90.0f, 40.0f);
        EXPECT_EQ(m.Pts_Couple, former);
        EXPECT_EQ(m.Pts_Doublage, doubling);
    }
}

TEST(TogglePin, WhiteWhilePinnedRedOtherwiseAnyTagCountsAsSet) {
    FormerModel m = startedModel();
    EXPECT_TRUE(TogglePin(m, 4));
    EXPECT_EQ(m.shppi[4].Tag, "1");
    EXPECT_EQ(m.shppi[4].BorderColor, colours::White);
    EXPECT_FALSE(TogglePin(m, 4));
    EXPECT_EQ(m.shppi[4].BorderColor, colours::Red);
    m.shppi[2].Tag = "x";
    EXPECT_FALSE(TogglePin(m, 2));
    EXPECT_TRUE(m.shppi[2].Tag.empty());
    EXPECT_FALSE(TogglePin(m, -1));
    EXPECT_FALSE(TogglePin(m, 9));
}

#include "start_up.h"

#include <gtest/gtest.h>

#include <array>

namespace {

OutlineOptions doublingOn(int doublingScale = 5) {
    OutlineOptions o;
    o.doublingOn = true;
    o.doublingScale = doublingScale;
    return o;
}

FormerModel withSamples(int M) {
    FormerModel m = startedModel();
    m.Nb_Points = M;
    m.resizeSamples(M);
    return m;
}

// A former whose handles sit exactly on its control points, sampled along its control
// polygon (order 2) with 41 samples, so sample i lies at parameter i / 5.
FormerModel polygonFormer(const std::vector<PointXYZ>& points) {
    FormerModel m;
    PlaceAxes(m, 120.0, 100.0, 100.0);
    m.Pts_Couple = points;
    for (std::size_t i = 0; i < points.size(); ++i) {
        m.shppi[i].Left = points[i].x;
        m.shppi[i].Top = points[i].y;
    }
    m.Ordre_Spline = 2;
    m.Nb_Points = 41;
    m.resizeSamples(41);
    return m;
}

} // namespace

TEST(DisegnaCurva, ArraysFollowTheSampleCountWhateverTheOptions) {
    // Every combination on every small count: nothing may reach outside the arrays.
    for (int M = 0; M <= 20; ++M) {
        for (int mask = 0; mask < 32; ++mask) {
            FormerModel m = startedModel();
            m.shppi[3].Tag = "1";
            m.shppi[6].Tag = "1";
            m.Nb_Points = M;
            OutlineOptions o;
            o.doublingOn = (mask & 1) != 0;
            o.slaved = (mask & 2) != 0;
            o.vertical = (mask & 4) != 0;
            o.horizontal = (mask & 8) != 0;
            o.samplePointsShown = (mask & 16) != 0;
            PlaceDoubling(m, 5);
            std::vector<DrawStep> steps;
            DisegnaCurva(m, o, &steps);
            if (M >= 1) {
                EXPECT_EQ(m.Courbe_Droite.size(), static_cast<std::size_t>(M));
                EXPECT_EQ(m.Doublage_Gauche.size(), static_cast<std::size_t>(M));
            }
        }
    }
}

// Formers sampled along their control polygon, so sample i lies at parameter i / 5: the pin
// moves the samples nearest in y to the pinned point and its predecessor onto them, and puts the
// samples between on the straight run; everything else stays where it was.
TEST(PinnedPoint, MatchesSamplesByYWithTheirTieRules) {
    struct Moved {
        std::size_t j;
        double x, y;
    };
    struct Run {
        std::size_t from, to; // the samples strictly between are put on x
        double x;
    };
    struct Case {
        const char* name;
        std::vector<double> xy; // the nine control points
        int pinned;
        std::vector<Moved> moved;
        Run run{};
    };
    const Case cases[] = {
        {"a flat run at y = 0 from point 2 to 4: the sample nearest in x to point 2 wins",
         {60, -30, 80, -20, 80, 0, 90, 0, 100, 0, 100, 20, 90, 30, 70, 40, 60, 40},
         2,
         {{5, 80, -20}, {10, 80, 0}},
         {5, 10, 80}},
        {"y = -20 met at samples 5 and 15: the later wins, the predecessor is matched after "
         "point 2 and only the two end samples move",
         {60, -30, 80, -20, 90, -10, 100, -20, 100, 25, 100, 40, 90, 50, 70, 50, 60, 50},
         2,
         {{15, 80, -20}, {10, 90, -10}}},
        {"points 2 and 3 share y = 0: both go to sample 15, where the curve already was",
         {60, -30, 80, -20, 100, 0, 80, 0, 80, 20, 80, 30, 70, 40, 65, 45, 60, 50},
         3,
         {{15, 80, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PointXYZ> points;
        for (std::size_t i = 0; i < c.xy.size(); i += 2)
            points.push_back({c.xy[i], c.xy[i + 1], 0});
        FormerModel m = polygonFormer(points);
        FormerModel free = m;
        DisegnaCurva(free, OutlineOptions{}, nullptr);
        m.shppi[static_cast<std::size_t>(c.pinned)].Tag = "1";
        DisegnaCurva(m, OutlineOptions{}, nullptr);
        std::vector<PointXYZ> expected = free.Courbe_Droite;
        for (std::size_t j = c.run.from + 1; j < c.run.to; ++j)
            expected[j].x = c.run.x;
        for (const Moved& p : c.moved)
            expected[p.j] = {p.x, p.y, 0};
        EXPECT_EQ(m.Courbe_Droite, expected);
        for (std::size_t j = 0; j < expected.size(); ++j)
            EXPECT_EQ(m.Courbe_Gauche[j].y, expected[j].y) << "the left half mirrors it";
    }
}

TEST(PinnedPoint, EndPointsAndHandlesOtherThanOneAreNotPins) {
    FormerModel free = startedModel();
    FormerModel m = startedModel();
    EXPECT_TRUE(TogglePin(m, 0));
    EXPECT_TRUE(TogglePin(m, 8));
    m.shppi[4].Tag = "x";
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    EXPECT_EQ(m.Courbe_Droite, free.Courbe_Droite);
}

TEST(Doubling, SlavedAtHalfScaleOrDecoupledOnItsOwnPoints) {
    FormerModel m = withSamples(30);
    m.shppi[3].Tag = "1"; // the pinned run is followed too
    DisegnaCurva(m, doublingOn(5), nullptr);
    const auto& C = m.Courbe_Droite;
    for (std::size_t j = 0; j < C.size(); ++j) {
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[j].x, (60.0 + C[j].x) / 2.0);
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[j].y, (50.0 + C[j].y) / 2.0);
        EXPECT_DOUBLE_EQ(m.Doublage_Gauche[j].x, 120.0 - m.Doublage_Droit[j].x);
        EXPECT_EQ(m.Doublage_Gauche[j].y, m.Doublage_Droit[j].y);
    }

    // Decoupled, it follows its own control points.
    m = withSamples(20);
    PlaceDoubling(m, 7);
    m.Pts_Doublage[4].x += 3.0; // dragged on its own
    OutlineOptions o = doublingOn(5);
    o.slaved = false;
    DisegnaCurva(m, o, nullptr);
    EXPECT_EQ(m.Doublage_Droit.front().x, m.Pts_Doublage.front().x);
    EXPECT_EQ(m.Doublage_Droit.back().y, m.Pts_Doublage.back().y);
    // Symmetric points about Y1 except the dragged one: the middle sample leans right.
    EXPECT_GT(m.Doublage_Droit[10].x, 60.0 + 0.7 * (m.Courbe_Droite[10].x - 60.0));
    for (std::size_t j = 0; j < 20; ++j) {
        EXPECT_NEAR(m.Doublage_Gauche[j].x + m.Doublage_Droit[j].x, 120.0, 1e-12);
    }
}

namespace {

struct JointCase {
    FormerModel before; // slaved doubling without joint
    FormerModel after;
};

JointCase runJoint(int M, bool vertical) {
    JointCase c{withSamples(M), withSamples(M)};
    DisegnaCurva(c.before, doublingOn(5), nullptr);
    OutlineOptions o = doublingOn(5);
    o.vertical = vertical;
    o.horizontal = !vertical;
    DisegnaCurva(c.after, o, nullptr);
    return c;
}

} // namespace

// The joint flattens former samples h = (M - 1) / 2 and h' = that rounded half to even, the
// latter after the left half was mirrored; the doubling gets a tab symmetric about h + 0.5.
TEST(HorizontalJoint, FlattensTheMiddleSamplesAndShapesASymmetricTab) {
    const double Y1 = 50.0;
    for (auto [M, h, h2] : {std::array{16, 7, 8}, std::array{17, 8, 8}, std::array{14, 6, 6}}) {
        SCOPED_TRACE(testing::Message() << "M " << M);
        const JointCase c = runJoint(M, false);
        const auto& C0 = c.before.Courbe_Droite;
        const auto& D0 = c.before.Doublage_Droit;
        if (M % 2 == 0) { // else the middle sample is on the axis already
            ASSERT_NE(C0[h].y, Y1);
        }
        std::vector<PointXYZ> C = C0;
        C[h].y = C[h2].y = Y1;
        EXPECT_EQ(c.after.Courbe_Droite, C);
        EXPECT_EQ(c.after.Courbe_Gauche, c.before.Courbe_Gauche);

        std::vector<PointXYZ> D = D0;
        const double g = (C0[M - 1].y - D0[M - 1].y) / 2.0;
        D[h] = D[h + 1] = {C0[h].x, Y1, 0};
        D[h - 1] = D[h + 2] = {D0[h].x + (C0[h].x - D0[h].x) / 2.0, Y1 - g, 0};
        D[h - 2] = D[h + 3] = {D0[h - 2].x, Y1, 0};
        EXPECT_EQ(c.after.Doublage_Droit, D);
        for (int j = 0; j < M; ++j) {
            EXPECT_NEAR(c.after.Doublage_Gauche[j].x + D[j].x, 120.0, 1e-12);
        }
    }
}

// Tabs at the top and bottom of the doubling, as wide as half the gap at the middle sample.
TEST(VerticalJoint, TabsAtTopAndBottomUseTheMiddleSample) {
    for (auto [M, mid] : {std::pair{13, 6}, std::pair{15, 6}, std::pair{16, 7}}) {
        SCOPED_TRACE(testing::Message() << "M " << M);
        const JointCase c = runJoint(M, true);
        const auto& C = c.before.Courbe_Droite;
        const auto& D0 = c.before.Doublage_Droit;
        const int last = M - 1;
        EXPECT_EQ(c.after.Courbe_Droite, C);
        std::vector<PointXYZ> D = D0;
        const double hx = (C[mid].x - D0[mid].x) / 2.0;
        D[0].y = C[0].y;
        D[1] = {D0[0].x + hx, D0[0].y + (C[0].y - D0[0].y) / 2.0, 0};
        D[2].x = D0[0].x;
        D[last].y = C[last].y;
        D[last - 1] = {D[1].x, D0[last].y + (C[last].y - D0[last].y) / 2.0, 0};
        D[last - 2].x = D0[last].x;
        EXPECT_EQ(c.after.Doublage_Droit, D);
        // The tab keeps its x on the left half as well.
        const auto& DG = c.after.Doublage_Gauche;
        EXPECT_EQ(DG[1].x, D[1].x);
        EXPECT_EQ(DG[last - 1].x, D[last - 1].x);
        EXPECT_NEAR(DG[3].x + D[3].x, 120.0, 1e-12);
    }
}

TEST(Drawing, MirroredOutlineTopToBottomOnePathRightHalfYellowLeftRedThenTheDots) {
    FormerModel m = startedModel();
    std::vector<DrawStep> s;
    DisegnaCurva(m, OutlineOptions{}, &s);
    const auto& C = m.Courbe_Droite;
    const auto& G = m.Courbe_Gauche;
    // Without pins the outline runs from the top to the bottom point, mirrored about X1.
    EXPECT_TRUE(C.front().x == m.Pts_Couple.front().x && C.front().y == m.Pts_Couple.front().y);
    EXPECT_TRUE(C.back().x == m.Pts_Couple.back().x && C.back().y == m.Pts_Couple.back().y);
    for (std::size_t j = 0; j < C.size(); ++j) {
        EXPECT_EQ(G[j].y, C[j].y);
        EXPECT_NEAR((G[j].x + C[j].x) / 2.0, m.X1(), 1e-12);
        EXPECT_GE(C[j].x, m.X1());
    }
    ASSERT_EQ(s.size(), 1u + 13 + 13 + 13);
    EXPECT_EQ(s[0].kind, DrawStep::Kind::Dot);
    EXPECT_EQ(s[0].from, C[0]);
    for (std::size_t i = 1; i < 27; ++i) {
        EXPECT_EQ(s[i].kind, DrawStep::Kind::Line);
        EXPECT_EQ(s[i].from, i == 1 ? s[0].from : s[i - 1].to) << "one unbroken path, i=" << i;
    }
    for (std::size_t j = 0; j < 13; ++j) {
        EXPECT_EQ(s[1 + j].to, C[j]);
        EXPECT_EQ(s[1 + j].colour, colours::Yellow);
        EXPECT_EQ(s[14 + j].to, G[12 - j]);
        EXPECT_EQ(s[14 + j].colour, colours::Red);
        EXPECT_EQ(s[27 + j].kind, DrawStep::Kind::Dot);
        EXPECT_EQ(s[27 + j].from, C[j]);
        EXPECT_EQ(s[27 + j].width, 3);
    }
    // With "Vue Points" off the path stays and the dots go.
    OutlineOptions hidden;
    hidden.samplePointsShown = false;
    std::vector<DrawStep> plain;
    DisegnaCurva(m, hidden, &plain);
    ASSERT_EQ(plain.size(), 27u);
    EXPECT_EQ(plain.back().to, G[0]);
}

TEST(Drawing, DoublingPathAndDotsOfBothRightHalves) {
    FormerModel m = withSamples(16);
    OutlineOptions o = doublingOn(5);
    o.horizontal = true;
    std::vector<DrawStep> s;
    DisegnaCurva(m, o, &s);
    const auto& D = m.Doublage_Droit;
    ASSERT_EQ(s.size(), 1u + 16 + 16 + 15 + 16 + 16 + 16);
    std::size_t i = 33;
    for (std::size_t j = 0; j + 1 < 16; ++j, ++i) {
        EXPECT_EQ(s[i].from, D[j]);
        EXPECT_EQ(s[i].to, D[j + 1]);
        EXPECT_EQ(s[i].colour, colours::Blue);
    }
    // From the bottom right across to the bottom left and up, with no closing line.
    for (std::size_t j = 16; j-- > 0; ++i) {
        EXPECT_EQ(s[i].from, s[i - 1].to);
        EXPECT_EQ(s[i].to, m.Doublage_Gauche[j]);
    }
    // Dots show the former as the joint left it, then the doubling.
    for (std::size_t j = 0; j < 16; ++j) {
        EXPECT_EQ(s[i + j].from, m.Courbe_Droite[j]);
        EXPECT_EQ(s[i + 16 + j].from, D[j]);
    }
    EXPECT_EQ(s[i + 8].from.y, 50.0);
}

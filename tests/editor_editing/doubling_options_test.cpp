#include "editing_test_support.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace {

// One row of the enabled-state table of the doubling and mode controls.
struct Row {
    bool frame2, frame4, frame6, hscroll1, option4, label6Visible;
    const char* caption;
};

void expectRow(const Main& w, const Row& r, const char* where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(ownEnabled(w.Frame2), r.frame2);
    EXPECT_EQ(ownEnabled(w.Frame4), r.frame4);
    EXPECT_EQ(ownEnabled(w.Frame6), r.frame6);
    EXPECT_EQ(ownEnabled(w.Hscroll1), r.hscroll1);
    EXPECT_EQ(ownEnabled(w.Option4), r.option4);
    EXPECT_EQ(!w.Label6->isHidden(), r.label6Visible);
    EXPECT_EQ(w.Label6->text(), QString::fromUtf8(r.caption));
}

const Row kDesign{false, false, true, true, false, true, "Mode Asservi"};
const Row kOff{false, false, false, false, false, false, "Mode asservi"};
const Row kSlaved{true, true, true, true, false, true, "Mode asservi"};
const Row kDecoupled{true, true, true, true, true, true, "Mode découplé"};

TEST(EnabledStates, DesignStateHoldsUntilTheDoublingIsFirstUpdated) {
    auto w = shownMain();
    expectRow(*w, kDesign, "after start-up");
    // The scale can be moved while the doubling is off; its first move switches the
    // doubling's controls off.
    ASSERT_TRUE(userSlide(w->Hscroll1, 7));
    expectRow(*w, kOff, "after the first scale move");
    EXPECT_FALSE(w->Hscroll1->isEnabled());
}

TEST(EnabledStates, FollowTheDoublingAndTheSlavedChoice) {
    auto w = shownMain();
    userClick(w->Check4);
    ASSERT_TRUE(w->Check4->isChecked());
    expectRow(*w, kSlaved, "doubling on, slaved");

    userClick(w->Option6); // "Non"
    ASSERT_TRUE(w->Option6->isChecked());
    expectRow(*w, kDecoupled, "doubling on, decoupled");

    userClick(w->Check4);
    ASSERT_FALSE(w->Check4->isChecked());
    EXPECT_TRUE(w->Option5->isChecked()) << "switching the doubling off selects \"Oui\"";
    expectRow(*w, kOff, "doubling off");

    userClick(w->Check4);
    expectRow(*w, kSlaved, "doubling on again, still slaved");
}

TEST(EnabledStates, NonWithTheDoublingOffFallsBackToOui) {
    // Before any doubling the "Non" option can be clicked (its frame is enabled at design),
    // but there is nothing to decouple: "Oui" is selected again at once.
    auto w = shownMain();
    userClick(w->Option6);
    EXPECT_TRUE(w->Option5->isChecked());
    EXPECT_TRUE(w->Label6->isHidden());
    EXPECT_FALSE(ownEnabled(w->Option4));
}

TEST(DoublingSwitch, RebuildsThe3DPartExactlyOnceFromScratch) {
    auto w = shownMain();
    for (int i = 0; i < 2; ++i) { // on, then off
        RebuildCounter count(*w);
        w->Redraw3D = false;
        userClick(w->Check4);
        EXPECT_EQ(count.delta(), (std::array<int, 2>{0, 1}));
        EXPECT_TRUE(w->Redraw3D);
        EXPECT_TRUE(w->model().Form_Chargee);
    }
}

TEST(DoublingSwitch, OnPlacesTheDoublingHalfwayToTheAxesCrossing) {
    auto w = shownMain();
    userClick(w->Check4);
    const FormerModel& m = w->model();
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    for (int i = 0; i <= m.Der_Point; ++i) {
        const Handle& f = m.shppi[i];
        const Handle& d = m.Shape1[i];
        EXPECT_DOUBLE_EQ(d.Left, X1 + 0.5 * (f.Left - X1)) << i;
        EXPECT_DOUBLE_EQ(d.Top, Y1 + 0.5 * (f.Top - Y1)) << i;
        EXPECT_EQ(m.Pts_Doublage[i].x, d.Left);
        EXPECT_EQ(m.Pts_Doublage[i].y, d.Top);
    }
    // Slaved, the doubling's samples are the former's halfway to the crossing.
    for (int j = 0; j < m.Nb_Points; ++j) {
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[j].x, X1 + 0.5 * (m.Courbe_Droite[j].x - X1));
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[j].y, Y1 + 0.5 * (m.Courbe_Droite[j].y - Y1));
    }
}

TEST(DoublingScale, UserMovesScaleTheDoublingProgramChangesDoNot) {
    auto w = shownMain();
    userClick(w->Check4);
    const FormerModel& m = w->model();
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    auto ratio = [&](int i) { return (m.Shape1[i].Left - X1) / (m.shppi[i].Left - X1); };

    for (int e : {9, 1}) {
        RebuildCounter count(*w);
        ASSERT_TRUE(userSlide(w->Hscroll1, e));
        EXPECT_EQ(count.delta(), (std::array<int, 2>{1, 0}));
        for (int i : {1, 2, 7}) {
            EXPECT_NEAR(ratio(i), e / 10.0, 1e-12) << "scale " << e << ", point " << i;
            EXPECT_NEAR((m.Shape1[i].Top - Y1) / (m.shppi[i].Top - Y1), e / 10.0, 1e-12);
        }
    }
    // A value set by the program only moves the slider.
    w->Hscroll1->setValue(6);
    EXPECT_NEAR(ratio(2), 0.1, 1e-12);
}

TEST(MouseAction, DoublageSwitchesEveryHandleOfBothSets) {
    auto w = shownMain();
    userClick(w->Check4);
    userClick(w->Option6);
    userClick(w->Option4);
    ASSERT_TRUE(w->Option4->isChecked());
    const FormerModel& m = w->model();
    // All of them, the last one too: it is picked like the others.
    for (int i = 0; i <= m.Der_Point; ++i) {
        EXPECT_FALSE(m.shppi[i].Visible) << i;
        EXPECT_TRUE(m.Shape1[i].Visible) << i;
    }
    userClick(w->Option3);
    for (int i = 0; i <= m.Der_Point; ++i) {
        EXPECT_TRUE(m.shppi[i].Visible) << i;
        EXPECT_FALSE(m.Shape1[i].Visible) << i;
    }
    EXPECT_TRUE(m.Dessin_Actif);
}

TEST(MouseAction, BackToCoupleWhenSlavedOrWhenTheDoublingGoesOff) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->Check4);
    userClick(w->Option6);
    userClick(w->Option4);
    // "Oui" means the mouse acts on the former.
    userClick(w->Option5);
    EXPECT_TRUE(w->Option3->isChecked());
    EXPECT_TRUE(m.shppi[8].Visible);
    EXPECT_FALSE(m.Shape1[8].Visible);
    EXPECT_FALSE(ownEnabled(w->Option4));

    userClick(w->Option6);
    userClick(w->Option4);
    userClick(w->Check4); // off
    EXPECT_TRUE(w->Option3->isChecked());
    EXPECT_TRUE(m.shppi[3].Visible);
    EXPECT_FALSE(m.Shape1[3].Visible);
    expectRow(*w, kOff, "doubling off from \"Doublage\"");
}

TEST(Assembly, JointsRaiseThePointCountToSixteenAucunDoesNotLowerIt) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->Check4);
    ASSERT_TRUE(userSlide(w->Hscroll2, 12));
    ASSERT_EQ(m.Nb_Points, 12);

    RebuildCounter count(*w);
    userClick(w->Option1); // "Horizontal"
    EXPECT_EQ(w->Hscroll2->value(), 16);
    EXPECT_EQ(m.Nb_Points, 16);
    EXPECT_EQ(w->Text3->text(), "16");
    for (const auto* a :
         {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
        EXPECT_EQ(a->size(), 16u);
    // The count's handler rebuilds from scratch, the joint moves the vertices.
    EXPECT_EQ(count.delta(), (std::array<int, 2>{1, 1}));

    RebuildCounter aucun(*w);
    userClick(w->Option2);
    EXPECT_EQ(m.Nb_Points, 16);
    EXPECT_EQ(aucun.delta(), (std::array<int, 2>{1, 0}));

    ASSERT_TRUE(userSlide(w->Hscroll2, 11));
    userClick(w->Option7); // "Vertical"
    EXPECT_EQ(m.Nb_Points, 16);
    // Already at 16 or more: nothing is raised.
    ASSERT_TRUE(userSlide(w->Hscroll2, 40));
    RebuildCounter above(*w);
    userClick(w->Option1);
    EXPECT_EQ(m.Nb_Points, 40);
    EXPECT_EQ(above.delta(), (std::array<int, 2>{1, 0}));
}

// The window passes its joint to the outline: the effects on the samples, slaved at 0.5.
TEST(Assembly, HorizontalJointFlattensTheMiddleSamples) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    const double Y1 = m.Y1();
    userClick(w->Check4);
    userClick(w->Option1);
    ASSERT_EQ(m.Nb_Points, 16);
    // h = 7 and h' = 8: both former samples lie on the axis, the mirrored half keeps the
    // values it was given before.
    const std::vector<PointXYZ> fresh = freshSamples(m);
    EXPECT_EQ(m.Courbe_Droite[7].y, Y1);
    EXPECT_EQ(m.Courbe_Droite[8].y, Y1);
    EXPECT_EQ(m.Courbe_Gauche[7].y, fresh[7].y);
    EXPECT_EQ(m.Courbe_Gauche[8].y, fresh[8].y);
    EXPECT_NE(fresh[7].y, Y1);
    const auto& D = m.Doublage_Droit;
    EXPECT_EQ(D[7].y, Y1);
    EXPECT_EQ(D[7].x, m.Courbe_Droite[7].x);
    EXPECT_EQ(D[5].y, Y1);
    // Symmetric about sample 7.5.
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(D[8 + k].x, D[7 - k].x) << k;
        EXPECT_EQ(D[8 + k].y, D[7 - k].y) << k;
    }

    // Seventeen samples: h = h' = 8, sample 7 keeps its place.
    ASSERT_TRUE(userSlide(w->Hscroll2, 17));
    const std::vector<PointXYZ> fresh17 = freshSamples(m);
    EXPECT_EQ(m.Courbe_Droite[8].y, Y1);
    EXPECT_EQ(m.Courbe_Droite[7].y, fresh17[7].y);
}

TEST(Assembly, VerticalJointAddsTabsAtTopAndBottom) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    userClick(w->Check4);
    userClick(w->Option7);
    ASSERT_EQ(m.Nb_Points, 16);
    const auto& C = m.Courbe_Droite;
    const auto& D = m.Doublage_Droit;
    const auto& G = m.Doublage_Gauche;
    // Before the joint the doubling is the former at half scale; the middle is sample 7.
    const double x0 = X1 + 0.5 * (C[0].x - X1);
    const double d7 = X1 + 0.5 * (C[7].x - X1);
    const double top = Y1 + 0.5 * (C[0].y - Y1);
    EXPECT_EQ(D[0].y, C[0].y);
    EXPECT_DOUBLE_EQ(D[1].y, top + (C[0].y - top) / 2);
    EXPECT_DOUBLE_EQ(D[1].x, x0 + (C[7].x - d7) / 2);
    EXPECT_DOUBLE_EQ(D[2].x, x0);
    EXPECT_EQ(D[15].y, C[15].y);
    EXPECT_EQ(D[14].x, D[1].x);
    // The tabs keep their x on the left half too.
    EXPECT_EQ(G[1].x, D[1].x);
    EXPECT_EQ(G[14].x, D[14].x);
    EXPECT_DOUBLE_EQ(G[5].x, X1 - (D[5].x - X1));
}

} // namespace

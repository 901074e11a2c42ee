#include "editing_test_support.h"

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

TEST(EnabledStates, DesignStateHoldsUntilTheFirstUpdateThenFollowsTheTable) {
    auto w = shownMain();
    expectRow(*w, kDesign, "after start-up");
    EXPECT_TRUE(w->Option2->isChecked());
    EXPECT_TRUE(w->Option3->isChecked());
    EXPECT_TRUE(w->Option5->isChecked());
    // The scale can be moved while the doubling is off; its first move switches the
    // doubling's controls off.
    ASSERT_TRUE(userSlide(w->Hscroll1, 7));
    expectRow(*w, kOff, "after the first scale move");

    userClick(w->Check4);
    expectRow(*w, kSlaved, "doubling on, slaved");
    userClick(w->Option6); // "Non"
    expectRow(*w, kDecoupled, "doubling on, decoupled");
    userClick(w->Check4);
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

TEST(DoublingSwitch, PlacesTheDoublingAndRebuildsThe3DPartExactlyOnce) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    for (int i = 0; i < 2; ++i) { // on, then off
        RebuildCounter count(*w);
        w->Redraw3D = false;
        userClick(w->Check4);
        EXPECT_EQ(count.delta(), (std::array<int, 2>{0, 1}));
        EXPECT_TRUE(w->Redraw3D);
        if (i == 0) {
            FormerModel placed = m;
            PlaceDoubling(placed, 5);
            EXPECT_EQ(m.Pts_Doublage, placed.Pts_Doublage) << "halfway to the axes' crossing";
            EXPECT_DOUBLE_EQ(m.Doublage_Droit[3].x, m.X1() + 0.5 * (m.Courbe_Droite[3].x - m.X1()));
        }
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
    w->Hscroll1->setValue(6);
    EXPECT_NEAR(ratio(2), 0.1, 1e-12);
}

TEST(Assembly, JointsRaiseThePointCountToSixteenAucunDoesNotLowerIt) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->Check4);
    ASSERT_TRUE(userSlide(w->Hscroll2, 12));
    RebuildCounter count(*w);
    userClick(w->Option1); // "Horizontal"
    EXPECT_EQ(w->Hscroll2->value(), 16);
    EXPECT_EQ(m.Nb_Points, 16);
    EXPECT_EQ(w->Text3->text(), "16");
    EXPECT_EQ(m.Doublage_Gauche.size(), 16u);
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

// The joints' effects on the samples are pinned down by the outline's own tests; here, that the
// window hands the chosen joint and the slaved doubling to it.
TEST(Assembly, TheWindowPassesItsJointToTheOutline) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "Vertical" : "Horizontal");
        auto w = shownMain();
        const FormerModel& m = w->model();
        userClick(w->Check4);
        userClick(vertical ? w->Option7 : w->Option1);
        FormerModel expected = m;
        DisegnaCurva(expected, {.doubling = true, .vertical = vertical, .horizontal = !vertical},
                     nullptr);
        EXPECT_EQ(m.Courbe_Droite, expected.Courbe_Droite);
        EXPECT_EQ(m.Courbe_Gauche, expected.Courbe_Gauche);
        EXPECT_EQ(m.Doublage_Droit, expected.Doublage_Droit);
        EXPECT_EQ(m.Doublage_Gauche, expected.Doublage_Gauche);
    }
}

} // namespace

#include "editing_test_support.h"

namespace {

const char* const kDesign = "Frame2- Frame4- Frame6+ Hscroll1+ Option4- Mode Asservi";
const char* const kOff = "Frame2- Frame4- Frame6- Hscroll1- Option4- Mode asservi (hidden)";
const char* const kSlaved = "Frame2+ Frame4+ Frame6+ Hscroll1+ Option4- Mode asservi";
const char* const kDecoupled = "Frame2+ Frame4+ Frame6+ Hscroll1+ Option4+ Mode découplé";

TEST(EnabledStates, DesignStateHoldsUntilTheFirstUpdateThenFollowsTheTable) {
    auto w = shownMain();
    EXPECT_EQ(doublingLook(*w), kDesign);
    EXPECT_TRUE(w->ui().Option2->isChecked() && w->ui().Option3->isChecked() &&
                w->ui().Option5->isChecked());
    // The scale can be moved while the doubling is off; its first move switches the doubling's
    // controls off.
    ASSERT_TRUE(userSlide(w->ui().Hscroll1, 7));
    EXPECT_EQ(doublingLook(*w), kOff);
    // "On / Off", "Non", "On / Off" (which selects "Oui" again) and "On / Off" once more.
    const std::pair<QAbstractButton*, const char*> clicks[] = {{w->ui().Check4, kSlaved},
                                                               {w->ui().Option6, kDecoupled},
                                                               {w->ui().Check4, kOff},
                                                               {w->ui().Check4, kSlaved}};
    for (const auto& [button, look] : clicks) {
        userClick(button);
        EXPECT_EQ(doublingLook(*w), look) << "after " << button->objectName().toStdString();
        EXPECT_EQ(w->ui().Option5->isChecked(), look != kDecoupled);
    }
}

TEST(EnabledStates, NonWithTheDoublingOffFallsBackToOui) {
    // Before any doubling the "Non" option can be clicked (its frame is enabled at design),
    // but there is nothing to decouple: "Oui" is selected again at once.
    auto w = shownMain();
    userClick(w->ui().Option6);
    EXPECT_TRUE(w->ui().Option5->isChecked());
    EXPECT_TRUE(doublingLook(*w).ends_with("Option4- Mode asservi (hidden)")) << doublingLook(*w);
}

TEST(DoublingSwitch, PlacesTheDoublingAndRebuildsThe3DPartExactlyOnce) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    for (int i = 0; i < 2; ++i) { // on, then off
        RebuildCounter count(*w);
        w->Redraw3D() = false;
        userClick(w->ui().Check4);
        EXPECT_EQ(count.delta(), (std::array<int, 2>{0, 1}));
        EXPECT_TRUE(w->Redraw3D());
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
    userClick(w->ui().Check4);
    const FormerModel& m = w->model();
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    auto ratio = [&](int i) { return (m.Shape1[i].Left - X1) / (m.shppi[i].Left - X1); };
    for (int e : {9, 1}) {
        RebuildCounter count(*w);
        ASSERT_TRUE(userSlide(w->ui().Hscroll1, e));
        EXPECT_EQ(count.delta(), (std::array<int, 2>{1, 0}));
        for (int i : {1, 2, 7}) {
            EXPECT_NEAR(ratio(i), e / 10.0, 1e-12) << "scale " << e << ", point " << i;
            EXPECT_NEAR((m.Shape1[i].Top - Y1) / (m.shppi[i].Top - Y1), e / 10.0, 1e-12);
        }
    }
    w->ui().Hscroll1->setValue(6);
    EXPECT_NEAR(ratio(2), 0.1, 1e-12);
}

// A joint raises the point count to 16 through the count's handler (a rebuild from scratch);
// the joint itself moves the vertices in place. "Aucun" and counts of 16 or more stay.
TEST(Assembly, JointsRaiseThePointCountToSixteenAucunDoesNotLowerIt) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->ui().Check4);
    const struct {
        const char* what;
        int count;
        QRadioButton* option;
        int raised;
        std::array<int, 2> rebuilds;
    } rows[] = {{"\"Horizontal\" from 12", 12, w->ui().Option1, 16, {1, 1}},
                {"\"Aucun\" from 16", 16, w->ui().Option2, 16, {1, 0}},
                {"\"Vertical\" from 11", 11, w->ui().Option7, 16, {1, 1}},
                {"\"Horizontal\" from 40", 40, w->ui().Option1, 40, {1, 0}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(userSlide(w->ui().Hscroll2, row.count));
        const RebuildCounter rebuilds(*w);
        userClick(row.option);
        EXPECT_EQ(m.Nb_Points, row.raised);
        EXPECT_EQ(w->ui().Hscroll2->value(), row.raised);
        EXPECT_EQ(w->ui().Text3->text(), QString::number(row.raised));
        EXPECT_EQ(m.Doublage_Gauche.size(), static_cast<std::size_t>(row.raised));
        EXPECT_EQ(rebuilds.delta(), row.rebuilds);
    }
}

// The joints' effects on the samples are pinned down by the outline's own tests; here, that the
// window hands the chosen joint and the slaved doubling to it.
TEST(Assembly, TheWindowPassesItsJointToTheOutline) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "Vertical" : "Horizontal");
        auto w = shownMain();
        const FormerModel& m = w->model();
        userClick(w->ui().Check4);
        userClick(vertical ? w->ui().Option7 : w->ui().Option1);
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

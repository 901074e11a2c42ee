#include "editing_test_support.h"

#include "editor/number_box.h"

#include <QAction>
#include <QTest>

#include <algorithm>
#include <cmath>

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

// The smallest distance from a point to a closed polyline.
double distanceTo(const PointXYZ& p, const std::vector<PointXYZ>& ring) {
    double best = 1e300;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PointXYZ& a = ring[i];
        const PointXYZ& b = ring[(i + 1) % ring.size()];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return best;
}

// "Largeur constante": the doubling is the former offset inwards by the width typed in real
// millimetres, follows a drag, is told and drawn none when the former cannot hold it, goes on
// decoupled from its own outline, and is one undo step.
TEST(ConstantWidth, OffsetByTheWidthInRealMillimetresEverywhere) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->ui().Check4);
    QApplication::processEvents(); // each user action its own step
    EXPECT_FALSE(w->ui().txtDoublingWidth->isVisible());
    userClick(w->ui().optConstantWidth);
    QApplication::processEvents();
    EXPECT_TRUE(w->ui().txtDoublingWidth->isVisible());
    EXPECT_FALSE(w->ui().Hscroll1->isVisible()) << "\"Epaisseur\" is the proportional one's";
    auto typeWidth = [&w](const char* text) {
        NumberBox* box = w->ui().txtDoublingWidth;
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::fromUtf8(text));
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
    };
    // At the real scale 2, 6 real millimetres are 3 of the drawing.
    w->session().setRealScale(2.0);
    typeWidth("6");
    EXPECT_EQ(w->ui().IM_Undo->text(), "&Annuler : régler « Largeur (mm) »");
    auto expectRing = [&m](double width) {
        std::vector<PointXYZ> outer(m.Courbe_Droite.begin(), m.Courbe_Droite.end());
        outer.insert(outer.end(), m.Courbe_Gauche.rbegin(), m.Courbe_Gauche.rend());
        for (const auto* half : {&m.Doublage_Droit, &m.Doublage_Gauche})
            for (const PointXYZ& p : *half)
                EXPECT_NEAR(distanceTo(p, outer), width, 0.01);
    };
    expectRing(3.0);
    dragHandle(*w, m.shppi[4], {m.X1() + 40.0, m.Y1()});
    expectRing(3.0);
    EXPECT_TRUE(w->session().doublingDrawn());

    // Wider than the former can hold: refused in the box, the width kept.
    typeWidth("80");
    EXPECT_TRUE(w->ui().txtDoublingWidth->property("refused").toBool());
    EXPECT_TRUE(w->statusText().contains("plus petite largeur intérieure"));
    EXPECT_EQ(w->session().work().doublingWidth, 6.0);
    // A former pinched under the width (8 mm of the drawing each side of a 14 mm neck):
    // nothing drawn, told, no doubling in the files.
    typeWidth("16");
    for (const int i : {3, 4, 5}) {
        dragHandle(*w, m.shppi[static_cast<std::size_t>(i)],
                   {m.X1() + 0.5, m.Y1() + 10.0 * (i - 4)});
        QApplication::processEvents();
    }
    EXPECT_FALSE(w->session().doublingDrawn());
    EXPECT_FALSE(w->statusText().isEmpty());
    EXPECT_EQ(countColour(w->ui().Picture1->grab().toImage(), QColor(0, 0, 255)), 0);
    EXPECT_EQ(w->session().realSizePiece(5).paths.size(), 1u) << "the former alone";
    for (int i = 0; i < 4; ++i)
        w->ui().IM_Undo->trigger();
    EXPECT_TRUE(w->session().doublingDrawn());
    EXPECT_EQ(w->session().work().doublingWidth, 6.0);

    // Decoupled, the doubling's own control points start on the offset outline.
    userClick(w->ui().Option6);
    const std::vector<PointXYZ> offset = m.Doublage_Droit;
    for (std::size_t i = 0; i < m.Pts_Doublage.size(); ++i) {
        EXPECT_EQ(m.Shape1[i].Left, m.Pts_Doublage[i].x);
        EXPECT_EQ(m.Shape1[i].Top, m.Pts_Doublage[i].y);
    }
    for (const PointXYZ& p : m.Doublage_Droit)
        EXPECT_LT(distanceTo(p, offset), 0.05) << "the fitted curve follows the offset";
}

} // namespace

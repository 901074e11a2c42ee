#include "editor_test_support.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <cmath>

namespace {

// A user step on a slider, through the keyboard as a user would do it.
void userStep(QSlider* s, Qt::Key key) {
    s->setFocus();
    QTest::keyClick(s, key);
}

TEST(PointCount, EveryChangeResamplesAndAnAssemblyRaisesItToSixteen) {
    ScriptedEditor w;
    const FormerModel& m = w.model();
    w.Redraw3D() = false;
    w.ui().Hscroll2->setValue(20); // a program change runs the handler too
    EXPECT_EQ(m.Nb_Points, 20);
    EXPECT_EQ(w.ui().Text3->text(), "20");
    for (const auto* a :
         {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
        EXPECT_EQ(a->size(), 20u);
    // Re-sampled over the new count: the ends are the end points again.
    EXPECT_EQ(m.Courbe_Droite.back().x, m.Pts_Couple.back().x);
    EXPECT_EQ(m.Courbe_Droite.back().y, m.Pts_Couple.back().y);
    EXPECT_TRUE(w.Redraw3D());

    // Without an assembly the count may go below sixteen; with one a user step below is
    // raised back (choosing a joint raises it too: that is checked with the assembly options).
    w.ui().Hscroll2->setValue(13);
    userStep(w.ui().Hscroll2, Qt::Key_Left);
    EXPECT_EQ(m.Nb_Points, 12);
    EXPECT_EQ(w.ui().Text3->text(), "12");
    for (QRadioButton* joint : {w.ui().Option1, w.ui().Option7}) { // "Horizontal", "Vertical"
        joint->setChecked(true);
        userStep(w.ui().Hscroll2, Qt::Key_Left);
        EXPECT_EQ(w.ui().Hscroll2->value(), 16);
        EXPECT_EQ(m.Nb_Points, 16);
        EXPECT_EQ(w.ui().Text3->text(), "16");
        EXPECT_EQ(m.Courbe_Droite.size(), 16u);
    }
    userStep(w.ui().Hscroll2, Qt::Key_Right); // at sixteen and above the count is left alone
    EXPECT_EQ(m.Nb_Points, 17);
}

TEST(SplineOrder, OnlyUserMovesSetTheOrder) {
    ScriptedEditor w;
    const FormerModel& m = w.model();
    const auto before = m.Courbe_Droite;
    w.ui().Hscroll3->setValue(2);
    EXPECT_EQ(m.Ordre_Spline, 9) << "a value set by the program must not run the handler";
    w.ui().Hscroll3->setValue(4);
    w.Redraw3D() = false;
    // The first user move sets the order to the slider's position, not one step from 9.
    userStep(w.ui().Hscroll3, Qt::Key_Right);
    EXPECT_EQ(m.Ordre_Spline, 5);
    EXPECT_TRUE(w.Redraw3D());
    EXPECT_NE(m.Courbe_Droite[3].x, before[3].x) << "the outline is re-sampled";
    userStep(w.ui().Hscroll3, Qt::Key_Home);
    EXPECT_EQ(m.Ordre_Spline, 1);

    // A user action that moves nothing leaves no pending move for a later program change.
    w.ui().Hscroll3->setValue(9);
    userStep(w.ui().Hscroll3, Qt::Key_Right);
    EXPECT_EQ(m.Ordre_Spline, 1);
    w.ui().Hscroll3->setValue(3);
    EXPECT_EQ(m.Ordre_Spline, 1);

    // Dragging the thumb sets it too. With order 2 the samples lie on the control polygon: the
    // right side is straight.
    dragSlider(w.ui().Hscroll3, 2);
    EXPECT_EQ(m.Ordre_Spline, 2);
    int onSide = 0;
    for (const PointXYZ& c : m.Courbe_Droite)
        onSide += std::abs(c.x - 86.783) < 1e-9;
    EXPECT_GE(onSide, 3);
}

} // namespace

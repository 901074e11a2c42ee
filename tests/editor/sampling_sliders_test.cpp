#include "editor_test_support.h"

#include <QSlider>

#include <cmath>

namespace {

// A user step on a slider, through the keyboard as a user would do it.
void userStep(QSlider* s, Qt::Key key) {
    s->setFocus();
    QTest::keyClick(s, key);
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

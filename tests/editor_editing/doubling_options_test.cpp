#include "editing_test_support.h"

#include "editor/number_box.h"

#include <QAction>
#include <QTest>

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

// "Largeur constante" in the window (the offset itself is the core's and the session's): its box
// shows in place of "Epaisseur", a width is one undo step, one the former cannot hold is refused
// in the box, and a former pinched under the width draws and writes no doubling.
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
    w->session().setRealScale(2.0);
    typeWidth("6");
    EXPECT_EQ(w->ui().IM_Undo->text(), "&Annuler : régler « Largeur (mm) »");
    dragHandle(*w, m.shppi[4], {m.X1() + 40.0, m.Y1()});
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
}

} // namespace

#include "editor_test_support.h"

#include "editor/application.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRadioButton>

#include <QGroupBox>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The former's own geometry is pinned down by the core tests; here, that the window's start-up
// sequence runs its steps with their quirks.
TEST(StartUp, CountsOrderAndTheCorrectedEndPoints) {
    ScriptedEditor w;
    const FormerModel& m = w.model();
    // The order is the point count plus one while its slider shows 4.
    EXPECT_EQ((std::vector<int>{m.Nb_Points, m.Ordre_Spline, w.ui().Hscroll3->value(),
                                w.ui().Hscroll2->value(), w.ui().Hscroll1->value()}),
              (std::vector<int>{13, 9, 4, 13, 5}));
    EXPECT_EQ(w.ui().Text3->text(), "13");
    for (const auto* a :
         {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
        EXPECT_EQ(a->size(), 13u);
    EXPECT_TRUE(w.Redraw3D());
    // End points on the axis, and the outline sampled again from them before the window
    // shows: it starts and ends exactly on the axis.
    const PointXYZ ends[] = {m.Pts_Couple[0], m.Pts_Couple[8], m.Courbe_Droite.front(),
                             m.Courbe_Droite.back()};
    for (const PointXYZ& p : ends)
        EXPECT_EQ(p.x, m.X1()) << &p - ends;
    EXPECT_EQ(m.Courbe_Droite.front().y, m.Pts_Couple[0].y);
}

TEST(StartUp, SurfaceSizeGivenBeforeStartUpPlacesTheAxes) {
    // Fractions of a millimetre are kept exactly.
    for (const QSizeF mm : {QSizeF(200, 150), QSizeF(120.5, 99.25)}) {
        ScriptedEditor w(mm);
        EXPECT_EQ(QSizeF(w.ui().Picture1->ScaleWidth(), w.ui().Picture1->ScaleHeight()), mm);
        EXPECT_EQ(QPointF(w.model().X1(), w.model().Y1()), QPointF(mm.width(), mm.height()) / 2);
        EXPECT_EQ(w.model().Pts_Couple[0].x, mm.width() / 2);
    }
}

// The captions of the tabs and frames, and the toolbar's buttons (the menus are checked with
// their actions).
TEST(StartUp, CaptionsAndToolbar) {
    ScriptedEditor w;
    EXPECT_EQ(
        (QStringList{w.ui().SSTab1->tabText(0), w.ui().SSTab1->tabText(1), w.ui().Frame2->title(),
                     w.ui().Frame4->title(), w.ui().Frame6->title()}),
        (QStringList{"Dessin", "Masque", "Assemblage", "Action Souris", "Mouvements asservis"}));
    EXPECT_EQ(w.ui().SSTab1->currentIndex(), 0);

    const std::vector<std::tuple<int, QString, QString>> buttons = {
        {0, "Ouvrir un Projet", ""}, {1, "Enregistrer le Projet", ""},
        {2, "Pointillés", "1"},      {3, "Vue Points", "1"},
        {5, "Poignées", "0"},        {10, "Axes On/Off", "0"},
        {11, "Vue 3D", "0"},         {14, "Grille On/Off", "0"}};
    for (const auto& [index, tooltip, tag] : buttons) {
        QToolButton* b = w.ui().pb1(index);
        ASSERT_NE(b, nullptr) << index;
        EXPECT_EQ(b->toolTip(), tooltip);
        EXPECT_EQ(w.pb1Tag(index), tag);
        EXPECT_FALSE(b->icon().isNull()) << index;
    }
    for (int index : {4, 6, 7, 8, 9, 12, 13, 15})
        EXPECT_EQ(w.ui().pb1(index), nullptr) << index;

    // Every caption shows whole at the design size, inside its frame, whichever of the
    // doubling's modes shows its row.
    const auto shown = shownMain();
    for (QAbstractButton* mode : {shown->ui().optConstantWidth, shown->ui().optProportional}) {
        mode->click();
        for (QWidget* c : shown->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<QLabel*>(c);
            const auto* button = qobject_cast<QAbstractButton*>(c);
            const QString text = label ? label->text() : button ? button->text() : QString();
            if (text.isEmpty() || qobject_cast<QToolButton*>(c) || !c->isVisibleTo(shown.get()) ||
                (label && label->wordWrap()))
                continue;
            SCOPED_TRACE(c->objectName().toStdString() + " \"" + text.toStdString() + "\"");
            EXPECT_GE(c->width(), c->sizeHint().width());
            EXPECT_LE(c->geometry().right(), c->parentWidget()->contentsRect().right());
        }
    }
}

// On a wide and on a tall surface.
TEST(StartUp, ShownWindowDrawsGridOutlineHandlesAndAxes) {
    for (const QSizeF mm : {QSizeF(150, 90), QSizeF(60, 180)}) {
        SCOPED_TRACE(testing::Message() << mm.width() << "x" << mm.height());
        auto w = shownMain(mm);
        const FormerModel& m = w->model();
        const QImage shot = w->ui().Picture1->grab().toImage();
        const double k = w->ui().Picture1->pixelsPerMm() * shot.devicePixelRatio();
        const int row = static_cast<int>(m.Y1() * k);
        const int axis = deviceX(*w->ui().Picture1, shot, m.X1());
        EXPECT_GT(countColour(shot, kGridGreen), 100);
        // Right half yellow, left half red (only the outline is red left of the axis).
        EXPECT_GT(countColour(shot, kYellow, QRect(axis + 2, 0, shot.width(), shot.height())), 50);
        EXPECT_GT(countColour(shot, kRed, QRect(0, 0, axis - 2, shot.height())), 50);
        EXPECT_GT(countColour(shot, QColor(255, 0, 255)), 10); // the end handles
        // Grey axes from one edge of the surface to the other.
        const QColor grey(128, 128, 128);
        EXPECT_GT(countColour(shot, grey, QRect(0, row - 1, shot.width(), 3)),
                  shot.width() * 3 / 4);
        EXPECT_GT(countColour(shot, grey, QRect(axis - 1, 0, 3, shot.height())),
                  shot.height() * 3 / 4);
        // The grid covers the whole surface: every 10 mm band, down to the bottom, holds lines.
        const QImage bg = w->ui().Picture1->backgroundLayer();
        const int band = bg.height() * 10 / qRound(mm.height());
        for (int top = 0; top + band <= bg.height(); top += band)
            EXPECT_GT(countColour(bg, kGridGreen, QRect(0, top, bg.width(), band)), 0) << top;
    }
}

// Over a long session the memory held stayed flat while the process grew: after each larger
// temporary image the C library kept that much free memory. Once the programs are set up, a
// large temporary goes back to the system when freed, whatever came before it, and little free
// memory stays at the top of the heap.
TEST(StartUp, FreedLargeTemporariesGoBackToTheSystem) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "another allocator than the C library's";
#else
    setUpApplication();
    malloc_trim(0); // what the tests before left free, as a program starts without it
    auto held = [] {
        const struct mallinfo2 m = mallinfo2();
        return m.arena + m.hblkhd; // the heap and the blocks mapped apart
    };
    // Larger first, then smaller ones that a raised threshold would take from the heap, and one
    // just above the large block's size.
    for (const std::size_t mib : {24u, 12u, 6u, 3u, 16u, 2u}) {
        SCOPED_TRACE(testing::Message() << mib << " MiB");
        const std::size_t before = held();
        const std::size_t size = mib << 20;
        auto* temporary = static_cast<char*>(std::malloc(size));
        ASSERT_NE(temporary, nullptr);
        std::memset(temporary, 1, size); // as an image is written
        std::free(temporary);
        EXPECT_LE(held(), before + kFreeKeptAtTop);
        EXPECT_LE(mallinfo2().keepcost, static_cast<std::size_t>(kFreeKeptAtTop));
    }
#endif
}

} // namespace

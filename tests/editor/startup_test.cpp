#include "editor_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The former's own geometry is pinned down by the core tests; here, that the window's start-up
// sequence runs its steps with their quirks.
TEST(StartUp, CountsOrderAndTheCorrectedEndPoints) {
    Main w;
    const FormerModel& m = w.model();
    // The order is the point count plus one while its slider shows 4.
    EXPECT_EQ(m.Nb_Points, 13);
    EXPECT_EQ(m.Ordre_Spline, 9);
    EXPECT_EQ(w.Hscroll3->value(), 4);
    EXPECT_EQ(w.Hscroll2->value(), 13);
    EXPECT_EQ(w.Text3->text(), "13");
    EXPECT_EQ(w.Hscroll1->value(), 5);
    for (const auto* a :
         {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
        EXPECT_EQ(a->size(), 13u);
    EXPECT_TRUE(m.Form_Chargee);
    EXPECT_TRUE(m.Dessin_Actif);
    EXPECT_TRUE(w.Redraw3D);
    // End points on the axis, and the outline sampled again from them before the window
    // shows: it starts and ends exactly on the axis.
    EXPECT_EQ(m.Pts_Couple[0].x, m.X1());
    EXPECT_EQ(m.Pts_Couple[8].x, m.X1());
    EXPECT_EQ(m.Courbe_Droite.front().x, m.X1());
    EXPECT_EQ(m.Courbe_Droite.front().y, m.Pts_Couple[0].y);
    EXPECT_EQ(m.Courbe_Droite.back().x, m.X1());
}

TEST(StartUp, SurfaceSizeGivenBeforeStartUpPlacesTheAxes) {
    Main w(QSizeF(200, 150));
    EXPECT_EQ(w.Picture1->ScaleWidth(), 200.0);
    EXPECT_EQ(w.Picture1->ScaleHeight(), 150.0);
    EXPECT_EQ(w.model().X1(), 100.0);
    EXPECT_EQ(w.model().Y1(), 75.0);
    EXPECT_EQ(w.model().Pts_Couple[0].x, 100.0);
    // Fractions of a millimetre are kept exactly.
    Main v(QSizeF(120.5, 99.25));
    EXPECT_EQ(v.model().X1(), 60.25);
    EXPECT_EQ(v.model().Y1(), 49.625);
}

TEST(StartUp, CaptionsMenusAndToolbar) {
    Main w;
    EXPECT_EQ(w.windowTitle(), "EDITEUR de COUPLES");
    EXPECT_EQ(w.SSTab1->tabText(0), "Dessin");
    EXPECT_EQ(w.SSTab1->tabText(1), "Masque");
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    EXPECT_EQ(w.Frame2->title(), "Assemblage");
    EXPECT_EQ(w.Frame4->title(), "Action Souris");
    EXPECT_EQ(w.Frame6->title(), "Mouvements asservis");
    EXPECT_EQ(w.IM_File->title(), "&Fichiers");
    QStringList file;
    for (const QAction* a : w.IM_File->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, QStringList({"&Ouvrir un couple...", "&Enregistrer le couple",
                                 "Enregistrer le couple so&us...", "-", "&Charger", "-",
                                 "&Sauvegarder 1/2 couple Gauche", "&Sauvegarder 1/2 couple Droit",
                                 "-", "&Sauvegarder 1/2 couple Haut", "&Sauvegarder 1/2 couple Bas",
                                 "-", "&Sauvegarder Couple Entier", "-", "&Quitter"}));

    const std::vector<std::tuple<int, QString, QString>> buttons = {
        {0, "Ouvrir un Projet", ""}, {1, "Enregistrer le Projet", ""},
        {2, "Pointillés", "1"},      {3, "Vue Points", "1"},
        {5, "Poignées", "0"},        {10, "Axes On/Off", "0"},
        {11, "Vue 3D", "0"},         {14, "Grille On/Off", "0"}};
    for (const auto& [index, tooltip, tag] : buttons) {
        QToolButton* b = w.pb1(index);
        ASSERT_NE(b, nullptr) << index;
        EXPECT_EQ(b->toolTip(), tooltip);
        EXPECT_EQ(w.pb1Tag(index), tag);
        EXPECT_FALSE(b->icon().isNull()) << index;
    }
    for (int index : {4, 6, 7, 8, 9, 12, 13, 15})
        EXPECT_EQ(w.pb1(index), nullptr) << index;
}

TEST(StartUp, ShownWindowDrawsGridOutlineHandlesAndAxes) {
    auto w = shownMain(QSizeF(150, 90));
    const FormerModel& m = w->model();
    const QImage shot = w->Picture1->grab().toImage();
    const double k = w->Picture1->pixelsPerMm() * shot.devicePixelRatio();
    const int row = static_cast<int>(m.Y1() * k);
    const int axis = deviceX(*w->Picture1, shot, m.X1());
    EXPECT_GT(countColour(shot, kGridGreen), 100);
    // Right half yellow, left half red (only the outline is red left of the axis).
    EXPECT_GT(countColour(shot, kYellow, QRect(axis + 2, 0, shot.width(), shot.height())), 50);
    EXPECT_GT(countColour(shot, kRed, QRect(0, 0, axis - 2, shot.height())), 50);
    EXPECT_GT(countColour(shot, QColor(255, 0, 255)), 10); // the end handles
    // Grey axes from one edge of the surface to the other.
    const QColor grey(128, 128, 128);
    EXPECT_GT(countColour(shot, grey, QRect(0, row - 1, shot.width(), 3)), shot.width() * 3 / 4);
    EXPECT_GT(countColour(shot, grey, QRect(axis - 1, 0, 3, shot.height())), shot.height() * 3 / 4);
}

} // namespace

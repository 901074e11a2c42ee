#include "editor_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

namespace {

TEST(StartUp, CountsAndOrderKeepTheirQuirks) {
    Main w;
    const FormerModel& m = w.model();
    // The order is the point count plus one while its slider shows 4; the point count went
    // through 12 and then 13.
    EXPECT_EQ(m.Nb_Points, 13);
    EXPECT_EQ(m.Ordre_Spline, 9);
    EXPECT_EQ(w.Hscroll3->value(), 4);
    EXPECT_EQ(w.Hscroll3->maximum(), 9);
    EXPECT_EQ(w.Hscroll2->value(), 13);
    EXPECT_EQ(w.Text3->text(), "13");
    EXPECT_EQ(w.Hscroll1->value(), 5);
    EXPECT_FALSE(w.Check4->isChecked());
    for (const auto* a :
         {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
        EXPECT_EQ(a->size(), 13u);
    EXPECT_TRUE(m.Form_Chargee);
    EXPECT_TRUE(m.Dessin_Actif);
    EXPECT_TRUE(w.Redraw3D);
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
}

TEST(StartUp, InitialFormerSitsOnTheAxes) {
    Main w;
    const FormerModel& m = w.model();
    ASSERT_EQ(m.Pts_Couple.size(), 9u);
    EXPECT_EQ(m.X1(), 60.0);
    EXPECT_EQ(m.Y1(), 50.0);
    // The end points are on the axis while their handles are centred on it.
    EXPECT_EQ(m.Pts_Couple[0].x, m.X1());
    EXPECT_EQ(m.Pts_Couple[8].x, m.X1());
    EXPECT_DOUBLE_EQ(m.shppi[0].Left, m.X1() - m.shppi[0].Width / 2);
    EXPECT_DOUBLE_EQ(m.shppi[8].Left, m.X1() - m.shppi[8].Width / 2);
    for (int i = 2; i <= 6; ++i)
        EXPECT_EQ(m.Pts_Couple[i].x, 86.783) << "point " << i;
    EXPECT_EQ(m.Pts_Couple[4].y, m.Y1());
    EXPECT_EQ(m.Pts_Couple[1].x, m.Pts_Couple[7].x);
    EXPECT_DOUBLE_EQ(m.Pts_Couple[1].x, (m.shppi[0].Left + 86.783) / 2);
    for (const Handle& h : m.shppi) {
        EXPECT_TRUE(h.Visible);
        EXPECT_EQ(h.Tag, "");
    }
}

TEST(StartUp, OutlineStartsExactlyOnTheAxis) {
    // Sampled again from the corrected points before the window shows, so the first and
    // last samples are the end points themselves, not their handles' corners.
    Main w;
    const FormerModel& m = w.model();
    EXPECT_EQ(m.Courbe_Droite.front().x, m.X1());
    EXPECT_EQ(m.Courbe_Droite.front().y, m.Pts_Couple[0].y);
    EXPECT_EQ(m.Courbe_Droite.back().x, m.X1());
    for (std::size_t j = 0; j < m.Courbe_Droite.size(); ++j) {
        EXPECT_EQ(m.Courbe_Gauche[j].x, m.X1() - (m.Courbe_Droite[j].x - m.X1()));
        EXPECT_EQ(m.Courbe_Gauche[j].y, m.Courbe_Droite[j].y);
    }
}

TEST(StartUp, SurfaceSizeGivenBeforeStartUpPlacesTheAxes) {
    Main w(QSizeF(200, 150));
    EXPECT_EQ(w.Picture1->ScaleWidth(), 200.0);
    EXPECT_EQ(w.Picture1->ScaleHeight(), 150.0);
    EXPECT_EQ(w.model().X1(), 100.0);
    EXPECT_EQ(w.model().Y1(), 75.0);
    EXPECT_EQ(w.model().Line1.Y2, 150.0);
    EXPECT_EQ(w.model().Pts_Couple[0].x, 100.0);
    // Fractions of a millimetre are kept exactly.
    Main v(QSizeF(120.5, 99.25));
    EXPECT_EQ(v.model().X1(), 60.25);
    EXPECT_EQ(v.model().Y1(), 49.625);
}

TEST(StartUp, ControlsShowTheirDesignState) {
    Main w;
    EXPECT_EQ(w.windowTitle(), "EDITEUR de COUPLES");
    EXPECT_EQ(w.SSTab1->tabText(0), "Dessin");
    EXPECT_EQ(w.SSTab1->tabText(1), "Masque");
    // Options and frames as designed; start-up runs neither mode procedure.
    EXPECT_TRUE(w.Option2->isChecked());
    EXPECT_TRUE(w.Option3->isChecked());
    EXPECT_TRUE(w.Option5->isChecked());
    EXPECT_FALSE(w.Frame2->isEnabled());
    EXPECT_FALSE(w.Frame4->isEnabled());
    EXPECT_TRUE(w.Option4->testAttribute(Qt::WA_ForceDisabled)); // disabled on its own
    EXPECT_TRUE(w.Frame6->isEnabled());
    EXPECT_TRUE(w.Hscroll1->isEnabled());
    EXPECT_EQ(w.Label6->text(), "Mode Asservi");
    EXPECT_FALSE(w.Label6->isHidden());
    EXPECT_FALSE(w.Frame8->isEnabled());
    EXPECT_FALSE(w.Frame9->isEnabled());
    EXPECT_EQ(w.Command4->property("tag").toString(), "0");
    EXPECT_EQ(w.Frame2->title(), "Assemblage");
    EXPECT_EQ(w.Frame4->title(), "Action Souris");
    EXPECT_EQ(w.Frame6->title(), "Mouvements asservis");
    EXPECT_EQ(w.Label4->text(), "^");
}

TEST(StartUp, MenusCarryTheirCaptions) {
    Main w;
    EXPECT_EQ(w.IM_File->title(), "&Fichiers");
    EXPECT_EQ(w.IM_PREFER->title(), "&Outils");
    EXPECT_EQ(w.IM_HELP->title(), "&Aide");
    QStringList file;
    for (const QAction* a : w.IM_File->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, QStringList({"&Charger", "-", "&Sauvegarder 1/2 couple Gauche",
                                 "&Sauvegarder 1/2 couple Droit", "-",
                                 "&Sauvegarder 1/2 couple Haut", "&Sauvegarder 1/2 couple Bas", "-",
                                 "&Sauvegarder Couple Entier", "-", "&Quitter"}));
    EXPECT_EQ(w.IM_BACKCOLOR->text(), "&MsPaint");
    EXPECT_EQ(w.IM_HRELP->text(), "&Aide");
    EXPECT_EQ(w.IM_ABOUT->text(), "&A propos");
}

TEST(StartUp, ToolbarHasEveryButtonWithItsTooltipAndTag) {
    Main w;
    const std::vector<std::tuple<int, QString, QString>> expected = {
        {0, "Ouvrir un Projet", ""}, {1, "Enregistrer le Projet", ""},
        {2, "Pointillés", "1"},      {3, "Vue Points", "1"},
        {5, "Poignées", "0"},        {10, "Axes On/Off", "0"},
        {11, "Vue 3D", "0"},         {14, "Grille On/Off", "0"}};
    for (const auto& [index, tooltip, tag] : expected) {
        QToolButton* b = w.pb1(index);
        ASSERT_NE(b, nullptr) << index;
        EXPECT_EQ(b->toolTip(), tooltip);
        EXPECT_EQ(w.pb1Tag(index), tag);
        EXPECT_FALSE(b->icon().isNull()) << index;
    }
    for (int index : {4, 6, 7, 8, 9, 12, 13, 15})
        EXPECT_EQ(w.pb1(index), nullptr) << index;
}

TEST(StartUp, ShownWindowDrawsGridOutlineAndHandles) {
    auto w = shownMain();
    const QImage shot = w->Picture1->grab().toImage();
    const PictureBox& p = *w->Picture1;
    const int axis = deviceX(p, shot, w->model().X1());
    EXPECT_GT(countColour(shot, kGridGreen), 100);
    // Right half yellow, left half red (only the outline is red left of the axis).
    EXPECT_GT(countColour(shot, kYellow, QRect(axis + 2, 0, shot.width(), shot.height())), 50);
    EXPECT_GT(countColour(shot, kRed, QRect(0, 0, axis - 2, shot.height())), 50);
    EXPECT_GT(countColour(shot, QColor(255, 0, 255)), 10); // the end handles
}

TEST(StartUp, BothAxesCrossTheWholeSurface) {
    auto w = shownMain(QSizeF(150, 90));
    const FormerModel& m = w->model();
    EXPECT_EQ(m.Line4.X1, 0.0);
    EXPECT_EQ(m.Line4.X2, 150.0);
    // Grey along the row of the horizontal axis and the column of the vertical one, from one
    // edge to the other (the outline, handles and labels cover only a little of either).
    const QImage shot = w->Picture1->grab().toImage();
    const QColor grey(128, 128, 128);
    const double k = w->Picture1->pixelsPerMm() * shot.devicePixelRatio();
    const int row = static_cast<int>(m.Y1() * k);
    const int column = deviceX(*w->Picture1, shot, m.X1());
    EXPECT_GT(countColour(shot, grey, QRect(0, row - 1, shot.width(), 3)), shot.width() * 3 / 4);
    EXPECT_GT(countColour(shot, grey, QRect(column - 1, 0, 3, shot.height())),
              shot.height() * 3 / 4);
}

} // namespace

#include "editing_test_support.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QTabWidget>
#include <QTemporaryDir>

#include <optional>

#include <cmath>

namespace {

// Picking, ties and the drag step itself are pinned down by the core tests; here, that real
// mouse events on Picture1 reach them with the right values and that both views follow.

TEST(SurfacePixels, TypedMillimetresReachTheHandlersExactly) {
    auto w = shownMain();
    const PictureBox& p = *w->ui().Picture1;
    // Values with up to three decimals, sampled with a prime stride: the handlers work in
    // single precision and get exactly its value; in double it is exact or one unit off.
    int exactInDouble = 0;
    int count = 0;
    for (int i = 0; i <= 1000000; i += 997, ++count) {
        const double mm = i / 1000.0;
        const double back = p.toMm(exactPixels(p, {mm, mm})).x();
        EXPECT_EQ(static_cast<float>(back), static_cast<float>(mm)) << mm;
        EXPECT_TRUE(back == mm || back == std::nextafter(mm, 0.0) ||
                    back == std::nextafter(mm, 2000.0))
            << mm;
        exactInDouble += back == mm;
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(exactInDouble, count * 9 / 10);
}

TEST(Press, PicksTheNearestHandleWithTheSizeAllPointerUntilTheRelease) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    PictureBox& p = *w->ui().Picture1;
    press(*w, centreOf(m, m.shppi[5]) + QPointF(0.4, -0.3));
    EXPECT_EQ(m.Idx_Point, 5);
    EXPECT_EQ(p.cursor().shape(), Qt::SizeAllCursor);
    release(*w, {0, 0});
    EXPECT_FALSE(p.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(p.cursor().shape(), Qt::ArrowCursor);
}

TEST(Drag, CoupleStoresThePointerPositionStopsOnTheAxisShowsThePointerAndTheDoublingFollows) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->ui().Check4); // the doubling on, slaved
    press(*w, centreOf(m, m.shppi[3]));
    moveTo(*w, {95.5, 33.25});
    EXPECT_EQ(m.Pts_Couple[3].x, 95.5);
    EXPECT_EQ(m.Pts_Couple[3].y, 33.25);
    // Left of the axis the point stays on it, while the boxes show where the pointer is.
    moveTo(*w, {40.25, 20.5});
    EXPECT_EQ(m.Pts_Couple[3].x, m.X1());
    EXPECT_EQ(m.Pts_Couple[3].y, 20.5);
    EXPECT_EQ(w->ui().lblX->text(), Main::pointerText(40.25f));
    EXPECT_EQ(w->ui().lblY->text(), Main::pointerText(20.5f));
    release(*w, {40.25, 20.5});

    // Only the left button alone drags; every move shows the pointer.
    RebuildCounter count(*w);
    press(*w, centreOf(m, m.shppi[2]));
    const double before = m.Pts_Couple[2].x;
    for (Qt::MouseButtons held :
         {Qt::MouseButtons(Qt::NoButton), Qt::MouseButtons(Qt::LeftButton | Qt::RightButton),
          Qt::MouseButtons(Qt::RightButton)})
        moveTo(*w, {100.0, 10.0}, held);
    EXPECT_EQ(count.delta(), (std::array<int, 2>{0, 0}));
    EXPECT_EQ(m.Pts_Couple[2].x, before);
    EXPECT_EQ(w->ui().lblX->text(), "100");
    EXPECT_EQ(w->ui().lblY->text(), "10");
    // The surface keeps the pointer beyond its edge while the button is held.
    moveTo(*w, {130.0, -5.0});
    EXPECT_EQ(count.delta(), (std::array<int, 2>{1, 0}));
    EXPECT_EQ(m.Pts_Couple[2].x, 130.0);
    EXPECT_EQ(m.Pts_Couple[2].y, -5.0);
    // The slaved doubling follows, halfway to the axis.
    const double X1 = m.X1();
    EXPECT_EQ(m.Pts_Doublage[2].x, X1 + 0.5 * (m.shppi[2].Left - X1));
    for (int j = 0; j < m.Nb_Points; ++j)
        EXPECT_DOUBLE_EQ(m.Doublage_Droit[j].x, X1 + 0.5 * (m.Courbe_Droite[j].x - X1)) << j;
}

TEST(Drag, EveryMoveSamplesTheOutlineBeforeThe3DPartFollows) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    // What the 3-D part is given at each in-place rebuild.
    std::vector<std::vector<PointXYZ>> seen;
    QObject::connect(w.get(), &Main::formerMeshRebuilt, [&](int mode) {
        if (mode == 0)
            seen.push_back(m.Courbe_Droite);
    });
    const std::vector<PointXYZ> start = m.Courbe_Droite;
    press(*w, centreOf(m, m.shppi[4]));
    for (double x : {100.0, 104.0, 92.5})
        moveTo(*w, {x, 47.0});
    release(*w, {92.5, 47.0});
    ASSERT_EQ(seen.size(), 3u);
    // Even a drag of one move shows in 3-D: the first rebuild already has the moved curve.
    EXPECT_NE(seen[0][6].x, start[6].x);
    QApplication::processEvents(); // the surface repaints
    EXPECT_EQ(seen[2], freshSamples(m));
    EXPECT_EQ(m.Courbe_Droite, seen[2]) << "the surface shows the same curve";
}

TEST(Pin, RightPressPinsMiddlePressUnpinsAndTheOutlineFollows) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    const std::vector<PointXYZ> smooth = m.Courbe_Droite;
    const QPointF at = centreOf(m, m.shppi[3]);
    RebuildCounter pinning(*w);
    press(*w, at, Qt::RightButton);
    release(*w, at, Qt::RightButton);
    EXPECT_EQ(m.shppi[3].Tag, "1");
    EXPECT_EQ(m.shppi[3].BorderColor, colours::White);
    // The part follows in place, once; the first pin with the doubling off switches the
    // doubling's controls off.
    EXPECT_EQ(pinning.delta(), (std::array<int, 2>{1, 0}));
    EXPECT_FALSE(w->ui().Hscroll1->isEnabled());
    EXPECT_TRUE(w->ui().Label6->isHidden());
    EXPECT_NE(m.Courbe_Droite, smooth);

    RebuildCounter unpinning(*w);
    press(*w, at, Qt::MiddleButton);
    EXPECT_EQ(m.shppi[3].Tag, "");
    EXPECT_EQ(m.shppi[3].BorderColor, colours::Red);
    EXPECT_EQ(unpinning.delta(), (std::array<int, 2>{1, 0}));
    EXPECT_EQ(m.Courbe_Droite, smooth);

    // End points only change their border.
    for (int i : {0, 8}) {
        press(*w, centreOf(m, m.shppi[i]), Qt::RightButton);
        EXPECT_EQ(m.Idx_Point, i);
        EXPECT_EQ(m.shppi[i].BorderColor, colours::White);
    }
    EXPECT_EQ(m.Courbe_Droite, smooth);
}

TEST(Pin, InDoublageDragsStoreTheCornerAndTheFormersPointOfThePickedIndexIsPinned) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    userClick(w->ui().Check4); // on, decoupled, the mouse on the doubling's handles
    userClick(w->ui().Option6);
    userClick(w->ui().Option4);
    const std::vector<PointXYZ> former = m.Pts_Couple;
    dragHandle(*w, m.Shape1[5], {75.0, 70.0});
    EXPECT_EQ(m.Idx_Point, 5);
    EXPECT_EQ(m.Pts_Doublage[5].x, 75.0 - static_cast<double>(m.Rayon_X));
    EXPECT_EQ(m.Pts_Doublage[5].y, 70.0 + static_cast<double>(m.Rayon_Y));
    EXPECT_EQ(m.Pts_Couple, former);
    // Decoupled, the doubling is the spline of its own points.
    std::vector<PointXYZ> own(m.Doublage_Droit.size());
    Calcul_Spline(m.Pts_Doublage, m.Ordre_Spline, own);
    EXPECT_EQ(m.Doublage_Droit[5].x, own[5].x);
    // Handle 5 of the doubling is now nearest; the former's point 5 gets the pin.
    press(*w, {75.0, 70.0}, Qt::RightButton);
    EXPECT_EQ(m.Idx_Point, 5);
    EXPECT_EQ(m.shppi[5].Tag, "1");
    EXPECT_EQ(m.Shape1[5].Tag, "");
    // Pinning re-derives the doubling from the former, which undoes its own drags.
    EXPECT_EQ(m.Pts_Doublage[5].x, m.X1() + 0.5 * (m.shppi[5].Left - m.X1()));
    EXPECT_TRUE(w->ui().Option4->isChecked());
    // Back on the former, still decoupled: its drags leave the doubling where it is.
    userClick(w->ui().Option3);
    const std::vector<PointXYZ> doubling = m.Pts_Doublage;
    dragHandle(*w, m.shppi[4], {97.0, 50.0});
    EXPECT_EQ(m.Pts_Couple[4].x, 97.0);
    EXPECT_EQ(m.Pts_Doublage, doubling);
}

TEST(PointerText, SevenDigitsTheUsersSeparatorNoGrouping) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(Main::pointerText(1.0f / 3.0f), "0,3333333");
    EXPECT_EQ(Main::pointerText(1234.5f), "1234,5");
    EXPECT_EQ(Main::pointerText(-0.0f), "0");
    {
        auto w = shownMain();
        moveTo(*w, {86.783, 14.25}, Qt::NoButton);
        EXPECT_EQ(w->ui().lblX->text(), "86,783");
        EXPECT_EQ(w->ui().lblY->text(), "14,25");
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(Main::pointerText(-12.125f), "-12.125");
    EXPECT_EQ(Main::pointerText(0.1f), "0.1");
    QLocale::setDefault(saved);
}

// The status bar's boxes and the box of "Nbre de Points" read "," and "." whatever the desktop,
// and refuse anything else with the box marked, a message, and nothing changed; the readout
// and the point's boxes show real millimetres from the axes with the desktop's separator.
TEST(TypedNumbers, CommaOrPointWhateverTheDesktopAndNothingElse) {
    const QLocale saved;
    const struct {
        const char* typed;
        std::optional<double> x;  // the point's x once typed, nullopt: refused
        std::optional<int> count; // "Nbre de Points" once typed
    } rows[] = {
        {"40,5", 40.5, std::nullopt},
        {"40.5", 40.5, std::nullopt},
        {"1 011,5", 1011.5, {}},
        {"1,2,3", {}, {}},
        {"abc", {}, {}},
        {"", {}, {}},
        {"-5", -5.0, {}},
        {"1e3", {}, {}},
        {"25", 25.0, 25},
        {"101,1", 101.1, {}},
    };
    for (const QLocale& desktop : {QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
        SCOPED_TRACE(desktop.name().toStdString());
        QLocale::setDefault(desktop);
        auto w = shownMain();
        const FormerModel& m = w->model();
        press(*w, centreOf(m, m.shppi[4]));
        release(*w, centreOf(m, m.shppi[4]));
        moveTo(*w, {m.X1() + 10.25, m.Y1() - 2.5}, Qt::NoButton);
        const QString sep = desktop.decimalPoint();
        EXPECT_EQ(w->ui().lblPointer->text(), "x 10" + sep + "25 mm  y 2" + sep + "50 mm");
        EXPECT_EQ(w->ui().lblPoint->text(), "Point 4 :");
        for (const auto& row : rows) {
            SCOPED_TRACE(row.typed);
            const PointXYZ before = m.Pts_Couple[4];
            const int count = m.Nb_Points;
            for (NumberBox* box : {w->ui().txtPointX, w->ui().Text3}) {
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, QString::fromUtf8(row.typed));
                if (QString::fromUtf8(row.typed).isEmpty())
                    QTest::keyClick(box, Qt::Key_Delete);
                QTest::keyClick(box, Qt::Key_Return);
                QApplication::processEvents();
                const bool accepted =
                    box == w->ui().Text3 ? row.count.has_value() : row.x.has_value();
                EXPECT_EQ(box->property("refused").toBool(), !accepted);
                if (!accepted) {
                    EXPECT_TRUE(w->statusText().contains(box->name))
                        << w->statusText().toStdString();
                    // Told, the refusal leaves the box showing the value in force.
                    if (box == w->ui().Text3)
                        EXPECT_EQ(box->text(), QString::number(m.Nb_Points));
                    else
                        EXPECT_NEAR(box->shownValue().value_or(1e9),
                                    (m.Pts_Couple[4].x - m.X1()) * w->session().work().realScale,
                                    0.005);
                }
            }
            // Right of the axis as a drag would put it (in the handlers' single precision); the
            // count as the slider takes it.
            const double x = row.x ? double(float(std::max(m.X1(), m.X1() + *row.x))) : before.x;
            EXPECT_EQ(m.Pts_Couple[4].x, x);
            EXPECT_EQ(m.Pts_Couple[4].y, before.y);
            EXPECT_EQ(m.Nb_Points, row.count.value_or(count));
        }
    }
    QLocale::setDefault(saved);
}

// "&Calibrer le plan...": two clicks on the plan and the real distance typed give the scale,
// Escape or a cancel changes nothing, and "Zoom" moved afterwards is told once.
TEST(Calibration, TwoClicksAndTheirRealDistance) {
    auto w = shownMain();
    QTemporaryDir dir;
    ASSERT_TRUE(plainPicture({400, 300}, Qt::white).save(dir.filePath("plan.png")));
    EXPECT_FALSE(w->ui().IM_Calibrate->isEnabled()) << "no plan on screen yet";
    choosePicture(*w, dir.filePath("plan.png"));
    ASSERT_TRUE(w->ui().IM_Calibrate->isEnabled());
    std::optional<double> typed = 250.0;
    w->dialogs.number = [&typed](const QString&) { return typed; };
    const std::vector<PointXYZ> points = w->model().Pts_Couple;
    auto clickTwice = [&w] {
        w->ui().IM_Calibrate->trigger();
        for (const QPointF at : {QPointF(20, 30), QPointF(60, 60)}) { // 50 mm apart
            press(*w, at);
            release(*w, at);
        }
    };
    clickTwice();
    EXPECT_EQ(w->session().work().realScale, 5.0);
    EXPECT_TRUE(w->session().work().calibrated);
    EXPECT_EQ(w->statusText(), "Échelle : 1 mm du dessin = 5,000 mm réels");
    EXPECT_EQ(w->model().Pts_Couple, points) << "a click of the calibration moves no point";
    EXPECT_EQ(w->ui().IM_Undo->text(), "&Annuler : calibrer le plan");
    typed.reset(); // the dialog cancelled
    clickTwice();
    EXPECT_EQ(w->session().work().realScale, 5.0);
    w->ui().IM_Calibrate->trigger();
    press(*w, {20, 30});
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->calibrating());
    press(*w, {60, 60}); // an ordinary press again
    release(*w, {60, 60});
    EXPECT_EQ(w->session().work().realScale, 5.0);
    w->ui().SSTab1->setCurrentIndex(1);
    userSlide(w->ui().Slider5, 100);
    EXPECT_EQ(w->statusText(), "Le zoom du plan a changé : recalibrez");
    EXPECT_FALSE(w->session().work().calibrated);
    EXPECT_EQ(w->session().work().realScale, 5.0) << "the scale stays until recalibrated";
}

} // namespace

#include "editing_test_support.h"

#include "editor/application.h"
#include "editor/status_line.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <optional>

#include <cmath>

namespace {

// Picking, ties and the drag step itself are pinned down by the core tests; here, that real
// mouse events on Picture1 reach them with the right values and that both views follow.

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
// Escape or a cancel changes nothing. A plan not measured by a calibration (a picture chosen,
// "Zoom" moved since) is told by the orange "Plan non calibré" beside "Échelle" for as long as
// it is so, and the pointer then reads millimetres of the drawing; the former's scale stays.
TEST(Calibration, TwoClicksAndTheirRealDistanceAndAPlanChangedSinceIsStale) {
    auto w = shownMain();
    QTemporaryDir dir;
    ASSERT_TRUE(plainPicture({400, 300}, Qt::white).save(dir.filePath("plan.png")));
    EXPECT_FALSE(w->ui().IM_Calibrate->isEnabled()) << "no plan on screen yet";
    const FormerModel& m = w->model();
    const QLabel& stale = *w->ui().lblCalibration;
    // Where the pointer rests: 10 mm right of the axis and 4 mm above it on the drawing.
    const QPointF rest(m.X1() + 10.0, m.Y1() - 4.0);
    const QString sep = userLocale().decimalPoint();
    auto reading = [&](const char* x, const char* y) {
        return QStringLiteral("x %1 mm  y %2 mm")
            .arg(QString(x).replace('.', sep), QString(y).replace('.', sep));
    };
    moveTo(*w, rest, Qt::NoButton);
    EXPECT_EQ(w->ui().lblPointer->text(), reading("10.00", "4.00"));
    EXPECT_TRUE(stale.isHidden()) << "no plan shows: nothing to calibrate";
    EXPECT_EQ(w->statusLasting(), "");

    choosePicture(*w, dir.filePath("plan.png"));
    ASSERT_TRUE(w->ui().IM_Calibrate->isEnabled());
    EXPECT_EQ(w->statusLasting(), "Plan non calibré");
    EXPECT_TRUE(stale.isVisibleTo(w.get()));
    EXPECT_EQ(stale.text(), "Plan non calibré");
    EXPECT_EQ(stale.palette().color(QPalette::WindowText), QColor(230, 120, 0));
    EXPECT_LT(w->ui().txtScale->geometry().right(), stale.geometry().left()) << "beside it";
    EXPECT_EQ(w->ui().lblPointer->text(), reading("10.00", "4.00") + " du dessin");

    std::optional<double> typed = 250.0;
    w->dialogs.number = [&typed](const QString&) { return typed; };
    const std::vector<PointXYZ> points = m.Pts_Couple;
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
    EXPECT_TRUE(stale.isHidden());
    moveTo(*w, rest, Qt::NoButton);
    EXPECT_EQ(w->ui().lblPointer->text(), reading("50.00", "20.00"));
    EXPECT_EQ(m.Pts_Couple, points) << "a click of the calibration moves no point";
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

    // The plan at another size: stale at once, the pointer where it rests read anew.
    moveTo(*w, rest, Qt::NoButton);
    w->ui().SSTab1->setCurrentIndex(1);
    userSlide(w->ui().Slider5, 100);
    EXPECT_EQ(w->statusPassing(), "Le zoom du plan a changé : recalibrez");
    EXPECT_EQ(w->statusLasting(), "Plan non calibré");
    EXPECT_EQ(w->statusText(), "Le zoom du plan a changé : recalibrez — Plan non calibré");
    EXPECT_FALSE(w->session().work().calibrated);
    EXPECT_EQ(w->session().work().realScale, 5.0) << "the scale stays until recalibrated";
    EXPECT_EQ(w->ui().lblPointer->text(), reading("10.00", "4.00") + " du dessin");
    w->ui().IM_Undo->trigger();
    EXPECT_TRUE(w->session().work().calibrated) << "the zoom taken back, the calibration holds";
    EXPECT_TRUE(stale.isHidden());
    EXPECT_EQ(w->ui().lblPointer->text(), reading("50.00", "20.00"));
    // Another picture: the scale measured on the last one says nothing of it.
    choosePicture(*w, dir.filePath("plan.png"));
    EXPECT_FALSE(w->session().work().calibrated);
    EXPECT_EQ(w->statusLasting(), "Plan non calibré");
    // Off, no plan shows: the pointer reads the former's real millimetres again.
    w->ui().Command4->click();
    EXPECT_TRUE(stale.isHidden());
    EXPECT_EQ(w->ui().lblPointer->text(), reading("50.00", "20.00"));
}

// The status bar says what is true now: a refusal until the next entry taken, a passing
// message for a while, a lasting state in its own place for as long as it holds; a text too
// long for its place is shortened with the whole of it in the tooltip, at the default size too.
TEST(StatusBar, EachMessageForAsLongAsItIsTrue) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    w->statusLine().setPassingTime(std::chrono::milliseconds(100));
    const ElidedLabel& message = *w->ui().lblMessage;
    const ElidedLabel& lasting = *w->ui().lblLasting;
    auto typeIn = [](NumberBox* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
    };
    // Refused, then a drag: the refusal goes with the next entry taken.
    typeIn(w->ui().Text3, "abc");
    const QString refused = w->statusPassing();
    EXPECT_TRUE(refused.startsWith("Nbre de Points")) << refused.toStdString();
    QTest::qWait(300);
    EXPECT_EQ(w->statusPassing(), refused) << "a refusal does not pass with time";
    dragHandle(*w, m.shppi[4], {m.X1() + 45.0, m.Y1()});
    EXPECT_EQ(w->statusPassing(), "");
    // Refused, then a number typed and taken.
    typeIn(w->ui().txtScale, "0");
    EXPECT_NE(w->statusPassing(), "");
    typeIn(w->ui().txtScale, "2");
    EXPECT_EQ(w->statusPassing(), "");

    // A doubling the former cannot hold: said in its own place while it is so, whatever
    // passes meanwhile, shortened at the window's default size with the whole in its tooltip.
    userClick(w->ui().Check4);
    userClick(w->ui().optConstantWidth);
    typeIn(w->ui().txtDoublingWidth, "3");
    typeIn(w->ui().txtScale, "0,05");
    ASSERT_FALSE(w->session().doublingDrawn());
    const QString why = QString::fromStdString(m.offsetDoublingMessage);
    ASSERT_FALSE(why.isEmpty());
    EXPECT_EQ(w->statusLasting(), why);
    EXPECT_TRUE(lasting.isVisibleTo(w.get()));
    EXPECT_EQ(lasting.fullText(), why);
    EXPECT_TRUE(lasting.shortened() ? lasting.toolTip() == why : lasting.text() == why);
    typeIn(w->ui().Text3, "abc"); // a refusal beside it: both at once
    EXPECT_EQ(w->statusText(), w->statusPassing() + " — " + why);
    dragHandle(*w, m.shppi[4], {m.X1() + 44.0, m.Y1()});
    QTest::qWait(300);
    EXPECT_EQ(w->statusText(), why) << "the refusal gone, the doubling still not drawn";
    w->ui().IM_Undo->trigger(); // the drag
    w->ui().IM_Undo->trigger(); // the scale
    EXPECT_TRUE(w->session().doublingDrawn());
    EXPECT_EQ(w->statusLasting(), "");
    EXPECT_TRUE(lasting.isHidden());

    // A message written goes after its while; shortened, it is whole in the tooltip.
    const QString written =
        QStringLiteral("Couple Entier : 101,10 × 150,00 mm → un nom de fichier bien trop long "
                       "pour la barre d'état de la fenêtre à sa taille de départ.DXF");
    w->statusLine().pass(written);
    EXPECT_EQ(w->statusPassing(), written);
    EXPECT_TRUE(message.shortened());
    EXPECT_EQ(message.toolTip(), written);
    EXPECT_TRUE(message.text().endsWith(QChar(0x2026)));
    EXPECT_LE(message.fontMetrics().horizontalAdvance(message.text()), message.width());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->statusPassing().isEmpty(); }, 2000));
    EXPECT_EQ(message.toolTip(), "");
    // The permanent places show whole: the pointer's reading while a point is dragged far
    // beyond the surface (as far as a screen reaches), the real scale, the factor of the view.
    press(*w, centreOf(m, m.shppi[4]));
    moveTo(*w, {-499.5, -499.5});
    release(*w, {-499.5, -499.5});
    QApplication::processEvents(); // the status bar laid out anew
    for (const QLabel* label :
         {w->ui().lblPointer, w->ui().lblScale, w->ui().lblZoom, w->ui().lblPoint}) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
}
} // namespace

namespace {

// Types text in a number box of the window and presses Enter, as the user does.
void typeIn(NumberBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
}

// The bounds of the pixels of one colour within `window` of a layer (device pixels).
QRect pixelsOf(const QImage& layer, QColor colour, QRect window) {
    QRect found;
    window &= layer.rect();
    for (int y = window.top(); y <= window.bottom(); ++y)
        for (int x = window.left(); x <= window.right(); ++x)
            if (layer.pixelColor(x, y) == colour)
                found |= QRect(x, y, 1, 1);
    return found;
}

// Every handle of both sets is drawn centred on its point at the zoom factors 1, 2 and 16 and
// at two window sizes (ctest runs it at 100 % and 200 % too): its middle pixel is the point's,
// within half a device pixel; its size is its design size at the window's scale, never under
// 7 screen pixels, and not magnified by the zoom. Pressed in its middle and let go, it is the
// handle picked and the work stays as it was.
TEST(Handles, DrawnCentredOnTheirPointsAndPressedThereChangeNothing) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    userClick(w->ui().Check4); // the doubling on, then decoupled: both sets can be shown
    userClick(w->ui().Option6);
    press(*w, centreOf(m, m.shppi[3]), Qt::RightButton); // a white, pinned one among them
    release(*w, centreOf(m, m.shppi[3]), Qt::RightButton);
    dragHandle(*w, m.shppi[0], {61.5, 16.0}); // an end point off its start-up place
    const QSize design = w->size();
    for (const QSize size : {design, QSize(design.width() * 8 / 5, design.height() * 3 / 2)}) {
        w->resize(size);
        QApplication::processEvents();
        for (QRadioButton* set : {w->ui().Option3, w->ui().Option4}) {
            userClick(set);
            const bool former = set == w->ui().Option3;
            const std::vector<Handle>& handles = former ? m.shppi : m.Shape1;
            const std::vector<PointXYZ>& points = former ? m.Pts_Couple : m.Pts_Doublage;
            for (const double zoom : {1.0, 2.0, 16.0}) {
                for (int i = 0; i <= m.Der_Point; ++i) {
                    SCOPED_TRACE(testing::Message()
                                 << size.width() << "x" << size.height()
                                 << (former ? " former " : " doubling ") << i << " at " << zoom);
                    const Handle& h = handles[std::size_t(i)];
                    const QPointF at(points[std::size_t(i)].x, points[std::size_t(i)].y);
                    p.fitView();
                    p.zoomAbout(zoom, at);
                    ASSERT_EQ(p.viewZoom(), zoom);
                    const QImage items = p.itemLayer();
                    const qreal r = items.devicePixelRatio();
                    const QPointF c = p.toPixels(at.x(), at.y()) * r;
                    const int reach = int(16 * r);
                    const QRect drawn =
                        pixelsOf(items, QColor(h.BorderColor.r, h.BorderColor.g, h.BorderColor.b),
                                 QRect(int(c.x()) - reach, int(c.y()) - reach, 2 * reach + 1,
                                       2 * reach + 1));
                    ASSERT_FALSE(drawn.isEmpty());
                    const QPointF middle(drawn.x() + drawn.width() / 2.0,
                                         drawn.y() + drawn.height() / 2.0);
                    EXPECT_LE(std::abs(middle.x() - c.x()), 0.5);
                    EXPECT_LE(std::abs(middle.y() - c.y()), 0.5);
                    const double k = p.screenPixelsPerMm() * p.viewScale() * r;
                    EXPECT_NEAR(drawn.width(), std::max(h.Width * k, 7.0 * r), 1.0);
                    EXPECT_NEAR(drawn.height(), std::max(h.Height * k, 7.0 * r), 1.0);
                    const Work before = w->session().work();
                    const QPointF there = p.toMm(middle / r);
                    press(*w, there);
                    release(*w, there);
                    EXPECT_EQ(m.Idx_Point, i);
                    EXPECT_TRUE(w->session().work() == before);
                }
            }
        }
    }
}

// Gestures of the drawing's own view, and what they leave alone.
TEST(Loupe, TheWheelZoomsAboutThePointerTheDrawingPansWithinTheSurfaceAjusterShowsItAll) {
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    const QSizeF whole(p.ScaleWidth(), p.ScaleHeight());
    auto keptWithin = [&] {
        const QRectF shown = p.visibleMm();
        return shown.left() >= 0.0 && shown.top() >= 0.0 && shown.right() <= whole.width() &&
               shown.bottom() <= whole.height();
    };
    // Three notches double the view, about the pointer: the point under it stays there.
    const QPointF pointer(80.25, 30.5);
    const QPointF before = p.toPixels(pointer.x(), pointer.y());
    wheel(*w, pointer, 360);
    EXPECT_EQ(p.viewZoom(), 2.0);
    EXPECT_NEAR(p.toPixels(pointer.x(), pointer.y()).x(), before.x(), 1e-9);
    EXPECT_NEAR(p.toPixels(pointer.x(), pointer.y()).y(), before.y(), 1e-9);
    EXPECT_EQ(w->ui().lblZoom->text(), QStringLiteral("Loupe ×2"));
    EXPECT_EQ(w->session().view().viewZoom, 2.0);
    wheel(*w, pointer, 120);
    EXPECT_EQ(w->ui().lblZoom->text(),
              QStringLiteral("Loupe ×") + userLocale().toString(std::exp2(4.0 / 3.0), 'g', 3));
    wheel(*w, pointer, 120 * 40);
    EXPECT_EQ(p.viewZoom(), 32.0) << "no further than 32 times";
    EXPECT_TRUE(keptWithin());
    // The middle button dragged: the point of the drawing under it follows the pointer.
    const QPointF grabbed = p.visibleMm().center();
    const QPointF to = grabbed + QPointF(0.4, 0.3);
    const QPointF released = p.toPixels(to.x(), to.y());
    middleDrag(*w, grabbed, to);
    EXPECT_NEAR(p.toPixels(grabbed.x(), grabbed.y()).x(), released.x(), 1e-6);
    EXPECT_NEAR(p.toPixels(grabbed.x(), grabbed.y()).y(), released.y(), 1e-6);
    EXPECT_EQ(p.viewZoom(), 32.0);
    // Dragged far beyond the surface's edge, the view stops at it.
    for (int i = 0; i < 40; ++i)
        middleDrag(*w, p.visibleMm().topLeft() + QPointF(0.1, 0.1),
                   p.visibleMm().bottomRight() - QPointF(0.1, 0.1));
    EXPECT_TRUE(keptWithin());
    EXPECT_NEAR(p.visibleMm().left(), 0.0, 1e-9);
    EXPECT_NEAR(p.visibleMm().top(), 0.0, 1e-9);
    // Space held over the surface: the left button drags the drawing and moves no point.
    const std::vector<PointXYZ> points = m.Pts_Couple;
    const QRectF shown = p.visibleMm();
    moveTo(*w, shown.center(), Qt::NoButton);
    QTest::keyPress(w.get(), Qt::Key_Space);
    EXPECT_EQ(p.cursor().shape(), Qt::OpenHandCursor);
    press(*w, shown.center());
    moveTo(*w, shown.center() - QPointF(shown.width() / 4, shown.height() / 4));
    release(*w, shown.center() - QPointF(shown.width() / 4, shown.height() / 4));
    QTest::keyRelease(w.get(), Qt::Key_Space);
    EXPECT_EQ(m.Pts_Couple, points);
    EXPECT_GT(p.visibleMm().left(), shown.left());
    EXPECT_FALSE(p.testAttribute(Qt::WA_SetCursor)) << "the pointer as it was";
    // Without Space the left button drags a point again, to the pointer's place, and the
    // right button pins it, at any factor.
    const QPointF target(90.25, 40.5);
    wheel(*w, pointer, -120 * 40);
    wheel(*w, target, 120 * 9);
    dragHandle(*w, m.shppi[4], target);
    EXPECT_EQ(m.Pts_Couple[4].x, target.x());
    EXPECT_EQ(m.Pts_Couple[4].y, target.y());
    press(*w, target, Qt::RightButton);
    release(*w, target, Qt::RightButton);
    EXPECT_EQ(m.shppi[4].Tag, "1");
    // Turned back, or "Ajuster": the whole surface.
    wheel(*w, pointer, -120 * 40);
    EXPECT_EQ(p.viewZoom(), 1.0);
    EXPECT_EQ(p.visibleMm(), QRectF(QPointF(0, 0), whole));
    wheel(*w, pointer, 120 * 6);
    EXPECT_EQ(w->ui().IM_Fit->shortcut(), QKeySequence(QStringLiteral("Ctrl+0")));
    w->ui().cmdFit->click();
    EXPECT_EQ(p.viewZoom(), 1.0);
    EXPECT_EQ(w->ui().lblZoom->text(), QStringLiteral("Loupe ×1"));
}

// Tracing a large plan through the drawing's own view. A generated plan of 6000 x 4000 pixels
// holds six formers from one corner to the other and a scale bar; "Horiz" and "Vert", typed,
// bring each former's axis under the symmetry axis; at the factors 1, 4 and 16, reached with the
// wheel, a point dragged onto a line of the plan where the screen shows it lands within half a
// screen pixel of the line. Zooming and panning on the way leave the work as it was to the bit,
// make no step and do not mark the project modified; the scale bar, clicked at factor 4 with a
// pan between the clicks, calibrates the plan to its drawn length.
TEST(Loupe, TracingAPlanOfSixThousandPixelsEveryFormerWithinHalfAScreenPixel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int kLine = 3; // pixels: 0.3 mm at 10 pixels a millimetre
    // Half a screen pixel, and what the stretched copy's 16.16 fixed point may add to where it
    // draws a picture's pixel (a hundred-thousandth of a picture pixel).
    constexpr double kHalf = 0.5 + 1e-3;
    struct PlanFormer {
        int axis, middle, halfWidth, halfHeight; // picture pixels
    };
    // Each smaller than the surface at 100 % (120 x 100 mm, 454 x 378 pixels).
    const PlanFormer formers[] = {{250, 400, 150, 120},   {3000, 350, 180, 150},
                                  {5750, 300, 200, 170},  {700, 3550, 160, 130},
                                  {3100, 2000, 190, 160}, {5800, 3800, 170, 140}};
    const QRect ticks[] = {{2000, 1000, kLine, 200}, {2300, 1000, kLine, 200}}; // 30 mm apart
    QImage plan(6000, 4000, QImage::Format_RGB32);
    plan.fill(Qt::white);
    {
        QPainter painter(&plan);
        for (const PlanFormer& f : formers) {
            const QRect box(f.axis - f.halfWidth, f.middle - f.halfHeight, 2 * f.halfWidth,
                            2 * f.halfHeight);
            painter.fillRect(QRect(box.left(), box.top(), box.width(), kLine), Qt::black);
            painter.fillRect(QRect(box.left(), box.bottom() + 1, box.width(), kLine), Qt::black);
            painter.fillRect(QRect(box.left(), box.top(), kLine, box.height()), Qt::black);
            painter.fillRect(QRect(box.right() + 1, box.top(), kLine, box.height() + kLine),
                             Qt::black);
        }
        for (const QRect& tick : ticks)
            painter.fillRect(tick, Qt::black);
    }
    ASSERT_TRUE(plan.save(dir.filePath("plan.png")));

    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    choosePicture(*w, dir.filePath("plan.png"));
    ASSERT_EQ(w->ps().size(), plan.size());
    w->ui().SSTab1->setCurrentIndex(1);
    typeIn(w->ui().txtZoom, "100");
    ASSERT_EQ(w->ui().Slider5->value(), 100);
    const double k = p.screenPixelsPerMm(); // logical pixels of the design size per millimetre
    int horiz = 0, vert = 0;
    // Brings picture pixel (u, v) to the drawing's point (x, y) as nearly as whole values can.
    auto bring = [&](double u, double v, double x, double y) {
        horiz = 650 + int(std::lround(u - x * k));
        vert = 100 + int(std::lround(v - y * k));
        typeIn(w->ui().txtHoriz, QString::number(horiz));
        typeIn(w->ui().txtVert, QString::number(vert));
        ASSERT_EQ(w->ui().Slider4->value(), horiz) << "reachable";
        ASSERT_EQ(w->ui().Slider6->value(), vert) << "reachable";
    };
    // Where a point of the picture (pixel edges at whole numbers) lies on the drawing, at 100 %.
    auto onDrawing = [&](double u, double v) {
        return QPointF((u - (horiz - 650)) / k, (v - (vert - 100)) / k);
    };
    // The middle of the dark run of the picture as the screen shows it, across the device pixel
    // under `from` along `step` (device pixels), in millimetres of the drawing.
    auto lineOnScreen = [&](QPointF from, QPoint step, int reach) {
        const QImage shown = p.pictureLayer();
        const qreal r = shown.devicePixelRatio();
        const QPoint start(int(std::floor(from.x() * r)), int(std::floor(from.y() * r)));
        int first = 1 << 30, last = -(1 << 30);
        for (int i = -reach; i <= reach; ++i) {
            const QPoint at = start + step * i;
            if (shown.rect().contains(at) && qGray(shown.pixel(at)) < 128) {
                first = std::min(first, i);
                last = std::max(last, i);
            }
        }
        EXPECT_LE(first, last) << "the line shows";
        // Pixel edges at whole numbers: the run spans [first, last + 1) along the step.
        const double along = (first + last + 1) / 2.0;
        const QPointF middle = step.x() != 0 ? QPointF(start.x() + along, start.y() + 0.5)
                                             : QPointF(start.x() + 0.5, start.y() + along);
        return p.toMm(middle / r);
    };
    // The work to the bit, the steps and the modified marker before a change of the view.
    struct Kept {
        Work work;
        std::vector<PointXYZ> samples;
        int steps;
        bool modified;
    };
    auto kept = [&] {
        QApplication::processEvents();
        return Kept{w->session().work(), m.Courbe_Droite, w->session().history().count(),
                    w->session().modified()};
    };
    auto expectKept = [&](const Kept& before, const char* what) {
        QApplication::processEvents();
        EXPECT_TRUE(w->session().work() == before.work) << what;
        EXPECT_EQ(m.Courbe_Droite, before.samples) << what;
        EXPECT_EQ(w->session().history().count(), before.steps) << what;
        EXPECT_EQ(w->session().modified(), before.modified) << what;
    };
    // The view at `factor`, reached with the wheel about `at`, then `at` brought to the middle
    // with the middle button (unless it is there already).
    auto zoomTo = [&](double factor, QPointF at) {
        const Kept before = kept();
        w->ui().IM_Fit->trigger();
        wheel(*w, at, int(std::lround(std::log2(factor) * 360)));
        ASSERT_EQ(p.viewZoom(), factor);
        const QPointF middle = p.visibleMm().center();
        if ((p.toPixels(at.x(), at.y()) - p.toPixels(middle.x(), middle.y())).manhattanLength() >
            2 * QApplication::startDragDistance())
            middleDrag(*w, at, middle);
        expectKept(before, "zoom");
    };

    for (const PlanFormer& f : formers) {
        SCOPED_TRACE(testing::Message() << "former at " << f.axis << "," << f.middle);
        bring(f.axis, f.middle, m.X1(), m.Y1());
        // The right side's line at the horizontal axis, for point 4; the top's for point 1.
        const double right = f.axis + f.halfWidth + kLine / 2.0;
        const double top = f.middle - f.halfHeight + kLine / 2.0;
        for (const double factor : {1.0, 4.0, 16.0}) {
            SCOPED_TRACE(testing::Message() << "factor " << factor);
            const QPointF side = onDrawing(right, f.middle);
            zoomTo(factor, side);
            const int reach = int(12 * factor * p.devicePixelRatioF()) + 8;
            const QPointF found = lineOnScreen(p.toPixels(side.x(), side.y()), {1, 0}, reach);
            dragHandle(*w, m.shppi[4], {found.x(), m.Pts_Couple[4].y});
            EXPECT_LE(std::abs(m.Pts_Couple[4].x - side.x()) * p.pixelsPerMm(), kHalf);
            const QPointF above(m.Pts_Couple[1].x, onDrawing(f.axis, top).y());
            zoomTo(factor, above);
            const QPointF line = lineOnScreen(p.toPixels(above.x(), above.y()), {0, 1}, reach);
            dragHandle(*w, m.shppi[1], {m.Pts_Couple[1].x, line.y()});
            EXPECT_LE(std::abs(m.Pts_Couple[1].y - above.y()) * p.pixelsPerMm(), kHalf);
            // A drag of the drawing, there and back.
            const Kept before = kept();
            const QPointF middle = p.visibleMm().center();
            middleDrag(*w, middle, middle + QPointF(4.0, 2.0) / factor);
            middleDrag(*w, middle, middle - QPointF(4.0, 2.0) / factor);
            expectKept(before, "pan");
        }
    }

    // The scale bar calibrated at factor 4: the first tick clicked, the drawing dragged to the
    // second, which is clicked; 30 mm typed.
    bring(ticks[0].center().x(), ticks[0].center().y(), 20.0, m.Y1());
    w->dialogs.number = [](const QString&) { return std::optional<double>(30.0); };
    w->ui().IM_Calibrate->trigger();
    QPointF clicks[2];
    for (int i = 0; i < 2; ++i) {
        const QPointF tick = onDrawing(ticks[i].x() + kLine / 2.0, ticks[i].center().y());
        if (i == 0) {
            zoomTo(4.0, tick);
        } else {
            while (!p.visibleMm().adjusted(2, 2, -2, -2).contains(tick)) {
                const QPointF from = p.visibleMm().center();
                middleDrag(*w, from, from - QPointF(p.visibleMm().width() / 3, 0.0));
            }
        }
        clicks[i] = lineOnScreen(p.toPixels(tick.x(), tick.y()), {1, 0}, 30);
        press(*w, clicks[i]);
        release(*w, clicks[i]);
    }
    EXPECT_TRUE(w->session().work().calibrated);
    // The ticks lie 300 picture pixels apart, 300 / k millimetres of the drawing.
    EXPECT_NEAR(w->session().work().realScale, 30.0 / (300.0 / k), 30.0 / (300.0 / k) * 1e-3);
    EXPECT_NEAR(std::hypot(clicks[1].x() - clicks[0].x(), clicks[1].y() - clicks[0].y()), 300.0 / k,
                1.0 / p.pixelsPerMm());
}

} // namespace

// A long run of random user actions on the editor window, with the invariants checked after
// every one of them.
#include "editing_test_support.h"

#include "engine3d/vector_maths.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <utility>

namespace {

// The controls show the settings of the state: a handler that changed a setting without showing
// it, or a control that moved without its setting, fails here.
void expectControlsShow(const Main& w, const EditorState& s) {
    const std::pair<const QSlider*, int> sliders[] = {
        {w.ui().Hscroll1, s.work.doublingScale}, {w.ui().Hscroll2, s.work.sampleCount},
        {w.ui().Hscroll3, s.work.orderSlider},   {w.ui().Slider1, s.work.thickness.value},
        {w.ui().Slider2, s.work.height.value},   {w.ui().Slider3, s.work.width.value},
        {w.ui().Slider4, s.work.pictureHoriz},   {w.ui().Slider5, s.work.pictureZoom},
        {w.ui().Slider6, s.work.pictureVert}};
    for (const auto& [slider, value] : sliders)
        EXPECT_EQ(slider->value(), value) << slider->objectName().toStdString();
    const std::pair<const QLineEdit*, int> boxes[] = {{w.ui().Text3, s.work.sampleCount},
                                                      {w.ui().T_EP, s.work.thickness.applied},
                                                      {w.ui().T_H, s.work.height.applied},
                                                      {w.ui().T_L, s.work.width.applied}};
    for (const auto& [box, value] : boxes)
        EXPECT_EQ(box->text(), QString::number(value)) << box->objectName().toStdString();
    const std::pair<const NumberBox*, int> pictureBoxes[] = {{w.ui().txtHoriz, s.work.pictureHoriz},
                                                             {w.ui().txtVert, s.work.pictureVert},
                                                             {w.ui().txtZoom, s.work.pictureZoom}};
    for (const auto& [box, value] : pictureBoxes)
        EXPECT_EQ(box->value(), value) << box->objectName().toStdString();
    EXPECT_EQ(w.ui().Check4->isChecked(), s.work.doublingOn);
    EXPECT_TRUE((s.work.joint == AssemblyJoint::Horizontal ? w.ui().Option1
                 : s.work.joint == AssemblyJoint::Vertical ? w.ui().Option7
                                                           : w.ui().Option2)
                    ->isChecked());
    EXPECT_EQ(w.ui().Option4->isChecked(), s.work.mouseAction == MouseAction::Doubling);
    EXPECT_EQ(w.ui().Option5->isChecked(), s.work.slaved);
    const std::pair<int, bool> toggles[] = {{2, s.view.controlPolygonShown},
                                            {3, s.view.samplePointsShown},
                                            {5, s.view.handlesHidden},
                                            {10, s.view.axesOn},
                                            {14, s.view.gridOn}};
    for (const auto& [index, on] : toggles)
        EXPECT_EQ(Main::tagValue(w.pb1Tag(index)) != 0, on) << "pb1(" << index << ")";
    EXPECT_EQ(w.ui().Command4->property("tag").toString() == "1", s.view.pictureShown);
    EXPECT_EQ(w.ui().SSTab1->currentIndex(), s.view.tab == EditorTab::Masque ? 1 : 0);
}

class RandomUser {
public:
    // formers: the panel "Couples" too, its list operations among the editing.
    explicit RandomUser(Main& w, unsigned seed = 20240607u, bool formers = false)
        : w_(w), rng_(seed), formers_(formers) {}

    // One random action; returns a short description for failure messages.
    std::string step() {
        const FormerModel& m = w_.model();
        const int kind = pick(0, formers_ ? 137 : 127);
        if (kind >= 128)
            return formerStep(kind - 128);
        if (kind >= 124)
            return loupeStep(kind - 124);
        if (kind >= 120) {
            // The window dragged to another size changes only the view: the former, its
            // samples and the 3-D part stay, and the mouse still works in its millimetres.
            const std::vector<PointXYZ> points = m.Pts_Couple;
            const std::vector<PointXYZ> samples = m.Doublage_Droit;
            const QSize size = w_.size();
            w_.resize(QSize(pick(300, 2400), pick(200, 1400)));
            EXPECT_EQ(m.Pts_Couple, points);
            EXPECT_EQ(m.Doublage_Droit, samples);
            w_.resize(size); // and back, so the session compares with a fresh window
            return "resize";
        }
        if (kind >= 100)
            return viewStep(kind - 100);
        if (kind < 22) {
            const QPointF at = pointOnSurface();
            const Qt::MouseButton b = kind < 14   ? Qt::LeftButton
                                      : kind < 19 ? Qt::RightButton
                                                  : Qt::MiddleButton;
            // The middle button drags the drawing, or pins once up if it did not move; while
            // it is down the surface takes no other button: it is let go first.
            if (held_ == Qt::MiddleButton) { // let go first, an action of its own
                release(w_, at, Qt::MiddleButton);
                if (!middlePanned_)
                    pinned();
                held_ = Qt::NoButton;
                return "release";
            }
            middleFrom_ = w_.ui().Picture1->toPixels(at.x(), at.y());
            middlePanned_ = false;
            press(w_, at, b);
            if (b == Qt::RightButton)
                pinned();
            held_ = b;
            return "press";
        }
        if (kind < 50) {
            // Some moves leave the surface: the surface keeps the mouse while a button is held.
            const QRectF shown = w_.ui().Picture1->visibleMm();
            const QPointF at(uniform(shown.left() - 20.0, shown.right() + 20.0),
                             uniform(shown.top() - 20.0, shown.bottom() + 20.0));
            const QPointF px = w_.ui().Picture1->toPixels(at.x(), at.y());
            moveTo(w_, at, held_);
            if (held_ == Qt::LeftButton)
                ++expected_[0];
            if (held_ == Qt::MiddleButton) {
                middlePanned_ = middlePanned_ || (px - middleFrom_).manhattanLength() >=
                                                     QApplication::startDragDistance();
            } else {
                EXPECT_EQ(w_.ui().lblX->text(), Main::pointerText(static_cast<float>(at.x())));
            }
            return "move";
        }
        if (kind < 58) {
            release(w_, pointOnSurface(), held_ == Qt::NoButton ? Qt::LeftButton : held_);
            if (held_ == Qt::MiddleButton && !middlePanned_)
                pinned();
            held_ = Qt::NoButton;
            return "release";
        }
        if (kind < 66) {
            userClick(w_.ui().Check4);
            updated_ = true;
            ++expected_[1];
            return "Check4";
        }
        if (kind < 82) {
            QRadioButton* options[] = {w_.ui().Option1, w_.ui().Option2, w_.ui().Option3,
                                       w_.ui().Option4, w_.ui().Option5, w_.ui().Option6,
                                       w_.ui().Option7};
            QRadioButton* o = options[pick(0, 6)];
            const bool runs = o->isEnabled() && !o->isChecked();
            const bool joint = o == w_.ui().Option1 || o == w_.ui().Option7;
            const bool assembly = joint || o == w_.ui().Option2;
            if (runs && assembly) // raised to 16 samples, the part is built anew
                ++expected_[joint && w_.ui().Hscroll2->value() < 16 ? 1 : 0];
            userClick(o);
            return o->objectName().toStdString();
        }
        if (kind < 90) {
            const int v = pick(1, 9);
            const bool moves = w_.ui().Hscroll1->isEnabled() && v != w_.ui().Hscroll1->value();
            if (userSlide(w_.ui().Hscroll1, v) && moves) {
                updated_ = true;
                ++expected_[0];
            }
            return "Hscroll1";
        }
        if (kind < 96) {
            const int v = pick(10, 40);
            const int before = w_.ui().Hscroll2->value();
            const int after = v < 16 && !w_.ui().Option2->isChecked() ? 16 : v;
            userSlide(w_.ui().Hscroll2, v);
            if (after != before)
                ++expected_[1];
            return "Hscroll2";
        }
        const int k = pick(1, 9);
        const int before = w_.ui().Hscroll3->value();
        userSlide(w_.ui().Hscroll3, k);
        if (k != before)
            ++expected_[0]; // the 3-D part follows the new order in place
        return "Hscroll3";
    }

    void checkInvariants(const std::string& what) const {
        SCOPED_TRACE(what);
        const FormerModel& m = w_.model();
        const auto M = static_cast<std::size_t>(m.Nb_Points);
        EXPECT_EQ(m.Nb_Points, w_.ui().Hscroll2->value());
        for (const auto* a :
             {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
            ASSERT_EQ(a->size(), M);
        ASSERT_EQ(m.Pts_Couple.size(), 9u);
        ASSERT_EQ(m.Pts_Doublage.size(), 9u);
        EXPECT_TRUE(w_.ui().Option2->isChecked() || m.Nb_Points >= 16);
        EXPECT_GE(m.Idx_Point, 0);
        EXPECT_LE(m.Idx_Point, m.Der_Point);
        for (const PointXYZ& p : m.Pts_Couple)
            ASSERT_GE(p.x, m.X1()) << "no point left of the axis";
        for (const PointXYZ& c : m.Courbe_Droite)
            ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y));
        if (rebuilds_) {
            EXPECT_EQ(rebuilds_->delta(), expected_);
        }
        expectControlsShow(w_, w_.editorState());
        // The visible handle set is the one the mouse acts on, unless "Poignées" hid the
        // former's handles since.
        const bool couple = w_.ui().Option3->isChecked();
        for (int i = 0; i <= m.Der_Point; ++i) {
            ASSERT_EQ(m.shppi[i].Visible, handlesToggled_ ? m.shppi[0].Visible : couple) << i;
            ASSERT_EQ(m.Shape1[i].Visible, !couple) << i;
        }

        if (!updated_)
            return;
        // Once the doubling was updated, the enabled states follow the doubling and "Oui".
        const bool on = w_.ui().Check4->isChecked();
        const bool slaved = w_.ui().Option5->isChecked();
        for (const QWidget* c : std::initializer_list<const QWidget*>{
                 w_.ui().Frame2, w_.ui().Frame4, w_.ui().Frame6, w_.ui().Hscroll1})
            EXPECT_EQ(c->isEnabled(), on) << c->objectName().toStdString();
        EXPECT_EQ(w_.ui().Label6->isHidden(), !on);
        EXPECT_EQ(!w_.ui().Option4->testAttribute(Qt::WA_ForceDisabled), on && !slaved);
        EXPECT_TRUE((on && !slaved) || w_.ui().Option3->isChecked());
    }

    void start() {
        rebuilds_ = std::make_unique<RebuildCounter>(w_);
        expected_ = {0, 0};
    }
    Qt::MouseButton heldButton() const { return held_; }

private:
    // What changes the look without changing the outline: the toolbar's toggles, the 3-D
    // part's dimensions, and the 3-D window's view, piece and camera.
    std::string viewStep(int kind) {
        if (kind < 5) {
            const int index = std::array{2, 3, 5, 10, 14}[static_cast<std::size_t>(kind)];
            w_.ui().pb1(index)->click();
            handlesToggled_ = handlesToggled_ || index == 5;
            return "pb1(" + std::to_string(index) + ")";
        }
        if (kind < 9) {
            QSlider* sliders[] = {w_.ui().Slider1, w_.ui().Slider2, w_.ui().Slider3};
            QSlider* s = sliders[pick(0, 2)];
            userSlide(s, pick(1, s->maximum()));
            return s->objectName().toStdString();
        }
        Frm3D& f = *w_.frm3D();
        if (kind < 12) {
            f.pb1(pick(1, 5))->click();
            return "Frm3D.pb1";
        }
        if (kind < 14) {
            f.pb2(pick(0, 4))->click();
            return "Frm3D.pb2";
        }
        if (kind < 19) {
            const int button = pick(0, 2); // none, left (turn) or right (distance)
            f.Picture1_MouseMove(button, 0, static_cast<float>(uniform(0.0, 480.0)),
                                 static_cast<float>(uniform(0.0, 400.0)));
            return "orbit";
        }
        w_.ui().pb1(11)->click(); // "Vue 3D"
        return "pb1(11)";
    }

    // The panel "Couples": a former added, copied, renamed (sometimes to a name refused),
    // removed, selected, or its station typed (sometimes no number). Not while a button is
    // held: the panel is another window.
    std::string formerStep(int kind) {
        if (held_ != Qt::NoButton)
            return "panel skipped";
        const int count = static_cast<int>(w_.session().formers().size());
        QTableWidget& list = *w_.ui().lstCouples;
        if (kind < 2 && count < 8) {
            userClick(w_.ui().cmdNouveau);
            return "Nouveau";
        }
        if (kind < 3 && count < 8) {
            userClick(w_.ui().cmdDupliquer);
            return "Dupliquer";
        }
        if (kind < 4) {
            auto& dialogs = static_cast<ScriptedEditor&>(w_).dialogs;
            const int taken = pick(0, count - 1);
            const std::string name = pick(0, 3) == 0
                                         ? w_.session().formers()[std::size_t(taken)]->name
                                         : "C" + std::to_string(pick(1, 30));
            dialogs.text = [name](const QString&) { return QString::fromStdString(name); };
            dialogs.warning = [](const QString&, const QString&) {};
            userClick(w_.ui().cmdRenommer);
            return "Renommer " + name;
        }
        if (kind < 5) {
            userClick(w_.ui().cmdSupprimer); // disabled for the last one
            return "Supprimer";
        }
        const int row = pick(0, count - 1);
        if (kind < 8) {
            list.setCurrentCell(row, 0);
            return "select " + std::to_string(row);
        }
        const QString typed =
            pick(0, 4) == 0 ? QStringLiteral("abc") : QString::number(pick(-400, 1200) / 4.0);
        list.item(row, 1)->setText(typed);
        return "station " + typed.toStdString();
    }

    // The drawing's own view: the wheel, a drag of the drawing with Space held, "Ajuster". The
    // work stays as it was to the bit, whatever the view does.
    std::string loupeStep(int kind) {
        const EditorState before = w_.editorState();
        const std::vector<PointXYZ> samples = w_.model().Courbe_Droite;
        const bool modified = w_.session().modified();
        std::string what;
        if (kind < 2) {
            const int eighths = std::array{120, -120, 360, -240, 60, 480}[std::size_t(pick(0, 5))];
            wheel(w_, pointOnSurface(), eighths);
            what = "wheel " + std::to_string(eighths);
        } else if (kind < 3 && held_ == Qt::NoButton) {
            // Space held over the surface: the left button drags the drawing, no point.
            const QPointF from = w_.ui().Picture1->visibleMm().center();
            moveTo(w_, from, Qt::NoButton);
            QTest::keyPress(&w_, Qt::Key_Space);
            press(w_, from);
            moveTo(w_, pointOnSurface());
            release(w_, pointOnSurface());
            QTest::keyRelease(&w_, Qt::Key_Space);
            what = "space drag";
        } else {
            w_.ui().IM_Fit->trigger();
            what = "Ajuster";
        }
        const EditorState after = w_.editorState();
        EXPECT_TRUE(after.work == before.work) << what;
        EXPECT_EQ(w_.model().Courbe_Droite, samples) << what;
        EXPECT_EQ(w_.session().modified(), modified) << what;
        return what;
    }

    // A press of the right button or a click of the middle one: the press rebuilds in place;
    // pinning also runs the scale handler.
    void pinned() {
        updated_ = true;
        ++expected_[0]; // the pin: the part follows in place, once
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    double uniform(double lo, double hi) {
        // Quarter millimetres: ties between handles and exact axis positions come up.
        return std::round(std::uniform_real_distribution<double>(lo, hi)(rng_) * 4.0) / 4.0;
    }
    // A point of the part of the surface shown.
    QPointF pointOnSurface() {
        const QRectF shown = w_.ui().Picture1->visibleMm();
        return {std::clamp(uniform(shown.left(), shown.right()), shown.left(), shown.right()),
                std::clamp(uniform(shown.top(), shown.bottom()), shown.top(), shown.bottom())};
    }

    Main& w_;
    std::mt19937 rng_;
    Qt::MouseButton held_ = Qt::NoButton;
    QPointF middleFrom_;          // logical pixels where the middle button went down
    bool middlePanned_ = false;   // it has moved far enough to drag the drawing
    bool updated_ = false;        // the doubling's controls were updated at least once
    bool handlesToggled_ = false; // "Poignées" was clicked
    std::array<int, 2> expected_{0, 0};
    std::unique_ptr<RebuildCounter> rebuilds_;
    bool formers_ = false;
};

TEST(RandomEditing, InvariantsHoldThroughALongSessionOfUserActions) {
    auto w = shownMain();
    RandomUser user(*w);
    user.start();
    for (int i = 0; i < 1500; ++i) {
        const std::string what = "step " + std::to_string(i) + ": " + user.step();
        if (i % 25 == 0)
            QApplication::processEvents(); // the surface repaints now and then
        user.checkInvariants(what);
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasFailure())
            break;
    }
}

// Every frame of the drawing surface shows what a composition from scratch of the same state
// shows: the screen, which the window repaints only where something changed, and the surface
// painted whole from what it keeps. The session edits with the mouse, moves the sliders, shows a
// picture and moves its "Horiz", "Vert" and "Zoom" by a little and by a lot, switches it, the
// grid, the polygon, the points and the handles, resizes the window, and zooms and pans the
// drawing's own view with the wheel and the middle button. ctest runs it at 100 % and at 200 %.
TEST(RandomEditing, EveryFrameOfTheSurfaceShowsWhatAFreshCompositionShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A plan whose pixels all differ, so that a pixel taken from the wrong place shows.
    QImage plan(900, 700, QImage::Format_RGB32);
    for (int y = 0; y < plan.height(); ++y)
        for (int x = 0; x < plan.width(); ++x)
            plan.setPixel(x, y, qRgb(x & 255, ((x >> 8) & 15) | ((y >> 8) << 4), y & 255));
    ASSERT_TRUE(plan.save(dir.filePath("plan.png")));
    auto w = shownMain();
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    RandomUser user(*w, 20261220u);
    std::mt19937 rng(31);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    auto settle = [] {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    };
    // A point of the part of the surface shown, in quarter millimetres.
    auto shownPoint = [&p, &pick] {
        const QRectF shown = p.visibleMm();
        return QPointF(shown.left() + shown.width() * pick(0, 400) / 400.0,
                       shown.top() + shown.height() * pick(0, 400) / 400.0);
    };
    PaintWatcher watcher(p);
    QImage screen = watcher.whole();
    for (int step = 0; step < 400; ++step) {
        std::string what;
        const int kind = pick(0, 15);
        if (kind < 4) {
            what = user.step();
        } else if (kind >= 12) {
            // The drawing's own view: the wheel by a notch or several, a drag of the drawing
            // with the middle button, "Ajuster" now and then.
            if (kind < 14) {
                wheel(*w, shownPoint(), 120 * pick(-2, 4));
                what = "wheel";
            } else if (kind < 15) {
                middleDrag(*w, shownPoint(), shownPoint(), pick(1, 4));
                what = "middle drag";
            } else {
                w->ui().IM_Fit->trigger();
                what = "Ajuster";
            }
        } else if (kind < 6) {
            // A drag of a handle of the set the mouse acts on, in a few moves (from where the
            // surface shows, when the view hides the handle).
            const auto& set = w->ui().Option3->isChecked() ? m.shppi : m.Shape1;
            QPointF at = centreOf(m, set[std::size_t(pick(0, m.Der_Point))]);
            if (!p.visibleMm().contains(at))
                at = shownPoint();
            press(*w, at);
            for (int i = pick(1, 4); i > 0; --i) {
                at += QPointF(pick(-40, 40) / 4.0, pick(-40, 40) / 4.0);
                moveTo(*w, at);
            }
            release(*w, at);
            what = "drag";
        } else if (kind < 8) {
            // The picture's sliders, by a step or anywhere; nothing while it is off.
            QSlider* sliders[] = {w->ui().Slider4, w->ui().Slider6, w->ui().Slider5};
            QSlider* s = sliders[pick(0, 2)];
            const int to = pick(0, 1)
                               ? s->value() + pick(-3, 3)
                               : pick(s->minimum(), s == w->ui().Slider6 ? 300 : s->maximum());
            userSlide(s, std::clamp(to, s->minimum(), s->maximum()));
            what = s->objectName().toStdString();
        } else if (kind < 9) {
            if (w->PicturePath().isEmpty())
                choosePicture(*w, dir.filePath("plan.png"));
            else
                w->ui().Command4->click();
            what = "picture";
        } else if (kind < 10) {
            w->resize(pick(300, 1600), pick(250, 1000));
            what = "resize";
        } else {
            const int index = std::array{2, 3, 5, 14}[std::size_t(pick(0, 3))];
            w->ui().pb1(index)->click();
            what = "pb1(" + std::to_string(index) + ")";
        }
        settle();
        if (screen.size() != p.size() * p.devicePixelRatioF())
            screen = watcher.blank(); // a new size is painted whole
        // A repaint that finds the outline changed since it was drawn (a handler that changed
        // an option without drawing) shows the change by another one.
        for (int round = 0; round < 3; ++round) {
            watcher.repaintInto(screen);
            settle();
        }
        watcher.repaintInto(screen);
        const QImage afresh = p.composedAfresh();
        ASSERT_TRUE(screen == afresh) << "step " << step << ": " << what;
        ASSERT_TRUE(watcher.whole() == afresh) << "step " << step << ": " << what;
        // Painted on pixels of another order than the surface's own, it is composed aside
        // and copied.
        if (step % 8 == 0) {
            QImage aside(p.size() * p.devicePixelRatioF(), QImage::Format_RGBX8888);
            aside.setDevicePixelRatio(p.devicePixelRatioF());
            p.render(&aside, QPoint(), QRegion(), QWidget::RenderFlags());
            ASSERT_TRUE(aside.convertToFormat(QImage::Format_RGB32) == afresh)
                << "step " << step << ": " << what;
        }
    }
}

// The vertices of the former's 3-D part.
std::vector<Vector3> formerVertices(const Main& w) {
    return w.frm3D()->part().vertices;
}

// Their depths.
std::vector<float> formerDepths(const Main& w) {
    std::vector<float> depths;
    for (const Vector3& v : formerVertices(w))
        depths.push_back(v.z);
    return depths;
}

// What the controls show beside their values: enabled states, the mode label, the boxes.
std::string controlsLook(const Main& w) {
    std::string look = doublingLook(w);
    for (const QWidget* c :
         std::initializer_list<const QWidget*>{w.ui().Frame8, w.ui().Frame9, w.ui().Slider1,
                                               w.ui().Slider2, w.ui().Slider3, w.frm3D()})
        look += " " + c->objectName().toStdString() + (ownEnabled(c) ? "+" : "-");
    for (const QLineEdit* box :
         std::initializer_list<const QLineEdit*>{w.ui().Text3, w.ui().T_EP, w.ui().T_H, w.ui().T_L})
        look += " " + box->text().toStdString();
    return look;
}

// The five pieces' profiles and the project file, as the user would save them now.
QByteArrayList savedWork(ScriptedEditor& w, const QString& folder) {
    QByteArrayList files;
    auto read = [&files](const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        files.push_back(f.readAll());
    };
    const QString dat = folder + QStringLiteral("/piece.DAT");
    w.dialogs.fileName = [dat](const QString&, const QString&, int) { return dat; };
    for (int piece = 1; piece <= 5; ++piece) {
        EXPECT_TRUE(w.Save_Couple(piece));
        read(dat);
    }
    const QString project = folder + QStringLiteral("/work.couple");
    EXPECT_TRUE(w.saveProject(project));
    read(project);
    return files;
}

// Every so often the state is recorded and shown in a fresh window: that window gives back
// the same state and writes the same profiles and project.
TEST(RandomEditing, AStateShownInAFreshWindowGivesBackTheStateAndTheSameProfiles) {
    auto w = shownMain();
    RandomUser user(*w, 20261206u);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int checkpoint = 0; checkpoint < 8; ++checkpoint) {
        for (int i = 0; i < 80; ++i)
            user.step();
        if (checkpoint % 3 == 2) {
            // The doubling decoupled and dragged on its own, which random clicks seldom reach.
            release(*w, {70.0, 40.0});
            if (!w->ui().Check4->isChecked())
                userClick(w->ui().Check4);
            userClick(w->ui().Option6);
            userClick(w->ui().Option4);
            dragHandle(*w, w->model().Shape1[4], QPointF(80.0 + checkpoint, 45.0));
        }
        if (checkpoint % 2 == 1)
            userSlide(w->ui().Slider1, 10 + 13 * checkpoint); // "Ep.:" moved since the last build
        w->ui().SSTab1->setCurrentIndex(checkpoint % 2);
        const EditorState recorded = w->editorState();
        SCOPED_TRACE("checkpoint " + std::to_string(checkpoint));

        auto fresh = shownMain();
        const RebuildCounter rebuilds(*fresh);
        fresh->showEditorState(recorded);
        EXPECT_EQ(rebuilds.delta(), (std::array<int, 2>{0, 1}));
        QApplication::processEvents(); // the repaint samples the outline once more
        EXPECT_TRUE(fresh->editorState() == recorded);
        EXPECT_EQ(controlsLook(*fresh), controlsLook(*w));
        // The drawing surface shows the same, the pointer's coordinates aside.
        for (Main* window : {w.get(), fresh.get()}) {
            window->ui().lblX->clear();
            window->ui().lblY->clear();
        }
        EXPECT_TRUE(fresh->ui().Picture1->grab().toImage() == w->ui().Picture1->grab().toImage());
        // The same 3-D part. Its depth first: off centre after a thickness move, as the
        // session's is. Then, both rebuilt in place, the whole part (the session's may lag
        // behind its outline, and the dimension sliders scale it step by step).
        EXPECT_EQ(formerDepths(*fresh), formerDepths(*w));
        w->RebuildFormerMesh(0);
        fresh->RebuildFormerMesh(0);
        EXPECT_TRUE(formerVertices(*fresh) == formerVertices(*w));
        EXPECT_EQ(savedWork(*fresh, dir.path()), savedWork(*w, dir.path()));
        w->ui().SSTab1->setCurrentIndex(0);
    }
}

// The formers and the one edited, as a step leaves them.
struct ProjectWorkState {
    std::vector<Former> formers;
    int current = 0;
    friend bool operator==(const ProjectWorkState&, const ProjectWorkState&) = default;
};

ProjectWorkState projectWork(const Main& w) {
    const ProjectState p = w.session().projectState();
    return {p.formers, p.current};
}

// A random session over several formers (the panel's list operations among the editing), each
// user action recorded once it is over, is undone step by step to the start and redone to its
// end: every step gives back the formers recorded there and the former that was edited (the
// display stays as the session left it), the start its profiles, the end its profiles and
// project, which a fresh window opens equal.
TEST(RandomEditing, UndoingEveryStepGivesBackTheStartAndRedoingThemTheEnd) {
    auto w = shownMain();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RandomUser user(*w, 20261213u, true);
    std::vector<ProjectWorkState> work{projectWork(*w)}; // after start-up, then after each step
    std::vector<int> madeOn{0}; // the former edited when each step was made
    const QByteArrayList atStart = savedWork(*w, dir.path());
    int editedBefore = 0;
    // After each action: a new step, or the last one amended (a drag going on, key steps
    // merged) or taken away (merged back where it started).
    auto record = [&] {
        const int index = w->session().history().index();
        ASSERT_LE(index, static_cast<int>(work.size()));
        ASSERT_GE(index, static_cast<int>(work.size()) - 2);
        if (index == static_cast<int>(work.size())) {
            work.push_back(projectWork(*w));
            madeOn.push_back(editedBefore);
        } else if (index < static_cast<int>(work.size()) - 1) {
            work.pop_back();
            madeOn.pop_back();
        } else if (index > 0 && !(projectWork(*w).formers == work.back().formers)) {
            work.back().formers = projectWork(*w).formers;
        }
    };
    std::size_t mostFormers = 1;
    for (int i = 0; i < 700; ++i) {
        editedBefore = w->session().current();
        const std::string what = user.step();
        record();
        mostFormers = std::max(mostFormers, w->session().formers().size());
        ASSERT_EQ(w->ui().lstCouples->rowCount(), int(w->session().formers().size())) << what;
        ASSERT_EQ(w->ui().lstCouples->currentRow(), w->session().current()) << what;
    }
    if (user.heldButton() != Qt::NoButton)
        release(*w, {70.0, 40.0}, user.heldButton());
    record();
    ASSERT_GT(work.size(), 40u);
    EXPECT_GE(mostFormers, 4u);
    const QByteArrayList atEnd = savedWork(*w, dir.path());
    const ProjectWorkState end = projectWork(*w);

    for (std::size_t k = work.size() - 1; k > 0; --k) {
        ASSERT_TRUE(w->ui().IM_Undo->isEnabled());
        w->ui().IM_Undo->trigger();
        // The formers as they were, and the former the step was made on edited again.
        ASSERT_TRUE(projectWork(*w).formers == work[k - 1].formers) << "undo to step " << k - 1;
        ASSERT_EQ(w->session().current(), madeOn[k]) << "undo to step " << k - 1;
        ASSERT_EQ(w->ui().lstCouples->currentRow(), w->session().current());
        expectControlsShow(*w, w->editorState());
    }
    EXPECT_FALSE(w->ui().IM_Undo->isEnabled());
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_EQ(savedWork(*w, dir.path()).mid(0, 5), atStart.mid(0, 5));
    for (std::size_t k = 1; k < work.size(); ++k) {
        w->ui().IM_Redo->trigger();
        ASSERT_TRUE(projectWork(*w) == work[k]) << "redo to step " << k;
    }
    EXPECT_FALSE(w->ui().IM_Redo->isEnabled());
    // The same profiles; the project's work is the same (above), its view may not be: the
    // handles of the set the mouse acts on show again as each step is done again, whatever
    // "Poignées" had hidden since (the view is no step).
    EXPECT_EQ(savedWork(*w, dir.path()).mid(0, 5), atEnd.mid(0, 5));

    auto reopened = shownMain();
    ASSERT_TRUE(reopened->openProject(dir.path() + QStringLiteral("/work.couple")));
    EXPECT_TRUE(projectWork(*reopened) == end);
    expectControlsShow(*reopened, w->editorState());
}

} // namespace

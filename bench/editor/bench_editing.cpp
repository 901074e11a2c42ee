// The whole drag step: one mouse move with the left button held on the drawing surface (the
// point and what follows it move, the outline is sampled, the 3-D part follows) up to both
// windows redrawn: the 3-D frame drawn, then what each window asked to repaint painted, as the
// event loop would, synchronously. Each repetition is one step, so the median and the 99th
// percentile are those of single steps. Run it with
// QT_SCALE_FACTOR=2 for both windows at 200 %: the widths stay logical, the layers and the 3-D
// frame have twice as many pixels each way.
#include "editor/fuselage_window.h"
#include "editor/picture_box.h"
#include "editor/scripted_editor.h"
#include "editor/surface_mouse.h"
#include "frm3d_test_access.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>

#include "bench_statistics.h"
#include "frame_copy.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

namespace {

// The yardstick, in the same run as the steps.
void BM_FrameCopy_1920x1080(benchmark::State& state) {
    frameCopy1920x1080(state);
}
BENCHMARK(BM_FrameCopy_1920x1080)->Apply(configureFrameCopy);

// Logical pixels per millimetre of the drawing surface, measured once: a surface made for it
// at every repetition would cost more than the steps measured.
double surfacePixelsPerMm() {
    static const double pxPerMm = PictureBox().pixelsPerMm();
    return pxPerMm;
}

// The paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& w) { w.installEventFilter(this); }
    int count() const { return count_; }
    bool eventFilter(QObject*, QEvent* event) override {
        count_ += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    int count_ = 0;
};

// One editor per surface and point count, with the doubling on (slaved) and point 3 picked;
// the 3-D surface measures surface3d pixels.
// The editors live until the benchmarks end, and go before the application does.
std::map<std::pair<int, int>, std::unique_ptr<ScriptedEditor>> sessions;

Main& dragSession(QSizeF surfaceMm, QSize surface3d, int points, bool constantWidth = false) {
    auto& w = sessions[{qRound(surfaceMm.width() * 1000), points + (constantWidth ? 1000 : 0)}];
    if (!w) {
        if (sessions.size() == 1)
            atBenchmarksEnd([] { sessions.clear(); });
        w = std::make_unique<ScriptedEditor>(surfaceMm);
        w->show();
        w->frm3D()->resize(surface3d);
        QApplication::processEvents();
        w->ui().Check4->click();
        if (constantWidth) // 5 mm at the real scale 1
            w->ui().optConstantWidth->click();
        w->ui().Hscroll2->setValue(points);
        const FormerModel& m = w->model();
        const Handle& h = m.shppi[3];
        sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseButtonPress,
                         {h.Left + m.Rayon_X, h.Top - m.Rayon_Y}, Qt::LeftButton, Qt::LeftButton);
        QApplication::processEvents();
    }
    return *w;
}

void dragStep(benchmark::State& state, QSizeF surfaceMm, QSize surface3d,
              bool constantWidth = false) {
    const int points = static_cast<int>(state.range(0));
    Main& w = dragSession(surfaceMm, surface3d, points, constantWidth);
    PictureBox& p = *w.ui().Picture1;
    const FormerModel& m = w.model();
    // Right of the axis, so that every move really moves the point.
    const double x0 = m.X1() + 0.3 * (p.ScaleWidth() / 2);
    const double y0 = m.Y1() - 0.2 * p.ScaleHeight();
    int step = 0;
    const FrameCounter frames(*w.frm3D());
    const PaintCounter paints(p), paints3d(*w.frm3D()->Picture1);
    for (auto _ : state) {
        const double dx = (step++ % 2) == 0 ? 0.0 : 1.5;
        sendSurfaceMouse(p, QEvent::MouseMove, {x0 + dx, y0}, Qt::NoButton, Qt::LeftButton);
        w.frm3D()->drawPendingFrame();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    // Paint events per step: 1 each when both windows were repainted.
    state.counters["paints"] = paints.count() / double(step);
    state.counters["paints3d"] = paints3d.count() / double(step);
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
    state.counters["points"] = m.Nb_Points;
    state.counters["frames3d"] = frames.frames();
    state.counters["width3d_px"] = w.frm3D()->Picture1->width();
    state.counters["height3d_px"] = w.frm3D()->Picture1->height();
    // Device pixels per logical pixel of both windows: 2 under QT_SCALE_FACTOR=2.
    state.counters["pixel_ratio"] = w.frm3D()->Picture1->devicePixelRatioF();
}

void BM_DragStep_DesignSize(benchmark::State& state) {
    dragStep(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight},
             {Frm3D::kDesignWidth, Frm3D::kDesignHeight});
}

// The same step with the doubling of constant width (5 mm) instead of the scaled one.
void BM_DragStep_ConstantWidth_DesignSize(benchmark::State& state) {
    dragStep(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight},
             {Frm3D::kDesignWidth, Frm3D::kDesignHeight}, true);
}

void BM_DragStep_1920x1080(benchmark::State& state) {
    const double pxPerMm = surfacePixelsPerMm();
    dragStep(state, {1920 / pxPerMm, 1080 / pxPerMm}, {1920, 1080});
}

void configure(benchmark::internal::Benchmark* b) {
    b->Arg(13)->Arg(100);
    stepStatistics(b, 600);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_DragStep_DesignSize)->Apply(configure);
BENCHMARK(BM_DragStep_ConstantWidth_DesignSize)->Apply(configure);
BENCHMARK(BM_DragStep_1920x1080)->Apply(configure);

// Switching the edited former in the panel "Couples" of a project of twenty formers of 100
// points with their doublings, both windows at 1920 x 1080: the former is shown in the editor,
// its part built and drawn in the 3-D window (argument 1: the whole fuselage drawn instead), and
// both windows repainted. Each step selects the other of two formers.
std::map<int, std::unique_ptr<ScriptedEditor>> fuselageSessions;
int switchErrors = 0; // the 3-D window's errors: none is expected

void BM_SwitchFormer_1920x1080(benchmark::State& state) {
    const bool fuselage = state.range(0) != 0;
    auto& w = fuselageSessions[fuselage];
    if (!w) {
        if (fuselageSessions.size() == 1)
            atBenchmarksEnd([] { fuselageSessions.clear(); });
        const double pxPerMm = surfacePixelsPerMm();
        w = std::make_unique<ScriptedEditor>(QSizeF(1920 / pxPerMm, 1080 / pxPerMm));
        w->show();
        w->frm3D()->resize(1920, 1080);
        QApplication::processEvents();
        w->ui().Check4->click();
        w->ui().Hscroll2->setValue(100);
        w->frm3D()->errorPresenter = [](int, const QString&) { ++switchErrors; };
        for (int i = 1; i < 20; ++i) {
            // Each former differs from the one before, as traced formers do.
            w->cmdNouveau_Click();
            w->ui().Hscroll2->setValue(100 - i % 7);
            w->ui().Slider1->setValue(w->ui().Slider1->minimum() + i);
        }
        if (fuselage) // "Vue Fuselage", as the user shows it
            w->frm3D()->pb1(6)->click();
        QApplication::processEvents();
    }
    PictureBox& p = *w->ui().Picture1;
    static int step = 0; // a repetition is one step: the next selects the other former
    for (auto _ : state) {
        w->lstCouples_Click((step++ % 2) == 0 ? 4 : 15);
        w->frm3D()->drawPendingFrame();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    QApplication::processEvents(); // the 3-D window tells its errors once back in the loop
    state.counters["errors3d"] = switchErrors;
    state.counters["fuselage"] = w->frm3D()->fuselageShown();
    state.counters["formers"] = double(w->session().formers().size());
    state.counters["points"] = w->model().Nb_Points;
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
}

BENCHMARK(BM_SwitchFormer_1920x1080)
    ->ArgName("fuselage")
    ->Arg(0)
    ->Arg(1)
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 200); })
    ->Unit(benchmark::kMicrosecond);

// One step of a drag of a point of "Dos" in the window "Fuselage", twenty formers of 100 points
// following the fuselage from one key former, the window "Fuselage" and the editor at
// 1920 x 1080 (argument 1: "Vue Fuselage" shown in the 3-D window too): the curve sampled again,
// the followers its span covers placed again, and every window redrawn. Each repetition moves
// the point between two heights.
void BM_DragDosPoint_1920x1080(benchmark::State& state) {
    const bool fuselage3d = state.range(0) != 0;
    static std::map<bool, std::unique_ptr<ScriptedEditor>> editors;
    auto& w = editors[fuselage3d];
    if (!w) {
        if (editors.size() == 1)
            atBenchmarksEnd([] { editors.clear(); });
        const double pxPerMm = surfacePixelsPerMm();
        w = std::make_unique<ScriptedEditor>(QSizeF(1920 / pxPerMm, 1080 / pxPerMm));
        w->show();
        w->frm3D()->resize(1920, 1080);
        QApplication::processEvents();
        w->ui().Hscroll2->setValue(100);
        Changed c = Changed::None;
        EditorSession& s = w->session();
        s.setCurve(CurveKind::Dos, {{0, 30}, {120, 45}, {250, 48}, {380, 40}, {500, 20}}, c);
        s.setCurve(CurveKind::Ventre, {{0, -20}, {250, -40}, {500, -10}}, c);
        s.setCurve(CurveKind::Flanc, {{0, 20}, {250, 35}, {500, 8}}, c);
        std::string why;
        for (int i = 1; i <= 20; ++i) {
            s.addFormer(why, c);
            s.setStation(s.current(), 25.0 * (i - 1), why, c);
            if (i == 1)
                s.setFollows(s.current(), true, why, c);
        }
        w->show(Changed::All);
        w->IM_Fuselage_Click();
        w->fuselageWindow()->resize(1920, 1080);
        if (fuselage3d)
            w->frm3D()->showFuselage(true);
        QApplication::processEvents();
        FuselageDrawing* side = w->fuselageWindow()->drawing(EditorSession::PlanView::Side);
        const CurvePoint& p = s.fuselageWork().curves.dos[2];
        const QPointF at = side->toPixel(p.station, p.value);
        QMouseEvent press(QEvent::MouseButtonPress, at, side->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(side, &press);
    }
    FuselageDrawing* side = w->fuselageWindow()->drawing(EditorSession::PlanView::Side);
    const CurvePoint from = w->session().fuselageWork().curves.dos[2];
    const QPointF at = side->toPixel(from.station, from.value);
    const PaintCounter paints(*side);
    static int step = 0;
    for (auto _ : state) {
        const QPointF to = at + QPointF(0.0, (step++ % 2) == 0 ? -8.0 : 0.0);
        QMouseEvent move(QEvent::MouseMove, to, side->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(side, &move);
        w->frm3D()->drawPendingFrame();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    int following = 0;
    for (const auto& f : w->session().formers())
        following += f->follows ? 1 : 0;
    state.counters["following"] = following;
    state.counters["points"] = w->model().Nb_Points;
    state.counters["paints"] = paints.count() / double(std::max(step, 1));
}
BENCHMARK(BM_DragDosPoint_1920x1080)
    ->ArgName("fuselage3d")
    ->Arg(0)
    ->Arg(1)
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 300); })
    ->Unit(benchmark::kMicrosecond);

// One step of a drag of "Horiz" or of "Zoom" with a 4000 x 3000 picture on: the picture is
// copied, shifted and scaled, the curve is drawn over it and the surface repainted. A pan keeps
// the zoom, a zoom the pan; each step moves the slider between two values.
// One editor per surface with the picture on; they live until the benchmarks end.
std::unique_ptr<QTemporaryDir> pictureFolder;
std::map<int, std::unique_ptr<ScriptedEditor>> pictureSessions;

Main* pictureSession(QSizeF surfaceMm) {
    if (!pictureFolder) {
        pictureFolder = std::make_unique<QTemporaryDir>();
        QImage plan(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < plan.height(); ++y)
            for (int x = 0; x < plan.width(); ++x)
                plan.setPixel(x, y, qRgb(x & 255, (x ^ y) & 255, y & 255));
        plan.save(pictureFolder->filePath("plan.jpg"));
        atBenchmarksEnd([] {
            pictureSessions.clear();
            pictureFolder.reset();
        });
    }
    auto& w = pictureSessions[qRound(surfaceMm.width() * 1000)];
    if (!w) {
        w = std::make_unique<ScriptedEditor>(surfaceMm);
        w->show();
        QApplication::processEvents();
        const QString path = pictureFolder->filePath("plan.jpg");
        w->dialogs.fileName = [path](const QString&, const QString&, int) { return path; };
        w->ui().pb1(0)->click();
    }
    return w->ps().size() == QSize(4000, 3000) ? w.get() : nullptr;
}

void slideTo(QSlider* slider, int value) {
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

// moved is the slider stepped between the values a and b; kept is the other one, held at its
// value.
void pictureStep(benchmark::State& state, QSizeF surfaceMm, QSlider* MainControls::*moved, int a,
                 int b, QSlider* MainControls::*kept, int keptAt) {
    Main* session = pictureSession(surfaceMm);
    if (!session) {
        state.SkipWithError("the picture was not shown");
        return;
    }
    Main& w = *session;
    PictureBox& p = *w.ui().Picture1;
    slideTo(w.ui().*kept, keptAt);
    p.repaint();
    QSlider* slider = w.ui().*moved;
    for (auto _ : state) {
        slideTo(slider, slider->value() == a ? b : a);
        p.repaint();
    }
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
}

void BM_PictureHorizStep_DesignSize(benchmark::State& state) {
    pictureStep(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight},
                &MainControls::Slider4, 400, 650, &MainControls::Slider5, 80);
}

void BM_PictureHorizStep_1920x1080(benchmark::State& state) {
    const double pxPerMm = surfacePixelsPerMm();
    pictureStep(state, {1920 / pxPerMm, 1080 / pxPerMm}, &MainControls::Slider4, 400, 650,
                &MainControls::Slider5, 80);
}

void BM_PictureZoomStep_DesignSize(benchmark::State& state) {
    pictureStep(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight},
                &MainControls::Slider5, 100, 60, &MainControls::Slider4, 650);
}

// Between two sizes that both shrink the picture on the screen: each step averages the part
// of the picture under the surface anew.
void BM_PictureZoomStep_Shrunk_DesignSize(benchmark::State& state) {
    pictureStep(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight},
                &MainControls::Slider5, 60, 50, &MainControls::Slider4, 650);
}

void BM_PictureZoomStep_1920x1080(benchmark::State& state) {
    const double pxPerMm = surfacePixelsPerMm();
    pictureStep(state, {1920 / pxPerMm, 1080 / pxPerMm}, &MainControls::Slider5, 100, 60,
                &MainControls::Slider4, 650);
}

// A drag of "Zoom" across the sizes that shrink the picture at 1920 x 1080, one percent a step:
// every step shows the picture at a size not shown just before, so nothing averaged for the
// last step serves the next.
void BM_PictureZoomSweep_1920x1080(benchmark::State& state) {
    const double pxPerMm = surfacePixelsPerMm();
    Main* session = pictureSession({1920 / pxPerMm, 1080 / pxPerMm});
    if (!session) {
        state.SkipWithError("the picture was not shown");
        return;
    }
    Main& w = *session;
    PictureBox& p = *w.ui().Picture1;
    slideTo(w.ui().Slider4, 650);
    static int zoom = 30;
    slideTo(w.ui().Slider5, zoom);
    p.repaint();
    for (auto _ : state) {
        zoom = zoom >= 89 ? 30 : zoom + 1;
        slideTo(w.ui().Slider5, zoom);
        p.repaint();
    }
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
}

void configureSteps(benchmark::internal::Benchmark* b) {
    stepStatistics(b, 400);
    b->Unit(benchmark::kMicrosecond);
}

// One step of the drawing's own view over the same picture at 1920 x 1080: a notch of the
// mouse wheel about the surface's middle (between the factors 2 and 2.52), and a move of a
// drag of the drawing with the middle button (by 8 pixels, at the factor 4), each up to the
// surface repainted. Everything is drawn anew in the new view: grid, picture, outline, items.
void viewStep(benchmark::State& state, bool wheel) {
    const double pxPerMm = surfacePixelsPerMm();
    Main* session = pictureSession({1920 / pxPerMm, 1080 / pxPerMm});
    if (!session) {
        state.SkipWithError("the picture was not shown");
        return;
    }
    PictureBox& p = *session->ui().Picture1;
    const QPointF middle(p.width() / 2.0, p.height() / 2.0);
    p.setView(wheel ? 2.0 : 4.0, p.visibleMm().center());
    p.repaint();
    auto send = [&p](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, p.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&p, &e);
    };
    if (!wheel) {
        send(QEvent::MouseButtonPress, middle, Qt::MiddleButton, Qt::MiddleButton);
        send(QEvent::MouseMove, middle + QPointF(20, 0), Qt::NoButton, Qt::MiddleButton);
    }
    int step = 0;
    for (auto _ : state) {
        const bool there = (step++ % 2) == 0;
        if (wheel) {
            QWheelEvent e(middle, p.mapToGlobal(middle), QPoint(), QPoint(0, there ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&p, &e);
        } else {
            send(QEvent::MouseMove, middle + QPointF(there ? 28 : 20, 0), Qt::NoButton,
                 Qt::MiddleButton);
        }
        p.repaint();
    }
    if (!wheel)
        send(QEvent::MouseButtonRelease, middle + QPointF(20, 0), Qt::MiddleButton, Qt::NoButton);
    p.fitView();
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
}

void BM_ViewWheelStep_1920x1080(benchmark::State& state) {
    viewStep(state, true);
}

void BM_ViewPanStep_1920x1080(benchmark::State& state) {
    viewStep(state, false);
}

BENCHMARK(BM_PictureHorizStep_DesignSize)->Apply(configureSteps);
BENCHMARK(BM_PictureHorizStep_1920x1080)->Apply(configureSteps);
BENCHMARK(BM_PictureZoomStep_DesignSize)->Apply(configureSteps);
BENCHMARK(BM_PictureZoomStep_Shrunk_DesignSize)->Apply(configureSteps);
BENCHMARK(BM_PictureZoomStep_1920x1080)->Apply(configureSteps);
BENCHMARK(BM_PictureZoomSweep_1920x1080)->Apply(configureSteps);
BENCHMARK(BM_ViewWheelStep_1920x1080)->Apply(configureSteps);
BENCHMARK(BM_ViewPanStep_1920x1080)->Apply(configureSteps);

// "&Annuler" and "&Rétablir" of a drag, one per repetition in turn, at 100 points with the
// doubling on: the work before or after the drag shown again, up to both windows redrawn.
void BM_UndoDrag(benchmark::State& state) {
    static std::unique_ptr<ScriptedEditor> w;
    if (!w) {
        w = std::make_unique<ScriptedEditor>();
        atBenchmarksEnd([] { w.reset(); });
        w->show();
        QApplication::processEvents();
        w->ui().Check4->click();
        w->ui().Hscroll2->setValue(100);
        const FormerModel& m = w->model();
        const Handle& h = m.shppi[3];
        const QPointF from{h.Left + m.Rayon_X, h.Top - m.Rayon_Y}, to{from.x() + 6.0, from.y()};
        sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseButtonPress, from, Qt::LeftButton,
                         Qt::LeftButton);
        sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseButtonRelease, to, Qt::LeftButton,
                         Qt::NoButton);
        QApplication::processEvents();
    }
    static const bool recorded =
        w->ui().IM_Undo->text() == QStringLiteral("&Annuler : déplacer le point 3");
    if (!recorded) {
        state.SkipWithError("the drag was not recorded");
        return;
    }
    static int step = 0; // across repetitions: undo, redo, undo...
    for (auto _ : state) {
        (step++ % 2 == 0 ? w->ui().IM_Undo : w->ui().IM_Redo)->trigger();
        w->ui().Picture1->repaint();
        w->frm3D()->drawPendingFrame();
    }
    state.counters["points"] = w->model().Nb_Points;
}
BENCHMARK(BM_UndoDrag)->Apply(configureSteps);

// A project of 100 points with the doubling on, saved and opened again through the window.
std::unique_ptr<QTemporaryDir> projectFolder;
Main& projectSession() {
    static std::unique_ptr<ScriptedEditor> w;
    if (!w) {
        projectFolder = std::make_unique<QTemporaryDir>();
        w = std::make_unique<ScriptedEditor>();
        atBenchmarksEnd([] {
            w.reset();
            projectFolder.reset();
        });
        w->show();
        QApplication::processEvents();
        w->ui().Check4->click();
        w->ui().Hscroll2->setValue(100);
        w->saveProject(projectFolder->filePath("work.couple"));
    }
    return *w;
}

void BM_ProjectSave(benchmark::State& state) {
    Main& w = projectSession();
    const QString path = projectFolder->filePath("work.couple");
    for (auto _ : state)
        if (!w.saveProject(path))
            state.SkipWithError("the project was not saved");
}
BENCHMARK(BM_ProjectSave)->Apply(configureSteps);

void BM_ProjectOpen(benchmark::State& state) {
    Main& w = projectSession();
    const QString path = projectFolder->filePath("work.couple");
    for (auto _ : state)
        if (!w.openProject(path))
            state.SkipWithError("the project was not opened");
}
BENCHMARK(BM_ProjectOpen)->Apply(configureSteps);

} // namespace

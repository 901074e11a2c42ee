// One full repaint of the drawing surface: the overlay is wiped, the Paint handler samples
// and draws the outline, and layers, items and child boxes are composed on the window.
#include "editor/picture_box.h"
#include "editor/scripted_editor.h"

#include <QApplication>
#include <QTemporaryDir>

#include "frame_copy.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

// The yardstick, in the same run as the steps.
void BM_FrameCopy_1920x1080(benchmark::State& state) {
    frameCopy1920x1080(state);
}
BENCHMARK(BM_FrameCopy_1920x1080)->Apply(configureFrameCopy);

void repaintSurface(benchmark::State& state, QSizeF surfaceMm) {
    ScriptedEditor w(surfaceMm);
    w.show();
    QApplication::processEvents();
    PictureBox& p = *w.ui().Picture1;
    for (auto _ : state) {
        p.invalidate();
        p.repaint();
    }
    state.counters["width_px"] = p.width();
    state.counters["height_px"] = p.height();
}

void BM_Picture1Repaint_DesignSize(benchmark::State& state) {
    repaintSurface(state, {Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight});
}
BENCHMARK(BM_Picture1Repaint_DesignSize)->Unit(benchmark::kMicrosecond);

void BM_Picture1Repaint_1920x1080(benchmark::State& state) {
    // The surface is measured in millimetres: take the size that gives 1920 x 1080 pixels.
    const double pxPerMm = PictureBox().pixelsPerMm();
    repaintSurface(state, {1920 / pxPerMm, 1080 / pxPerMm});
}
BENCHMARK(BM_Picture1Repaint_1920x1080)->Unit(benchmark::kMicrosecond);

// The grid alone, as the grid button and every resize redraw it.
void BM_Quadrillage_DesignSize(benchmark::State& state) {
    ScriptedEditor w;
    for (auto _ : state)
        w.Quadrillage(1);
}
BENCHMARK(BM_Quadrillage_DesignSize)->Unit(benchmark::kMicrosecond);

// One step of a user dragging the window's border at about 1920 x 1080: the window changes
// size by a few pixels, its resize handler lays the controls out, draws the grid, the curve
// and (argument 1) a 4000 x 3000 picture at the new view scale, and the surface is repainted.
// Each repetition is one step, so the median and the 99th percentile are those of single steps.
void BM_ResizeStep_1920x1080(benchmark::State& state) {
    static std::map<int, ScriptedEditor*> windows;
    static QTemporaryDir folder;
    const int withPicture = static_cast<int>(state.range(0));
    ScriptedEditor*& w = windows[withPicture];
    if (!w) {
        w = new ScriptedEditor;
        atBenchmarksEnd([w] { delete w; });
        w->show();
        if (withPicture) {
            const QString path = folder.filePath("plan.jpg");
            QImage plan(4000, 3000, QImage::Format_RGB32);
            plan.fill(QColor(200, 180, 150));
            plan.save(path);
            w->dialogs.fileName = [path](const QString&, const QString&, int) { return path; };
            w->pb1_Click(0);
        }
        QApplication::processEvents();
    }
    static int step = 0;
    const QSize frame = w->frameGeometry().size() - w->size();
    for (auto _ : state) {
        const int d = (step++ % 2) * 8;
        w->resize(QSize(1920 - d, 1080 - d) - frame);
        w->ui().Picture1->repaint();
    }
    state.counters["width_px"] = w->ui().Picture1->width();
    state.counters["height_px"] = w->ui().Picture1->height();
    state.counters["picture"] = w->pictureOn();
}
BENCHMARK(BM_ResizeStep_1920x1080)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(300)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99",
                        [](const std::vector<double>& v) {
                            std::vector<double> s = v;
                            std::sort(s.begin(), s.end());
                            const auto rank = static_cast<std::size_t>(
                                std::ceil(0.99 * static_cast<double>(s.size())));
                            return s.empty() ? 0.0 : s[std::max<std::size_t>(rank, 1) - 1];
                        })
    ->Unit(benchmark::kMicrosecond);

} // namespace

// One full repaint of the drawing surface: the overlay is wiped, the Paint handler samples
// and draws the outline, and layers, items and child boxes are composed on the window.
#include "editor/main.h"

#include <QApplication>

#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void repaintSurface(benchmark::State& state, QSizeF surfaceMm) {
    Main w(surfaceMm);
    w.show();
    QApplication::processEvents();
    PictureBox& p = *w.Picture1;
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
    Main w;
    for (auto _ : state)
        w.Quadrillage(1);
}
BENCHMARK(BM_Quadrillage_DesignSize)->Unit(benchmark::kMicrosecond);

// One step of a user dragging the window's border at about 1920 x 1080: the window changes
// size by a few pixels, its resize handler lays the controls out, draws the grid and the curve
// at the new view scale, and the surface is repainted. Each repetition is one step, so the
// median and the 99th percentile are those of single steps.
void BM_ResizeStep_1920x1080(benchmark::State& state) {
    static Main* w = [] {
        auto* main = new Main;
        atBenchmarksEnd([main] { delete main; });
        main->show();
        QApplication::processEvents();
        return main;
    }();
    static int step = 0;
    const QSize frame = w->frameGeometry().size() - w->size();
    for (auto _ : state) {
        const int d = (step++ % 2) * 8;
        w->resize(QSize(1920 - d, 1080 - d) - frame);
        w->Picture1->repaint();
    }
    state.counters["width_px"] = w->Picture1->width();
    state.counters["height_px"] = w->Picture1->height();
    state.counters["viewScale"] = w->Picture1->viewScale();
}
BENCHMARK(BM_ResizeStep_1920x1080)
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

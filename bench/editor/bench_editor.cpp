// One full repaint of the drawing surface: the overlay is wiped, the Paint handler samples
// and draws the outline, and layers, items and child boxes are composed on the window.
#include "editor/main.h"

#include <QApplication>

#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

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

} // namespace

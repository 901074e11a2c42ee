#include "former_model.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The started former at 100 samples with point 3 pinned and the slaved doubling on; the
// joint is an argument (0 none, 1 horizontal, 2 vertical).
FormerModel preparedModel() {
    FormerModel m;
    PlaceAxes(m, 120.0, 100.0, 100.0);
    Forme_Initiale(m);
    CopyHandlesToPoints(m);
    PutEndsOnAxis(m);
    m.Ordre_Spline = 4;
    m.Nb_Points = 100;
    m.resizeSamples(100);
    TogglePin(m, 3);
    PlaceDoubling(m, 5);
    return m;
}

OutlineOptions options(const benchmark::State& state) {
    OutlineOptions o;
    o.doubling = true;
    o.epaisseur = 5;
    o.slaved = state.range(1) == 0;
    o.horizontal = state.range(0) == 1;
    o.vertical = state.range(0) == 2;
    return o;
}

// The computation alone, as the export and the 3-D view need it.
void BM_DisegnaCurva_Compute(benchmark::State& state) {
    FormerModel m = preparedModel();
    const OutlineOptions o = options(state);
    for (auto _ : state) {
        DisegnaCurva(m, o, nullptr);
        benchmark::DoNotOptimize(m.Doublage_Gauche.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DisegnaCurva_Compute)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"joint", "decoupled"});

// With the drawing steps recorded, as a repaint uses it.
void BM_DisegnaCurva_Record(benchmark::State& state) {
    FormerModel m = preparedModel();
    const OutlineOptions o = options(state);
    std::vector<DrawStep> steps;
    for (auto _ : state) {
        steps.clear();
        DisegnaCurva(m, o, &steps);
        benchmark::DoNotOptimize(steps.data());
        benchmark::ClobberMemory();
    }
    state.counters["steps"] = static_cast<double>(steps.size());
}
BENCHMARK(BM_DisegnaCurva_Record)->Args({0, 0})->Args({1, 1})->ArgNames({"joint", "decoupled"});

// One mouse move of a drag, model half, with the slaved doubling.
void BM_DragStep(benchmark::State& state) {
    FormerModel m = preparedModel();
    m.Idx_Point = 5;
    float y = 60.0f;
    for (auto _ : state) {
        y = y > 80.0f ? 60.0f : y + 0.1f;
        benchmark::DoNotOptimize(DragStep(m, true, true, 5, 90.0f, y));
    }
}
BENCHMARK(BM_DragStep);

} // namespace

BENCHMARK_MAIN();

#include "../bench_statistics.h"
#include "../prepared_former.h"
#include "doubling_offset.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

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

// One call per repetition, so the median and the 99th percentile are those of single calls.
void perCall(benchmark::internal::Benchmark* b) {
    stepStatistics(b, 500);
    b->Unit(benchmark::kMicrosecond);
}

// The doubling of constant width of the prepared former's whole outline at 5 mm.
void BM_OffsetDoubling_100Points_5mm(benchmark::State& state) {
    FormerModel m = preparedModel();
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    for (auto _ : state) {
        const OffsetDoublingResult r = OffsetDoubling(m.Courbe_Droite, m.X1(), 5.0, m.Nb_Points);
        benchmark::DoNotOptimize(r.right.data());
    }
}
BENCHMARK(BM_OffsetDoubling_100Points_5mm)->Apply(perCall);

// The range of the width box: about thirty offsets of ever smaller outlines.
void BM_SmallestInnerWidth_100Points(benchmark::State& state) {
    FormerModel m = preparedModel();
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SmallestInnerWidth(m.Courbe_Droite, m.X1(), m.Nb_Points));
    }
}
BENCHMARK(BM_SmallestInnerWidth_100Points)->Apply(perCall);

// The same range on an outline that folds back over its top (86 samples); twenty calls, as it once
// took seconds each.
void BM_SmallestInnerWidth_Folded(benchmark::State& state) {
    const FormerModel m = foldedFormer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SmallestInnerWidth(m.Courbe_Droite, m.X1(), m.Nb_Points));
    }
}
BENCHMARK(BM_SmallestInnerWidth_Folded)->Apply([](benchmark::internal::Benchmark* b) {
    stepStatistics(b, 20);
    b->Unit(benchmark::kMillisecond);
});

// A whole drag step with the doubling shown, slaved: the mouse move, the outline computed and its
// drawing recorded. The scaled doubling (0) against the doubling of constant width at 5 mm (1),
// which the outline computation leaves out and the offset then supplies.
void BM_DragStepShown(benchmark::State& state) {
    const bool constantWidth = state.range(0) == 1;
    FormerModel m = preparedModel();
    m.Idx_Point = 5;
    OutlineOptions o;
    o.doubling = !constantWidth;
    std::vector<DrawStep> steps;
    int drawn = 0;
    float y = 60.0f;
    for (auto _ : state) {
        y = y > 80.0f ? 60.0f : y + 0.1f;
        DragStep(m, true, true, 5, 90.0f, y);
        steps.clear();
        DisegnaCurva(m, o, &steps);
        if (constantWidth) {
            const OffsetDoublingResult r =
                OffsetDoubling(m.Courbe_Droite, m.X1(), 5.0, m.Nb_Points);
            if (r.status == OffsetStatus::Single) {
                ++drawn;
                m.Doublage_Droit = r.right;
                m.Doublage_Gauche = r.left;
                for (std::size_t j = 0; j + 1 < r.right.size(); ++j) {
                    steps.push_back(
                        {DrawStep::Kind::Line, r.right[j], r.right[j + 1], colours::Blue, 1});
                    steps.push_back(
                        {DrawStep::Kind::Line, r.left[j], r.left[j + 1], colours::Blue, 1});
                }
            }
        }
        benchmark::DoNotOptimize(steps.data());
    }
    state.counters["offset_drawn"] = drawn; // 1 when the constant width was drawn
}
BENCHMARK(BM_DragStepShown)->Arg(0)->Arg(1)->ArgName("constant_width")->Apply(perCall);

} // namespace

BENCHMARK_MAIN();

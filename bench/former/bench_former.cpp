#include "../bench_statistics.h"
#include "../prepared_former.h"
#include "doubling_offset.h"
#include "following_former.h"
#include "notches.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

OutlineOptions options(const benchmark::State& state) {
    OutlineOptions o;
    o.doublingOn = true;
    o.doublingScale = 5;
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
    o.doublingOn = !constantWidth;
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

// One drag step of a point of "Dos" with twenty formers of 100 samples following the fuselage:
// the curve sampled again, the key formers' shapes normalised again and every follower placed
// and sampled again. Behind one key former (0) each follower fills its box at once; between two
// key formers of other shapes (1) the blend is stretched to its box, a second sampling each.
void BM_FollowersAfterCurveDrag(benchmark::State& state) {
    OutlineOptions o;
    o.doublingOn = true;
    FormerModel front = preparedModel();
    DisegnaCurva(front, o, nullptr);
    FormerModel back = preparedModel();
    back.Pts_Couple[2].y -= 6.0; // taller behind the axis, narrower low down
    back.Pts_Couple[5].x -= 8.0;
    back.shppi[2].Top = back.Pts_Couple[2].y;
    back.shppi[5].Left = back.Pts_Couple[5].x;
    DisegnaCurva(back, o, nullptr);
    std::vector<KeyFormer> keys = {{"F1", 0.0, 1.0, &front, o}};
    if (state.range(0) == 1)
        keys.push_back({"F22", 1000.0, 1.0, &back, o});

    FuselageViews views;
    for (int i = 0; i <= 7; ++i) {
        const double s = i * 1000.0 / 7.0;
        views.dos.push_back({s, 60.0 + 25.0 * std::sin(i * 0.45)});
        views.ventre.push_back({s, -40.0 + 20.0 * std::sin(i * 0.45)});
        views.flanc.push_back({s, 30.0 + 25.0 * std::sin(i * 0.45)});
    }
    SampledViews curves;
    curves.sample(views);
    std::vector<FollowingFormer> followers(20);
    const double rest = views.dos[3].value;
    int step = 0;
    int placed = 0;
    for (auto _ : state) {
        const double value = rest + 0.1 * (step++ % 40);
        views.dos[3] = ClampedDrag(views.dos, 3, views.dos[3].station, value);
        curves.dos.sample(views.dos);
        const KeyShapes shapes(keys);
        placed = 0;
        for (std::size_t i = 0; i < followers.size(); ++i) {
            followers[i] = shapes.follow(curves, 25.0 + 50.0 * static_cast<double>(i));
            placed += followers[i].placed() ? 1 : 0;
        }
        benchmark::DoNotOptimize(followers.data());
        benchmark::ClobberMemory();
    }
    state.counters["placed"] = placed; // 20 when every follower was placed
}
BENCHMARK(BM_FollowersAfterCurveDrag)->Arg(0)->Arg(1)->ArgName("two_keys")->Apply(perCall);
// A fuselage's table: eight stringers, one of them on the right only, and the three slots.
NotchTable fuselageTable() {
    NotchTable t;
    for (int i = 0; i < 8; ++i) {
        std::string name = "L"; // GCC 12 sees a false overlap in "L" + std::to_string(...)
        name += std::to_string(i + 1);
        t.stringers.push_back({name, 0.06 + 0.12 * i, 3.0, 3.0, i != 4});
    }
    t.slots = {{SlotKind::Keel, 6.0, 4.0, 0.0},
               {SlotKind::Spine, 4.0, 3.0, 0.0},
               {SlotKind::Crutch, 3.0, 6.0, 10.0}};
    return t;
}

// A drag step as the drawing needs it, the doubling shown, slaved: the mouse move and the outline
// computed, then (1) its notches cut into the former in real millimetres at a real scale of 2.
void BM_DragStepNotched(benchmark::State& state) {
    const bool notched = state.range(0) == 1;
    FormerModel m = preparedModel();
    m.Idx_Point = 5;
    OutlineOptions o;
    o.doublingOn = true;
    const NotchTable table = fuselageTable();
    std::size_t cut = 0;
    float y = 60.0f;
    for (auto _ : state) {
        y = y > 80.0f ? 60.0f : y + 0.1f;
        DragStep(m, true, true, 5, 90.0f, y);
        DisegnaCurva(m, o, nullptr);
        if (notched) {
            const NotchedFormer r =
                cutNotches(realHalf(m.Courbe_Droite, m.X1(), m.Y1(), 2.0),
                           realHalf(m.Doublage_Droit, m.X1(), m.Y1(), 2.0), table, "F1");
            cut = r.cut.size();
            benchmark::DoNotOptimize(r.right.data());
        }
        benchmark::DoNotOptimize(m.Doublage_Gauche.data());
    }
    state.counters["notches_cut"] = static_cast<double>(cut);
}
BENCHMARK(BM_DragStepNotched)->Arg(0)->Arg(1)->ArgName("notched")->Apply(perCall);

} // namespace

BENCHMARK_MAIN();

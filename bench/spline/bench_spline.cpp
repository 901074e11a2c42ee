#include "bench_statistics.h"
#include "splines.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The initial former's nine control points on the 120 x 100 mm design surface.
std::vector<PointXYZ> initialFormer() {
    return {{60.0, 14.817, 0},    {72.7415, 14.817, 0}, {86.783, 14.817, 0},
            {86.783, 32.4085, 0}, {86.783, 50.0, 0},    {86.783, 67.5915, 0},
            {86.783, 85.183, 0},  {72.7415, 85.183, 0}, {60.0, 85.183, 0}};
}

void BM_CalculSpline(benchmark::State& state) {
    const auto P = initialFormer();
    const int k = static_cast<int>(state.range(0));
    std::vector<PointXYZ> Q(100);
    for (auto _ : state) {
        Calcul_Spline(P, k, Q);
        benchmark::DoNotOptimize(Q.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(Q.size()));
}
// 100 samples, as on every repaint of a drag. Each repetition is 100 calls, as a single call
// costs less than reading the clock; the median and the 99th percentile are those of their
// means.
BENCHMARK(BM_CalculSpline)
    ->Arg(4)
    ->Arg(9)
    ->ArgName("order")
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 500, 100); })
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

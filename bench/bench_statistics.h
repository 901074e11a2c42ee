#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// The 99th percentile of a benchmark's repetitions: with one step per repetition, the step
// that only one in a hundred exceeds.
inline double percentile99(const std::vector<double>& v) {
    if (v.empty())
        return 0.0;
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(s.size())));
    return s[std::max<std::size_t>(rank, 1) - 1];
}

// Each repetition is `iterations` steps; the median and the 99th percentile of the steps'
// CPU time are reported, nothing else.
inline void stepStatistics(benchmark::internal::Benchmark* b, int repetitions, int iterations = 1) {
    b->Iterations(iterations)->Repetitions(repetitions)->ReportAggregatesOnly(true);
    b->ComputeStatistics("p99", percentile99);
}

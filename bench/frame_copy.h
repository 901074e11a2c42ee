#pragma once

#include "bench_statistics.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <vector>

// The yardstick of the frame and step benchmarks: one copy of a 1920 x 1080 frame of 32-bit
// pixels. A step that draws every pixel once cannot cost less; steps are reported as multiples
// of it, measured in the same run (each program that measures steps registers it).
inline void frameCopy1920x1080(benchmark::State& state) {
    const std::size_t pixels = std::size_t(1920) * 1080;
    std::vector<unsigned> from(pixels, 0x123456u), to(pixels, 0u);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * sizeof(unsigned));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

inline void configureFrameCopy(benchmark::internal::Benchmark* b) {
    stepStatistics(b, 300);
    b->UseRealTime()->Unit(benchmark::kMillisecond);
}

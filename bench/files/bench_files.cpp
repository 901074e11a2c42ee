#include "couple_export.h"
#include "outline_sequences.h"

#include "../whole_former_samples.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Former = WholeFormerSamples;

void BM_WholeFormerText(benchmark::State& state) {
    const Former f;
    for (auto _ : state) {
        CoupleText t = coupleFileText(f.input(), 5);
        benchmark::DoNotOptimize(t.text.data());
    }
}
BENCHMARK(BM_WholeFormerText);

void BM_WholeFormerSave(benchmark::State& state) {
    const Former f;
    std::string templ = (std::filesystem::temp_directory_path() / "bench-files-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = templ + "/whole.DAT";
    for (auto _ : state) {
        const std::string msg = saveCoupleFile(path, f.input(), 5);
        if (!msg.empty()) {
            state.SkipWithError(msg.c_str());
            break;
        }
    }
    std::filesystem::remove_all(templ);
}
BENCHMARK(BM_WholeFormerSave)->Unit(benchmark::kMicrosecond);

void BM_BuildOutline3D(benchmark::State& state) {
    const Former f;
    std::vector<PointXYZ> table;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Build_Outline_3D(f.input(), 1, table));
    }
}
BENCHMARK(BM_BuildOutline3D);

} // namespace

BENCHMARK_MAIN();

#include "couple_export.h"
#include "outline_sequences.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The whole former with its doubling at 100 samples per half: the largest file a user can save.
struct Former {
    std::vector<PointXYZ> r, l, dr, dl;
    Former() {
        const int n = 100;
        for (int i = 0; i < n; ++i) {
            const double a = 3.14159265358979 * i / (n - 1);
            r.push_back({60 + 30 * std::sin(a), 50 - 40 * std::cos(a), 0});
            l.push_back({120 - r.back().x, r.back().y, 0});
            dr.push_back({60 + 15 * std::sin(a), 50 - 20 * std::cos(a), 0});
            dl.push_back({120 - dr.back().x, dr.back().y, 0});
        }
    }
    OutlineInput input() const { return {r, l, dr, dl, 100, 50.0, 1}; }
};

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

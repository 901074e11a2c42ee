#include "qt_bench_main.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::function<void()>>& releases() {
    static std::vector<std::function<void()>> r;
    return r;
}

} // namespace

void atBenchmarksEnd(std::function<void()> release) {
    releases().push_back(std::move(release));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& release : releases())
        release();
    return 0;
}

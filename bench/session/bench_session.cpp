// The project file of a former at 100 samples with its doubling: written as a save does, read
// back with every check as an opening does.
#include "session/project_document.h"

#include "../prepared_former.h"

#include <benchmark/benchmark.h>

namespace {

// The editor's state of the prepared former: 100 samples, the doubling on and decoupled, a
// pin, the camera turned.
EditorState preparedState() {
    const FormerModel m = preparedModel();
    EditorState state;
    Work& s = state.work;
    for (int i = 0; i <= m.Der_Point; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const PointXYZ& p = m.Pts_Couple[k];
        const Handle& h = m.shppi[k];
        s.former.push_back({{p.x, p.y}, {h.Left, h.Top}, {p.x, p.y}, IsPinned(m, i)});
        s.doubling.push_back({m.Pts_Doublage[k].x, m.Pts_Doublage[k].y});
    }
    s.sampleCount = 100;
    s.doublingOn = true;
    s.slaved = false;
    s.doublingControls = DoublingControls::FollowDoubling;
    s.mouseAction = MouseAction::Doubling;
    state.view.yaw = -0.7f;
    state.view.pitch = 0.45f;
    return state;
}

// Writing the state as a document, as a project save does before the file is written.
void BM_EditorState_Write(benchmark::State& state) {
    const EditorState s = preparedState();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = WriteEditorState(s);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EditorState_Write);

// Reading it back with every check, as opening a project does once the file is read.
void BM_EditorState_Read(benchmark::State& state) {
    const std::string text = WriteEditorState(preparedState());
    for (auto _ : state) {
        EditorStateReading r = ReadEditorState(text);
        benchmark::DoNotOptimize(r.ok);
    }
}
BENCHMARK(BM_EditorState_Read);

} // namespace

BENCHMARK_MAIN();

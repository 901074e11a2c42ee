// The 3-D view: one frame of the start-up scene as the window draws it (orbit, head light,
// clear, RenderFrame into the surface's image) in each render mode, at the window's design
// size and at 1920 x 1080, as it starts (turned:0) and turned with the ground and the axes
// shown (turned:1); the frames of a user turning a 10,000-face scene at 1920 x 1080, up to the
// surface shown; and the former's rebuild and in-place update at 100 points with the doubling.
#include "bench_statistics.h"
#include "editor/scripted_editor.h"
#include "frm3d_test_access.h"
#include "fuselage_bands.h"
#include "start_up.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"
#include "view3d/scene.h"

#include <QApplication>
#include <QToolButton>

#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

void frame(benchmark::State& state, QSize size) {
    ScriptedEditor w;
    w.show();
    QApplication::processEvents();
    Frm3D& f = *w.frm3D();
    f.resize(size);
    QApplication::processEvents();
    Camera& c = inside(f).engine().cameras[inside(f).currentCamera()];
    c.renderMode = static_cast<std::int16_t>(state.range(0));
    // "Vue Surface" turns specular light and fog on with its mode.
    c.specular = c.attenuation = state.range(0) == kModeSmooth;
    if (state.range(1) == 1) {
        // As a user looks at it: turned, from above, with the ground and the axes on.
        w.ui().pb1(10)->click();
        w.ui().pb1(14)->click();
        inside(f).yaw() = 0.6f;
        inside(f).pitch() = 0.4f;
    }
    for (auto _ : state) {
        w.Redraw3D() = true;
        f.drawPendingFrame();
    }
    state.counters["width_px"] = f.Picture1->image().width();
    state.counters["height_px"] = f.Picture1->image().height();
}

void BM_Frame_DesignSize(benchmark::State& state) {
    frame(state, {Frm3D::kDesignWidth, Frm3D::kDesignHeight});
}
BENCHMARK(BM_Frame_DesignSize)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->ArgNames({"mode", "turned"})
    ->Unit(benchmark::kMicrosecond);

void BM_Frame_1920x1080(benchmark::State& state) {
    frame(state, {1920, 1080});
}
BENCHMARK(BM_Frame_1920x1080)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->ArgNames({"mode", "turned"})
    ->Unit(benchmark::kMicrosecond);

// One step of a user turning the view with the mouse at 1920 x 1080, in a scene of about
// 10,000 faces (the start-up scene with the ground and the axes on, and a fuselage of 24 bands
// beside the former): the view turns by one pixel's worth, the frame is drawn and the surface
// shows it. Each repetition is one step, so the median and the 99th percentile are those of
// single frames. The editors live until the benchmarks end.
std::map<int, std::unique_ptr<ScriptedEditor>> turningSessions;

void BM_Frame3D_10000Faces_1920x1080(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    auto& w = turningSessions[mode];
    if (!w) {
        if (turningSessions.size() == 1)
            atBenchmarksEnd([] { turningSessions.clear(); });
        w = std::make_unique<ScriptedEditor>();
        w->show();
        QApplication::processEvents();
        Frm3D& f = *w->frm3D();
        f.resize(1920, 1080);
        addFuselage(inside(f).engine(), 24);
        Camera& c = inside(f).engine().cameras[inside(f).currentCamera()];
        c.renderMode = static_cast<std::int16_t>(mode);
        c.specular = c.attenuation = mode == kModeSmooth;
        w->ui().pb1(10)->click();
        w->ui().pb1(14)->click();
        inside(f).pitch() = 0.4f;
        QApplication::processEvents();
    }
    Frm3D& f = *w->frm3D();
    for (auto _ : state) {
        f.Picture1_MouseMove(1, 0, static_cast<float>(inside(f).lastX() + 1),
                             static_cast<float>(inside(f).lastY()));
        f.drawPendingFrame();
        QApplication::processEvents(); // the surface repaints
    }
    int faces = 0;
    for (int m = 1; m < inside(f).engine().meshRange.first + inside(f).engine().meshRange.count;
         ++m)
        faces += inside(f).engine().meshes[m].visible ? inside(f).engine().meshes[m].faceCount : 0;
    state.counters["faces"] = faces;
    state.counters["width_px"] = f.Picture1->image().width();
    state.counters["height_px"] = f.Picture1->image().height();
}
BENCHMARK(BM_Frame3D_10000Faces_1920x1080)
    ->DenseRange(0, 5)
    ->ArgName("mode")
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 300); })
    ->Unit(benchmark::kMillisecond);

// The start-up former sampled with 100 points and its doubling on, in a scene of its own.
struct BigScene {
    FormerModel model = startedModel();
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Scene scene;
    int camera = engine->CreateCamera();
    int light = engine->CreateLight();

    BigScene() {
        OutlineOptions o;
        o.doubling = true;
        PlaceDoubling(model, o.epaisseur);
        model.Nb_Points = 100;
        model.resizeSamples(100);
        DisegnaCurva(model, o, nullptr);
        SetupScene(*engine, scene, input(), camera, light);
        RebuildFormerMesh(*engine, scene, input(), 1, 1);
    }
    SceneInput input() const {
        SceneInput in;
        in.Hscroll2 = 100;
        in.Check4 = 1;
        in.outline = {model.Courbe_Droite,
                      model.Courbe_Gauche,
                      model.Doublage_Droit,
                      model.Doublage_Gauche,
                      100,
                      model.Y1(),
                      1};
        return in;
    }
};

void BM_RebuildFormerMesh_100PointsDoubling(benchmark::State& state) {
    BigScene s;
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RebuildFormerMesh(*s.engine, s.scene, s.input(), 1, mode);
    }
    const Mesh& m = s.engine->meshes[s.scene.formerMesh];
    state.counters["vertices"] = m.vertexCount;
    state.counters["faces"] = m.faceCount;
    if (!s.errors.codes.empty())
        state.SkipWithError("engine error");
}
BENCHMARK(BM_RebuildFormerMesh_100PointsDoubling)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("mode")
    ->Unit(benchmark::kMicrosecond);

} // namespace

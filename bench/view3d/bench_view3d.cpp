// The 3-D view: one frame of the start-up scene as the window draws it (orbit, head light,
// clear, RenderFrame into the surface's image) in each render mode, at the window's design
// size and at 1920 x 1080, as it starts (turned:0) and turned with the ground and the axes
// shown (turned:1); the frames of a user turning a 10,000-face scene at 1920 x 1080, up to the
// surface shown; the fuselage of 20 formers of 100 points with their doublings against the single
// part, turning; and the former's rebuild and in-place update at 100 points with the doubling.
#include "bench_statistics.h"
#include "editor/scripted_editor.h"
#include "frm3d_test_access.h"
#include "fuselage_bands.h"
#include "start_up.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"
#include "view3d/fuselage_scene.h"
#include "view3d/scene.h"

#include <QApplication>
#include <QCheckBox>
#include <QSlider>
#include <QToolButton>

#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

// The steps of a user turning the view: the mouse one pixel further right with the left
// button held, the frame drawn and the surface repainted.
void turningSteps(benchmark::State& state, Frm3D& f) {
    for (auto _ : state) {
        f.Picture1_MouseMove(1, 0, static_cast<float>(inside(f).lastX() + 1),
                             static_cast<float>(inside(f).lastY()));
        f.drawPendingFrame();
        QApplication::processEvents(); // the surface repaints
    }
}

// The faces of the meshes shown.
int visibleFaces(const Engine& e) {
    int faces = 0;
    for (int m = e.meshRange.first; m < e.meshRange.first + e.meshRange.count; ++m)
        faces += e.meshes[m].visible ? e.meshes[m].faceCount : 0;
    return faces;
}

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
    turningSteps(state, f);
    state.counters["faces"] = visibleFaces(inside(f).engine());
    state.counters["width_px"] = f.Picture1->image().width();
    state.counters["height_px"] = f.Picture1->image().height();
}
BENCHMARK(BM_Frame3D_10000Faces_1920x1080)
    ->DenseRange(0, 5)
    ->ArgName("mode")
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 300); })
    ->Unit(benchmark::kMillisecond);

// The start-up former sampled with `points` points and its doubling on.
struct DoubledFormer {
    FormerModel model = startedModel();
    int points;

    explicit DoubledFormer(int n) : points(n) {
        OutlineOptions o;
        o.doublingOn = true;
        PlaceDoubling(model, o.doublingScale);
        model.Nb_Points = n;
        model.resizeSamples(n);
        DisegnaCurva(model, o, nullptr);
    }
    SceneInput input() const {
        SceneInput in;
        in.sampleCount = points;
        in.doublingOn = 1;
        in.outline = {model.Courbe_Droite,
                      model.Courbe_Gauche,
                      model.Doublage_Droit,
                      model.Doublage_Gauche,
                      points,
                      model.Y1(),
                      1};
        return in;
    }
};

// One step of a user turning the 3-D view of an editor whose former has 100 points and its
// doubling: the single part (view 0) or the fuselage of 20 formers of 100 points with their
// doublings, 40 apart and tapering to both ends (view 1, 32,320 faces in the fuselage's own
// pools); view 2 is the lighter design the fuselage did not take, measured for comparison: the
// 19 formers not being edited at 25 points, which would fit the single part's 10,000 faces. At
// the window's design size (size 0) and at 1920 x 1080 (size 1), from above with the ground
// and the axes on. Each repetition is one step: the median and the 99th percentile are those
// of single frames. The editors live until the benchmarks end.
std::map<std::array<int, 3>, std::unique_ptr<ScriptedEditor>> fuselageSessions;

void BM_Frame3D_Fuselage(benchmark::State& state) {
    const int view = static_cast<int>(state.range(0));
    const int mode = static_cast<int>(state.range(1));
    const bool large = state.range(2) == 1;
    auto& w = fuselageSessions[{view, mode, large ? 1 : 0}];
    if (!w) {
        if (fuselageSessions.size() == 1)
            atBenchmarksEnd([] { fuselageSessions.clear(); });
        w = std::make_unique<ScriptedEditor>();
        w->show();
        QApplication::processEvents();
        w->ui().Check4->click();
        w->ui().Hscroll2->setValue(100);
        Frm3D& f = *w->frm3D();
        f.resize(large ? QSize(1920, 1080) : QSize(Frm3D::kDesignWidth, Frm3D::kDesignHeight));
        Camera& c = inside(f).engine().cameras[inside(f).currentCamera()];
        c.renderMode = static_cast<std::int16_t>(mode);
        c.specular = c.attenuation = mode == kModeSmooth;
        w->ui().pb1(10)->click();
        w->ui().pb1(14)->click();
        if (view > 0) {
            const DoubledFormer others(view == 1 ? 100 : 25);
            std::vector<FuselageFormer> formers;
            for (int i = 0; i < 20; ++i) {
                SceneInput in = others.input();
                const double t = std::sin(3.14159 * (0.1 + 0.8 * i / 19.0));
                in.partHeight = static_cast<int>(20 + 40 * t);
                in.partWidth = static_cast<int>(15 + 35 * t);
                formers.push_back({in, 40.0 * i, i == 10});
            }
            f.setFuselage(formers);
            f.showFuselage(true);
        }
        inside(f).yaw() = 0.6f;
        inside(f).pitch() = 0.4f;
        QApplication::processEvents();
    }
    Frm3D& f = *w->frm3D();
    turningSteps(state, f);
    const Engine& e = view > 0 ? *inside(f).fuselageEngine() : inside(f).engine();
    int drawn = 0;
    while (e.drawList[drawn] != 0)
        ++drawn;
    state.counters["faces"] = visibleFaces(e);
    state.counters["faces_drawn"] = drawn;
    state.counters["width_px"] = f.Picture1->image().width();
}
BENCHMARK(BM_Frame3D_Fuselage)
    ->ArgsProduct({{0, 1, 2}, {kModeWireFrame, kModeSolid, kModeSmooth}, {0, 1}})
    ->ArgNames({"view", "mode", "1080p"})
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 200); })
    ->Unit(benchmark::kMillisecond);

// The start-up former sampled with 100 points and its doubling on, in a scene of its own.
struct BigScene {
    DoubledFormer former{100};
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Scene scene;
    int camera = engine->CreateCamera();
    int light = engine->CreateLight();

    BigScene() {
        SetupScene(*engine, scene, input(), camera, light);
        RebuildFormerMesh(*engine, scene, input(), 1, 1);
    }
    SceneInput input() const { return former.input(); }
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

// The fuselage of 20 formers of 100 points with their doublings: built whole (what the window
// does when the project's formers change; step 0), and the current former's band moved in place
// (what it adds to each drag step; step 1).
void BM_Fuselage_20Formers100PointsDoubling(benchmark::State& state) {
    const DoubledFormer former(100);
    std::vector<FuselageFormer> formers;
    for (int i = 0; i < 20; ++i)
        formers.push_back({former.input(), 40.0 * i, i == 10});
    RecordingErrorSink errors;
    const auto engine = std::make_unique<Engine>(errors, kFuselagePoolSlots);
    FuselageScene fuselage;
    int camera = engine->CreateCamera();
    int light = engine->CreateLight();
    SetupFuselage(*engine, fuselage, formers, camera, light);
    for (auto _ : state) {
        if (state.range(0) == 0)
            SetupFuselage(*engine, fuselage, formers, camera, light);
        else
            UpdateFuselageCurrent(*engine, fuselage, former.input());
    }
    if (!errors.codes.empty())
        state.SkipWithError("engine error");
}
BENCHMARK(BM_Fuselage_20Formers100PointsDoubling)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("inPlace")
    ->Unit(benchmark::kMicrosecond);

} // namespace

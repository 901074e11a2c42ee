// Frame times of the engine on the QImage canvas, and the fill rate of the rasteriser.

#include "bench_statistics.h"
#include "engine3d/engine.h"
#include "engine3d/vector_maths.h"
#include "frame_copy.h"
#include "fuselage_bands.h"
#include "view3d/qimage_canvas.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

struct Scene {
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    int camera = 0;
    int light = 0;

    explicit Scene(bool full, int sides = 1) {
        Engine& e = *engine;
        camera = e.CreateCamera();
        light = e.CreateLight();
        e.cameras[camera].orthoScale = 1.0f;
        if (!full) {
            const int m = addBand(e, 60.0f, 75.0f, 0.0f, 10.0f, sides);
            e.CentreMesh(m);
            return;
        }
        addFuselage(e);
    }

    // One pass of the window's render loop, up to the parts of the image to show.
    void frame(QImageCanvas& canvas, float yaw) {
        Engine& e = *engine;
        e.OrbitCamera(camera, {0, 0, 0}, 370.0f, yaw, 0.4f);
        e.lights[light].position = e.cameras[camera].position;
        canvas.clearForNextFrame();
        e.RenderFrame(canvas, camera, FrameInputs{});
        benchmark::DoNotOptimize(canvas.takeChanged());
    }
};

void renderFrames(benchmark::State& state, bool full, int sides = 1) {
    const int mode = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    Scene scene(full, sides);
    Camera& cam = scene.engine->cameras[scene.camera];
    cam.renderMode = static_cast<std::int16_t>(mode);
    if (mode == kModeSmooth) {
        cam.specular = true; // as "Vue Surface" leaves them
        cam.attenuation = true;
    }
    QImage image(width, height, QImage::Format_RGB32);
    QImageCanvas canvas(image);
    int listed = 0;
    int step = 0;
    for (auto _ : state) {
        // The camera sways a little, as it does while orbiting, around the same view.
        scene.frame(canvas, 0.6f + 0.002f * static_cast<float>(step++ % 16));
        benchmark::DoNotOptimize(image.constBits());
    }
    for (int k = 0; scene.engine->drawList[k] != 0; ++k) {
        ++listed;
    }
    state.counters["faces_drawn"] = listed;
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// sides: 1 for a one-sided band, 2 for a two-sided one like the former's.
void BM_RenderFrame_Band(benchmark::State& state) {
    renderFrames(state, false, static_cast<int>(state.range(3)));
}
void BM_RenderFrame_FullPools(benchmark::State& state) {
    renderFrames(state, true);
}

void frameArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"mode", "w", "h"});
    for (int mode = 0; mode <= 5; ++mode) {
        b->Args({mode, 800, 600});
        b->Args({mode, 1920, 1080});
    }
    b->Unit(benchmark::kMillisecond);
}

void bandArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"mode", "w", "h", "sides"});
    for (int mode = 0; mode <= 5; ++mode) {
        for (int sides : {1, 2}) {
            b->Args({mode, 800, 600, sides});
            b->Args({mode, 1920, 1080, sides});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_RenderFrame_Band)->Apply(bandArgs);
BENCHMARK(BM_RenderFrame_FullPools)->Apply(frameArgs);

// One frame of a user turning the 10,000-face scene at 1920 x 1080: each step turns the view by
// a pixel's worth of mouse travel (0.01 radian), clears the surface and renders. Each repetition
// is one step, so the median and the 99th percentile are those of single frames.
// The scene, surface and step of each mode live across the repetitions, until main() ends.
struct TurningSession {
    Scene scene{true};
    QImage image{1920, 1080, QImage::Format_RGB32};
    QImageCanvas canvas{image};
    int step = 0;
};
std::map<int, std::unique_ptr<TurningSession>> turningSessions;

void BM_Frame_10000Faces_1920x1080(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    auto& s = turningSessions[mode];
    if (!s) {
        s = std::make_unique<TurningSession>();
        Camera& cam = s->scene.engine->cameras[s->scene.camera];
        cam.renderMode = static_cast<std::int16_t>(mode);
        cam.specular = cam.attenuation = mode == kModeSmooth;
    }
    for (auto _ : state) {
        s->scene.frame(s->canvas, 0.6f + 0.01f * static_cast<float>(s->step++ % 600));
        benchmark::DoNotOptimize(s->image.constBits());
    }
}
// The frame is drawn on every core: the step is its wall time, and the processor time is that
// of the whole program.
BENCHMARK(BM_Frame_10000Faces_1920x1080)
    ->DenseRange(0, 5)
    ->ArgName("mode")
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 300); })
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The yardstick: the frames are reported as multiples of it.
void BM_FrameCopy_1920x1080(benchmark::State& state) {
    frameCopy1920x1080(state);
}
BENCHMARK(BM_FrameCopy_1920x1080)->Apply(configureFrameCopy);

// Gradient triangles tiling the whole surface in cells of the given size.
void BM_GradientFillRate(benchmark::State& state) {
    const int width = 1920;
    const int height = 1080;
    const int cell = static_cast<int>(state.range(0));
    QImage image(width, height, QImage::Format_RGB32);
    QImageCanvas canvas(image);
    std::vector<GradientVertex> corners;
    for (int y = 0; y < height; y += cell) {
        for (int x = 0; x < width; x += cell) {
            auto v = [&](int px, int py) {
                return GradientVertex{px,
                                      py,
                                      static_cast<std::uint16_t>((px * 255 / width) * 256),
                                      static_cast<std::uint16_t>((py * 255 / height) * 256),
                                      static_cast<std::uint16_t>(128 * 256),
                                      0};
            };
            const GradientVertex a = v(x, y), b = v(x + cell, y), c = v(x + cell, y + cell),
                                 d = v(x, y + cell);
            corners.insert(corners.end(), {a, b, c, a, c, d});
        }
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < corners.size(); i += 3) {
            const GradientVertex t[3] = {corners[i], corners[i + 1], corners[i + 2]};
            canvas.gradientTriangle(t);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    const double pixels = static_cast<double>(width) * height;
    state.counters["pixels"] = benchmark::Counter(pixels * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(corners.size() / 3) *
                                                         static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GradientFillRate)->ArgName("cell")->Arg(1080)->Arg(64)->Arg(16)->Arg(4);

// The flat fill of the copy pen over the same tiling, for comparison.
void BM_FlatFillRate(benchmark::State& state) {
    const int width = 1920;
    const int height = 1080;
    const int cell = static_cast<int>(state.range(0));
    QImage image(width, height, QImage::Format_RGB32);
    QImageCanvas canvas(image);
    canvas.setOutline(false);
    canvas.setFill(true);
    canvas.setFillColour({110, 0, 0});
    for (auto _ : state) {
        for (int y = 0; y < height; y += cell) {
            for (int x = 0; x < width; x += cell) {
                const PixelPoint a[3] = {{x, y}, {x + cell, y}, {x + cell, y + cell}};
                const PixelPoint b[3] = {{x, y}, {x + cell, y + cell}, {x, y + cell}};
                canvas.polygon(a);
                canvas.polygon(b);
            }
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["pixels"] = benchmark::Counter(static_cast<double>(width) * height *
                                                      static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FlatFillRate)->ArgName("cell")->Arg(1080)->Arg(16);

// The depth sort alone: random keys, and the worst case of keys that are all equal.
void BM_SortDrawList(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool equal = state.range(1) != 0;
    Engine e;
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> depth(-3.0f, 0.0f);
    std::vector<float> keys(n);
    std::vector<std::int16_t> faces(n);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < n; ++i) {
            keys[i] = equal ? -1.5f : depth(gen);
            faces[i] = static_cast<std::int16_t>(i + 1);
        }
        state.ResumeTiming();
        e.SortDrawList(keys, faces, 0, n - 1);
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_SortDrawList)
    ->ArgNames({"n", "equal"})
    ->Args({400, 0})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // QPainter's curves and text want one
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    turningSessions.clear(); // before the application goes
    return 0;
}

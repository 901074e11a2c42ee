// Writing a drawing of the whole former with its doubling at 100 samples per half, the
// largest piece a user can export: the millimetre outline, then each format's bytes, then the
// file through the safe writer; and every former of a fuselage laid out on sheets and drawn.
#include "export/piece_outline.h"
#include "export/sheet_layout.h"
#include "files/safe_file_writer.h"
#include "print/piece_page.h"

#include "../whole_former_samples.h"
#include "bench_statistics.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QTemporaryDir>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Former : WholeFormerSamples {
    // At the start-up sliders: "Larg.:" 50, "Haut.:" 60.
    PieceOutline outline() const { return pieceOutline(input(), Piece::Whole, 60.0, 100.0, 120.0); }
};

enum Format { Svg, Dxf, Pdf };

QByteArray drawing(Format format, const PieceOutline& o) {
    switch (format) {
    case Svg:
        return QByteArray::fromStdString(pieceSvg(o, pieceCaption(Piece::Whole, o)));
    case Dxf:
        return QByteArray::fromStdString(pieceDxf(o));
    case Pdf:
        break;
    }
    QByteArray pdf;
    piecePdf(o, piecePageCaption(Piece::Whole, o, 5), QStringLiteral("Couple Entier"), pdf);
    return pdf;
}

void BM_MillimetreOutline(benchmark::State& state) {
    const Former f;
    for (auto _ : state) {
        PieceOutline o = f.outline();
        benchmark::DoNotOptimize(o.paths.data());
    }
}
BENCHMARK(BM_MillimetreOutline)->Unit(benchmark::kMicrosecond);

// The bytes of each format alone, without the disk.
void BM_DrawingBytes(benchmark::State& state) {
    const PieceOutline o = Former().outline();
    const auto format = static_cast<Format>(state.range(0));
    for (auto _ : state) {
        QByteArray data = drawing(format, o);
        benchmark::DoNotOptimize(data.data());
    }
}
BENCHMARK(BM_DrawingBytes)
    ->ArgName("svg0_dxf1_pdf2")
    ->Arg(Svg)
    ->Arg(Dxf)
    ->Arg(Pdf)
    ->Unit(benchmark::kMicrosecond);

// The whole export as the menu runs it, but the dialogs: outline, bytes, safe write.
void BM_WriteDrawing(benchmark::State& state) {
    const Former f;
    const auto format = static_cast<Format>(state.range(0));
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("whole")).toStdString();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray data = drawing(format, f.outline());
        bytes = static_cast<std::size_t>(data.size());
        const std::string error = writeFileSafely(path, std::string_view(data.constData(), bytes));
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteDrawing)
    ->ArgName("svg0_dxf1_pdf2")
    ->Arg(Svg)
    ->Arg(Dxf)
    ->Arg(Pdf)
    ->Unit(benchmark::kMicrosecond);

// The whole fuselage: 20 formers, each the whole former with its doubling at 100 samples
// per half, from 30 % to 100 % of its size, laid out on sheets of 600 × 300 mm.
std::vector<LayoutPart> fuselage() {
    const Former f;
    std::vector<LayoutPart> parts;
    for (int i = 0; i < 20; ++i) {
        const double k = 0.3 + 0.7 * std::sin(3.14159265358979 * (i + 1) / 21.0);
        std::string name = "F"; // GCC 12 sees a false overlap in "F" + std::to_string(...)
        name += std::to_string(i + 1);
        parts.push_back(
            {name, pieceOutline(f.input(), Piece::Whole, 60.0, 100.0 * k, 120.0 * k), "", -1});
    }
    return parts;
}

void BM_LayOutFormers(benchmark::State& state) {
    const std::vector<LayoutPart> parts = fuselage();
    for (auto _ : state) {
        SheetLayout layout = layOutParts(parts, {});
        benchmark::DoNotOptimize(layout.sheets.data());
    }
    state.SetLabel(layoutSummary(layOutParts(parts, {})));
}
BENCHMARK(BM_LayOutFormers)
    ->Unit(benchmark::kMicrosecond)
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 300, 10); });

// "Exporter tous les couples..." but the dialogs: the layout, then every file's bytes.
void BM_ExportAllFormers(benchmark::State& state) {
    const std::vector<LayoutPart> parts = fuselage();
    const auto format = static_cast<Format>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const SheetLayout layout = layOutParts(parts, {});
        bytes = 0;
        if (format == Svg) {
            for (const std::string& svg : sheetsSvg(layout))
                bytes += svg.size();
        } else if (format == Dxf) {
            bytes = sheetsDxf(layout).size();
        } else {
            QByteArray pdf;
            sheetsPdf(layout, QStringLiteral("Couples"), pdf);
            bytes = static_cast<std::size_t>(pdf.size());
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportAllFormers)
    ->ArgName("svg0_dxf1_pdf2")
    ->Arg(Svg)
    ->Arg(Dxf)
    ->Arg(Pdf)
    ->Unit(benchmark::kMillisecond)
    ->Apply([](benchmark::internal::Benchmark* b) { stepStatistics(b, 100); });

} // namespace

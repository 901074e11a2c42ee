// Writing a drawing of the whole former with its doubling at 100 samples per half, the
// largest piece a user can export: the millimetre outline, then each format's bytes, then the
// file through the safe writer.
#include "editor/piece_page.h"
#include "export/piece_outline.h"
#include "files/safe_file_writer.h"

#include "../whole_former_samples.h"

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

} // namespace

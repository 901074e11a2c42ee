#include "outline_sequences.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace {

enum class Curve { Right, Left, DoublingRight, DoublingLeft };

// One walk over one array, both ends included, in a fixed direction: a range that points the
// other way (N too small) walks nothing.
struct Run {
    Curve curve;
    int from;
    int to;
    int step;
    bool inner; // written only while the doubling is on
    ZeroHeight rule;
    bool junctionAtEnd = false;
};

struct RunList {
    std::array<Run, 8> runs{};
    int count = 0;
    void add(const Run& r) { runs[static_cast<std::size_t>(count++)] = r; }
};

RunList runsOf(Piece piece, int n) {
    const int m = middleIndex(n);
    const int last = n - 1;
    constexpr auto Nudge = ZeroHeight::Nudge;
    constexpr auto Plain = ZeroHeight::Plain;
    RunList l;
    switch (piece) {
    case Piece::Right:
        l.add({Curve::Right, m, 0, -1, false, Nudge});
        l.add({Curve::DoublingRight, 0, last, 1, true, Nudge});
        l.add({Curve::Right, last, m, -1, false, Nudge});
        break;
    case Piece::Left:
        l.add({Curve::Left, 0, last, 1, false, Plain});
        l.add({Curve::DoublingLeft, last, 0, -1, true, Plain});
        break;
    case Piece::Top:
        l.add({Curve::Right, m, 0, -1, false, Nudge});
        l.add({Curve::Left, 0, m, 1, false, Plain, true});
        l.add({Curve::DoublingLeft, m, 0, -1, true, Nudge});
        l.add({Curve::DoublingRight, 0, m, 1, true, Nudge});
        break;
    case Piece::Bottom:
        l.add({Curve::Right, m, last, 1, false, Nudge});
        l.add({Curve::Left, last, m, -1, false, Plain, true});
        l.add({Curve::DoublingLeft, m, last, 1, true, Nudge});
        l.add({Curve::DoublingRight, last, m, -1, true, Nudge});
        break;
    case Piece::Whole:
        l.add({Curve::Right, m, 0, -1, false, Nudge});
        l.add({Curve::Left, 0, m, 1, false, Plain, true});
        l.add({Curve::Left, m, last, 1, false, Plain});
        l.add({Curve::Right, last, m, -1, false, Nudge});
        l.add({Curve::DoublingRight, m, 0, -1, true, Nudge});
        l.add({Curve::DoublingLeft, 0, m, 1, true, Nudge});
        l.add({Curve::DoublingLeft, m, last, 1, true, Nudge});
        l.add({Curve::DoublingRight, last, m, -1, true, Nudge});
        break;
    }
    return l;
}

std::span<const PointXYZ> arrayOf(const OutlineInput& in, Curve c) {
    switch (c) {
    case Curve::Right:
        return in.Courbe_Droite;
    case Curve::Left:
        return in.Courbe_Gauche;
    case Curve::DoublingRight:
        return in.Doublage_Droit;
    case Curve::DoublingLeft:
        return in.Doublage_Gauche;
    }
    return {};
}

// The axis is a single-precision property of the line control; a value beyond the float range
// becomes infinite instead of overflowing the conversion.
double axisAsSingle(double y1) {
    if (std::isfinite(y1) && std::fabs(y1) > static_cast<double>(FLT_MAX)) {
        return y1 > 0 ? HUGE_VAL : -HUGE_VAL;
    }
    return static_cast<double>(static_cast<float>(y1));
}

} // namespace

std::optional<Piece> pieceFromSaveCode(int code) {
    switch (code) {
    case 1:
        return Piece::Bottom;
    case 2:
        return Piece::Top;
    case 3:
        return Piece::Left;
    case 4:
        return Piece::Right;
    case 5:
        return Piece::Whole;
    default:
        return std::nullopt;
    }
}

std::optional<Piece> pieceFromViewPiece(int View_Piece) {
    switch (View_Piece) {
    case 1:
        return Piece::Whole;
    case 2:
        return Piece::Top;
    case 3:
        return Piece::Bottom;
    case 4:
        return Piece::Left;
    case 5:
        return Piece::Right;
    default:
        return std::nullopt;
    }
}

int middleIndex(int nbPoints) {
    return static_cast<int>(std::floor((static_cast<double>(nbPoints) - 1.0) / 2.0));
}

OutlinePoint toOutputUnits(const PointXYZ& p, double Y1, ZeroHeight rule) {
    double h = axisAsSingle(Y1) - p.y;
    if (rule == ZeroHeight::Nudge && h == 0.0) {
        h = 1.0;
    }
    return {p.x / outputUnit, h / outputUnit};
}

void outlineSequence(const OutlineInput& in, Piece piece, std::vector<SequencePoint>& out) {
    out.clear();
    const int n = in.Nb_Points;
    if (n < 1) {
        return;
    }
    const bool doubling = in.doublingOn == 1;
    const RunList list = runsOf(piece, n);
    for (int r = 0; r < list.count; ++r) {
        const Run& run = list.runs[static_cast<std::size_t>(r)];
        if (run.inner && !doubling) {
            continue;
        }
        const std::span<const PointXYZ> a = arrayOf(in, run.curve);
        for (int i = run.from; run.step > 0 ? i <= run.to : i >= run.to; i += run.step) {
            SequencePoint sp;
            sp.inner = run.inner;
            if (i >= 0 && static_cast<std::size_t>(i) < a.size()) {
                const PointXYZ& q = a[static_cast<std::size_t>(i)];
                const OutlinePoint p = toOutputUnits(q, in.Y1, run.rule);
                sp.x = p.x;
                sp.y = p.y;
                sp.lifted = run.rule == ZeroHeight::Nudge && axisAsSingle(in.Y1) - q.y == 0.0;
            } else {
                sp.present = false;
            }
            sp.junction = run.junctionAtEnd && i == run.to;
            out.push_back(sp);
        }
    }
}

std::vector<SequencePoint> outlineSequence(const OutlineInput& in, Piece piece) {
    std::vector<SequencePoint> out;
    outlineSequence(in, piece, out);
    return out;
}

int Build_Outline_3D(const OutlineInput& in, int View_Piece, std::vector<PointXYZ>& Outline_3D) {
    const int n = in.Nb_Points;
    const std::size_t rows = n >= 0 ? 8 * static_cast<std::size_t>(n) + 1 : 0;
    Outline_3D.assign(rows, PointXYZ{});
    const std::optional<Piece> piece = pieceFromViewPiece(View_Piece);
    if (!piece) {
        return 0;
    }
    const std::vector<SequencePoint> seq = outlineSequence(in, *piece);
    const std::size_t written = seq.size() < rows ? seq.size() : rows;
    for (std::size_t k = 0; k < written; ++k) {
        if (seq[k].present) {
            Outline_3D[k].x = seq[k].x;
            Outline_3D[k].y = seq[k].y;
        }
    }
    if (written > 0) {
        const PointXYZ first = Outline_3D[0];
        for (std::size_t k = written; k < rows; ++k) {
            Outline_3D[k] = first;
        }
    }
    return static_cast<int>(written);
}

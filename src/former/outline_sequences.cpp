#include "outline_sequences.h"

#include <algorithm>
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

// Where a curve's runs start and end: its middle M and its last index.
struct Ends {
    int m = 0;
    int last = 0;
};

Ends samplesEnds(int n) {
    return {middleIndex(n), n - 1};
}

// The runs of a piece: the outer halves `right` and `left` (the samples, or the halves cut with
// their notches), the doubling's `inner` (always the samples).
RunList runsOf(Piece piece, Ends right, Ends left, Ends inner) {
    constexpr auto Nudge = ZeroHeight::Nudge;
    constexpr auto Plain = ZeroHeight::Plain;
    const int m = inner.m;
    const int last = inner.last;
    RunList l;
    switch (piece) {
    case Piece::Right:
        l.add({Curve::Right, right.m, 0, -1, false, Nudge});
        l.add({Curve::DoublingRight, 0, last, 1, true, Nudge});
        l.add({Curve::Right, right.last, right.m, -1, false, Nudge});
        break;
    case Piece::Left:
        l.add({Curve::Left, 0, left.last, 1, false, Plain});
        l.add({Curve::DoublingLeft, last, 0, -1, true, Plain});
        break;
    case Piece::Top:
        l.add({Curve::Right, right.m, 0, -1, false, Nudge});
        l.add({Curve::Left, 0, left.m, 1, false, Plain, true});
        l.add({Curve::DoublingLeft, m, 0, -1, true, Nudge});
        l.add({Curve::DoublingRight, 0, m, 1, true, Nudge});
        break;
    case Piece::Bottom:
        l.add({Curve::Right, right.m, right.last, 1, false, Nudge});
        l.add({Curve::Left, left.last, left.m, -1, false, Plain, true});
        l.add({Curve::DoublingLeft, m, last, 1, true, Nudge});
        l.add({Curve::DoublingRight, last, m, -1, true, Nudge});
        break;
    case Piece::Whole:
        l.add({Curve::Right, right.m, 0, -1, false, Nudge});
        l.add({Curve::Left, 0, left.m, 1, false, Plain, true});
        l.add({Curve::Left, left.m, left.last, 1, false, Plain});
        l.add({Curve::Right, right.last, right.m, -1, false, Nudge});
        l.add({Curve::DoublingRight, m, 0, -1, true, Nudge});
        l.add({Curve::DoublingLeft, 0, m, 1, true, Nudge});
        l.add({Curve::DoublingLeft, m, last, 1, true, Nudge});
        l.add({Curve::DoublingRight, last, m, -1, true, Nudge});
        break;
    }
    return l;
}

RunList runsOf(const OutlineInput& in, Piece piece) {
    const Ends samples = samplesEnds(in.Nb_Points);
    if (!in.cut())
        return runsOf(piece, samples, samples, samples);
    return runsOf(piece, {in.cutRightMiddle, static_cast<int>(in.cutRight.size()) - 1},
                  {in.cutLeftMiddle, static_cast<int>(in.cutLeft.size()) - 1}, samples);
}

std::span<const PointXYZ> arrayOf(const OutlineInput& in, Curve c) {
    switch (c) {
    case Curve::Right:
        return in.cut() ? in.cutRight : in.Courbe_Droite;
    case Curve::Left:
        return in.cut() ? in.cutLeft : in.Courbe_Gauche;
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
    const RunList list = runsOf(in, piece);
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

int wholeSequenceLength(const OutlineInput& in) {
    const int n = std::max(in.Nb_Points, 0);
    const int inner = in.doublingOn == 1 ? 2 * n + 2 : 0;
    if (!in.cut())
        return 2 * n + 2 + inner;
    return static_cast<int>(in.cutRight.size() + in.cutLeft.size()) + 2 + inner;
}

int Build_Outline_3D(const OutlineInput& in, int View_Piece, std::vector<PointXYZ>& Outline_3D) {
    const int n = in.Nb_Points;
    // The notches may add points: room for the whole former's sequence and its closing row.
    std::size_t rows = n >= 0 ? 8 * static_cast<std::size_t>(n) + 1 : 0;
    if (n >= 0 && in.cut())
        rows = std::max(rows, static_cast<std::size_t>(wholeSequenceLength(in)) + 1);
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

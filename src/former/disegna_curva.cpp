#include "doubling_offset.h"
#include "former_model.h"
#include "splines.h"

#include <cmath>
#include <cstdlib>

namespace {

// Whole number nearest to v, a half going to the even neighbour (the sampling counts give
// exact halves, and the joints depend on which way they go).
int roundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    auto r = static_cast<long long>(f);
    if (diff > 0.5 || (diff == 0.5 && (r % 2 != 0))) {
        ++r;
    }
    return static_cast<int>(r);
}

// Records the drawing steps and keeps the current pen position, as the surface would.
class Recorder {
public:
    explicit Recorder(std::vector<DrawStep>* out) : out_(out) {}

    void dot(const PointXYZ& p, Rgb c, int width) {
        current_ = p;
        if (out_ != nullptr) {
            out_->push_back({DrawStep::Kind::Dot, p, p, c, width});
        }
    }
    void lineTo(const PointXYZ& p, Rgb c) {
        if (out_ != nullptr) {
            out_->push_back({DrawStep::Kind::Line, current_, p, c, 1});
        }
        current_ = p;
    }
    void line(const PointXYZ& a, const PointXYZ& b, Rgb c) {
        current_ = a;
        lineTo(b, c);
    }

private:
    std::vector<DrawStep>* out_;
    PointXYZ current_;
};

void setXY(PointXYZ& to, double x, double y) {
    to.x = x;
    to.y = y;
}

// A pinned interior point turns the stretch of samples between the ones closest to it and to
// its predecessor into a vertical run at the outer x, ending exactly on both points.
void applyPin(std::vector<PointXYZ>& C, int M, const Handle& prev, const Handle& pin) {
    const double pax = pin.Left;
    const double pay = pin.Top;
    const double pbx = prev.Left;
    const double pby = prev.Top;

    double bestDyA = 999.0;
    double bestDxA = 999.0;
    int idxA = 0;
    double bestDyB = 999.0;
    double bestDxB = 999.0;
    int idxB = 0;
    // Nearest in y; a later sample wins a tie.
    for (int j = 1; j <= M - 1; ++j) {
        const double dyA = std::abs(C[j].y - pay);
        if (dyA <= bestDyA) {
            bestDyA = dyA;
            bestDxA = std::abs(C[j].x - pax);
            idxA = j;
        }
        const double dyB = std::abs(C[j].y - pby);
        if (dyB <= bestDyB) {
            bestDyB = dyB;
            bestDxB = std::abs(C[j].x - pbx);
            idxB = j;
        }
    }
    // Among samples tied in y, the one nearer in x wins.
    const int from = idxB;
    const int to = idxA;
    for (int j = from; j <= to; ++j) {
        const double dxA = std::abs(C[j].x - pax);
        if (dxA < bestDxA && std::abs(C[j].y - pay) <= bestDyA) {
            bestDxA = dxA;
            idxA = j;
        }
        const double dxB = std::abs(C[j].x - pbx);
        if (dxB < bestDxB && std::abs(C[j].y - pby) <= bestDyB) {
            bestDxB = dxB;
            idxB = j;
        }
    }
    const double outerX = pax >= pbx ? pax : pbx;
    for (int j = idxB; j <= idxA; ++j) {
        C[j].x = outerX;
    }
    setXY(C[idxB], pbx, pby);
    setXY(C[idxA], pax, pay);
}

void verticalJoint(std::vector<PointXYZ>& D, const std::vector<PointXYZ>& C, int M) {
    if (M < 3) {
        return;
    }
    const double ym = D[0].y + (C[0].y - D[0].y) / 2.0;
    const int mid = roundHalfEven(M / 2.0 - 1.0);
    const double hx = (C[mid].x - D[mid].x) / 2.0;

    const double x0 = D[0].x;
    D[0].y = C[0].y;
    D[1].y = ym;
    D[1].x = x0 + hx;
    D[2].x = x0;

    const double yL = D[M - 1].y;
    const double xL = D[M - 1].x;
    D[M - 1].y = C[M - 1].y;
    D[M - 2].y = yL + (C[M - 1].y - yL) / 2.0;
    D[M - 2].x = D[1].x;
    D[M - 3].x = xL;
}

bool horizontalJoint(std::vector<PointXYZ>& D, std::vector<PointXYZ>& C, int M, double Y1) {
    const int h = (M - 1) / 2;
    if (h < 2 || h + 3 > M - 1) {
        return false;
    }
    // This moves a former sample after the former was drawn and mirrored.
    C[h].y = Y1;

    const double g = (C[M - 1].y - D[M - 1].y) / 2.0;
    const double hx = (C[h].x - D[h].x) / 2.0;
    const double x0 = D[h].x;
    D[h].y = Y1;
    D[h].x = C[h].x;
    D[h - 1].y = Y1 - g;
    D[h - 1].x = x0 + hx;
    D[h - 2].y = Y1;

    // Symmetric about sample h + 0.5.
    setXY(D[h + 1], D[h].x, D[h].y);
    setXY(D[h + 2], D[h - 1].x, D[h - 1].y);
    setXY(D[h + 3], D[h - 2].x, D[h - 2].y);
    return true;
}

void Visu_Points(const FormerModel& m, const OutlineOptions& o, Recorder& rec) {
    if (!o.samplePointsShown) {
        return;
    }
    // Only the right halves are dotted.
    for (const PointXYZ& p : m.Courbe_Droite) {
        rec.dot(p, colours::Red, 3);
    }
    if (o.doublingOn) {
        for (const PointXYZ& p : m.Doublage_Droit) {
            rec.dot(p, colours::Red, 3);
        }
    }
}

} // namespace

void DisegnaCurva(FormerModel& m, const OutlineOptions& o, std::vector<DrawStep>* drawing) {
    const int M = m.Nb_Points;
    if (M < 1) {
        return;
    }
    // The four sample arrays always follow M.
    const auto size = static_cast<std::size_t>(M);
    if (m.Courbe_Droite.size() != size || m.Courbe_Gauche.size() != size ||
        m.Doublage_Droit.size() != size || m.Doublage_Gauche.size() != size) {
        m.resizeSamples(M);
    }
    const int N = m.Der_Point;
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    auto& C = m.Courbe_Droite;
    auto& G = m.Courbe_Gauche;
    auto& D = m.Doublage_Droit;
    auto& DG = m.Doublage_Gauche;
    Recorder rec(drawing);

    Calcul_Spline(m.Pts_Couple, m.Ordre_Spline, C);
    rec.dot(C[0], colours::Yellow, 1);

    // Only interior points can be pinned; each pass works on what the previous one left.
    const int lastInterior = std::min(N - 1, static_cast<int>(m.shppi.size()) - 1);
    for (int i = 1; i <= lastInterior; ++i) {
        if (IsPinned(m, i)) {
            applyPin(C, M, m.shppi[static_cast<std::size_t>(i - 1)],
                     m.shppi[static_cast<std::size_t>(i)]);
        }
    }

    // One path: down the right side, then back up the mirrored left side.
    for (int j = 0; j < M; ++j) {
        setXY(G[j], X1 - (C[j].x - X1), C[j].y);
        rec.lineTo(C[j], colours::Yellow);
    }
    for (int j = M - 1; j >= 0; --j) {
        rec.lineTo(G[j], colours::Red);
    }

    m.offsetDoublingWhole = true;
    m.offsetDoublingMessage.clear();
    if (o.doublingOn && o.slaved && o.constantWidth > 0.0) {
        // The former's outline offset inwards: where it vanishes or breaks at a neck, nothing of
        // the doubling is drawn and its samples rest on the former's.
        FormerModel::OffsetMemo& memo = m.offsetMemo;
        if (memo.former != C || memo.X1 != X1 || memo.width != o.constantWidth) {
            OffsetDoublingResult r = OffsetDoubling(C, X1, o.constantWidth, M);
            memo = {C, X1, o.constantWidth, std::move(r.right), OffsetDoublingMessage(r)};
        }
        if (memo.doubling.empty()) {
            m.offsetDoublingWhole = false;
            m.offsetDoublingMessage = memo.message;
            D = C;
            DG = G;
            OutlineOptions former = o;
            former.doublingOn = false;
            Visu_Points(m, former, rec);
            return;
        }
        D = memo.doubling;
    }
    if (o.doublingOn) {
        if (o.slaved && o.constantWidth > 0.0) {
            // Placed above: the offset outline.
        } else if (o.slaved) {
            // The former scaled about the axes' intersection, pinned stretches included.
            const double e = o.doublingScale / 10.0;
            for (int j = 0; j < M; ++j) {
                setXY(D[j], X1 + e * (C[j].x - X1), Y1 + e * (C[j].y - Y1));
                setXY(DG[j], X1 - e * (C[j].x - X1), D[j].y);
            }
        } else {
            Calcul_Spline(m.Pts_Doublage, m.Ordre_Spline, D);
        }

        bool horizontal = false;
        if (o.vertical) {
            verticalJoint(D, C, M);
        } else if (o.horizontal) {
            horizontal = horizontalJoint(D, C, M, Y1);
        }

        for (int j = 0; j + 1 < M; ++j) {
            rec.line(D[j], D[j + 1], colours::Blue);
        }
        const int hPrime = roundHalfEven((M - 1) / 2.0);
        for (int j = M - 1; j >= 0; --j) {
            setXY(DG[j], X1 - (D[j].x - X1), D[j].y);
            if (o.vertical && M >= 3) {
                // The joint's tab keeps its own x on the left half too.
                DG[1].x = D[1].x;
                DG[M - 2].x = D[M - 2].x;
            }
            if (horizontal) {
                C[hPrime].y = Y1;
            }
            rec.lineTo(DG[j], colours::Blue);
        }
    }

    Visu_Points(m, o, rec);
}

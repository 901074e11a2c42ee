#include "piece_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Neighbours closer than this are one point: the profile repeats an axis point where two runs
// meet, and its mirror arithmetic may leave a few units in the last place between them.
constexpr double kSamePoint = 1e-9; // mm

bool samePoint(const MmPoint& a, const MmPoint& b) {
    return std::fabs(a.x - b.x) <= kSamePoint && std::fabs(a.y - b.y) <= kSamePoint;
}

void addPath(PieceOutline& out, const std::vector<MmPoint>& run, bool doubling) {
    PiecePath path;
    path.doubling = doubling;
    for (const MmPoint& p : run) {
        if (path.points.empty() || !samePoint(path.points.back(), p)) {
            path.points.push_back(p);
        }
    }
    while (path.points.size() > 1 && samePoint(path.points.back(), path.points.front())) {
        path.points.pop_back();
    }
    // A closed outline needs three corners; fewer is a stroke with nothing to cut around.
    if (path.points.size() >= 3) {
        out.paths.push_back(std::move(path));
    }
}

void updateBounds(PieceOutline& out) {
    bool first = true;
    for (const PiecePath& path : out.paths) {
        for (const MmPoint& p : path.points) {
            out.minX = first ? p.x : std::min(out.minX, p.x);
            out.maxX = first ? p.x : std::max(out.maxX, p.x);
            out.minY = first ? p.y : std::min(out.minY, p.y);
            out.maxY = first ? p.y : std::max(out.maxY, p.y);
            first = false;
        }
    }
}

PieceOutline refused(std::string reason) {
    PieceOutline out;
    out.error = std::move(reason);
    return out;
}

} // namespace

std::string_view pieceName(Piece piece) {
    switch (piece) {
    case Piece::Whole:
        return "Couple Entier";
    case Piece::Left:
        return "1/2 couple Gauche";
    case Piece::Right:
        return "1/2 couple Droit";
    case Piece::Top:
        return "1/2 couple Haut";
    case Piece::Bottom:
        return "1/2 couple Bas";
    }
    return {};
}

PieceOutline pieceOutline(const OutlineInput& in, Piece piece, double X1, double mmPerUnitX,
                          double mmPerUnitY) {
    const std::vector<SequencePoint> seq = outlineSequence(in, piece);
    const double axisX = X1 / outputUnit;
    std::vector<MmPoint> outer;
    std::vector<MmPoint> inner;
    for (const SequencePoint& p : seq) {
        if (!p.present) {
            return refused("le contour du couple n'est pas calculé");
        }
        const MmPoint q{(p.x - axisX) * mmPerUnitX, p.lifted ? 0.0 : p.y * mmPerUnitY};
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) {
            return refused("le contour du couple contient des points invalides");
        }
        (p.inner ? inner : outer).push_back(q);
    }
    PieceOutline out;
    addPath(out, outer, false);
    if (out.paths.empty()) {
        return refused("le contour du couple n'entoure aucune surface");
    }
    addPath(out, inner, true);
    updateBounds(out);
    return out;
}

PieceOutline resizedPiece(PieceOutline piece, std::optional<double> width,
                          std::optional<double> height) {
    if (!piece.ok()) {
        return piece;
    }
    for (const std::optional<double>& v : {width, height}) {
        if (v && !(std::isfinite(*v) && *v > 0.0)) {
            return refused("la largeur et la hauteur doivent être des nombres positifs");
        }
    }
    if ((width && !(piece.width() > 0.0)) || (height && !(piece.height() > 0.0))) {
        return refused("le contour du couple n'a pas d'étendue à agrandir");
    }
    double sx = width ? *width / piece.width() : 1.0;
    double sy = height ? *height / piece.height() : 1.0;
    if (!width && height) {
        sx = sy;
    } else if (width && !height) {
        sy = sx;
    }
    for (PiecePath& path : piece.paths) {
        for (MmPoint& p : path.points) {
            p.x *= sx;
            p.y *= sy;
        }
    }
    updateBounds(piece);
    return piece;
}

std::string frenchMillimetres(double mm) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", mm + 0.0);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string pieceCaption(Piece piece, const PieceOutline& outline) {
    return std::string(pieceName(piece)) + ", " + frenchMillimetres(outline.width()) + " × " +
           frenchMillimetres(outline.height()) + " mm";
}

bool outlineMeetsBox(const PieceOutline& o, double left, double bottom, double right, double top) {
    // Liang and Barsky's clipping of each edge to the box.
    for (const PiecePath& path : o.paths) {
        const std::vector<MmPoint>& p = path.points;
        for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            const double dx = p[i].x - p[j].x, dy = p[i].y - p[j].y;
            const double d[4] = {-dx, dx, -dy, dy};
            const double room[4] = {p[j].x - left, right - p[j].x, p[j].y - bottom, top - p[j].y};
            double t0 = 0.0, t1 = 1.0;
            for (int k = 0; k < 4 && t0 <= t1; ++k) {
                if (d[k] == 0.0) {
                    if (room[k] < 0.0)
                        t1 = -1.0; // parallel to this side and outside it
                } else if (d[k] < 0.0) {
                    t0 = std::max(t0, room[k] / d[k]);
                } else {
                    t1 = std::min(t1, room[k] / d[k]);
                }
            }
            if (t0 <= t1)
                return true;
        }
    }
    return false;
}

#include "notches.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

constexpr double kSame = 1e-9;    // mm: nearer points are one
constexpr double kTouch = 1e-7;   // mm: nearer segments meet, and leave no wood between them
constexpr double kMinSide = 1e-6; // mm: the shortest side a notch may have

RealPoint operator+(RealPoint a, RealPoint b) {
    return {a.x + b.x, a.y + b.y};
}
RealPoint operator-(RealPoint a, RealPoint b) {
    return {a.x - b.x, a.y - b.y};
}
RealPoint operator*(RealPoint a, double k) {
    return {a.x * k, a.y * k};
}
double dot(RealPoint a, RealPoint b) {
    return a.x * b.x + a.y * b.y;
}
double cross(RealPoint a, RealPoint b) {
    return a.x * b.y - a.y * b.x;
}
double norm(RealPoint a) {
    return std::sqrt(a.x * a.x + a.y * a.y); // millimetres: far from overflowing
}
RealPoint mirrored(RealPoint p) {
    return {-p.x, p.y};
}

double segmentDistance(RealPoint p, RealPoint a, RealPoint b) {
    const RealPoint ab = b - a;
    const double len2 = dot(ab, ab);
    const double t = len2 > 0.0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return norm(p - (a + ab * t));
}

// The closed segments ab and cd cross, or come within kTouch of each other.
bool segmentsMeet(RealPoint a, RealPoint b, RealPoint c, RealPoint d) {
    if (std::max(a.x, b.x) < std::min(c.x, d.x) - kTouch ||
        std::max(c.x, d.x) < std::min(a.x, b.x) - kTouch ||
        std::max(a.y, b.y) < std::min(c.y, d.y) - kTouch ||
        std::max(c.y, d.y) < std::min(a.y, b.y) - kTouch)
        return false;
    const double d1 = cross(b - a, c - a), d2 = cross(b - a, d - a);
    const double d3 = cross(d - c, a - c), d4 = cross(d - c, b - c);
    if (((d1 < 0 && d2 > 0) || (d1 > 0 && d2 < 0)) && ((d3 < 0 && d4 > 0) || (d3 > 0 && d4 < 0)))
        return true;
    return std::min({segmentDistance(a, c, d), segmentDistance(b, c, d), segmentDistance(c, a, b),
                     segmentDistance(d, a, b)}) <= kTouch;
}

bool inside(RealPoint p, const std::vector<RealPoint>& polygon) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const RealPoint a = polygon[i], b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}

// The points of a half with neighbours closer than kSame taken once; `index` gives, for each
// point of `half`, the one kept for it. Empty when a value is no number.
std::vector<RealPoint> distinctPoints(std::span<const RealPoint> half, std::vector<int>* index) {
    std::vector<RealPoint> kept;
    for (const RealPoint& p : half) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return {};
        if (kept.empty() || norm(p - kept.back()) > kSame)
            kept.push_back(p);
        if (index)
            index->push_back(static_cast<int>(kept.size()) - 1);
    }
    return kept;
}

// A half and its mirror as one closed loop, as the whole former is cut: the right half from its
// top on the axis down to its bottom on the axis, then the left half back up. Arc lengths run
// from the top on the axis through the right half; vertices and arc lengths may be asked for
// round the loop as often as needed (unwrapped indices), so a walk may cross the top.
struct Loop {
    std::vector<RealPoint> points;
    std::vector<double> arc; // arc[i] at points[i], arc[size] the whole length
    std::size_t last = 0;    // the bottom on the axis: points[0..last] is the right half

    explicit Loop(const std::vector<RealPoint>& right) : points(right), last(right.size() - 1) {
        for (std::size_t k = right.size() - 1; k-- > 1;)
            points.push_back(mirrored(right[k]));
        arc.push_back(0.0);
        for (std::size_t i = 0; i < points.size(); ++i)
            arc.push_back(arc.back() + norm(points[(i + 1) % points.size()] - points[i]));
    }
    std::int64_t size() const { return static_cast<std::int64_t>(points.size()); }
    // Twice the enclosed area, negative as the loop goes round clockwise (y up).
    double signedArea() const {
        double a = 0.0;
        for (std::size_t i = 0; i < points.size(); ++i)
            a += cross(points[i], points[(i + 1) % points.size()]);
        return a;
    }
    double total() const { return arc.back(); }
    double half() const { return arc[last]; }
    std::int64_t turns(std::int64_t k) const {
        return k >= 0 ? k / size() : -((-k - 1) / size()) - 1;
    }
    RealPoint vertex(std::int64_t k) const {
        return points[static_cast<std::size_t>(k - turns(k) * size())];
    }
    double arcAt(std::int64_t k) const {
        return arc[static_cast<std::size_t>(k - turns(k) * size())] +
               static_cast<double>(turns(k)) * total();
    }
    // The edge from vertex k to vertex k + 1 on which arc length s lies.
    std::int64_t edgeAt(double s) const {
        const double round = std::floor(s / total());
        const double r = s - round * total();
        const auto i = std::upper_bound(arc.begin(), arc.end() - 1, r) - arc.begin() - 1;
        return std::clamp<std::int64_t>(i, 0, size() - 1) +
               static_cast<std::int64_t>(round) * size();
    }
    RealPoint at(double s) const {
        const std::int64_t k = edgeAt(s);
        const double length = arcAt(k + 1) - arcAt(k);
        const double t = length > 0.0 ? std::clamp((s - arcAt(k)) / length, 0.0, 1.0) : 0.0;
        return vertex(k) + (vertex(k + 1) - vertex(k)) * t;
    }
};

enum class Fault { None, Outline, Axis, Doubling };
enum class End { None, Top, Bottom };

// One notch as it lies on the loop.
struct Notch {
    Fault fault = Fault::None;
    End end = End::None; // centred on the axis at the top or the bottom
    RealPoint P;         // the outline's point at the place
    RealPoint T, N;      // along the outline, and inward
    double width = 0.0, depth = 0.0;
    // Where the sides meet the outline, A before the place and B after it: their arc lengths
    // (unwrapped), the last vertex before A and the first after B (unwrapped), and the corners
    // of the bottom under them.
    double sA = 0.0, sB = 0.0;
    std::int64_t kA = 0, kB = 0;
    RealPoint A, A2, B2, B;
    RealPoint axisBottom() const { return {0.0, (P + N * depth).y}; }
};

Notch refusedNotch(Fault fault) {
    Notch n;
    n.fault = fault;
    return n;
}

// The notch `width` by `depth` centred at arc length s, checked against the rest of the outline
// and the doubling (a closed loop, or empty).
Notch placeNotch(const Loop& L, double s, double width, double depth, End end,
                 const std::vector<RealPoint>& doubling) {
    Notch n;
    n.end = end;
    n.width = width;
    n.depth = depth;
    n.P = L.at(s);
    const double h = width / 2.0;
    // 1. The tangent: the chord over the notch's width, or along the axis's normal on the axis.
    if (end != End::None) {
        n.T = end == End::Top ? RealPoint{1.0, 0.0} : RealPoint{-1.0, 0.0};
    } else {
        RealPoint chord = L.at(s + h) - L.at(s - h);
        if (norm(chord) <= kSame) {
            const std::int64_t k = L.edgeAt(s);
            chord = L.vertex(k + 1) - L.vertex(k);
        }
        if (!(norm(chord) > kSame))
            return refusedNotch(Fault::Outline);
        n.T = chord * (1.0 / norm(chord));
    }
    n.N = {n.T.y, -n.T.x}; // the right of the way round, which goes clockwise
    const auto u = [&](RealPoint q) { return dot(q - n.P, n.T); };
    const auto v = [&](RealPoint q) { return dot(q - n.P, n.N); };
    const bool onAxis = end != End::None;
    const double reach = L.total() / 2.0; // no notch takes half the whole outline

    // 2. Back from the place to where the outline leaves the notch's strip: A. On the way the
    // outline must stay above the bottom and within the strip, and off the axis beside it.
    const std::int64_t k0 = L.edgeAt(s);
    RealPoint next = n.P;
    double uNext = 0.0;
    for (std::int64_t k = k0;; --k) {
        const RealPoint q = L.vertex(k);
        const double arc = L.arcAt(k), uq = u(q);
        if (s - arc > reach || uq >= h)
            return refusedNotch(Fault::Outline);
        if (uq <= -h) {
            const double t = (-h - uq) / (uNext - uq);
            n.A = q + (next - q) * t;
            n.sA = arc + t * norm(next - q);
            n.kA = k;
            break;
        }
        if (!onAxis && arc <= 0.0)
            return refusedNotch(Fault::Axis);
        if (v(q) >= depth - kTouch)
            return refusedNotch(Fault::Outline);
        next = q;
        uNext = uq;
    }
    // 3. On from the place to B, likewise.
    RealPoint previous = n.P;
    double uPrevious = 0.0, arcPrevious = s;
    for (std::int64_t k = k0 + 1;; ++k) {
        const RealPoint q = L.vertex(k);
        const double arc = L.arcAt(k), uq = u(q);
        if (arc - s > reach || uq <= -h)
            return refusedNotch(Fault::Outline);
        if (uq >= h) {
            const double t = (h - uPrevious) / (uq - uPrevious);
            n.B = previous + (q - previous) * t;
            n.sB = arcPrevious + t * norm(q - previous);
            n.kB = k;
            break;
        }
        if (!onAxis && arc >= L.half())
            return refusedNotch(Fault::Axis);
        if (v(q) >= depth - kTouch)
            return refusedNotch(Fault::Outline);
        previous = q;
        uPrevious = uq;
        arcPrevious = arc;
    }
    n.A2 = n.P + n.T * -h + n.N * depth;
    n.B2 = n.P + n.T * h + n.N * depth;
    if (!onAxis &&
        (n.sA <= kTouch || n.sB >= L.half() - kTouch || n.A2.x <= kTouch || n.B2.x <= kTouch))
        return refusedNotch(Fault::Axis);
    // 4. Each side reaches the bottom from the outline.
    if (depth - v(n.A) < kMinSide || depth - v(n.B) < kMinSide || n.kB - n.kA > L.size())
        return refusedNotch(Fault::Outline);

    const RealPoint edges[3][2] = {{n.A, n.A2}, {n.A2, n.B2}, {n.B2, n.B}};
    // Only the edges near the new ones need a closer look.
    const double left = std::min({n.A.x, n.A2.x, n.B2.x, n.B.x}) - kTouch;
    const double right = std::max({n.A.x, n.A2.x, n.B2.x, n.B.x}) + kTouch;
    const double bottom = std::min({n.A.y, n.A2.y, n.B2.y, n.B.y}) - kTouch;
    const double top = std::max({n.A.y, n.A2.y, n.B2.y, n.B.y}) + kTouch;
    const auto far = [&](RealPoint c, RealPoint d) {
        return std::max(c.x, d.x) < left || std::min(c.x, d.x) > right ||
               std::max(c.y, d.y) < bottom || std::min(c.y, d.y) > top;
    };
    // 5. The doubling: neither met nor inside the notch.
    for (std::size_t i = 0; i < doubling.size(); ++i) {
        const RealPoint c = doubling[i], d = doubling[(i + 1) % doubling.size()];
        if (far(c, d))
            continue;
        for (const auto& e : edges)
            if (segmentsMeet(e[0], e[1], c, d))
                return refusedNotch(Fault::Doubling);
    }
    if (!doubling.empty()) {
        std::vector<RealPoint> region{n.A};
        for (std::int64_t k = n.kA + 1; k < n.kB; ++k)
            region.push_back(L.vertex(k));
        region.insert(region.end(), {n.B, n.B2, n.A2});
        if (inside(doubling.front(), region))
            return refusedNotch(Fault::Doubling);
    }

    // 6. The rest of the outline, from B round to A: no new edge meets it, but where the two
    // share an end; and neither side doubles back along the outline it leaves.
    const bool aOnVertex = norm(n.A - L.vertex(n.kA)) <= kSame;
    const bool bOnVertex = norm(n.B - L.vertex(n.kB)) <= kSame;
    const std::int64_t endA = n.kA + L.size(); // vertex kA again, after going round
    const std::size_t count = L.points.size();
    for (std::int64_t k = n.kB, i = k - L.turns(k) * L.size(); k < endA; ++k) {
        const std::size_t at = static_cast<std::size_t>(i);
        i = at + 1 == count ? 0 : i + 1;
        const RealPoint c = L.points[at], d = L.points[static_cast<std::size_t>(i)];
        if (far(c, d))
            continue;
        for (int i = 0; i < 3; ++i) {
            if ((i == 2 && k == n.kB && bOnVertex) || (i == 0 && k + 1 == endA && aOnVertex))
                continue;
            if (segmentsMeet(edges[i][0], edges[i][1], c, d))
                return refusedNotch(Fault::Outline);
        }
    }
    for (int i = 0; i < 3; ++i) {
        if ((!bOnVertex && i != 2 && segmentsMeet(edges[i][0], edges[i][1], n.B, L.vertex(n.kB))) ||
            (!aOnVertex && i != 0 && segmentsMeet(edges[i][0], edges[i][1], L.vertex(n.kA), n.A)))
            return refusedNotch(Fault::Outline);
    }
    const auto foldsBack = [](RealPoint along, RealPoint side) {
        return std::fabs(cross(along, side)) <= kTouch * norm(along) && dot(along, side) > 0.0;
    };
    const RealPoint beforeA = L.vertex(aOnVertex ? n.kA - 1 : n.kA);
    const RealPoint afterB = L.vertex(bOnVertex ? n.kB + 1 : n.kB);
    if (foldsBack(beforeA - n.A, n.A2 - n.A) || foldsBack(afterB - n.B, n.B2 - n.B))
        return refusedNotch(Fault::Outline);
    return n;
}

// The stretch of the right half a notch takes, by arc length.
double spanFrom(const Notch& n) {
    return n.end == End::Top ? 0.0 : n.sA;
}
double spanTo(const Notch& n, const Loop& L) {
    return n.end == End::Bottom ? L.half() : n.sB;
}

// The new path a notch gives the right half: its corners from where it leaves the outline
// (or the axis) to where it meets it again.
std::vector<RealPoint> halfPath(const Notch& n) {
    if (n.end == End::Top)
        return {n.axisBottom(), n.B2, n.B};
    if (n.end == End::Bottom)
        return {n.A, n.A2, n.axisBottom()};
    return {n.A, n.A2, n.B2, n.B};
}

bool overlap(const Notch& a, const Notch& b, const std::vector<RealPoint>& pathA,
             const std::vector<RealPoint>& pathB, const Loop& L) {
    if (std::max(spanFrom(a), spanFrom(b)) <= std::min(spanTo(a, L), spanTo(b, L)) + kTouch)
        return true;
    for (std::size_t i = 0; i + 1 < pathA.size(); ++i)
        for (std::size_t j = 0; j + 1 < pathB.size(); ++j)
            if (segmentsMeet(pathA[i], pathA[i + 1], pathB[j], pathB[j + 1]))
                return true;
    return false;
}

// The right half (points[0..last] of the loop) with these notches cut, in order along it;
// `index` gets each vertex's place in the result, or -1.
std::vector<RealPoint> cutHalf(const Loop& L, std::vector<const Notch*> notches,
                               std::vector<int>& index) {
    std::sort(notches.begin(), notches.end(),
              [](const Notch* a, const Notch* b) { return spanFrom(*a) < spanFrom(*b); });
    std::vector<RealPoint> out;
    index.assign(L.last + 1, -1);
    const auto push = [&](RealPoint p) {
        if (out.empty() || norm(p - out.back()) > kSame)
            out.push_back(p);
        return static_cast<int>(out.size()) - 1;
    };
    std::int64_t next = 0;
    const auto keepUpTo = [&](std::int64_t k) {
        for (; next <= k; ++next)
            index[static_cast<std::size_t>(next)] = push(L.points[static_cast<std::size_t>(next)]);
    };
    for (const Notch* n : notches) {
        if (n->end != End::Top) {
            keepUpTo(n->kA);
            push(n->A);
            push(n->A2);
        }
        if (n->end == End::None) {
            push(n->B2);
            push(n->B);
        } else {
            push(n->axisBottom());
        }
        if (n->end == End::Top) {
            push(n->B2);
            push(n->B);
        }
        next = n->end == End::Bottom ? static_cast<std::int64_t>(L.last) + 1 : n->kB;
    }
    keepUpTo(static_cast<std::int64_t>(L.last));
    return out;
}

// "0,5", "30", "-2,25": a value as messages give it.
std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::size_t codePoints(std::string_view s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// "largeur 45 mm hors de l'intervalle 0,5..30 mm", "la largeur n'est pas un nombre", or ""
// within the range.
std::string rangeProblem(const char* what, const char* article, double v, double lo, double hi,
                         const char* unit) {
    if (!std::isfinite(v))
        return std::string(article) + what + " n'est pas un nombre";
    if (v >= lo && v <= hi)
        return {};
    return std::string(what) + " " + number(v) + unit + " hors de l'intervalle " + number(lo) +
           ".." + number(hi) + unit;
}

std::string sizeProblem(double width, double depth) {
    std::string p = rangeProblem("largeur", "la ", width, kMinNotchSize, kMaxNotchSize, " mm");
    return p.empty() ? rangeProblem("profondeur", "la ", depth, kMinNotchSize, kMaxNotchSize, " mm")
                     : p;
}

bool validKind(SlotKind kind) {
    return kind == SlotKind::Keel || kind == SlotKind::Spine || kind == SlotKind::Crutch;
}

// The table check's reason for each row, stringers then slots ("" for a sound one).
std::vector<std::string> rowProblems(const NotchTable& table) {
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < table.stringers.size(); ++i) {
        const Stringer& s = table.stringers[i];
        const bool blank = s.name.find_first_not_of(" \t") == std::string::npos;
        const bool control = std::any_of(s.name.begin(), s.name.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        const std::string row =
            blank || control ? "Lisse n° " + std::to_string(i + 1) : "Lisse « " + s.name + " »";
        std::string p;
        if (i >= kMaxStringers)
            p = std::to_string(kMaxStringers) + " lisses au plus";
        else if (blank)
            p = "nom manquant";
        else if (control)
            p = "le nom contient un caractère de contrôle";
        else if (codePoints(s.name) > kMaxStringerName)
            p = "nom trop long (" + std::to_string(kMaxStringerName) + " caractères au plus)";
        else if (s.name == slotName(SlotKind::Keel) || s.name == slotName(SlotKind::Spine) ||
                 s.name == slotName(SlotKind::Crutch))
            p = "nom réservé à une fente";
        else if (std::any_of(table.stringers.begin(), table.stringers.begin() + std::ptrdiff_t(i),
                             [&](const Stringer& o) { return o.name == s.name; }))
            p = "nom déjà pris par une autre lisse";
        else if (p = rangeProblem("place", "la ", s.place, 0.0, 1.0, ""); p.empty())
            p = sizeProblem(s.width, s.depth);
        problems.push_back(p.empty() ? p : row + " : " + p + ".");
    }
    for (std::size_t i = 0; i < table.slotList.size(); ++i) {
        const Slot& s = table.slotList[i];
        if (!validKind(s.kind)) {
            problems.push_back("Fente de sorte inconnue.");
            continue;
        }
        std::string p = sizeProblem(s.width, s.depth);
        if (p.empty() && s.kind == SlotKind::Crutch)
            p = rangeProblem("hauteur", "la ", s.height, -kMaxCrutchHeight, kMaxCrutchHeight,
                             " mm");
        if (p.empty() &&
            std::any_of(table.slotList.begin(), table.slotList.begin() + std::ptrdiff_t(i),
                        [&](const Slot& o) { return o.kind == s.kind; }))
            p = "en double, une seule de chaque sorte";
        problems.push_back(p.empty() ? p : std::string(slotName(s.kind)) + " : " + p + ".");
    }
    return problems;
}

} // namespace

std::string_view slotName(SlotKind kind) {
    switch (kind) {
    case SlotKind::Keel:
        return "Fente de quille";
    case SlotKind::Spine:
        return "Fente dorsale";
    case SlotKind::Crutch:
        break;
    }
    return "Fente de bâti";
}

std::string notchTableProblem(const NotchTable& table) {
    for (const std::string& p : rowProblems(table))
        if (!p.empty())
            return p;
    return {};
}

NotchedFormer cutNotches(std::span<const RealPoint> half, std::span<const RealPoint> doubling,
                         const NotchTable& table, std::string_view former) {
    NotchedFormer out;
    // 1. The half as one loop with its mirror, an end off the axis carried to it.
    std::vector<int> distinctIndex;
    std::vector<RealPoint> right = distinctPoints(half, &distinctIndex);
    bool usable = right.size() >= 2;
    const bool carriedTop = usable && std::fabs(right.front().x) > kSame;
    const bool carriedBottom = usable && std::fabs(right.back().x) > kSame;
    if (carriedTop)
        right.insert(right.begin(), RealPoint{0.0, right.front().y});
    if (carriedBottom)
        right.push_back({0.0, right.back().y});
    if (!usable)
        right = {{0.0, 0.0}, {0.0, -1.0}}; // a stand-in: every row is refused below
    const Loop L(right);
    // The inward normal is the right of the way round: a half that does not go round clockwise
    // from its top down its side has no inside there.
    if (!(L.signedArea() < 0.0))
        usable = false;
    const std::size_t firstGiven = carriedTop ? 1 : 0;
    const std::size_t lastGiven = L.last - (carriedBottom ? 1 : 0);

    // The doubling's whole outline likewise, closed across the axis where its ends are off it.
    std::vector<RealPoint> doublingLoop = distinctPoints(doubling, nullptr);
    const std::size_t doublingHalf = doublingLoop.size();
    for (std::size_t k = doublingHalf; k-- > 0;) {
        const RealPoint p = doublingLoop[k];
        if (!((k == 0 || k + 1 == doublingHalf) && std::fabs(p.x) <= kSame))
            doublingLoop.push_back(mirrored(p));
    }

    // 2. Each row placed on its own.
    struct Row {
        std::string name;
        std::optional<SlotKind> slot;
        bool bothSides = true;
        std::string refusal; // why it cannot be cut at all
        Notch notch;
        int partner[2] = {-1, -1}; // the first row it overlaps on the right, on the left
    };
    const std::string ofFormer = former.empty() ? "du couple" : "de " + std::string(former);
    const std::string onFormer = former.empty() ? "sur le couple" : "sur " + std::string(former);
    const auto subject = [](const Row& r, bool first) {
        if (!r.slot)
            return r.name;
        std::string name(slotName(*r.slot));
        name[0] = 'f';
        return (first ? "La " : "la ") + name;
    };
    const std::vector<std::string> problems = rowProblems(table);
    std::vector<Row> rows;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        Row r;
        r.refusal = problems[i];
        double s = 0.0, width = 0.0, depth = 0.0;
        End end = End::None;
        if (i < table.stringers.size()) {
            const Stringer& st = table.stringers[i];
            r.name = st.name;
            r.bothSides = st.bothSides;
            width = st.width;
            depth = st.depth;
            const double from = L.arc[firstGiven], to = L.arc[lastGiven];
            s = st.place <= 0.0 ? from : st.place >= 1.0 ? to : from + st.place * (to - from);
            end = s == 0.0 ? End::Top : s == L.half() ? End::Bottom : End::None;
        } else {
            const Slot& sl = table.slotList[i - table.stringers.size()];
            r.slot = sl.kind;
            r.name = slotName(validKind(sl.kind) ? sl.kind : SlotKind::Keel);
            width = sl.width;
            depth = sl.depth;
            if (sl.kind == SlotKind::Spine || sl.kind == SlotKind::Keel) {
                end = sl.kind == SlotKind::Spine ? End::Top : End::Bottom;
                s = sl.kind == SlotKind::Spine ? 0.0 : L.half();
            } else if (r.refusal.empty() && usable) {
                // Where the outline passes the crutch's height, outermost.
                double bestX = -std::numeric_limits<double>::infinity();
                for (std::size_t k = firstGiven; k < lastGiven; ++k) {
                    const RealPoint a = L.points[k], b = L.points[k + 1];
                    if ((a.y - sl.height) * (b.y - sl.height) > 0.0)
                        continue;
                    const double t =
                        a.y == b.y ? (a.x >= b.x ? 0.0 : 1.0) : (sl.height - a.y) / (b.y - a.y);
                    if (const double x = a.x + t * (b.x - a.x); x > bestX) {
                        bestX = x;
                        s = L.arc[k] + t * (L.arc[k + 1] - L.arc[k]);
                    }
                }
                if (!std::isfinite(bestX))
                    r.refusal = subject(r, true) + " ne rencontre pas le contour " + ofFormer +
                                " à " + number(sl.height) + " mm de hauteur";
            }
        }
        if (r.refusal.empty()) {
            r.notch = usable ? placeNotch(L, s, width, depth, end, doublingLoop)
                             : refusedNotch(Fault::Outline);
            switch (r.notch.fault) {
            case Fault::None:
                break;
            case Fault::Outline:
                r.refusal = subject(r, true) + " ne tient pas sur le contour " + ofFormer;
                break;
            case Fault::Axis:
                r.refusal = subject(r, true) + " chevauche l'axe de symétrie " + ofFormer;
                break;
            case Fault::Doubling:
                r.refusal = subject(r, true) + " traverse le doublage " + ofFormer;
                break;
            }
        }
        rows.push_back(std::move(r));
    }

    // 3. Overlaps, half by half: the right half has every row's notch, the left one those cut on
    // both sides and on the axis. Each row keeps the first row it meets.
    for (const int side : {0, 1}) {
        std::vector<std::size_t> here;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].refusal.empty() &&
                (side == 0 || rows[i].bothSides || rows[i].notch.end != End::None))
                here.push_back(i);
        std::vector<std::vector<RealPoint>> paths(rows.size());
        for (const std::size_t i : here)
            paths[i] = halfPath(rows[i].notch);
        for (const std::size_t i : here)
            for (const std::size_t j : here)
                if (i != j && rows[i].partner[side] < 0 &&
                    overlap(rows[i].notch, rows[j].notch, paths[i], paths[j], L))
                    rows[i].partner[side] = static_cast<int>(j);
    }

    // 4. What is cut and what is left out, row by row.
    std::vector<const Notch*> cutRight, cutLeft;
    for (const Row& r : rows) {
        const Notch& n = r.notch;
        std::string refusal = r.refusal;
        if (refusal.empty()) {
            const bool onAxis = n.end != End::None;
            const bool right = r.partner[0] < 0 && (!onAxis || r.partner[1] < 0);
            const bool left = (r.bothSides || onAxis) && r.partner[1] < 0 && (!onAxis || right);
            if (right)
                cutRight.push_back(&n);
            if (left)
                cutLeft.push_back(&n);
            if (right || left) {
                const RealPoint centre = n.end == End::None ? n.P : RealPoint{0.0, n.P.y};
                if (right)
                    out.cut.push_back({r.name, r.slot, onAxis ? NotchSide::Axis : NotchSide::Right,
                                       centre, n.N, n.width, n.depth});
                if (left && !onAxis)
                    out.cut.push_back({r.name, r.slot, NotchSide::Left, mirrored(centre),
                                       mirrored(n.N), n.width, n.depth});
            }
            const int partner = r.partner[0] >= 0 ? r.partner[0] : r.partner[1];
            if (partner >= 0)
                refusal = subject(r, true) + " et " +
                          subject(rows[static_cast<std::size_t>(partner)], false) +
                          " se chevauchent " + onFormer;
        }
        if (!refusal.empty())
            out.refused.push_back({r.name, r.slot, refusal});
    }

    // 5. The halves: as given where nothing is cut, else rebuilt along the loop, the points
    // carried to the axis taken away again where no notch needs them.
    const auto build = [&](const std::vector<const Notch*>& notches, std::vector<RealPoint>& pts,
                           std::vector<int>& index) {
        if (notches.empty()) {
            pts.assign(half.begin(), half.end());
            index.resize(half.size());
            for (std::size_t i = 0; i < half.size(); ++i)
                index[i] = static_cast<int>(i);
            return;
        }
        std::vector<int> vertexIndex;
        pts = cutHalf(L, notches, vertexIndex);
        if (carriedBottom && vertexIndex[L.last] == static_cast<int>(pts.size()) - 1 &&
            vertexIndex[L.last - 1] == static_cast<int>(pts.size()) - 2) {
            pts.pop_back();
            vertexIndex[L.last] = -1;
        }
        if (carriedTop && vertexIndex[0] == 0 && vertexIndex[1] == 1) {
            pts.erase(pts.begin());
            for (int& k : vertexIndex)
                k = k > 0 ? k - 1 : -1;
        }
        index.clear();
        for (const int k : distinctIndex)
            index.push_back(vertexIndex[static_cast<std::size_t>(k) + firstGiven]);
    };
    build(cutRight, out.right, out.rightIndex);
    build(cutLeft, out.left, out.leftIndex);
    return out;
}

std::vector<RealPoint> realHalf(std::span<const PointXYZ> samples, double X1, double Y1,
                                double realScale) {
    std::vector<RealPoint> out;
    out.reserve(samples.size());
    for (const PointXYZ& p : samples)
        out.push_back({(p.x - X1) * realScale, (Y1 - p.y) * realScale});
    return out;
}

#include "notches.h"
#include "start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

using Poly = std::vector<RealPoint>;

RealPoint sub(RealPoint a, RealPoint b) {
    return {a.x - b.x, a.y - b.y};
}
double len(RealPoint a) {
    return std::hypot(a.x, a.y);
}
RealPoint unit(RealPoint a) {
    return {a.x / len(a), a.y / len(a)};
}
double cross(RealPoint a, RealPoint b) {
    return a.x * b.y - a.y * b.x;
}
double angleDegrees(RealPoint a, RealPoint b) {
    return std::atan2(std::fabs(cross(a, b)), a.x * b.x + a.y * b.y) * 180.0 / kPi;
}

// The right half of an ellipse a wide and b high about the axes, from its top down, n samples.
Poly ellipseHalf(double a, double b, int n) {
    Poly h;
    for (int i = 0; i < n; ++i) {
        const double t = kPi / 2 - kPi * i / (n - 1);
        h.push_back({i == 0 || i == n - 1 ? 0.0 : a * std::cos(t), b * std::sin(t)});
    }
    return h;
}

// The start-up former at a real scale of 2, as the editor samples it with `m` points.
Poly startUpHalf(int m) {
    FormerModel f = startedModel();
    f.Nb_Points = m;
    f.resizeSamples(m);
    DisegnaCurva(f, OutlineOptions{}, nullptr);
    return realHalf(f.Courbe_Droite, f.X1(), f.Y1(), 2.0);
}

double segmentDistance(RealPoint p, RealPoint a, RealPoint b) {
    const RealPoint ab = sub(b, a);
    const double l2 = ab.x * ab.x + ab.y * ab.y;
    const double t =
        l2 > 0 ? std::clamp(((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / l2, 0.0, 1.0) : 0.0;
    return len(sub(p, {a.x + t * ab.x, a.y + t * ab.y}));
}

double distanceTo(RealPoint p, const Poly& path) {
    double d = INFINITY;
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        d = std::min(d, segmentDistance(p, path[i], path[i + 1]));
    return d;
}

// The half with the steps across to the axis at ends off it: the right part of the whole outline.
Poly toAxis(Poly h) {
    if (h.front().x != 0.0)
        h.insert(h.begin(), RealPoint{0.0, h.front().y});
    if (h.back().x != 0.0)
        h.push_back({0.0, h.back().y});
    return h;
}

// A right half and the mirror of a left one (given in right-half coordinates) as one closed
// polygon, a point on the axis shared by both taken once.
Poly whole(const Poly& right, const Poly& left) {
    Poly p = toAxis(right);
    const Poly l = toAxis(left);
    for (std::size_t k = l.size() - 1; k-- > 1;)
        p.push_back({-l[k].x, l[k].y});
    return p;
}

// The point at `place` of the half's length from its top, by the half's own arc length.
RealPoint atPlace(const Poly& h, double place) {
    double total = 0;
    for (std::size_t i = 0; i + 1 < h.size(); ++i)
        total += len(sub(h[i + 1], h[i]));
    double left = place * total;
    for (std::size_t i = 0; i + 1 < h.size(); ++i) {
        const double l = len(sub(h[i + 1], h[i]));
        if (left <= l)
            return {h[i].x + (h[i + 1].x - h[i].x) * left / l,
                    h[i].y + (h[i + 1].y - h[i].y) * left / l};
        left -= l;
    }
    return h.back();
}

bool inside(RealPoint p, const Poly& poly) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
            p.x < poly[i].x + (p.y - poly[i].y) * (poly[j].x - poly[i].x) / (poly[j].y - poly[i].y))
            in = !in;
    return in;
}

double segmentsDistance(RealPoint a, RealPoint b, RealPoint c, RealPoint d) {
    const double d1 = cross(sub(b, a), sub(c, a)), d2 = cross(sub(b, a), sub(d, a));
    const double d3 = cross(sub(d, c), sub(a, c)), d4 = cross(sub(d, c), sub(b, c));
    if (((d1 < 0 && d2 > 0) || (d1 > 0 && d2 < 0)) && ((d3 < 0 && d4 > 0) || (d3 > 0 && d4 < 0)))
        return 0.0;
    return std::min({segmentDistance(a, c, d), segmentDistance(b, c, d), segmentDistance(c, a, b),
                     segmentDistance(d, a, b)});
}

// One closed polygon whose edges meet only their neighbours, at their shared corner.
bool simple(const Poly& p, std::string* where) {
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i) {
        const RealPoint a = p[i], b = p[(i + 1) % n], c = p[(i + 2) % n];
        if (len(sub(b, a)) < 1e-9 || (std::fabs(cross(sub(b, a), sub(c, b))) < 1e-12 &&
                                      (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y) < 0)) {
            *where = "edge " + std::to_string(i) + " is empty or doubles back";
            return false;
        }
        for (std::size_t j = i + 2; j < n; ++j) {
            if ((j + 1) % n == i)
                continue;
            if (segmentsDistance(a, b, p[j], p[(j + 1) % n]) < 1e-9) {
                *where = "edges " + std::to_string(i) + " and " + std::to_string(j) + " meet";
                return false;
            }
        }
    }
    return true;
}

// The notches as the cut outline shows them, found without the cut's own account: the points
// off the given outline are the corners of the notches' bottoms, two a notch; the points beside
// them, on the outline, are where the sides leave it. On the axis the first point of the half
// is the middle of the bottom of a notch at the top, and the last the middle of one at the
// bottom.
struct Seen {
    RealPoint out1, bottom1, bottom2, out2;
    bool top = false, bottom = false;
};

std::vector<Seen> seenNotches(const Poly& cut, const Poly& given) {
    const Poly outline = toAxis(given);
    std::vector<Seen> seen;
    for (std::size_t i = 0; i < cut.size();) {
        if (distanceTo(cut[i], outline) < 1e-8) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < cut.size() && distanceTo(cut[j], outline) >= 1e-8)
            ++j;
        EXPECT_EQ(j - i, 2u) << "a notch's bottom has two corners, at point " << i;
        if (j - i == 2) {
            Seen s;
            s.top = i == 0;
            s.bottom = j == cut.size();
            s.bottom1 = cut[i];
            s.bottom2 = cut[i + 1];
            s.out1 = s.top ? cut[i] : cut[i - 1];
            s.out2 = s.bottom ? cut[i + 1] : cut[j];
            seen.push_back(s);
        }
        i = j;
    }
    return seen;
}

struct Row {
    double width, depth;
    std::optional<double> place;  // stringers
    std::optional<double> height; // crutch slots
};

std::map<std::string, Row> rowsOf(const NotchTable& t) {
    std::map<std::string, Row> rows;
    for (const Stringer& s : t.stringers)
        rows[s.name] = {s.width, s.depth, s.place, {}};
    for (const Slot& s : t.slotList)
        rows[std::string(slotName(s.kind))] = {s.width,
                                               s.depth,
                                               {},
                                               s.kind == SlotKind::Crutch ? std::optional(s.height)
                                                                          : std::nullopt};
    return rows;
}

// Every notch seen in a half is one reported cut on that side, and has the table's width and
// depth, its sides along the reported inward normal and square to its bottom, its centre on the
// given outline where its row places it; every point kept is where it was. Returns the reported
// notches of that half, in the order seen.
std::vector<CutNotch> expectNotchShapes(const NotchedFormer& r, const Poly& given,
                                        const NotchTable& table, bool leftHalf) {
    const Poly& cut = leftHalf ? r.left : r.right;
    const std::vector<int>& index = leftHalf ? r.leftIndex : r.rightIndex;
    EXPECT_EQ(index.size(), given.size());
    for (std::size_t i = 0, last = 0; i < index.size(); ++i)
        if (index[i] >= 0) {
            EXPECT_EQ(cut[static_cast<std::size_t>(index[i])], given[i]) << "point " << i;
            EXPECT_GE(static_cast<std::size_t>(index[i]), last);
            last = static_cast<std::size_t>(index[i]);
        }
    std::vector<CutNotch> reported;
    for (const CutNotch& c : r.cut)
        if (c.side == NotchSide::Axis || (c.side == NotchSide::Left) == leftHalf)
            reported.push_back(leftHalf && c.side == NotchSide::Left
                                   ? CutNotch{c.name,
                                              c.slot,
                                              c.side,
                                              {-c.centre.x, c.centre.y},
                                              {-c.inward.x, c.inward.y},
                                              c.width,
                                              c.depth}
                                   : c);
    const std::map<std::string, Row> rows = rowsOf(table);
    const std::vector<Seen> seen = seenNotches(cut, given);
    EXPECT_EQ(seen.size(), reported.size());
    std::vector<CutNotch> order;
    std::vector<bool> used(reported.size(), false);
    for (const Seen& s : seen) {
        const RealPoint mid = s.top || s.bottom ? (s.top ? s.bottom1 : s.bottom2)
                                                : RealPoint{(s.bottom1.x + s.bottom2.x) / 2,
                                                            (s.bottom1.y + s.bottom2.y) / 2};
        std::size_t best = 0;
        double bestGap = INFINITY;
        for (std::size_t k = 0; k < reported.size(); ++k) {
            const CutNotch& c = reported[k];
            const double gap = len(
                sub(mid, {c.centre.x + c.inward.x * c.depth, c.centre.y + c.inward.y * c.depth}));
            if (!used[k] && gap < bestGap)
                best = k, bestGap = gap;
        }
        if (bestGap > 0.05) {
            ADD_FAILURE() << "a notch no report accounts for, bottom at " << mid.x << ", " << mid.y;
            continue;
        }
        used[best] = true;
        const CutNotch& c = reported[best];
        order.push_back(c);
        SCOPED_TRACE(c.name);
        const Row& row = rows.at(c.name);
        const RealPoint along = sub(s.bottom2, s.bottom1);
        EXPECT_NEAR(len(along) * (s.top || s.bottom ? 2 : 1), row.width, 0.02) << "width";
        const double depth = std::fabs(cross(unit(along), sub(c.centre, s.bottom1)));
        EXPECT_NEAR(depth, row.depth, 0.02) << "depth";
        EXPECT_NEAR(angleDegrees(along, c.inward), 90.0, 0.5) << "the bottom square to the sides";
        if (!s.top) {
            EXPECT_LE(angleDegrees(sub(s.bottom1, s.out1), c.inward), 0.5) << "first side";
        }
        if (!s.bottom) {
            EXPECT_LE(angleDegrees(sub(s.bottom2, s.out2), c.inward), 0.5) << "second side";
        }
        EXPECT_LT(distanceTo(c.centre, toAxis(given)), 1e-6) << "the centre on the outline";
        if (row.place) {
            EXPECT_LT(len(sub(c.centre, atPlace(given, *row.place))), 0.05) << "at its place";
        }
        if (row.height) {
            EXPECT_NEAR(c.centre.y, *row.height, 1e-6) << "at the crutch's height";
        }
        if (s.top || s.bottom) {
            EXPECT_EQ(c.centre.x, 0.0) << "on the axis";
        }
        EXPECT_TRUE(inside({c.centre.x + c.inward.x * c.depth, c.centre.y + c.inward.y * c.depth},
                           whole(given, given)))
            << "the bottom's middle inward, in the former";
    }
    return order;
}

std::vector<std::string> namesOf(const std::vector<CutNotch>& cuts) {
    std::vector<std::string> names;
    for (const CutNotch& c : cuts)
        names.push_back(c.name + (c.side == NotchSide::Axis ? "|" : ""));
    return names;
}

// Stringers and slots measured on outlines where the answer is known: a circle and an
// ellipse finely sampled (whose normals are the true curve's), a box, a former with a thin arm,
// the start-up former as the editor samples it. Each notch has the table's size, lies at its
// place, its sides along the normal; the left half is the right one's mirror but for the
// notches of one side; and what is left out says why.
TEST(Notches, ExactCasesAndRefusals) {
    const Poly circle = ellipseHalf(50, 50, 401);
    const Poly ellipse = ellipseHalf(30, 60, 301);
    const Poly box = {{0, 40}, {15, 40}, {30, 40}, {30, 20}, {30, -20}, {30, -40}, {0, -40}};
    const Poly arm = {{0, 30},  {30, 30},  {30, 21},  {5, 21},
                      {5, -21}, {30, -21}, {30, -30}, {0, -30}};
    const Poly startUp = startUpHalf(40);
    const Poly offAxis(circle.begin() + 11, circle.end() - 11); // its ends 4.3 mm off the axis
    const Poly ring = ellipseHalf(46, 46, 201);
    const auto S = [](const char* name, double place, double w, double d, bool both = true) {
        return Stringer{name, place, w, d, both};
    };
    const struct {
        const char* name;
        Poly given;
        Poly doubling;
        NotchTable table;
        std::vector<std::string> right; // the notches seen along the right half, "|" on the axis
        std::vector<std::string> left;
        std::vector<std::string> refusals;
    } cases[] = {
        {"circle, four stringers",
         circle,
         {},
         {{S("L1", 0.2, 3, 3), S("L2", 0.5, 6, 4), S("L3", 0.8, 10, 2), S("L4", 0.65, 30, 30)}, {}},
         {"L1", "L2", "L4", "L3"},
         {"L1", "L2", "L4", "L3"},
         {}},
        {"ellipse, one stringer on the right only",
         ellipse,
         {},
         {{S("L1", 0.1, 4, 4), S("L2", 0.45, 8, 5, false), S("L3", 0.9, 0.5, 0.5)}, {}},
         {"L1", "L2", "L3"},
         {"L1", "L3"},
         {}},
        {"box, the three slots",
         box,
         {},
         {{},
          {{SlotKind::Keel, 10, 5, 0}, {SlotKind::Spine, 6, 8, 0}, {SlotKind::Crutch, 5, 6, 0}}},
         {"Fente dorsale|", "Fente de bâti", "Fente de quille|"},
         {"Fente dorsale|", "Fente de bâti", "Fente de quille|"},
         {}},
        {"start-up former, on both ends of the axis and a crutch",
         startUp,
         {},
         {{S("L0", 0, 8, 3), S("L9", 1, 4, 4)}, {{SlotKind::Crutch, 4, 5, -12.5}}},
         {"L0|", "Fente de bâti", "L9|"},
         {"L0|", "Fente de bâti", "L9|"},
         {}},
        {"ends off the axis",
         offAxis,
         {},
         {{S("L1", 0, 6, 3), S("L2", 0.5, 6, 3)},
          {{SlotKind::Spine, 1.5, 2, 0}, {SlotKind::Keel, 20, 3, 0}}},
         {"Fente dorsale|", "L1", "L2", "Fente de quille|"},
         {"Fente dorsale|", "L1", "L2", "Fente de quille|"},
         {}},
        {"overlapping stringers, and one that overlaps on the right only",
         circle,
         {},
         {{S("L1", 0.3, 6, 3), S("L2", 0.31, 6, 3), S("L3", 0.7, 6, 3), S("L4", 0.71, 2, 2, false)},
          {}},
         {},
         {"L3"},
         {"L1 et L2 se chevauchent sur F4", "L2 et L1 se chevauchent sur F4",
          "L3 et L4 se chevauchent sur F4", "L4 et L3 se chevauchent sur F4"}},
        {"a slot and a stringer on the axis",
         circle,
         {},
         {{S("L0", 0, 4, 3)}, {{SlotKind::Spine, 3, 3, 0}, {SlotKind::Keel, 3, 3, 0}}},
         {"Fente de quille|"},
         {"Fente de quille|"},
         {"L0 et la fente dorsale se chevauchent sur F4",
          "La fente dorsale et L0 se chevauchent sur F4"}},
        {"through the doubling",
         circle,
         ring,
         {{S("L1", 0.3, 6, 5), S("L2", 0.6, 6, 3.9)}, {{SlotKind::Keel, 10, 4.5, 0}}},
         {"L2"},
         {"L2"},
         {"L1 traverse le doublage de F4", "La fente de quille traverse le doublage de F4"}},
        {"what does not fit",
         arm,
         {},
         {{S("T1", 0.06, 10, 5), S("T2", 0.06, 10, 12), S("T3", 0.02, 10, 2), S("T4", 0.5, 4, 4)},
          {{SlotKind::Crutch, 3, 3, 80}}},
         {"T1", "T4"},
         {"T1", "T4"},
         {"T2 ne tient pas sur le contour de F4", "T3 chevauche l'axe de symétrie de F4",
          "La fente de bâti ne rencontre pas le contour de F4 à 80 mm de hauteur"}},
        {"bays deeper than the notch",
         {{0, 40},
          {30, 40},
          {30, 3},
          {22, 2},
          {30, 1},
          {30, -1},
          {22, -2},
          {30, -3},
          {30, -40},
          {0, -40}},
         {},
         {{}, {{SlotKind::Crutch, 10, 4, 0}}},
         {},
         {},
         {"La fente de bâti ne tient pas sur le contour de F4"}},
        {"a tight curve and a bad row",
         ellipseHalf(3, 3, 101),
         {},
         {{S("L1", 0.5, 5.9, 1), S("L2", 0.5, 45, 1), S("L3", 0.5, 2, 1)}, {}},
         {"L3"},
         {"L3"},
         {"L1 ne tient pas sur le contour de F4",
          "Lisse « L2 » : largeur 45 mm hors de l'intervalle 0,5..30 mm."}},
        {"no notch", box, {}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NotchedFormer r = cutNotches(c.given, c.doubling, c.table, "F4");
        const std::vector<CutNotch> right = expectNotchShapes(r, c.given, c.table, false);
        const std::vector<CutNotch> left = expectNotchShapes(r, c.given, c.table, true);
        std::vector<std::string> rightNames = namesOf(right), leftNames = namesOf(left);
        EXPECT_EQ(rightNames, c.right);
        EXPECT_EQ(leftNames, c.left);
        std::vector<std::string> refusals;
        for (const NotchRefusal& n : r.refused)
            refusals.push_back(n.text);
        EXPECT_EQ(refusals, c.refusals);
        std::string where;
        EXPECT_TRUE(simple(whole(r.right, r.left), &where)) << where;

        // The left half is the right one's mirror, without the notches of one side only.
        NotchTable bothSides = c.table;
        std::erase_if(bothSides.stringers, [](const Stringer& s) { return !s.bothSides; });
        if (c.right == c.left) {
            EXPECT_EQ(r.left, r.right);
        } else {
            EXPECT_EQ(r.left, cutNotches(c.given, c.doubling, bothSides, "F4").right);
        }
        if (c.right.empty()) {
            EXPECT_EQ(r.right, c.given) << "a half without notches is the one given";
        }
    }
    // The true normals: the circle's radius, the ellipse's, the box's sides.
    for (const auto& [given, table, a, b] :
         {std::tuple{circle, cases[0].table, 50.0, 50.0}, {ellipse, cases[1].table, 30.0, 60.0}}) {
        for (const CutNotch& n : cutNotches(given, {}, table, "F4").cut)
            EXPECT_LE(angleDegrees(n.inward, {-n.centre.x / (a * a), -n.centre.y / (b * b)}), 0.5)
                << n.name;
    }
    const NotchedFormer square = cutNotches(box, {}, cases[2].table, "F4");
    ASSERT_EQ(square.cut.size(), 4u);
    EXPECT_EQ(square.cut[0].inward, (RealPoint{0, 1}));  // keel, up from the bottom
    EXPECT_EQ(square.cut[1].inward, (RealPoint{0, -1})); // spine
    EXPECT_EQ(square.cut[2].inward, (RealPoint{-1, 0})); // crutch, right
    EXPECT_EQ(square.cut[3].inward, (RealPoint{1, 0}));  // crutch, left
    EXPECT_EQ(square.cut[3].centre, (RealPoint{-30, 0}));
}

// The table's own check names the row and the value.
TEST(Notches, TableProblemsNameTheRowAndTheValue) {
    const auto S = [](std::string name, double place = 0.5, double w = 3, double d = 3) {
        return Stringer{std::move(name), place, w, d, true};
    };
    const double nan = std::nan("");
    const struct {
        NotchTable table;
        const char* problem;
    } rows[] = {
        {{{S("L1"), S("L2", 0), S("L3", 1, 0.5, 30)}, {{SlotKind::Crutch, 30, 0.5, -10000}}}, ""},
        {{{S("L1", 1.2)}, {}}, "Lisse « L1 » : place 1,2 hors de l'intervalle 0..1."},
        {{{S("L1", nan)}, {}}, "Lisse « L1 » : la place n'est pas un nombre."},
        {{{S("L1", 0.5, 0.4)}, {}},
         "Lisse « L1 » : largeur 0,4 mm hors de l'intervalle 0,5..30 mm."},
        {{{S("L1", 0.5, 3, 30.5)}, {}},
         "Lisse « L1 » : profondeur 30,5 mm hors de l'intervalle 0,5..30 mm."},
        {{{S("L1"), S("L1")}, {}}, "Lisse « L1 » : nom déjà pris par une autre lisse."},
        {{{S("L1"), S("  ")}, {}}, "Lisse n° 2 : nom manquant."},
        {{{S("L\t1")}, {}}, "Lisse n° 1 : le nom contient un caractère de contrôle."},
        {{{S("Lisse de très très long nom")}, {}},
         "Lisse « Lisse de très très long nom » : nom trop long (24 caractères au plus)."},
        {{{S("Fente de quille")}, {}}, "Lisse « Fente de quille » : nom réservé à une fente."},
        {{{}, {{SlotKind::Keel, 31, 3, 0}}},
         "Fente de quille : largeur 31 mm hors de l'intervalle 0,5..30 mm."},
        {{{}, {{SlotKind::Crutch, 3, 3, -10001}}},
         "Fente de bâti : hauteur -10001 mm hors de l'intervalle -10000..10000 mm."},
        {{{}, {{SlotKind::Spine, 3, 3, 0}, {SlotKind::Spine, 4, 3, 0}}},
         "Fente dorsale : en double, une seule de chaque sorte."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(notchTableProblem(row.table), row.problem);
    NotchTable many;
    for (std::size_t i = 0; i <= kMaxStringers; ++i)
        many.stringers.push_back(S("L" + std::to_string(i), double(i) / 200));
    EXPECT_EQ(notchTableProblem(many), "Lisse « L100 » : 100 lisses au plus.");

    // An outline that is none refuses every row, and leaves the half as it was.
    const Poly broken = {{0, 10}, {nan, 0}, {0, -10}};
    const NotchedFormer r = cutNotches(broken, {}, {{S("L1")}, {{SlotKind::Keel, 3, 3, 0}}}, "");
    ASSERT_EQ(r.refused.size(), 2u);
    EXPECT_EQ(r.refused[0].text, "L1 ne tient pas sur le contour du couple");
    EXPECT_EQ(r.refused[1].text, "La fente de quille ne tient pas sur le contour du couple");
    EXPECT_TRUE(r.cut.empty());
    EXPECT_EQ(r.right.size(), 3u);
}

// Random formers made by the editor's own B-spline, random doublings and random tables: the
// notched outline is one simple polygon inside the one given, clear of the doubling, each notch
// measures what its row asks, and every row left out on a side says why.
TEST(Notches, RandomFormersAndTables) {
    static constexpr const char* kRefusals[] = {"se chevauchent", "traverse le doublage",
                                                "ne tient pas", "chevauche l'axe",
                                                "ne rencontre pas"};
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::map<std::string, int> seen;
    int cut = 0, trials = 0;
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        FormerModel m = startedModel();
        std::vector<double> y(static_cast<std::size_t>(m.Der_Point) - 1);
        for (double& v : y)
            v = 15 + 70 * unit(rng);
        std::sort(y.begin(), y.end());
        for (int i = 1; i < m.Der_Point; ++i)
            m.Pts_Couple[static_cast<std::size_t>(i)] = {m.X1() + 3 + 37 * unit(rng),
                                                         y[static_cast<std::size_t>(i) - 1], 0};
        if (trial % 4 == 0) // the top point off the axis
            m.Pts_Couple[0].x = m.X1() + 8 * unit(rng);
        m.Nb_Points = 10 + static_cast<int>(91 * unit(rng));
        m.Ordre_Spline = 2 + static_cast<int>(8 * unit(rng));
        m.resizeSamples(m.Nb_Points);
        OutlineOptions o;
        o.doublingOn = trial % 3 != 0;
        o.doublingScale = 6 + static_cast<int>(4 * unit(rng));
        DisegnaCurva(m, o, nullptr);
        const double scale = 0.5 + 3.5 * unit(rng);
        const Poly given = realHalf(m.Courbe_Droite, m.X1(), m.Y1(), scale);
        std::string where;
        const Poly outline = whole(given, given);
        if (!simple(outline, &where))
            continue; // a former that crosses itself is its own fault
        ++trials;
        // The doubling scaled about the datum's middle, where it lies inside the former.
        Poly doubling = o.doublingOn ? realHalf(m.Doublage_Droit, m.X1(), m.Y1(), scale) : Poly{};
        const Poly ring = doubling.empty() ? Poly{} : whole(doubling, doubling);
        for (std::size_t i = 0; i < outline.size() && !doubling.empty(); ++i)
            for (std::size_t j = 0; j < ring.size() && !doubling.empty(); ++j)
                if (segmentsDistance(outline[i], outline[(i + 1) % outline.size()], ring[j],
                                     ring[(j + 1) % ring.size()]) == 0.0)
                    doubling.clear();

        NotchTable table;
        const int stringers = static_cast<int>(8 * unit(rng));
        const double size = std::min(30.0, 2 + 20 * unit(rng));
        for (int i = 0; i < stringers; ++i) {
            const double p = unit(rng);
            table.stringers.push_back({"L" + std::to_string(i + 1),
                                       p < 0.08   ? 0.0
                                       : p > 0.92 ? 1.0
                                                  : unit(rng),
                                       0.5 + (size - 0.5) * unit(rng),
                                       0.5 + (size - 0.5) * unit(rng), unit(rng) < 0.7});
        }
        double low = INFINITY, high = -INFINITY;
        for (const RealPoint& p : given)
            low = std::min(low, p.y), high = std::max(high, p.y);
        for (const SlotKind kind : {SlotKind::Keel, SlotKind::Spine, SlotKind::Crutch})
            if (unit(rng) < 0.4)
                table.slotList.push_back({kind, 0.5 + (size - 0.5) * unit(rng),
                                          0.5 + (size - 0.5) * unit(rng),
                                          low - 10 + (high - low + 20) * unit(rng)});
        ASSERT_EQ(notchTableProblem(table), "");

        const NotchedFormer r = cutNotches(given, doubling, table, "F7");
        const Poly notched = whole(r.right, r.left);
        ASSERT_TRUE(simple(notched, &where)) << where;
        Poly closed = outline;
        closed.push_back(outline.front());
        for (std::size_t i = 0; i < notched.size(); ++i) {
            const RealPoint a = notched[i], b = notched[(i + 1) % notched.size()];
            for (const RealPoint p : {a, RealPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}}) {
                EXPECT_TRUE(inside(p, outline) || distanceTo(p, closed) < 1e-6)
                    << "inside the outline given, point " << i;
            }
            for (std::size_t j = 0; j < ring.size() && !doubling.empty(); ++j) {
                EXPECT_GT(segmentsDistance(a, b, ring[j], ring[(j + 1) % ring.size()]), 0.0)
                    << "clear of the doubling";
            }
        }
        expectNotchShapes(r, given, table, false);
        expectNotchShapes(r, given, table, true);

        // Every row cut on each side it asks for, or said why.
        const auto refused = [&](const std::string& name) {
            for (const NotchRefusal& n : r.refused)
                if (n.name == name) {
                    EXPECT_NE(n.text.find("F7"), std::string::npos) << n.text;
                    for (const char* why : kRefusals)
                        seen[why] += n.text.find(why) != std::string::npos;
                    return true;
                }
            return false;
        };
        const auto isCut = [&](const std::string& name, NotchSide side) {
            return std::any_of(r.cut.begin(), r.cut.end(), [&](const CutNotch& c) {
                return c.name == name && (c.side == side || c.side == NotchSide::Axis);
            });
        };
        for (const Stringer& s : table.stringers) {
            const bool complete =
                isCut(s.name, NotchSide::Right) && (!s.bothSides || isCut(s.name, NotchSide::Left));
            EXPECT_NE(complete, refused(s.name)) << s.name;
        }
        for (const Slot& s : table.slotList) {
            const std::string name(slotName(s.kind));
            const bool complete = isCut(name, NotchSide::Right) && isCut(name, NotchSide::Left);
            EXPECT_NE(complete, refused(name)) << name;
        }
        cut += static_cast<int>(r.cut.size());
    }
    EXPECT_GT(trials, 250);
    EXPECT_GT(cut, 300);
    for (const char* why : kRefusals)
        EXPECT_GT(seen[why], 3) << "the session must meet every refusal: " << why;
}

} // namespace

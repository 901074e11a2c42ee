// Every former laid out on sheets: parts never overlap (checked on their outlines, not their
// boxes), keep the spacing from each other and from the edges, are the single pieces only moved
// or turned, halves stay next to each other, and what does not fit is refused by its name.
#include "sheet_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double kPi = 3.14159265358979323846;

PieceOutline withBounds(std::vector<PiecePath> paths) {
    PieceOutline o;
    o.paths = std::move(paths);
    o.minX = o.minY = 1e300;
    o.maxX = o.maxY = -1e300;
    for (const PiecePath& p : o.paths)
        for (const MmPoint& q : p.points) {
            o.minX = std::min(o.minX, q.x), o.maxX = std::max(o.maxX, q.x);
            o.minY = std::min(o.minY, q.y), o.maxY = std::max(o.maxY, q.y);
        }
    return o;
}

PieceOutline rectangle(double w, double h) {
    return withBounds({{{{0, 0}, {w, 0}, {w, h}, {0, h}}, false}});
}

// A former-like outline `w` by `h` about (cx, cy): a superellipse of exponent e, or only its
// right (side > 0) or left (side < 0) half closed along the axis, with a doubling inside.
PieceOutline former(double w, double h, double cx, double cy, double e, int n, int side,
                    bool doubling) {
    std::vector<PiecePath> paths;
    for (const double k : {1.0, 0.6}) {
        if (k < 1.0 && !doubling)
            break;
        PiecePath path;
        path.doubling = k < 1.0;
        for (int i = 0; i < n; ++i) {
            const double a = side == 0 ? 2 * kPi * i / n : -kPi / 2 + kPi * i / (n - 1);
            const double c = std::cos(a), s = std::sin(a);
            const double x =
                k * w * (side == 0 ? 0.5 : 1.0) * std::copysign(std::pow(std::fabs(c), 2 / e), c);
            path.points.push_back(
                {cx + (side < 0 ? -x : x),
                 cy + k * h / 2 * std::copysign(std::pow(std::fabs(s), 2 / e), s)});
        }
        paths.push_back(path);
    }
    return withBounds(paths);
}

// An L: not convex, so that a part sitting in another's notch would show.
PieceOutline ell(double w, double h) {
    return withBounds({{{{0, 0}, {w, 0}, {w, h / 3}, {w / 3, h / 3}, {w / 3, h}, {0, h}}, false}});
}

// Independent of the layout: do two closed outlines share any area? Edges crossing, or one
// lying inside the other.
double cross(MmPoint o, MmPoint a, MmPoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
// Strictly inside: a point on the edge of a part it touches (no spacing) is not.
bool insidePolygon(MmPoint q, const std::vector<MmPoint>& poly) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const MmPoint a = poly[i], b = poly[j];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const double along = ((q.x - a.x) * (b.x - a.x) + (q.y - a.y) * (b.y - a.y)) / len;
        if (std::fabs(cross(a, b, q)) / len < 1e-9 && along > -1e-9 && along < len + 1e-9)
            return false;
        if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}
bool edgesCross(const std::vector<MmPoint>& p, const std::vector<MmPoint>& q) {
    for (std::size_t i = 0; i < p.size(); ++i) {
        const MmPoint a = p[i], b = p[(i + 1) % p.size()];
        for (std::size_t j = 0; j < q.size(); ++j) {
            const MmPoint c = q[j], d = q[(j + 1) % q.size()];
            if (cross(a, b, c) * cross(a, b, d) < 0 && cross(c, d, a) * cross(c, d, b) < 0)
                return true;
        }
    }
    return false;
}
bool cornerInside(const std::vector<MmPoint>& p, const std::vector<MmPoint>& q) {
    return std::any_of(p.begin(), p.end(), [&](MmPoint a) { return insidePolygon(a, q); });
}
// Edges crossing, or a corner of one inside the other.
bool overlap(const std::vector<MmPoint>& p, const std::vector<MmPoint>& q) {
    return edgesCross(p, q) || cornerInside(p, q) || cornerInside(q, p);
}

// In the wood: inside the former's outline, outside its doubling's.
bool inWood(MmPoint q, const PieceOutline& o) {
    for (std::size_t i = 0; i < o.paths.size(); ++i)
        if (insidePolygon(q, o.paths[i].points) != (i == 0))
            return false;
    return true;
}

double area(const std::vector<MmPoint>& p) {
    double twice = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const MmPoint a = p[i], b = p[(i + 1) % p.size()];
        twice += a.x * b.y - a.y * b.x;
    }
    return std::fabs(twice) / 2;
}

// The checks every layout must pass. Lengths agree to a nanometre.
void expectSound(const SheetLayout& layout) {
    ASSERT_TRUE(layout.ok()) << layout.error;
    const double W = layout.sheet.width, H = layout.sheet.height, s = layout.sheet.spacing;
    std::vector<int> sheetOf(layout.parts.size(), -1);
    std::vector<const PlacedPart*> placedOf(layout.parts.size(), nullptr);
    double used = 0;
    for (std::size_t k = 0; k < layout.sheets.size(); ++k) {
        const std::vector<PlacedPart>& on = layout.sheets[k].parts;
        EXPECT_FALSE(on.empty()) << "sheet " << k;
        std::vector<PieceOutline> outlines;
        for (const PlacedPart& p : on) {
            ASSERT_LT(p.part, layout.parts.size());
            EXPECT_EQ(sheetOf[p.part], -1) << "placed twice";
            sheetOf[p.part] = static_cast<int>(k);
            placedOf[p.part] = &p;
            const PieceOutline& piece = layout.parts[p.part].outline;
            const PieceOutline o = placedOutline(piece, p);
            SCOPED_TRACE(layout.parts[p.part].name);
            // The piece moved, or turned by a quarter counter-clockwise and moved: no mirror.
            ASSERT_EQ(o.paths.size(), piece.paths.size());
            auto turn = [&](MmPoint q) { return p.turned ? MmPoint{-q.y, q.x} : q; };
            const MmPoint t{o.paths[0].points[0].x - turn(piece.paths[0].points[0]).x,
                            o.paths[0].points[0].y - turn(piece.paths[0].points[0]).y};
            for (std::size_t i = 0; i < o.paths.size(); ++i) {
                ASSERT_EQ(o.paths[i].points.size(), piece.paths[i].points.size());
                EXPECT_EQ(o.paths[i].doubling, piece.paths[i].doubling);
                for (std::size_t j = 0; j < o.paths[i].points.size(); ++j) {
                    const MmPoint want = turn(piece.paths[i].points[j]);
                    EXPECT_NEAR(o.paths[i].points[j].x, want.x + t.x, 1e-9);
                    EXPECT_NEAR(o.paths[i].points[j].y, want.y + t.y, 1e-9);
                }
            }
            // Its box is the one given, within the sheet less the spacing.
            const PieceOutline box = withBounds(o.paths);
            EXPECT_NEAR(box.minX, p.left, 1e-9);
            EXPECT_NEAR(box.maxX, p.right, 1e-9);
            EXPECT_NEAR(box.minY, p.bottom, 1e-9);
            EXPECT_NEAR(box.maxY, p.top, 1e-9);
            EXPECT_GE(box.minX, s - 1e-6);
            EXPECT_GE(box.minY, s - 1e-6);
            EXPECT_LE(box.maxX, W - s + 1e-6);
            EXPECT_LE(box.maxY, H - s + 1e-6);
            used += area(piece.paths[0].points);
            // Its name in the wood, the box of its letters clear of every cut.
            const PartLabel label = partLabel(layout, p);
            EXPECT_EQ(label.text, layout.parts[p.part].name);
            EXPECT_GT(label.height, 0.0);
            EXPECT_LE(label.height, 5.0);
            const double hw = 0.35 * static_cast<double>(label.text.size()) * label.height;
            const MmPoint c = label.centre;
            const std::vector<MmPoint> corners = {{c.x - hw, c.y - label.height / 2},
                                                  {c.x + hw, c.y - label.height / 2},
                                                  {c.x + hw, c.y + label.height / 2},
                                                  {c.x - hw, c.y + label.height / 2}};
            EXPECT_TRUE(inWood(c, o));
            for (const MmPoint& q : corners)
                EXPECT_TRUE(inWood(q, o));
            for (const PiecePath& path : o.paths)
                EXPECT_FALSE(edgesCross(corners, path.points) || cornerInside(path.points, corners))
                    << "a cut through the name";
            outlines.push_back(o);
        }
        for (std::size_t a = 0; a < on.size(); ++a)
            for (std::size_t b = a + 1; b < on.size(); ++b) {
                SCOPED_TRACE(layout.parts[on[a].part].name + " and " +
                             layout.parts[on[b].part].name);
                EXPECT_FALSE(overlap(outlines[a].paths[0].points, outlines[b].paths[0].points));
                const double gapX = std::max(on[b].left - on[a].right, on[a].left - on[b].right);
                const double gapY = std::max(on[b].bottom - on[a].top, on[a].bottom - on[b].top);
                EXPECT_GE(std::max(gapX, gapY), s - 1e-6);
            }
    }
    for (std::size_t i = 0; i < layout.parts.size(); ++i) {
        EXPECT_NE(sheetOf[i], -1) << layout.parts[i].name << " left out";
        // Halves: on one sheet, turned alike, side by side or one above the other at the
        // spacing, facing each other along their whole length.
        for (std::size_t j = i + 1; j < layout.parts.size(); ++j) {
            if (layout.parts[i].pair < 0 || layout.parts[i].pair != layout.parts[j].pair)
                continue;
            SCOPED_TRACE(layout.parts[i].name);
            EXPECT_EQ(sheetOf[i], sheetOf[j]);
            const PlacedPart& a = *placedOf[i];
            const PlacedPart& b = *placedOf[j];
            EXPECT_EQ(a.turned, b.turned);
            const bool row =
                std::fabs(b.left - a.right - s) < 1e-6 && std::fabs(a.bottom - b.bottom) < 1e-6;
            const bool column =
                std::fabs(a.bottom - b.top - s) < 1e-6 && std::fabs(a.left - b.left) < 1e-6;
            EXPECT_TRUE(row || column);
        }
    }
    // The wood used is the parts' outer outlines over the sheets.
    const double n = static_cast<double>(layout.sheets.size());
    EXPECT_NEAR(layout.used, used / (n * W * H), 1e-9);
    EXPECT_EQ(layoutSummary(layout),
              std::to_string(layout.sheets.size()) + (n > 1 ? " plaques, " : " plaque, ") +
                  std::to_string(std::lround(100 * used / (n * W * H))) + " % utilisé");
}

// The overlap test itself must see an overlap, or the sessions below prove nothing.
TEST(SheetLayout, OverlapTestSeesCrossingsAndContainment) {
    const std::vector<MmPoint> l = ell(90, 90).paths[0].points;
    auto moved = [](std::vector<MmPoint> p, double dx, double dy) {
        for (MmPoint& q : p)
            q = {q.x + dx, q.y + dy};
        return p;
    };
    const std::vector<MmPoint> small = rectangle(20, 20).paths[0].points;
    EXPECT_TRUE(overlap(l, moved(small, 20, 20)));  // edges cross
    EXPECT_TRUE(overlap(l, moved(small, 5, 5)));    // inside, no crossing
    EXPECT_TRUE(overlap(moved(small, 5, 5), l));    // the other way round
    EXPECT_FALSE(overlap(l, moved(small, 50, 50))); // in the notch
    EXPECT_FALSE(overlap(l, moved(small, 100, 0))); // beside
}

// Random sessions of 1 to 30 parts (formers, halves in pairs, rectangles, notched parts) on
// random sheets; now and then a part too large for them, which must be the refusal's subject.
TEST(SheetLayout, RandomPartsOnRandomSheets) {
    std::mt19937 rng(7);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<>(a, b)(rng); };
    int refusals = 0, turned = 0, pairs = 0, multiSheet = 0;
    for (int session = 0; session < 80; ++session) {
        const SheetOptions sheet{uniform(150, 700), uniform(100, 400),
                                 std::vector<double>{0.5, 2, 5, 10}[integer(0, 3)]};
        const double room = std::min(sheet.width, sheet.height) - 2 * sheet.spacing;
        const double longRoom = std::max(sheet.width, sheet.height) - 2 * sheet.spacing;
        SCOPED_TRACE(testing::Message() << "session " << session << ", sheet " << sheet.width
                                        << " x " << sheet.height << ", spacing " << sheet.spacing);
        std::vector<LayoutPart> parts;
        const int n = integer(1, 30);
        std::string tooLarge;
        while (static_cast<int>(parts.size()) < n) {
            const std::string name = "F" + std::to_string(parts.size() + 1);
            const int kind = integer(0, 9);
            const double w = uniform(4, room * (kind < 8 ? 0.45 : 1.0));
            const double h = uniform(4, kind < 8 ? room * 0.45 : longRoom);
            const double cx = uniform(-50, 50), cy = uniform(-50, 50);
            if (kind < 3) { // a pair of halves, each fitting half a sheet
                const double e = uniform(1.5, 5), hw = std::min(w, (room - sheet.spacing) / 2);
                const int points = integer(8, 30), pair = integer(0, 1000);
                parts.push_back(
                    {name + " gauche", former(hw, h, 0, cy, e, points, -1, kind == 0), name, pair});
                parts.push_back(
                    {name + " droit", former(hw, h, 0, cy, e, points, 1, kind == 0), name, pair});
                ++pairs;
            } else if (kind < 6) {
                parts.push_back(
                    {name, former(w, h, cx, cy, uniform(1.5, 5), integer(8, 40), 0, kind == 3), "",
                     -1});
            } else if (kind < 8) {
                parts.push_back({name, kind == 6 ? rectangle(w, h) : ell(w, h), "", -1});
            } else if (integer(0, 5) == 0 && tooLarge.empty()) {
                parts.push_back({name, rectangle(longRoom + uniform(0.1, 50), h), "", -1});
                tooLarge = name;
            } else {
                parts.push_back({name, rectangle(w, h), "", -1}); // as long as the sheet allows
            }
        }
        parts.resize(static_cast<std::size_t>(n)); // a pair may have gone one over
        const SheetLayout layout = layOutParts(parts, sheet);
        if (!tooLarge.empty()) {
            ++refusals;
            EXPECT_NE(layout.error.find("Le couple « " + tooLarge + " » ("), std::string::npos)
                << layout.error;
            EXPECT_TRUE(layout.sheets.empty());
            continue;
        }
        expectSound(layout);
        const SheetLayout again = layOutParts(parts, sheet);
        ASSERT_EQ(again.sheets.size(), layout.sheets.size()) << "the same every time";
        for (std::size_t k = 0; k < layout.sheets.size(); ++k)
            for (std::size_t i = 0; i < layout.sheets[k].parts.size(); ++i)
                EXPECT_EQ(again.sheets[k].parts[i].left, layout.sheets[k].parts[i].left);
        multiSheet += layout.sheets.size() > 1;
        for (const LayoutSheet& s : layout.sheets)
            for (const PlacedPart& p : s.parts)
                turned += p.turned;
    }
    // The sessions went through what they are meant to.
    EXPECT_GT(refusals, 2);
    EXPECT_GT(turned, 50);
    EXPECT_GT(pairs, 50);
    EXPECT_GT(multiSheet, 10);
}

// Layouts whose best is known, and the refusals word for word.
TEST(SheetLayout, KnownLayoutsAndRefusals) {
    auto many = [](int n, double w, double h) {
        std::vector<LayoutPart> parts;
        for (int i = 0; i < n; ++i)
            parts.push_back({"F" + std::to_string(i + 1), rectangle(w, h), "", -1});
        return parts;
    };
    const struct {
        std::vector<LayoutPart> parts;
        SheetOptions sheet;
        const char* said; // the summary, or the refusal
    } rows[] = {
        // Three rows of two... three columns of two 90 mm squares with their 5 mm per sheet.
        {many(12, 90, 90), {300, 200, 5}, "2 plaques, 81 % utilisé"},
        // No spacing: squares fill the sheet to its edges.
        {many(6, 100, 100), {300, 200, 0}, "1 plaque, 100 % utilisé"},
        // Two lie down, the third stands up beside them.
        {many(3, 100, 200), {300, 200, 0}, "1 plaque, 100 % utilisé"},
        // Only lying down does it fit under the sheet's height.
        {many(1, 50, 250), {600, 120, 5}, "1 plaque, 17 % utilisé"},
        // Halves too long for a row go one above the other.
        {{{"F3 gauche", rectangle(200, 90), "F3", 3}, {"F3 droit", rectangle(200, 90), "F3", 3}},
         {300, 200, 5},
         "1 plaque, 60 % utilisé"},
        {{{"F1", rectangle(10, 10), "", -1}, {"F7", rectangle(412.5, 180), "", -1}},
         {300, 200, 5},
         "Le couple « F7 » (412,50 × 180,00 mm) ne tient pas sur une plaque de 300 × 200 mm."},
        {{{"F2 arrière", rectangle(150, 296), "", -1}},
         {300, 200, 5},
         "Le couple « F2 arrière » (150,00 × 296,00 mm) ne tient pas sur une plaque de 300 × 200 "
         "mm avec 5 mm d'espacement aux bords."},
        {{{"F3 gauche", rectangle(150, 190), "", 1}, {"F3 droit", rectangle(150, 190), "", 1}},
         {300, 200, 5},
         "Les demi-couples « F3 gauche » et « F3 droit » (305,00 × 190,00 mm côte à côte) ne "
         "tiennent pas ensemble sur une plaque de 300 × 200 mm."},
        {{{"F4", PieceOutline{{}, 0, 0, 0, 0, "le contour du couple n'est pas calculé"}, "", -1}},
         {300, 200, 5},
         "Le couple « F4 » n'a rien à découper : le contour du couple n'est pas calculé."},
        {{}, {300, 200, 5}, "Aucun couple à exporter."},
        {many(1, 5, 5),
         {0, 200, 5},
         "Les dimensions de la plaque doivent être des nombres positifs."},
        {many(1, 5, 5),
         {NAN, 200, 5},
         "Les dimensions de la plaque doivent être des nombres positifs."},
        {many(1, 5, 5), {300, 200, -1}, "L'espacement doit être un nombre positif ou nul."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.said);
        const SheetLayout layout = layOutParts(row.parts, row.sheet);
        if (layout.ok()) {
            expectSound(layout);
            EXPECT_EQ(layoutSummary(layout), row.said);
        } else {
            EXPECT_EQ(layout.error, row.said);
            EXPECT_TRUE(layout.sheets.empty());
        }
    }
    const SheetLayout lying = layOutParts(many(1, 50, 250), {600, 120, 5});
    EXPECT_TRUE(lying.sheets.at(0).parts.at(0).turned);
}

} // namespace

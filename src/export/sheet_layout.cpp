#include "sheet_layout.h"

#include "decimal_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace {

// Lengths within this are equal: a part exactly as wide as the room left still goes in.
constexpr double kEps = 1e-7; // mm

constexpr double kLabelHeight = 5.0; // mm, the engraved name on a part large enough
constexpr double kCharWidth = 0.7;   // a character's advance, in heights, for the usual fonts
constexpr double kLabelMargin = 0.2; // around the name, in heights, to the nearest cut

// The parts laid out together: one, or a pair side by side.
struct Block {
    std::vector<std::size_t> members; // in input order
};

// A way to lay a block: every member turned or none, in a row or a column.
struct Shape {
    bool turned = false;
    bool column = false;
    double width = 0.0, height = 0.0; // the block's bounding box
};

// The skyline of a sheet: the height reached so far along its width, in runs.
struct Segment {
    double x, y, width;
};

// Where a block goes on a sheet: its top (the spacing above it included) and its left.
struct Position {
    std::size_t segment = 0;
    double x = 0.0, top = 0.0;
    std::size_t shape = 0;
    bool below(const Position& o) const {
        return top < o.top - kEps || (std::fabs(top - o.top) <= kEps && x < o.x - kEps);
    }
};

double turnedWidth(const PieceOutline& o, bool turned) {
    return turned ? o.height() : o.width();
}
double turnedHeight(const PieceOutline& o, bool turned) {
    return turned ? o.width() : o.height();
}

Shape blockShape(const std::vector<LayoutPart>& parts, const Block& b, bool turned, bool column,
                 double spacing) {
    Shape s{turned, column, 0.0, 0.0};
    double along = 0.0, across = 0.0;
    for (const std::size_t m : b.members) {
        const double w = turnedWidth(parts[m].outline, turned);
        const double h = turnedHeight(parts[m].outline, turned);
        along += (column ? h : w) + spacing;
        across = std::max(across, column ? w : h);
    }
    along -= spacing;
    s.width = column ? across : along;
    s.height = column ? along : across;
    return s;
}

// Where a block `width` by `height` (its spacing included) goes lowest on the skyline, then
// leftmost, within `roomW` by `roomH`.
std::optional<Position> lowestPosition(const std::vector<Segment>& sky, double width, double height,
                                       double roomW, double roomH) {
    std::optional<Position> best;
    for (std::size_t i = 0; i < sky.size(); ++i) {
        const double x = sky[i].x;
        if (x + width > roomW + kEps)
            break;
        double y = 0.0;
        for (std::size_t j = i; j < sky.size() && sky[j].x < x + width - kEps; ++j)
            y = std::max(y, sky[j].y);
        const Position here{i, x, y + height, 0};
        if (here.top <= roomH + kEps && (!best || here.below(*best)))
            best = here;
    }
    return best;
}

void raiseSkyline(std::vector<Segment>& sky, std::size_t i, double x, double top, double width) {
    sky.insert(sky.begin() + static_cast<std::ptrdiff_t>(i), Segment{x, top, width});
    const double end = x + width;
    for (std::size_t j = i + 1; j < sky.size();) {
        if (sky[j].x >= end)
            break;
        const double cut = end - sky[j].x;
        sky[j].x += cut;
        sky[j].width -= cut;
        if (sky[j].width > kEps)
            break;
        sky.erase(sky.begin() + static_cast<std::ptrdiff_t>(j));
    }
    for (std::size_t j = 0; j + 1 < sky.size();) {
        if (sky[j].y == sky[j + 1].y) {
            sky[j].width += sky[j + 1].width;
            sky.erase(sky.begin() + static_cast<std::ptrdiff_t>(j + 1));
        } else {
            ++j;
        }
    }
}

std::string quoted(const LayoutPart& part) {
    return "« " + part.name + " »";
}

std::string sizeText(double w, double h) {
    return frenchMillimetres(w) + " × " + frenchMillimetres(h) + " mm";
}

double enclosedArea(const PiecePath& path) {
    double twice = 0.0;
    const std::vector<MmPoint>& p = path.points;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        twice += (p[j].x - p[i].x) * (p[j].y + p[i].y);
    return std::fabs(twice) / 2.0;
}

SheetLayout refused(SheetLayout layout, std::string reason) {
    layout.sheets.clear();
    layout.used = 0.0;
    layout.error = std::move(reason);
    return layout;
}

std::size_t codePoints(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

struct Packing {
    std::vector<LayoutSheet> sheets;
    double lastTop = 0.0; // how high the last sheet is filled
};

// Each block in `order` on the first sheet with room, at its lowest place. The skyline runs
// over the sheet less the spacing at the left and bottom edges, each block taking its spacing
// on its right and top, so that the last one keeps it from the right and top edges.
Packing pack(const std::vector<LayoutPart>& all, const std::vector<Block>& blocks,
             const std::vector<std::vector<Shape>>& shapes, const std::vector<std::size_t>& order,
             const SheetOptions& sheet) {
    const double s = sheet.spacing, skyW = sheet.width - s, skyH = sheet.height - s;
    Packing packing;
    std::vector<std::vector<Segment>> skylines;
    for (const std::size_t b : order) {
        std::size_t sheetIndex = 0;
        std::optional<Position> at;
        for (; !at; ++sheetIndex) {
            if (sheetIndex == skylines.size()) {
                skylines.push_back({{0.0, 0.0, skyW}});
                packing.sheets.emplace_back();
            }
            for (std::size_t k = 0; k < shapes[b].size(); ++k) {
                const Shape& shape = shapes[b][k];
                std::optional<Position> here = lowestPosition(skylines[sheetIndex], shape.width + s,
                                                              shape.height + s, skyW, skyH);
                if (here && (!at || here->below(*at))) {
                    at = here;
                    at->shape = k;
                }
            }
        }
        --sheetIndex;
        const Shape& shape = shapes[b][at->shape];
        const double bottom = at->top - (shape.height + s);
        raiseSkyline(skylines[sheetIndex], at->segment, at->x, at->top, shape.width + s);

        // The members inside the block: a row bottom-aligned from the left, a column from the
        // top down.
        double along = 0.0;
        for (const std::size_t m : blocks[b].members) {
            const PieceOutline& o = all[m].outline;
            const double w = turnedWidth(o, shape.turned), h = turnedHeight(o, shape.turned);
            PlacedPart p;
            p.part = m;
            p.turned = shape.turned;
            p.left = s + at->x + (shape.column ? 0.0 : along);
            p.bottom = s + bottom + (shape.column ? shape.height - along - h : 0.0);
            p.right = p.left + w;
            p.top = p.bottom + h;
            along += (shape.column ? h : w) + s;
            // Turned, (x, y) goes to (-y, x): the box's lower-left corner comes from
            // (-maxY, minX).
            const double minX = shape.turned ? -o.maxY : o.minX;
            const double minY = shape.turned ? o.minX : o.minY;
            p.offset = {p.left - minX, p.bottom - minY};
            packing.sheets[sheetIndex].parts.push_back(p);
        }
    }
    for (const Segment& segment : skylines.back())
        packing.lastTop = std::max(packing.lastTop, segment.y);
    return packing;
}

// Where the outline's paths cross the line x = c (vertical) or y = c, in order along it: with
// the doubling inside the former, the wood lies between the first and second, the third and
// fourth...
std::vector<double> crossings(const PieceOutline& o, bool vertical, double c) {
    std::vector<double> t;
    for (const PiecePath& path : o.paths) {
        const std::vector<MmPoint>& p = path.points;
        for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            const double ua = vertical ? p[j].x : p[j].y, ub = vertical ? p[i].x : p[i].y;
            if ((ua > c) == (ub > c))
                continue;
            const double va = vertical ? p[j].y : p[j].x, vb = vertical ? p[i].y : p[i].x;
            t.push_back(va + (c - ua) * (vb - va) / (ub - ua));
        }
    }
    std::sort(t.begin(), t.end());
    return t;
}

} // namespace

SheetLayout layOutParts(std::vector<LayoutPart> parts, const SheetOptions& sheet) {
    SheetLayout layout;
    layout.parts = std::move(parts);
    layout.sheet = sheet;
    const double W = sheet.width, H = sheet.height, s = sheet.spacing;
    if (!(std::isfinite(W) && std::isfinite(H) && W > 0.0 && H > 0.0))
        return refused(std::move(layout),
                       "Les dimensions de la plaque doivent être des nombres positifs.");
    if (!(std::isfinite(s) && s >= 0.0))
        return refused(std::move(layout), "L'espacement doit être un nombre positif ou nul.");
    if (layout.parts.empty())
        return refused(std::move(layout), "Aucun couple à exporter.");
    const std::vector<LayoutPart>& all = layout.parts;
    for (const LayoutPart& part : all) {
        const PieceOutline& o = part.outline;
        std::string reason = o.error;
        if (reason.empty() && o.paths.empty())
            reason = "le contour du couple n'entoure aucune surface";
        if (reason.empty() && !(std::isfinite(o.width()) && std::isfinite(o.height())))
            reason = "le contour du couple contient des points invalides";
        if (!reason.empty())
            return refused(std::move(layout),
                           "Le couple " + quoted(part) + " n'a rien à découper : " + reason + ".");
    }

    // 1. Blocks: each pair together, in the order of its first part.
    std::vector<Block> blocks;
    std::map<int, std::size_t> pairBlock;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].pair < 0) {
            blocks.push_back({{i}});
            continue;
        }
        const auto [it, fresh] = pairBlock.emplace(all[i].pair, blocks.size());
        if (fresh)
            blocks.push_back({});
        blocks[it->second].members.push_back(i);
    }

    // 2. The shapes each block may take on an empty sheet: a row, turned or not, or a column
    // when no row fits.
    const double roomW = W - 2 * s, roomH = H - 2 * s;
    auto fits = [&](double w, double h) { return w <= roomW + kEps && h <= roomH + kEps; };
    std::vector<std::vector<Shape>> shapes(blocks.size());
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const bool single = blocks[b].members.size() == 1;
        for (const bool column : {false, true}) {
            if (column && (single || !shapes[b].empty()))
                break;
            for (const bool turned : {false, true}) {
                const Shape shape = blockShape(all, blocks[b], turned, column, s);
                if (fits(shape.width, shape.height))
                    shapes[b].push_back(shape);
            }
        }
        if (!shapes[b].empty())
            continue;
        const Shape row = blockShape(all, blocks[b], false, false, s);
        const std::string sheetText =
            "une plaque de " + frenchNumber(W) + " × " + frenchNumber(H) + " mm";
        if (single) {
            const bool spacingStops =
                (row.width <= W && row.height <= H) || (row.height <= W && row.width <= H);
            return refused(std::move(layout),
                           "Le couple " + quoted(all[blocks[b].members[0]]) + " (" +
                               sizeText(row.width, row.height) + ") ne tient pas sur " + sheetText +
                               (spacingStops
                                    ? " avec " + frenchNumber(s) + " mm d'espacement aux bords."
                                    : "."));
        }
        std::string names;
        const std::vector<std::size_t>& m = blocks[b].members;
        for (std::size_t k = 0; k < m.size(); ++k)
            names += (k == 0 ? "" : k + 1 == m.size() ? " et " : ", ") + quoted(all[m[k]]);
        return refused(std::move(layout),
                       "Les demi-couples " + names + " (" + sizeText(row.width, row.height) +
                           " côte à côte) ne tiennent pas ensemble sur " + sheetText + ".");
    }

    // 3. The largest first, by several measures of "large" in turn (the longer side, the
    // area, the height, the width of a block's row): the packing that takes the fewest sheets
    // wins, then the one that leaves the most of its last sheet free.
    using Key = std::pair<double, double>;
    auto measures = [&](std::size_t b) {
        const Shape r = blockShape(all, blocks[b], false, false, s);
        const double longer = std::max(r.width, r.height), area = r.width * r.height;
        return std::array<Key, 4>{Key{longer, area}, Key{area, longer}, Key{r.height, r.width},
                                  Key{r.width, r.height}};
    };
    std::optional<Packing> best;
    for (std::size_t measure = 0; measure < 4; ++measure) {
        std::vector<std::pair<Key, std::size_t>> keyed;
        for (std::size_t b = 0; b < blocks.size(); ++b)
            keyed.push_back({measures(b)[measure], b});
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        std::vector<std::size_t> order;
        for (const auto& [k, b] : keyed)
            order.push_back(b);
        Packing packing = pack(all, blocks, shapes, order, sheet);
        if (!best || packing.sheets.size() < best->sheets.size() ||
            (packing.sheets.size() == best->sheets.size() &&
             packing.lastTop < best->lastTop - kEps))
            best = std::move(packing);
    }
    layout.sheets = std::move(best->sheets);

    double area = 0.0;
    for (const LayoutPart& part : all)
        area += enclosedArea(part.outline.paths.front());
    layout.used = area / (static_cast<double>(layout.sheets.size()) * W * H);
    return layout;
}

PieceOutline placedOutline(const PieceOutline& piece, const PlacedPart& placed) {
    PieceOutline out = piece;
    for (PiecePath& path : out.paths) {
        for (MmPoint& p : path.points) {
            const MmPoint q = placed.turned ? MmPoint{-p.y, p.x} : p;
            p = {q.x + placed.offset.x, q.y + placed.offset.y};
        }
    }
    out.minX = placed.left;
    out.maxX = placed.right;
    out.minY = placed.bottom;
    out.maxY = placed.top;
    return out;
}

std::string layoutSummary(const SheetLayout& layout) {
    const std::size_t n = layout.sheets.size();
    return std::to_string(n) + (n > 1 ? " plaques, " : " plaque, ") +
           std::to_string(std::lround(layout.used * 100.0)) + " % utilisé";
}

PartLabel partLabel(const SheetLayout& layout, const PlacedPart& placed) {
    PartLabel label;
    label.text = layout.parts[placed.part].name;
    const PieceOutline o = placedOutline(layout.parts[placed.part].outline, placed);
    const double chars = static_cast<double>(std::max<std::size_t>(codePoints(label.text), 1));
    // The box of the name `height` high about `at`, with its margin, clear of every outline.
    auto fits = [&](MmPoint at, double height) {
        const double halfW = (kCharWidth * chars / 2 + kLabelMargin) * height;
        const double halfH = (0.5 + kLabelMargin) * height;
        return !outlineMeetsBox(o, at.x - halfW, at.y - halfH, at.x + halfW, at.y + halfH);
    };
    auto largest = [&](MmPoint at) {
        if (fits(at, kLabelHeight))
            return kLabelHeight;
        double lo = 0.0, hi = kLabelHeight;
        for (int i = 0; i < 14; ++i) { // to a third of a micrometre
            const double mid = (lo + hi) / 2;
            if (fits(at, mid))
                lo = mid;
            else
                hi = mid;
        }
        return lo;
    };
    // The places tried: the middle of the part's box when it is in the wood, then the middles
    // of the wood met along the vertical and the horizontal line through it (a ring's bands,
    // a half ring's side).
    const MmPoint middle{(o.minX + o.maxX) / 2.0, (o.minY + o.maxY) / 2.0};
    std::vector<MmPoint> places;
    const std::vector<double> across = crossings(o, false, middle.y);
    if (std::count_if(across.begin(), across.end(), [&](double x) { return x < middle.x; }) % 2)
        places.push_back(middle);
    for (const bool vertical : {true, false}) {
        const std::vector<double> t = vertical ? crossings(o, true, middle.x) : across;
        for (std::size_t i = 0; i + 1 < t.size(); i += 2) {
            const double mid = (t[i] + t[i + 1]) / 2.0;
            places.push_back(vertical ? MmPoint{middle.x, mid} : MmPoint{mid, middle.y});
        }
    }
    label.centre = middle;
    for (const MmPoint& at : places) {
        const double height = largest(at);
        if (height > label.height) {
            label.centre = at;
            label.height = height;
            if (height == kLabelHeight)
                break;
        }
    }
    return label;
}

PieceOutline sheetPiece(const SheetLayout& layout, std::size_t index) {
    PieceOutline out;
    const double W = layout.sheet.width, H = layout.sheet.height;
    out.paths.push_back({{{0.0, 0.0}, {W, 0.0}, {W, H}, {0.0, H}}, false});
    for (const PlacedPart& placed : layout.sheets[index].parts) {
        PieceOutline part = placedOutline(layout.parts[placed.part].outline, placed);
        for (PiecePath& path : part.paths)
            out.paths.push_back(std::move(path));
    }
    out.maxX = W;
    out.maxY = H;
    return out;
}

std::vector<std::string> formerGroupNames(const SheetLayout& layout,
                                          std::string (*fit)(std::string_view),
                                          const std::vector<std::string_view>& reserved) {
    auto folded = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return s;
    };
    std::set<std::string> taken;
    for (const std::string_view r : reserved)
        taken.insert(folded(std::string(r)));
    std::map<std::string, std::string> given; // former -> its group's name
    std::vector<std::string> names;
    for (const LayoutPart& part : layout.parts) {
        const std::string& former = part.former.empty() ? part.name : part.former;
        auto it = given.find(former);
        if (it == given.end()) {
            const std::string base = fit(former);
            std::string name = base;
            for (int n = 2; taken.count(folded(name)); ++n)
                name = base + "-" + std::to_string(n);
            taken.insert(folded(name));
            it = given.emplace(former, name).first;
        }
        names.push_back(it->second);
    }
    return names;
}

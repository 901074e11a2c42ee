#include "cut_outline.h"

#include <algorithm>

namespace {

// Real millimetres back to the drawing's: x from the surface's left edge, y down.
std::vector<PointXYZ> drawingHalf(const std::vector<RealPoint>& half, double X1, double Y1,
                                  double scale, double side) {
    std::vector<PointXYZ> out;
    out.reserve(half.size());
    for (const RealPoint& p : half)
        out.push_back({X1 + side * p.x / scale, Y1 - p.y / scale, 0.0});
    return out;
}

// Where a cut half splits into top and bottom: at sample M, or where a notch took it, at the
// first sample kept after it (the notch goes with the top); the last point when none is.
int splitIndex(const std::vector<int>& index, int M, std::size_t points) {
    for (std::size_t i = static_cast<std::size_t>(std::max(M, 0)); i < index.size(); ++i)
        if (index[i] >= 0)
            return index[i];
    return static_cast<int>(points) - 1;
}

} // namespace

void CutOutline::showIn(OutlineInput& in) const {
    if (!cut())
        return;
    in.cutRight = right;
    in.cutLeft = left;
    in.cutRightMiddle = rightMiddle;
    in.cutLeftMiddle = leftMiddle;
}

CutOutline cutOutline(const FormerModel& m, double realScale, bool doublingDrawn,
                      const NotchTable& table, std::string_view former) {
    CutOutline out;
    if (table.empty())
        return out;
    const double X1 = m.X1(), Y1 = m.Y1();
    const std::vector<RealPoint> half = realHalf(m.Courbe_Droite, X1, Y1, realScale);
    const std::vector<RealPoint> doubling =
        doublingDrawn ? realHalf(m.Doublage_Droit, X1, Y1, realScale) : std::vector<RealPoint>{};
    out.notches = cutNotches(half, doubling, table, former);
    if (out.notches.cut.empty())
        return out;
    out.right = drawingHalf(out.notches.right, X1, Y1, realScale, 1.0);
    out.left = drawingHalf(out.notches.left, X1, Y1, realScale, -1.0);
    const int M = middleIndex(m.Nb_Points);
    out.rightMiddle = splitIndex(out.notches.rightIndex, M, out.right.size());
    out.leftMiddle = splitIndex(out.notches.leftIndex, M, out.left.size());
    return out;
}

void drawCutOutline(const CutOutline& cut, std::vector<DrawStep>& drawing, int sampleCount) {
    // The outline is the first 2M + 1 steps: a dot on the top point, M lines down the right
    // half (the first from that dot), M lines from the right half's bottom up the left half.
    const std::size_t outline = 2 * static_cast<std::size_t>(std::max(sampleCount, 0)) + 1;
    if (!cut.cut() || drawing.size() < outline)
        return;
    std::vector<DrawStep> steps;
    steps.reserve(cut.right.size() + cut.left.size() + 1);
    PointXYZ at = cut.right.front();
    steps.push_back({DrawStep::Kind::Dot, at, at, colours::Yellow, 1});
    const auto lineTo = [&](const PointXYZ& p, Rgb colour) {
        steps.push_back({DrawStep::Kind::Line, at, p, colour, 1});
        at = p;
    };
    for (const PointXYZ& p : cut.right)
        lineTo(p, colours::Yellow);
    for (auto p = cut.left.rbegin(); p != cut.left.rend(); ++p)
        lineTo(*p, colours::Red);
    drawing.erase(drawing.begin(), drawing.begin() + static_cast<std::ptrdiff_t>(outline));
    drawing.insert(drawing.begin(), steps.begin(), steps.end());
}

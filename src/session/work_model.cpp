#include "session/work_model.h"

#include <cstddef>

void StoreFormer(const FormerModel& m, Work& s) {
    const int N = m.Der_Point;
    s.former.clear();
    s.doubling.clear();
    for (int i = 0; i <= N; ++i) {
        const auto k = static_cast<std::size_t>(i);
        FormerPoint p;
        p.at = {m.Pts_Couple[k].x, m.Pts_Couple[k].y};
        p.handle = {m.shppi[k].Left, m.shppi[k].Top};
        const LineItem& side = i < N ? m.LinPi[k] : m.LinPi[k - 1];
        p.polygon = i < N ? SurfacePoint{side.X1, side.Y1} : SurfacePoint{side.X2, side.Y2};
        p.pinned = IsPinned(m, i);
        p.unpinned = (i == 0 || i == N) && !p.pinned && m.shppi[k].BorderColor == colours::Red;
        s.former.push_back(p);
        s.doubling.push_back({m.Pts_Doublage[k].x, m.Pts_Doublage[k].y});
    }
    s.sampleCount = m.Nb_Points;
    s.orderInUse = m.Ordre_Spline;
}

void StoreHandleVisibility(const FormerModel& m, View& v) {
    v.formerHandlesShown = m.shppi[0].Visible;
    v.doublingHandlesShown = m.Shape1[0].Visible;
}

bool ShowFormer(const Work& s, const View& v, FormerModel& m) {
    const int N = m.Der_Point;
    if (static_cast<int>(s.former.size()) != N + 1 || static_cast<int>(s.doubling.size()) != N + 1)
        return false;
    m.Nb_Points = s.sampleCount;
    m.resizeSamples(m.Nb_Points);
    m.Ordre_Spline = s.orderInUse;
    for (int i = 0; i <= N; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const FormerPoint& p = s.former[k];
        m.Pts_Couple[k] = {p.at.x, p.at.y, 0.0};
        Handle& h = m.shppi[k];
        h.Left = p.handle.x;
        h.Top = p.handle.y;
        h.Visible = v.formerHandlesShown;
        // White while pinned; red for the other points, and for an end point once unpinned.
        if (p.pinned)
            h.Tag.assign(1, '1');
        else
            h.Tag.clear();
        const bool end = i == 0 || i == N;
        h.BorderColor = p.pinned             ? colours::White
                        : end && !p.unpinned ? colours::Magenta
                                             : colours::Red;
        if (i < N) {
            m.LinPi[k].X1 = p.polygon.x;
            m.LinPi[k].Y1 = p.polygon.y;
            m.LinPi[k].Visible = v.controlPolygonShown;
        }
        if (i > 0) {
            m.LinPi[k - 1].X2 = p.polygon.x;
            m.LinPi[k - 1].Y2 = p.polygon.y;
        }
        m.Pts_Doublage[k] = {s.doubling[k].x, s.doubling[k].y, 0.0};
        m.Shape1[k].Left = s.doubling[k].x;
        m.Shape1[k].Top = s.doubling[k].y;
        m.Shape1[k].Visible = v.doublingHandlesShown;
    }
    return true;
}

OutlineOptions OutlineOptionsOf(const Work& w, const View& v) {
    OutlineOptions o;
    o.doublingOn = w.doublingOn;
    o.doublingScale = w.doublingScale;
    o.slaved = w.slaved;
    o.vertical = w.joint == AssemblyJoint::Vertical;
    o.horizontal = w.joint == AssemblyJoint::Horizontal;
    o.samplePointsShown = v.samplePointsShown;
    if (w.doublingMode == DoublingMode::ConstantWidth)
        o.constantWidth = w.doublingWidth / w.realScale; // real millimetres on the drawing
    return o;
}

bool SampleFormer(const Work& w, FormerModel& m) {
    View hidden;
    hidden.formerHandlesShown = false;
    hidden.controlPolygonShown = false;
    if (!ShowFormer(w, hidden, m))
        return false;
    DisegnaCurva(m, OutlineOptionsOf(w, hidden), nullptr);
    return true;
}

bool DoublingDrawn(const Work& w, const FormerModel& sampled) {
    return w.doublingOn && sampled.offsetDoublingWhole;
}

#include "former_model.h"

#include <algorithm>

int Point_Proche(const FormerModel& m, bool couple, float x, float y) {
    const std::vector<Handle>& set = couple ? m.shppi : m.Shape1;
    const int last = std::min(m.Der_Point, static_cast<int>(set.size()) - 1);
    // The hit test runs in single precision: squares and distances are rounded to float, so
    // near-equal distances tie and the lowest index keeps the pick.
    const float rx2 = m.Rayon_X * m.Rayon_X;
    const float ry2 = m.Rayon_Y * m.Rayon_Y;
    float best = 1e38f;
    int result = 0;
    for (int i = 0; i <= last; ++i) {
        const Handle& h = set[static_cast<std::size_t>(i)];
        const double cx = h.Left + static_cast<double>(m.Rayon_X);
        const double cy = h.Top - static_cast<double>(m.Rayon_Y);
        const double dx = static_cast<double>(x) - cx;
        const double dy = static_cast<double>(y) - cy;
        const auto d = static_cast<float>(dx * dx / static_cast<double>(rx2) +
                                          dy * dy / static_cast<double>(ry2));
        if (d < best) {
            best = d;
            result = i;
        }
    }
    return result;
}

double DragStep(FormerModel& m, bool couple, bool slaved, int doublingScale, float x, float y) {
    // No control point may cross to the left of the symmetry axis.
    double px = x;
    if (px < m.X1()) {
        px = m.X1();
    }
    const double py = y;
    const int N = m.Der_Point;
    const int p = m.Idx_Point;
    if (p < 0 || p > N) {
        return px;
    }
    const auto up = static_cast<std::size_t>(p);
    const double rx = m.Rayon_X;
    const double ry = m.Rayon_Y;

    if (!couple) {
        if (up >= m.Shape1.size()) {
            return px;
        }
        m.Shape1[up].Left = px - rx;
        m.Shape1[up].Top = py + ry;
        const std::size_t count = std::min(m.Shape1.size(), m.Pts_Doublage.size());
        for (std::size_t i = 0; i < count; ++i) {
            m.Pts_Doublage[i].x = m.Shape1[i].Left;
            m.Pts_Doublage[i].y = m.Shape1[i].Top;
        }
        return px;
    }

    if (up >= m.shppi.size() || up >= m.Pts_Couple.size()) {
        return px;
    }
    m.shppi[up].Left = px - rx;
    m.shppi[up].Top = py + ry;

    // The control polygon follows the pointer itself, not the handle's corner.
    const auto segments = m.LinPi.size();
    if (p < N && up < segments) {
        m.LinPi[up].X1 = px;
        m.LinPi[up].Y1 = py;
    }
    if (p > 0 && up - 1 < segments) {
        m.LinPi[up - 1].X2 = px;
        m.LinPi[up - 1].Y2 = py;
    }
    m.Pts_Couple[up].x = px;
    m.Pts_Couple[up].y = py;

    if (slaved) {
        const double e = doublingScale / 10.0;
        const double X1 = m.X1();
        const double Y1 = m.Y1();
        // Uses the former's samples of the previous redraw; the next redraw recomputes them.
        const std::size_t samples = std::min(m.Doublage_Droit.size(), m.Courbe_Droite.size());
        for (std::size_t s = 0; s < samples; ++s) {
            m.Doublage_Droit[s].x = X1 + e * (m.Courbe_Droite[s].x - X1);
            m.Doublage_Droit[s].y = Y1 + e * (m.Courbe_Droite[s].y - Y1);
        }
        if (up < m.Pts_Doublage.size() && up < m.Shape1.size()) {
            PointXYZ& d = m.Pts_Doublage[up];
            d.x = X1 + e * (m.shppi[up].Left - X1);
            d.y = Y1 + e * (m.shppi[up].Top - Y1);
            m.Shape1[up].Left = d.x;
            m.Shape1[up].Top = d.y;
        }
    }
    return px;
}

bool TogglePin(FormerModel& m, int idx) {
    if (idx < 0 || idx > m.Der_Point || static_cast<std::size_t>(idx) >= m.shppi.size()) {
        return false;
    }
    Handle& h = m.shppi[static_cast<std::size_t>(idx)];
    if (!h.Tag.empty()) {
        h.Tag.clear();
        h.BorderColor = colours::Red;
        return false;
    }
    h.Tag.assign(1, '1'); // (not = "1": GCC 12 warns falsely on it when optimising)
    h.BorderColor = colours::White;
    return true;
}

#include "former_model.h"

#include <algorithm>

namespace {

Handle formerHandle(int i, int last) {
    Handle h;
    if (i == 0 || i == last) {
        // The two points on the symmetry axis: larger circles, easy to grab on the axis.
        h.kind = Handle::Kind::Circle;
        h.Width = 2.6;
        h.Height = 2.9;
        h.BorderColor = colours::Magenta;
        h.BorderWidth = 2;
    } else {
        h.kind = Handle::Kind::Square;
        h.Width = 1.3;
        h.Height = 1.3;
        h.BorderColor = colours::Red;
        h.BorderWidth = 3;
    }
    return h;
}

Handle doublingHandle() {
    Handle h;
    h.kind = Handle::Kind::FilledSquare;
    h.Width = 2.4;
    h.Height = 2.4;
    h.BorderColor = colours::Blue;
    h.BorderWidth = 1;
    // Shown only while the mouse acts on the doubling.
    h.Visible = false;
    return h;
}

} // namespace

FormerModel::FormerModel() {
    const auto count = static_cast<std::size_t>(Der_Point) + 1;
    Pts_Couple.assign(count, PointXYZ{});
    Pts_Doublage.assign(count, PointXYZ{});
    resizeSamples(Nb_Points);

    shppi.reserve(count);
    Shape1.reserve(count);
    for (int i = 0; i <= Der_Point; ++i) {
        shppi.push_back(formerHandle(i, Der_Point));
        Shape1.push_back(doublingHandle());
    }
    // The lower half of the design is hidden until the initial former lays it out.
    for (int i = 5; i <= 7 && i < Der_Point; ++i) {
        shppi[static_cast<std::size_t>(i)].Visible = false;
    }

    LinPi.resize(static_cast<std::size_t>(Der_Point));
    for (int i = 0; i < Der_Point; ++i) {
        LineItem& l = LinPi[static_cast<std::size_t>(i)];
        l.BorderColor = colours::Green;
        l.Dotted = true;
        l.Visible = i < 4;
    }

    Line1.BorderColor = colours::Grey;
    Line4.BorderColor = colours::Grey;
}

void FormerModel::resizeSamples(int m) {
    const auto size = static_cast<std::size_t>(std::max(m, 0));
    Courbe_Droite.resize(size);
    Courbe_Gauche.resize(size);
    Doublage_Droit.resize(size);
    Doublage_Gauche.resize(size);
}

void PlaceAxes(FormerModel& m, double outerWidth, double outerHeight, double innerHeight) {
    m.Line1.X1 = outerWidth / 2.0;
    m.Line1.X2 = m.Line1.X1;
    m.Line1.Y1 = 0.0;
    m.Line1.Y2 = outerHeight;
    // The horizontal axis runs across the whole surface, as the vertical one runs down it.
    m.Line4.X1 = 0.0;
    m.Line4.X2 = outerWidth;
    m.Line4.Y1 = innerHeight / 2.0;
    m.Line4.Y2 = m.Line4.Y1;
}

void CopyHandlesToPoints(FormerModel& m) {
    const std::size_t count = std::min(m.Pts_Couple.size(), m.shppi.size());
    for (std::size_t i = 0; i < count; ++i) {
        m.Pts_Couple[i].x = m.shppi[i].Left;
        m.Pts_Couple[i].y = m.shppi[i].Top;
    }
}

void PutEndsOnAxis(FormerModel& m) {
    const int n = m.Der_Point;
    if (n < 0 || static_cast<std::size_t>(n) >= m.Pts_Couple.size()) {
        return;
    }
    m.Pts_Couple[0].x = m.Line1.X1;
    m.Pts_Couple[static_cast<std::size_t>(n)].x = m.Line1.X2;
}

bool IsPinned(const FormerModel& m, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < m.shppi.size() &&
           m.shppi[static_cast<std::size_t>(i)].Tag == "1";
}

void PlaceDoubling(FormerModel& m, int doublingScale) {
    const double e = doublingScale / 10.0;
    const double x0 = m.X1();
    const double y0 = m.Y1();
    const std::size_t count = std::min({m.shppi.size(), m.Shape1.size(), m.Pts_Doublage.size()});
    for (std::size_t i = 0; i < count; ++i) {
        Handle& s = m.Shape1[i];
        s.Left = x0 + e * (m.shppi[i].Left - x0);
        s.Top = y0 + e * (m.shppi[i].Top - y0);
        m.Pts_Doublage[i].x = s.Left;
        m.Pts_Doublage[i].y = s.Top;
    }
}

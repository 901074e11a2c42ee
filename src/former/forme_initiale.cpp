#include "former_model.h"

void Forme_Initiale(FormerModel& m) {
    // The layout below names handles 0..8 one by one: it is the nine-point design.
    constexpr int N = 8;
    if (m.Der_Point != N || m.shppi.size() < N + 1 || m.LinPi.size() < N ||
        m.Pts_Couple.size() < N + 1) {
        return;
    }
    constexpr double a = 86.783; // x of the right side
    constexpr double b = 14.817; // y of the top side
    const double X1 = m.Line1.X1;
    const double Y1 = m.Line4.Y1;
    auto& h = m.shppi;
    const double w0 = h[0].Width;
    const double wN = h[N].Width;

    // End handles are centred on the axis; the point itself sits at the handle's corner.
    h[0].Left = X1 - w0 / 2.0;
    h[0].Top = b;
    h[2].Left = a;
    h[2].Top = b;
    h[1].Left = (h[0].Left + h[2].Left) / 2.0;
    h[1].Top = b;
    h[4].Left = a;
    h[4].Top = Y1;
    h[3].Left = a;
    h[3].Top = (h[2].Top + h[4].Top) / 2.0;
    // The bottom side mirrors the top side about the horizontal axis.
    h[6].Left = a;
    h[6].Top = Y1 + (Y1 - b);
    h[6].Visible = true;
    h[5].Left = a;
    h[5].Top = (h[4].Top + h[6].Top) / 2.0;
    h[5].Visible = true;
    h[7].Left = h[1].Left;
    h[7].Top = Y1 + (Y1 - b);
    h[7].Visible = true;
    h[N].Left = m.Line1.X2 - wN / 2.0;
    h[N].Top = Y1 + (Y1 - b);

    for (int i = 0; i <= 7; ++i) {
        LineItem& l = m.LinPi[i];
        l.X1 = h[i].Left;
        l.Y1 = h[i].Top;
        l.X2 = h[i + 1].Left;
        l.Y2 = h[i + 1].Top;
    }
    CopyHandlesToPoints(m);
    for (int i = 4; i <= 7; ++i) {
        m.LinPi[i].Visible = true;
    }
    m.Pts_Couple[0].x = X1;
    m.Pts_Couple[N].x = m.Line1.X2;
    m.Pts_Couple[4].y = Y1;
    for (int i = 1; i <= N - 1; ++i) {
        h[i].Tag.clear();
    }
}

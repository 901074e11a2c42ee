#include "editor/surface_mouse.h"

#include <QApplication>
#include <QMouseEvent>

#include <cmath>
#include <limits>

namespace {

double exactPixel(double mm, double pxPerMm) {
    const double p = mm * pxPerMm;
    if (p / pxPerMm == mm || !std::isfinite(p))
        return p;
    // The product is within a few units in the last place of a pixel that divides back.
    double up = p;
    double down = p;
    for (int i = 0; i < 16; ++i) {
        up = std::nextafter(up, std::numeric_limits<double>::infinity());
        if (up / pxPerMm == mm)
            return up;
        down = std::nextafter(down, -std::numeric_limits<double>::infinity());
        if (down / pxPerMm == mm)
            return down;
    }
    return p;
}

} // namespace

QPointF exactPixels(const PictureBox& surface, QPointF mm) {
    const double k = surface.pixelsPerMm();
    return {exactPixel(mm.x(), k), exactPixel(mm.y(), k)};
}

void sendSurfaceMouse(PictureBox& surface, QEvent::Type type, QPointF mm, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    const QPointF local = exactPixels(surface, mm);
    const QPointF global = surface.mapToGlobal(local);
    const QPointF scene = surface.window() ? surface.mapTo(surface.window(), local) : local;
    QMouseEvent event(type, local, scene, global, button, buttons, modifiers);
    QApplication::sendEvent(&surface, &event);
}

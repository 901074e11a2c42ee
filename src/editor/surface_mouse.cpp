#include "editor/surface_mouse.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>
#include <limits>

namespace {

// The surface reads a pixel p back as p / pxPerMm + origin.
double exactPixel(double mm, double pxPerMm, double origin) {
    auto back = [&](double p) { return p / pxPerMm + origin; };
    const double p = (mm - origin) * pxPerMm;
    if (back(p) == mm || !std::isfinite(p))
        return p;
    // Among the doubles next to the product, take one that reads back as mm; where the
    // pixels are coarser than the millimetres there may be none, then the nearest one.
    double best = p;
    double bestError = std::abs(back(p) - mm);
    double up = p;
    double down = p;
    for (int i = 0; i < 4; ++i) {
        up = std::nextafter(up, std::numeric_limits<double>::infinity());
        down = std::nextafter(down, -std::numeric_limits<double>::infinity());
        for (const double candidate : {up, down}) {
            const double error = std::abs(back(candidate) - mm);
            if (error < bestError) {
                best = candidate;
                bestError = error;
            }
        }
        if (bestError == 0.0)
            break;
    }
    return best;
}

} // namespace

QPointF exactPixels(const PictureBox& surface, QPointF mm) {
    const double k = surface.pixelsPerMm();
    const QPointF origin = surface.visibleMm().topLeft();
    return {exactPixel(mm.x(), k, origin.x()), exactPixel(mm.y(), k, origin.y())};
}

void sendSurfaceMouse(PictureBox& surface, QEvent::Type type, QPointF mm, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    const QPointF local = exactPixels(surface, mm);
    const QPointF global = surface.mapToGlobal(local);
    const QPointF scene = surface.window() ? surface.mapTo(surface.window(), local) : local;
    QMouseEvent event(type, local, scene, global, button, buttons, modifiers);
    QApplication::sendEvent(&surface, &event);
}

QPoint sliderHandleCentre(const QSlider& slider) {
    const QSlider* s = &slider;
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.singleStep = s->singleStep();
    opt.pageStep = s->pageStep();
    opt.tickPosition = s->tickPosition();
    opt.tickInterval = s->tickInterval();
    opt.upsideDown = s->invertedAppearance() != (opt.direction == Qt::RightToLeft);
    if (s->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    opt.subControls = QStyle::SC_SliderHandle;
    return s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
}

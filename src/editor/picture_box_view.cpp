// The drawing surface's own view ("Loupe"): its zoom and centre, kept within the surface, the
// layers drawn again when it changes, and the gestures that change it (the wheel, the middle
// button dragged, Space with the left button).
#include "editor/picture_box.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// A widget the keyboard types into: Space is its own there.
bool typesText(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

} // namespace

double PictureBox::wheelZoom(double zoom, int eighths) {
    // In thirds of a doubling, kept on whole thirds so that three notches double it exactly.
    double level = std::log2(std::max(zoom, 1.0)) * 3.0 + eighths / 120.0;
    if (std::abs(level - std::round(level)) < 1e-9)
        level = std::round(level);
    return std::clamp(std::exp2(level / 3.0), 1.0, kMaxZoom);
}

bool PictureBox::settleView(double zoom, QPointF centre) {
    zoom = zoom >= 1.0 ? std::min(zoom, kMaxZoom) : 1.0;
    // The view lies within the whole surface: its centre at least half its size from the
    // edges, so that at 1 it is the middle of the surface and the corner its origin exactly.
    const double hw = scaleW_ / zoom / 2.0;
    const double hh = scaleH_ / zoom / 2.0;
    auto within = [](double v, double lo, double hi) {
        return v >= lo ? std::min(v, std::max(lo, hi)) : lo; // NaN goes to the edge too
    };
    const QPointF c(within(centre.x(), hw, scaleW_ - hw), within(centre.y(), hh, scaleH_ - hh));
    const bool changed = zoom != zoom_ || c.x() != centre_.x() || c.y() != centre_.y();
    zoom_ = zoom;
    centre_ = c;
    origin_ = QPointF(c.x() - hw, c.y() - hh);
    return changed;
}

void PictureBox::setView(double zoom, QPointF centre) {
    if (settleView(zoom, centre))
        followView();
}

void PictureBox::zoomAbout(double zoom, QPointF mm) {
    zoom = zoom >= 1.0 ? std::min(zoom, kMaxZoom) : 1.0;
    // The corner that keeps mm at its pixel.
    const QPointF px = toPixels(mm.x(), mm.y());
    const QPointF origin = mm - px / (drawingScale() * zoom);
    setView(zoom, origin + QPointF(scaleW_ / zoom / 2.0, scaleH_ / zoom / 2.0));
}

void PictureBox::panBy(QPointF mm) {
    setView(zoom_, centre_ - mm);
}

void PictureBox::followView() {
    const qreal r = ratio();
    const QRect layer = layerRect();
    // The grid, from the millimetres it was drawn at.
    if (!backgroundStrokes_.empty()) {
        // Cleared where each call drew: the grid's bounds together cover the whole layer, its
        // lines little of it.
        for (const Stroke& s : backgroundStrokes_)
            background_.fillDevice(s.bounds, 0);
        backgroundBounds_ = {};
        QPainter p(&background_.image());
        for (Stroke& s : backgroundStrokes_) {
            Stroke again =
                makeStroke(s.kind, s.style, s.width, s.colour, toPixels(s.fromMm.x(), s.fromMm.y()),
                           toPixels(s.toMm.x(), s.toMm.y()), r, layer);
            again.fromMm = s.fromMm;
            again.toMm = s.toMm;
            s = again;
            paintStroke(p, s, r, layer);
            backgroundBounds_ |= s.bounds;
        }
        spansStale_.grid = true;
    }
    changed(layer);
    // The picture from its placement, with the grid over it.
    drawPicture();
    // The outline as a repaint draws it; the items follow when shown.
    Refresh();
    emit viewChanged();
}

void PictureBox::wheelEvent(QWheelEvent* event) {
    const QPoint turn = event->angleDelta();
    const int eighths = turn.y() != 0 ? turn.y() : turn.x();
    if (eighths == 0) {
        event->ignore();
        return;
    }
    zoomAbout(wheelZoom(zoom_, eighths), toMm(event->position()));
    if (pan_ == Pan::Panning) {
        // A drag goes on from here in the new zoom.
        panFrom_ = event->position();
        panCentre_ = centre_;
    }
    event->accept();
}

void PictureBox::startPan(QPointF at, Qt::MouseButton button) {
    panButton_ = button;
    panFrom_ = at;
    panCentre_ = centre_;
    pan_ = button == Qt::MiddleButton ? Pan::MiddlePressed : Pan::Panning;
    if (pan_ == Pan::Panning) {
        keepCursor();
        setCursor(Qt::ClosedHandCursor);
    }
}

void PictureBox::endPan() {
    pan_ = Pan::None;
    panButton_ = Qt::NoButton;
    if (spaceHeld_)
        setCursor(Qt::OpenHandCursor);
    else
        restoreCursor();
}

void PictureBox::keepCursor() {
    if (cursorKept_)
        return;
    cursorKept_ = true;
    hadCursor_ = testAttribute(Qt::WA_SetCursor);
    keptCursor_ = cursor();
}

void PictureBox::restoreCursor() {
    if (!cursorKept_)
        return;
    cursorKept_ = false;
    if (hadCursor_)
        setCursor(keptCursor_);
    else
        unsetCursor();
}

void PictureBox::leaveEvent(QEvent* event) {
    pointerInside_ = false;
    QWidget::leaveEvent(event);
}

bool PictureBox::eventFilter(QObject*, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        // Space let go elsewhere is never seen: it is no longer held.
        if (spaceHeld_) {
            spaceHeld_ = false;
            if (pan_ == Pan::None)
                restoreCursor();
        }
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space)
        return false;
    if (type == QEvent::KeyPress) {
        if (!spaceHeld_) {
            // Held over the surface, unless a box is being typed in: the button with the
            // keyboard focus must not be pressed by it either.
            if (!pointerInside_ || !isVisible() || typesText(QApplication::focusWidget()))
                return false;
            spaceHeld_ = true;
            keepCursor();
            setCursor(Qt::OpenHandCursor);
        }
        return true;
    }
    if (!spaceHeld_)
        return false;
    if (!key->isAutoRepeat()) {
        spaceHeld_ = false;
        if (pan_ == Pan::None)
            restoreCursor();
    }
    return true;
}

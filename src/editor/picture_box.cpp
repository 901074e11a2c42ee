#include "picture_box.h"

#include "view3d/event_codes.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

#include <QMetaObject>

#include <algorithm>
#include <cmath>

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    // The millimetre scale follows the screen's logical resolution, as the system's own
    // millimetre scale mode did.
    pxPerMm_ = logicalDpiX() / 25.4;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // moves without a button update the coordinate boxes
    setScaleSize({scaleW_, scaleH_});
}

void PictureBox::setScaleSize(QSizeF mm) {
    scaleW_ = mm.width();
    scaleH_ = mm.height();
    resize(qRound(scaleW_ * pixelsPerMm()), qRound(scaleH_ * pixelsPerMm()));
    ensureLayers();
}

void PictureBox::recordDesignSize() {
    designMm_ = QSizeF(scaleW_ / viewScale_, scaleH_ / viewScale_);
    designPx_ = size();
}

void PictureBox::placeChild(QWidget* child, QRectF mm) {
    const double k = pxPerMm_;
    child->setGeometry(qRound(mm.left() * k), qRound(mm.top() * k), qRound(mm.width() * k),
                       qRound(mm.height() * k));
}

void PictureBox::ensureLayers() {
    const qreal dpr = devicePixelRatioF();
    const QSize px = size() * dpr;
    if (background_.size() == px && background_.devicePixelRatio() == dpr)
        return;
    if (background_.isNull() || background_.devicePixelRatio() != dpr) {
        // Stretching what was drawn at another pixel ratio would blur it: it is drawn again.
        blankLayers();
        return;
    }
    // Keep what the layers held: a resize or a change of screen must not lose the grid.
    auto grown = [&](const QImage& old, QImage::Format format, QColor fill) {
        QImage layer(px, format);
        layer.setDevicePixelRatio(dpr);
        layer.fill(fill);
        if (!old.isNull()) {
            QPainter p(&layer);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QPointF(0, 0), old);
        }
        return layer;
    };
    picture_ = grown(picture_, QImage::Format_RGB32, backColor_);
    background_ = grown(background_, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    overlay_ = grown(overlay_, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
}

void PictureBox::blankLayers() {
    const qreal dpr = devicePixelRatioF();
    auto blank = [&](QImage::Format format, QColor fill) {
        QImage layer(size() * dpr, format);
        layer.setDevicePixelRatio(dpr);
        layer.fill(fill);
        return layer;
    };
    picture_ = blank(QImage::Format_RGB32, backColor_);
    background_ = blank(QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    overlay_ = blank(QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    backgroundBlank_ = true;
    overlayBlank_ = true;
}

void PictureBox::followScreen() {
    const double k = logicalDpiX() / 25.4;
    if (k == pxPerMm_ && devicePixelRatioF() == background_.devicePixelRatio())
        return;
    if (k != pxPerMm_) {
        // Millimetres follow the new resolution; the window's layout gives the new size.
        pxPerMm_ = k;
        if (!designPx_.isEmpty())
            designPx_ = QSize(qRound(designMm_.width() * k), qRound(designMm_.height() * k));
        else
            resize(qRound(scaleW_ * k), qRound(scaleH_ * k));
    }
    blankLayers();
    overlayCurrent_ = false;
    update();
    // Told from the event loop: this may run inside a paint, where nothing may be laid out.
    if (!screenChangePosted_) {
        screenChangePosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                screenChangePosted_ = false;
                emit screenChanged();
            },
            Qt::QueuedConnection);
    }
}

void PictureBox::wipeOverlay() {
    // A repaint, its Paint handler and the outline each clear the overlay; only the first of
    // them after a drawing has anything to wipe.
    if (overlayBlank_)
        return;
    overlay_.fill(Qt::transparent);
    overlayBlank_ = true;
}

void PictureBox::drawn() {
    overlayCurrent_ = true;
    if (!inPaint_)
        update();
}

void PictureBox::Cls() {
    if (autoRedraw_) {
        background_.fill(Qt::transparent);
        backgroundBlank_ = true;
    } else {
        wipeOverlay();
    }
    drawn();
}

void PictureBox::setBackColor(QColor c) {
    backColor_ = c;
    picture_.fill(backColor_);
    background_.fill(Qt::transparent);
    backgroundBlank_ = true;
    wipeOverlay();
    drawn();
}

void PictureBox::showPicture(const QImage& picture, const PicturePlacement& at) {
    picture_.fill(backColor_);
    if (at.visible && !picture.isNull()) {
        QPainter p(&picture_);
        // A plain copy: the picture replaces what was there, pixel for pixel.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        // Placed in pixels of the design size: the view scale keeps it under the curve.
        const double s = viewScale_;
        p.drawImage(QRectF(at.dstX * s, at.dstY * s, at.dstW * s, at.dstH * s), picture,
                    QRectF(at.srcX, at.srcY, at.srcW, at.srcH));
    }
    drawn();
}

void PictureBox::clearPicture() {
    picture_.fill(backColor_);
    drawn();
}

QPen PictureBox::pen(QColor c, int width) const {
    // Widths are logical pixels, so a HiDPI screen draws the same lines, only finer.
    QPen p(c, width);
    // A wide pen always draws solid; dashes and dots are for the thin one.
    if (width == 1 && drawStyle_ == DrawStyle::Dash)
        p.setStyle(Qt::DashLine);
    else if (width == 1 && drawStyle_ == DrawStyle::Dot)
        p.setStyle(Qt::DotLine);
    else if (width > 1)
        p.setCapStyle(Qt::RoundCap);
    return p;
}

namespace {

void plotDot(QPainter& p, QPointF at, QColor c, int width) {
    // A wide pen plots a dot of that many pixels across, centred on the pixel of the point.
    const double left = std::floor(at.x()) - (width - 1) / 2;
    const double top = std::floor(at.y()) - (width - 1) / 2;
    p.fillRect(QRectF(left, top, width, width), c);
}

} // namespace

void PictureBox::PSet(double x, double y, QColor c) {
    QPainter p(&target());
    plotDot(p, toPixels(x, y), c, drawWidth_);
    drawn();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, QColor c) {
    QPainter p(&target());
    p.setPen(pen(c, drawWidth_));
    p.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    drawn();
}

void PictureBox::drawSteps(const std::vector<DrawStep>& steps) {
    QPainter p(&target());
    for (const DrawStep& s : steps) {
        const QColor c = toQColor(s.colour);
        if (s.kind == DrawStep::Kind::Dot) {
            plotDot(p, toPixels(s.from.x, s.from.y), c, s.width);
        } else {
            p.setPen(pen(c, s.width));
            p.drawLine(toPixels(s.from.x, s.from.y), toPixels(s.to.x, s.to.y));
        }
    }
    drawn();
}

void PictureBox::Refresh() {
    wipeOverlay();
    inPaint_ = true;
    emit Paint();
    inPaint_ = false;
    overlayCurrent_ = true;
    update();
}

void PictureBox::invalidate() {
    overlayCurrent_ = false;
    update();
}

void PictureBox::drawItems(QPainter& p) const {
    if (!items_)
        return;
    auto drawLine = [&](const LineItem& l) {
        if (!l.Visible)
            return;
        QPen pn(toQColor(l.BorderColor), 1);
        if (l.Dotted)
            pn.setStyle(Qt::DotLine);
        p.setPen(pn);
        p.drawLine(toPixels(l.X1, l.Y1), toPixels(l.X2, l.Y2));
    };
    auto drawHandle = [&](const Handle& h) {
        if (!h.Visible)
            return;
        // The whole shape at the view scale: its size scaled with its corner, a handle sits on
        // its point at every size as it does at the design size.
        const QRectF r(toPixels(h.Left, h.Top),
                       QSizeF(h.Width * pixelsPerMm(), h.Height * pixelsPerMm()));
        // The border lies inside the shape's bounds.
        const double bw = h.BorderWidth;
        const QRectF inner = r.adjusted(bw / 2, bw / 2, -bw / 2, -bw / 2);
        QPen pn(toQColor(h.BorderColor), bw);
        pn.setJoinStyle(Qt::MiterJoin);
        p.setPen(pn);
        switch (h.kind) {
        case Handle::Kind::Square:
            p.setBrush(Qt::NoBrush);
            p.drawRect(inner);
            break;
        case Handle::Kind::FilledSquare:
            p.setBrush(toQColor(h.BorderColor));
            p.drawRect(inner);
            break;
        case Handle::Kind::Circle:
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(inner);
            break;
        }
        p.setBrush(Qt::NoBrush);
    };
    drawLine(items_->Line1);
    drawLine(items_->Line4);
    for (const LineItem& l : items_->LinPi)
        drawLine(l);
    for (const Handle& h : items_->Shape1)
        drawHandle(h);
    for (const Handle& h : items_->shppi)
        drawHandle(h);
}

void PictureBox::setMeasureLine(std::optional<QLineF> mm) {
    measureLine_ = mm;
    update();
}

void PictureBox::composeInto(QPainter& p) const {
    p.drawImage(QPointF(0, 0), picture_);
    if (!backgroundBlank_)
        p.drawImage(QPointF(0, 0), background_);
    p.drawImage(QPointF(0, 0), overlay_);
    drawItems(p);
    if (measureLine_) {
        QPen pen(QColor(0, 255, 255), 1, Qt::DashLine);
        p.setPen(pen);
        p.drawLine(toPixels(measureLine_->x1(), measureLine_->y1()),
                   toPixels(measureLine_->x2(), measureLine_->y2()));
    }
}

bool PictureBox::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal)
        followScreen();
    return QWidget::event(event);
}

void PictureBox::paintEvent(QPaintEvent*) {
    // A change of screen or of its scale shows here at the latest.
    followScreen();
    ensureLayers();
    if (!overlayCurrent_) {
        // A repaint of the window wipes the overlay; the Paint handler redraws it.
        wipeOverlay();
        inPaint_ = true;
        emit Paint();
        inPaint_ = false;
    }
    overlayCurrent_ = false;
    QPainter p(this);
    composeInto(p);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    followSize();
}

void PictureBox::followSize() {
    const QSize px = size();
    if (!designPx_.isEmpty()) {
        // The view scale follows the surface; at the design size the design's millimetres
        // stay exact.
        const double s = std::min(double(px.width()) / designPx_.width(),
                                  double(px.height()) / designPx_.height());
        if (s != viewScale_) {
            viewScale_ = s;
            blankLayers(); // nothing drawn at the old scale stays; the resize handler redraws
        }
        if (px == designPx_) {
            scaleW_ = designMm_.width();
            scaleH_ = designMm_.height();
        } else {
            scaleW_ = px.width() / pixelsPerMm();
            scaleH_ = px.height() / pixelsPerMm();
        }
    } else if (px != QSize(qRound(scaleW_ * pxPerMm_), qRound(scaleH_ * pxPerMm_))) {
        // A size given from outside (a layout) changes the millimetre size; setScaleSize
        // keeps the exact millimetres it was given.
        scaleW_ = px.width() / pxPerMm_;
        scaleH_ = px.height() / pxPerMm_;
    }
    ensureLayers();
    overlayCurrent_ = false;
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseDown(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseMove(mouseButtonCode(event->buttons()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseUp(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                 mm.y());
}

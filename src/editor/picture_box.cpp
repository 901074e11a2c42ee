#include "picture_box.h"

#include "view3d/event_codes.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

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
    resize(qRound(scaleW_ * pxPerMm_), qRound(scaleH_ * pxPerMm_));
    ensureLayers();
}

void PictureBox::placeChild(QWidget* child, QRectF mm) {
    const QPointF tl = toPixels(mm.left(), mm.top());
    child->setGeometry(qRound(tl.x()), qRound(tl.y()), qRound(mm.width() * pxPerMm_),
                       qRound(mm.height() * pxPerMm_));
}

void PictureBox::ensureLayers() {
    const qreal dpr = devicePixelRatioF();
    const QSize px = size() * dpr;
    if (background_.size() == px && background_.devicePixelRatio() == dpr)
        return;
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
        p.drawImage(QRectF(at.dstX, at.dstY, at.dstW, at.dstH), picture,
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
        const QPointF tl = toPixels(h.Left, h.Top);
        QRectF r(tl, QSizeF(h.Width * pxPerMm_, h.Height * pxPerMm_));
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

void PictureBox::composeInto(QPainter& p) const {
    p.drawImage(QPointF(0, 0), picture_);
    if (!backgroundBlank_)
        p.drawImage(QPointF(0, 0), background_);
    p.drawImage(QPointF(0, 0), overlay_);
    drawItems(p);
}

void PictureBox::paintEvent(QPaintEvent*) {
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

void PictureBox::resizeEvent(QResizeEvent* event) {
    // A size given from outside (a layout) changes the millimetre size; setScaleSize keeps
    // the exact millimetres it was given.
    if (event->size() != QSize(qRound(scaleW_ * pxPerMm_), qRound(scaleH_ * pxPerMm_))) {
        scaleW_ = event->size().width() / pxPerMm_;
        scaleH_ = event->size().height() / pxPerMm_;
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

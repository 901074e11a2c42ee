#include "view3d/frm3d_picture.h"

#include "view3d/event_codes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

Frm3DPicture::Frm3DPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a button count too: they set the start of the next drag.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(Qt::black);
}

int Frm3DPicture::keyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        return qtKey; // never below 32, so never taken for a modifier
    }
}

QSize Frm3DPicture::deviceSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
}

void Frm3DPicture::showImageParts(const std::vector<QRect>& parts) {
    if (parts.empty()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    // The parts in the surface's pixels, merged pairwise so that many cost little more than
    // their count.
    std::vector<QRegion> level;
    level.reserve(parts.size());
    for (const QRect& part : parts) {
        level.emplace_back(
            QRectF(part.x() / ratio, part.y() / ratio, part.width() / ratio, part.height() / ratio)
                .toAlignedRect());
    }
    while (level.size() > 1) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < level.size(); i += 2) {
            level[n++] = i + 1 < level.size() ? level[i].united(level[i + 1]) : level[i];
        }
        level.resize(n);
    }
    update(level.front());
}

void Frm3DPicture::paintEvent(QPaintEvent* event) {
    // On another screen the ratio may have changed: the next frame is drawn at the new one.
    fitImage();
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    for (const QRect& r : event->region()) {
        // Whole image pixels, one on one device pixel.
        const QRect source =
            QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio)
                .toAlignedRect() &
            image_.rect();
        const QRectF target(source.x() / ratio, source.y() / ratio, source.width() / ratio,
                            source.height() / ratio);
        if (!target.contains(QRectF(r))) {
            p.fillRect(r, Qt::black); // beyond the image's last whole pixel
        }
        if (!source.isEmpty()) {
            p.drawImage(target, image_, QRectF(source));
        }
    }
}

void Frm3DPicture::resizeEvent(QResizeEvent*) {
    fitImage();
}

void Frm3DPicture::fitImage() {
    const QSize size = deviceSize();
    if (size == image_.size()) {
        return;
    }
    QImage grown(size, QImage::Format_RGB32);
    // The image stays at ratio 1, as the engine draws in its pixels; text keeps its size on
    // screen through the image's resolution.
    const qreal ratio = devicePixelRatioF();
    grown.setDotsPerMeterX(qRound(grown.dotsPerMeterX() * ratio));
    grown.setDotsPerMeterY(qRound(grown.dotsPerMeterY() * ratio));
    grown.fill(Qt::black);
    QPainter p(&grown);
    p.drawImage(QPoint(0, 0), image_);
    p.end();
    image_ = grown;
    emit imageResized();
}

void Frm3DPicture::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit MouseMove(mouseButtonCode(event->buttons()), shiftKeyCode(event->modifiers()),
                   static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void Frm3DPicture::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        emit KeyUp(keyCode(event->key()));
    }
    QWidget::keyReleaseEvent(event);
}

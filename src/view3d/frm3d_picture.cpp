#include "view3d/frm3d_picture.h"

#include "view3d/event_codes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

void Frm3DPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(QPoint(0, 0), image_);
}

void Frm3DPicture::resizeEvent(QResizeEvent*) {
    fitImage();
}

void Frm3DPicture::fitImage() {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (size == image_.size()) {
        return;
    }
    QImage grown(size, QImage::Format_RGB32);
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

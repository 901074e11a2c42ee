#include "view3d/view_button_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace {

constexpr int kSize = 24; // logical pixels

QPixmap blank() {
    QPixmap pm(kSize * 2, kSize * 2); // drawn at twice the size, sharp on dense screens
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    return pm;
}

// The front and back squares of a cube seen slightly from above and the side.
void cubePaths(QPainterPath& front, QPainterPath& top, QPainterPath& side) {
    front.addRect(QRectF(3, 9, 12, 12));
    top.moveTo(3, 9);
    top.lineTo(9, 3);
    top.lineTo(21, 3);
    top.lineTo(15, 9);
    top.closeSubpath();
    side.moveTo(15, 9);
    side.lineTo(21, 3);
    side.lineTo(21, 15);
    side.lineTo(15, 21);
    side.closeSubpath();
}

void drawSurface(QPainter& p) {
    QRadialGradient g(QPointF(9, 8), 14);
    g.setColorAt(0.0, QColor(255, 235, 235));
    g.setColorAt(0.35, QColor(220, 60, 60));
    g.setColorAt(1.0, QColor(60, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 20, 20));
}

void drawCube(QPainter& p, bool filled, bool hidden) {
    QPainterPath front, top, side;
    cubePaths(front, top, side);
    if (filled) {
        p.setPen(QPen(QColor(240, 240, 240), 1.0));
        p.setBrush(QColor(150, 20, 20));
        p.drawPath(side);
        p.setBrush(QColor(190, 40, 40));
        p.drawPath(top);
        p.setBrush(QColor(120, 10, 10));
        p.drawPath(front);
        return;
    }
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(front);
    p.drawPath(top);
    p.drawPath(side);
    if (hidden) {
        // The edges at the back, seen through the cube.
        p.drawLine(QPointF(9, 3), QPointF(9, 15));
        p.drawLine(QPointF(9, 15), QPointF(3, 21));
        p.drawLine(QPointF(9, 15), QPointF(21, 15));
    }
}

void drawTransparent(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 120), 1.0));
    p.setBrush(QColor(60, 90, 220, 120));
    p.drawRect(QRectF(3, 3, 13, 13));
    p.setBrush(QColor(220, 60, 60, 120));
    p.drawRect(QRectF(8, 8, 13, 13));
}

void drawSilhouette(QPainter& p) {
    QPainterPath front, top, side;
    cubePaths(front, top, side);
    const QPainterPath outline = front.united(top).united(side).simplified();
    p.setPen(QPen(QColor(20, 20, 20), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

// Formers of a fuselage seen from the side and the front, the farthest first, along their axis;
// the one being edited in the former's red, the others grey.
void drawFuselage(QPainter& p) {
    const struct {
        QRectF ring;
        bool current;
    } formers[] = {{QRectF(16, 3, 5, 7), false},
                   {QRectF(11.5, 4, 7, 11), false},
                   {QRectF(6.5, 5.5, 8, 13), true},
                   {QRectF(2, 8.5, 7, 11), false}};
    p.setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DashLine));
    p.drawLine(QPointF(1, 17), QPointF(23, 4));
    p.setBrush(Qt::NoBrush);
    for (const auto& f : formers) {
        p.setPen(f.current ? QPen(QColor(170, 20, 20), 2.2) : QPen(QColor(110, 110, 110), 1.4));
        p.drawEllipse(f.ring);
    }
}

// The former: a rounded ring, standing like the outline on the editor's surface.
QPainterPath formerRing() {
    QPainterPath ring;
    ring.addRoundedRect(QRectF(3, 2, 18, 20), 6, 6);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(7, 6, 10, 12), 3, 3);
    return ring.subtracted(inner);
}

void drawPiece(QPainter& p, PiecePicture which) {
    const QPainterPath ring = formerRing();
    QRectF keep(0, 0, kSize, kSize);
    switch (which) {
    case PiecePicture::Whole:
        break;
    case PiecePicture::Left:
        keep = QRectF(0, 0, kSize / 2.0, kSize);
        break;
    case PiecePicture::Right:
        keep = QRectF(kSize / 2.0, 0, kSize / 2.0, kSize);
        break;
    case PiecePicture::Top:
        keep = QRectF(0, 0, kSize, kSize / 2.0);
        break;
    case PiecePicture::Bottom:
        keep = QRectF(0, kSize / 2.0, kSize, kSize / 2.0);
        break;
    }
    QPainterPath clip;
    clip.addRect(keep);
    // The whole ring faintly, the chosen piece in the former's red.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 200));
    p.drawPath(ring);
    p.setPen(QPen(QColor(60, 0, 0), 1.0));
    p.setBrush(QColor(170, 20, 20));
    p.drawPath(ring.intersected(clip));
}

} // namespace

QIcon viewButtonIcon(ViewPicture which) {
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case ViewPicture::Surface:
        drawSurface(p);
        break;
    case ViewPicture::WireFrame:
        drawCube(p, false, true);
        break;
    case ViewPicture::Transparent:
        drawTransparent(p);
        break;
    case ViewPicture::Silhouette:
        drawSilhouette(p);
        break;
    case ViewPicture::Solid:
        drawCube(p, true, false);
        break;
    case ViewPicture::Fuselage:
        drawFuselage(p);
        break;
    }
    p.end();
    return QIcon(pm);
}

QIcon pieceButtonIcon(PiecePicture which) {
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawPiece(p, which);
    p.end();
    return QIcon(pm);
}

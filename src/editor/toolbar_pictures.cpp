#include "toolbar_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

constexpr int kSize = 24; // logical pixels

void drawOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 80, 10), 1.2));
    p.setBrush(QColor(230, 180, 60));
    QPainterPath back;
    back.moveTo(2, 6);
    back.lineTo(9, 6);
    back.lineTo(11, 8);
    back.lineTo(20, 8);
    back.lineTo(20, 19);
    back.lineTo(2, 19);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 210, 90));
    QPainterPath front;
    front.moveTo(2, 19);
    front.lineTo(5, 11);
    front.lineTo(23, 11);
    front.lineTo(20, 19);
    front.closeSubpath();
    p.drawPath(front);
}

void drawSave(QPainter& p) {
    p.setPen(QPen(QColor(20, 30, 90), 1.2));
    p.setBrush(QColor(50, 80, 180));
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(6, 3.5, 12, 7));
    p.setBrush(QColor(30, 30, 40));
    p.drawRect(QRectF(8, 14, 8, 7));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(13, 15, 2, 4));
}

void drawDotted(QPainter& p) {
    const QPointF pts[] = {{3, 19}, {8, 6}, {15, 15}, {21, 4}};
    QPen dots(QColor(0, 170, 0), 1.6);
    dots.setStyle(Qt::DotLine);
    p.setPen(dots);
    p.drawPolyline(pts, 4);
    p.setPen(QPen(QColor(220, 0, 0), 1.4));
    p.setBrush(Qt::NoBrush);
    for (const QPointF& q : pts)
        p.drawRect(QRectF(q.x() - 1.8, q.y() - 1.8, 3.6, 3.6));
}

void drawPoints(QPainter& p) {
    QPainterPath curve;
    curve.moveTo(3, 20);
    curve.cubicTo(4, 4, 20, 4, 21, 20);
    p.setPen(QPen(QColor(200, 170, 0), 1.6));
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 0, 0));
    for (qreal t = 0.0; t <= 1.0001; t += 0.2)
        p.drawEllipse(curve.pointAtPercent(t), 1.9, 1.9);
}

void drawHandles(QPainter& p) {
    p.setPen(QPen(QColor(255, 0, 255), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(5, 5), 3, 3);
    p.drawEllipse(QPointF(5, 19), 3, 3);
    p.setPen(QPen(QColor(220, 0, 0), 2));
    p.drawRect(QRectF(11, 3, 5, 5));
    p.drawRect(QRectF(17, 10, 5, 5));
    p.drawRect(QRectF(11, 17, 5, 5));
}

void drawArrow(QPainter& p, QPointF from, QPointF to, QColor c) {
    p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const QPointF head[] = {to + d * 1.5, to - d * 3 + n * 2.5, to - d * 3 - n * 2.5};
    p.drawPolygon(head, 3);
    p.setBrush(Qt::NoBrush);
}

void drawAxes(QPainter& p) {
    const QPointF o(8, 16);
    drawArrow(p, o, {20, 16}, QColor(220, 0, 0));
    drawArrow(p, o, {8, 3}, QColor(0, 170, 0));
    drawArrow(p, o, {2.5, 21.5}, QColor(0, 60, 230));
}

void drawView3D(QPainter& p) {
    p.setPen(QPen(QColor(30, 60, 150), 1.4));
    p.setBrush(QColor(120, 160, 230, 120));
    const QRectF front(3, 8, 12, 12);
    const QPointF off(6, -5);
    p.drawRect(front.translated(off));
    p.drawRect(front);
    p.drawLine(front.topLeft(), front.topLeft() + off);
    p.drawLine(front.topRight(), front.topRight() + off);
    p.drawLine(front.bottomRight(), front.bottomRight() + off);
    p.drawLine(front.bottomLeft(), front.bottomLeft() + off);
}

void drawGrid(QPainter& p) {
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(2, 2, 20, 20));
    QPen g(QColor(0, 192, 0), 1.2);
    g.setStyle(Qt::DashLine);
    p.setPen(g);
    for (int i = 0; i < 4; ++i) {
        const qreal v = 4.5 + i * 5;
        p.drawLine(QPointF(v, 2), QPointF(v, 22));
        p.drawLine(QPointF(2, v), QPointF(22, v));
    }
}

void drawPicture(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 20), 1.4));
    p.setBrush(QColor(150, 200, 250));
    p.drawRect(QRectF(2, 4, 20, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 0));
    p.drawEllipse(QPointF(16.5, 8.5), 2.2, 2.2);
    p.setBrush(QColor(40, 140, 50));
    const QPointF hills[] = {{2.7, 19.3}, {8, 10}, {12, 15}, {15, 12}, {21.3, 19.3}};
    p.drawPolygon(hills, 5);
}

void drawFit(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.4));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(3, 3, 18, 18));
    const QPointF centre(12, 12);
    for (const QPointF corner :
         {QPointF(4.5, 4.5), QPointF(19.5, 4.5), QPointF(19.5, 19.5), QPointF(4.5, 19.5)})
        drawArrow(p, centre + (corner - centre) * 0.3, corner, QColor(0, 110, 200));
}

} // namespace

QIcon toolbarIcon(ToolbarPicture which) {
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap pm(QSize(kSize, kSize) * dpr);
        pm.setDevicePixelRatio(dpr);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        switch (which) {
        case ToolbarPicture::Open:
            drawOpen(p);
            break;
        case ToolbarPicture::Save:
            drawSave(p);
            break;
        case ToolbarPicture::Dotted:
            drawDotted(p);
            break;
        case ToolbarPicture::Points:
            drawPoints(p);
            break;
        case ToolbarPicture::Handles:
            drawHandles(p);
            break;
        case ToolbarPicture::Axes:
            drawAxes(p);
            break;
        case ToolbarPicture::View3D:
            drawView3D(p);
            break;
        case ToolbarPicture::Grid:
            drawGrid(p);
            break;
        case ToolbarPicture::Picture:
            drawPicture(p);
            break;
        case ToolbarPicture::Fit:
            drawFit(p);
            break;
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

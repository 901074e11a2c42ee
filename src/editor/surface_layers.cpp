#include "editor/surface_layers.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

void LayerBuffer::fit(QSize size, qreal ratio, QImage::Format format, QRgb fill, bool keep) {
    if (size.isEmpty()) {
        view_ = QImage();
        return;
    }
    const QImage old = view_; // shares the pixels while they are copied
    keep = keep && !old.isNull() && old.format() == format;
    std::unique_ptr<quint32[]> previous; // what `old` may show, until it is copied
    if (!buffer_ || size.width() > capacity_.width() || size.height() > capacity_.height()) {
        previous = std::move(buffer_);
        capacity_ = capacity_.expandedTo(size);
        buffer_.reset(
            new quint32[std::size_t(capacity_.width()) * std::size_t(capacity_.height())]);
    }
    uchar* bits = reinterpret_cast<uchar*>(buffer_.get());
    const qsizetype stride = qsizetype(capacity_.width()) * 4;
    if (keep && old.constBits() != bits) {
        // The pixels live elsewhere (a copy was drawn on, or the buffer grew): bring them over.
        const int w = std::min(old.width(), size.width());
        for (int y = 0; y < std::min(old.height(), size.height()); ++y)
            std::memcpy(bits + y * stride, old.constScanLine(y), std::size_t(w) * 4);
    }
    view_ = QImage(bits, size.width(), size.height(), stride, format);
    view_.setDevicePixelRatio(ratio);
    if (!keep) {
        fillDevice(view_.rect(), fill);
        return;
    }
    // What the layer gains takes the fill.
    fillDevice(
        QRect(old.width(), 0, size.width() - old.width(), std::min(old.height(), size.height())),
        fill);
    fillDevice(QRect(0, old.height(), size.width(), size.height() - old.height()), fill);
}

QImage LayerBuffer::devicePixels() {
    return QImage(view_.bits(), view_.width(), view_.height(), view_.bytesPerLine(),
                  view_.format());
}

void LayerBuffer::fillDevice(const QRect& r, QRgb fill) {
    const QRect area = r & view_.rect();
    if (area.isEmpty())
        return;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(view_.scanLine(y));
        std::fill(row + area.left(), row + area.right() + 1, fill);
    }
}

QRect toDevice(const QRectF& logical, qreal ratio) {
    return QRectF(logical.x() * ratio, logical.y() * ratio, logical.width() * ratio,
                  logical.height() * ratio)
        .toAlignedRect();
}

QRect toLogical(const QRect& device, qreal ratio) {
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                  device.height() / ratio)
        .toAlignedRect();
}

namespace {

QRectF dotRect(QPointF at, int width) {
    // A dot of that many pixels across, centred on the pixel of the point.
    return QRectF(std::floor(at.x()) - (width - 1) / 2, std::floor(at.y()) - (width - 1) / 2, width,
                  width);
}

} // namespace

QPen strokePen(QRgb colour, int width, Stroke::Style style) {
    // Widths are logical pixels, so a HiDPI screen draws the same lines, only finer.
    QPen p(QColor::fromRgba(colour), width);
    // A wide pen always draws solid; dashes and dots are for the thin one.
    if (width == 1 && style == Stroke::Style::Dash)
        p.setStyle(Qt::DashLine);
    else if (width == 1 && style == Stroke::Style::Dot)
        p.setStyle(Qt::DotLine);
    else if (width > 1)
        p.setCapStyle(Qt::RoundCap);
    return p;
}

Stroke makeStroke(Stroke::Kind kind, Stroke::Style style, int width, QRgb colour, QPointF from,
                  QPointF to, qreal ratio, const QRect& layer) {
    Stroke s{kind, style, width, colour, from, to, {}, layer, {}, {}};
    if (kind == Stroke::Kind::Dot) {
        s.bounds = toDevice(dotRect(from, width), ratio) & layer;
    } else {
        // The pen reaches half its width beyond the line's ends and sides, its square cap's
        // corners that times the square root of two; the thin pen's pixels, picked along the
        // line, lie up to a pixel beyond its ends.
        const double reach = std::max(width * 0.7072, 1.0);
        s.bounds =
            toDevice(QRectF(from, to).normalized().adjusted(-reach, -reach, reach, reach), ratio) &
            layer;
    }
    return s;
}

void paintStroke(QPainter& p, const Stroke& s, qreal ratio, const QRect& layer) {
    const bool cut = s.clip != layer;
    if (cut) {
        p.save();
        p.setClipRect(QRectF(s.clip.x() / ratio, s.clip.y() / ratio, s.clip.width() / ratio,
                             s.clip.height() / ratio),
                      Qt::IntersectClip);
    }
    if (s.kind == Stroke::Kind::Dot) {
        p.fillRect(dotRect(s.from, s.width), QColor::fromRgba(s.colour));
    } else {
        p.setPen(strokePen(s.colour, s.width, s.style));
        p.drawLine(s.from, s.to);
    }
    if (cut)
        p.restore();
}

QRegion unionOf(std::vector<QRect> rects) {
    rects.erase(
        std::remove_if(rects.begin(), rects.end(), [](const QRect& r) { return r.isEmpty(); }),
        rects.end());
    // Neighbours first, so that the partial unions stay small.
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    std::vector<QRegion> level(rects.begin(), rects.end());
    while (level.size() > 1) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < level.size(); i += 2)
            level[n++] = i + 1 < level.size() ? level[i].united(level[i + 1]) : level[i];
        level.resize(n);
    }
    return level.empty() ? QRegion() : level.front();
}

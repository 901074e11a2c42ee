#include "view3d/qimage_canvas.h"

#include "engine3d/triangle_raster.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb kOpaque = 0xFF000000u;
constexpr QRgb kColourBits = 0x00FFFFFFu;

// What each pen does to one pixel: the colour replaces it, is OR-ed into it, or the pixel is
// inverted whatever the colour.
inline void applyPen(QRgb& pixel, PenMode mode, QRgb rgb) {
    switch (mode) {
    case PenMode::Copy:
        pixel = kOpaque | rgb;
        break;
    case PenMode::Merge:
        pixel = kOpaque | pixel | rgb;
        break;
    case PenMode::Invert:
        pixel = kOpaque | ((pixel ^ kColourBits) & kColourBits);
        break;
    }
}

QColor toQColor(Colour3 c) {
    return QColor::fromRgb(kOpaque | toRgb(c));
}

QPainter::CompositionMode compositionFor(PenMode mode) {
    switch (mode) {
    case PenMode::Merge:
        return QPainter::RasterOp_SourceOrDestination;
    case PenMode::Invert:
        return QPainter::RasterOp_NotDestination;
    case PenMode::Copy:
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

QImageCanvas::QImageCanvas(QImage& image) : image_(image) {
    usable();
}

bool QImageCanvas::usable() {
    // The owner may have replaced the image since: pixels are written as 32-bit words.
    const QImage::Format f = image_.format();
    if (!image_.isNull() && f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied) {
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    }
    return !image_.isNull();
}

void QImageCanvas::clear() {
    image_.fill(toQColor(background_));
}

void QImageCanvas::polygon(const PixelPoint (&points)[3]) {
    if (!usable()) {
        return;
    }
    if (fill_) {
        uchar* bits = image_.bits();
        const qsizetype stride = image_.bytesPerLine();
        const QRgb rgb = toRgb(fillColour_);
        const PenMode mode = penMode_;
        const auto paintSpan = [&](const raster::Span& s) {
            QRgb* row = reinterpret_cast<QRgb*>(bits + s.y * stride);
            for (int x = s.xBegin; x < s.xEnd; ++x) {
                applyPen(row[x], mode, rgb);
            }
        };
        raster::forEachSpan(points, width(), height(), paintSpan, &rasterSteps_);
    }
    if (outline_) {
        strokeOutline(points);
    }
}

void QImageCanvas::strokeOutline(const PixelPoint (&points)[3]) {
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    const QRgb rgb = toRgb(outlineColour_);
    const int w = width();
    const int h = height();
    if (penMode_ != PenMode::Invert) {
        // Painting a pixel twice with these pens changes nothing.
        const auto paint = [&](int x, int y) {
            applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], penMode_, rgb);
        };
        for (int k = 0; k < 3; ++k) {
            raster::forEachLinePixel(points[k], points[(k + 1) % 3], w, h, paint, &rasterSteps_);
        }
        return;
    }
    // The invert pen must touch every pixel of the closed outline once, corners included.
    outlinePixels_.clear();
    const auto list = [&](int x, int y) {
        outlinePixels_.push_back((std::uint64_t(std::uint32_t(y)) << 32) | std::uint32_t(x));
    };
    for (int k = 0; k < 3; ++k) {
        raster::forEachLinePixel(points[k], points[(k + 1) % 3], w, h, list, &rasterSteps_);
    }
    std::sort(outlinePixels_.begin(), outlinePixels_.end());
    outlinePixels_.erase(std::unique(outlinePixels_.begin(), outlinePixels_.end()),
                         outlinePixels_.end());
    for (std::uint64_t p : outlinePixels_) {
        const int x = static_cast<int>(p & 0xFFFFFFFFu);
        const int y = static_cast<int>(p >> 32);
        applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], PenMode::Invert, rgb);
    }
}

bool QImageCanvas::gradientTriangle(const GradientVertex (&corners)[3]) {
    if (!usable()) {
        return false;
    }
    const PixelPoint points[3] = {
        {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {corners[2].x, corners[2].y}};
    // Channels arrive as 16-bit values; the image holds 8 bits, so they are interpolated in
    // units of 1/256 of the 16-bit value.
    double channel[3][3];
    for (int k = 0; k < 3; ++k) {
        channel[0][k] = corners[k].red / 256.0;
        channel[1][k] = corners[k].green / 256.0;
        channel[2][k] = corners[k].blue / 256.0;
    }
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    // The per-pixel steps are the same on every row; they are worked out on the first one.
    bool planeReady = false;
    double inv = 0.0;
    std::int64_t step[3] = {};
    const auto paintSpan = [&](const raster::Span& s) {
        // Barycentric weights are e[k] / area2; each channel is a plane over the triangle,
        // stepped along the row in 16.16 fixed point from an exact start.
        if (!planeReady) {
            planeReady = true;
            inv = 1.0 / static_cast<double>(s.area2);
            for (int c = 0; c < 3; ++c) {
                double perPixel = 0.0;
                for (int k = 0; k < 3; ++k) {
                    perPixel += static_cast<double>(s.step[k]) * channel[c][k];
                }
                step[c] = std::llround(perPixel * inv * 65536.0);
            }
        }
        std::int64_t value[3];
        for (int c = 0; c < 3; ++c) {
            double start = 0.0;
            for (int k = 0; k < 3; ++k) {
                start += static_cast<double>(s.e[k]) * channel[c][k];
            }
            value[c] = std::llround(start * inv * 65536.0) + 32768; // + 1/2: round to nearest
        }
        QRgb* row = reinterpret_cast<QRgb*>(bits + s.y * stride);
        // The channels are linear along the row: when both ends stay within 0..255 every
        // pixel between does, and the loop can skip the limits.
        const std::int64_t last = s.xEnd - s.xBegin - 1;
        bool inRange = true;
        for (int c = 0; c < 3; ++c) {
            const std::int64_t end = value[c] + step[c] * last;
            inRange = inRange && std::min(value[c], end) >= 0 &&
                      std::max(value[c], end) < (std::int64_t(256) << 16);
        }
        if (inRange) {
            auto r = static_cast<std::uint32_t>(value[0]);
            auto g = static_cast<std::uint32_t>(value[1]);
            auto b = static_cast<std::uint32_t>(value[2]);
            const auto dr = static_cast<std::uint32_t>(step[0]);
            const auto dg = static_cast<std::uint32_t>(step[1]);
            const auto db = static_cast<std::uint32_t>(step[2]);
            for (int x = s.xBegin; x < s.xEnd; ++x) {
                row[x] = kOpaque | ((r >> 16) << 16) | ((g >> 16) << 8) | (b >> 16);
                r += dr; // wraps like signed addition would, and stays in range
                g += dg;
                b += db;
            }
            return;
        }
        for (int x = s.xBegin; x < s.xEnd; ++x) {
            const auto r = static_cast<QRgb>(std::clamp<std::int64_t>(value[0] >> 16, 0, 255));
            const auto g = static_cast<QRgb>(std::clamp<std::int64_t>(value[1] >> 16, 0, 255));
            const auto b = static_cast<QRgb>(std::clamp<std::int64_t>(value[2] >> 16, 0, 255));
            row[x] = kOpaque | (r << 16) | (g << 8) | b;
            value[0] += step[0];
            value[1] += step[1];
            value[2] += step[2];
        }
    };
    raster::forEachSpan(points, width(), height(), paintSpan, &rasterSteps_);
    return true;
}

void QImageCanvas::setPixel(PixelPoint at, Colour3 colour) {
    if (!usable() || at.x < 0 || at.y < 0 || at.x >= width() || at.y >= height()) {
        return;
    }
    reinterpret_cast<QRgb*>(image_.scanLine(at.y))[at.x] = kOpaque | toRgb(colour);
}

void QImageCanvas::line(PixelPoint from, PixelPoint to) {
    if (!outline_ || !usable()) {
        return;
    }
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    const QRgb rgb = toRgb(outlineColour_);
    const auto paint = [&](int x, int y) {
        applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], penMode_, rgb);
    };
    raster::forEachLinePixel(from, to, width(), height(), paint, &rasterSteps_);
}

void QImageCanvas::bezier(const PixelPoint (&points)[4]) {
    if (!outline_ || !usable()) {
        return;
    }
    QPainterPath path(QPointF(points[0].x, points[0].y));
    path.cubicTo(QPointF(points[1].x, points[1].y), QPointF(points[2].x, points[2].y),
                 QPointF(points[3].x, points[3].y));
    QPainter painter(&image_);
    painter.setCompositionMode(compositionFor(penMode_));
    QPen pen(toQColor(outlineColour_));
    pen.setWidth(0); // one pixel, whatever the transform
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void QImageCanvas::text(PixelPoint at, std::string_view text) {
    if (text.empty() || !usable()) {
        return;
    }
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(toQColor(textColour_));
    // The point is the text's top-left corner; QPainter places the baseline.
    painter.drawText(QPoint(at.x, at.y + painter.fontMetrics().ascent()),
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

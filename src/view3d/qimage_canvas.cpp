#include "view3d/qimage_canvas.h"

#include "engine3d/triangle_raster.h"
#include "engine3d/vector_maths.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <type_traits>

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

// Calls paint(first, last) on the pixels of every covered run of the triangle.
template <typename Paint>
void paintRuns(const PixelPoint (&points)[3], QImage& image, std::int64_t* steps, Paint paint) {
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    raster::forEachRun(
        points, image.width(), image.height(),
        [bits, stride, &paint](int y, int xBegin, int xEnd) {
            QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
            paint(row + xBegin, row + xEnd);
        },
        steps);
}

// Calls f with the pen as a compile-time constant, so that the pixel loops need not ask.
template <typename F> void withPen(PenMode mode, F f) {
    switch (mode) {
    case PenMode::Copy:
        f(std::integral_constant<PenMode, PenMode::Copy>{});
        break;
    case PenMode::Merge:
        f(std::integral_constant<PenMode, PenMode::Merge>{});
        break;
    case PenMode::Invert:
        f(std::integral_constant<PenMode, PenMode::Invert>{});
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

void QImageCanvas::setBackgroundColour(Colour3 colour) {
    if (!(colour == background_)) {
        background_ = colour;
        backgroundElsewhere_ = false;
    }
}

bool QImageCanvas::usable() {
    if (image_.size() != changed_.image()) {
        drawn_.fit(image_.size());
        changed_.fit(image_.size());
    }
    if (image_.cacheKey() != imageKey_) {
        // Replaced, or written by someone else: what it holds is not known.
        backgroundElsewhere_ = false;
        changed_.addAll();
    }
    // The owner may have replaced the image since: pixels are written as 32-bit words.
    const QImage::Format f = image_.format();
    if (!image_.isNull() && f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied) {
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    }
    return !image_.isNull();
}

void QImageCanvas::Tiles::fit(QSize image) {
    image_ = image;
    columns_ = (std::max(image.width(), 0) + kTile - 1) / kTile;
    rows_ = (std::max(image.height(), 0) + kTile - 1) / kTile;
    marks_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0);
    any_ = false;
}

void QImageCanvas::Tiles::add(int left, int top, int right, int bottom) {
    if (right < left || bottom < top) {
        return;
    }
    for (int r = top / kTile; r <= bottom / kTile; ++r) {
        std::uint8_t* row = marks_.data() + static_cast<std::size_t>(r) * columns_;
        std::fill(row + left / kTile, row + right / kTile + 1, std::uint8_t(1));
    }
    any_ = true;
}

void QImageCanvas::Tiles::add(const Tiles& other) {
    if (other.empty()) {
        return;
    }
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        marks_[i] |= other.marks_[i];
    }
    any_ = true;
}

void QImageCanvas::Tiles::clear() {
    if (any_) {
        std::fill(marks_.begin(), marks_.end(), std::uint8_t(0));
    }
    any_ = false;
}

bool QImageCanvas::Tiles::all() const {
    return any_ && std::all_of(marks_.begin(), marks_.end(), [](std::uint8_t m) { return m; });
}

std::vector<QRect> QImageCanvas::Tiles::runs() const {
    std::vector<QRect> out;
    if (!any_) {
        return out;
    }
    const QRect whole(QPoint(0, 0), image_);
    for (int r = 0; r < rows_; ++r) {
        const std::uint8_t* row = marks_.data() + static_cast<std::size_t>(r) * columns_;
        for (int c = 0; c < columns_;) {
            if (!row[c]) {
                ++c;
                continue;
            }
            const int first = c;
            while (c < columns_ && row[c]) {
                ++c;
            }
            out.push_back(QRect(first * kTile, r * kTile, (c - first) * kTile, kTile) & whole);
        }
    }
    return out;
}

template <std::size_t N> void QImageCanvas::touched(const PixelPoint (&points)[N], int margin) {
    int left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const PixelPoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    // Corners saturate at 2^28, so the margin cannot overflow.
    touched(left - margin, top - margin, right + margin, bottom + margin);
}

void QImageCanvas::touched(int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_.width() - 1);
    bottom = std::min(bottom, image_.height() - 1);
    if (left <= right && top <= bottom) {
        drawn_.add(left, top, right, bottom);
        changed_.add(left, top, right, bottom);
    }
}

void QImageCanvas::touchedLine(PixelPoint from, PixelPoint to) {
    const double dx = double(to.x) - from.x;
    const double dy = double(to.y) - from.y;
    const double longest = std::max(std::abs(dx), std::abs(dy));
    // Pieces about a tile long; a line that crosses the image from afar is cut to it first
    // by the raster, so only pieces that reach the image count.
    const int pieces = static_cast<int>(std::min(std::ceil(longest / kTile), 1024.0));
    if (pieces <= 2) {
        const PixelPoint ends[2] = {from, to};
        touched(ends, 1);
        return;
    }
    double x0 = from.x, y0 = from.y;
    for (int k = 1; k <= pieces; ++k) {
        const double x1 = from.x + dx * k / pieces;
        const double y1 = from.y + dy * k / pieces;
        touched(static_cast<int>(std::floor(std::min(x0, x1))) - 1,
                static_cast<int>(std::floor(std::min(y0, y1))) - 1,
                static_cast<int>(std::ceil(std::max(x0, x1))) + 1,
                static_cast<int>(std::ceil(std::max(y0, y1))) + 1);
        x0 = x1;
        y0 = y1;
    }
}

std::vector<QRect> QImageCanvas::takeChanged() {
    std::vector<QRect> parts = changed_.runs();
    changed_.clear();
    return parts;
}

void QImageCanvas::clear() {
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    if (!backgroundElsewhere_ || drawn_.all()) {
        image_.fill(toQColor(background_));
        changed_.addAll();
    } else {
        const QRgb colour = kOpaque | toRgb(background_);
        uchar* bits = image_.bits();
        const qsizetype stride = image_.bytesPerLine();
        for (const QRect& fill : drawn_.runs()) {
            for (int y = fill.top(); y <= fill.bottom(); ++y) {
                QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
                std::fill(row + fill.left(), row + fill.right() + 1, colour);
            }
        }
        changed_.add(drawn_);
    }
    drawn_.clear();
    backgroundElsewhere_ = true;
}

void QImageCanvas::polygon(const PixelPoint (&points)[3]) {
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    if (fill_) {
        const QRgb rgb = toRgb(fillColour_);
        withPen(penMode_, [&](auto pen) {
            paintRuns(points, image_, &rasterSteps_, [rgb](QRgb* first, QRgb* last) {
                if constexpr (decltype(pen)::value == PenMode::Copy) {
                    std::fill(first, last, kOpaque | rgb);
                } else {
                    for (; first != last; ++first) {
                        applyPen(*first, decltype(pen)::value, rgb);
                    }
                }
            });
        });
    }
    if (outline_) {
        strokeOutline(points);
    }
    if (fill_) {
        touched(points);
    } else if (outline_) {
        for (int k = 0; k < 3; ++k) {
            touchedLine(points[k], points[(k + 1) % 3]);
        }
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
        withPen(penMode_, [&](auto pen) {
            const auto paint = [bits, stride, rgb](int x, int y) {
                applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], decltype(pen)::value, rgb);
            };
            for (int k = 0; k < 3; ++k) {
                raster::forEachLinePixel(points[k], points[(k + 1) % 3], w, h, paint,
                                         &rasterSteps_);
            }
        });
        return;
    }
    // The invert pen must touch every pixel of the closed outline once, corners included:
    // each pixel is marked as it is inverted, the marks are cleared after.
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (outlineMarks_.size() != (pixels + 63) / 64) {
        outlineMarks_.assign((pixels + 63) / 64, 0u);
    }
    outlinePixels_.clear();
    const auto invert = [&](int x, int y) {
        const std::size_t at =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
        std::uint64_t& word = outlineMarks_[at / 64];
        const std::uint64_t bit = std::uint64_t(1) << (at % 64);
        if ((word & bit) == 0) {
            word |= bit;
            outlinePixels_.push_back(at);
            applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], PenMode::Invert, rgb);
        }
    };
    for (int k = 0; k < 3; ++k) {
        raster::forEachLinePixel(points[k], points[(k + 1) % 3], w, h, invert, &rasterSteps_);
    }
    for (std::size_t at : outlinePixels_) {
        outlineMarks_[at / 64] = 0u;
    }
}

bool QImageCanvas::gradientTriangle(const GradientVertex (&corners)[3]) {
    if (!usable()) {
        return false;
    }
    const KeepKey keep{*this};
    const PixelPoint points[3] = {
        {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {corners[2].x, corners[2].y}};
    touched(points);
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
                step[c] = roundHalfAway(perPixel * inv * 65536.0);
            }
        }
        std::int64_t value[3];
        for (int c = 0; c < 3; ++c) {
            double start = 0.0;
            for (int k = 0; k < 3; ++k) {
                start += static_cast<double>(s.e[k]) * channel[c][k];
            }
            value[c] = roundHalfAway(start * inv * 65536.0) + 32768; // + 1/2: round to nearest
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
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    if (at.x < 0 || at.y < 0 || at.x >= width() || at.y >= height()) {
        return;
    }
    reinterpret_cast<QRgb*>(image_.scanLine(at.y))[at.x] = kOpaque | toRgb(colour);
    touched(at.x, at.y, at.x, at.y);
}

void QImageCanvas::line(PixelPoint from, PixelPoint to) {
    if (!outline_ || !usable()) {
        return;
    }
    const KeepKey keep{*this};
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    const QRgb rgb = toRgb(outlineColour_);
    withPen(penMode_, [&](auto pen) {
        const auto paint = [bits, stride, rgb](int x, int y) {
            applyPen(reinterpret_cast<QRgb*>(bits + y * stride)[x], decltype(pen)::value, rgb);
        };
        raster::forEachLinePixel(from, to, width(), height(), paint, &rasterSteps_);
    });
    touchedLine(from, to);
}

void QImageCanvas::bezier(const PixelPoint (&points)[4]) {
    if (!outline_ || !usable()) {
        return;
    }
    const KeepKey keep{*this};
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
    // The curve stays within its points' hull; the margin takes the pen's rounding.
    touched(points, 2);
}

void QImageCanvas::text(PixelPoint at, std::string_view text) {
    if (text.empty() || !usable()) {
        return;
    }
    const KeepKey keep{*this};
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(toQColor(textColour_));
    // The point is the text's top-left corner; QPainter places the baseline.
    const QFontMetrics metrics = painter.fontMetrics();
    const QPoint baseline(at.x, at.y + metrics.ascent());
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    painter.drawText(baseline, s);
    // The ink and the line box, with a margin for smoothed edges.
    const QRect box = metrics.boundingRect(s).translated(baseline) |
                      QRect(at.x, at.y, metrics.horizontalAdvance(s), metrics.height());
    touched(box.left() - 2, box.top() - 2, box.right() + 2, box.bottom() + 2);
}

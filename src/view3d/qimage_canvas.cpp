#include "view3d/qimage_canvas.h"

#include "engine3d/band_workers.h"
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

// The pixels of an image that drawing calls write, whichever thread they run on.
struct Pixels {
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;

    explicit Pixels(QImage& image)
        : bits(image.bits()), stride(image.bytesPerLine()), width(image.width()),
          height(image.height()) {}
    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(bits + y * stride); }
};

// Fills the covered runs of the triangle's rows rowBegin..rowEnd-1 with the pen.
template <PenMode Pen>
void fillRows(const PixelPoint (&points)[3], const Pixels& image, int rowBegin, int rowEnd,
              QRgb rgb, std::int64_t* steps) {
    raster::forEachRunInRows(
        points, image.width, rowBegin, rowEnd,
        [&image, rgb](int y, int xBegin, int xEnd) {
            QRgb* first = image.row(y) + xBegin;
            QRgb* const last = image.row(y) + xEnd;
            if constexpr (Pen == PenMode::Copy) {
                std::fill(first, last, kOpaque | rgb);
            } else {
                for (; first != last; ++first) {
                    applyPen(*first, Pen, rgb);
                }
            }
        },
        steps);
}

// One run of a gradient: each channel starts at value (16.16 fixed point, the half for rounding
// included) and grows by step from pixel to pixel.
inline void paintGradientRun(QRgb* row, int xBegin, int xEnd, std::int64_t (&value)[3],
                             const std::int64_t (&step)[3]) {
    // The channels are linear along the row: when both ends stay within 0..255 every pixel
    // between does, and the loop can skip the limits.
    const std::int64_t last = xEnd - xBegin - 1;
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
        for (int x = xBegin; x < xEnd; ++x) {
            row[x] = kOpaque | ((r >> 16) << 16) | ((g >> 16) << 8) | (b >> 16);
            r += dr; // wraps like signed addition would, and stays in range
            g += dg;
            b += db;
        }
        return;
    }
    for (int x = xBegin; x < xEnd; ++x) {
        const auto r = static_cast<QRgb>(std::clamp<std::int64_t>(value[0] >> 16, 0, 255));
        const auto g = static_cast<QRgb>(std::clamp<std::int64_t>(value[1] >> 16, 0, 255));
        const auto b = static_cast<QRgb>(std::clamp<std::int64_t>(value[2] >> 16, 0, 255));
        row[x] = kOpaque | (r << 16) | (g << 8) | b;
        value[0] += step[0];
        value[1] += step[1];
        value[2] += step[2];
    }
}

// Paints the gradient triangle's rows rowBegin..rowEnd-1. Each channel is a plane over the
// triangle: a run starts from the channel's exact value at its first pixel, rounded to 16.16
// fixed point, and steps along the row by the rounded change per pixel. The channels arrive
// as 16-bit values and the image holds 8 bits, so they are interpolated in units of 1/256 of
// the 16-bit value.
void paintGradientRows(const GradientVertex (&corners)[3], const Pixels& image, int rowBegin,
                       int rowEnd, std::int64_t* steps) {
    const PixelPoint points[3] = {
        {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {corners[2].x, corners[2].y}};
    // Corner k weighs E_k / area2, E_k being the edge function of the side opposite k (from
    // corner k+1 to corner k+2), turned so that it is area2 at corner k.
    const auto edgeX = [&](int k) { // E_k's change per pixel to the right
        const PixelPoint& a = points[(k + 1) % 3];
        const PixelPoint& b = points[(k + 2) % 3];
        return -(std::int64_t(b.y) - a.y);
    };
    const auto edgeY = [&](int k) { // E_k's change per row down
        const PixelPoint& a = points[(k + 1) % 3];
        const PixelPoint& b = points[(k + 2) % 3];
        return std::int64_t(b.x) - a.x;
    };
    const std::int64_t area = edgeY(2) * (std::int64_t(points[2].y) - points[0].y) +
                              edgeX(2) * (std::int64_t(points[2].x) - points[0].x);
    if (area == 0) {
        return;
    }
    const std::int64_t sign = area < 0 ? -1 : 1;
    const std::int64_t area2 = area * sign;
    std::int64_t channel16[3][3]; // [channel][corner]
    double channel[3][3];
    for (int k = 0; k < 3; ++k) {
        channel16[0][k] = corners[k].red;
        channel16[1][k] = corners[k].green;
        channel16[2][k] = corners[k].blue;
        for (int c = 0; c < 3; ++c) {
            channel[c][k] = static_cast<double>(channel16[c][k]) / 256.0;
        }
    }
    const double inv = 1.0 / static_cast<double>(area2);
    std::int64_t step[3];
    for (int c = 0; c < 3; ++c) {
        double perPixel = 0.0;
        for (int k = 0; k < 3; ++k) {
            perPixel += static_cast<double>(sign * edgeX(k)) * channel[c][k];
        }
        step[c] = roundHalfAway(perPixel * inv * 65536.0);
    }

    // Near the surface each channel's plane is exact in 64-bit integers (units of 1/256 of a
    // level, times area2) and equals the weighted sum of the corners that a run's start takes
    // in double, which is exact there too: a run starts from the plane, without the weights.
    // Far corners take the weights of the run's first pixel.
    constexpr std::int64_t kNear = std::int64_t(1) << 20;
    const bool near =
        area2 < (std::int64_t(1) << 37) && image.width <= kNear && image.height <= kNear &&
        std::all_of(std::begin(points), std::end(points), [](const PixelPoint& p) {
            return std::abs(std::int64_t(p.x)) <= kNear && std::abs(std::int64_t(p.y)) <= kNear;
        });
    if (near) {
        std::int64_t atCorner[3], perPixel[3], perRow[3];
        for (int c = 0; c < 3; ++c) {
            atCorner[c] = area2 * channel16[c][0];
            perPixel[c] = perRow[c] = 0;
            for (int k = 0; k < 3; ++k) {
                perPixel[c] += sign * edgeX(k) * channel16[c][k];
                perRow[c] += sign * edgeY(k) * channel16[c][k];
            }
        }
        const std::int64_t x0 = points[0].x;
        const std::int64_t y0 = points[0].y;
        // plane / 256 · inv · 65536 in one product: scaling by a power of two rounds nothing.
        const double toFixed = inv * 256.0;
        raster::forEachRunInRows(
            points, image.width, rowBegin, rowEnd,
            [&](int y, int xBegin, int xEnd) {
                std::int64_t value[3];
                for (int c = 0; c < 3; ++c) {
                    const std::int64_t plane =
                        atCorner[c] + (y - y0) * perRow[c] + (xBegin - x0) * perPixel[c];
                    value[c] = roundHalfAway(static_cast<double>(plane) * toFixed) +
                               32768; // + 1/2: round to nearest
                }
                paintGradientRun(image.row(y), xBegin, xEnd, value, step);
            },
            steps);
        return;
    }
    raster::forEachSpanInRows(
        points, image.width, rowBegin, rowEnd,
        [&](const raster::Span& s) {
            std::int64_t value[3];
            for (int c = 0; c < 3; ++c) {
                double start = 0.0;
                for (int k = 0; k < 3; ++k) {
                    start += static_cast<double>(s.e[k]) * channel[c][k];
                }
                value[c] = roundHalfAway(start * inv * 65536.0) + 32768;
            }
            paintGradientRun(image.row(s.y), s.xBegin, s.xEnd, value, step);
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

QImageCanvas::~QImageCanvas() {
    fillPendingClear();
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
        pendingTiles_.fit(image_.size());
        pendingWhole_ = true;
    }
    if (image_.cacheKey() != imageKey_) {
        // Replaced, or written by someone else: what it holds is not known.
        backgroundElsewhere_ = false;
        changed_.addAll();
        pendingWhole_ = true;
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

template <typename Run> void QImageCanvas::Tiles::forEachRunInRow(int r, Run run) const {
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
        run(first * kTile, std::min(c * kTile, image_.width()));
    }
}

std::vector<QRect> QImageCanvas::Tiles::runs() const {
    std::vector<QRect> out;
    if (!any_) {
        return out;
    }
    const QRect whole(QPoint(0, 0), image_);
    for (int r = 0; r < rows_; ++r) {
        forEachRunInRow(r, [&](int left, int right) {
            out.push_back(QRect(left, r * kTile, right - left, kTile) & whole);
        });
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
    fillPendingClear();
    std::vector<QRect> parts = changed_.runs();
    changed_.clear();
    return parts;
}

void QImageCanvas::clear() {
    clearForNextFrame();
    fillPendingClear();
}

void QImageCanvas::clearForNextFrame() {
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    if (!clearPending_) {
        clearPending_ = true;
        pendingWhole_ = false;
        pendingTiles_.clear();
    }
    if (!backgroundElsewhere_ || drawn_.all()) {
        pendingWhole_ = true;
        changed_.addAll();
    } else {
        pendingTiles_.add(drawn_);
        changed_.add(drawn_);
    }
    drawn_.clear();
    backgroundElsewhere_ = true;
}

void QImageCanvas::fillPendingBand(uchar* bits, qsizetype stride, int band) const {
    const int rowBegin = band * kBandRows;
    const int rowEnd = std::min(image_.height(), rowBegin + kBandRows);
    const QRgb colour = kOpaque | toRgb(background_);
    const auto fill = [&](int left, int right) {
        for (int y = rowBegin; y < rowEnd; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
            std::fill(row + left, row + right, colour);
        }
    };
    // A band of rows is a row of tiles.
    static_assert(kBandRows == kTile);
    if (pendingWhole_) {
        fill(0, image_.width());
    } else {
        pendingTiles_.forEachRunInRow(band, fill);
    }
}

void QImageCanvas::fillPendingClear() {
    if (!clearPending_ || !usable()) {
        return;
    }
    const KeepKey keep{*this};
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    // On one core: a fill runs at the memory's pace, which a second core does not raise.
    for (int band = 0; band < (image_.height() + kBandRows - 1) / kBandRows; ++band) {
        fillPendingBand(bits, stride, band);
    }
    clearPending_ = false;
}

void QImageCanvas::polygon(const PixelPoint (&points)[3]) {
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    fillPendingClear();
    if (fill_) {
        const Pixels pixels(image_);
        const QRgb rgb = toRgb(fillColour_);
        withPen(penMode_, [&](auto pen) {
            fillRows<decltype(pen)::value>(points, pixels, 0, pixels.height, rgb, &rasterSteps_);
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
    fillPendingClear();
    const PixelPoint points[3] = {
        {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {corners[2].x, corners[2].y}};
    touched(points);
    const Pixels pixels(image_);
    paintGradientRows(corners, pixels, 0, pixels.height, &rasterSteps_);
    return true;
}

template <typename CornersOf, typename Draw>
void QImageCanvas::drawInBands(int count, CornersOf cornersOf, Draw draw) {
    const int w = width();
    const int h = height();
    const int bands = (h + kBandRows - 1) / kBandRows;
    bandStart_.assign(static_cast<std::size_t>(bands) + 1, 0);
    reach_.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PixelPoint(&p)[3] = cornersOf(i);
        Reach& r = reach_[i];
        r.top = std::max(0, std::min({p[0].y, p[1].y, p[2].y}));
        r.bottom = std::min(h - 1, std::max({p[0].y, p[1].y, p[2].y}));
        r.left = std::max(0, std::min({p[0].x, p[1].x, p[2].x}));
        r.right = std::min(w - 1, std::max({p[0].x, p[1].x, p[2].x}));
        const std::int64_t area =
            (std::int64_t(p[1].x) - p[0].x) * (std::int64_t(p[2].y) - p[0].y) -
            (std::int64_t(p[1].y) - p[0].y) * (std::int64_t(p[2].x) - p[0].x);
        if (r.top > r.bottom || r.left > r.right || area == 0) {
            r = Reach{}; // covers nothing on the surface
            continue;
        }
        for (int b = r.top / kBandRows; b <= r.bottom / kBandRows; ++b) {
            ++bandStart_[b + 1];
        }
    }
    for (int b = 0; b < bands; ++b) {
        bandStart_[b + 1] += bandStart_[b];
    }
    bandItems_.resize(static_cast<std::size_t>(bandStart_[bands]));
    bandSteps_.assign(static_cast<std::size_t>(bands), 0);
    // Each band's list is filled in triangle order; the band's start moves along as it fills.
    for (int i = 0; i < count; ++i) {
        if (reach_[i].empty()) {
            continue;
        }
        for (int b = reach_[i].top / kBandRows; b <= reach_[i].bottom / kBandRows; ++b) {
            bandItems_[bandStart_[b]++] = i;
        }
    }
    for (int b = bands; b > 0; --b) {
        bandStart_[b] = bandStart_[b - 1];
    }
    bandStart_[0] = 0;
    const Pixels pixels(image_);
    BandWorkers::shared().run(bands, [&](int band) {
        const int rowBegin = band * kBandRows;
        const int rowEnd = std::min(h, rowBegin + kBandRows);
        // The frame's pixels mostly come from memory: the lines a triangle reaches are asked
        // for a few triangles before it is drawn, so that their fetches overlap.
        const auto fetch = [&](int i) {
            const Reach& r = reach_[i];
            const int last = std::min(r.bottom, rowEnd - 1);
            int lines = 0;
            for (int y = std::max(r.top, rowBegin); y <= last && lines < kFetchLines; ++y) {
                const auto* from = reinterpret_cast<const char*>(pixels.row(y) + r.left);
                const auto* to = reinterpret_cast<const char*>(pixels.row(y) + r.right);
                for (; from <= to && lines < kFetchLines; from += 64, ++lines) {
                    __builtin_prefetch(from, 1);
                }
                __builtin_prefetch(to, 1);
            }
        };
        // A pending clear is filled band by band, just before the band's triangles.
        if (clearPending_) {
            fillPendingBand(pixels.bits, pixels.stride, band);
        }
        const int first = bandStart_[band];
        const int end = bandStart_[band + 1];
        for (int k = first; k < std::min(end, first + kFetchAhead); ++k) {
            fetch(bandItems_[k]);
        }
        std::int64_t steps = 0;
        for (int k = first; k < end; ++k) {
            if (k + kFetchAhead < end) {
                fetch(bandItems_[k + kFetchAhead]);
            }
            draw(bandItems_[k], rowBegin, rowEnd, &steps);
        }
        bandSteps_[band] = steps;
    });
    clearPending_ = false;
    for (const std::int64_t steps : bandSteps_) {
        rasterSteps_ += steps;
    }
}

void QImageCanvas::polygons(std::span<const FlatTriangle> triangles) {
    if (triangles.empty() || outline_ || !fill_) {
        Canvas::polygons(triangles); // the outlines go one triangle at a time
        return;
    }
    fillColour_ = triangles.back().colour;
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    for (const FlatTriangle& t : triangles) {
        touched(t.points);
    }
    const Pixels pixels(image_);
    withPen(penMode_, [&](auto pen) {
        drawInBands(
            static_cast<int>(triangles.size()),
            [&](int i) -> const PixelPoint(&)[3] { return triangles[i].points; },
            [&](int i, int rowBegin, int rowEnd, std::int64_t* steps) {
                fillRows<decltype(pen)::value>(triangles[i].points, pixels, rowBegin, rowEnd,
                                               toRgb(triangles[i].colour), steps);
            });
    });
}

void QImageCanvas::gradientTriangles(std::span<const GradientTriangle> triangles) {
    if (triangles.empty() || !usable()) {
        return;
    }
    const KeepKey keep{*this};
    pointsOf_.resize(triangles.size());
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const GradientVertex(&c)[3] = triangles[i].corners;
        PixelPoint(&p)[3] = pointsOf_[i].points;
        p[0] = {c[0].x, c[0].y};
        p[1] = {c[1].x, c[1].y};
        p[2] = {c[2].x, c[2].y};
        touched(p);
    }
    const Pixels pixels(image_);
    drawInBands(
        static_cast<int>(triangles.size()),
        [&](int i) -> const PixelPoint(&)[3] { return pointsOf_[i].points; },
        [&](int i, int rowBegin, int rowEnd, std::int64_t* steps) {
            paintGradientRows(triangles[i].corners, pixels, rowBegin, rowEnd, steps);
        });
}

void QImageCanvas::setPixel(PixelPoint at, Colour3 colour) {
    if (!usable()) {
        return;
    }
    const KeepKey keep{*this};
    fillPendingClear();
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
    fillPendingClear();
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
    fillPendingClear();
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
    fillPendingClear();
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

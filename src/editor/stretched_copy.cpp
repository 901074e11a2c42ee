#include "editor/stretched_copy.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The device extent beyond which the toolkit copies another way.
constexpr double kFixedPointReach = 0x7fff;

// One axis of the toolkit's 32-bit scaled copy: the target spans [left, left + width) device
// pixels, of which the rounded and clipped [first, first + count) are drawn, from the source's
// [sourceLeft, sourceLeft + sourceWidth); the picture is `pictureExtent` long. The same
// arithmetic as the toolkit's, types included; false when it would leave the picture.
bool sampleAxis(double left, double width, double sourceLeft, double sourceWidth, int first,
                int count, int pictureExtent, std::vector<int>& out) {
    const double scale = sourceWidth / width;
    // The step and its multiples must stay within an int, as they do for any sane copy.
    if (!(scale > 0.0) || scale * 65536.0 * std::max(count, 1) >= double(1u << 31))
        return false;
    const int step = int(0x00010000 * scale);
    const int offset = qCeil((first + 0.5 - left) * scale * 65536) - 1;
    const quint32 base = quint32(sourceLeft * 65536) + quint32(offset);
    // The last pixel may round one past the source: the toolkit drops it.
    const int end = int((base + quint32(step * (count - 1))) >> 16);
    if (end < 0 || end >= pictureExtent)
        --count;
    quint32 at = base;
    for (int k = 0; k < count; ++k, at += quint32(step)) {
        const int from = int(at >> 16);
        if (from < 0 || from >= pictureExtent)
            return false;
        out[static_cast<std::size_t>(first + k)] = from;
    }
    return true;
}

// The visible part [begin, end) of a table: its entries that are not -1 form one run.
std::pair<int, int> visibleRun(const std::vector<int>& t) {
    const auto b = std::find_if(t.begin(), t.end(), [](int v) { return v >= 0; });
    const auto e = std::find_if(b, t.end(), [](int v) { return v < 0; });
    return {int(b - t.begin()), int(e - t.begin())};
}

// The changed columns or rows [begin, end) between two tables of one length.
std::pair<int, int> changedSpan(const std::vector<int>& a, const std::vector<int>& b) {
    const auto first = std::mismatch(a.begin(), a.end(), b.begin());
    if (first.first == a.end())
        return {0, 0};
    const auto last = std::mismatch(a.rbegin(), a.rend(), b.rbegin());
    return {int(first.first - a.begin()), int(a.rend() - last.first)};
}

} // namespace

bool StretchedCopy::sample(QSize size, qreal ratio, const QImage& picture, const QRectF& target,
                           const QRect& source, std::vector<int>& columns, std::vector<int>& rows) {
    columns.assign(std::size_t(std::max(size.width(), 0)), -1);
    rows.assign(std::size_t(std::max(size.height(), 0)), -1);
    if (picture.isNull() || target.isEmpty() || source.isEmpty())
        return true; // nothing is drawn
    if (picture.format() != QImage::Format_RGB32)
        return false;
    if (source.width() == 1 && source.height() == 1)
        return false; // filled with that one pixel's colour instead
    // The target in device pixels, as the painter's scaling maps its corners.
    const double left = target.left() * ratio;
    const double top = target.top() * ratio;
    const double right = (target.left() + target.width()) * ratio;
    const double bottom = (target.top() + target.height()) * ratio;
    const QRectF device(left, top, right - left, bottom - top);
    for (double v : {target.width(), target.height(), right, bottom, device.width(),
                     device.height(), -left, -top})
        if (!(v <= kFixedPointReach))
            return false;
    if (ratio >= 512)
        return false;
    const QRect drawn = device.normalized().toRect().intersected(QRect(QPoint(0, 0), size));
    if (drawn.isEmpty())
        return true;
    const QRectF from(source);
    if (!sampleAxis(device.left(), device.width(), from.left(), from.width(), drawn.left(),
                    drawn.width(), int(picture.bytesPerLine() / 4), columns) ||
        !sampleAxis(device.top(), device.height(), from.top(), from.height(), drawn.top(),
                    drawn.height(), picture.height(), rows))
        return false;
    // A row past the picture's width cannot happen with 32-bit pixels, but stay inside it.
    return std::all_of(columns.begin(), columns.end(), [&](int v) { return v < picture.width(); });
}

QRect StretchedCopy::place(QSize size, qreal ratio, const QImage& picture, const QRectF& target,
                           const QRect& source, QRgb back) {
    const QRect layer(QPoint(0, 0), size);
    if (!sample(size, ratio, picture, target, source, newColumns_, newRows_)) {
        known_ = tabled_ = false;
        picture_ = picture;
        back_ = back;
        return layer;
    }
    const bool same = known_ && tabled_ && back == back_ && columns_.size() == newColumns_.size() &&
                      rows_.size() == newRows_.size() &&
                      (picture.cacheKey() == picture_.cacheKey() ||
                       (visibleRun(newColumns_).first >= size.width() &&
                        visibleRun(columns_).first >= size.width()));
    QRect changed = layer;
    if (same) {
        const auto [c0, c1] = changedSpan(columns_, newColumns_);
        const auto [r0, r1] = changedSpan(rows_, newRows_);
        if (c0 == c1 && r0 == r1)
            changed = {}; // the same copy
        else if (r0 == r1)
            changed = QRect(c0, 0, c1 - c0, size.height());
        else if (c0 == c1)
            changed = QRect(0, r0, size.width(), r1 - r0);
    }
    std::swap(columns_, newColumns_);
    std::swap(rows_, newRows_);
    known_ = tabled_ = true;
    picture_ = picture;
    back_ = back;
    makeRuns();
    return changed;
}

void StretchedCopy::makeRuns() {
    runs_.clear();
    const int width = int(columns_.size());
    const int* columns = columns_.data();
    for (int x = 0; x < width;) {
        int n = 1;
        Kind kind = Kind::Back;
        if (columns[x] < 0) {
            while (x + n < width && columns[x + n] < 0)
                ++n;
        } else {
            while (x + n < width && columns[x + n] == columns[x] + n)
                ++n;
            kind = n >= 16 ? Kind::Copy : Kind::Read;
        }
        if (kind == Kind::Read && !runs_.empty() && runs_.back().kind == Kind::Read &&
            runs_.back().end == x)
            runs_.back().end = x + n;
        else
            runs_.push_back({x, x + n, kind});
        x += n;
    }
}

void StretchedCopy::fitLayer(QSize size) {
    if (!tabled_)
        return;
    columns_.resize(std::size_t(std::max(size.width(), 0)), -1);
    rows_.resize(std::size_t(std::max(size.height(), 0)), -1);
    makeRuns();
}

void StretchedCopy::span(int y, int begin, int end, QRgb* out) const {
    const int r = y >= 0 && y < int(rows_.size()) ? rows_[std::size_t(y)] : -1;
    if (end > int(columns_.size())) {
        // Beyond the tables (none are, but stay inside them): the background colour.
        const int last = std::max(begin, int(columns_.size()));
        std::fill(out + (last - begin), out + (end - begin), back_);
        end = last;
    }
    if (r < 0 || begin >= end) {
        std::fill(out, out + std::max(end - begin, 0), back_);
        return;
    }
    const QRgb* in = reinterpret_cast<const QRgb*>(picture_.constScanLine(r));
    const int* columns = columns_.data();
    // The run holding `begin`, then each one up to `end`.
    auto run = std::upper_bound(runs_.begin(), runs_.end(), begin,
                                [](int x, const Run& u) { return x < u.begin; });
    --run;
    for (int x = begin; x < end; ++run) {
        const int to = std::min(end, run->end);
        QRgb* o = out + (x - begin);
        switch (run->kind) {
        case Kind::Back:
            std::fill(o, o + (to - x), back_);
            break;
        case Kind::Copy:
            std::memcpy(o, in + columns[x], std::size_t(to - x) * sizeof(QRgb));
            break;
        case Kind::Read:
            for (int k = x; k < to; ++k)
                *o++ = in[columns[k]];
            break;
        }
        x = to;
    }
}

QRect StretchedCopy::draw(QImage& layer, const QImage& picture, const QRectF& target,
                          const QRect& source, QRgb back) {
    const QRect changed =
        place(layer.size(), layer.devicePixelRatio(), picture, target, source, back);
    if (tabled_ && layer.format() == QImage::Format_RGB32) {
        for (int y = 0; y < layer.height(); ++y)
            span(y, 0, layer.width(), reinterpret_cast<QRgb*>(layer.scanLine(y)));
        return changed;
    }
    // The toolkit's own copy, as the layer always had it.
    known_ = tabled_ = false;
    layer.fill(back);
    QPainter p(&layer);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(target, picture, QRectF(source));
    return layer.rect();
}

namespace {

// The picture's pixels under one pixel of the grid along an axis of `count` pixels shrunk to
// `cells`: the source interval [i * count / cells, (i + 1) * count / cells), its first and last
// pixels counted for the part of them it covers, the whole divided by its length. The weights
// are in 16-bit fixed point, rounded down so that they never add up to more than one.
struct Cover {
    int first = 0;
    int last = 0;
    quint32 firstWeight = 0;
    quint32 lastWeight = 0;
    quint32 innerWeight = 0; // of each pixel between
};

constexpr double kOne = 65536.0;

Cover coverOf(int i, int count, int cells) {
    const double from = double(i) * count / cells;
    const double to = double(i + 1) * count / cells;
    const double length = to - from;
    Cover c;
    c.first = std::clamp(int(std::floor(from)), 0, count - 1);
    c.last = std::clamp(int(std::ceil(to)) - 1, c.first, count - 1);
    if (c.first == c.last) {
        c.firstWeight = quint32(kOne);
        return c;
    }
    c.firstWeight = quint32((c.first + 1 - from) / length * kOne);
    c.lastWeight = quint32((to - c.last) / length * kOne);
    c.innerWeight = quint32(kOne / length);
    return c;
}

} // namespace

QImage areaAveraged(const QImage& picture, QSize grid, const QRect& region) {
    QImage out(region.size(), QImage::Format_RGB32);
    if (region.isEmpty() || picture.isNull())
        return out;
    const int width = region.width();
    std::vector<Cover> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[std::size_t(x)] = coverOf(region.left() + x, picture.width(), grid.width());
    // One row of the picture averaged across, three channels a pixel in 8.8 fixed point, the
    // last one kept: a row at the border of two rows of the grid serves both. The rows are
    // summed down in 8.24 fixed point, which a 32-bit channel holds.
    std::vector<quint32> across(std::size_t(width) * 3), sum(std::size_t(width) * 3);
    int acrossRow = -1;
    auto rowAcross = [&](int r) {
        if (r == acrossRow)
            return;
        acrossRow = r;
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(r));
        for (int x = 0; x < width; ++x) {
            const Cover& c = columns[std::size_t(x)];
            const QRgb a = in[c.first];
            quint32 red = qRed(a) * c.firstWeight, green = qGreen(a) * c.firstWeight,
                    blue = qBlue(a) * c.firstWeight;
            if (c.last > c.first) {
                for (int k = c.first + 1; k < c.last; ++k) {
                    red += qRed(in[k]) * c.innerWeight;
                    green += qGreen(in[k]) * c.innerWeight;
                    blue += qBlue(in[k]) * c.innerWeight;
                }
                const QRgb b = in[c.last];
                red += qRed(b) * c.lastWeight;
                green += qGreen(b) * c.lastWeight;
                blue += qBlue(b) * c.lastWeight;
            }
            quint32* o = &across[std::size_t(x) * 3];
            o[0] = red >> 8;
            o[1] = green >> 8;
            o[2] = blue >> 8;
        }
    };
    auto add = [&](quint32 weight) {
        quint32* __restrict s = sum.data();
        const quint32* __restrict a = across.data();
        for (std::size_t k = 0; k < sum.size(); ++k)
            s[k] += a[k] * weight;
    };
    for (int y = 0; y < region.height(); ++y) {
        const Cover c = coverOf(region.top() + y, picture.height(), grid.height());
        std::fill(sum.begin(), sum.end(), 0u);
        rowAcross(c.first);
        add(c.firstWeight);
        for (int r = c.first + 1; r < c.last; ++r) {
            rowAcross(r);
            add(c.innerWeight);
        }
        if (c.last > c.first) {
            rowAcross(c.last);
            add(c.lastWeight);
        }
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        auto channel = [](quint32 v) { return int(std::min((v + (1u << 23)) >> 24, 255u)); };
        for (int x = 0; x < width; ++x) {
            const quint32* v = &sum[std::size_t(x) * 3];
            o[x] = qRgb(channel(v[0]), channel(v[1]), channel(v[2]));
        }
    }
    return out;
}

QImage halved(const QImage& picture) {
    const int width = picture.width();
    const int height = picture.height();
    QImage out((width + 1) / 2, (height + 1) / 2, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* __restrict a = reinterpret_cast<const QRgb*>(picture.constScanLine(2 * y));
        const QRgb* __restrict b =
            reinterpret_cast<const QRgb*>(picture.constScanLine(std::min(2 * y + 1, height - 1)));
        QRgb* __restrict o = reinterpret_cast<QRgb*>(out.scanLine(y));
        // Two channels at a time, each in 16 bits where four of them add up without spilling.
        auto mean = [](quint32 p, quint32 q, quint32 r, quint32 s) {
            const quint32 low =
                (p & 0xff00ffu) + (q & 0xff00ffu) + (r & 0xff00ffu) + (s & 0xff00ffu) + 0x20002u;
            const quint32 high = ((p >> 8) & 0xff00ffu) + ((q >> 8) & 0xff00ffu) +
                                 ((r >> 8) & 0xff00ffu) + ((s >> 8) & 0xff00ffu) + 0x20002u;
            return 0xff000000u | ((low >> 2) & 0xff00ffu) | (((high >> 2) & 0xffu) << 8);
        };
        const int pairs = width / 2;
        for (int x = 0; x < pairs; ++x)
            o[x] = mean(a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]);
        if (width % 2 != 0)
            o[pairs] = mean(a[width - 1], a[width - 1], b[width - 1], b[width - 1]);
    }
    return out;
}

namespace {

std::vector<QImage> halvingsOf(QImage picture) {
    std::vector<QImage> levels;
    if (picture.format() != QImage::Format_RGB32)
        return levels;
    while (picture.width() > 1 || picture.height() > 1) {
        picture = halved(picture);
        levels.push_back(picture);
    }
    return levels;
}

} // namespace

PicturePyramid::~PicturePyramid() {
    if (making_.valid())
        making_.wait();
}

void PicturePyramid::start(const QImage& picture) {
    if (picture.isNull() || picture.cacheKey() == key_)
        return;
    if (making_.valid())
        making_.wait();
    key_ = picture.cacheKey();
    levels_.clear();
    try {
        making_ = std::async(std::launch::async, halvingsOf, picture);
    } catch (const std::system_error&) {
        levels_ = halvingsOf(picture); // no thread to spare: made now
    }
}

QImage PicturePyramid::levelFor(const QImage& picture, QSize size) {
    start(picture);
    if (making_.valid())
        levels_ = making_.get();
    QImage level = picture;
    for (const QImage& l : levels_) {
        if (l.width() < size.width() || l.height() < size.height())
            break;
        level = l;
    }
    return level;
}

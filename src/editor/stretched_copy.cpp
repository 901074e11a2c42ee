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

// The shift d for which now[i] == old[i - d] holds for most i: what a pan moved by. The
// candidates align the first entry of a few values of `now` with the same value in `old` (both
// tables rise along their visible run).
int bestShift(const std::vector<int>& old, const std::vector<int>& now) {
    const auto [o0, o1] = visibleRun(old);
    const auto [n0, n1] = visibleRun(now);
    if (o0 >= o1 || n0 >= n1)
        return 0;
    auto matches = [&](int d) {
        int n = 0;
        for (int i = std::max(n0, o0 + d); i < std::min(n1, o1 + d); ++i)
            n += now[std::size_t(i)] == old[std::size_t(i - d)];
        return n;
    };
    int best = 0;
    int bestCount = matches(0);
    for (int probe : {n0 + (n1 - n0) / 4, n0 + (n1 - n0) / 2, n0 + 3 * (n1 - n0) / 4}) {
        const int v = now[std::size_t(probe)];
        const int ns = int(std::lower_bound(now.begin() + n0, now.begin() + n1, v) - now.begin());
        const auto os = std::lower_bound(old.begin() + o0, old.begin() + o1, v);
        if (os == old.begin() + o1 || *os != v)
            continue;
        const int d = ns - int(os - old.begin());
        if (const int c = matches(d); c > bestCount) {
            best = d;
            bestCount = c;
        }
    }
    return best;
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

bool StretchedCopy::sample(const QImage& layer, const QImage& picture, const QRectF& target,
                           const QRect& source, std::vector<int>& columns, std::vector<int>& rows) {
    columns.assign(std::size_t(std::max(layer.width(), 0)), -1);
    rows.assign(std::size_t(std::max(layer.height(), 0)), -1);
    if (picture.isNull() || target.isEmpty() || source.isEmpty())
        return true; // nothing is drawn
    if (layer.format() != QImage::Format_RGB32 || picture.format() != QImage::Format_RGB32)
        return false;
    if (source.width() == 1 && source.height() == 1)
        return false; // filled with that one pixel's colour instead
    const double ratio = layer.devicePixelRatio();
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
    const QRect drawn = device.normalized().toRect().intersected(layer.rect());
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

QRect StretchedCopy::draw(QImage& layer, const QImage& picture, const QRectF& target,
                          const QRect& source, QRgb back, const std::function<void(int)>& rowDone) {
    if (!sample(layer, picture, target, source, newColumns_, newRows_)) {
        // The toolkit's own copy, as the layer always had it.
        known_ = false;
        layer.fill(back);
        QPainter p(&layer);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(target, picture, QRectF(source));
        return layer.rect();
    }
    const int width = layer.width();
    const int height = layer.height();
    const bool reuse =
        known_ && back == back_ && columns_.size() == newColumns_.size() &&
        rows_.size() == newRows_.size() &&
        (picture.cacheKey() == pictureKey_ ||
         (visibleRun(newColumns_).first >= width && visibleRun(columns_).first >= width));
    QRect changed = layer.rect();
    if (reuse) {
        const auto [c0, c1] = changedSpan(columns_, newColumns_);
        const auto [r0, r1] = changedSpan(rows_, newRows_);
        if (c0 == c1 && r0 == r1)
            return {}; // the same copy
        if (r0 == r1)
            changed = QRect(c0, 0, c1 - c0, height);
        else if (c0 == c1)
            changed = QRect(0, r0, width, r1 - r0);
    }
    const int dx = reuse ? bestShift(columns_, newColumns_) : 0;
    const int dy = reuse ? bestShift(rows_, newRows_) : 0;

    // The columns in runs: the background colour, pixels the layer already shows `dx` to the
    // left (in a row that shows the same picture row), pixels read from the picture one by one,
    // and stretches that read it one after another (a zoom of 100 %), copied at once. A row
    // that shows another picture row than before reads its kept runs too.
    enum class Kind { Back, Keep, Read, Copy };
    struct Run {
        int begin, end;
        Kind kind;
    };
    const int* columns = newColumns_.data();
    auto runsOf = [&](bool keeping) {
        std::vector<Run> runs;
        for (int x = 0; x < width; ++x) {
            const int c = columns[x];
            const Kind kind =
                c < 0 ? Kind::Back
                : keeping && x - dx >= 0 && x - dx < width && columns_[std::size_t(x - dx)] == c
                    ? Kind::Keep
                    : Kind::Read;
            if (!runs.empty() && runs.back().kind == kind && runs.back().end == x)
                runs.back().end = x + 1;
            else
                runs.push_back({x, x + 1, kind});
        }
        std::vector<Run> split;
        for (const Run& run : runs) {
            if (run.kind != Kind::Read) {
                split.push_back(run);
                continue;
            }
            for (int x = run.begin; x < run.end;) {
                int n = 1;
                while (x + n < run.end && columns[x + n] == columns[x] + n)
                    ++n;
                const Kind kind = n >= 16 ? Kind::Copy : Kind::Read;
                if (kind == Kind::Read && !split.empty() && split.back().kind == Kind::Read &&
                    split.back().end == x)
                    split.back().end = x + n;
                else
                    split.push_back({x, x + n, kind});
                x += n;
            }
        }
        // Pixels move within the layer: the runs are visited so that each is read before it is
        // written over.
        if (dx > 0)
            std::reverse(split.begin(), split.end());
        return split;
    };
    const std::vector<Run> keptRuns = reuse ? runsOf(true) : std::vector<Run>();
    const std::vector<Run> freshRuns = runsOf(false);
    uchar* bits = layer.bits();
    const qsizetype stride = layer.bytesPerLine();
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + y * stride); };
    int lastRow = -1; // the last row written, complete
    // The rows, too, are visited so that each is read before it is written over.
    for (int i = 0; i < height; ++i) {
        const int y = dy > 0 ? height - 1 - i : i;
        const int r = newRows_[std::size_t(y)];
        QRgb* out = row(y);
        const bool kept =
            r >= 0 && reuse && y - dy >= 0 && y - dy < height && rows_[std::size_t(y - dy)] == r;
        if (r < 0) {
            std::fill(out, out + width, back);
        } else if (!kept && lastRow >= 0 && newRows_[std::size_t(lastRow)] == r) {
            std::memcpy(out, row(lastRow), std::size_t(width) * sizeof(QRgb));
        } else {
            const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(r));
            const QRgb* shown = row(y - (kept ? dy : 0));
            for (const Run& run : kept ? keptRuns : freshRuns) {
                const std::size_t n = std::size_t(run.end - run.begin);
                switch (run.kind) {
                case Kind::Back:
                    std::fill(out + run.begin, out + run.end, back);
                    break;
                case Kind::Keep:
                    if (shown != out || dx != 0)
                        std::memmove(out + run.begin, shown + run.begin - dx, n * sizeof(QRgb));
                    break;
                case Kind::Copy:
                    std::memcpy(out + run.begin, in + columns[run.begin], n * sizeof(QRgb));
                    break;
                case Kind::Read:
                    for (int x = run.begin; x < run.end; ++x)
                        out[x] = in[columns[x]];
                    break;
                }
            }
            lastRow = y;
        }
        if (rowDone)
            rowDone(y);
    }
    std::swap(columns_, newColumns_);
    std::swap(rows_, newRows_);
    known_ = true;
    pictureKey_ = picture.cacheKey();
    back_ = back;
    return changed;
}

namespace {

// The picture's pixels under one pixel of the grid along an axis of `count` pixels shrunk to
// `cells`: the source interval [i * count / cells, (i + 1) * count / cells), its first and last
// pixels counted for the part of them it covers, the whole divided by its length.
struct Cover {
    int first = 0;
    int last = 0;
    float firstWeight = 0.0f; // the weights, divided by the interval's length
    float lastWeight = 0.0f;
    float innerWeight = 0.0f; // of the pixels between
};

Cover coverOf(int i, int count, int cells) {
    const double from = double(i) * count / cells;
    const double to = double(i + 1) * count / cells;
    const double length = to - from;
    Cover c;
    c.first = std::clamp(int(std::floor(from)), 0, count - 1);
    c.last = std::clamp(int(std::ceil(to)) - 1, c.first, count - 1);
    if (c.first == c.last) {
        c.firstWeight = 1.0f;
        return c;
    }
    c.firstWeight = float((c.first + 1 - from) / length);
    c.lastWeight = float((to - c.last) / length);
    c.innerWeight = float(1.0 / length);
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
    // One row of the picture averaged across (three channels a pixel), the last one kept: a row
    // at the border of two rows of the grid serves both.
    std::vector<float> across(std::size_t(width) * 3), sum(std::size_t(width) * 3);
    int acrossRow = -1;
    auto rowAcross = [&](int r) {
        if (r == acrossRow)
            return;
        acrossRow = r;
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(r));
        for (int x = 0; x < width; ++x) {
            const Cover& c = columns[std::size_t(x)];
            const QRgb a = in[c.first];
            float red = qRed(a) * c.firstWeight, green = qGreen(a) * c.firstWeight,
                  blue = qBlue(a) * c.firstWeight;
            if (c.last > c.first) {
                float innerRed = 0.0f, innerGreen = 0.0f, innerBlue = 0.0f;
                for (int k = c.first + 1; k < c.last; ++k) {
                    innerRed += float(qRed(in[k]));
                    innerGreen += float(qGreen(in[k]));
                    innerBlue += float(qBlue(in[k]));
                }
                const QRgb b = in[c.last];
                red += innerRed * c.innerWeight + qRed(b) * c.lastWeight;
                green += innerGreen * c.innerWeight + qGreen(b) * c.lastWeight;
                blue += innerBlue * c.innerWeight + qBlue(b) * c.lastWeight;
            }
            float* o = &across[std::size_t(x) * 3];
            o[0] = red;
            o[1] = green;
            o[2] = blue;
        }
    };
    auto add = [&](float weight) {
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += across[k] * weight;
    };
    for (int y = 0; y < region.height(); ++y) {
        const Cover c = coverOf(region.top() + y, picture.height(), grid.height());
        std::fill(sum.begin(), sum.end(), 0.0f);
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
        auto channel = [](float v) { return std::clamp(int(v + 0.5f), 0, 255); };
        for (int x = 0; x < width; ++x) {
            const float* v = &sum[std::size_t(x) * 3];
            o[x] = qRgb(channel(v[0]), channel(v[1]), channel(v[2]));
        }
    }
    return out;
}

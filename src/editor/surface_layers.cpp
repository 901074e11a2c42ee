#include "editor/surface_layers.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

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

QRegion coveringRegion(std::vector<QRect> rects) {
    // Up to this many, the union itself costs less than a pass over the grid.
    constexpr std::size_t kExactAtMost = 256;
    if (rects.size() <= kExactAtMost)
        return unionOf(std::move(rects));
    QRect box;
    for (const QRect& r : rects)
        if (!r.isEmpty())
            box |= r;
    if (box.isEmpty())
        return {};
    const auto cell = [](int v) {
        return v >= 0 ? v / kCoveringCell : -((-v - 1) / kCoveringCell) - 1;
    };
    const int x0 = cell(box.left());
    const int y0 = cell(box.top());
    const int columns = cell(box.right()) - x0 + 1;
    const int rows = cell(box.bottom()) - y0 + 1;
    if (static_cast<long long>(columns) * rows > (1LL << 22))
        return unionOf(std::move(rects)); // far apart: the grid would cost more than the union
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(columns) * rows, 0);
    for (const QRect& r : rects) {
        if (r.isEmpty())
            continue;
        const int left = cell(r.left()) - x0;
        const int right = cell(r.right()) - x0;
        for (int y = cell(r.top()) - y0; y <= cell(r.bottom()) - y0; ++y) {
            std::uint8_t* row = cells.data() + static_cast<std::size_t>(y) * columns;
            std::fill(row + left, row + right + 1, std::uint8_t(1));
        }
    }
    // Each row's runs of cells; a row with the runs of the row above lengthens its band. The
    // rectangles come out as a region holds them: banded, sorted, none abutting another.
    std::vector<QRect> out;
    std::vector<std::pair<int, int>> above, runs;
    std::size_t band = 0;
    for (int y = 0; y < rows; ++y) {
        runs.clear();
        const std::uint8_t* row = cells.data() + static_cast<std::size_t>(y) * columns;
        for (int x = 0; x < columns;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < columns && row[x])
                ++x;
            runs.emplace_back(first, x);
        }
        if (y > 0 && runs == above) {
            for (std::size_t k = band; k < out.size(); ++k)
                out[k].setHeight(out[k].height() + kCoveringCell);
            continue;
        }
        band = out.size();
        for (const auto& [first, end] : runs)
            out.emplace_back((x0 + first) * kCoveringCell, (y0 + y) * kCoveringCell,
                             (end - first) * kCoveringCell, kCoveringCell);
        std::swap(above, runs);
    }
    QRegion region;
    region.setRects(out.data(), static_cast<int>(out.size()));
    return region;
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

void RowSpans::build(const std::vector<QRect>& rects, int height) {
    height = std::max(height, 0);
    first_.assign(std::size_t(height) + 1, 0);
    for (const QRect& r : rects)
        for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), height - 1); ++y)
            ++first_[std::size_t(y) + 1];
    for (std::size_t y = 0; y < std::size_t(height); ++y)
        first_[y + 1] += first_[y];
    spans_.resize(std::size_t(first_.back()));
    std::vector<int> at(first_.begin(), first_.end() - 1);
    for (const QRect& r : rects)
        for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), height - 1); ++y)
            spans_[std::size_t(at[std::size_t(y)]++)] = {r.left(), r.right() + 1};
    // Each row sorted and merged, the rows packed again.
    int kept = 0;
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        const auto begin = spans_.begin() + first_[y];
        const auto end = spans_.begin() + first_[y + 1];
        std::sort(begin, end);
        first_[y] = kept;
        for (auto s = begin; s != end; ++s) {
            if (s->first >= s->second)
                continue;
            if (kept > first_[y] && s->first <= spans_[std::size_t(kept) - 1].second)
                spans_[std::size_t(kept) - 1].second =
                    std::max(spans_[std::size_t(kept) - 1].second, s->second);
            else
                spans_[std::size_t(kept++)] = *s;
        }
    }
    first_.back() = kept;
    spans_.resize(std::size_t(kept));
    packed_ = false;
    at_.clear();
    pixels_.clear();
}

void RowSpans::pack(const QImage& layer) {
    // Each part trimmed to the pixels drawn in it (a line's bounds hold many clear ones), the
    // parts left empty dropped.
    at_.clear();
    pixels_.clear();
    opaque_.clear();
    int kept = 0;
    const int height = int(first_.size()) - 1;
    for (int y = 0; y < height; ++y) {
        const int first = first_[std::size_t(y)];
        const int last = first_[std::size_t(y) + 1];
        first_[std::size_t(y)] = kept;
        if (y >= layer.height())
            continue;
        const QRgb* row = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int i = first; i < last; ++i) {
            auto [from, to] = spans_[std::size_t(i)];
            to = std::min(to, layer.width());
            from = std::max(from, 0);
            while (from < to && row[from] == 0)
                ++from;
            while (to > from && row[to - 1] == 0)
                --to;
            if (from >= to)
                continue;
            spans_[std::size_t(kept++)] = {from, to};
            at_.push_back(std::ptrdiff_t(pixels_.size()));
            pixels_.insert(pixels_.end(), row + from, row + to);
            opaque_.push_back(
                std::all_of(row + from, row + to, [](QRgb p) { return p >= 0xff000000u; }));
        }
    }
    first_.back() = kept;
    spans_.resize(std::size_t(kept));
    packed_ = true;
}

void blendOver(QRgb* out, const QRgb* over, int from, int to) {
    // dst = src + dst * (255 - alpha) / 255, two channels at a time, rounded as the toolkit
    // rounds: exactly src where it is opaque and dst where it is clear, so that no pixel needs
    // a test of its own and the loop is vectorised.
    QRgb* __restrict o = out;
    const QRgb* __restrict v = over;
    for (int x = from; x < to; ++x) {
        const quint32 s = v[x];
        const quint32 a = 255u - (s >> 24);
        const quint32 d = o[x];
        quint32 t = (d & 0xff00ffu) * a;
        t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
        t &= 0xff00ffu;
        quint32 u = ((d >> 8) & 0xff00ffu) * a;
        u = u + ((u >> 8) & 0xff00ffu) + 0x800080u;
        u &= 0xff00ff00u;
        o[x] = s + (u | t);
    }
}

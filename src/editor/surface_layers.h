#pragma once

// The pieces the drawing surface keeps its layers with: buffers that only grow, the drawing
// calls made on a layer (so that a layer can be mended where they changed, or drawn again from
// scratch), and the region of many small rectangles.

#include <QImage>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QRgb>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

// A layer's pixels in a buffer that only grows: a layer made smaller, or made again at a size
// it had, keeps its buffer, so a window dragged to another size allocates nothing.
class LayerBuffer {
public:
    // The layer, exactly `size` device pixels at `ratio`. Someone holding a copy of it gets his
    // own pixels once the layer is drawn on (the image's usual sharing).
    QImage& image() { return view_; }
    const QImage& image() const { return view_; }
    // Makes the layer `size` pixels large. Keeping, the pixels it had stay where they are and
    // those it gains take `fill`; otherwise every pixel takes it.
    void fit(QSize size, qreal ratio, QImage::Format format, QRgb fill, bool keep);
    // Fills the device pixels `r` of the layer.
    void fillDevice(const QRect& r, QRgb fill);

private:
    std::unique_ptr<quint32[]> buffer_;
    QSize capacity_;
    QImage view_;
};

// One drawing call on a layer, in the layer's logical pixels: a dot of `width` pixels across,
// or a line with that pen width and style.
struct Stroke {
    enum class Kind : unsigned char { Dot, Line };
    enum class Style : unsigned char { Solid, Dash, Dot };
    Kind kind = Kind::Line;
    Style style = Style::Solid;
    int width = 1;
    QRgb colour = 0;
    QPointF from, to;
    QRect bounds; // the device pixels it may change
    QRect clip;   // the device pixels it keeps: a layer that shrank since cut it
    // Where it was drawn in millimetres of the drawing, to draw it again in another view.
    QPointF fromMm, toMm;

    // The same call, to the last bit: a line a trillionth of a pixel away may take another
    // pixel (QPointF's own comparison is fuzzy).
    bool drawsLike(const Stroke& o) const {
        return kind == o.kind && style == o.style && width == o.width && colour == o.colour &&
               from.x() == o.from.x() && from.y() == o.from.y() && to.x() == o.to.x() &&
               to.y() == o.to.y() && clip == o.clip;
    }
};

// Makes a stroke and the device pixels of a layer at `ratio` that it may change.
Stroke makeStroke(Stroke::Kind kind, Stroke::Style style, int width, QRgb colour, QPointF from,
                  QPointF to, qreal ratio, const QRect& layer);
// Draws it with p, whose coordinates are the layer's logical pixels.
void paintStroke(QPainter& p, const Stroke& s, qreal ratio, const QRect& layer);
// The pen the surface draws lines with: dashes and dots for the thin pen only, round caps for
// a wide one.
QPen strokePen(QRgb colour, int width, Stroke::Style style);

// The device pixels covering a rectangle of logical pixels, and the logical pixels covering a
// rectangle of device pixels.
QRect toDevice(const QRectF& logical, qreal ratio);
QRect toLogical(const QRect& device, qreal ratio);

// The union of many rectangles, merged pairwise so that it costs little more than their count.
QRegion unionOf(std::vector<QRect> rects);
// A region covering every rectangle, for what is repainted: their union where they are few;
// where they are many (a whole outline wiped and drawn again), their union widened to a grid of
// kCoveringCell pixels, found in one pass over the grid, where repainting a little more shows
// the same pixels.
inline constexpr int kCoveringCell = 8;
QRegion coveringRegion(std::vector<QRect> rects);

// For each row of a layer, the parts [begin, end) of it that some rectangles cover, merged: where
// a layer drawn within those rectangles may have pixels, so that a pass over a row visits them
// only. Their pixels may be kept packed one after another, so that a pass over the whole layer
// reads them in order instead of a few pixels from each row of the layer.
class RowSpans {
public:
    void build(const std::vector<QRect>& rects, int height);
    // Keeps the pixels of every part, as the layer has them now.
    void pack(const QImage& layer);
    bool packed() const { return packed_; }
    // Calls f(from, to, pixels, opaque) for each covered part of row y within [begin, end):
    // pixels[x] is the layer's pixel x, from the pack when there is one, else from `layer`;
    // opaque, that the pack knows them all opaque.
    template <class F> void visit(const QImage& layer, int y, int begin, int end, F&& f) const {
        if (y < 0 || y + 1 >= int(first_.size()))
            return;
        const QRgb* row = packed_ ? nullptr : reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int i = first_[std::size_t(y)]; i < first_[std::size_t(y) + 1]; ++i) {
            const auto [from, to] = spans_[std::size_t(i)];
            if (to <= begin)
                continue;
            if (from >= end)
                break;
            const QRgb* pixels = packed_ ? pixels_.data() + at_[std::size_t(i)] - from : row;
            f(std::max(from, begin), std::min(to, end), pixels,
              packed_ && opaque_[std::size_t(i)] != 0);
        }
    }

private:
    std::vector<int> first_; // where each row's spans start in spans_, and the end
    std::vector<std::pair<int, int>> spans_;
    bool packed_ = false;
    std::vector<std::ptrdiff_t> at_; // where each span's pixels start in pixels_
    std::vector<QRgb> pixels_;
    std::vector<unsigned char> opaque_; // each packed span's pixels all opaque
};

// Lays the premultiplied pixels over[from, to) over out[from, to) as the toolkit's plain
// painting does ("source over"), to the last bit.
void blendOver(QRgb* out, const QRgb* over, int from, int to);

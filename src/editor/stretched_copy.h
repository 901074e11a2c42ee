#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QRgb>

#include <future>
#include <vector>

// The background picture's layer: a part of the picture copied, stretched, onto a layer of the
// background colour, each layer pixel taking the nearest picture pixel exactly as the toolkit's
// own plain stretched copy (QPainter::drawImage without smoothing) picks it: in 16.16 fixed
// point from the pixel's centre, one row and one column table per copy.
//
// The layer's pixels are not kept: a layer pixel is the picture pixel of its column's and its
// row's table entries, so any part of the layer is read straight from the picture where it is
// shown (span), in the same pass that lays the grid over it. A new placement costs its tables
// only, however large the layer. The result is the toolkit's copy pixel for pixel; the few
// copies that it makes another way (a one-pixel part, sizes beyond its fixed point's range,
// other pixel formats) are left to it on a layer of pixels (tabled() is false).
class StretchedCopy {
public:
    // Takes the part `source` of `picture` stretched over `target` (logical pixels of a layer of
    // `size` device pixels at `ratio`) over the colour `back`; an empty target or a null
    // picture shows only the colour. Returns the layer's pixels whose colour changed (device
    // pixels; empty when none did).
    QRect place(QSize size, qreal ratio, const QImage& picture, const QRectF& target,
                const QRect& source, QRgb back);
    // The layer was made `size` large: the pixels it kept show what they showed, those it
    // gained the background colour.
    void fitLayer(QSize size);
    // The copy is read from its tables; otherwise only the toolkit can draw it, on a layer.
    bool tabled() const { return tabled_; }
    // The picture row that row y of the layer shows (-1: the background colour only).
    int pictureRow(int y) const {
        return y >= 0 && y < int(rows_.size()) ? rows_[std::size_t(y)] : -1;
    }
    // Row y of the layer, device pixels [begin, end), written to out (tabled copies only).
    void span(int y, int begin, int end, QRgb* out) const;
    // The whole layer drawn: from the tables, or by the toolkit. Returns what place returns.
    QRect draw(QImage& layer, const QImage& picture, const QRectF& target, const QRect& source,
               QRgb back);
    // Someone else wrote on the layer: the next placement counts every pixel changed.
    void forget() { known_ = false; }

    // Where each layer column and row takes its pixel from in the picture (-1: the background
    // colour), as the toolkit's copy does; false when it would copy another way.
    static bool sample(QSize size, qreal ratio, const QImage& picture, const QRectF& target,
                       const QRect& source, std::vector<int>& columns, std::vector<int>& rows);

private:
    // The columns in runs: the background colour, pixels read one by one, and stretches that
    // read the picture one after another (a zoom of 100 %), copied at once.
    enum class Kind : unsigned char { Back, Read, Copy };
    struct Run {
        int begin, end;
        Kind kind;
    };
    void makeRuns();

    bool known_ = false;  // the tables below are what the layer showed last
    bool tabled_ = false; // the layer is read from them
    QImage picture_;
    QRgb back_ = 0;
    std::vector<int> columns_, rows_;
    std::vector<Run> runs_;
    std::vector<int> newColumns_, newRows_; // scratch
};

// The pixels `region` of the picture shrunk to `grid` pixels by area averaging: each is the mean
// of the picture's area it covers (partly covered pixels counted in part), so that a line
// thinner than a pixel of the result still shows. A pixel's value depends on the picture and
// the grid only, never on the region asked for: parts made apart fit together exactly.
// The region lies within the grid; the picture is 32-bit RGB.
QImage areaAveraged(const QImage& picture, QSize grid, const QRect& region);

// Halvings of a picture, each the average of the one before by blocks of 2 x 2 pixels (a last
// odd row or column with itself), made once per picture on a thread of their own while the
// editor goes on. A picture shrunk on the screen is averaged from the smallest of them still
// as large as it is shown, so that a step of "Zoom" reads at most twice the pixels it writes
// along each side, however small the picture is shown.
class PicturePyramid {
public:
    PicturePyramid() = default;
    PicturePyramid(const PicturePyramid&) = delete;
    PicturePyramid& operator=(const PicturePyramid&) = delete;
    ~PicturePyramid();
    // Starts making the halvings of picture (nothing when they are made or being made).
    void start(const QImage& picture);
    // The picture, or its smallest halving at least `size` large; waits for the halvings when
    // they are still being made.
    QImage levelFor(const QImage& picture, QSize size);

private:
    qint64 key_ = 0; // of the picture they halve
    std::future<std::vector<QImage>> making_;
    std::vector<QImage> levels_;
};

// The picture (32-bit RGB) halved: each pixel the rounded mean of a block of 2 x 2.
QImage halved(const QImage& picture);

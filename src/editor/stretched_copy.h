#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QRgb>

#include <functional>
#include <vector>

// The background picture's layer: a part of the picture copied, stretched, onto a layer of the
// background colour, each layer pixel taking the nearest picture pixel exactly as the toolkit's
// own plain stretched copy (QPainter::drawImage without smoothing) picks it: in 16.16 fixed
// point from the pixel's centre, one row and one column table per copy.
//
// Since a layer pixel shows the picture pixel of its column's and its row's table entries, a
// new copy whose tables repeat entries of the last one at a shifted place (a pan, or any move
// that keeps part of the sampling) moves those pixels within the layer and reads from the
// picture only what is new; a copy with the same tables changes nothing. The result is the
// toolkit's copy pixel for pixel; the few copies that it makes another way (a one-pixel part,
// sizes beyond its fixed point's range, other pixel formats) are left to it.
class StretchedCopy {
public:
    // Draws the part `source` of `picture` stretched over `target` (logical pixels of the
    // layer, whose device pixel ratio gives its pixels) onto `layer`, over the colour `back`;
    // an empty target or a null picture leaves only the colour. Returns the layer's pixels that
    // changed (device pixels; empty when none did).
    // `rowDone`, when given, is told each row of the layer once it is final, when the copy
    // writes every row itself (not when the toolkit makes it, nor when nothing changes).
    QRect draw(QImage& layer, const QImage& picture, const QRectF& target, const QRect& source,
               QRgb back, const std::function<void(int)>& rowDone = {});
    // Someone else wrote on the layer: the next copy draws it whole.
    void forget() { known_ = false; }

    // Where each layer column and row takes its pixel from in the picture (-1: the background
    // colour), as the toolkit's copy does; false when it would copy another way.
    static bool sample(const QImage& layer, const QImage& picture, const QRectF& target,
                       const QRect& source, std::vector<int>& columns, std::vector<int>& rows);

private:
    bool known_ = false; // the layer shows the tables below
    qint64 pictureKey_ = 0;
    QRgb back_ = 0;
    std::vector<int> columns_, rows_;
    std::vector<int> newColumns_, newRows_; // scratch
};

// The pixels `region` of the picture shrunk to `grid` pixels by area averaging: each is the mean
// of the picture's area it covers (partly covered pixels counted in part), so that a line
// thinner than a pixel of the result still shows. A pixel's value depends on the picture and
// the grid only, never on the region asked for: parts made apart fit together exactly.
// The region lies within the grid; the picture is 32-bit RGB.
QImage areaAveraged(const QImage& picture, QSize grid, const QRect& region);

#include "editor/picture_view.h"

#include <algorithm>
#include <cmath>

PicturePlacement placePicture(const PictureSliders& s, int width, int height) {
    PicturePlacement p;
    if (width <= 0 || height <= 0)
        return p;
    // The vertical offset subtracts half of the zoom's range, as the pan always has.
    const int offsetX = s.horiz - s.horizMax / 2;
    const int offsetY = s.vert - s.zoomMax / 2;
    const double zoom = s.zoom / 100.0;
    // The zoomed size, rounded to whole pixels; none at zoom 0, and a negative zoom mirrors
    // the copy out of the surface: nothing shows either.
    const double zoomedW = std::round(zoom * width);
    const double zoomedH = std::round(zoom * height);
    if (zoomedW <= 0.0 || zoomedH <= 0.0)
        return p;
    // The read rectangle (offsetX, offsetY, width, height) clipped to the picture.
    const int left = std::max(offsetX, 0);
    const int top = std::max(offsetY, 0);
    const int right = std::min(offsetX + width, width);
    const int bottom = std::min(offsetY + height, height);
    if (right <= left || bottom <= top)
        return p;
    const double kx = zoomedW / width;
    const double ky = zoomedH / height;
    p.visible = true;
    p.srcX = left;
    p.srcY = top;
    p.srcW = right - left;
    p.srcH = bottom - top;
    p.dstX = (left - offsetX) * kx;
    p.dstY = (top - offsetY) * ky;
    p.dstW = p.srcW * kx;
    p.dstH = p.srcH * ky;
    return p;
}

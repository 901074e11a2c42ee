#include "editor/picture_view.h"

#include <algorithm>
#include <cmath>

PicturePlacement placePicture(const PictureSliders& s, int width, int height) {
    PicturePlacement p;
    if (width <= 0 || height <= 0)
        return p;
    // The vertical offset subtracts half of the zoom's range, as the pan always has.
    const int offsetX = s.horiz - s.horizOrigin;
    const int offsetY = s.vert - s.vertOrigin;
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

PictureReach pictureReach(const PictureSliders& s, int width, int height, double surfaceWidth,
                          double surfaceHeight) {
    PictureReach r;
    const double zoom = s.zoom / 100.0;
    if (width <= 0 || height <= 0 || !(std::round(zoom * width) > 0.0) ||
        !(std::round(zoom * height) > 0.0))
        return r;
    // An offset of -k shows the picture's edge k picture pixels, k * zoom logical pixels, in
    // from the surface's edge; an offset of the picture's size shows nothing of it any more.
    const double kx = std::round(zoom * width) / width;
    const double ky = std::round(zoom * height) / height;
    r.horizMin = s.horizOrigin - static_cast<int>(std::ceil(surfaceWidth / kx));
    r.horizMax = s.horizOrigin + width;
    r.vertMin = s.vertOrigin - static_cast<int>(std::ceil(surfaceHeight / ky));
    r.vertMax = s.vertOrigin + height;
    return r;
}

#pragma once

// Where the background picture lands on the drawing surface for the pan and zoom sliders: the
// arithmetic alone, free of any toolkit, so that it can be checked without a window.
//
// The picture is read from the rectangle that starts at the pan offsets and has its own size,
// and that rectangle is stretched to the zoomed size at the surface's top-left corner. Parts of
// the rectangle outside the picture stay empty. Destination rectangles are in logical pixels of
// the surface at its design size: one picture pixel per logical pixel at zoom 100 %.

struct PictureSliders {
    int horiz = 650;       // "Horiz"
    int horizOrigin = 650; // the value of "Horiz" that reads from the picture's left edge
    int vert = 70;         // "Vert"
    int vertOrigin = 100;  // the same for "Vert", half of the zoom's first maximum as always
    int zoom = 80;         // "Zoom", in percent
};

struct PicturePlacement {
    bool visible = false;          // false: nothing of the picture is drawn
    int srcX = 0, srcY = 0;        // the part of the picture drawn, in picture pixels
    int srcW = 0, srcH = 0;        //
    double dstX = 0.0, dstY = 0.0; // where that part lands, in logical pixels
    double dstW = 0.0, dstH = 0.0; //
};

// width and height are the picture's own size in pixels.
PicturePlacement placePicture(const PictureSliders& s, int width, int height);

// The values "Horiz" and "Vert" need so that every pixel of a picture of width x height pixels
// can be brought anywhere on a surface of surfaceWidth x surfaceHeight logical pixels at its
// design size, at that zoom: from the picture's left (top) edge at the surface's right (bottom)
// edge to its right (bottom) edge at the surface's left (top) edge. Without a picture or with
// nothing of it shown (a zoom of 0 or below), empty (min > max).
struct PictureReach {
    int horizMin = 1, horizMax = 0;
    int vertMin = 1, vertMax = 0;
};
PictureReach pictureReach(const PictureSliders& s, int width, int height, double surfaceWidth,
                          double surfaceHeight);

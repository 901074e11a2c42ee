#pragma once

// Where the background picture lands on the drawing surface for the pan and zoom sliders: the
// arithmetic alone, free of any toolkit, so that it can be checked without a window.
//
// The picture is read from the rectangle that starts at the pan offsets and has its own size,
// and that rectangle is stretched to the zoomed size at the surface's top-left corner. Parts of
// the rectangle outside the picture stay empty. Destination rectangles are in logical pixels of
// the surface at its design size: one picture pixel per logical pixel at zoom 100 %.

struct PictureSliders {
    int horiz = 650;     // "Horiz"
    int horizMax = 1300; // its maximum
    int vert = 70;       // "Vert"
    int zoomMax = 200;   // the maximum of "Zoom": the vertical offset is taken from it
    int zoom = 80;       // "Zoom", in percent
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

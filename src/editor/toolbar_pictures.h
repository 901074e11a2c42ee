#pragma once

#include <QIcon>

// The small pictures of the toolbar buttons and of "Image On/Off", drawn by the editor itself
// so that nothing but the sources is needed to build it.
enum class ToolbarPicture {
    Open,    // a folder: open a picture
    Save,    // a disk: save the whole former
    Dotted,  // a dotted polyline with its handles
    Points,  // a curve with its sample dots
    Handles, // handle squares and an end circle
    Axes,    // three axis arrows
    View3D,  // a wire cube
    Grid,    // a green grid
    Picture, // a landscape in a frame: the background picture on or off
    Fit,     // a frame and four arrows to its corners: the whole drawing surface again
};

QIcon toolbarIcon(ToolbarPicture which);

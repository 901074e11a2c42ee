#pragma once

#include <QIcon>

// The pictures of the 3-D window's buttons, drawn by the window itself so that nothing but the
// sources is needed to build it.
enum class ViewPicture {
    Surface,     // a smoothly shaded ball
    WireFrame,   // a wire cube
    Transparent, // two overlapping see-through squares
    Silhouette,  // a cube's outline only
    Solid,       // a flat-filled cube
    Fuselage,    // formers one behind the other, the one being edited in red
};

enum class PiecePicture {
    Whole,  // the closed former
    Left,   // its left half
    Right,  // its right half
    Top,    // its upper half
    Bottom, // its lower half
};

QIcon viewButtonIcon(ViewPicture which);
QIcon pieceButtonIcon(PiecePicture which);

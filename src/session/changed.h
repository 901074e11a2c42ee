#pragma once

// What an edit of the session changed, for the windows to show once: each bit names a part of
// what they show. An edit returns the bits of what it changed; showing more than that is never
// needed, showing less leaves something stale.
enum class Changed : unsigned {
    None = 0,
    Outline = 1u << 0,    // the former's samples: the surface's drawing, the part in place
    Part = 1u << 1,       // the part's faces: built anew (a count of samples, the doubling)
    Handles = 1u << 2,    // which handles show, and how
    Settings = 1u << 3,   // what the controls show: values, choices, what is enabled
    Picture = 1u << 4,    // which picture shows, if any
    Placement = 1u << 5,  // where the picture lies under the drawing
    Grid = 1u << 6,       // the surface's grid
    Dimensions = 1u << 7, // the part's thickness, height or width moved in place
    View3D = 1u << 8,     // how the 3-D window shows its part: piece, mode, camera, shown
    Fuselage = 1u << 9,   // the formers the fuselage shows
    List = 1u << 10,      // the panel "Couples"
    Status = 1u << 11,    // a message for the status bar
    Former = 1u << 12,    // another former edited, or the work of this one as a whole
    Drawing = 1u << 13,   // the outline drawn otherwise, its samples as they were
    Notches = 1u << 14,   // the stringers and slots ("Lisses et encoches"), the notches left out
    All = (1u << 15) - 1,
};

constexpr Changed operator|(Changed a, Changed b) {
    return static_cast<Changed>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr Changed& operator|=(Changed& a, Changed b) {
    return a = a | b;
}
// True when `a` holds any of the bits of `b`.
constexpr bool operator&(Changed a, Changed b) {
    return (static_cast<unsigned>(a) & static_cast<unsigned>(b)) != 0;
}

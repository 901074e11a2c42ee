#pragma once

// The element of every point array of the former: drawing-surface millimetres, origin at
// the top-left corner of Picture1, y downwards. z is carried along but never used here.
struct PointXYZ {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend bool operator==(const PointXYZ&, const PointXYZ&) = default;
};

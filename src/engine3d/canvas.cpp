#include "engine3d/canvas.h"

#include <algorithm>

std::uint32_t toRgb(Colour3 colour) {
    auto channel = [](std::int16_t c) {
        return static_cast<std::uint32_t>(std::clamp<int>(c, 0, 255));
    };
    return (channel(colour.r) << 16) | (channel(colour.g) << 8) | channel(colour.b);
}

void Canvas::polygons(std::span<const FlatTriangle> triangles) {
    for (const FlatTriangle& t : triangles) {
        setFillColour(t.colour);
        polygon(t.points);
    }
}

void Canvas::gradientTriangles(std::span<const GradientTriangle> triangles) {
    for (const GradientTriangle& t : triangles) {
        (void)gradientTriangle(t.corners);
    }
}

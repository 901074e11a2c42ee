#include "engine3d/canvas.h"

#include <algorithm>

std::uint32_t toRgb(Colour3 colour) {
    auto channel = [](std::int16_t c) {
        return static_cast<std::uint32_t>(std::clamp<int>(c, 0, 255));
    };
    return (channel(colour.r) << 16) | (channel(colour.g) << 8) | channel(colour.b);
}

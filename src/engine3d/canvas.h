#pragma once

#include "engine3d/records.h"

#include <cstdint>
#include <span>
#include <string_view>

// How outlines, fills and lines combine with the pixels already on the surface.
enum class PenMode {
    Copy,   // the colour replaces the pixel
    Merge,  // the colour is OR-ed with the pixel
    Invert, // the pixel is inverted, whatever the colour
};

// One corner of a gradient triangle: whole pixels and 16-bit channels (c·256 for a channel c
// of 0..255); alpha is carried along unused.
struct GradientVertex {
    int x = 0;
    int y = 0;
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    std::uint16_t alpha = 0;
};

// A triangle of one colour in a list drawn in order.
struct FlatTriangle {
    PixelPoint points[3];
    Colour3 colour;
};

// A gradient triangle in a list drawn in order.
struct GradientTriangle {
    GradientVertex corners[3];
};

// The drawing surface the engine renders into, measured in pixels, origin top-left, y down.
// Like a device context it keeps a pen and fill state that the drawing calls use.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // Fills the whole surface with its background colour.
    virtual void clear() = 0;

    virtual void setPenMode(PenMode mode) = 0;
    // Solid line style, or none: polygon outlines, lines and Beziers show only while on.
    virtual void setOutline(bool on) = 0;
    virtual void setOutlineColour(Colour3 colour) = 0;
    virtual void setFill(bool on) = 0; // solid fill, or transparent
    virtual void setFillColour(Colour3 colour) = 0;
    virtual void setTextColour(Colour3 colour) = 0;

    // Closed triangle: the fill, then the outline, each as set up and in the pen mode.
    virtual void polygon(const PixelPoint (&points)[3]) = 0;
    // Colours interpolated from the corners; always copies. False when it cannot be drawn.
    virtual bool gradientTriangle(const GradientVertex (&corners)[3]) = 0;
    // The triangles one after the other, each as polygon() draws it with its colour as the
    // fill colour, which is left at the last one's. A surface that paints pixels itself may
    // draw them in any order that leaves every pixel as that would.
    virtual void polygons(std::span<const FlatTriangle> triangles);
    // The triangles one after the other, each as gradientTriangle() draws it; those that cannot
    // be drawn are left out. The same freedom of order as polygons().
    virtual void gradientTriangles(std::span<const GradientTriangle> triangles);
    // Copies the colour, whatever the pen mode.
    virtual void setPixel(PixelPoint at, Colour3 colour) = 0;
    // Lines and curves use the outline colour and the pen mode.
    virtual void line(PixelPoint from, PixelPoint to) = 0;
    virtual void bezier(const PixelPoint (&points)[4]) = 0; // start, two controls, end
    // Text in the text colour, its top-left corner at the point, no background.
    virtual void text(PixelPoint at, std::string_view text) = 0;
};

// Display colour of a Colour3 as 0x00RRGGBB, channels limited to 0..255.
std::uint32_t toRgb(Colour3 colour);

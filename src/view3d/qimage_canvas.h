#pragma once

#include "engine3d/canvas.h"

#include <QFont>
#include <QImage>

#include <cstdint>
#include <vector>

// The engine's canvas on a QImage (the 3-D window's persistent image). Triangles, their
// outlines and lines are painted pixel by pixel with exact integer rules, so that neighbouring
// faces neither leave gaps nor paint a pixel twice and an edge shared by two outlines covers
// the same pixels both times (the silhouette mode relies on that to cancel inner edges).
// Beziers and text go through QPainter with the matching raster operation.
class QImageCanvas final : public Canvas {
public:
    // Draws into `image`, which must outlive the canvas. An image that is not 32-bit RGB is
    // converted to it first.
    explicit QImageCanvas(QImage& image);

    void setBackgroundColour(Colour3 colour) { background_ = colour; }
    void setFont(const QFont& font) { font_ = font; }

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    void clear() override;
    void setPenMode(PenMode mode) override { penMode_ = mode; }
    void setOutline(bool on) override { outline_ = on; }
    void setOutlineColour(Colour3 colour) override { outlineColour_ = colour; }
    void setFill(bool on) override { fill_ = on; }
    void setFillColour(Colour3 colour) override { fillColour_ = colour; }
    void setTextColour(Colour3 colour) override { textColour_ = colour; }
    void polygon(const PixelPoint (&points)[3]) override;
    bool gradientTriangle(const GradientVertex (&corners)[3]) override;
    void setPixel(PixelPoint at, Colour3 colour) override;
    void line(PixelPoint from, PixelPoint to) override;
    void bezier(const PixelPoint (&points)[4]) override;
    void text(PixelPoint at, std::string_view text) override;

    // Rows and columns the rasteriser has stepped through since the canvas was made: each
    // triangle, outline or line costs at most the image's size, however far its corners lie.
    std::int64_t rasterSteps() const { return rasterSteps_; }

private:
    // Converts a replaced image to 32-bit RGB; false when there is nothing to draw on.
    bool usable();
    void strokeOutline(const PixelPoint (&points)[3]);

    QImage& image_;
    PenMode penMode_ = PenMode::Copy;
    bool outline_ = true;
    bool fill_ = false;
    Colour3 outlineColour_{255, 255, 255};
    Colour3 fillColour_;
    Colour3 textColour_{255, 255, 255};
    Colour3 background_;
    QFont font_;
    std::vector<std::uint64_t> outlinePixels_; // scratch: pixels of one outline, invert pen
    std::int64_t rasterSteps_ = 0;
};

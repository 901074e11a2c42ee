#pragma once

#include "engine3d/canvas.h"

#include <string>
#include <vector>

// Records every drawing call with the pen and fill state it was drawn with; for tests.
class RecordingCanvas final : public Canvas {
public:
    enum class Kind { Clear, Polygon, Gradient, Pixel, Line, Bezier, Text };

    struct State {
        PenMode penMode = PenMode::Copy;
        bool outline = true;
        bool fill = false;
        Colour3 outlineColour;
        Colour3 fillColour;
        Colour3 textColour;
    };

    struct Call {
        Kind kind = Kind::Clear;
        State state;
        PixelPoint points[4] = {};
        int pointCount = 0;
        GradientVertex corners[3] = {};
        Colour3 colour; // of a pixel
        std::string text;
    };

    RecordingCanvas(int width, int height) : width_(width), height_(height) {}

    int width() const override { return width_; }
    int height() const override { return height_; }
    void clear() override;
    void setPenMode(PenMode mode) override { state_.penMode = mode; }
    void setOutline(bool on) override { state_.outline = on; }
    void setOutlineColour(Colour3 colour) override { state_.outlineColour = colour; }
    void setFill(bool on) override { state_.fill = on; }
    void setFillColour(Colour3 colour) override { state_.fillColour = colour; }
    void setTextColour(Colour3 colour) override { state_.textColour = colour; }
    void polygon(const PixelPoint (&points)[3]) override;
    bool gradientTriangle(const GradientVertex (&corners)[3]) override;
    void setPixel(PixelPoint at, Colour3 colour) override;
    void line(PixelPoint from, PixelPoint to) override;
    void bezier(const PixelPoint (&points)[4]) override;
    void text(PixelPoint at, std::string_view text) override;

    const State& state() const { return state_; }
    // The calls of one kind, in drawing order.
    std::vector<Call> callsOf(Kind kind) const;

    std::vector<Call> calls;

private:
    Call& record(Kind kind);

    int width_;
    int height_;
    State state_;
};

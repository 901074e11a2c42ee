#include "engine3d/recording_canvas.h"

#include <algorithm>

RecordingCanvas::Call& RecordingCanvas::record(Kind kind) {
    Call& c = calls.emplace_back();
    c.kind = kind;
    c.state = state_;
    return c;
}

void RecordingCanvas::clear() {
    record(Kind::Clear);
}

void RecordingCanvas::polygon(const PixelPoint (&points)[3]) {
    Call& c = record(Kind::Polygon);
    std::copy(points, points + 3, c.points);
    c.pointCount = 3;
}

bool RecordingCanvas::gradientTriangle(const GradientVertex (&corners)[3]) {
    Call& c = record(Kind::Gradient);
    std::copy(corners, corners + 3, c.corners);
    for (int i = 0; i < 3; ++i) {
        c.points[i] = {corners[i].x, corners[i].y};
    }
    c.pointCount = 3;
    return true;
}

void RecordingCanvas::setPixel(PixelPoint at, Colour3 colour) {
    Call& c = record(Kind::Pixel);
    c.points[0] = at;
    c.pointCount = 1;
    c.colour = colour;
}

void RecordingCanvas::line(PixelPoint from, PixelPoint to) {
    Call& c = record(Kind::Line);
    c.points[0] = from;
    c.points[1] = to;
    c.pointCount = 2;
}

void RecordingCanvas::bezier(const PixelPoint (&points)[4]) {
    Call& c = record(Kind::Bezier);
    std::copy(points, points + 4, c.points);
    c.pointCount = 4;
}

void RecordingCanvas::text(PixelPoint at, std::string_view text) {
    Call& c = record(Kind::Text);
    c.points[0] = at;
    c.pointCount = 1;
    c.text = std::string(text);
}

std::vector<RecordingCanvas::Call> RecordingCanvas::callsOf(Kind kind) const {
    std::vector<Call> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                 [kind](const Call& c) { return c.kind == kind; });
    return out;
}

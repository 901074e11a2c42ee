#pragma once

#include "engine3d/engine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// Small scenes for the engine tests.

// An engine on the heap (its pools are large) whose errors are recorded.
struct EngineWithErrors {
    RecordingErrorSink errors;
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(errors);
    Engine& e = *engine;
};

inline void expectNear(const Vector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

// Face corners relative to the mesh (0 = its first vertex).
struct FaceSpec {
    int a;
    int b;
    int c;
};

// A mesh with the given model vertices and faces of one colour.
inline int addMesh(Engine& e, std::initializer_list<Vector3> vertices,
                   std::initializer_list<FaceSpec> faces, Colour3 colour = {110, 0, 0},
                   float material = 0.9f) {
    const int m = e.CreateMesh(static_cast<int>(vertices.size()), static_cast<int>(faces.size()));
    if (m == 0) {
        return 0;
    }
    const Mesh& mesh = e.meshes[m];
    int v = mesh.vertexStart;
    for (const Vector3& p : vertices) {
        e.vertices[v++] = p;
    }
    const auto at = [&](int k) { return static_cast<std::int16_t>(mesh.vertexStart + k); };
    int f = mesh.faceStart;
    for (const FaceSpec& s : faces) {
        e.faces[f++] = Face{at(s.a), at(s.b), at(s.c), colour, material};
    }
    return m;
}

// A marker: vertices with one face (0, 0, 0) carrying the colour, and a label.
inline int addMarker(Engine& e, std::initializer_list<Vector3> vertices, Colour3 colour,
                     const char* label = "") {
    const int m = addMesh(e, vertices, {{0, 0, 0}}, colour, 0.0f);
    e.faces[e.meshes[m].faceStart] = Face{0, 0, 0, colour, 0.0f};
    e.meshes[m].label = label;
    return m;
}

// A square of side 2·half in the plane z, centred on (cx, cy), whose two faces look towards
// -z, i.e. towards a camera orbiting at yaw 0, pitch 0.
inline int addFacingSquare(Engine& e, float half, float z = 0.0f, float cx = 0.0f, float cy = 0.0f,
                           Colour3 colour = {110, 0, 0}) {
    return addMesh(e,
                   {{cx - half, cy - half, z},
                    {cx - half, cy + half, z},
                    {cx + half, cy + half, z},
                    {cx + half, cy - half, z}},
                   {{0, 1, 2}, {0, 2, 3}}, colour);
}

// A camera orbiting the origin at yaw 0, pitch 0: at (0, 0, -distance) looking along +z, with
// a head light where it stands.
struct CameraAndLight {
    int camera = 0;
    int light = 0;
};

inline CameraAndLight addHeadCamera(Engine& e, float distance = 370.0f) {
    CameraAndLight cl{e.CreateCamera(), e.CreateLight()};
    e.cameras[cl.camera].orthoScale = 1.0f;
    e.OrbitCamera(cl.camera, {0, 0, 0}, distance, 0.0f, 0.0f);
    e.lights[cl.light].position = e.cameras[cl.camera].position;
    return cl;
}

// Passes every drawing call on to another surface, lists of triangles one triangle at a time:
// frames drawn through it are those of a surface that draws in list order, the reference for
// surfaces that share a list's drawing out.
class OneByOneCanvas final : public Canvas {
public:
    explicit OneByOneCanvas(Canvas& surface) : surface_(surface) {}

    int width() const override { return surface_.width(); }
    int height() const override { return surface_.height(); }
    void clear() override { surface_.clear(); }
    void setPenMode(PenMode mode) override { surface_.setPenMode(mode); }
    void setOutline(bool on) override { surface_.setOutline(on); }
    void setOutlineColour(Colour3 colour) override { surface_.setOutlineColour(colour); }
    void setFill(bool on) override { surface_.setFill(on); }
    void setFillColour(Colour3 colour) override { surface_.setFillColour(colour); }
    void setTextColour(Colour3 colour) override { surface_.setTextColour(colour); }
    void polygon(const PixelPoint (&points)[3]) override { surface_.polygon(points); }
    bool gradientTriangle(const GradientVertex (&corners)[3]) override {
        return surface_.gradientTriangle(corners);
    }
    void setPixel(PixelPoint at, Colour3 colour) override { surface_.setPixel(at, colour); }
    void line(PixelPoint from, PixelPoint to) override { surface_.line(from, to); }
    void bezier(const PixelPoint (&points)[4]) override { surface_.bezier(points); }
    void text(PixelPoint at, std::string_view text) override { surface_.text(at, text); }

private:
    Canvas& surface_;
};

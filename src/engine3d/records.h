#pragma once

#include <cstdint>
#include <string>

// The records of the 3-D engine. Values are stored as 32-bit floats and 16-bit integers;
// arithmetic may use wider intermediates but every stored value is rounded back.

// Every pool has slots 0..10000 unless the engine is made with another size; slot 0 is never
// handed out and means "none".
inline constexpr int kPoolSlots = 10001;
inline constexpr int kLastSlot = 10000;
// The most slots a pool may have: indices are 16-bit, and an empty run after a full pool starts
// one past its last slot, which must still be an index.
inline constexpr int kMaxPoolSlots = 32767;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Vector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

// Four rows of four; points are row vectors multiplied on the left (p' = p·M), so a
// translation sits in the fourth row.
struct Matrix4 {
    float m[4][4] = {};
};

// Channels are 0..255 in normal use; shown as R + 256·G + 65536·B.
struct Colour3 {
    std::int16_t r = 0;
    std::int16_t g = 0;
    std::int16_t b = 0;
    friend bool operator==(const Colour3&, const Colour3&) = default;
};

// Rotation fields of meshes, cameras and lights, in their stored order: about Z (roll),
// about X (pitch), about Y (yaw). Radians.
struct Angles3 {
    float z = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
};

// The weight with which the lit colour replaces the face colour; also scales the specular term.
using FaceMaterial = float;

struct Face {
    // Absolute indices into the vertex pool, not relative to the mesh.
    std::int16_t vertexA = 0;
    std::int16_t vertexB = 0;
    std::int16_t vertexC = 0;
    Colour3 colour;
    FaceMaterial material = 0.0f;
};

// A mesh with exactly one face is a marker, drawn from its vertices: one vertex with a label is
// a text, one without a pixel, two a line, four a cubic Bezier. Its face is (0, 0, 0).
struct Mesh {
    std::int16_t vertexStart = 0;
    std::int16_t vertexCount = 0;
    std::int16_t faceStart = 0;
    std::int16_t faceCount = 0;
    Vector3 scale;
    Angles3 rotation;
    Vector3 position;
    std::int16_t parent = 0;
    bool dirty = false; // the world matrix must be rebuilt
    Matrix4 world;
    bool visible = false;
    std::string label;
};

struct Camera {
    float tanHalfFov = 0.0f;
    float near = 0.0f;
    float far = 0.0f;
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
    Angles3 rotation; // roll, pitch, yaw
    Vector3 position;
    bool dirty = false; // the view matrix must be rebuilt
    Matrix4 view;
    bool twoSided = false;
    bool specular = false;
    bool attenuation = false; // light attenuation and depth fog together
    bool separateSpecular = false;
    Colour3 fogColour;
    std::int16_t renderMode = 0;
    bool orthographic = false;
    float orthoScale = 0.0f; // pixels per unit
};

struct Light {
    Colour3 colour;
    float attenuationStart = 0.0f;
    float attenuationEnd = 0.0f;
    Angles3 rotation; // only the X and Y angles aim a spot light
    Vector3 position;
    float spotInnerCos = 0.0f;
    float spotOuterCos = 0.0f; // a spot light only while > 0
    bool enabled = false;
};

// Occupied slots first .. first+count-1, no holes.
struct PoolRange {
    std::int16_t first = 0;
    std::int16_t count = 0;
};

// A point of the drawing surface in whole pixels.
struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

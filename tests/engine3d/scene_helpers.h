#pragma once

#include "engine3d/engine.h"

#include <initializer_list>

// Small scenes for the engine tests.

// A mesh with the given model vertices and faces; face indices are relative to the mesh
// (0 = its first vertex).
struct FaceSpec {
    int a;
    int b;
    int c;
};

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
    int f = mesh.faceStart;
    for (const FaceSpec& s : faces) {
        Face& face = e.faces[f++];
        face.vertexA = static_cast<std::int16_t>(mesh.vertexStart + s.a);
        face.vertexB = static_cast<std::int16_t>(mesh.vertexStart + s.b);
        face.vertexC = static_cast<std::int16_t>(mesh.vertexStart + s.c);
        face.colour = colour;
        face.material = material;
    }
    return m;
}

// A marker: vertices with one face (0, 0, 0) carrying the colour.
inline int addMarker(Engine& e, std::initializer_list<Vector3> vertices, Colour3 colour,
                     const char* label = "") {
    const int m = e.CreateMesh(static_cast<int>(vertices.size()), 1);
    if (m == 0) {
        return 0;
    }
    int v = e.meshes[m].vertexStart;
    for (const Vector3& p : vertices) {
        e.vertices[v++] = p;
    }
    Face& face = e.faces[e.meshes[m].faceStart];
    face = Face{};
    face.colour = colour;
    e.meshes[m].label = label;
    return m;
}

// A square of side 2·half in the plane z, centred on (cx, cy), whose two faces look towards
// -z, i.e. towards a camera orbiting at yaw 0, pitch 0.
inline int addFacingSquare(Engine& e, float half, float z = 0.0f, float cx = 0.0f, float cy = 0.0f,
                           Colour3 colour = {110, 0, 0}, float material = 0.9f) {
    return addMesh(e,
                   {{cx - half, cy - half, z},
                    {cx - half, cy + half, z},
                    {cx + half, cy + half, z},
                    {cx + half, cy - half, z}},
                   {{0, 1, 2}, {0, 2, 3}}, colour, material);
}

// A camera orbiting the origin at yaw 0, pitch 0: at (0, 0, -distance) looking along +z, with
// a head light where it stands.
struct CameraAndLight {
    int camera = 0;
    int light = 0;
};

inline CameraAndLight addHeadCamera(Engine& e, float distance = 370.0f) {
    CameraAndLight cl;
    cl.camera = e.CreateCamera();
    cl.light = e.CreateLight();
    e.cameras[cl.camera].orthoScale = 1.0f;
    e.OrbitCamera(cl.camera, {0, 0, 0}, distance, 0.0f, 0.0f);
    e.lights[cl.light].position = e.cameras[cl.camera].position;
    return cl;
}

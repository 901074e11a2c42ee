#pragma once

#include "engine3d/engine.h"
#include "engine3d/vector_maths.h"

#include <cmath>
#include <cstdint>

// Scenes of many faces for the frame benchmarks: closed two-layer bands like the former's.

inline constexpr int kRingPoints = 200; // two rings, 2 faces per interval: 400 faces a band

// A rounded outline of half width w and half height h at z, d deep; two-sided (800 faces), as
// the former's, when sides is 2. Returns the mesh, 0 when the pools are full.
inline int addBand(Engine& e, float w, float h, float z, float d, int sides = 1) {
    const int m = e.CreateMesh(2 * kRingPoints, 2 * sides * kRingPoints);
    if (m == 0) {
        return 0;
    }
    const Mesh& mesh = e.meshes[m];
    for (int layer = 0; layer < 2; ++layer) {
        for (int k = 0; k < kRingPoints; ++k) {
            const double a = 2.0 * kEnginePi * k / kRingPoints;
            // A superellipse: flat sides and rounded corners, like a fuselage former.
            const double c = std::cos(a);
            const double s = std::sin(a);
            const double x = w * std::copysign(std::pow(std::fabs(c), 0.6), c);
            const double y = h * std::copysign(std::pow(std::fabs(s), 0.6), s);
            e.vertices[mesh.vertexStart + layer * kRingPoints + k] = {
                static_cast<float>(x), static_cast<float>(y), z + d * layer};
        }
    }
    auto slot = [&](int layer, int k) {
        return static_cast<std::int16_t>(mesh.vertexStart + layer * kRingPoints +
                                         (k % kRingPoints));
    };
    int f = mesh.faceStart;
    for (int k = 0; k < kRingPoints; ++k) {
        e.faces[f++] = Face{slot(0, k), slot(1, k), slot(1, k + 1), {110, 0, 0}, 0.9f};
        e.faces[f++] = Face{slot(0, k), slot(1, k + 1), slot(0, k + 1), {110, 0, 0}, 0.9f};
        if (sides == 2) {
            e.faces[f++] = Face{slot(1, k + 1), slot(1, k), slot(0, k), {110, 0, 0}, 0.9f};
            e.faces[f++] = Face{slot(0, k + 1), slot(1, k + 1), slot(0, k), {110, 0, 0}, 0.9f};
        }
    }
    return m;
}

// `bands` bands of 400 faces: a tapering fuselage along z. 25 of them fill both pools to slot
// 10000.
inline void addFuselage(Engine& e, int bands = 25) {
    for (int i = 0; i < bands; ++i) {
        const float t = static_cast<float>(i) / 24.0f;
        const float size =
            0.35f + 0.65f * std::sin(static_cast<float>(kEnginePi) * (0.15f + 0.7f * t));
        addBand(e, 60.0f * size, 75.0f * size, -180.0f + 15.0f * static_cast<float>(i), 5.0f);
    }
}

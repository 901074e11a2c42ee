// Per-frame geometry: world placement, camera view, projection, and the orbit camera.

#include "engine3d/engine.h"

#include "engine3d/vector_maths.h"

#include <algorithm>

void Engine::UpdateWorld() {
    const int begin = std::max<int>(1, meshRange.first);
    const int end = std::min<int>(meshRange.first + meshRange.count, slots_);
    auto parentOf = [this](const Mesh& m) {
        return (m.parent >= 0 && m.parent <= lastSlot()) ? m.parent : 0;
    };
    // 1. A dirty parent makes its children dirty (one pass, in index order).
    for (int i = begin; i < end; ++i) {
        if (meshes[parentOf(meshes[i])].dirty) {
            meshes[i].dirty = true;
        }
    }
    // 2. Rebuild the dirty world matrices, then place every vertex, visible or not.
    for (int i = begin; i < end; ++i) {
        Mesh& m = meshes[i];
        if (m.dirty) {
            m.dirty = false;
            Matrix4 w = scaleMatrix(m.scale);
            w = multiply(w, rotationMatrix(kAxisZ, m.rotation.z));
            w = multiply(w, rotationMatrix(kAxisX, m.rotation.x));
            w = multiply(w, rotationMatrix(kAxisY, m.rotation.y));
            w = multiply(w, translationMatrix(m.position));
            // Slot 0 always holds the zero matrix, so parent 0 means "none".
            const Matrix4& parentWorld = meshes[parentOf(m)].world;
            if (!isZero(parentWorld)) {
                w = multiply(w, parentWorld);
            }
            m.world = w;
        }
        const VertexRun run = vertexRun(m);
        for (int v = run.begin; v < run.end; ++v) {
            worldPositions[v] = transformPoint(vertices[v], m.world);
        }
    }
}

void Engine::UpdateView(int camera) {
    if (!isCamera(camera)) {
        return;
    }
    Camera& c = cameras[camera];
    if (c.dirty) {
        c.dirty = false;
        Matrix4 p = rotationMatrix(kAxisZ, c.rotation.z);
        p = multiply(p, rotationMatrix(kAxisX, c.rotation.x));
        p = multiply(p, rotationMatrix(kAxisY, c.rotation.y));
        p = multiply(p, translationMatrix(c.position));
        c.view = inverse(p);
    }
    const int begin = std::max<int>(1, meshRange.first);
    const int end = std::min<int>(meshRange.first + meshRange.count, slots_);
    for (int i = begin; i < end; ++i) {
        const VertexRun run = vertexRun(meshes[i]);
        for (int v = run.begin; v < run.end; ++v) {
            viewPositions[v] = transformPoint(worldPositions[v], c.view);
        }
    }
}

void Engine::ProjectVertices(const Canvas& surface, int camera) {
    if (!isCamera(camera)) {
        return;
    }
    const Camera& c = cameras[camera];
    const float hw = static_cast<float>(surface.width()) / 2.0f;
    const float hh = static_cast<float>(surface.height()) / 2.0f;
    const float s = std::max(hw, hh); // the field of view spans the longer side
    const float t = c.tanHalfFov;

    Matrix4 q;
    if (!(c.near > 0.0f && c.near < c.far)) {
        EngineError(kErrorCameraSettings); // q stays zero: every w is 0, nothing moves
    } else if (c.orthographic) {
        const float range = c.far - c.near;
        q = matrixFromRows({c.orthoScale, 0, 0, 0}, {0, -c.orthoScale, 0, 0},
                           {0, 0, 1.0f / range, 0}, {hw, hh, -c.near / range, 1});
    } else {
        const float range = c.far - c.near;
        q = matrixFromRows({s, 0, 0, 0}, {0, -s, 0, 0}, {t * hw, t * hh, c.far * t / range, t},
                           {0, 0, -c.far * c.near * t / range, 0});
    }

    const int begin = std::max<int>(1, meshRange.first);
    const int end = std::min<int>(meshRange.first + meshRange.count, slots_);
    for (int i = begin; i < end; ++i) {
        if (!meshes[i].visible) {
            continue;
        }
        const VertexRun run = vertexRun(meshes[i]);
        for (int v = run.begin; v < run.end; ++v) {
            const Vector4 h = transformToVector4(viewPositions[v], q);
            if (h.w != 0.0f) { // otherwise the vertex keeps its previous position
                screenPositions[v] = {h.x / h.w, h.y / h.w, h.z / h.w};
            }
        }
    }
}

void Engine::OrbitCamera(int camera, const Vector3& target, float distance, float yaw,
                         float pitch) {
    if (!isCamera(camera)) {
        return;
    }
    Camera& c = cameras[camera];
    const Vector3 dir = DirectionFromAngles({0.0f, pitch, -yaw});
    c.position = add(target, scale(dir, -distance));
    c.rotation.x = pitch;
    c.rotation.y = -yaw;
    c.dirty = true;
}

#include "engine3d/engine.h"

#include "engine3d/vector_maths.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

NullErrorSink nullSink;

// Slots first .. first+count-1 of a range, kept inside the pool's 1..last whatever the range
// says.
struct SlotSpan {
    int begin;
    int end;
};

SlotSpan occupied(const PoolRange& r, int slots) {
    const int begin = std::max<int>(1, r.first);
    const int end = std::min<int>(r.first + r.count, slots);
    return {begin, std::max(begin, end)};
}

// Run allocation over one pool of `slots` slots; `run` gives a mesh's (start, count) in that
// pool. Starts may reach the slot after the last (an empty run after a full pool), so the table
// has room for them.
template <typename RunOf>
int allocRun(const std::vector<Mesh>& meshes, const PoolRange& range, int slots, int n, RunOf run) {
    if (n < 0) {
        return 0;
    }
    const SlotSpan span = occupied(range, slots);
    const int starts = slots + 2;
    auto startSlot = [starts](int start) { return std::clamp(start, 0, starts - 1); };

    // 1. First fit: the gap before mesh i runs from the greatest last slot of the meshes
    //    starting below it, to just before its own start.
    if (n != 0 && span.end > span.begin) {
        // below[s] = greatest last slot among meshes whose start is below s.
        std::vector<int> below(starts + 1, 0);
        for (int i = span.begin; i < span.end; ++i) {
            const auto [start, count] = run(meshes[i]);
            const int s = startSlot(start);
            below[s + 1] = std::max(below[s + 1], start + count - 1);
        }
        for (int s = 1; s <= starts; ++s) {
            below[s] = std::max(below[s], below[s - 1]);
        }
        for (int i = span.begin; i < span.end; ++i) {
            const int start = run(meshes[i]).first;
            const int prevEnd = below[startSlot(start)];
            if (start - 1 - prevEnd >= n) {
                return prevEnd + 1;
            }
        }
    }
    // 2. Otherwise after the highest occupied slot.
    int end = 0;
    for (int i = span.begin; i < span.end; ++i) {
        const auto [start, count] = run(meshes[i]);
        end = std::max(end, start + count - 1);
    }
    if (end + n > slots - 1) {
        return 0;
    }
    return end + 1;
}

// Moves records index+1 .. last of a range down one slot and frees the last one.
template <typename Record>
void removeRecord(std::vector<Record>& pool, PoolRange& range, int index) {
    const SlotSpan span = occupied(range, static_cast<int>(pool.size()));
    if (index < span.begin || index >= span.end) {
        return;
    }
    for (int i = index; i + 1 < span.end; ++i) {
        pool[i] = std::move(pool[i + 1]);
    }
    pool[span.end - 1] = Record{};
    --range.count;
}

// The next free slot of a range, 0 when the pool is full.
int nextSlot(const PoolRange& range, int slots) {
    const int slot = range.first + range.count;
    if (range.first < 1 || slot > slots - 1) {
        return 0;
    }
    return slot;
}

} // namespace

Engine::Engine(int poolSlots)
    : slots_(std::clamp(poolSlots, 2, kMaxPoolSlots)), vertices(slots_), faces(slots_),
      meshes(slots_), cameras(slots_), lights(slots_), worldPositions(slots_),
      viewPositions(slots_), screenPositions(slots_), vertexNormals(slots_), vertexColours(slots_),
      faceColours(slots_), drawList(slots_), drawKeys(slots_), shadeStamp_(slots_),
      otherStamp_(slots_), scratchFaces_(slots_), scratchKeys_(slots_), lastOrder_(slots_),
      listedAt_(slots_), listedStamp_(slots_), sortEntries_(slots_), radixBuffer_(slots_),
      taken_(slots_) {
    // Slot 0 is never handed out.
    meshRange.first = 1;
    cameraRange.first = 1;
    lightRange.first = 1;
    setErrorSink(nullptr);
}

void Engine::setErrorSink(ErrorSink* sink) {
    sink_ = sink ? sink : &nullSink;
}

void Engine::EngineError(int code) {
    if (inFrame_ && (code == kErrorCameraSettings || code == kErrorLightSettings)) {
        const unsigned bit = 1u << code;
        if (reportedInFrame_ & bit) {
            return;
        }
        reportedInFrame_ |= bit;
    }
    sink_->EngineError(code);
}

bool Engine::isMesh(int m) const {
    const SlotSpan s = occupied(meshRange, slots_);
    return m >= s.begin && m < s.end;
}

bool Engine::isCamera(int c) const {
    const SlotSpan s = occupied(cameraRange, slots_);
    return c >= s.begin && c < s.end;
}

bool Engine::isLight(int l) const {
    const SlotSpan s = occupied(lightRange, slots_);
    return l >= s.begin && l < s.end;
}

Engine::VertexRun Engine::vertexRun(const Mesh& mesh) const {
    const int begin = std::max<int>(1, mesh.vertexStart);
    const int end = std::min<int>(mesh.vertexStart + mesh.vertexCount, slots_);
    return {begin, std::max(begin, end)};
}

Engine::VertexRun Engine::faceRun(const Mesh& mesh) const {
    const int begin = std::max<int>(1, mesh.faceStart);
    const int end = std::min<int>(mesh.faceStart + mesh.faceCount, slots_);
    return {begin, std::max(begin, end)};
}

int Engine::AllocVertexBlock(int n) const {
    return allocRun(meshes, meshRange, slots_, n, [](const Mesh& m) {
        return std::pair<int, int>(m.vertexStart, m.vertexCount);
    });
}

int Engine::AllocFaceBlock(int n) const {
    return allocRun(meshes, meshRange, slots_, n,
                    [](const Mesh& m) { return std::pair<int, int>(m.faceStart, m.faceCount); });
}

int Engine::CreateMesh(int vertexCount, int faceCount) {
    const int slot = nextSlot(meshRange, slots_);
    const int vertexStart = AllocVertexBlock(vertexCount);
    const int faceStart = AllocFaceBlock(faceCount);
    if (slot == 0 || vertexStart == 0 || faceStart == 0) {
        EngineError(kErrorMeshMemory);
        return 0;
    }
    Mesh& m = meshes[slot];
    m = Mesh{};
    m.vertexStart = static_cast<std::int16_t>(vertexStart);
    m.vertexCount = static_cast<std::int16_t>(vertexCount);
    m.faceStart = static_cast<std::int16_t>(faceStart);
    m.faceCount = static_cast<std::int16_t>(faceCount);
    m.scale = {1.0f, 1.0f, 1.0f};
    m.dirty = true;
    m.visible = true;
    ++meshRange.count;
    return slot;
}

void Engine::DeleteMesh(int m) {
    if (!isMesh(m)) {
        return;
    }
    const SlotSpan span = occupied(meshRange, slots_);
    for (int i = span.begin; i < span.end; ++i) {
        std::int16_t& parent = meshes[i].parent;
        if (parent == m) {
            parent = 0;
        } else if (parent > m) {
            --parent;
        }
    }
    // The runs are not touched: no mesh covers them any more, so they are free.
    removeRecord(meshes, meshRange, m);
}

int Engine::CreateCamera() {
    const int slot = nextSlot(cameraRange, slots_);
    if (slot == 0) {
        EngineError(kErrorCameraMemory);
        return 0;
    }
    Camera& c = cameras[slot];
    c = Camera{};
    const float fieldOfView = degreesToRadians(60.0f);
    c.tanHalfFov = std::tan(fieldOfView / 2.0f);
    c.near = 1.0f;
    c.far = 1600.0f;
    c.fogStart = 1.0f;
    c.fogEnd = 1600.0f;
    c.dirty = true;
    ++cameraRange.count;
    return slot;
}

void Engine::DeleteCamera(int c) {
    removeRecord(cameras, cameraRange, c);
}

int Engine::CreateLight() {
    const int slot = nextSlot(lightRange, slots_);
    if (slot == 0) {
        EngineError(kErrorLightMemory);
        return 0;
    }
    Light& l = lights[slot];
    l = Light{};
    l.colour = {255, 255, 255};
    l.attenuationStart = 1.0f;
    l.attenuationEnd = 1600.0f;
    l.enabled = true;
    ++lightRange.count;
    return slot;
}

void Engine::DeleteLight(int l) {
    removeRecord(lights, lightRange, l);
}

KeptIndices Engine::ClearScene(int keepMesh, int keepCamera, int keepLight) {
    // From the top down, so that each deletion moves only records already visited; a kept
    // record still moves down for every deletion below it.
    auto clear = [this](const PoolRange& range, int keep, auto&& remove) {
        const SlotSpan span = occupied(range, slots_);
        int kept = (keep >= span.begin && keep < span.end) ? keep : 0;
        for (int i = span.end - 1; i >= span.begin; --i) {
            if (i == keep) {
                continue;
            }
            remove(i);
            if (kept > i) {
                --kept;
            }
        }
        return kept;
    };
    KeptIndices k;
    k.mesh = clear(meshRange, keepMesh, [this](int i) { DeleteMesh(i); });
    k.camera = clear(cameraRange, keepCamera, [this](int i) { DeleteCamera(i); });
    k.light = clear(lightRange, keepLight, [this](int i) { DeleteLight(i); });
    return k;
}

void Engine::DeleteFace(int f) {
    const SlotSpan span = occupied(meshRange, slots_);
    for (int i = span.begin; i < span.end; ++i) {
        Mesh& m = meshes[i];
        const VertexRun run = faceRun(m);
        if (f >= run.begin && f < run.end) {
            for (int k = f; k + 1 < run.end; ++k) {
                faces[k] = faces[k + 1];
            }
            faces[run.end - 1] = Face{};
            --m.faceCount;
            return;
        }
    }
}

void Engine::RemoveBadFaces(int m) {
    if (!isMesh(m)) {
        return;
    }
    const VertexRun vr = vertexRun(meshes[m]);
    auto outside = [&](int v) { return v < vr.begin || v >= vr.end; };
    auto pass = [&](auto&& bad) {
        const VertexRun fr = faceRun(meshes[m]);
        for (int f = fr.end - 1; f >= fr.begin; --f) {
            if (bad(faces[f])) {
                DeleteFace(f);
            }
        }
    };
    pass([&](const Face& f) {
        return outside(f.vertexA) || outside(f.vertexB) || outside(f.vertexC);
    });
    pass([](const Face& f) {
        return f.vertexA == f.vertexB || f.vertexB == f.vertexC || f.vertexA == f.vertexC;
    });
    pass([](const Face& f) { return f.vertexA == 0 || f.vertexB == 0 || f.vertexC == 0; });
}

int Engine::RelocateMesh(int m) {
    if (!isMesh(m)) {
        return 0;
    }
    const int n = CreateMesh(meshes[m].vertexCount, meshes[m].faceCount);
    if (n == 0) {
        return 0;
    }
    Mesh& old = meshes[m];
    Mesh& copy = meshes[n];
    const VertexRun oldVertices = vertexRun(old);
    const VertexRun oldFaces = faceRun(old);
    for (int i = 0; i < oldVertices.end - oldVertices.begin; ++i) {
        vertices[copy.vertexStart + i] = vertices[oldVertices.begin + i];
    }
    const int shift = copy.vertexStart - old.vertexStart;
    for (int i = 0; i < oldFaces.end - oldFaces.begin; ++i) {
        Face f = faces[oldFaces.begin + i];
        f.vertexA = static_cast<std::int16_t>(f.vertexA + shift);
        f.vertexB = static_cast<std::int16_t>(f.vertexB + shift);
        f.vertexC = static_cast<std::int16_t>(f.vertexC + shift);
        faces[copy.faceStart + i] = f;
    }
    copy.scale = old.scale;
    copy.rotation = old.rotation;
    copy.position = old.position;
    copy.parent = old.parent;
    copy.dirty = old.dirty;
    copy.world = old.world;
    copy.visible = old.visible;
    copy.label = old.label;
    // Children follow the mesh to its new slot rather than being orphaned by the deletion.
    const SlotSpan span = occupied(meshRange, slots_);
    for (int i = span.begin; i < span.end; ++i) {
        if (i != m && meshes[i].parent == m) {
            meshes[i].parent = static_cast<std::int16_t>(n);
        }
    }
    DeleteMesh(m);
    return n - 1; // the new slot was above m, so it moved down with the deletion
}

void Engine::SetMeshColour(int m, Colour3 colour, FaceMaterial material) {
    if (!isMesh(m)) {
        return;
    }
    const VertexRun run = faceRun(meshes[m]);
    for (int f = run.begin; f < run.end; ++f) {
        faces[f].colour = colour;
        faces[f].material = material;
    }
}

void Engine::CentreMesh(int m) {
    if (!isMesh(m)) {
        return;
    }
    const VertexRun run = vertexRun(meshes[m]);
    if (run.end == run.begin) {
        return;
    }
    Vector3 lo = vertices[run.begin];
    Vector3 hi = lo;
    for (int v = run.begin + 1; v < run.end; ++v) {
        const Vector3& p = vertices[v];
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    const Vector3 centre = scale(add(hi, lo), 0.5f);
    TransformMeshVertices(m, translationMatrix(scale(centre, -1.0f)));
}

void Engine::TransformMeshVertices(int m, const Matrix4& M) {
    if (!isMesh(m)) {
        return;
    }
    const VertexRun run = vertexRun(meshes[m]);
    for (int v = run.begin; v < run.end; ++v) {
        vertices[v] = transformPoint(vertices[v], M);
    }
}

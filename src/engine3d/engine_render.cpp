// One frame: visibility, draw list with clipping and culling, depth sort, shading, drawing.

#include "engine3d/engine.h"

#include "engine3d/band_workers.h"
#include "engine3d/vector_maths.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

constexpr Colour3 kWhite{255, 255, 255};
constexpr Colour3 kAxisRed{255, 0, 0};
constexpr FaceMaterial kAxisMaterial = 0.5f;

// Colours are computed in int and stored as 16-bit channels.
struct Rgb32 {
    int r = 0;
    int g = 0;
    int b = 0;
};

int nearest(double v) {
    v = std::clamp(v, -1e9, 1e9);
#if defined(__SSE2__) || defined(_M_X64)
    return _mm_cvtsd_si32(_mm_set_sd(v)); // the current rounding, as nearbyint, without its call
#else
    return static_cast<int>(std::nearbyint(v));
#endif
}

Rgb32 widen(Colour3 c) {
    return {c.r, c.g, c.b};
}

std::int16_t narrow(int c) {
    return static_cast<std::int16_t>(std::clamp(c, -32768, 32767));
}

Colour3 narrow(const Rgb32& c) {
    return {narrow(c.r), narrow(c.g), narrow(c.b)};
}

// Each channel times k, to the nearest integer (halves to even).
Rgb32 times(const Rgb32& c, float k) {
    return {nearest(double(c.r) * k), nearest(double(c.g) * k), nearest(double(c.b) * k)};
}

Rgb32 plus(const Rgb32& a, const Rgb32& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

// (b - a)·t + a per channel, to the nearest integer; the product is kept wide so that a factor
// stored as a float just below 0.9 gives 240.49999..., not 240.5.
Rgb32 mix(const Rgb32& a, const Rgb32& b, float t) {
    auto one = [t](int x, int y) { return nearest(double(y - x) * t + x); };
    return {one(a.r, b.r), one(a.g, b.g), one(a.b, b.b)};
}

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

// True when the screen depth lies strictly between the near and far planes (NaN does not).
bool depthInside(float d) {
    return d > 0.0f && d < 1.0f;
}

// A draw key as an unsigned number in the same order: equal keys (0 and -0 too) give equal
// numbers, and keys that are not numbers come after all others.
std::uint32_t orderedKey(float key) {
    if (std::isnan(key)) {
        return 0xFFFFFFFFu;
    }
    const auto bits = std::bit_cast<std::uint32_t>(key == 0.0f ? 0.0f : key);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

// Sorts by key, and equal keys by list position: the entries' own order.
std::uint64_t sortEntry(float key, int position) {
    return (std::uint64_t(orderedKey(key)) << 32) | std::uint32_t(position);
}

// A vector with its length and its direction as normalise() gives them. The opposite vector
// has the same length and the opposite direction, exactly.
struct Direction {
    bool zero = false;
    float size = 0.0f;
    Vector3 unit;

    explicit Direction(const Vector3& v) : zero(v == Vector3{}), size(length(v)) {
        if (size != 0.0f) {
            unit = scale(v, 1.0f / size);
        }
    }
};

// cosine() of the two vectors.
float cosineOf(const Direction& a, const Direction& b) {
    return a.zero || b.zero ? 0.0f : dot(a.unit, b.unit);
}

// Clears a flag when the scope ends, whichever way it ends.
class FrameScope {
public:
    FrameScope(bool& flag, unsigned& reported) : flag_(flag) {
        flag_ = true;
        reported = 0;
    }
    ~FrameScope() { flag_ = false; }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

private:
    bool& flag_;
};

} // namespace

bool Engine::faceUsable(const Face& face) const {
    auto ok = [this](int v) { return v >= 1 && v <= lastSlot(); };
    return ok(face.vertexA) && ok(face.vertexB) && ok(face.vertexC);
}

Vector3 Engine::faceNormal(const Face& face) const {
    const Vector3& w0 = worldPositions[face.vertexA];
    const Vector3& w1 = worldPositions[face.vertexB];
    const Vector3& w2 = worldPositions[face.vertexC];
    return cross(subtract(w1, w0), subtract(w2, w0));
}

void Engine::RenderFrame(Canvas& surface, int camera, const FrameInputs& inputs) {
    if (!isCamera(camera)) {
        return;
    }
    FrameScope scope(inFrame_, reportedInFrame_);

    // 1. The editor's toolbar decides whether the gizmo and the grid show.
    const bool axes = inputs.axesTag == 1.0;
    for (int m : inputs.axisLines) {
        if (isMesh(m)) {
            meshes[m].visible = axes;
        }
    }
    for (int m : inputs.axisLabels) {
        if (isMesh(m)) {
            meshes[m].visible = axes;
        }
    }
    if (isMesh(inputs.gridMesh)) {
        meshes[inputs.gridMesh].visible = inputs.gridTag != 0.0;
    }
    // 2.-4.
    UpdateWorld();
    UpdateView(camera);
    ProjectVertices(surface, camera);
    BuildDrawList(camera);
    PlaceGroundFaces(camera, inputs.gridMesh);
    RenderScene(surface, camera, inputs);
}

int Engine::BuildDrawList(int camera) {
    int n = 0;
    if (isCamera(camera)) {
        const Camera& c = cameras[camera];
        const Vector3 back = subtract(c.position, DirectionFromAngles(c.rotation));
        const float t = c.tanHalfFov;
        // Whether face f is listed, and its key.
        const auto listedWith = [&](int f, float& key) {
            const Face& face = faces[f];
            if (!faceUsable(face)) {
                return false; // vertex 0 (a marker) or an index outside the pool
            }
            const int idx[3] = {face.vertexA, face.vertexB, face.vertexC};
            // Depth clip: the face is dropped whole, never cut.
            const float d0 = screenPositions[idx[0]].z;
            const float d1 = screenPositions[idx[1]].z;
            const float d2 = screenPositions[idx[2]].z;
            if (!depthInside(d0) || !depthInside(d1) || !depthInside(d2)) {
                return false;
            }
            // Pyramid clip, perspective only.
            if (!c.orthographic) {
                bool outside = false;
                for (int v : idx) {
                    const Vector3& p = viewPositions[v];
                    const float limit = p.z * t;
                    if (std::fabs(p.x) >= limit || std::fabs(p.y) >= limit) {
                        outside = true;
                    }
                }
                if (outside) {
                    return false;
                }
            }
            // Facing.
            const Vector3& w0 = worldPositions[idx[0]];
            const Vector3& w1 = worldPositions[idx[1]];
            const Vector3& w2 = worldPositions[idx[2]];
            const Vector3 centroid = scale(add(add(w0, w1), w2), 1.0f / 3.0f);
            const Vector3 normal = cross(subtract(w1, w0), subtract(w2, w0));
            const bool facing = c.twoSided ||
                                cosinePositive(subtract(c.position, centroid), normal) ||
                                (c.orthographic && cosinePositive(back, normal));
            key = -(d0 + d1 + d2);
            return facing;
        };
        // The faces of the visible meshes in listing order, tested on every core, then listed
        // in that order.
        candidates_.clear();
        const int begin = std::max<int>(1, meshRange.first);
        const int end = std::min<int>(meshRange.first + meshRange.count, slots_);
        for (int i = begin; i < end; ++i) {
            if (meshes[i].visible) {
                const VertexRun run = faceRun(meshes[i]);
                for (int f = run.begin; f < run.end; ++f) {
                    candidates_.push_back({f, 0.0f, false});
                }
            }
        }
        const int count = static_cast<int>(candidates_.size());
        constexpr int kChunk = 1024;
        BandWorkers::shared().run((count + kChunk - 1) / kChunk, [&](int chunk) {
            const int last = std::min(count, (chunk + 1) * kChunk);
            for (int k = chunk * kChunk; k < last; ++k) {
                Candidate& face = candidates_[k];
                face.listed = listedWith(face.face, face.key);
            }
        });
        for (int k = 0; k < count && n < lastSlot(); ++k) {
            if (candidates_[k].listed) {
                drawKeys[n] = candidates_[k].key;
                drawList[n] = static_cast<std::int16_t>(candidates_[k].face);
                ++n;
            }
        }
    }
    // End the list; the entries after the old end are zero already.
    for (int k = n; k < slots_ && drawList[k] != 0; ++k) {
        drawList[k] = 0;
    }

    // Where each listed face stands in the list.
    if (++listStamp_ == 0) {
        std::fill(listedStamp_.begin(), listedStamp_.end(), 0u);
        listStamp_ = 1;
    }
    for (int k = 0; k < n; ++k) {
        listedAt_[drawList[k]] = static_cast<std::int16_t>(k);
        listedStamp_[drawList[k]] = listStamp_;
    }
    // The faces still listed in the last frame's order, then the newly listed ones in list
    // order.
    std::fill_n(taken_.begin(), n, std::uint8_t{0});
    int count = 0;
    for (int k = 0; k < lastOrderCount_; ++k) {
        const int f = lastOrder_[k];
        if (listedStamp_[f] == listStamp_ && taken_[listedAt_[f]] == 0) {
            const int at = listedAt_[f];
            taken_[at] = 1;
            sortEntries_[count++] = sortEntry(drawKeys[at], at);
        }
    }
    for (int k = 0; k < n; ++k) {
        if (taken_[k] == 0) {
            sortEntries_[count++] = sortEntry(drawKeys[k], k);
        }
    }
    sortEntries(count);
    // Write the sorted list back through the scratch tables.
    for (int k = 0; k < n; ++k) {
        const auto at = static_cast<int>(sortEntries_[k] & 0xFFFFFFFFu);
        scratchFaces_[k] = drawList[at];
        scratchKeys_[k] = drawKeys[at];
    }
    std::copy_n(scratchFaces_.begin(), n, drawList.begin());
    std::copy_n(scratchKeys_.begin(), n, drawKeys.begin());
    std::copy_n(drawList.begin(), n, lastOrder_.begin());
    lastOrderCount_ = n;
    return n;
}

void Engine::sortEntries(int count) {
    // Insertion sort: a frame that changes the view a little moves few faces a few places.
    // When the moves pass what a radix sort costs, that sort does the work.
    std::uint64_t* e = sortEntries_.data();
    std::int64_t budget = 4 * std::int64_t(count) + 64;
    for (int i = 1; i < count; ++i) {
        const std::uint64_t v = e[i];
        int j = i;
        while (j > 0 && e[j - 1] > v) {
            e[j] = e[j - 1];
            --j;
        }
        e[j] = v;
        budget -= i - j;
        if (budget < 0) {
            // Back to list order, each entry at its own position, then sorted by key alone.
            std::uint64_t* listed = radixBuffer_.data();
            for (int k = 0; k < count; ++k) {
                listed[e[k] & 0xFFFFFFFFu] = e[k];
            }
            std::copy_n(listed, count, e);
            radixSortEntries(count);
            return;
        }
    }
}

void Engine::radixSortEntries(int count) {
    // By the key's 32 bits, 11, 11 and 10 at a time, lowest first; each pass keeps the order
    // of equal digits, so equal keys keep the order they came in.
    std::uint64_t* from = sortEntries_.data();
    std::uint64_t* to = radixBuffer_.data();
    for (const int shift : {32, 43, 54}) {
        std::array<int, 2048> start{};
        for (int k = 0; k < count; ++k) {
            ++start[(from[k] >> shift) & 2047u];
        }
        int sum = 0;
        for (int& s : start) {
            sum += std::exchange(s, sum);
        }
        for (int k = 0; k < count; ++k) {
            to[start[(from[k] >> shift) & 2047u]++] = from[k];
        }
        std::swap(from, to);
    }
    std::copy_n(from, count, sortEntries_.data());
}

int Engine::PlaceGroundFaces(int camera, int groundMesh) {
    if (!isCamera(camera) || !isMesh(groundMesh) || !meshes[groundMesh].visible) {
        return 0;
    }
    const VertexRun run = faceRun(meshes[groundMesh]);
    // The ground's plane from its first usable face; its normal is turned upwards (+y) so that
    // either winding of a two-sided grid gives the same answer.
    int first = run.begin;
    while (first < run.end && !faceUsable(faces[first])) {
        ++first;
    }
    if (first >= run.end) {
        return 0;
    }
    Vector3 up = faceNormal(faces[first]);
    if (up.y < 0.0f) {
        up = scale(up, -1.0f);
    }
    const Vector3& onPlane = worldPositions[faces[first].vertexA];
    const bool above = dot(subtract(cameras[camera].position, onPlane), up) >= 0.0f;

    // Take the ground's entries out, close the gaps, then put them back at one end.
    int n = 0;
    int kept = 0;
    int ground = 0;
    for (; n < slots_ && drawList[n] != 0; ++n) {
        const int f = drawList[n];
        if (f >= run.begin && f < run.end) {
            scratchFaces_[ground] = drawList[n];
            scratchKeys_[ground] = drawKeys[n];
            ++ground;
        } else {
            drawList[kept] = drawList[n];
            drawKeys[kept] = drawKeys[n];
            ++kept;
        }
    }
    if (ground == 0) {
        return 0;
    }
    int at = kept;
    if (above) {
        // The others move back by the ground's count, the last one first.
        for (int k = kept - 1; k >= 0; --k) {
            drawList[k + ground] = drawList[k];
            drawKeys[k + ground] = drawKeys[k];
        }
        at = 0;
    }
    std::copy_n(scratchFaces_.begin(), ground, drawList.begin() + at);
    std::copy_n(scratchKeys_.begin(), ground, drawKeys.begin() + at);
    return ground;
}

void Engine::SortDrawList(std::span<float> keys, std::span<std::int16_t> faceList, int low,
                          int high) {
    const int size = static_cast<int>(std::min(keys.size(), faceList.size()));
    low = std::max(low, 0);
    high = std::min(high, size - 1);
    if (low >= high) {
        return;
    }
    const int count = high - low + 1;
    if (static_cast<std::size_t>(count) > sortEntries_.size()) {
        // Longer than any draw list: only a caller's own tables get here.
        sortEntries_.resize(static_cast<std::size_t>(count));
        radixBuffer_.resize(static_cast<std::size_t>(count));
        scratchFaces_.resize(static_cast<std::size_t>(count));
        scratchKeys_.resize(static_cast<std::size_t>(count));
    }
    for (int k = 0; k < count; ++k) {
        sortEntries_[k] = sortEntry(keys[low + k], k);
    }
    radixSortEntries(count);
    for (int k = 0; k < count; ++k) {
        const auto at = static_cast<int>(sortEntries_[k] & 0xFFFFFFFFu);
        scratchFaces_[k] = faceList[low + at];
        scratchKeys_[k] = keys[low + at];
    }
    std::copy_n(scratchFaces_.begin(), count, faceList.begin() + low);
    std::copy_n(scratchKeys_.begin(), count, keys.begin() + low);
}

Colour3 Engine::ShadePoint(const Vector3& point, const Vector3& normal, int face, int camera) {
    if (face < 1 || face > lastSlot() || !isCamera(camera)) {
        return {};
    }
    const Face& fc = faces[face];
    const Camera& cam = cameras[camera];
    const Rgb32 faceColour = widen(fc.colour);
    const float material = fc.material;
    // Each vector's length and direction once, for every term that uses it.
    const Direction n(normal);
    const Direction toCamera(cam.specular || cam.attenuation ? subtract(cam.position, point)
                                                             : Vector3{});

    Rgb32 sum;
    const int begin = std::max<int>(1, lightRange.first);
    const int end = std::min<int>(lightRange.first + lightRange.count, slots_);
    for (int l = begin; l < end; ++l) {
        const Light& light = lights[l];
        if (!light.enabled) {
            continue;
        }
        // 1. Spot cone.
        float spot = 1.0f;
        if (light.spotOuterCos > 0.0f) {
            const float c = std::max(
                0.0f, cosine(DirectionFromAngles(light.rotation), subtract(point, light.position)));
            if (light.spotOuterCos == light.spotInnerCos) {
                EngineError(kErrorLightSettings);
                spot = c;
            } else {
                spot =
                    clamp01((light.spotOuterCos - c) / (light.spotOuterCos - light.spotInnerCos));
            }
        }
        // The way to the light serves the diffuse term, the reflection (the way from the light
        // is its exact opposite) and the distance.
        const Direction toLight(subtract(light.position, point));
        // 2. Diffuse.
        const float diffuse = std::max(0.0f, cosineOf(toLight, n));
        // 3. Specular: the reflection of the way from the light, as reflect() makes it.
        float specular = 0.0f;
        if (cam.specular) {
            Vector3 r;
            if (!toLight.zero && !n.zero && -dot(toLight.unit, n.unit) < 0.0f) {
                const Vector3 fromLight = subtract(point, light.position);
                r = subtract(fromLight, scale(scale(n.unit, dot(fromLight, n.unit)), 2.0f));
            }
            specular = std::max(0.0f, cosineOf(Direction(r), toCamera));
        }
        // 4. Distance attenuation.
        float atten = 1.0f;
        if (cam.attenuation) {
            if (light.attenuationStart == light.attenuationEnd) {
                EngineError(kErrorLightSettings);
            } else {
                const float d = toLight.size; // distance(point, light.position)
                atten = clamp01((light.attenuationEnd - d) /
                                (light.attenuationEnd - light.attenuationStart));
            }
        }
        // 5. Mix into the sum.
        const Rgb32 lightColour = widen(light.colour);
        if (cam.separateSpecular) {
            const Rgb32 lit =
                plus(times(faceColour, diffuse), times(lightColour, specular * material));
            sum = plus(sum, times(lit, spot * atten));
        } else {
            sum = plus(sum, times(lightColour, (specular * material + diffuse) * atten * spot));
        }
    }
    sum = {std::min(sum.r, 255), std::min(sum.g, 255), std::min(sum.b, 255)};

    float fog = 1.0f;
    if (cam.attenuation) {
        if (cam.fogStart == cam.fogEnd) {
            EngineError(kErrorCameraSettings);
        } else {
            const float d = toCamera.size; // distance(point, cam.position)
            fog = clamp01((cam.fogEnd - d) / (cam.fogEnd - cam.fogStart));
        }
    }
    const Rgb32 fogColour = widen(cam.fogColour);
    if (cam.separateSpecular) {
        return narrow(mix(fogColour, sum, fog));
    }
    return narrow(mix(fogColour, mix(faceColour, sum, material), fog));
}

template <typename Shade> void Engine::shadeEach(int count, Shade shade) {
    if (count <= 0) {
        return;
    }
    if (shades_.size() < static_cast<std::size_t>(count)) {
        shades_.resize(static_cast<std::size_t>(count));
    }
    // Whether a camera's or a light's settings are wrong does not depend on the point shaded:
    // within a frame the first call reports it, and the others, which report nothing more,
    // are shared among the cores. Outside a frame each call reports, in order.
    shades_[0] = shade(0);
    if (!inFrame_) {
        for (int k = 1; k < count; ++k) {
            shades_[k] = shade(k);
        }
        return;
    }
    // Each core writes a run of its own in the list, not the faces' or vertices' scattered
    // places, which would share cache lines with the other cores.
    constexpr int kChunk = 256;
    BandWorkers::shared().run((count - 1 + kChunk - 1) / kChunk, [&](int chunk) {
        const int end = std::min(count, 1 + (chunk + 1) * kChunk);
        for (int k = 1 + chunk * kChunk; k < end; ++k) {
            shades_[k] = shade(k);
        }
    });
}

void Engine::setAxisColours(const FrameInputs& inputs) {
    for (int m : inputs.axisLines) {
        SetMeshColour(m, kAxisRed, kAxisMaterial);
    }
    for (int m : inputs.axisLabels) {
        SetMeshColour(m, kAxisRed, kAxisMaterial);
    }
}

void Engine::RenderScene(Canvas& surface, int camera, const FrameInputs& inputs) {
    if (!isCamera(camera)) {
        return;
    }
    setAxisColours(inputs);
    const int mode = cameras[camera].renderMode;

    int listed = 0;
    while (listed < slots_ && drawList[listed] != 0) {
        ++listed;
    }
    auto face = [this](int k) -> const Face& { return faces[drawList[k]]; };

    // Pen and fill for the mode; a mode outside 0..5 keeps the surface's pen and the face
    // colours of the previous frame.
    switch (mode) {
    case kModeWireFrame:
        surface.setPenMode(PenMode::Copy);
        surface.setOutline(true);
        surface.setFill(false);
        surface.setOutlineColour(kWhite);
        break;
    case kModeSolid:
        surface.setPenMode(PenMode::Copy);
        surface.setOutline(true);
        surface.setFill(true);
        surface.setOutlineColour(kWhite);
        for (int k = 0; k < listed; ++k) {
            faceColours[drawList[k]] = face(k).colour;
        }
        break;
    case kModeFlat:
    case kModeTransparent:
        surface.setPenMode(mode == kModeFlat ? PenMode::Copy : PenMode::Merge);
        surface.setOutline(false);
        surface.setFill(true);
        shadeEach(listed, [&](int k) {
            const Face& f = face(k);
            const Vector3 centroid =
                scale(add(add(worldPositions[f.vertexA], worldPositions[f.vertexB]),
                          worldPositions[f.vertexC]),
                      1.0f / 3.0f);
            return ShadePoint(centroid, faceNormal(f), drawList[k], camera);
        });
        for (int k = 0; k < listed; ++k) {
            faceColours[drawList[k]] = shades_[k];
        }
        break;
    case kModeSilhouette:
        surface.setPenMode(PenMode::Invert);
        surface.setOutline(true);
        surface.setFill(false);
        break;
    case kModeSmooth: {
        surface.setPenMode(PenMode::Copy);
        for (int k = 0; k < listed; ++k) {
            const Face& f = face(k);
            vertexNormals[f.vertexA] = vertexNormals[f.vertexB] = vertexNormals[f.vertexC] = {};
        }
        for (int k = 0; k < listed; ++k) {
            const Face& f = face(k);
            const Vector3 n = faceNormal(f);
            for (int v : {f.vertexA, f.vertexB, f.vertexC}) {
                vertexNormals[v] = add(vertexNormals[v], n);
            }
        }
        // A vertex shared by several faces keeps the colour shaded with the last of them in
        // list order; walking backwards, shade it only on the first meeting.
        if (++frameStamp_ == 0) {
            std::fill(shadeStamp_.begin(), shadeStamp_.end(), 0u);
            frameStamp_ = 1;
        }
        shadedVertices_.clear();
        for (int k = listed - 1; k >= 0; --k) {
            const Face& f = face(k);
            for (int v : {f.vertexA, f.vertexB, f.vertexC}) {
                if (shadeStamp_[v] != frameStamp_) {
                    shadeStamp_[v] = frameStamp_;
                    shadedVertices_.push_back({v, drawList[k]});
                }
            }
        }
        const int shaded = static_cast<int>(shadedVertices_.size());
        shadeEach(shaded, [&](int k) {
            const auto [v, f] = shadedVertices_[k];
            // World positions, like the normals and the lights.
            return ShadePoint(worldPositions[v], vertexNormals[v], f, camera);
        });
        for (int k = 0; k < shaded; ++k) {
            vertexColours[shadedVertices_[k].vertex] = shades_[k];
        }
        break;
    }
    default:
        break;
    }

    // The other meshes' faces, in the modes that outline faces.
    const bool others = (mode == kModeWireFrame || mode == kModeSolid || mode == kModeSilhouette) &&
                        !inputs.otherMeshes.empty();
    if (others) {
        if (++otherFrame_ == 0) {
            std::fill(otherStamp_.begin(), otherStamp_.end(), 0u);
            otherFrame_ = 1;
        }
        for (int m : inputs.otherMeshes) {
            if (isMesh(m)) {
                const VertexRun run = faceRun(meshes[m]);
                std::fill(otherStamp_.begin() + run.begin, otherStamp_.begin() + run.end,
                          otherFrame_);
            }
        }
    }
    const bool otherSilhouettes = others && mode == kModeSilhouette;
    if (otherSilhouettes) {
        drawOtherSilhouettes(surface, listed, inputs.otherOutline);
    }
    if (others && !otherSilhouettes) {
        // The outline colour changes from face to face: one call each.
        for (int k = 0; k < listed; ++k) {
            const int f = drawList[k];
            surface.setOutlineColour(otherStamp_[f] == otherFrame_ ? inputs.otherOutline : kWhite);
            DrawFlatTriangle(surface, f, faceColours[f]);
        }
    } else if (mode == kModeSmooth) {
        // The whole list at once, so that the surface may share the drawing out.
        gradientBatch_.clear();
        for (int k = 0; k < listed; ++k) {
            const int f = drawList[k];
            if (drawable(f)) {
                const Face& fc = faces[f];
                gradientBatch_.push_back(gradientCorners(f, vertexColours[fc.vertexA],
                                                         vertexColours[fc.vertexB],
                                                         vertexColours[fc.vertexC]));
            }
        }
        surface.gradientTriangles(gradientBatch_);
    } else {
        flatBatch_.clear();
        for (int k = 0; k < listed; ++k) {
            const int f = drawList[k];
            if (drawable(f) && !(otherSilhouettes && otherStamp_[f] == otherFrame_)) {
                flatBatch_.push_back(FlatTriangle{{}, faceColours[f]});
                cornerPoints(f, flatBatch_.back().points);
            }
        }
        surface.polygons(flatBatch_);
    }
    drawMarkers(surface);
}

bool Engine::drawable(int face) const {
    return face >= 1 && face <= lastSlot() && faceUsable(faces[face]);
}

void Engine::cornerPoints(int face, PixelPoint (&points)[3]) const {
    const Face& f = faces[face];
    points[0] = toPixel(screenPositions[f.vertexA]);
    points[1] = toPixel(screenPositions[f.vertexB]);
    points[2] = toPixel(screenPositions[f.vertexC]);
}

GradientTriangle Engine::gradientCorners(int face, Colour3 colour0, Colour3 colour1,
                                         Colour3 colour2) const {
    PixelPoint p[3];
    cornerPoints(face, p);
    auto corner = [](PixelPoint at, Colour3 c) {
        auto channel = [](std::int16_t x) {
            return static_cast<std::uint16_t>(std::clamp<int>(x, 0, 255) * 256);
        };
        return GradientVertex{at.x, at.y, channel(c.r), channel(c.g), channel(c.b), 0};
    };
    return {{corner(p[0], colour0), corner(p[1], colour1), corner(p[2], colour2)}};
}

void Engine::drawOtherSilhouettes(Canvas& surface, int listed, Colour3 colour) {
    // An inverting pen shows no colour: the others' outlines are drawn as it would leave them
    // on a bare surface, an edge shared by two of their listed faces cancelling out, the other
    // edges drawn once, in their colour beneath the inverted outlines of the rest.
    edgeKeys_.clear();
    for (int k = 0; k < listed; ++k) {
        const int f = drawList[k];
        if (otherStamp_[f] != otherFrame_ || !faceUsable(faces[f])) {
            continue;
        }
        const Face& fc = faces[f];
        const int corners[3] = {fc.vertexA, fc.vertexB, fc.vertexC};
        for (int i = 0; i < 3; ++i) {
            const auto a = static_cast<std::uint32_t>(corners[i]);
            const auto b = static_cast<std::uint32_t>(corners[(i + 1) % 3]);
            edgeKeys_.push_back(std::min(a, b) << 16 | std::max(a, b));
        }
    }
    std::sort(edgeKeys_.begin(), edgeKeys_.end());
    surface.setPenMode(PenMode::Copy);
    surface.setOutlineColour(colour);
    for (std::size_t i = 0; i < edgeKeys_.size();) {
        std::size_t j = i;
        while (j < edgeKeys_.size() && edgeKeys_[j] == edgeKeys_[i]) {
            ++j;
        }
        if ((j - i) % 2 == 1) {
            surface.line(toPixel(screenPositions[edgeKeys_[i] >> 16]),
                         toPixel(screenPositions[edgeKeys_[i] & 0xFFFFu]));
        }
        i = j;
    }
    surface.setPenMode(PenMode::Invert);
}

void Engine::DrawFlatTriangle(Canvas& surface, int face, Colour3 colour) {
    if (!drawable(face)) {
        return;
    }
    surface.setFillColour(colour);
    PixelPoint points[3];
    cornerPoints(face, points);
    surface.polygon(points);
}

void Engine::DrawGouraudTriangle(Canvas& surface, int face, Colour3 colour0, Colour3 colour1,
                                 Colour3 colour2) {
    if (!drawable(face)) {
        return;
    }
    const GradientTriangle t = gradientCorners(face, colour0, colour1, colour2);
    (void)surface.gradientTriangle(t.corners); // a triangle that cannot be drawn is left out
}

void Engine::drawMarkers(Canvas& surface) {
    const int begin = std::max<int>(1, meshRange.first);
    const int end = std::min<int>(meshRange.first + meshRange.count, slots_);
    for (int i = begin; i < end; ++i) {
        const Mesh& m = meshes[i];
        if (!m.visible || m.faceCount != 1 || m.faceStart < 1 || m.faceStart > lastSlot()) {
            continue;
        }
        const VertexRun run = vertexRun(m);
        const int count = m.vertexCount;
        if (count < 1 || run.end - run.begin < count) {
            continue;
        }
        // Only the first vertex is tested against the depth range.
        if (!depthInside(screenPositions[run.begin].z)) {
            continue;
        }
        const Colour3 colour = faces[m.faceStart].colour;
        auto at = [&](int k) { return toPixel(screenPositions[run.begin + k]); };
        switch (count) {
        case 1:
            if (!m.label.empty()) {
                surface.setTextColour(colour);
                surface.text(at(0), m.label);
            } else {
                surface.setPixel(at(0), colour);
            }
            break;
        case 2:
            surface.setPenMode(PenMode::Copy);
            surface.setOutline(true);
            surface.setOutlineColour(colour);
            surface.line(at(0), at(1));
            break;
        case 4: {
            surface.setPenMode(PenMode::Copy);
            surface.setOutline(true);
            surface.setOutlineColour(colour);
            const PixelPoint points[4] = {at(0), at(1), at(2), at(3)};
            surface.bezier(points);
            break;
        }
        default:
            break;
        }
    }
}

#include "view3d/fuselage_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <queue>

namespace {

constexpr int kWholeFormer = 1; // View_Piece of the whole former

// The outline of the whole former as the single part takes it: K + 1 points of Outline_3D.
void wholeContour(FuselageScene& s, const SceneInput& in) {
    Build_Outline_3D(in.outline, kWholeFormer, s.Outline_3D);
    const std::size_t points = static_cast<std::size_t>(std::max(OutlineIntervals(in), 0)) + 1;
    s.contour.assign(points, PointXYZ{});
    const std::size_t rows = std::min(points, s.Outline_3D.size());
    std::copy_n(s.Outline_3D.begin(), rows, s.contour.begin());
}

// Keeps `keep` of the contour's points, the ends among them, dropping one at a time the point
// whose triangle with its neighbours has the least area: the points that carry the outline's
// shape stay (its corners, the passage to the doubling), the repeated and nearly straight ones go.
void keepShapePoints(std::vector<PointXYZ>& contour, std::size_t keep) {
    const std::size_t n = contour.size();
    if (keep >= n || n < 3) {
        return;
    }
    keep = std::max<std::size_t>(keep, 2);
    std::vector<std::size_t> prev(n), next(n);
    std::vector<double> area(n, std::numeric_limits<double>::infinity());
    auto areaOf = [&](std::size_t i) {
        const PointXYZ& a = contour[prev[i]];
        const PointXYZ& b = contour[i];
        const PointXYZ& c = contour[next[i]];
        return std::abs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2.0;
    };
    using Entry = std::pair<double, std::size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    for (std::size_t i = 0; i < n; ++i) {
        prev[i] = i == 0 ? 0 : i - 1;
        next[i] = i + 1 == n ? i : i + 1;
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
        area[i] = areaOf(i);
        queue.push({area[i], i});
    }
    std::vector<bool> gone(n, false);
    for (std::size_t left = n; left > keep && !queue.empty();) {
        const auto [a, i] = queue.top();
        queue.pop();
        if (gone[i] || a != area[i]) {
            continue; // dropped already, or its area changed since
        }
        gone[i] = true;
        --left;
        const std::size_t before = prev[i];
        const std::size_t after = next[i];
        next[before] = after;
        prev[after] = before;
        // A neighbour's new area counts no less than the one just dropped: the points drop in
        // the order of rising areas, and a flat run goes before the corner at its end.
        for (const std::size_t j : {before, after}) {
            if (j != 0 && j + 1 != n) {
                area[j] = std::max(areaOf(j), a);
                queue.push({area[j], j});
            }
        }
    }
    std::size_t w = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!gone[i]) {
            contour[w++] = contour[i];
        }
    }
    contour.resize(w);
}

// Whether the pools have a mesh slot and runs for a band of K intervals, asked without the
// engine's error report.
bool roomForBand(const Engine& e, int K) {
    return e.meshRange.first + e.meshRange.count <= e.lastSlot() &&
           e.AllocVertexBlock(2 * (K + 1)) != 0 && e.AllocFaceBlock(4 * K) != 0;
}

// The former's symmetry axis: the middle of its outline's width.
double symmetryAxis(std::span<const PointXYZ> contour) {
    if (contour.empty()) {
        return 0.0;
    }
    const auto [left, right] =
        std::minmax_element(contour.begin(), contour.end(),
                            [](const PointXYZ& a, const PointXYZ& b) { return a.x < b.x; });
    return (left->x + right->x) / 2.0;
}

// Writes the band's two layers over the mesh's vertex run, in the single part's layout: x and y
// scaled by W and H about the former's axes (x about its symmetry axis; y is already measured
// from its horizontal axis), the front layer d/2 before z and the back one d/2 behind it.
void placeBand(Engine& e, const FuselageBand& band, std::span<const PointXYZ> contour, double axis,
               const SceneInput& in, float z) {
    const Mesh& m = e.meshes[band.mesh];
    const int layer = m.vertexCount / 2;
    const int n = std::min<int>(layer, static_cast<int>(contour.size()));
    if (n == 0) {
        return;
    }
    const double W = band.W > 0.0 ? band.W : 2.0 * in.partWidth;
    const double H = band.H > 0.0 ? band.H : 2.0 * in.partHeight;
    const double d = in.partDepth;
    for (int L = 0; L < 2; ++L) {
        const float depth = z + static_cast<float>(d * (L - 0.5));
        for (int k = 0; k < n; ++k) {
            const PointXYZ& p = contour[static_cast<std::size_t>(k)];
            e.vertices[m.vertexStart + layer * L + k] = {static_cast<float>(W * (p.x - axis)),
                                                         static_cast<float>(H * p.y), depth};
        }
    }
}

// The single part's two-sided band over K + 1 points, in runs of exactly its size: the same
// vertices and the same triangles in the same order as the single part's builder leaves once it
// has dropped the faces that point past the back layer. 0 when it does not fit (error 1).
int buildBand(Engine& e, int K) {
    const int m = e.CreateMesh(2 * (K + 1), 4 * K);
    if (m == 0) {
        return 0;
    }
    const Mesh& mesh = e.meshes[m];
    auto P = [&mesh, K](int L, int k) {
        return static_cast<std::int16_t>(mesh.vertexStart - 1 + (K + 1) * (L - 1) + k);
    };
    int f = mesh.faceStart;
    auto face = [&e, &f](std::int16_t a, std::int16_t b, std::int16_t c) {
        e.faces[f++] = Face{a, b, c, {}, 0.0f};
    };
    for (int k = 1; k <= K; ++k) {
        face(P(1, k), P(2, k), P(2, k + 1));
        face(P(2, k + 1), P(2, k), P(1, k));
        face(P(1, k), P(2, k + 1), P(1, k + 1));
        face(P(1, k + 1), P(2, k + 1), P(1, k));
    }
    return m;
}

void colourBand(Engine& e, const FuselageBand& band) {
    if (band.current) {
        e.SetMeshColour(band.mesh, kFormerColour, kFormerMaterial);
    } else {
        e.SetMeshColour(band.mesh, kOtherFormerColour, kOtherFormerMaterial);
    }
}

float bandDepth(const FuselageScene& s, const FuselageBand& band) {
    return static_cast<float>(band.station - s.middle);
}

// Builds one band of at most `most` intervals (0: all of its outline's); false, with nothing
// reported, when the pools cannot hold it.
bool addBand(Engine& e, FuselageScene& s, FuselageBand& band, const SceneInput& in, int most = 0) {
    wholeContour(s, in);
    band.intervals = static_cast<int>(s.contour.size()) - 1;
    const double axis = symmetryAxis(s.contour);
    if (most > 0) {
        keepShapePoints(s.contour, static_cast<std::size_t>(most) + 1);
    }
    const int K = static_cast<int>(s.contour.size()) - 1;
    if (!roomForBand(e, K)) {
        band.mesh = 0;
        return false;
    }
    band.mesh = buildBand(e, K);
    if (band.mesh == 0) {
        return false;
    }
    placeBand(e, band, s.contour, axis, in, bandDepth(s, band));
    colourBand(e, band);
    return true;
}

// Deletes a mesh of the fuselage and keeps every index of it pointing at its mesh.
void deleteFuselageMesh(Engine& e, FuselageScene& s, int m) {
    if (!e.isMesh(m)) {
        return;
    }
    e.DeleteMesh(m);
    FollowDeletedMesh(s.scene, m);
    for (FuselageBand& b : s.bands) {
        FollowDeletedMesh(b.mesh, m);
    }
    for (int& i : s.otherMeshes) {
        FollowDeletedMesh(i, m);
    }
}

FuselageBand* currentBand(FuselageScene& s) {
    const auto it = std::find_if(s.bands.begin(), s.bands.end(),
                                 [](const FuselageBand& b) { return b.current; });
    return it == s.bands.end() ? nullptr : &*it;
}

} // namespace

FrameInputs FuselageScene::frameInputs(const ToolbarTags& tags) const {
    FrameInputs in = scene.frameInputs(tags);
    in.otherMeshes = otherMeshes;
    in.otherOutline = kOtherFormerOutline;
    return in;
}

int SetupFuselage(Engine& engine, FuselageScene& fuselage, std::span<const FuselageFormer> formers,
                  int& currentCamera, int& currentLight, int currentIntervalsAtMost) {
    // The grid under the tallest former, the gizmo beside it.
    SceneInput ground;
    ground.partHeight = 0;
    for (const FuselageFormer& f : formers) {
        ground.partHeight = std::max(ground.partHeight, f.input.partHeight);
    }
    SetupScene(engine, fuselage.scene, ground, currentCamera, currentLight);

    fuselage.bands.assign(formers.size(), FuselageBand{});
    fuselage.otherMeshes.clear();
    fuselage.middle = 0.0;
    if (formers.empty()) {
        return 0;
    }
    const auto [first, last] = std::minmax_element(
        formers.begin(), formers.end(),
        [](const FuselageFormer& a, const FuselageFormer& b) { return a.station < b.station; });
    fuselage.middle = (first->station + last->station) / 2.0;
    bool currentSeen = false;
    const FuselageFormer* current = nullptr;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        FuselageBand& band = fuselage.bands[i];
        band.station = formers[i].station;
        band.W = formers[i].W;
        band.H = formers[i].H;
        band.name = formers[i].name;
        band.current = formers[i].current && !currentSeen;
        if (band.current) {
            current = &formers[i];
        }
        currentSeen = currentSeen || formers[i].current;
    }

    // What the pools hold after the scene, less the current band at its largest: runs are
    // taken after the highest one in use.
    const int reserved =
        current ? std::max(currentIntervalsAtMost, std::max(OutlineIntervals(current->input), 0))
                : 0;
    auto from = [&engine](int start) { return start == 0 ? 0L : engine.lastSlot() - start + 1L; };
    const long faceRoom = from(engine.AllocFaceBlock(0)) - (current ? 4L * reserved : 0);
    const long vertexRoom = from(engine.AllocVertexBlock(0)) - (current ? 2L * (reserved + 1) : 0);
    const long meshRoom = engine.lastSlot() - (engine.meshRange.first + engine.meshRange.count) +
                          1 - (current ? 1 : 0);

    // The most intervals every other band may keep: the largest cap at which they all fit,
    // no fewer than the fewest, in which case those last in the list are left out.
    std::vector<std::size_t> others;
    int largest = 0;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        if (!fuselage.bands[i].current) {
            others.push_back(i);
            largest = std::max(largest, std::max(OutlineIntervals(formers[i].input), 0));
        }
    }
    auto fits = [&](int cap, std::size_t count) {
        long faces = 0, vertices = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const int K = std::min(cap, std::max(OutlineIntervals(formers[others[k]].input), 0));
            faces += 4L * K;
            vertices += 2L * (K + 1);
        }
        return faces <= faceRoom && vertices <= vertexRoom && static_cast<long>(count) <= meshRoom;
    };
    int cap = largest;
    std::size_t shown = others.size();
    if (!fits(cap, shown)) {
        int lo = std::min(kFewestBandIntervals, largest);
        int hi = largest;
        if (fits(lo, shown)) {
            while (hi - lo > 1) { // fits(lo) and not fits(hi)
                const int mid = (lo + hi) / 2;
                (fits(mid, shown) ? lo : hi) = mid;
            }
        } else {
            while (shown > 0 && !fits(lo, shown)) {
                --shown;
            }
        }
        cap = lo;
    }

    int built = 0;
    for (std::size_t k = 0; k < shown; ++k) {
        FuselageBand& band = fuselage.bands[others[k]];
        if (addBand(engine, fuselage, band, formers[others[k]].input, cap)) {
            ++built;
            fuselage.otherMeshes.push_back(band.mesh);
        }
    }
    // Last, so that it is built anew at the end of the runs in use, which the room kept holds.
    for (std::size_t i = 0; i < formers.size(); ++i) {
        FuselageBand& band = fuselage.bands[i];
        if (band.current && addBand(engine, fuselage, band, formers[i].input)) {
            ++built;
            fuselage.scene.formerMesh = band.mesh;
        }
    }
    return built;
}

void FitFuselageDepth(Engine& engine, const FuselageScene& fuselage, int camera, int light,
                      const Camera& part, const Light& partLight, float distance) {
    if (!engine.isCamera(camera)) {
        return;
    }
    // The farthest point of a band from the orbit's centre: its station, half its depth, and
    // its half width or height, whichever way the fuselage is turned.
    double reach = 0.0;
    for (const FuselageBand& b : fuselage.bands) {
        if (!engine.isMesh(b.mesh)) {
            continue;
        }
        const Mesh& m = engine.meshes[b.mesh];
        for (int v = m.vertexStart; v < m.vertexStart + m.vertexCount; ++v) {
            const Vector3& p = engine.vertices[v];
            reach = std::max(reach,
                             std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z));
        }
    }
    // The fog and the light's fall-off begin beyond the farthest former.
    const float back = static_cast<float>(
        std::max(0.0, distance + reach - std::min(part.fogStart, partLight.attenuationStart)));
    Camera& c = engine.cameras[camera];
    c.near = part.near;
    c.far = part.far + back;
    c.fogStart = part.fogStart + back;
    c.fogEnd = part.fogEnd + back;
    if (engine.isLight(light)) {
        Light& l = engine.lights[light];
        l.attenuationStart = partLight.attenuationStart + back;
        l.attenuationEnd = partLight.attenuationEnd + back;
    }
}

std::vector<std::string> FormersLeftOut(const FuselageScene& fuselage) {
    std::vector<std::string> names;
    for (const FuselageBand& b : fuselage.bands) {
        if (b.mesh == 0) {
            names.push_back(b.name);
        }
    }
    return names;
}

std::string FormersLeftOutMessage(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "";
    }
    const std::string why = ", la place manque dans la vue.";
    if (names.size() == 1) {
        return "Vue Fuselage : le couple " + names[0] + " n'est pas montré" + why;
    }
    // A few names say which; the count says how many.
    constexpr std::size_t kNamed = 5;
    std::string list;
    for (std::size_t i = 0; i < std::min(names.size(), kNamed); ++i) {
        list += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamed) {
        list += " et " + std::to_string(names.size() - kNamed) + " autres";
    }
    return "Vue Fuselage : " + std::to_string(names.size()) + " couples ne sont pas montrés (" +
           list + ")" + why;
}

void UpdateFuselageCurrent(Engine& engine, FuselageScene& fuselage, const SceneInput& in) {
    FuselageBand* band = currentBand(fuselage);
    if (band == nullptr) {
        return;
    }
    const int K = std::max(OutlineIntervals(in), 0);
    if (engine.isMesh(band->mesh) && K == band->intervals) {
        wholeContour(fuselage, in);
        placeBand(engine, *band, fuselage.contour, symmetryAxis(fuselage.contour), in,
                  bandDepth(fuselage, *band));
        return;
    }
    deleteFuselageMesh(engine, fuselage, band->mesh);
    band->mesh = 0;
    fuselage.scene.formerMesh = 0;
    if (addBand(engine, fuselage, *band, in)) {
        fuselage.scene.formerMesh = band->mesh;
    }
}

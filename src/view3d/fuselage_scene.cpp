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

// The former's symmetry axis: the middle of its outline's width, or of its samples' width
// where notches are cut (a notch on one side only may narrow that side).
double symmetryAxis(std::span<const PointXYZ> contour, const SceneInput& in) {
    const auto byX = [](const PointXYZ& a, const PointXYZ& b) { return a.x < b.x; };
    const OutlineInput& o = in.outline;
    if (o.cut() && !o.Courbe_Droite.empty() && !o.Courbe_Gauche.empty()) {
        const auto [l, r] =
            std::minmax_element(o.Courbe_Gauche.begin(), o.Courbe_Gauche.end(), byX);
        const auto [l2, r2] =
            std::minmax_element(o.Courbe_Droite.begin(), o.Courbe_Droite.end(), byX);
        return (std::min(l->x, l2->x) + std::max(r->x, r2->x)) / 2.0 / outputUnit;
    }
    if (contour.empty()) {
        return 0.0;
    }
    const auto [left, right] = std::minmax_element(contour.begin(), contour.end(), byX);
    return (left->x + right->x) / 2.0;
}

// Writes the band's two layers over the mesh's vertex run, in the single part's layout: x and y
// scaled by W and H about the former's axes (x about its symmetry axis; y is already measured
// from its horizontal axis), the front layer d/2 before z and the back one d/2 behind it. The
// band keeps its axis and scales, where its stringer lines meet it.
void placeBand(Engine& e, FuselageBand& band, std::span<const PointXYZ> contour, double axis,
               const SceneInput& in, float z) {
    const Mesh& m = e.meshes[band.mesh];
    const int layer = m.vertexCount / 2;
    const int n = std::min<int>(layer, static_cast<int>(contour.size()));
    if (n == 0) {
        return;
    }
    const double W = band.W > 0.0 ? band.W : 2.0 * in.partWidth;
    const double H = band.H > 0.0 ? band.H : 2.0 * in.partHeight;
    band.axis = axis;
    band.scaleX = W;
    band.scaleY = H;
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

// The band's contour of at most `most` intervals (0: all of its outline's) in s.contour; returns
// its symmetry axis, taken before any point is dropped.
double bandContour(FuselageScene& s, FuselageBand& band, const SceneInput& in, int most) {
    wholeContour(s, in);
    band.intervals = static_cast<int>(s.contour.size()) - 1;
    const double axis = symmetryAxis(s.contour, in);
    if (most > 0) {
        keepShapePoints(s.contour, static_cast<std::size_t>(most) + 1);
    }
    return axis;
}

// How many of an outline's n points a band of at most `most` intervals keeps, as
// keepShapePoints leaves them.
std::size_t keptPoints(std::size_t n, int most) {
    if (most <= 0) {
        return n;
    }
    const std::size_t keep = static_cast<std::size_t>(most) + 1;
    return keep >= n || n < 3 ? n : keep;
}

std::shared_ptr<const FuselageBand::Given> keepGiven(const SceneInput& in) {
    auto given = std::make_shared<FuselageBand::Given>();
    given->input = in;
    given->outline.take(given->input);
    return given;
}

bool samePoints(std::span<const PointXYZ> a, std::span<const PointXYZ> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// Whether a band placed from `a` stands where one placed from `b` would, its notches the same.
bool sameInput(const SceneInput& a, const SceneInput& b) {
    const OutlineInput& p = a.outline;
    const OutlineInput& q = b.outline;
    const auto sameNotch = [](const StringerNotch& m, const StringerNotch& n) {
        return m.stringer == n.stringer && m.side == n.side && m.centre == n.centre;
    };
    return a.partDepth == b.partDepth && a.partHeight == b.partHeight &&
           a.partWidth == b.partWidth && a.sampleCount == b.sampleCount &&
           a.doublingOn == b.doublingOn && p.Nb_Points == q.Nb_Points && p.Y1 == q.Y1 &&
           p.doublingOn == q.doublingOn && p.cutRightMiddle == q.cutRightMiddle &&
           p.cutLeftMiddle == q.cutLeftMiddle && samePoints(p.Courbe_Droite, q.Courbe_Droite) &&
           samePoints(p.Courbe_Gauche, q.Courbe_Gauche) &&
           samePoints(p.Doublage_Droit, q.Doublage_Droit) &&
           samePoints(p.Doublage_Gauche, q.Doublage_Gauche) && samePoints(p.cutRight, q.cutRight) &&
           samePoints(p.cutLeft, q.cutLeft) &&
           std::equal(a.stringerNotches.begin(), a.stringerNotches.end(), b.stringerNotches.begin(),
                      b.stringerNotches.end(), sameNotch);
}

// Builds one band of at most `most` intervals (0: all of its outline's); false, with nothing
// reported, when the pools cannot hold it.
bool addBand(Engine& e, FuselageScene& s, FuselageBand& band, const SceneInput& in, int most = 0) {
    const double axis = bandContour(s, band, in, most);
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
    band.notches = in.stringerNotches;
    return true;
}

// Where a band's notch lies in the fuselage: as the band's points are placed, on the middle of
// its thickness.
Vector3 notchPoint(const FuselageScene& s, const FuselageBand& band, const StringerNotch& n) {
    return {static_cast<float>(band.scaleX * (n.centre.x - band.axis)),
            static_cast<float>(band.scaleY * n.centre.y), bandDepth(s, band)};
}

bool sameStringer(const StringerNotch& a, const StringerNotch& b) {
    return a.side == b.side && a.stringer == b.stringer;
}

// Whether the pools have a mesh slot and runs for one line, asked without the engine's error
// report.
bool roomForLine(const Engine& e) {
    return e.meshRange.first + e.meshRange.count <= e.lastSlot() && e.AllocVertexBlock(2) != 0 &&
           e.AllocFaceBlock(1) != 0;
}

// The lines the notches of these formers ask for: one less than the formers that have each
// stringer's notch on each side.
long stringerLinesWanted(std::span<const FuselageFormer> formers) {
    std::vector<const StringerNotch*> seen;
    long notches = 0;
    for (const FuselageFormer& f : formers) {
        for (const StringerNotch& n : f.input.stringerNotches) {
            ++notches;
            if (std::none_of(seen.begin(), seen.end(), [&n](const StringerNotch* k) {
                    return k->side == n.side && k->stringer == n.stringer;
                })) {
                seen.push_back(&n);
            }
        }
    }
    return notches - static_cast<long>(seen.size());
}

// Each stringer's line from former to former along the fuselage, through the notches of the
// bands built; stops, with nothing reported, when the pools are full.
void addStringerLines(Engine& e, FuselageScene& s) {
    std::vector<std::size_t> order(s.bands.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&s](std::size_t a, std::size_t b) {
        return s.bands[a].station < s.bands[b].station;
    });
    std::vector<const StringerNotch*> stringers; // each stringer's side once
    for (const std::size_t b : order) {
        for (const StringerNotch& n : s.bands[b].notches) {
            if (std::none_of(stringers.begin(), stringers.end(),
                             [&n](const StringerNotch* k) { return sameStringer(*k, n); })) {
                stringers.push_back(&n);
            }
        }
    }
    for (const StringerNotch* k : stringers) {
        bool has = false;
        std::size_t fromBand = 0, fromNotch = 0;
        for (const std::size_t b : order) {
            const FuselageBand& band = s.bands[b];
            const auto it =
                std::find_if(band.notches.begin(), band.notches.end(),
                             [k](const StringerNotch& n) { return sameStringer(*k, n); });
            if (band.mesh == 0 || it == band.notches.end()) {
                continue;
            }
            const std::size_t notch = static_cast<std::size_t>(it - band.notches.begin());
            if (has) {
                const FuselageBand& from = s.bands[fromBand];
                // Nothing is reported when the pools are full: the lines stop there.
                if (!roomForLine(e)) {
                    return;
                }
                const int m = CreateLine(e, notchPoint(s, from, from.notches[fromNotch]),
                                         notchPoint(s, band, *it));
                if (m == 0) {
                    return;
                }
                e.SetMeshColour(m, kStringerColour, kFormerMaterial);
                s.stringerLines.push_back({m, fromBand, fromNotch, b, notch});
            }
            has = true;
            fromBand = b;
            fromNotch = notch;
        }
    }
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
    for (StringerLine& l : s.stringerLines) {
        FollowDeletedMesh(l.mesh, m);
    }
}

void removeStringerLines(Engine& e, FuselageScene& s) {
    while (!s.stringerLines.empty()) {
        const int m = s.stringerLines.back().mesh;
        s.stringerLines.pop_back();
        deleteFuselageMesh(e, s, m);
    }
}

// The current band's notches moved: the lines keep their meshes while it has the same
// stringers' notches, else they are drawn again.
void followNotches(Engine& e, FuselageScene& s, FuselageBand& band,
                   const std::vector<StringerNotch>& notches) {
    const bool same =
        band.notches.size() == notches.size() &&
        std::equal(notches.begin(), notches.end(), band.notches.begin(), sameStringer);
    band.notches = notches;
    if (!same) {
        removeStringerLines(e, s);
        addStringerLines(e, s);
        return;
    }
    const std::size_t at = static_cast<std::size_t>(&band - s.bands.data());
    for (const StringerLine& l : s.stringerLines) {
        if (l.fromBand != at && l.toBand != at) {
            continue;
        }
        const FuselageBand& from = s.bands[l.fromBand];
        const FuselageBand& to = s.bands[l.toBand];
        const Mesh& m = e.meshes[l.mesh];
        e.vertices[m.vertexStart] = notchPoint(s, from, from.notches[l.fromNotch]);
        e.vertices[m.vertexStart + 1] = notchPoint(s, to, to.notches[l.toNotch]);
    }
}

// The first former marked current, or the count of formers when none is.
std::size_t currentIndex(std::span<const FuselageFormer> formers) {
    const auto it = std::find_if(formers.begin(), formers.end(),
                                 [](const FuselageFormer& f) { return f.current; });
    return static_cast<std::size_t>(it - formers.begin());
}

// The formers not being edited in the list's order, how many of them (the first ones) have a
// band, and the most intervals each band keeps: what the room left holds once the current band
// at its largest and the stringers' lines are kept room for.
struct BandPlan {
    std::vector<std::size_t> others;
    std::size_t shown = 0;
    int cap = 0;
};

BandPlan planBands(const FuselageRoom& room, std::span<const FuselageFormer> formers,
                   int currentIntervalsAtMost) {
    const std::size_t c = currentIndex(formers);
    const bool current = c < formers.size();
    const int reserved =
        current ? std::max(currentIntervalsAtMost, std::max(OutlineIntervals(formers[c].input), 0))
                : 0;
    // The stringers' lines come last, each a mesh of two points and one face.
    const long lines = stringerLinesWanted(formers);
    const long faceRoom = room.faces - (current ? 4L * reserved : 0) - lines;
    const long vertexRoom = room.vertices - (current ? 2L * (reserved + 1) : 0) - 2 * lines;
    const long meshRoom = room.meshes - (current ? 1 : 0) - lines;

    // The most intervals every other band may keep: the largest cap at which they all fit,
    // no fewer than the fewest, in which case those last in the list are left out.
    BandPlan plan;
    std::vector<std::size_t>& others = plan.others;
    int largest = 0;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        if (i != c) {
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
    plan.shown = shown;
    plan.cap = cap;
    return plan;
}

// Every stringer line's ends where its bands' notches now lie.
void placeLines(Engine& e, const FuselageScene& s) {
    for (const StringerLine& l : s.stringerLines) {
        const FuselageBand& from = s.bands[l.fromBand];
        const FuselageBand& to = s.bands[l.toBand];
        const Mesh& m = e.meshes[l.mesh];
        e.vertices[m.vertexStart] = notchPoint(s, from, from.notches[l.fromNotch]);
        e.vertices[m.vertexStart + 1] = notchPoint(s, to, to.notches[l.toNotch]);
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
    fuselage.stringerLines.clear();
    fuselage.middle = 0.0;
    if (formers.empty()) {
        return 0;
    }
    const auto [first, last] = std::minmax_element(
        formers.begin(), formers.end(),
        [](const FuselageFormer& a, const FuselageFormer& b) { return a.station < b.station; });
    fuselage.middle = (first->station + last->station) / 2.0;
    const std::size_t current = currentIndex(formers);
    for (std::size_t i = 0; i < formers.size(); ++i) {
        FuselageBand& band = fuselage.bands[i];
        band.station = formers[i].station;
        band.W = formers[i].W;
        band.H = formers[i].H;
        band.name = formers[i].name;
        band.current = i == current;
    }

    // What the pools hold after the scene: runs are taken after the highest one in use.
    auto from = [&engine](int start) { return start == 0 ? 0L : engine.lastSlot() - start + 1L; };
    fuselage.room = {from(engine.AllocFaceBlock(0)), from(engine.AllocVertexBlock(0)),
                     engine.lastSlot() - (engine.meshRange.first + engine.meshRange.count) + 1L,
                     ground.partHeight};
    const BandPlan plan = planBands(fuselage.room, formers, currentIntervalsAtMost);
    const std::vector<std::size_t>& others = plan.others;
    const std::size_t shown = plan.shown;
    const int cap = plan.cap;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        fuselage.bands[i].given = keepGiven(formers[i].input);
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
    addStringerLines(engine, fuselage);
    fuselage.currentLast = true;
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

bool UpdateFuselageCurrent(Engine& engine, FuselageScene& fuselage, const SceneInput& in) {
    FuselageBand* band = currentBand(fuselage);
    if (band == nullptr) {
        return true;
    }
    const int K = std::max(OutlineIntervals(in), 0);
    if (engine.isMesh(band->mesh) && K == band->intervals) {
        wholeContour(fuselage, in);
        placeBand(engine, *band, fuselage.contour, symmetryAxis(fuselage.contour, in), in,
                  bandDepth(fuselage, *band));
        followNotches(engine, fuselage, *band, in.stringerNotches);
        band->given = keepGiven(in);
        return true;
    }
    if (!fuselage.currentLast) {
        return false;
    }
    band->given = keepGiven(in);
    // Built anew after the others, the lines after it, in the room kept for both.
    removeStringerLines(engine, fuselage);
    deleteFuselageMesh(engine, fuselage, band->mesh);
    band->mesh = 0;
    band->notches.clear();
    fuselage.scene.formerMesh = 0;
    if (addBand(engine, fuselage, *band, in)) {
        fuselage.scene.formerMesh = band->mesh;
    }
    addStringerLines(engine, fuselage);
    return true;
}

int RebuildFuselage(Engine& engine, FuselageScene& fuselage, const SceneInput& current,
                    int& currentCamera, int& currentLight, int currentIntervalsAtMost) {
    std::vector<std::shared_ptr<const FuselageBand::Given>> inputs; // alive through the build
    std::vector<FuselageFormer> formers;
    for (const FuselageBand& b : fuselage.bands) {
        FuselageFormer f;
        f.station = b.station;
        f.current = b.current;
        f.W = b.W;
        f.H = b.H;
        f.name = b.name;
        if (b.current) {
            f.input = current;
        } else if (b.given) {
            inputs.push_back(b.given);
            f.input = b.given->input;
        }
        formers.push_back(std::move(f));
    }
    return SetupFuselage(engine, fuselage, formers, currentCamera, currentLight,
                         currentIntervalsAtMost);
}

bool RefreshFuselage(Engine& engine, FuselageScene& fuselage,
                     std::span<const FuselageFormer> formers, int currentIntervalsAtMost) {
    std::vector<FuselageBand>& bands = fuselage.bands;
    if (formers.empty() || formers.size() != bands.size()) {
        return false;
    }
    int tallest = 0;
    for (const FuselageFormer& f : formers) {
        tallest = std::max(tallest, f.input.partHeight);
    }
    if (tallest != fuselage.room.groundHeight) {
        return false; // the grid stands elsewhere
    }
    const BandPlan plan = planBands(fuselage.room, formers, currentIntervalsAtMost);
    const std::size_t current = currentIndex(formers);
    // The most intervals each band keeps (0: all of its outline's), -1 where it has none.
    std::vector<int> most(formers.size(), -1);
    if (current < formers.size()) {
        most[current] = 0;
    }
    for (std::size_t k = 0; k < plan.shown; ++k) {
        most[plan.others[k]] = plan.cap;
    }
    // Every band where it stands, of the size it would be built, with the same stringers' lines;
    // nothing changes before that is known.
    for (std::size_t i = 0; i < formers.size(); ++i) {
        const FuselageBand& band = bands[i];
        const SceneInput& in = formers[i].input;
        if (formers[i].station != band.station ||
            (band.mesh != 0 &&
             !std::equal(in.stringerNotches.begin(), in.stringerNotches.end(), band.notches.begin(),
                         band.notches.end(), sameStringer))) {
            return false;
        }
        const std::size_t points =
            most[i] < 0
                ? 0
                : keptPoints(static_cast<std::size_t>(std::max(OutlineIntervals(in), 0)) + 1,
                             most[i]);
        const std::size_t has =
            engine.isMesh(band.mesh)
                ? static_cast<std::size_t>(engine.meshes[band.mesh].vertexCount / 2)
                : 0;
        if (points != has || (band.mesh != 0) != (has != 0)) {
            return false;
        }
    }
    const std::size_t before = static_cast<std::size_t>(
        std::find_if(bands.begin(), bands.end(), [](const FuselageBand& b) { return b.current; }) -
        bands.begin());
    bool moved = false;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        FuselageBand& band = bands[i];
        const FuselageFormer& f = formers[i];
        const bool wasCurrent = band.current;
        band.current = i == current;
        band.name = f.name;
        if (!band.given || !sameInput(band.given->input, f.input) || band.W != f.W ||
            band.H != f.H) {
            band.W = f.W;
            band.H = f.H;
            band.given = keepGiven(f.input);
            if (band.mesh != 0) {
                band.notches = f.input.stringerNotches;
                const double axis = bandContour(fuselage, band, f.input, most[i]);
                placeBand(engine, band, fuselage.contour, axis, f.input, bandDepth(fuselage, band));
                moved = true;
            }
        }
        if (band.mesh != 0 && band.current != wasCurrent) {
            colourBand(engine, band);
        }
    }
    fuselage.scene.formerMesh = current < bands.size() ? bands[current].mesh : 0;
    fuselage.otherMeshes.clear();
    for (std::size_t k = 0; k < plan.shown; ++k) {
        if (bands[plan.others[k]].mesh != 0) {
            fuselage.otherMeshes.push_back(bands[plan.others[k]].mesh);
        }
    }
    if (moved) {
        placeLines(engine, fuselage);
    }
    // The room kept for the current band lies after the band built last.
    if (current != before) {
        fuselage.currentLast = current < bands.size() && bands[current].mesh != 0 &&
                               std::all_of(bands.begin(), bands.end(), [&](const FuselageBand& b) {
                                   return b.mesh <= bands[current].mesh;
                               });
    }
    return true;
}

#include "view3d/fuselage_scene.h"

#include <algorithm>
#include <cstdint>

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

// The former's symmetry axis in the outline's units: the middle of its width, or of its samples'
// width where notches are cut (a notch on one side only may narrow that side).
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
    const auto [left, right] = std::minmax_element(contour.begin(), contour.end(), byX);
    return (left->x + right->x) / 2.0;
}

// Writes the band's two layers over the mesh's vertex run, in the single part's layout: x and y
// scaled by W and H about the former's axes (x about its symmetry axis, the middle of its width;
// y is already measured from its horizontal axis), the front layer d/2 before z and the back one
// d/2 behind it.
void placeBand(Engine& e, FuselageBand& band, std::span<const PointXYZ> contour,
               const SceneInput& in, float z) {
    const Mesh& m = e.meshes[band.mesh];
    const int layer = m.vertexCount / 2;
    const int n = std::min<int>(layer, static_cast<int>(contour.size()));
    if (n == 0) {
        return;
    }
    const double axis = symmetryAxis(contour.first(static_cast<std::size_t>(n)), in);
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

// Builds one band; false when the pools are full.
bool addBand(Engine& e, FuselageScene& s, FuselageBand& band, const SceneInput& in) {
    wholeContour(s, in);
    band.intervals = static_cast<int>(s.contour.size()) - 1;
    band.mesh = buildBand(e, band.intervals);
    if (band.mesh == 0) {
        return false;
    }
    placeBand(e, band, s.contour, in, bandDepth(s, band));
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

// Each stringer's line from former to former along the fuselage, through the notches of the
// bands built; stops when the pools are full (error 1, reported once).
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
                  int& currentCamera, int& currentLight) {
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
    bool currentSeen = false;
    for (std::size_t i = 0; i < formers.size(); ++i) {
        fuselage.bands[i].station = formers[i].station;
        fuselage.bands[i].W = formers[i].W;
        fuselage.bands[i].H = formers[i].H;
        fuselage.bands[i].current = formers[i].current && !currentSeen;
        currentSeen = currentSeen || formers[i].current;
    }

    // The current former first, so that it shows whatever else fits.
    int built = 0;
    for (const bool current : {true, false}) {
        for (std::size_t i = 0; i < formers.size(); ++i) {
            FuselageBand& band = fuselage.bands[i];
            if (band.current != current) {
                continue;
            }
            if (!addBand(engine, fuselage, band, formers[i].input)) {
                addStringerLines(engine, fuselage);
                return built; // reported once; the pools hold no more
            }
            ++built;
            if (current) {
                fuselage.scene.formerMesh = band.mesh;
            } else {
                fuselage.otherMeshes.push_back(band.mesh);
            }
        }
    }
    addStringerLines(engine, fuselage);
    return built;
}

void UpdateFuselageCurrent(Engine& engine, FuselageScene& fuselage, const SceneInput& in) {
    FuselageBand* band = currentBand(fuselage);
    if (band == nullptr) {
        return;
    }
    const int K = std::max(OutlineIntervals(in), 0);
    const std::vector<StringerNotch> before = band->notches;
    if (engine.isMesh(band->mesh) && K == band->intervals) {
        wholeContour(fuselage, in);
        placeBand(engine, *band, fuselage.contour, in, bandDepth(fuselage, *band));
        band->notches = before;
        followNotches(engine, fuselage, *band, in.stringerNotches);
        return;
    }
    deleteFuselageMesh(engine, fuselage, band->mesh);
    band->mesh = 0;
    fuselage.scene.formerMesh = 0;
    if (addBand(engine, fuselage, *band, in)) {
        fuselage.scene.formerMesh = band->mesh;
    }
    // Built anew or gone: the lines are drawn again.
    band->notches = before;
    followNotches(engine, fuselage, *band,
                  band->mesh != 0 ? in.stringerNotches : std::vector<StringerNotch>{});
}

#include "view3d/scene.h"

#include "engine3d/vector_maths.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr Colour3 kWhite{255, 255, 255};
constexpr FaceMaterial kSceneMaterial = 0.9f;
constexpr int kGizmoOffset = 80;

// Appends vertices and faces to a mesh created empty, whose runs grow from their start. Each
// append checks the pool first; once one fails the writer refuses every later one.
class MeshWriter {
public:
    explicit MeshWriter(Engine& e) : e_(e), mesh_(e.CreateMesh(0, 0)) {}

    bool ok() const { return mesh_ != 0 && !failed_; }
    int vertexStart() const { return e_.meshes[mesh_].vertexStart; }

    void vertex(const Vector3& p) {
        const int slot = vertexStart() + vertices_;
        if (!room(slot)) {
            return;
        }
        e_.vertices[slot] = p;
        ++vertices_;
    }

    // Absolute vertex indices, as the faces store them.
    void face(int a, int b, int c) {
        const int slot = e_.meshes[mesh_].faceStart + faces_;
        if (!room(slot)) {
            return;
        }
        Face& f = e_.faces[slot];
        f = Face{};
        f.vertexA = static_cast<std::int16_t>(a);
        f.vertexB = static_cast<std::int16_t>(b);
        f.vertexC = static_cast<std::int16_t>(c);
        ++faces_;
    }

    // Sets the counts, drops the faces that point outside the run and packs the mesh into runs
    // of its size. On any failure the half-built mesh goes and 0 comes back.
    int finish() {
        if (mesh_ == 0) {
            return 0;
        }
        if (failed_) {
            e_.DeleteMesh(mesh_);
            return 0;
        }
        Mesh& m = e_.meshes[mesh_];
        m.vertexCount = static_cast<std::int16_t>(vertices_);
        m.faceCount = static_cast<std::int16_t>(faces_);
        e_.RemoveBadFaces(mesh_);
        const int moved = e_.RelocateMesh(mesh_);
        if (moved == 0) {
            // The copy did not fit (already reported): nothing half-made stays behind.
            e_.DeleteMesh(mesh_);
        }
        return moved;
    }

private:
    bool room(int slot) {
        if (failed_ || mesh_ == 0) {
            return false;
        }
        if (slot > e_.lastSlot()) {
            e_.EngineError(kErrorMeshMemory);
            failed_ = true;
            return false;
        }
        return true;
    }

    Engine& e_;
    int mesh_;
    int vertices_ = 0;
    int faces_ = 0;
    bool failed_ = false;
};

// Deletes a scene mesh and keeps the scene's other indices pointing at their meshes.
void deleteSceneMesh(Engine& e, Scene& s, int m) {
    if (!e.isMesh(m)) {
        return;
    }
    e.DeleteMesh(m);
    FollowDeletedMesh(s, m);
}

// Vertex k of layer L (both from 0) of the band: W·x, H·y, and z = d on the back layer.
Vector3 bandVertex(const PointXYZ& p, double W, double H, double d, int layer) {
    return {static_cast<float>(W * p.x), static_cast<float>(H * p.y),
            static_cast<float>(d * layer)};
}

} // namespace

void FollowDeletedMesh(Scene& scene, int m) {
    FollowDeletedMesh(scene.formerMesh, m);
    FollowDeletedMesh(scene.gridMesh, m);
    for (int& i : scene.axisLines) {
        FollowDeletedMesh(i, m);
    }
    for (int& i : scene.axisLabels) {
        FollowDeletedMesh(i, m);
    }
}

FrameInputs Scene::frameInputs(const ToolbarTags& tags) const {
    FrameInputs in;
    in.axisLines = axisLines;
    in.axisLabels = axisLabels;
    in.gridMesh = gridMesh;
    in.axesTag = tags.axes;
    in.gridTag = tags.grid;
    return in;
}

int OutlineIntervals(const SceneInput& in) {
    const int h = in.sampleCount;
    const int inner = in.doublingOn == 1 ? 2 * h + 2 : 0;
    // The notches cut into the outer halves change its number of points.
    if (in.outline.cut())
        return static_cast<int>(in.outline.cutRight.size() + in.outline.cutLeft.size()) + 2 + inner;
    return 2 * h + 2 + inner;
}

int CreateGrid(Engine& engine, float sizeX, float sizeZ, int cellsX, int cellsZ, bool doubleSided) {
    if (cellsX < 1 || cellsZ < 1) {
        return 0;
    }
    MeshWriter w(engine);
    if (!w.ok()) {
        return 0;
    }
    const float dx = sizeX / static_cast<float>(cellsX);
    const float dz = sizeZ / static_cast<float>(cellsZ);
    for (int j = 1; j <= cellsZ + 1; ++j) {
        for (int i = 1; i <= cellsX + 1; ++i) {
            w.vertex({static_cast<float>(i - 1) * dx, 0.0f, static_cast<float>(j - 1) * dz});
        }
    }
    const int q = w.vertexStart() - 1;
    for (int j = 1; j <= cellsZ; ++j) {
        for (int i = 1; i <= cellsX; ++i) {
            const int a = (cellsX + 1) * (j - 1) + q + i;
            const int b = (cellsX + 1) * j + q + i;
            w.face(a, b, b + 1);
            w.face(a, b + 1, a + 1);
            if (doubleSided) {
                w.face(b + 1, b, a);
                w.face(a + 1, b + 1, a);
            }
        }
    }
    return w.finish();
}

int CreateLine(Engine& engine, const Vector3& p0, const Vector3& p1) {
    const int m = engine.CreateMesh(2, 1);
    if (m == 0) {
        return 0;
    }
    const Mesh& mesh = engine.meshes[m];
    engine.vertices[mesh.vertexStart] = p0;
    engine.vertices[mesh.vertexStart + 1] = p1;
    engine.faces[mesh.faceStart] = Face{};
    return m;
}

int CreateLabel(Engine& engine, std::string_view text, const Vector3& p) {
    const int m = engine.CreateMesh(1, 1);
    if (m == 0) {
        return 0;
    }
    Mesh& mesh = engine.meshes[m];
    engine.vertices[mesh.vertexStart] = p;
    engine.faces[mesh.faceStart] = Face{};
    mesh.label = std::string(text);
    return m;
}

void SetupScene(Engine& engine, Scene& scene, const SceneInput& in, int& currentCamera,
                int& currentLight) {
    // 1. Every mesh goes; the window's camera and light stay.
    const KeptIndices kept = engine.ClearScene(0, currentCamera, currentLight);
    currentCamera = kept.camera;
    currentLight = kept.light;
    scene.formerMesh = 0;
    scene.gridMesh = 0;
    scene.axisLines = {};
    scene.axisLabels = {};

    const float groundY = -1.5f * static_cast<float>(in.partHeight);
    // 2., 3. The ground grid, centred, turned and lowered under the former.
    if (scene.gridMesh == 0) {
        scene.gridMesh = CreateGrid(engine, 150.0f, 150.0f, 4, 4, true);
        engine.CentreMesh(scene.gridMesh);
    }
    engine.TransformMeshVertices(scene.gridMesh,
                                 rotationMatrix(kAxisY, static_cast<float>(-kEnginePi / 2)));
    engine.TransformMeshVertices(scene.gridMesh, translationMatrix({10.0f, groundY, 0.0f}));
    engine.SetMeshColour(scene.gridMesh, kWhite, kSceneMaterial);

    // 4.-6. The axis gizmo beside a corner of the grid, at the grid's height. The vertical
    // axis of the view is labelled "z", the depth axis "y".
    scene.gizmoOffsetX = kGizmoOffset;
    scene.gizmoOffsetZ = kGizmoOffset;
    const float L = 2.0f * static_cast<float>(scene.gizmoOffsetX) / 5.0f;
    const Matrix4 place = translationMatrix({-static_cast<float>(scene.gizmoOffsetX), groundY,
                                             -static_cast<float>(scene.gizmoOffsetZ)});
    const Vector3 origin{0.0f, 0.0f, 0.0f};
    const Vector3 ends[3] = {{L, 0.0f, 0.0f}, {0.0f, L, 0.0f}, {0.0f, 0.0f, L}};
    const char* const names[3] = {"x", "z", "y"};
    for (int a = 0; a < 3; ++a) {
        scene.axisLines[a] = CreateLine(engine, origin, ends[a]);
        engine.TransformMeshVertices(scene.axisLines[a], place);
        scene.axisLabels[a] = CreateLabel(engine, names[a], ends[a]);
        engine.TransformMeshVertices(scene.axisLabels[a], place);
    }
}

int BuildFormerMesh(Engine& engine, std::span<const PointXYZ> Contour_3D, double W, double H,
                    double d, bool doubleSided) {
    if (Contour_3D.empty()) {
        return 0;
    }
    MeshWriter w(engine);
    if (!w.ok()) {
        return 0;
    }
    const int K = static_cast<int>(Contour_3D.size()) - 1;
    for (int layer = 0; layer < 2; ++layer) {
        for (const PointXYZ& p : Contour_3D) {
            w.vertex(bandVertex(p, W, H, d, layer));
        }
    }
    // P(L, k): vertex k (1-based) of layer L. The triangles of layer 2 point at a third
    // layer that does not exist; RemoveBadFaces drops them.
    const int start = w.vertexStart();
    auto P = [start, K](int L, int k) { return start - 1 + (K + 1) * (L - 1) + k; };
    for (int L = 1; L <= 2; ++L) {
        for (int k = 1; k <= K; ++k) {
            w.face(P(L, k), P(L + 1, k), P(L + 1, k + 1));
            if (doubleSided) {
                w.face(P(L + 1, k + 1), P(L + 1, k), P(L, k));
            }
            w.face(P(L, k), P(L + 1, k + 1), P(L, k + 1));
            if (doubleSided) {
                w.face(P(L, k + 1), P(L + 1, k + 1), P(L, k));
            }
        }
    }
    return w.finish();
}

void RebuildFormerMesh(Engine& engine, Scene& scene, const SceneInput& in, int View_Piece,
                       int mode) {
    // 1.-4. The outline of the chosen piece, K + 1 points of it.
    Build_Outline_3D(in.outline, View_Piece, scene.Outline_3D);
    const double W = 2.0 * in.partWidth;
    const double H = 2.0 * in.partHeight;
    const double d = in.partDepth;
    const int K = OutlineIntervals(in);
    if (mode == 1) {
        scene.Contour_3D.assign(static_cast<std::size_t>(std::max(K, 0)) + 1, PointXYZ{});
    }
    const std::size_t rows = std::min({scene.Contour_3D.size(), scene.Outline_3D.size(),
                                       static_cast<std::size_t>(std::max(K, 0)) + 1});
    for (std::size_t k = 0; k < rows; ++k) {
        scene.Contour_3D[k].x = scene.Outline_3D[k].x;
        scene.Contour_3D[k].y = scene.Outline_3D[k].y;
    }

    // 5. A new mesh.
    if (mode == 1) {
        if (scene.formerMesh > 0) {
            deleteSceneMesh(engine, scene, scene.formerMesh);
        }
        // Two-sided: the inside of the band shows wherever the part is turned.
        scene.formerMesh = BuildFormerMesh(engine, scene.Contour_3D, W, H, d, true);
        engine.CentreMesh(scene.formerMesh);
        engine.SetMeshColour(scene.formerMesh, kFormerColour, kFormerMaterial);
    }

    // 6. The vertices in place, in the builder's layout. Skipped while there is no mesh (a
    // failed build), so no other mesh is touched.
    if (!engine.isMesh(scene.formerMesh)) {
        return;
    }
    const Mesh& m = engine.meshes[scene.formerMesh];
    const int layer = m.vertexCount / 2;
    const int n = std::min<int>(layer, static_cast<int>(scene.Contour_3D.size()));
    for (int L = 0; L < 2; ++L) {
        for (int k = 0; k < n; ++k) {
            engine.vertices[m.vertexStart + layer * L + k] =
                bandVertex(scene.Contour_3D[static_cast<std::size_t>(k)], W, H, d, L);
        }
    }
    engine.CentreMesh(scene.formerMesh);
}

void ShiftBackLayer(Engine& engine, int mesh, float delta) {
    if (!engine.isMesh(mesh)) {
        return;
    }
    const Mesh& m = engine.meshes[mesh];
    const int first = m.vertexStart;
    const int last = first + m.vertexCount - 1;
    // From the first vertex of the back layer: the last front vertex stays with the front.
    for (int k = last - m.vertexCount / 2 + 1; k <= last; ++k) {
        engine.vertices[k].z += delta;
    }
}

void ScaleMeshX(Engine& engine, int mesh, double ratio) {
    if (!engine.isMesh(mesh)) {
        return;
    }
    const Mesh& m = engine.meshes[mesh];
    for (int k = m.vertexStart; k < m.vertexStart + m.vertexCount; ++k) {
        engine.vertices[k].x = static_cast<float>(engine.vertices[k].x * ratio);
    }
}

void ScaleMeshY(Engine& engine, int mesh, double ratio) {
    if (!engine.isMesh(mesh)) {
        return;
    }
    const Mesh& m = engine.meshes[mesh];
    for (int k = m.vertexStart; k < m.vertexStart + m.vertexCount; ++k) {
        engine.vertices[k].y = static_cast<float>(engine.vertices[k].y * ratio);
    }
}

std::vector<StringerNotch> StringerNotches(const NotchedFormer& notched, double X1,
                                           double realScale) {
    std::vector<StringerNotch> out;
    for (const CutNotch& n : notched.cut) {
        if (n.slot)
            continue;
        // Real millimetres back to the surface's, then to the outline's units.
        const double x = (X1 + n.centre.x / realScale) / outputUnit;
        const double y = n.centre.y / realScale / outputUnit;
        out.push_back({n.name, n.side, {x, y, 0.0}});
    }
    return out;
}

void OwnedOutline::take(SceneInput& in) {
    auto own = [](std::span<const PointXYZ> from, std::vector<PointXYZ>& to) {
        to.assign(from.begin(), from.end());
        return std::span<const PointXYZ>(to);
    };
    in.outline.Courbe_Droite = own(in.outline.Courbe_Droite, Courbe_Droite);
    in.outline.Courbe_Gauche = own(in.outline.Courbe_Gauche, Courbe_Gauche);
    in.outline.Doublage_Droit = own(in.outline.Doublage_Droit, Doublage_Droit);
    in.outline.Doublage_Gauche = own(in.outline.Doublage_Gauche, Doublage_Gauche);
    in.outline.cutRight = own(in.outline.cutRight, cutRight);
    in.outline.cutLeft = own(in.outline.cutLeft, cutLeft);
}

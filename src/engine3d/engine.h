#pragma once

#include "engine3d/canvas.h"
#include "engine3d/error_sink.h"
#include "engine3d/records.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// What RenderFrame needs from the windows around it: the meshes of the axis gizmo and of the
// ground grid (0 = not built) and the tags of the editor's toolbar buttons "Axes On/Off" (10)
// and "Grille On/Off" (14), read as numbers.
struct FrameInputs {
    std::array<int, 3> axisLines{};
    std::array<int, 3> axisLabels{};
    int gridMesh = 0;
    double axesTag = 0.0; // the axes show only while it is 1
    double gridTag = 0.0; // the grid shows while it is not 0
    // Meshes whose faces are outlined in `otherOutline` rather than white in the modes that
    // outline faces (wire frame and solid): the formers beside the one being edited.
    std::span<const int> otherMeshes;
    Colour3 otherOutline{128, 128, 128};
};

// Where ClearScene left the records it kept (deleting lower slots moves them down).
struct KeptIndices {
    int mesh = 0;
    int camera = 0;
    int light = 0;
};

// Render modes of Camera::renderMode.
inline constexpr int kModeWireFrame = 0;
inline constexpr int kModeSolid = 1;
inline constexpr int kModeFlat = 2;
inline constexpr int kModeTransparent = 3;
inline constexpr int kModeSilhouette = 4;
inline constexpr int kModeSmooth = 5;

// The 3-D engine: the five pools, the tables derived from them every frame, and the
// operations on them. The 3-D window owns one and passes it by reference; its tables live on
// the heap, so it can live anywhere. Every index argument is a pool slot; a slot that is not
// occupied is ignored (or gives 0), never read out of bounds.
//
// Every pool has the same number of slots, 10001 unless the engine is made with another
// number (2..kMaxPoolSlots): slots 1..poolSlots()-1 are handed out, and a run or record that
// would go past the last one fails as it does past slot 10000.
class Engine {
    int slots_; // first, as the pools are sized from it

public:
    explicit Engine(int poolSlots = kPoolSlots);
    explicit Engine(ErrorSink& sink, int poolSlots = kPoolSlots) : Engine(poolSlots) {
        setErrorSink(&sink);
    }

    int poolSlots() const { return slots_; }
    int lastSlot() const { return slots_ - 1; }

    // nullptr forgets errors. The sink must outlive the engine or be replaced first.
    void setErrorSink(ErrorSink* sink);
    // Passes the code to the sink. Within one RenderFrame each of the settings codes 4 and 5
    // is passed on once, however many points fail.
    void EngineError(int code);

    // --- Pools (slot 0 = none) ---
    std::vector<Vector3> vertices; // model space
    std::vector<Face> faces;
    std::vector<Mesh> meshes;
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    PoolRange meshRange;
    PoolRange cameraRange;
    PoolRange lightRange;

    // --- Derived tables, rewritten every frame ---
    std::vector<Vector3> worldPositions;
    std::vector<Vector3> viewPositions;
    std::vector<Vector3> screenPositions; // x, y in pixels, depth 0..1
    std::vector<Vector3> vertexNormals;
    std::vector<Colour3> vertexColours;
    std::vector<Colour3> faceColours;
    std::vector<std::int16_t> drawList; // face indices back to front, 0 ends the list
    std::vector<float> drawKeys;

    bool isMesh(int m) const;
    bool isCamera(int c) const;
    bool isLight(int l) const;

    // --- Records and runs ---
    // First fit in mesh order, else after the highest occupied slot; 0 when it does not fit.
    int AllocVertexBlock(int n) const;
    int AllocFaceBlock(int n) const;
    // Vertices and faces of the new runs are left for the caller to write. 0 on failure
    // (error 1).
    int CreateMesh(int vertexCount, int faceCount);
    // Every mesh index above m moves down by one; children of m lose their parent.
    void DeleteMesh(int m);
    int CreateCamera(); // 0 on failure (error 2)
    void DeleteCamera(int c);
    int CreateLight(); // 0 on failure (error 3)
    void DeleteLight(int l);
    // Deletes every record but the three kept ones, and tells where those ended up.
    KeptIndices ClearScene(int keepMesh, int keepCamera, int keepLight);
    void DeleteFace(int f);
    // Drops faces pointing outside m's vertex run, degenerate ones and ones using vertex 0.
    void RemoveBadFaces(int m);
    // Moves m into runs of exactly its size; returns its new index, or 0 (m stays) on failure.
    int RelocateMesh(int m);
    void SetMeshColour(int m, Colour3 colour, FaceMaterial material);
    void CentreMesh(int m);
    // Rewrites the model vertices of m as p·M.
    void TransformMeshVertices(int m, const Matrix4& M);

    // --- Geometry pipeline, in frame order ---
    void UpdateWorld();
    void UpdateView(int camera);
    void ProjectVertices(const Canvas& surface, int camera);
    void OrbitCamera(int camera, const Vector3& target, float distance, float yaw, float pitch);

    // --- Frame ---
    // The caller clears the surface first.
    void RenderFrame(Canvas& surface, int camera, const FrameInputs& inputs);
    // Fills and sorts the draw list; returns the number of listed faces. The order is that of
    // SortDrawList over the faces as listed (visible meshes in pool order, each mesh's faces in
    // order): farthest first, equal keys in listing order. From one frame to the next the
    // order changes little, so the sort starts from the last frame's.
    int BuildDrawList(int camera);
    // The next BuildDrawList sorts from scratch. Its order is the same either way.
    void forgetDrawOrder() { lastOrderCount_ = 0; }
    // Moves the faces of the ground mesh to the head of the sorted draw list while the camera
    // is above the ground's plane, to its end while the camera is below: a part standing on the
    // ground is never covered by it from above. The ground's faces keep their order among
    // themselves, and so do the others. Returns the number of ground faces listed.
    int PlaceGroundFaces(int camera, int groundMesh);
    // Sorts entries low..high of the two tables together by ascending key; entries with equal
    // keys keep their order, and keys that are not numbers go last.
    void SortDrawList(std::span<float> keys, std::span<std::int16_t> faceList, int low, int high);
    Colour3 ShadePoint(const Vector3& point, const Vector3& normal, int face, int camera);
    void RenderScene(Canvas& surface, int camera, const FrameInputs& inputs);
    void DrawFlatTriangle(Canvas& surface, int face, Colour3 colour);
    void DrawGouraudTriangle(Canvas& surface, int face, Colour3 colour0, Colour3 colour1,
                             Colour3 colour2);

private:
    struct VertexRun {
        int begin = 0; // first slot
        int end = 0;   // one past the last slot, never beyond the pool
    };
    VertexRun vertexRun(const Mesh& mesh) const;
    VertexRun faceRun(const Mesh& mesh) const;
    bool faceUsable(const Face& face) const;
    // A face in the pool whose corners are all in the vertex pool.
    bool drawable(int face) const;
    // The face's corners on the surface, in whole pixels.
    void cornerPoints(int face, PixelPoint (&points)[3]) const;
    // The face's corners with their colours as the surface's gradient takes them.
    GradientTriangle gradientCorners(int face, Colour3 colour0, Colour3 colour1,
                                     Colour3 colour2) const;
    Vector3 faceNormal(const Face& face) const;
    void setAxisColours(const FrameInputs& inputs);
    // shades_[k] = shade(k) for k = 0..count-1, on every core within a frame.
    template <typename Shade> void shadeEach(int count, Shade shade);
    void drawMarkers(Canvas& surface);
    // The outlines of the other meshes' faces in the silhouette mode.
    void drawOtherSilhouettes(Canvas& surface, int listed, Colour3 colour);
    // Sorts the sortEntries_ of `count` listed faces, starting from the order they are in.
    void sortEntries(int count);
    // Sorts sortEntries_ that stand in list order by their keys.
    void radixSortEntries(int count);

    ErrorSink* sink_ = nullptr;
    bool inFrame_ = false;
    unsigned reportedInFrame_ = 0;
    std::vector<std::uint32_t> shadeStamp_; // per vertex: last frame its colour was computed
    std::vector<std::uint32_t> otherStamp_; // per face: last frame it was outlined as another's
    std::uint32_t otherFrame_ = 0;
    std::vector<std::uint32_t> edgeKeys_; // the others' edges in the silhouette mode, scratch
    // Entries on their way to new places in the list (the ground's while PlaceGroundFaces moves
    // them, the sorted ones), sized once like the list.
    std::vector<std::int16_t> scratchFaces_;
    std::vector<float> scratchKeys_;
    std::uint32_t frameStamp_ = 0;
    // The last frame's sorted faces, where this frame's sort starts, and per face where it
    // stands in this frame's list (valid while its stamp is this frame's).
    std::vector<std::int16_t> lastOrder_;
    int lastOrderCount_ = 0;
    std::vector<std::int16_t> listedAt_;
    std::vector<std::uint32_t> listedStamp_;
    std::uint32_t listStamp_ = 0;
    // Scratch of the sort, sized once like the list: (ordered key << 32 | list position).
    std::vector<std::uint64_t> sortEntries_;
    std::vector<std::uint64_t> radixBuffer_;
    std::vector<std::uint8_t> taken_;
    // The listed faces as the surface draws them, in list order; kept from frame to frame so
    // that a frame allocates nothing.
    std::vector<FlatTriangle> flatBatch_;
    std::vector<GradientTriangle> gradientBatch_;
    // The smooth mode's vertices to shade, each with the face it is shaded with.
    struct ShadedVertex {
        int vertex = 0;
        int face = 0;
    };
    std::vector<ShadedVertex> shadedVertices_;
    std::vector<Colour3> shades_; // what shadeEach() computed
    // The faces BuildDrawList() tests, in listing order, with what it found.
    struct Candidate {
        int face = 0;
        float key = 0.0f;
        bool listed = false;
    };
    std::vector<Candidate> candidates_;
};

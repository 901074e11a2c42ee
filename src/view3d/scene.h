#pragma once

#include "engine3d/engine.h"
#include "notches.h"
#include "outline_sequences.h"
#include "point_xyz.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A notch cut into the former for a stringer, where the fuselage's line of that stringer
// passes: the stringer, the side the notch is cut on, and its centre in the outline's units as
// the band's points are (x from the surface's left edge, y up from the horizontal axis).
struct StringerNotch {
    std::string stringer;
    NotchSide side = NotchSide::Right;
    PointXYZ centre;
};

// The stringers' notches of a former cut as `notched` says (real millimetres from its axes),
// its symmetry axis at X1 on the surface, at `realScale` real millimetres per millimetre of
// the drawing.
std::vector<StringerNotch> StringerNotches(const NotchedFormer& notched, double X1,
                                           double realScale);

// What the scene reads from the editor window when it builds: the dimension sliders, the point
// count and the doubling box, and the sampled outline for Build_Outline_3D. The editor fills
// one on each call; the outline's spans must stay valid during that call.
struct SceneInput {
    int partDepth = 5;   // "Ep.:", the band depth d
    int partHeight = 60; // "Haut.:", H = 2 * value
    int partWidth = 50;  // "Larg.:", W = 2 * value
    int sampleCount = 13;
    int doublingOn = 0; // 1 when the doubling is drawn (and cut)
    OutlineInput outline;
    std::vector<StringerNotch> stringerNotches; // where the fuselage's stringer lines pass
};

// The sample arrays a SceneInput's outline shows, owned: a copy that outlives the model.
struct OwnedOutline {
    std::vector<PointXYZ> Courbe_Droite, Courbe_Gauche, Doublage_Droit, Doublage_Gauche;
    std::vector<PointXYZ> cutRight, cutLeft;
    // Copies the arrays of `in` and points its outline at the copies.
    void take(SceneInput& in);
};

// The former's part: its colour and material.
inline constexpr Colour3 kFormerColour{110, 0, 0};
inline constexpr FaceMaterial kFormerMaterial = 0.9f;

// The tags of the editor's toolbar buttons "Axes On/Off" (10) and "Grille On/Off" (14), read
// as numbers.
struct ToolbarTags {
    double axes = 0.0;
    double grid = 0.0;
};

// The meshes and tables of the 3-D scene, shared by the editor and the 3-D window. Mesh
// indices are engine mesh slots, 0 while not built.
struct Scene {
    int formerMesh = 0;
    int gridMesh = 0;
    std::array<int, 3> axisLines{};
    std::array<int, 3> axisLabels{};
    std::vector<PointXYZ> Contour_3D;
    std::vector<PointXYZ> Outline_3D;
    int gizmoOffsetX = 0;
    int gizmoOffsetZ = 0;

    FrameInputs frameInputs(const ToolbarTags& tags) const;
};

// The number of outline intervals K of the former's band: 2h + 2, or 4h + 4 with the doubling,
// and as many more as the notches cut into its outer halves add.
int OutlineIntervals(const SceneInput& in);

// Builds the scene once at start-up: every mesh is cleared (the camera and light stay; their
// indices are updated if they moved), then the ground grid and the axis gizmo with its labels.
void SetupScene(Engine& engine, Scene& scene, const SceneInput& in, int& currentCamera,
                int& currentLight);

// A flat grid of cellsX x cellsZ cells in the plane y = 0 from the origin; 0 when the pools
// are full (error 1).
int CreateGrid(Engine& engine, float sizeX, float sizeZ, int cellsX, int cellsZ, bool doubleSided);
// Marker meshes: a line from p0 to p1, and a text label at p.
int CreateLine(Engine& engine, const Vector3& p0, const Vector3& p1);
int CreateLabel(Engine& engine, std::string_view text, const Vector3& p);

// The former's band from the points of Contour_3D (K = size - 1): the front layer at z = 0,
// the back layer at z = d, x and y scaled by W and H, 2(K+1) vertices and 2K triangles, 4K
// when doubleSided adds each triangle again with the opposite winding. 0 when the pools are
// full (error 1, nothing left behind).
int BuildFormerMesh(Engine& engine, std::span<const PointXYZ> Contour_3D, double W, double H,
                    double d, bool doubleSided);

// Follows the outline: mode 1 replaces the former's mesh (its index changes), any other mode
// moves the vertices of the existing mesh in place, keeping its index; both centre it. Leaves
// the surface and Redraw3D to the caller.
void RebuildFormerMesh(Engine& engine, Scene& scene, const SceneInput& in, int View_Piece,
                       int mode);

// The dimension sliders edit the former's vertices directly. The thickness moves the back
// layer (the second half of the vertex run) along z; the front face stays flat.
void ShiftBackLayer(Engine& engine, int mesh, float delta);
void ScaleMeshX(Engine& engine, int mesh, double ratio);
void ScaleMeshY(Engine& engine, int mesh, double ratio);

// Deleting mesh m moves the meshes above it down by one: an index of m becomes 0 and one
// above it follows its mesh.
inline void FollowDeletedMesh(int& index, int m) {
    if (index == m) {
        index = 0;
    } else if (index > m) {
        --index;
    }
}
// The same for every index the scene keeps.
void FollowDeletedMesh(Scene& scene, int m);

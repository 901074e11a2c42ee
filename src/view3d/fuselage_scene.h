#pragma once

#include "view3d/scene.h"

#include <span>
#include <vector>

// The fuselage: every former of the project as its part, the same band as the single part's,
// standing at its station along the fuselage axis. The axis is the bands' depth axis z, so the
// formers stack front to back; each one is centred on it where its own axes cross (x on its
// symmetry axis, y on its horizontal axis), and the whole fuselage is centred along it on the
// middle of its first and last stations, which the orbit turns about.
//
// Twenty formers of 100 points with their doublings, two-sided as the single part is, take
// 32,320 faces: more than the single part's 10,000-slot pools hold. The fuselage gets an engine
// of its own whose pools have the most slots the 16-bit indices allow, and its bands are
// written into runs of exactly their size (a band built and then moved, as the single part's
// is, needs room for two copies of it).
inline constexpr int kFuselagePoolSlots = kMaxPoolSlots;

// The formers not being edited: dark grey faces in a material that takes less of the light than
// the part's 0.9, so that in the lit modes they stay greyer and dimmer than the part, and grey
// outlines where faces are outlined.
inline constexpr Colour3 kOtherFormerColour{64, 64, 64};
inline constexpr FaceMaterial kOtherFormerMaterial = 0.5f;
inline constexpr Colour3 kOtherFormerOutline{128, 128, 128};
// The stringers: a line along the fuselage from notch to notch of each.
inline constexpr Colour3 kStringerColour{255, 170, 0};

// One former of the fuselage: what its part is built from, as for the single part (its
// samples, point count and doubling, and its "Ep.:", "Haut.:" and "Larg.:" for the depth d and
// the scales W and H), and where it stands. Only the whole former is shown.
struct FuselageFormer {
    SceneInput input;     // its spans must stay valid during the call that reads it
    double station = 0.0; // along the fuselage axis, in the part's units
    bool current = false; // the former being edited (the first one so marked)
    // The part's units per unit of its outline across and up; 0 takes twice "Larg.:" and twice
    // "Haut.:" as the single part does. The editor gives every former its real size here, so
    // that the formers and their stations share one scale.
    double W = 0.0;
    double H = 0.0;
};

struct FuselageBand {
    int mesh = 0; // the engine's mesh slot, 0 when the pools could not hold it
    double station = 0.0;
    double W = 0.0; // as its former gave them (0: from its sliders)
    double H = 0.0;
    bool current = false;
    int intervals = 0; // K of the outline it was built from
    // Where it was placed: its symmetry axis (outline units) and its scales across and up.
    double axis = 0.0;
    double scaleX = 0.0;
    double scaleY = 0.0;
    std::vector<StringerNotch> notches; // its stringers' notches, as its input gave them
};

// A stringer's line between two formers that both have its notch on that side, neighbours
// along the fuselage among those that have it: the bands and their notches it joins.
struct StringerLine {
    int mesh = 0;
    std::size_t fromBand = 0, fromNotch = 0;
    std::size_t toBand = 0, toNotch = 0;
};

// The fuselage's meshes. `scene` holds the ground grid and the axis gizmo as the single part's
// scene has them, and its formerMesh is the current former's band.
struct FuselageScene {
    Scene scene;
    std::vector<FuselageBand> bands; // in the order the formers were given
    std::vector<int> otherMeshes;    // the bands of the formers not being edited
    std::vector<StringerLine> stringerLines;
    double middle = 0.0;              // the station at z = 0
    std::vector<PointXYZ> Outline_3D; // scratch of the builds, kept for its capacity
    std::vector<PointXYZ> contour;

    // What a frame needs: the grid and gizmo as the single part's, the other formers outlined
    // in grey.
    FrameInputs frameInputs(const ToolbarTags& tags) const;
};

// Builds the fuselage from scratch: every mesh is cleared (the camera and light stay; their
// indices follow if they moved), the grid and the gizmo are set up as for the single part
// (under the tallest former), then the current former's band in its usual colour and the others'
// in grey, then each stringer's line through its notches from former to former. Returns the
// number of bands built: when the pools cannot hold the next band, error 1 is reported once and
// the formers left have no band (mesh 0).
int SetupFuselage(Engine& engine, FuselageScene& fuselage, std::span<const FuselageFormer> formers,
                  int& currentCamera, int& currentLight);

// The current former's band follows its outline and dimensions: its vertices move in place while
// its number of points holds (dragging), otherwise it is built anew (error 1 and no band when it
// does not fit); the stringers' lines follow its notches. Nothing happens while there is no
// current former.
void UpdateFuselageCurrent(Engine& engine, FuselageScene& fuselage, const SceneInput& in);

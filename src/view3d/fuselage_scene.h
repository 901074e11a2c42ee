#pragma once

#include "view3d/scene.h"

#include <memory>
#include <span>
#include <string>
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
// is, needs room for two copies of it). Beyond what the pools hold whole, the formers not being
// edited keep fewer of their outline's points, down to kFewestBandIntervals, so that hundreds
// of formers show; the one being edited always keeps all of its points.
inline constexpr int kFuselagePoolSlots = kMaxPoolSlots;
inline constexpr int kFewestBandIntervals = 16;

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
    std::string name{}; // as the status bar names a former left out
};

struct FuselageBand {
    int mesh = 0; // the engine's mesh slot, 0 when the pools could not hold it
    double station = 0.0;
    double W = 0.0; // as its former gave them (0: from its sliders)
    double H = 0.0;
    bool current = false;
    int intervals = 0; // K of the outline it was built from (its band may keep fewer)
    std::string name;
    // Where it was placed: its symmetry axis (outline units) and its scales across and up.
    double axis = 0.0;
    double scaleX = 0.0;
    double scaleY = 0.0;
    std::vector<StringerNotch> notches; // its stringers' notches, as its input gave them
    // Its former's input as last given (the current one's as it follows the part), shared and
    // never changed: a former given again the same keeps its band as it stands.
    struct Given {
        SceneInput input; // its outline's spans point into `outline`
        OwnedOutline outline;
    };
    std::shared_ptr<const Given> given;
};

// What the pools hold once the grid and the gizmo are set up, before any band or line.
struct FuselageRoom {
    long faces = 0;
    long vertices = 0;
    long meshes = 0;
    int groundHeight = 0; // the tallest former's "Haut.:", which the grid stands under
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
    std::vector<FuselageBand> bands;         // in the order the formers were given
    std::vector<int> otherMeshes;            // the bands of the formers not being edited
    std::vector<StringerLine> stringerLines; // from notch to notch along the fuselage
    double middle = 0.0;                     // the station at z = 0
    FuselageRoom room;                       // as the last whole build found it
    // The current band was built last, after the others, as a whole build leaves it: while
    // so, it may be built anew in the room kept after it.
    bool currentLast = false;
    std::vector<PointXYZ> Outline_3D; // scratch of the builds, kept for its capacity
    std::vector<PointXYZ> contour;

    // What a frame needs: the grid and gizmo as the single part's, the other formers outlined
    // in grey.
    FrameInputs frameInputs(const ToolbarTags& tags) const;
};

// Builds the fuselage from scratch: every mesh is cleared (the camera and light stay; their
// indices follow if they moved), the grid and the gizmo are set up as for the single part
// (under the tallest former), then the bands of the formers not being edited in grey and last
// the current former's band in its usual colour, then each stringer's line through its notches
// from former to former. Room stays free for the current band and the lines to be
// built anew with up to `currentIntervalsAtMost` intervals (at least its own): the other bands
// keep as many of their outline's points as the rest of the pools allow. Returns the number of
// bands built; the formers that do not fit even with the fewest points (the last in the list
// first) have no band (mesh 0), and nothing is reported to the engine's sink.
int SetupFuselage(Engine& engine, FuselageScene& fuselage, std::span<const FuselageFormer> formers,
                  int& currentCamera, int& currentLight, int currentIntervalsAtMost = 0);

// The formers given again, as SetupFuselage takes them, to a fuselage it built: when every
// band keeps its number of points (the same formers at the same stations, the same of them
// shown, and the current one, its band the same size it would be given anew), each band is
// placed again only where its former changed and recoloured only where it became or stopped
// being the current one, and the stringers' lines follow their notches. A switch of the
// edited former recolours two bands. The vertices are those SetupFuselage would place. False,
// with nothing changed, where the fuselage must be built anew.
bool RefreshFuselage(Engine& engine, FuselageScene& fuselage,
                     std::span<const FuselageFormer> formers, int currentIntervalsAtMost = 0);

// The fuselage is seen as the part is, but for its length: its camera and head light take the
// part's far plane, fog and light reach (`part` and `partLight`), moved back by as far as its
// farthest former stands from the camera orbiting at `distance`. No former is cut off by the far
// plane nor darkened by its distance: a long fuselage would otherwise fade its far formers into
// the black background.
void FitFuselageDepth(Engine& engine, const FuselageScene& fuselage, int camera, int light,
                      const Camera& part, const Light& partLight, float distance);

// The names of the formers without a band, in the list's order.
std::vector<std::string> FormersLeftOut(const FuselageScene& fuselage);
// What the status bar says of them ("" when every former shows).
std::string FormersLeftOutMessage(const std::vector<std::string>& names);

// The current former's band follows its outline and dimensions: its vertices move in place while
// its number of points holds (dragging), otherwise it is built anew (no band, and nothing
// reported, when it does not fit); the stringers' lines follow its notches. Nothing happens
// while there is no current former. False, with nothing changed, where the band must be built
// anew but was not built last (another former was current at the last whole build): the room
// kept for it lies elsewhere, and the fuselage is built whole again (RebuildFuselage).
bool UpdateFuselageCurrent(Engine& engine, FuselageScene& fuselage, const SceneInput& in);

// Builds the fuselage anew, as SetupFuselage does, from the formers it was last given, the
// current one's input now `current`.
int RebuildFuselage(Engine& engine, FuselageScene& fuselage, const SceneInput& current,
                    int& currentCamera, int& currentLight, int currentIntervalsAtMost = 0);

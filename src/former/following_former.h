#pragma once

#include "former_measure.h"
#include "former_model.h"
#include "fuselage_curves.h"

#include <string>
#include <vector>

// Formers that follow the fuselage. A key former (one that does not follow) lends its shape:
// its points normalised into its own box, u = x / w and v = (y - bottom) / (top - bottom), x from
// the symmetry axis and y up from the datum, top, bottom and w its sampled outline's measure.
// A former that follows blends the shapes of the two key formers around its station linearly
// by station (the nearest one alone before the first key or beyond the last) and places the
// blend into the box the curves give at its station: x = u * Flanc(s),
// y = Ventre(s) + v * (Dos(s) - Ventre(s)). It takes its order, sample count, pins, doubling,
// joint and real scale from the nearest key former.

// A key former as the followers read it.
struct KeyFormer {
    std::string name;
    double station = 0.0;
    double realScale = 1.0;
    // Its model as DisegnaCurva left it with `options`: control points, handles, control
    // polygon, doubling points, pins, order, sample count, axes, and the sampled outline its box
    // is measured from. It must outlive the KeyShapes made of it.
    const FormerModel* sampled = nullptr;
    OutlineOptions options;
};

enum class FollowRefusal {
    None,
    NoCurves,          // "Dos", "Ventre" or "Flanc" not drawn
    NoKeyFormer,       // every former follows
    FlatKeyFormer,     // a key former to blend has no height or no width
    BackNotAboveBelly, // at the station, "Dos" is not above "Ventre"
    SideNotAboveZero,  // at the station, "Flanc" is not above 0
};

// Whether a former can follow, and why not in French for the check box's tooltip and the status
// bar. A former refused at its station keeps its last outline.
struct FollowStatus {
    FollowRefusal refusal = FollowRefusal::None;
    std::string reason;
    bool ok() const { return refusal == FollowRefusal::None; }
};

struct FollowingFormer {
    FollowStatus status;
    // The key former it takes its settings from: index into the keys given, -1 when refused.
    int nearestKey = -1;
    // When placed: the nearest key's model with the follower's points in the drawing's
    // millimetres (control points, handles, control polygon and doubling), its outline sampled.
    FormerModel model;
    FormerMeasure measure; // of that outline, real millimetres
    bool placed() const { return status.ok(); }
};

// The key formers, each normalised once into its own box; every follower is placed from them.
class KeyShapes {
public:
    explicit KeyShapes(const std::vector<KeyFormer>& keys);

    // Why no former can follow whatever its station (a curve not drawn, no key former).
    FollowStatus status(const SampledViews& curves) const;
    // Why a former at `station` cannot follow: the reasons above, then the curves' box there
    // ("Dos" not above "Ventre", "Flanc" not above 0). Cheap: nothing is placed or sampled.
    FollowStatus statusAt(const SampledViews& curves, double station) const;

    // The former that follows at `station`. The nearest key former is the one at the smallest
    // distance, the one ahead (smaller station, then earlier in the list) on a tie. Its outline
    // is sampled as the key's, and where pins, or a blend of two shapes, keep it from filling the
    // box exactly, its points are stretched by what it measures until it does (a joint on the
    // horizontal axis may keep a sample on the datum wherever the box lies).
    FollowingFormer follow(const SampledViews& curves, double station) const;

private:
    struct Shape {
        int key = 0; // index into the keys given
        std::string name;
        double station = 0.0;
        double realScale = 1.0;
        const FormerModel* sampled = nullptr;
        OutlineOptions options;
        bool flat = false;              // no height or no width: nothing to normalise by
        std::vector<PointXYZ> control;  // (u, v) of the control points
        std::vector<PointXYZ> doubling; // (u, v) of the doubling's control points
    };
    std::vector<Shape> shapes_; // by station, ties in the order given
};

#pragma once

#include "point_xyz.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

// The doubling of constant width: the former's whole outline (the right half and its mirror)
// offset inwards by one width everywhere, with round joins, as a ring of one width is cut. All
// lengths here are drawing-surface millimetres; the window converts the real width by the real
// scale before calling.

enum class OffsetStatus {
    Single,  // one inner outline: the doubling's halves are filled
    None,    // the width is larger than the former can hold: nothing is left inside
    Several, // the inner outline breaks into several closed outlines at a neck
    Invalid, // the former's outline crosses itself or the axis, or the input is unusable
};

struct OffsetDoublingResult {
    OffsetStatus status = OffsetStatus::Invalid;
    int outlines = 0; // closed inner outlines found (0 when it vanished or the input is invalid)
    // Doublage_Droit and Doublage_Gauche: M samples each when Single, empty otherwise. The right
    // half runs from the inner outline's top crossing of the axis to its bottom one (both with
    // x exactly X1); the left half is its exact mirror about x = X1.
    std::vector<PointXYZ> right;
    std::vector<PointXYZ> left;
};

// Offsets the closed outline made of right[0..M-1] (Courbe_Droite, top to bottom, never left of
// the axis) and its mirror about x = X1 inwards by `width`. Only the right half is read: the left
// half is its mirror by definition, and building it here keeps the result exactly symmetric.
// Sample j of the doubling is the inner point nearest to the former's sample j (at a hollow
// corner, which is equally near a whole arc, the arc's middle), kept in order along the inner
// outline and never closer to its neighbours than a fifth of the mean spacing: each inner sample
// faces its outer one wherever the ring is regular, and none coincide where the inner outline
// turns sharper than the former. The samples lie on the true offset of the sampled outline to
// within a micrometre.
// Invalid: M < 2, fewer than M samples, a non-finite value, a width not above 0, a sample left
// of the axis, or an outline that crosses itself.
OffsetDoublingResult OffsetDoubling(std::span<const PointXYZ> right, double X1, double width,
                                    int M);

// The status line that says why no doubling is drawn ("" for Single).
std::string OffsetDoublingMessage(const OffsetDoublingResult& r);

// The former's smallest inner width: twice the largest width whose doubling is still one closed
// outline, found to 0.002 mm. That is the width across the narrowest neck of the former, or,
// without a neck, the diameter of the largest circle that fits inside it. The doubling's width
// may go up to half of it. An outline that cannot be offset gives 0. Widths are scanned in
// steps of a twentieth of the smaller of the former's half width and half height, so a neck
// whose broken doubling loses a part within one step can be missed. Whatever the former, it
// takes at most twenty offsets for the scan and one per halving of a step down to 0.001 mm, each
// by at most five steps from the former's outline or from one at most three offsets from it
// (a few milliseconds at 100 samples); `work`, when given, counts them.
struct OffsetWork {
    int offsets = 0;          // offsets computed
    std::size_t pointsIn = 0; // outline points handed to them, all together
    std::size_t largest = 0;  // the most points handed to one of them
};
double SmallestInnerWidth(std::span<const PointXYZ> right, double X1, int M,
                          OffsetWork* work = nullptr);

// Control points 0..n for decoupled editing of a doubling given by its samples (Doublage_Droit):
// the clamped uniform B-spline of order k (brought into 1..n+1 as Calcul_Spline does), sampled
// as Calcul_Spline samples it into samples.size() points, fits the samples' outline in least
// squares; points 0 and n are the end samples themselves (on the axis). The curve's samples
// fall at even parameters, not where the given samples are, so the fit is refined a few times
// against the nearest points of the samples' outline: it follows the doubling's shape rather
// than the spacing of its samples. A point that no sample determines (low orders, few samples)
// stays at the sample nearest its place on the curve. Interior points may lie left of the axis
// where the curve needs them there (high orders, tight corners); dragging one clamps it as
// usual. Fewer than two samples, n < 1 or a non-finite sample give an empty result.
std::vector<PointXYZ> FitDoublingControlPoints(std::span<const PointXYZ> samples, int n, int k);

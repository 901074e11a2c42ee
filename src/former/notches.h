#pragma once

#include "point_xyz.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The notches cut into a former's outer outline for the stringers and longerons ("Lisses") that
// run along the fuselage, and its keel, spine and crutch slots ("Fentes"). All lengths are real
// millimetres from the axes: x right of the symmetry axis, y up from the datum.
//
// A notch is a rectangle of its width along the outline and its depth inward, centred on its
// place, its sides along the outline's inward normal there. What a builder needs decides the
// details:
// - The tangent at the place is the chord between the outline's points half a width before and
//   half a width after it (by arc length, going on into the mirrored half near an end). On a
//   smooth curve that is the tangent at the centre; on the sampled outline the notch stays
//   square to the stretch it cuts away rather than to whichever sample edge its centre is on.
// - The depth is measured at the centre: the bottom lies `depth` inward of the outline's point
//   at the place, so that a stringer of that section sits with its outer face on the outline at
//   its middle. On a curve the two sides differ in length: each runs from the bottom out to
//   where it first meets the outline.
// - Where the outline falls away by the depth or more within half the width (a tight convex
//   curve) a side would never meet it: the notch is left out ("ne tient pas"), not cut shallower
//   than the stringer. So is a notch whose bottom the outline crosses, or whose sides or bottom
//   would cut into another part of the former, and one that reaches the doubling (its outline
//   or inside it): that would cut the ring through.
// - On an end point that lies on the symmetry axis (place 0 or 1) a stringer's notch, like the
//   keel and spine slots, is one notch centred on the axis with its sides parallel to it, cut
//   half into each half. Anywhere else a notch that would reach the axis would merge with its
//   mirror: it is left out, so that a stringer sits either on the axis or clearly beside it.
// - Notches that overlap or touch leave no wood between them: all of them are left out on the
//   half where they meet. Only what the table asks is cut; a notch is never moved to fit.

// Real millimetres from the axes.
struct RealPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const RealPoint&, const RealPoint&) = default;
};

// One row of "Lisses", the same for every former of the fuselage.
struct Stringer {
    std::string name;      // "L1", "L2"...
    double place = 0.0;    // along the half outline's length: 0 at the top point, 1 at the bottom
    double width = 3.0;    // along the outline
    double depth = 3.0;    // inward
    bool bothSides = true; // "Des deux côtés"; otherwise on the right half only
    friend bool operator==(const Stringer&, const Stringer&) = default;
};

enum class SlotKind { Keel, Spine, Crutch };

// One row of "Fentes": the keel slot at the bottom point and the spine slot at the top point,
// both centred on the symmetry axis; the crutch slots on both sides where the outline passes
// `height`.
struct Slot {
    SlotKind kind = SlotKind::Keel;
    double width = 3.0;
    double depth = 3.0;
    double height = 0.0; // crutch slots: above the datum (below it when negative)
    friend bool operator==(const Slot&, const Slot&) = default;
};

struct NotchTable {
    std::vector<Stringer> stringers;
    std::vector<Slot> slotList; // at most one of each kind ("slots" is a word of Qt's)
    bool empty() const { return stringers.empty() && slotList.empty(); }
    friend bool operator==(const NotchTable&, const NotchTable&) = default;
};

inline constexpr double kMinNotchSize = 0.5; // width and depth, mm
inline constexpr double kMaxNotchSize = 30.0;
inline constexpr double kMaxCrutchHeight = 10000.0; // either side of the datum, mm
inline constexpr std::size_t kMaxStringers = 100;
inline constexpr std::size_t kMaxStringerName = 24; // characters

// "Fente de quille", "Fente dorsale", "Fente de bâti": a slot as the table and messages name it.
std::string_view slotName(SlotKind kind);

// Why the table cannot be kept as it stands, for its first faulty row, in French and naming the
// row and the value ("Lisse « L3 » : largeur 45 mm hors de l'intervalle 0,5..30 mm."); "" when
// every row is sound. Names are needed, unique, free of control characters, at most
// kMaxStringerName characters and none a slot's; the numbers are checked once read.
std::string notchTableProblem(const NotchTable& table);

enum class NotchSide { Right, Left, Axis };

// A notch cut: its row, its side, the outline's point at its place (x < 0 on the left side) and
// the unit normal its sides run along, inward.
struct CutNotch {
    std::string name;             // the stringer's, or the slot's (slotName)
    std::optional<SlotKind> slot; // empty for a stringer
    NotchSide side = NotchSide::Right;
    RealPoint centre;
    RealPoint inward;
    double width = 0.0;
    double depth = 0.0;
};

// A row left out, on one side or on both, and why ("L3 traverse le doublage de F4").
struct NotchRefusal {
    std::string name;
    std::optional<SlotKind> slot;
    std::string text;
};

struct NotchedFormer {
    // The notched right half, from the top to the bottom, and the notched left half in the right
    // half's coordinates (the caller mirrors it): it lacks the notches of the right side only.
    // A half without notches is the given half exactly. A slot or notch on the axis makes a
    // half start or end on the axis at the notch's bottom.
    std::vector<RealPoint> right;
    std::vector<RealPoint> left;
    // For each point of the given half, its index in `right` and in `left`; -1 where a notch
    // took it away.
    std::vector<int> rightIndex;
    std::vector<int> leftIndex;
    std::vector<CutNotch> cut;         // stringers in table order, then slots; right before left
    std::vector<NotchRefusal> refused; // one per row left out on some side, in the same order
};

// Cuts the table's notches into a former's right half `half` (from the top point to the bottom
// point, x >= 0; an end off the axis is joined to it across, as the whole former is). `doubling`
// is the right half of the doubling as drawn, or empty when none is drawn; it is only read.
// `former` names the former in the refusals. A row the table check refuses is left out with
// that reason; so is every row when the half is not an outline (fewer than two distinct
// points, or a value that is no number).
NotchedFormer cutNotches(std::span<const RealPoint> half, std::span<const RealPoint> doubling,
                         const NotchTable& table, std::string_view former);

// Samples of the drawing (Courbe_Droite, Doublage_Droit) as real millimetres from the axes
// (X1, Y1) at the former's real scale.
std::vector<RealPoint> realHalf(std::span<const PointXYZ> samples, double X1, double Y1,
                                double realScale);

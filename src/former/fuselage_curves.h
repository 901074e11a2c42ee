#pragma once

#include "point_xyz.h"
#include "splines.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The fuselage as it is drawn on a plan: a side view with the line of the back ("Dos") and of
// the belly ("Ventre"), heights up from the datum, and a top view with the half-width
// ("Flanc"). All three run along the fuselage in real millimetres: a point is a station and a
// value, and the curve is the editor's own B-spline of its points.

enum class CurveKind { Dos, Ventre, Flanc };

inline constexpr CurveKind kCurveKinds[] = {CurveKind::Dos, CurveKind::Ventre, CurveKind::Flanc};

// "Dos", "Ventre", "Flanc": the curve's name as the windows show it.
std::string_view CurveName(CurveKind kind);

// A control point of a curve: where it lies along the fuselage and its height above the datum
// ("Dos", "Ventre") or half-width ("Flanc"), both in real millimetres.
struct CurvePoint {
    double station = 0.0;
    double value = 0.0;
    friend bool operator==(const CurvePoint&, const CurvePoint&) = default;
};

inline constexpr int kMinCurvePoints = 2;
inline constexpr int kMaxCurvePoints = 30;
// Samples of a curve, the first on its first point and the last on its last.
inline constexpr int kCurveSamples = 400;
// Stations and values lie within this many real millimetres of the datum and of station 0:
// beyond, a typed number is surely a slip and the sums would lose their precision.
inline constexpr double kCurveLimit = 1.0e6;
// How close a dragged point may come to its neighbour's station, real millimetres.
inline constexpr double kDragStationGap = 0.01;

// The three curves as the work keeps them. A curve without points is not drawn yet: a project
// without fuselage views has none.
struct FuselageViews {
    std::vector<CurvePoint> dos;
    std::vector<CurvePoint> ventre;
    std::vector<CurvePoint> flanc;

    std::vector<CurvePoint>& curve(CurveKind kind);
    const std::vector<CurvePoint>& curve(CurveKind kind) const;
    bool empty() const { return dos.empty() && ventre.empty() && flanc.empty(); }

    friend bool operator==(const FuselageViews&, const FuselageViews&) = default;
};

// Why `points` cannot be the curve `kind`, in French and naming the faulty value ("" when they
// can): 2 to 30 points, finite stations and values within kCurveLimit, stations strictly
// increasing from point to point. Points are counted from 1 in the messages, as they are typed.
std::string CheckCurvePoints(CurveKind kind, const std::vector<CurvePoint>& points);

// The control points typed as "S1,H1;S2,H2;..." (real millimetres, a point as the decimal
// separator since the comma parts station and value), checked as above.
struct CurvePointsReading {
    std::vector<CurvePoint> points;
    std::string reason; // why they are refused, empty when read
    bool ok() const { return reason.empty(); }
};
CurvePointsReading ReadCurvePoints(CurveKind kind, std::string_view text);

// A curve sampled: kCurveSamples samples (x the station, y the value), the first on the first
// control point and the last on the last. It keeps the spline weights between samplings, so a
// drag that moves a point costs only the sums.
class SampledCurve {
public:
    // Samples the control points with order min(4, their number). Fewer than 2 points leave the
    // curve empty (not drawn). The points are taken as they are: check them first.
    void sample(const std::vector<CurvePoint>& points);

    bool empty() const { return samples_.empty(); }
    const std::vector<PointXYZ>& samples() const { return samples_; }

    // The value at `station`, read from the samples by linear interpolation; before the first
    // sample the first one's value, after the last the last one's. None while the curve is empty
    // or for a station that is not a number.
    std::optional<double> valueAt(double station) const;

private:
    std::vector<PointXYZ> controls_;
    std::vector<PointXYZ> samples_;
    SplineBasis basis_;
};

// The three curves sampled.
struct SampledViews {
    SampledCurve dos;
    SampledCurve ventre;
    SampledCurve flanc;

    SampledCurve& curve(CurveKind kind);
    const SampledCurve& curve(CurveKind kind) const;
    void sample(const FuselageViews& views);
};

// Where a dragged point goes when the pointer is at (station, value): its station is stopped
// kDragStationGap short of its neighbours' (the stations keep increasing), both are kept within
// kCurveLimit, and a coordinate that is not a number leaves the point's own. An index outside
// the curve gives back (station, value) unchanged.
CurvePoint ClampedDrag(const std::vector<CurvePoint>& points, int index, double station,
                       double value);

// A curve's points after adding or removing one: the new list and the index of the point added
// (or of the one that took the removed point's place), or why nothing changed.
struct CurveEdit {
    std::vector<CurvePoint> points;
    int index = -1;
    std::string reason; // empty when done
    bool ok() const { return reason.empty(); }
};

// The point a double click on the curve adds at `station`: it goes between the points whose
// stations surround it (first or last beyond the ends), and its value is the one that keeps
// the new curve nearest the old one over its whole length (least squares), so the curve hardly
// moves where the user clicked and not at all where it was straight. Refused on a curve of 30
// points and at a station that already has a point.
CurveEdit InsertCurvePoint(CurveKind kind, const std::vector<CurvePoint>& points, double station);

// The curve without point `index`; refused below 2 points.
CurveEdit RemoveCurvePoint(CurveKind kind, const std::vector<CurvePoint>& points, int index);

// "12,5", "-0,25": a number in messages with the fewest digits that say it exactly and a
// decimal comma; "nan" and "inf" as they are.
std::string frenchDecimal(double v);
// The same rounded to hundredths of a millimetre, for computed values.
std::string frenchHundredths(double v);

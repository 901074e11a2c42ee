#pragma once

#include "fuselage_curves.h"
#include "point_xyz.h"

#include <optional>
#include <string>
#include <vector>

// What a former measures in real millimetres, from its sampled outline: its highest and lowest
// points above the datum (the horizontal axis) and its widest point from the symmetry axis.
// The fuselage's curves are drawn through these, and the fairness check compares them.
struct FormerMeasure {
    double top = 0.0;
    double bottom = 0.0;
    double halfWidth = 0.0;

    // The measure a curve passes through: top for "Dos", bottom for "Ventre", half-width for
    // "Flanc".
    double of(CurveKind kind) const;

    friend bool operator==(const FormerMeasure&, const FormerMeasure&) = default;
};

// The measure of a former's right half as sampled (`Courbe_Droite`, drawing millimetres, y
// down), with the axes X1, Y1 of the drawing surface and the former's real scale (real mm per
// drawing mm). None for an empty outline.
std::optional<FormerMeasure> MeasureFormer(const std::vector<PointXYZ>& outline, double X1,
                                           double Y1, double realScale);

// How far a former departs from the curves at its station, real millimetres (the former's
// measure minus the curve's value); none for a curve not drawn.
struct Departures {
    std::optional<double> dos;
    std::optional<double> ventre;
    std::optional<double> flanc;

    std::optional<double> of(CurveKind kind) const;
    // Some departure is larger than kFairnessTolerance: the former's mark is red.
    bool unfair() const;
};
inline constexpr double kFairnessTolerance = 0.5;
Departures DeparturesOf(const SampledViews& curves, double station, const FormerMeasure& m);

// A former as "Courbes par les couples" sees it.
struct MeasuredFormer {
    std::string name;
    double station = 0.0;
    FormerMeasure measure;
};

// The curves passed through the formers within kFitTolerance, or why not.
struct CurvesFit {
    FuselageViews views;
    std::string reason; // empty when fitted
    bool ok() const { return reason.empty(); }
};
inline constexpr double kFitTolerance = 0.01;

// "Courbes par les couples": each curve gets one control point per former, at the former's
// station, with values solved so that the sampled curve (its value read between samples as
// everywhere) passes through every former's measure. Formers at one station count once when
// their measures agree within kFitTolerance; otherwise, and with fewer than 2 or more than 30
// stations, the curves are refused with a French reason naming the formers or the count.
CurvesFit CurvesFromFormers(const std::vector<MeasuredFormer>& formers);

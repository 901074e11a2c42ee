#pragma once

#include "former_model.h"
#include "notches.h"
#include "outline_sequences.h"

#include <string_view>
#include <vector>

// A former's outline with the fuselage's notches cut into it, as the drawing, the 3-D part and
// the files cut from take it. The notches are cut at the former's real size (real millimetres
// from its axes), into its outline as sampled, clear of its doubling where the doubling is
// drawn; the ".DAT" profiles keep the samples.
struct CutOutline {
    NotchedFormer notches; // real millimetres: the halves, what was cut, what was left out
    // The halves cut, in the drawing's millimetres as the samples are (the left one to the left
    // of the axis), and where each splits into its top and its bottom; empty while nothing is
    // cut: the samples are then the outline.
    std::vector<PointXYZ> right;
    std::vector<PointXYZ> left;
    int rightMiddle = 0;
    int leftMiddle = 0;

    bool cut() const { return !right.empty(); }
    // Points `in` at the cut halves (nothing while nothing is cut); the halves must outlive it.
    void showIn(OutlineInput& in) const;
};

// Cuts the table's notches into the former sampled in `m` (its Courbe_Droite, and its
// Doublage_Droit when `doublingDrawn`), at `realScale` real millimetres per millimetre of the
// drawing. `former` names it in the refusals.
CutOutline cutOutline(const FormerModel& m, double realScale, bool doublingDrawn,
                      const NotchTable& table, std::string_view former);

// The drawing of the outline (DisegnaCurva's first steps: the yellow right half down, the red
// left half back up) made again along the cut halves; the doubling and the dots stay.
void drawCutOutline(const CutOutline& cut, std::vector<DrawStep>& drawing, int sampleCount);

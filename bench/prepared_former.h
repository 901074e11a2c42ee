#pragma once

#include "former/former_model.h"

// The started former at 100 samples with point 3 pinned and the doubling placed at its
// default scale: the largest former a user edits, as the benchmarks share it.
inline FormerModel preparedModel() {
    FormerModel m;
    PlaceAxes(m, 120.0, 100.0, 100.0);
    Forme_Initiale(m);
    CopyHandlesToPoints(m);
    PutEndsOnAxis(m);
    m.Ordre_Spline = 4;
    m.Nb_Points = 100;
    m.resizeSamples(100);
    TogglePin(m, 3);
    PlaceDoubling(m, 5);
    return m;
}

// A former met in the field: four points dragged so that the right half folds back over its
// top, sampled with 86 points of order 4. Repeated offsets of its outline once grew to thousands
// of points, and the range of the doubling's width took seconds.
inline FormerModel foldedFormer() {
    FormerModel m;
    PlaceAxes(m, 120.0, 100.0, 100.0);
    Forme_Initiale(m);
    CopyHandlesToPoints(m);
    PutEndsOnAxis(m);
    m.Pts_Couple[1] = {68.13f, 38.65f, 0.0};
    m.Pts_Couple[3] = {87.11f, 23.19f, 0.0};
    m.Pts_Couple[4] = {110.73f, 6.91f, 0.0};
    m.Pts_Couple[5] = {87.05f, 84.47f, 0.0};
    m.Ordre_Spline = 4;
    m.Nb_Points = 86;
    m.resizeSamples(86);
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    return m;
}

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

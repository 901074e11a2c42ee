#pragma once

#include "former_model.h"

// The model as the editor's start-up leaves it on the 120 x 100 mm design surface: axes, the
// initial former, the handles re-read, the outline sampled with 13 points while the end points
// still sit on their handles' corners, then the end points put back on the axis and the
// outline sampled again (the first repaint).
inline FormerModel startedModel(double width = 120.0, double height = 100.0) {
    FormerModel m;
    PlaceAxes(m, width, height, height);
    Forme_Initiale(m);
    CopyHandlesToPoints(m);
    m.Nb_Points = 13;
    m.resizeSamples(13);
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    PutEndsOnAxis(m);
    DisegnaCurva(m, OutlineOptions{}, nullptr);
    return m;
}

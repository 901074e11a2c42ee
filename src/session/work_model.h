#pragma once

#include "former/former_model.h"
#include "session/work.h"

// The former's part of the work and the model that edits and samples it: the control points of
// the former and of the doubling, their handles and pins, the control polygon, the sample count
// and the order in use; and the handles' visibility, which is the view's.

// Takes the former's part of the work from the model.
void StoreFormer(const FormerModel& m, Work& w);
// Takes which handles show from the model.
void StoreHandleVisibility(const FormerModel& m, View& v);

// Puts the former's part of a work into the model, the handles' colours and the view's handle
// and polygon visibility included; the samples are resized, not computed. False, and the model
// untouched, when the work holds another number of points than the model.
bool ShowFormer(const Work& w, const View& v, FormerModel& m);

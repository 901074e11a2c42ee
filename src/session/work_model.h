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

// How a work's outline is computed: its doubling, its mode and its joint, the constant width
// taken to millimetres of the drawing by the work's real scale.
OutlineOptions OutlineOptionsOf(const Work& w, const View& v);

// A former's outline and doubling sampled as the editor draws them, into `m`: a model with the
// session's axes (a copy of the session's own does). False, and nothing sampled, when the work
// holds another number of points than the model.
bool SampleFormer(const Work& w, FormerModel& m);
// Its doubling is drawn: on, and a constant width its former can hold.
bool DoublingDrawn(const Work& w, const FormerModel& sampled);

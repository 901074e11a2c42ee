#pragma once

#include "former/editor_state.h"
#include "former/former_model.h"

// The former's part of the editor's state and the model that edits and samples it: the control
// points of the former and of the doubling, their handles and pins, the control polygon, the
// sample count and the order in use.

// Takes the former's part of the state from the model.
void StoreFormer(const FormerModel& m, EditorState& s);

// Puts the former's part of a state into the model (the handles' colours and visibility and the
// control polygon's colour included); the samples are resized, not computed. False, and the
// model untouched, when the state holds another number of points than the model.
bool ShowFormer(const EditorState& s, FormerModel& m);

#pragma once

#include "editor/picture_box.h"

#include <QEvent>
#include <QPointF>

// Mouse events on the drawing surface at positions given in millimetres, for the scripting
// front-end, the tests and the benchmarks.

// The logical-pixel position whose millimetres read back as exactly mm, so that a handler
// receives the very millimetres asked for. Mouse positions are fractional pixels, and among
// the doubles next to mm × scale one converts back exactly; if none does, the nearest.
QPointF exactPixels(const PictureBox& surface, QPointF mm);

// Delivers one mouse event (press, move or release) to the surface through the application's
// event dispatch, at the pixel of those millimetres. button is the button pressed or released
// (none for a move), buttons the buttons held after the event.
void sendSurfaceMouse(PictureBox& surface, QEvent::Type type, QPointF mm, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

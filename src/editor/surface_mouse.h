#pragma once

#include "editor/picture_box.h"

#include <QEvent>
#include <QPoint>
#include <QPointF>

class QSlider;

// Mouse events on the drawing surface at positions given in millimetres, for the scripting
// front-end, the tests and the benchmarks.

// The logical-pixel position whose millimetres read back as mm: exactly where a pixel
// position does (mouse positions are fractional pixels), otherwise to the nearest double,
// which the handlers' single precision then rounds to the very millimetres asked for.
QPointF exactPixels(const PictureBox& surface, QPointF mm);

// Delivers one mouse event (press, move or release) to the surface through the application's
// event dispatch, at the pixel of those millimetres. button is the button pressed or released
// (none for a move), buttons the buttons held after the event.
void sendSurfaceMouse(PictureBox& surface, QEvent::Type type, QPointF mm, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The centre of a slider's handle in the slider's own pixels, where a user presses to drag it.
QPoint sliderHandleCentre(const QSlider& slider);

#pragma once

#include <Qt>

// The codes that the mouse handlers of both windows receive, whatever the toolkit: the mouse
// buttons held as a bit set (1 left, 2 right, 4 middle) and the shift keys held (1 shift,
// 2 control, 4 alt).

inline int mouseButtonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

inline int shiftKeyCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <vector>

// Proportional layout of a window's controls. Size_Init records the design geometry of every
// control once; each FormResize lays the controls out from those recorded values for the
// window's current size, so repeated resizes never accumulate rounding.
//
// Everything is measured in twips (1440 per inch, converted with the screen's logical DPI), so
// a layout made on a screen with another DPI gives the same physical sizes.
//
// How a widget is classified (kindOf):
// - line: a QFrame drawn as a horizontal or vertical line; its two ends are scaled. (The axes and
//   the control polygon of the drawing surface are not widgets: they belong to the former and
//   stay in its millimetres, the surface only changes how it shows them.)
// - shape: none among the widgets; the handles are drawn items of the former, never laid out.
// - command button: QPushButton and QToolButton: neither moved nor resized.
// - text box: QLineEdit, QAbstractSpinBox, QTextEdit, QPlainTextEdit: moved, size kept.
// - other: everything else (frames, sliders, labels, check boxes, option buttons, the tab
//   control, the drawing surface): moved and stretched.
//
// The controls of a window are the widgets placed by its design: the children of its central
// widget, the children of frames and of the drawing surface, and the children of each page of a
// tab control (the pages themselves and the tab control's own parts are laid out by it).
class class_Elastic {
public:
    enum class Kind { Line, Shape, CommandButton, TextBox, Other };
    static Kind kindOf(const QWidget* w);

    // The window's height and width below which the height is not stretched: the caption and
    // the menu bar keep their size.
    static constexpr int kHeightAllowance = 400; // twips

    // Records the window's outer size and the geometry of its controls, and makes half that
    // size the window's minimum. nWindState has no effect.
    void Size_Init(QWidget* frm, int nWindState = 0);
    // Lays the controls out for the window's current size. The first call after Size_Init
    // leaves the design layout in place.
    void FormResize(QWidget* frm);

    // The controls in the window's own order, as recorded.
    std::vector<QWidget*> controls() const;
    // The smallest outer size of the window, in pixels (half the recorded size).
    QSize minimumOuterSize() const { return minimumOuter_; }
    bool recorded() const { return count >= 0; }

    // What was recorded, in twips (32-bit: a window on a 4K screen is wider than 32767 twips).
    int H0 = 0;
    int W0 = 0;
    int count = -1; // number of controls minus one
    bool firstResizePending = false;

private:
    struct Control {
        QPointer<QWidget> widget;
        Kind kind = Kind::Other;
        // Top, Left, Height, Width; for a line Y1, X1, Y2, X2.
        int a = 0, b = 0, c = 0, d = 0;
    };
    void followFrame(QWidget* frm);

    std::vector<Control> table_;
    QSize minimumOuter_;
    QSize frameAtRecording_;
};

// Editing the former with the mouse on the drawing surface: a press picks the nearest handle
// (and pins or unpins with any button but the left one), a move with the left button drags
// the picked point.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/picture_box.h"

#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>

QString Main::pointerText(float value) {
    QLocale locale = userLocale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // + 0.0f turns a negative zero into zero; 'G' writes an exponent as the platform did.
    return locale.toString(static_cast<double>(value + 0.0f), 'G', 7);
}

void Main::Picture1_MouseDown(int Button, int /*Shift*/, float X, float Y) {
    // While the plan is calibrated, a click marks a point of the known distance.
    if (calibrating()) {
        if (Button == 1)
            calibrationClick(QPointF(X, Y));
        return;
    }
    FormerModel& m = session_.model();
    ui_.Picture1->setCursor(Qt::SizeAllCursor);
    m.Idx_Point = Point_Proche(m, session_.work().mouseAction == MouseAction::Former, X, Y);
    showSelectedPoint();
    if (Button == 1)
        return; // the point moves on the following moves

    // Pins act on the former's point of that index, whichever set was searched.
    if (TogglePin(m, m.Idx_Point))
        Hscroll1_Scroll(); // re-derives the doubling while it is on, and redraws
    ui_.Picture1->Cls();
    DisegnaCurva();
    RebuildFormerMesh(0);
}

void Main::Picture1_MouseMove(int Button, int /*Shift*/, float X, float Y) {
    FormerModel& m = session_.model();
    // The boxes show where the pointer is, also left of the axis where no point can go.
    ui_.lblX->setText(pointerText(X));
    ui_.lblY->setText(pointerText(Y));
    // The status bar in real millimetres from the axes, whatever the picture hides.
    showPointer(X, Y, Button == 1 && !calibrating());
    if (calibrating()) {
        if (calibration_ == Calibration::SecondPoint)
            ui_.Picture1->setMeasureLine(QLineF(calibrationStart_, QPointF(X, Y)));
        return;
    }
    if (Button != 1)
        return;

    DragStep(m, session_.work().mouseAction == MouseAction::Former, session_.work().slaved,
             session_.work().doublingScale, X, Y);
    // The outline is sampled at the new position before the 3-D part follows it, so both
    // views show the same curve after every move. The surface repaints from the same points.
    ::DisegnaCurva(m, outlineOptions(), nullptr);
    tellOffsetDoubling();
    RebuildFormerMesh(0);
    Redraw3D_ = true;
    ui_.Picture1->setAutoRedraw(false);
    ui_.Picture1->invalidate();
    showSelectedPoint();
}

void Main::Picture1_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
    if (!calibrating())
        ui_.Picture1->unsetCursor();
}

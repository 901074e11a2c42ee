// Editing the former with the mouse on the drawing surface: a press picks the nearest handle
// (and pins or unpins with any button but the left one), a move with the left button drags the
// picked point. The session does the editing; the window shows the pointer's place.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/picture_box.h"

#include <QLineEdit>
#include <QLocale>

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
    ui_.Picture1->setCursor(Qt::SizeAllCursor);
    // A press and its release are one gesture: a whole drag is one step.
    session_.beginGesture();
    show(session_.press(Button, X, Y));
}

void Main::Picture1_MouseMove(int Button, int /*Shift*/, float X, float Y) {
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
    show(session_.dragTo(X, Y));
}

void Main::Picture1_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
    if (calibrating())
        return;
    session_.endGesture();
    ui_.Picture1->unsetCursor();
}

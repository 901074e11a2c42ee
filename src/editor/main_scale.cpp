// The former's real size in the status bar: the plan calibrated by two clicks and the real
// distance between them, the pointer's place and the point last pressed in real millimetres from
// the axes, the point's coordinates and the real scale typed. The session measures; the window
// asks and shows.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/status_line.h"
#include "editor/user_dialogs.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>

namespace {

const QString kCalibrationTitle = QStringLiteral("Calibrer le plan");

// Millimetres for the user: two decimals, the desktop's decimal separator.
QString millimetres(double mm) {
    QLocale locale = userLocale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(mm + 0.0, 'f', 2);
}

} // namespace

void Main::connectStatusBar() {
    // Calibrating needs the plan on screen.
    ui_.IM_Calibrate->setEnabled(false);
    showSelectedPoint();
}

QString Main::statusText() const {
    return statusLine_->whole();
}

QString Main::statusPassing() const {
    return statusLine_->message();
}

QString Main::statusLasting() const {
    return statusLine_->lasting();
}

void Main::showLasting() {
    const EditorSession::Lasting lasting = session_.lasting();
    statusLine_->setLasting(QString::fromStdString(lasting.doubling),
                            QString::fromStdString(lasting.calibration));
    // The pointer's reading changes units with the calibration's state, pointer still or not.
    if (pointer_ && pointer_->real != session_.pointerInRealMm())
        showPointer(pointer_->x, pointer_->y, pointer_->dragging);
}

// ---------------------------------------------------------------------------------------
// Calibration

void Main::IM_Calibrate_Click() {
    if (!pictureOn())
        return;
    calibration_ = Calibration::FirstPoint;
    ui_.Picture1->setCursor(Qt::CrossCursor);
    statusLine_->prompt(
        QStringLiteral("Cliquez le premier point de la distance connue (Échap annule)."));
}

void Main::calibrationClick(QPointF mm) {
    if (calibration_ == Calibration::FirstPoint) {
        calibrationStart_ = mm;
        calibration_ = Calibration::SecondPoint;
        ui_.Picture1->setMeasureLine(QLineF(mm, mm));
        statusLine_->prompt(QStringLiteral("Cliquez le second point (Échap annule)."));
        return;
    }
    const SurfacePoint a{calibrationStart_.x(), calibrationStart_.y()}, b{mm.x(), mm.y()};
    endCalibration();
    if (const std::string why = session_.calibrationRefusal(a, b); !why.empty()) {
        statusLine_->refuse(QString::fromStdString(why));
        return;
    }
    const std::optional<double> real = dialogs_.askNumber(
        kCalibrationTitle, QStringLiteral("Distance réelle entre les deux points (mm) :"),
        DecimalRule{kMinCalibrationDistance, kMaxCalibrationDistance, false});
    if (!real) {
        statusLine_->pass(QStringLiteral("Calibration annulée."));
        return;
    }
    Changed changed = Changed::None;
    if (const std::string why = session_.calibrate(a, b, *real, changed); !why.empty()) {
        statusLine_->refuse(QString::fromStdString(why));
        return;
    }
    show(changed);
}

void Main::endCalibration() {
    calibration_ = Calibration::Off;
    if (statusLine_->kind() == StatusLine::Kind::Prompt)
        statusLine_->clearMessage(); // nothing is asked any more
    ui_.Picture1->setMeasureLine(std::nullopt);
    ui_.Picture1->unsetCursor();
}

void Main::keyPressEvent(QKeyEvent* event) {
    if (calibrating() && event->key() == Qt::Key_Escape) {
        endCalibration();
        statusLine_->pass(QStringLiteral("Calibration annulée."));
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// Real millimetres under the mouse

void Main::showPointer(float X, float Y, bool dragging) {
    // In real millimetres while the real scale measures what is shown, else in the drawing's.
    const bool real = session_.pointerInRealMm();
    pointer_ = Pointer{X, Y, dragging, real};
    const SurfacePoint at = session_.pointerReading(X, Y);
    QString text = QStringLiteral("x %1 mm  y %2 mm").arg(millimetres(at.x), millimetres(at.y));
    if (!real)
        text += QStringLiteral(" du dessin");
    // While dragging, which point follows the pointer.
    if (dragging)
        text = QStringLiteral("point %1 : ").arg(session_.samples().Idx_Point) + text;
    ui_.lblPointer->setText(text);
}

void Main::showSelectedPoint() {
    const int i = session_.samples().Idx_Point;
    if (i < 0 || i > session_.samples().Der_Point)
        return;
    const SurfacePoint p = session_.pickedPointReal();
    ui_.lblPoint->setText(session_.work().mouseAction == MouseAction::Former
                              ? QStringLiteral("Point %1 :").arg(i)
                              : QStringLiteral("Point %1 du doublage :").arg(i));
    ui_.txtPointX->setValue(p.x);
    ui_.txtPointY->setValue(p.y);
}

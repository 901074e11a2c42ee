// The former's real size in the status bar: the plan calibrated by two clicks and the real
// distance between them, the pointer's place and the point last pressed in real millimetres from
// the axes, the point's coordinates and the real scale typed. The session measures; the window
// asks and shows.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
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

void Main::showStatus(const QString& text) {
    ui_.StatusBar->showMessage(text);
}

QString Main::statusText() const {
    return ui_.StatusBar->currentMessage();
}

// ---------------------------------------------------------------------------------------
// Calibration

void Main::IM_Calibrate_Click() {
    if (!pictureOn())
        return;
    calibration_ = Calibration::FirstPoint;
    ui_.Picture1->setCursor(Qt::CrossCursor);
    showStatus(QStringLiteral("Cliquez le premier point de la distance connue (Échap annule)."));
}

void Main::calibrationClick(QPointF mm) {
    if (calibration_ == Calibration::FirstPoint) {
        calibrationStart_ = mm;
        calibration_ = Calibration::SecondPoint;
        ui_.Picture1->setMeasureLine(QLineF(mm, mm));
        showStatus(QStringLiteral("Cliquez le second point (Échap annule)."));
        return;
    }
    const SurfacePoint a{calibrationStart_.x(), calibrationStart_.y()}, b{mm.x(), mm.y()};
    endCalibration();
    if (const std::string why = session_.calibrationRefusal(a, b); !why.empty()) {
        showStatus(QString::fromStdString(why));
        return;
    }
    const std::optional<double> real = dialogs_.askNumber(
        kCalibrationTitle, QStringLiteral("Distance réelle entre les deux points (mm) :"),
        DecimalRule{0.01, 100000.0, false});
    if (!real) {
        showStatus(QStringLiteral("Calibration annulée."));
        return;
    }
    Changed changed = Changed::None;
    if (const std::string why = session_.calibrate(a, b, *real, changed); !why.empty()) {
        showStatus(QString::fromStdString(why));
        return;
    }
    show(changed);
}

void Main::endCalibration() {
    calibration_ = Calibration::Off;
    ui_.Picture1->setMeasureLine(std::nullopt);
    ui_.Picture1->unsetCursor();
}

void Main::keyPressEvent(QKeyEvent* event) {
    if (calibrating() && event->key() == Qt::Key_Escape) {
        endCalibration();
        showStatus(QStringLiteral("Calibration annulée."));
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// Real millimetres under the mouse

void Main::showPointer(float X, float Y, bool dragging) {
    const SurfacePoint real = session_.realPoint(X, Y);
    QString text = QStringLiteral("x %1 mm  y %2 mm").arg(millimetres(real.x), millimetres(real.y));
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

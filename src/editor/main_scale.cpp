// The former's real size: the plan calibrated by two clicks and the real distance between them,
// the pointer's place and the point last pressed in real millimetres from the axes, the point's
// coordinates and the real scale typed in the status bar.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/user_dialogs.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QStatusBar>

#include <cmath>
#include <tuple>

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
    connect(ui_.IM_Calibrate, &QAction::triggered, this, [this] { IM_Calibrate_Click(); });
    connect(ui_.Text3, &NumberBox::valueTyped, this, [this] { Text3_Validate(); });
    connect(ui_.txtPointX, &NumberBox::valueTyped, this, [this] { txtPoint_Validate(); });
    connect(ui_.txtPointY, &NumberBox::valueTyped, this, [this] { txtPoint_Validate(); });
    connect(ui_.txtScale, &NumberBox::valueTyped, this, [this] { txtScale_Validate(); });
    connect(ui_.txtDoublingWidth, &NumberBox::valueTyped, this,
            [this] { txtDoublingWidth_Validate(); });
    for (NumberBox* box :
         {ui_.Text3, ui_.txtPointX, ui_.txtPointY, ui_.txtScale, ui_.txtDoublingWidth})
        connect(box, &NumberBox::refused, this, [this](const QString& why) { showStatus(why); });
    // Calibrating needs the plan on screen.
    ui_.IM_Calibrate->setEnabled(false);
    showSelectedPoint();
    showScale();
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
    const double drawn = std::hypot(mm.x() - calibrationStart_.x(), mm.y() - calibrationStart_.y());
    endCalibration();
    if (drawn <= 0.0) {
        showStatus(QStringLiteral("Les deux points sont confondus : calibration annulée."));
        return;
    }
    const std::optional<double> real = dialogs_.askNumber(
        kCalibrationTitle, QStringLiteral("Distance réelle entre les deux points (mm) :"),
        DecimalRule{0.01, 100000.0, false});
    if (!real) {
        showStatus(QStringLiteral("Calibration annulée."));
        return;
    }
    const double scale = *real / drawn;
    if (!(scale >= kMinRealScale && scale <= kMaxRealScale)) {
        showStatus(QStringLiteral("Échelle hors de l'intervalle %1..%2 : calibration annulée.")
                       .arg(QString::fromStdString(frenchNumber(kMinRealScale)),
                            QString::fromStdString(frenchNumber(kMaxRealScale))));
        return;
    }
    Work& w = session_.work();
    w.realScale = scale;
    w.calibrated = true;
    realScaleChanged();
    QLocale french(QLocale::French);
    showStatus(QStringLiteral("Échelle : 1 mm du dessin = %1 mm réels")
                   .arg(french.toString(scale, 'f', 3)));
    recordWorkChange();
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

void Main::Slider5_Scroll() {
    // The plan drawn at another size no longer measures what it was calibrated with; the scale
    // stays as it is, and the user is told once.
    Work& w = session_.work();
    if (w.calibrated) {
        w.calibrated = false;
        showStatus(QStringLiteral("Le zoom du plan a changé : recalibrez"));
    }
    Slider4_Scroll();
}

// ---------------------------------------------------------------------------------------
// Real millimetres under the mouse and at the keyboard

void Main::showPointer(float X, float Y, bool dragging) {
    const FormerModel& m = session_.model();
    const double k = session_.work().realScale;
    QString text = QStringLiteral("x %1 mm  y %2 mm")
                       .arg(millimetres((X - m.X1()) * k), millimetres((m.Y1() - Y) * k));
    // While dragging, which point follows the pointer.
    if (dragging)
        text = QStringLiteral("point %1 : ").arg(m.Idx_Point) + text;
    ui_.lblPointer->setText(text);
}

void Main::showSelectedPoint() {
    const FormerModel& m = session_.model();
    const bool former = session_.work().mouseAction == MouseAction::Former;
    const std::vector<PointXYZ>& points = former ? m.Pts_Couple : m.Pts_Doublage;
    const int i = m.Idx_Point;
    if (i < 0 || i >= static_cast<int>(points.size()))
        return;
    const double k = session_.work().realScale;
    ui_.lblPoint->setText(former ? QStringLiteral("Point %1 :").arg(i)
                                 : QStringLiteral("Point %1 du doublage :").arg(i));
    ui_.txtPointX->setValue((points[static_cast<std::size_t>(i)].x - m.X1()) * k);
    ui_.txtPointY->setValue((m.Y1() - points[static_cast<std::size_t>(i)].y) * k);
}

void Main::showScale() {
    ui_.txtScale->setValue(session_.work().realScale);
}

void Main::txtPoint_Validate() {
    // As a drag would move it: the axis clamp, the pins and the slaved doubling apply.
    const FormerModel& m = session_.model();
    const double k = session_.work().realScale;
    const double X = m.X1() + ui_.txtPointX->value() / k;
    const double Y = m.Y1() - ui_.txtPointY->value() / k;
    // A point the drawing cannot hold (a small real scale makes real millimetres many of the
    // drawing's) is refused: the project file would not read it back.
    for (const auto& [box, at, axis] :
         {std::tuple{ui_.txtPointX, X, m.X1()}, std::tuple{ui_.txtPointY, Y, m.Y1()}}) {
        if (std::fabs(at) <= kDrawingReach)
            continue;
        const double reach = (kDrawingReach - std::fabs(axis)) * k;
        showSelectedPoint(); // the point's coordinates in force
        box->refuse(QStringLiteral("le point sortirait de la zone de dessin (à cette échelle, "
                                   "%1 mm au plus des axes)")
                        .arg(QString::fromStdString(frenchNumber(std::floor(reach)))),
                    box->value());
        return;
    }
    Picture1_MouseMove(1, 0, static_cast<float>(X), static_cast<float>(Y));
    showSelectedPoint();
    recordWorkChange();
}

void Main::txtScale_Validate() {
    Work& w = session_.work();
    w.realScale = ui_.txtScale->value();
    w.calibrated = false; // typed, not measured on the plan
    realScaleChanged();
    recordWorkChange();
}

void Main::realScaleChanged() {
    // The width of a constant-width doubling is real millimetres: on the drawing it is another
    // offset now, and the outline, the 3-D part, the fuselage and every file follow it. The
    // fuselage shows every former at its real size.
    showScale();
    showSelectedPoint();
    const Work& w = session_.work();
    if (w.doublingOn && w.doublingMode == DoublingMode::ConstantWidth) {
        DisegnaCurva();
        RebuildFormerMesh(0);
        Redraw3D_ = true;
    }
    refreshFuselage();
}

void Main::Text3_Validate() {
    // As the slider would: its handler raises an assembled former to 16 points.
    ui_.Hscroll2->setValue(static_cast<int>(ui_.Text3->value()));
    ui_.Text3->setValue(session_.work().sampleCount);
    recordWorkChange();
}

#pragma once

#include "session/editor_session.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class Main;
class QLabel;
class QLineEdit;
class QPushButton;

// One drawing of the window "Fuselage": "Vue de côté" ("Dos" and "Ventre", heights up from the
// datum) or "Vue de dessus" ("Flanc", mirrored about the centre line), real millimetres along
// the fuselage, the plan's picture under them and every former at its station. It keeps nothing
// of the work: each mouse edit is an edit of the session, shown by Main.
class FuselageDrawing : public QWidget {
    Q_OBJECT

public:
    using PlanView = EditorSession::PlanView;
    FuselageDrawing(Main& main, PlanView view, QWidget* parent);

    PlanView planView() const { return view_; }
    // Where a point of the drawing (real mm) lies on the widget, and back.
    QPointF toPixel(double station, double value) const;
    CurvePoint toMm(QPointF pixel) const;
    // The next two clicks measure a distance on the picture ("Calibrer...").
    void startCalibration();
    bool calibrating() const { return calibrationClicks_ >= 0; }
    // The control point picked last (Delete removes it, its coordinates are typed).
    struct Picked {
        CurveKind kind = CurveKind::Dos;
        int index = -1;
    };
    const Picked& picked() const { return picked_; }
    void pick(Picked p);
    // The kinds this drawing shows.
    std::vector<CurveKind> kinds() const;
    void showSession(); // draws the session again

signals:
    void pickedChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The real millimetres the drawing spans, and its pixels per millimetre.
    struct Frame {
        double station = 0.0; // at the left edge
        double value = 0.0;   // at the vertical middle
        double scale = 1.0;   // pixels per mm
    };
    Frame frame() const;
    Frame fitted() const;
    std::optional<Picked> pointAt(QPointF pixel) const;
    int formerAt(QPointF pixel) const;
    const QImage& picture();

    Main& main_;
    PlanView view_;
    Picked picked_;
    enum class Drag { None, Point, Station, Picture };
    Drag drag_ = Drag::None;
    int dragFormer_ = -1;
    QPointF dragFrom_;               // the picture's drag: the last pointer (real mm)
    std::optional<Frame> heldFrame_; // the frame stays put while a button is held
    int calibrationClicks_ = -1;     // -1: not calibrating
    CurvePoint calibrationStart_;    //
    QString picturePath_;            // the file picture_ was read from
    QImage picture_;                 //
};

// The window "Fuselage" ("&Outils" › "&Fuselage..."): the side view above the top view, the
// curves' points typed as "S,H;S,H", the picked point's coordinates typed, a picture and its
// calibration for each view and "Courbes par les couples".
class FuselageWindow : public QWidget {
    Q_OBJECT

public:
    using PlanView = EditorSession::PlanView;
    FuselageWindow(Main& main, QWidget* parent);

    FuselageDrawing* drawing(PlanView view) const;
    QLineEdit* pointsBox(CurveKind kind) const;
    QLineEdit* pointBox() const { return txtCurvePoint_; }
    QPushButton* pictureButton(PlanView view) const;
    QPushButton* calibrateButton(PlanView view) const;
    QPushButton* fitButton() const { return cmdCourbes_; }
    void showSession(); // every box and drawing as the session holds them

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void typeCurve(CurveKind kind);
    void typePoint();
    void showPickedPoint();

    Main& main_;
    std::array<FuselageDrawing*, 2> drawings_{};
    std::array<QLineEdit*, 3> pointsBoxes_{};
    std::array<QPushButton*, 2> pictureButtons_{};
    std::array<QPushButton*, 2> calibrateButtons_{};
    QLineEdit* txtCurvePoint_ = nullptr;
    QLabel* lblCurvePoint_ = nullptr;
    QPushButton* cmdCourbes_ = nullptr;
    FuselageDrawing* pickedIn_ = nullptr; // the drawing whose point the box shows
};

// "0,5;500,42.5": a curve's points as the boxes show them and read them (a point as the decimal
// separator, since the comma parts station and value).
QString CurvePointsText(const std::vector<CurvePoint>& points);

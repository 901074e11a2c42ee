// The window "Fuselage": the side and top views of the fuselage drawn from the session, each
// user edit handed to the session and what it changed shown by Main.
#include "editor/fuselage_window.h"

#include "editor/main.h"
#include "files/decimal_text.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPickPixels = 6.0;    // a control point within this many pixels is picked
constexpr double kStationPixels = 4.0; // a former's line within this many pixels is dragged
constexpr double kMarginShare = 0.08;  // of the drawing's span, around what it shows

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString shortest(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

const QColor kCurveColour(0, 90, 200);
const QColor kFairColour(0, 150, 0);
const QColor kUnfairColour(220, 0, 0);

} // namespace

QString CurvePointsText(const std::vector<CurvePoint>& points) {
    QStringList parts;
    for (const CurvePoint& p : points)
        parts << shortest(p.station) + ',' + shortest(p.value);
    return parts.join(';');
}

// ---------------------------------------------------------------------------------------
// A drawing

FuselageDrawing::FuselageDrawing(Main& main, PlanView view, QWidget* parent)
    : QWidget(parent), main_(main), view_(view) {
    setObjectName(view == PlanView::Side ? QStringLiteral("picSide") : QStringLiteral("picTop"));
    setMinimumSize(320, 160);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    setToolTip(QStringLiteral(
        "Glissez un point ou la ligne d'un couple ; double clic sur une courbe : ajouter un "
        "point ; Suppr : retirer le point choisi"));
}

std::vector<CurveKind> FuselageDrawing::kinds() const {
    if (view_ == PlanView::Side)
        return {CurveKind::Dos, CurveKind::Ventre};
    return {CurveKind::Flanc};
}

FuselageDrawing::Frame FuselageDrawing::fitted() const {
    const EditorSession& s = main_.session();
    double s0 = std::numeric_limits<double>::infinity(), s1 = -s0;
    double v0 = s0, v1 = -s0;
    auto take = [&](double station, double value) {
        s0 = std::min(s0, station);
        s1 = std::max(s1, station);
        v0 = std::min(v0, value);
        v1 = std::max(v1, value);
    };
    const bool top = view_ == PlanView::Top;
    for (CurveKind kind : kinds())
        for (const CurvePoint& p : s.fuselageWork().curves.curve(kind)) {
            take(p.station, p.value);
            if (top)
                take(p.station, -p.value);
        }
    for (int i = 0; i < static_cast<int>(s.formers().size()); ++i) {
        const double station = s.formers()[static_cast<std::size_t>(i)]->station;
        if (const std::optional<FormerMeasure> m = s.measure(i)) {
            if (top) {
                take(station, m->halfWidth);
                take(station, -m->halfWidth);
            } else {
                take(station, m->top);
                take(station, m->bottom);
            }
        }
    }
    if (!(s1 >= s0)) { // nothing drawn yet: a fuselage of half a metre
        s0 = 0.0;
        s1 = 500.0;
        v0 = -50.0;
        v1 = 50.0;
    }
    const double spanS = std::max(s1 - s0, 10.0);
    const double spanV = std::max(v1 - v0, 10.0);
    Frame f;
    f.scale = std::min(width() / (spanS * (1.0 + 2.0 * kMarginShare)),
                       height() / (spanV * (1.0 + 2.0 * kMarginShare)));
    f.scale = std::max(f.scale, 1e-6);
    f.station = (s0 + s1) / 2.0 - width() / 2.0 / f.scale;
    f.value = (v0 + v1) / 2.0;
    return f;
}

FuselageDrawing::Frame FuselageDrawing::frame() const {
    return heldFrame_ ? *heldFrame_ : fitted();
}

QPointF FuselageDrawing::toPixel(double station, double value) const {
    const Frame f = frame();
    return {(station - f.station) * f.scale, height() / 2.0 - (value - f.value) * f.scale};
}

CurvePoint FuselageDrawing::toMm(QPointF pixel) const {
    const Frame f = frame();
    return {f.station + pixel.x() / f.scale, f.value + (height() / 2.0 - pixel.y()) / f.scale};
}

void FuselageDrawing::startCalibration() {
    calibrationClicks_ = 0;
    setCursor(Qt::CrossCursor);
}

void FuselageDrawing::pick(Picked p) {
    picked_ = p;
    update();
    emit pickedChanged();
}

void FuselageDrawing::showSession() {
    const auto& points = main_.session().fuselageWork().curves.curve(picked_.kind);
    if (picked_.index >= static_cast<int>(points.size()))
        picked_.index = -1;
    update();
}

const QImage& FuselageDrawing::picture() {
    const PlanPicture& p = main_.session().planPicture(view_);
    const QString path = QFile::decodeName(QByteArray::fromStdString(p.path));
    if (path != picturePath_) {
        picturePath_ = path;
        picture_ = QImage();
        // A picture that cannot be read any more is not drawn; the project keeps its name.
        if (!path.isEmpty() && !Main::readPicture(path, picture_).isEmpty())
            picture_ = QImage();
    }
    return picture_;
}

void FuselageDrawing::paintEvent(QPaintEvent*) {
    const EditorSession& s = main_.session();
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // 1. The plan's picture, placed in real millimetres.
    const PlanPicture& plan = s.planPicture(view_);
    if (const QImage& image = picture(); !image.isNull()) {
        const QPointF corner = toPixel(plan.left, plan.top);
        const double scale = frame().scale * plan.mmPerPixel;
        p.drawImage(QRectF(corner, QSizeF(image.width() * scale, image.height() * scale)), image);
    }
    p.setRenderHint(QPainter::Antialiasing);
    // 2. The datum or centre line.
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    const double datum = toPixel(0.0, 0.0).y();
    p.drawLine(QPointF(0, datum), QPointF(width(), datum));
    // 3. The curves and their points; "Flanc" mirrored.
    const bool top = view_ == PlanView::Top;
    for (CurveKind kind : kinds()) {
        const SampledCurve& curve = kind == CurveKind::Dos      ? s.curves().dos
                                    : kind == CurveKind::Ventre ? s.curves().ventre
                                                                : s.curves().flanc;
        for (const double side : {1.0, -1.0}) {
            if (side < 0.0 && !top)
                break;
            QPainterPath path;
            for (std::size_t k = 0; k < curve.samples().size(); ++k) {
                const PointXYZ& q = curve.samples()[k];
                const QPointF at = toPixel(q.x, side * q.y);
                k == 0 ? path.moveTo(at) : path.lineTo(at);
            }
            p.setPen(QPen(kCurveColour, side > 0.0 ? 2 : 1));
            p.setBrush(Qt::NoBrush); // a curve, not the area it would close
            p.drawPath(path);
        }
        const auto& points = s.fuselageWork().curves.curve(kind);
        for (int i = 0; i < static_cast<int>(points.size()); ++i) {
            const QPointF at = toPixel(points[static_cast<std::size_t>(i)].station,
                                       points[static_cast<std::size_t>(i)].value);
            const bool chosen = picked_.kind == kind && picked_.index == i;
            p.setPen(QPen(kCurveColour, 1));
            p.setBrush(chosen ? QBrush(kCurveColour) : QBrush(Qt::white));
            p.drawRect(QRectF(at - QPointF(3.5, 3.5), QSizeF(7, 7)));
        }
        if (!points.empty()) {
            p.setPen(kCurveColour);
            const QPointF at = toPixel(points.front().station, points.front().value);
            p.drawText(at + QPointF(4, -6), fromUtf8(CurveName(kind)));
        }
    }
    p.setBrush(Qt::NoBrush);
    // 4. Every former at its station, its measure marked: red where it departs from the curves.
    for (int i = 0; i < static_cast<int>(s.formers().size()); ++i) {
        const Former& f = *s.formers()[static_cast<std::size_t>(i)];
        const double x = toPixel(f.station, 0.0).x();
        p.setPen(QPen(i == s.current() ? Qt::black : Qt::darkGray, 1));
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
        p.drawText(QPointF(x + 3, 12), fromUtf8(f.name));
        const std::optional<FormerMeasure> m = s.measure(i);
        if (!m)
            continue;
        const Departures d = s.departures(i);
        auto mark = [&](double value, std::optional<double> departure) {
            const bool red = departure && std::abs(*departure) > kFairnessTolerance;
            p.setPen(QPen(red ? kUnfairColour : kFairColour, red ? 3 : 2));
            const double y = toPixel(f.station, value).y();
            p.drawLine(QPointF(x - 6, y), QPointF(x + 6, y));
        };
        if (top) {
            mark(m->halfWidth, d.flanc);
            mark(-m->halfWidth, d.flanc);
        } else {
            mark(m->top, d.dos);
            mark(m->bottom, d.ventre);
        }
    }
    if (calibrating()) {
        p.setPen(Qt::red);
        p.drawText(QPointF(6, height() - 6),
                   calibrationClicks_ == 0 ? QStringLiteral("Calibrer : cliquez le premier point")
                                           : QStringLiteral("Calibrer : cliquez le second point"));
    }
}

std::optional<FuselageDrawing::Picked> FuselageDrawing::pointAt(QPointF pixel) const {
    std::optional<Picked> best;
    double nearest = kPickPixels;
    for (CurveKind kind : kinds()) {
        const auto& points = main_.session().fuselageWork().curves.curve(kind);
        for (int i = 0; i < static_cast<int>(points.size()); ++i) {
            const QPointF at = toPixel(points[static_cast<std::size_t>(i)].station,
                                       points[static_cast<std::size_t>(i)].value);
            const double d = std::hypot(at.x() - pixel.x(), at.y() - pixel.y());
            if (d <= nearest) {
                nearest = d;
                best = Picked{kind, i};
            }
        }
    }
    return best;
}

int FuselageDrawing::formerAt(QPointF pixel) const {
    const auto& formers = main_.session().formers();
    int best = -1;
    double nearest = kStationPixels;
    for (int i = 0; i < static_cast<int>(formers.size()); ++i) {
        const double d =
            std::abs(toPixel(formers[static_cast<std::size_t>(i)]->station, 0.0).x() - pixel.x());
        if (d <= nearest) {
            nearest = d;
            best = i;
        }
    }
    return best;
}

void FuselageDrawing::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const CurvePoint at = toMm(event->position());
    if (calibrating()) {
        if (calibrationClicks_ == 0) {
            calibrationStart_ = at;
            calibrationClicks_ = 1;
            update();
        } else {
            calibrationClicks_ = -1;
            unsetCursor();
            update();
            main_.calibrateFuselagePicture(view_, calibrationStart_, at);
        }
        return;
    }
    EditorSession& s = main_.session();
    if (const std::optional<Picked> p = pointAt(event->position())) {
        drag_ = Drag::Point;
        pick(*p);
    } else if (const int i = formerAt(event->position()); i >= 0) {
        drag_ = Drag::Station;
        dragFormer_ = i;
    } else if (!s.planPicture(view_).path.empty()) {
        drag_ = Drag::Picture;
        dragFrom_ = QPointF(at.station, at.value);
    }
    if (drag_ == Drag::None)
        return;
    // The whole drag is one step, seen in the frame it started in.
    heldFrame_ = fitted();
    s.beginGesture();
}

void FuselageDrawing::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || drag_ == Drag::None)
        return;
    const CurvePoint at = toMm(event->position());
    EditorSession& s = main_.session();
    switch (drag_) {
    case Drag::Point: {
        // "Flanc" is dragged on its upper half: a half-width below the centre line is refused
        // by the rules of the followers, not by the drag.
        main_.show(s.dragCurvePoint(picked_.kind, picked_.index, at.station, at.value));
        emit pickedChanged();
        break;
    }
    case Drag::Station:
        main_.show(s.dragStation(dragFormer_, at.station));
        break;
    case Drag::Picture:
        main_.show(s.movePlanPicture(view_, at.station - dragFrom_.x(), at.value - dragFrom_.y()));
        dragFrom_ = QPointF(at.station, at.value);
        break;
    case Drag::None:
        break;
    }
}

void FuselageDrawing::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ == Drag::None)
        return;
    drag_ = Drag::None;
    dragFormer_ = -1;
    main_.session().endGesture();
    heldFrame_.reset();
    main_.show(Changed::Fuselage);
}

void FuselageDrawing::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || calibrating())
        return;
    // A point is added to the curve nearest the click, when it passes close by.
    const CurvePoint at = toMm(event->position());
    const EditorSession& s = main_.session();
    std::optional<CurveKind> nearest;
    double best = 3.0 * kPickPixels;
    for (CurveKind kind : kinds()) {
        const SampledCurve& curve = kind == CurveKind::Dos      ? s.curves().dos
                                    : kind == CurveKind::Ventre ? s.curves().ventre
                                                                : s.curves().flanc;
        const std::optional<double> v = curve.valueAt(at.station);
        if (!v)
            continue;
        const double d = std::abs(toPixel(at.station, *v).y() - event->position().y());
        if (d <= best) {
            best = d;
            nearest = kind;
        }
    }
    if (!nearest)
        return;
    int index = -1;
    const bool added = main_.fuselageEdit(
        [&](Changed& c) { return main_.session().addCurvePoint(*nearest, at.station, index, c); });
    if (added)
        pick({*nearest, index});
}

void FuselageDrawing::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && picked_.index >= 0) {
        const Picked p = picked_;
        if (main_.fuselageEdit(
                [&](Changed& c) { return main_.session().removeCurvePoint(p.kind, p.index, c); }))
            pick({p.kind, -1});
        return;
    }
    if (event->key() == Qt::Key_Escape && calibrating()) {
        calibrationClicks_ = -1;
        unsetCursor();
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// The window

FuselageWindow::FuselageWindow(Main& main, QWidget* parent)
    : QWidget(parent, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("frmFuselage"));
    setWindowTitle(QStringLiteral("Fuselage"));
    auto* column = new QVBoxLayout(this);
    const std::pair<PlanView, const char*> views[] = {{PlanView::Side, "Vue de côté"},
                                                      {PlanView::Top, "Vue de dessus"}};
    for (const auto& [view, title] : views) {
        const auto v = static_cast<std::size_t>(view);
        auto* heading = new QHBoxLayout;
        heading->addWidget(new QLabel(QString::fromUtf8(title), this));
        heading->addStretch();
        pictureButtons_[v] = new QPushButton(QStringLiteral("Image..."), this);
        pictureButtons_[v]->setToolTip(QStringLiteral("Choisir l'image du plan sous cette vue"));
        calibrateButtons_[v] = new QPushButton(QStringLiteral("Calibrer..."), this);
        calibrateButtons_[v]->setToolTip(QStringLiteral(
            "Cliquez deux points de l'image, puis tapez leur distance réelle en mm"));
        heading->addWidget(pictureButtons_[v]);
        heading->addWidget(calibrateButtons_[v]);
        column->addLayout(heading);
        drawings_[v] = new FuselageDrawing(main, view, this);
        column->addWidget(drawings_[v], 1);
        connect(pictureButtons_[v], &QPushButton::clicked, this,
                [this, view] { main_.chooseFuselagePicture(view); });
        connect(calibrateButtons_[v], &QPushButton::clicked, this,
                [this, v] { drawings_[v]->startCalibration(); });
        connect(drawings_[v], &FuselageDrawing::pickedChanged, this, [this, v] {
            pickedIn_ = drawings_[v];
            showPickedPoint();
        });
    }
    auto* boxes = new QGridLayout;
    int row = 0;
    for (CurveKind kind : kCurveKinds) {
        const auto k = static_cast<std::size_t>(kind);
        boxes->addWidget(new QLabel(fromUtf8(CurveName(kind)), this), row, 0);
        pointsBoxes_[k] = new QLineEdit(this);
        pointsBoxes_[k]->setObjectName(QStringLiteral("txt") + fromUtf8(CurveName(kind)));
        pointsBoxes_[k]->setToolTip(
            QStringLiteral("Points de la courbe : station,valeur;station,valeur... en mm réels"));
        boxes->addWidget(pointsBoxes_[k], row++, 1);
        connect(pointsBoxes_[k], &QLineEdit::returnPressed, this,
                [this, kind] { typeCurve(kind); });
    }
    lblCurvePoint_ = new QLabel(QStringLiteral("Point"), this);
    boxes->addWidget(lblCurvePoint_, row, 0);
    txtCurvePoint_ = new QLineEdit(this);
    txtCurvePoint_->setObjectName(QStringLiteral("txtCurvePoint"));
    txtCurvePoint_->setToolTip(
        QStringLiteral("Station ; valeur du point choisi, en mm réels (« , » ou « . »)"));
    txtCurvePoint_->setEnabled(false);
    boxes->addWidget(txtCurvePoint_, row, 1);
    connect(txtCurvePoint_, &QLineEdit::returnPressed, this, [this] { typePoint(); });
    column->addLayout(boxes);
    cmdCourbes_ = new QPushButton(QStringLiteral("Courbes par les couples"), this);
    cmdCourbes_->setObjectName(QStringLiteral("cmdCourbes"));
    cmdCourbes_->setToolTip(
        QStringLiteral("Fait passer « Dos », « Ventre » et « Flanc » par chaque couple"));
    column->addWidget(cmdCourbes_);
    connect(cmdCourbes_, &QPushButton::clicked, this, [this] {
        main_.fuselageEdit([this](Changed& c) { return main_.session().fitCurves(c); });
    });
    resize(900, 640);
    showSession();
}

FuselageDrawing* FuselageWindow::drawing(PlanView view) const {
    return drawings_[static_cast<std::size_t>(view)];
}

QLineEdit* FuselageWindow::pointsBox(CurveKind kind) const {
    return pointsBoxes_[static_cast<std::size_t>(kind)];
}

QPushButton* FuselageWindow::pictureButton(PlanView view) const {
    return pictureButtons_[static_cast<std::size_t>(view)];
}

QPushButton* FuselageWindow::calibrateButton(PlanView view) const {
    return calibrateButtons_[static_cast<std::size_t>(view)];
}

void FuselageWindow::showSession() {
    const EditorSession& s = main_.session();
    for (CurveKind kind : kCurveKinds) {
        QLineEdit* box = pointsBox(kind);
        if (!box->hasFocus() || !box->isModified()) {
            box->setText(CurvePointsText(s.fuselageWork().curves.curve(kind)));
            box->setModified(false);
        }
    }
    for (PlanView view : {PlanView::Side, PlanView::Top}) {
        calibrateButton(view)->setEnabled(!s.planPicture(view).path.empty());
        drawing(view)->showSession();
    }
    showPickedPoint();
}

void FuselageWindow::showPickedPoint() {
    const FuselageDrawing::Picked p =
        pickedIn_ ? pickedIn_->picked() : FuselageDrawing::Picked{CurveKind::Dos, -1};
    const auto& points = main_.session().fuselageWork().curves.curve(p.kind);
    const bool some = p.index >= 0 && p.index < static_cast<int>(points.size());
    txtCurvePoint_->setEnabled(some);
    if (!some) {
        lblCurvePoint_->setText(QStringLiteral("Point"));
        txtCurvePoint_->clear();
        return;
    }
    const CurvePoint& at = points[static_cast<std::size_t>(p.index)];
    lblCurvePoint_->setText(
        QStringLiteral("%1, point %2").arg(fromUtf8(CurveName(p.kind))).arg(p.index + 1));
    txtCurvePoint_->setText(fromUtf8(frenchNumber(at.station)) + QStringLiteral(" ; ") +
                            fromUtf8(frenchNumber(at.value)));
}

void FuselageWindow::typeCurve(CurveKind kind) {
    const CurvePointsReading r = ReadCurvePoints(kind, pointsBox(kind)->text().toStdString());
    pointsBox(kind)->setModified(false);
    main_.fuselageEdit([&](Changed& c) {
        return r.ok() ? main_.session().setCurve(kind, r.points, c) : r.reason;
    });
    showSession(); // a refused text shows the points again
}

void FuselageWindow::typePoint() {
    if (!pickedIn_ || pickedIn_->picked().index < 0)
        return;
    const FuselageDrawing::Picked p = pickedIn_->picked();
    // "station ; valeur": each number with "," or "." as its decimal separator.
    const QStringList parts = txtCurvePoint_->text().split(';');
    const DecimalRule rule{-kCurveLimit, kCurveLimit, true};
    main_.fuselageEdit([&](Changed& c) -> std::string {
        if (parts.size() != 2)
            return "Tapez « station ; valeur » en mm.";
        const DecimalReading station = readDecimal(parts[0].trimmed().toStdString(), rule);
        const DecimalReading value = readDecimal(parts[1].trimmed().toStdString(), rule);
        if (!station.ok())
            return "Station : " + station.reason;
        if (!value.ok())
            return std::string(CurveName(p.kind)) + " : " + value.reason;
        return main_.session().typeCurvePoint(p.kind, p.index, {*station.value, *value.value}, c);
    });
    showSession();
}

void FuselageWindow::closeEvent(QCloseEvent* event) {
    main_.session().setFuselageWindowShown(false);
    QWidget::closeEvent(event);
}

void FuselageWindow::showEvent(QShowEvent* event) {
    main_.session().setFuselageWindowShown(true);
    showSession();
    QWidget::showEvent(event);
}

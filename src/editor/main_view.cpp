// The drawing's own view ("Loupe") in the editor window: kept in the session's view (no step,
// never a modification), its factor in the status bar, "Ajuster"; and the picture's "Horiz",
// "Vert" and "Zoom", whose ranges reach the whole picture and whose values can be typed.
#include "editor/main.h"

#include "editor/application.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/picture_view.h"
#include "editor/status_line.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QSlider>

#include <algorithm>
#include <cmath>
#include <utility>

void Main::connectView() {
    connect(ui_.Picture1, &PictureBox::viewChanged, this, [this] { Picture1_ViewChanged(); });
    connect(ui_.IM_Fit, &QAction::triggered, this, [this] { ui_.Picture1->fitView(); });
    const std::pair<QSlider*, NumberBox*> boxes[] = {
        {ui_.Slider4, ui_.txtHoriz}, {ui_.Slider6, ui_.txtVert}, {ui_.Slider5, ui_.txtZoom}};
    for (const auto& [slider, box] : boxes) {
        connect(slider, &QSlider::valueChanged, box, [box = box](int v) { box->setValue(v); });
        connect(box, &NumberBox::valueTyped, this,
                [this, slider = slider, box = box] { txtPicture_Validate(slider, box); });
        connect(box, &NumberBox::refused, statusLine_, &StatusLine::refuse);
    }
    Picture1_ViewChanged();
}

void Main::Picture1_ViewChanged() {
    // The session keeps the view as the surface shows it: no step, no modification.
    const PictureBox& p = *ui_.Picture1;
    session_.setDrawingView(p.viewZoom(), {p.viewCentre().x(), p.viewCentre().y()});
    QLocale locale = userLocale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    ui_.lblZoom->setText(QStringLiteral("Loupe ×") + locale.toString(p.viewZoom(), 'g', 3));
    placeAxisMark();
}

void Main::showView() {
    const View& v = session_.view();
    ui_.Picture1->setView(v.viewZoom, {v.viewCentre.x, v.viewCentre.y});
    // Brought within the surface of this window, which may differ from the one it was saved in.
    Picture1_ViewChanged();
}

void Main::placeAxisMark() {
    // The "^" stays under the symmetry axis, which the view scale and the zoom place, whatever
    // the window's proportions did to the label.
    const PictureBox& p = *ui_.Picture1;
    ui_.Label4->move(qRound(p.toPixels(session_.samples().X1(), 0.0).x() +
                            axisMarkOffset_ * p.viewScale() - ui_.Label4->width() / 2.0),
                     ui_.Label4->y());
}

void Main::fitPictureSliders() {
    // Wide enough to bring every pixel of the picture anywhere on the surface at the present
    // zoom, never narrower than at first nor than the value the work holds.
    const Work& w = session_.work();
    PictureSliders s;
    s.horiz = w.pictureHoriz;
    s.vert = w.pictureVert;
    s.zoom = w.pictureZoom;
    const QSizeF design = ui_.Picture1->designSize() * ui_.Picture1->screenPixelsPerMm();
    const PictureReach reach =
        pictureReach(s, ps_.width(), ps_.height(), design.width(), design.height());
    auto fit = [](QSlider* slider, IntRange first, int lo, int hi, int value) {
        if (lo > hi)
            lo = hi = value;
        lo = std::max(std::min({first.min, lo, value}), kPictureOffsetLimits.min);
        hi = std::min(std::max({first.max, hi, value}), kPictureOffsetLimits.max);
        if (slider->minimum() != lo || slider->maximum() != hi)
            slider->setRange(lo, hi);
    };
    fit(ui_.Slider4, kPictureHorizRange, reach.horizMin, reach.horizMax, w.pictureHoriz);
    fit(ui_.Slider6, kPictureVertRange, reach.vertMin, reach.vertMax, w.pictureVert);
}

void Main::showPictureBoxes() {
    ui_.txtHoriz->setValue(ui_.Slider4->value());
    ui_.txtVert->setValue(ui_.Slider6->value());
    ui_.txtZoom->setValue(ui_.Slider5->value());
}

void Main::txtPicture_Validate(QSlider* slider, NumberBox* box) {
    const int v = static_cast<int>(std::lround(box->value()));
    if (v < slider->minimum() || v > slider->maximum()) {
        box->refuse(QStringLiteral("valeur hors de l'intervalle %1..%2")
                        .arg(slider->minimum())
                        .arg(slider->maximum()),
                    slider->value());
        return;
    }
    // As a drag of the slider to that value: one step.
    slider->setSliderDown(true);
    slider->setSliderPosition(v);
    slider->setSliderDown(false);
    box->setValue(slider->value());
}

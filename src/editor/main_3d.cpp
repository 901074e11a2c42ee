// The editor's side of the 3-D view: the 3-D window, what its scene reads from the editor,
// the "Vue 3D" button and the thickness, height and width sliders.

#include "editor/main.h"

#include "session/work_model.h"
#include "view3d/frm3d.h"
#include "view3d/scene.h"

#include <QLineEdit>

void Main::load3DWindow() {
    frm3D_ = new Frm3D(Redraw3D_, this);
    frm3D_->sceneInput = [this] { return sceneInput(); };
    frm3D_->toolbarTags = [this] {
        const View& v = session_.view();
        return ToolbarTags{v.axesOn ? 1.0 : 0.0, v.gridOn ? 1.0 : 0.0};
    };
    frm3D_->fuselageNeeded = [this] { feedFuselage(); };
    frm3D_->statusPresenter = [this](const QString& text) { showStatus(text); };
    // The work remembers the thickness the part is centred on: a thickness move since pushes
    // its back face alone.
    connect(frm3D_, &Frm3D::partBuilt, this, [this] {
        Work& w = session_.work();
        w.thicknessBuilt =
            frm3D_->builtThickness() > 0 ? frm3D_->builtThickness() : w.thickness.value;
    });
}

namespace {

// What a former's part is built from: its samples in m, its dimensions and its doubling.
SceneInput sceneInputOf(const FormerModel& m, const Work& w) {
    SceneInput in;
    in.Slider1 = w.thickness.value;
    in.Slider2 = w.height.value;
    in.Slider3 = w.width.value;
    in.Hscroll2 = w.sampleCount;
    in.Check4 = DoublingDrawn(w, m) ? 1 : 0;
    in.outline.Courbe_Droite = m.Courbe_Droite;
    in.outline.Courbe_Gauche = m.Courbe_Gauche;
    in.outline.Doublage_Droit = m.Doublage_Droit;
    in.outline.Doublage_Gauche = m.Doublage_Gauche;
    in.outline.Nb_Points = m.Nb_Points;
    in.outline.Y1 = m.Y1();
    in.outline.Check4 = in.Check4;
    return in;
}

} // namespace

SceneInput Main::sceneInput() const {
    return sceneInputOf(session_.model(), session_.work());
}

void Main::feedFuselage() {
    if (!frm3D_)
        return;
    const auto& formers = session_.formers();
    const int current = session_.current();
    // Each former sampled in a model of its own, which its input points into during the call.
    std::vector<FormerModel> sampled;
    sampled.reserve(formers.size());
    std::vector<FuselageFormer> fuselage;
    fuselage.reserve(formers.size());
    for (std::size_t i = 0; i < formers.size(); ++i) {
        const bool edited = static_cast<int>(i) == current;
        const Work& w = edited ? session_.work() : formers[i]->work;
        FuselageFormer f;
        f.station = formers[i]->station;
        f.current = edited;
        f.name = formers[i]->name;
        // Real millimetres, as the stations: a profile unit is outputUnit mm of the drawing.
        f.W = f.H = outputUnit * w.realScale;
        if (!edited) {
            sampled.push_back(session_.model());
            if (!SampleFormer(w, sampled.back()))
                continue;
            f.input = sceneInputOf(sampled.back(), w);
        }
        fuselage.push_back(f);
    }
    frm3D_->setFuselage(fuselage);
}

void Main::refreshFuselage() {
    if (frm3D_ && frm3D_->fuselageShown())
        feedFuselage();
}

void Main::Vue3D_Click() {
    if (!frm3D_)
        load3DWindow();
    frm3D_->setVisible(!frm3D_->isVisible());
}

// ---------------------------------------------------------------------------------------
// Thickness, height and width: each move applies the change against the value last applied,
// so moves compose.

void Main::Slider1_MouseDown() {
    Work::Dimension& d = session_.work().thickness;
    d.applied = d.value;
    ui_.T_EP->setText(QString::number(d.applied));
}

void Main::Slider2_MouseDown() {
    Work::Dimension& d = session_.work().height;
    d.applied = d.value;
    ui_.T_H->setText(QString::number(d.applied));
}

void Main::Slider3_MouseDown() {
    Work::Dimension& d = session_.work().width;
    d.applied = d.value;
    ui_.T_L->setText(QString::number(d.applied));
}

void Main::Slider1_Scroll() {
    Work::Dimension& d = session_.work().thickness;
    if (frm3D_)
        frm3D_->shiftBackLayer(static_cast<float>(d.value - d.applied));
    d.applied = d.value;
    ui_.T_EP->setText(QString::number(d.applied));
    Redraw3D_ = true;
}

void Main::scaleDimension(Work::Dimension& d, QLineEdit* box, void (Frm3D::*scale)(double)) {
    // A ratio against nothing (or zero) would flatten or blow up the part.
    if (d.applied > 0 && frm3D_)
        (frm3D_->*scale)(d.value / static_cast<double>(d.applied));
    d.applied = d.value;
    box->setText(QString::number(d.applied));
    Redraw3D_ = true;
}

void Main::Slider2_Scroll() {
    scaleDimension(session_.work().height, ui_.T_H, &Frm3D::scalePartHeight);
}

void Main::Slider3_Scroll() {
    scaleDimension(session_.work().width, ui_.T_L, &Frm3D::scalePartWidth);
}

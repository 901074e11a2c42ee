// The editor's side of the 3-D view: the 3-D window, what its scene reads from the editor,
// the "Vue 3D" button and the thickness, height and width sliders.

#include "editor/main.h"

#include "view3d/frm3d.h"
#include "view3d/scene.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <functional>
#include <utility>

namespace {

// Runs its action when the mouse is pressed anywhere on the watched widget, before the widget
// itself handles the press.
class PressWatcher final : public QObject {
public:
    PressWatcher(QObject* watched, std::function<void()> action)
        : QObject(watched), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            action_();
        }
        return false;
    }

private:
    std::function<void()> action_;
};

} // namespace

void Main::createFrame3(QWidget* parent, const QRect& area) {
    Frame3 = new QGroupBox(parent);
    Frame3->setObjectName("Frame3");
    Frame3->setGeometry(area);
    struct Row {
        QSlider** slider;
        QLineEdit** box;
        const char* name;
        const char* boxName;
        const char* label;
        int max;
        int value;
        SliderSetting setting;
        void (Main::*press)();
        void (Main::*scroll)();
    };
    const Row rows[] = {
        {&Slider1, &T_EP, "Slider1", "T_EP", "Ep.:", 120, 5,
         [](EditorState& s) -> int& { return s.thickness.value; }, &Main::Slider1_MouseDown,
         &Main::Slider1_Scroll},
        {&Slider2, &T_H, "Slider2", "T_H", "Haut.:", 100, 60,
         [](EditorState& s) -> int& { return s.height.value; }, &Main::Slider2_MouseDown,
         &Main::Slider2_Scroll},
        {&Slider3, &T_L, "Slider3", "T_L", "Larg.:", 100, 50,
         [](EditorState& s) -> int& { return s.width.value; }, &Main::Slider3_MouseDown,
         &Main::Slider3_Scroll},
    };
    const double width = area.width() / (logicalDpiX() / 25.4);
    double top = 2.5;
    for (const Row& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.label), Frame3);
        label->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(r.label).chopped(2));
        label->setGeometry(mm(2, top, 12, 5));
        auto* s = new QSlider(Qt::Horizontal, Frame3);
        s->setObjectName(r.name);
        s->setRange(1, r.max);
        s->setValue(r.value);
        s->setSingleStep(1);
        s->setPageStep(5);
        s->setTickPosition(QSlider::NoTicks);
        s->setGeometry(mm(14, top, width - 32, 5));
        *r.slider = s;
        // The boxes start with the values the sliders start with, so the first move has a
        // value to compare with. They only show what was applied: typing there would break
        // the relative moves.
        auto* box = new QLineEdit(QString::number(r.value), Frame3);
        box->setObjectName(r.boxName);
        box->setReadOnly(true);
        box->setGeometry(mm(width - 16, top - 0.5, 13, 6));
        *r.box = box;
        const auto press = r.press;
        new PressWatcher(s, [this, press] { (this->*press)(); });
        onUserMove(s, r.setting, r.scroll);
        top += 8;
    }
}

void Main::load3DWindow() {
    frm3D = new Frm3D(Redraw3D, this);
    frm3D->sceneInput = [this] { return sceneInput(); };
    frm3D->toolbarTags = [this] {
        return ToolbarTags{state_.axesOn ? 1.0 : 0.0, state_.gridOn ? 1.0 : 0.0};
    };
    setFormerMeshRebuilder([this](int mode) { frm3D->RebuildFormerMesh(mode); });
}

SceneInput Main::sceneInput() const {
    const FormerModel& m = model_;
    SceneInput in;
    in.Slider1 = state_.thickness.value;
    in.Slider2 = state_.height.value;
    in.Slider3 = state_.width.value;
    in.Hscroll2 = state_.sampleCount;
    in.Check4 = state_.doublingOn ? 1 : 0;
    in.outline.Courbe_Droite = m.Courbe_Droite;
    in.outline.Courbe_Gauche = m.Courbe_Gauche;
    in.outline.Doublage_Droit = m.Doublage_Droit;
    in.outline.Doublage_Gauche = m.Doublage_Gauche;
    in.outline.Nb_Points = m.Nb_Points;
    in.outline.Y1 = m.Y1();
    in.outline.Check4 = in.Check4;
    return in;
}

void Main::Vue3D_Click() {
    if (!frm3D) {
        load3DWindow();
    }
    if (frm3D->isVisible()) {
        frm3D->hide();
    } else {
        frm3D->show();
    }
}

// ---------------------------------------------------------------------------------------
// Thickness, height and width: each move applies the change against the value last applied,
// so moves compose.

void Main::Slider1_MouseDown() {
    state_.thickness.applied = state_.thickness.value;
    T_EP->setText(QString::number(state_.thickness.applied));
}

void Main::Slider2_MouseDown() {
    state_.height.applied = state_.height.value;
    T_H->setText(QString::number(state_.height.applied));
}

void Main::Slider3_MouseDown() {
    state_.width.applied = state_.width.value;
    T_L->setText(QString::number(state_.width.applied));
}

void Main::Slider1_Scroll() {
    EditorState::Dimension& d = state_.thickness;
    if (frm3D)
        ShiftBackLayer(frm3D->engine, frm3D->scene.formerMesh,
                       static_cast<float>(d.value - d.applied));
    d.applied = d.value;
    T_EP->setText(QString::number(d.applied));
    Redraw3D = true;
}

void Main::Slider2_Scroll() {
    EditorState::Dimension& d = state_.height;
    // A ratio against nothing (or zero) would flatten or blow up the part.
    if (d.applied > 0 && frm3D)
        ScaleMeshY(frm3D->engine, frm3D->scene.formerMesh,
                   d.value / static_cast<double>(d.applied));
    d.applied = d.value;
    T_H->setText(QString::number(d.applied));
    Redraw3D = true;
}

void Main::Slider3_Scroll() {
    EditorState::Dimension& d = state_.width;
    if (d.applied > 0 && frm3D)
        ScaleMeshX(frm3D->engine, frm3D->scene.formerMesh,
                   d.value / static_cast<double>(d.applied));
    d.applied = d.value;
    T_L->setText(QString::number(d.applied));
    Redraw3D = true;
}

// The doubling and the mode options of the editor window: "Doublage" with its scale, the
// assembly joint, what the mouse acts on, and whether the doubling follows the former.
#include "editor/main.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

void Main::connectEditing() {
    // The switch's every change goes into the state; a click by the user runs its handler.
    connect(Check4, &QCheckBox::toggled, this,
            [this](bool on) { controlChanged([on](EditorState& s) { s.doublingOn = on; }); });
    connect(Check4, &QCheckBox::clicked, this, [this] { Check4_Click(); });

    // An option becoming selected, whoever selects it, sets the state and runs its handler.
    auto onSelected = [this](QRadioButton* option, auto setting, void (Main::*handler)()) {
        connect(option, &QAbstractButton::toggled, this, [this, setting, handler](bool on) {
            if (on)
                controlChanged(setting, handler);
        });
    };
    onSelected(
        Option1, [](EditorState& s) { s.joint = AssemblyJoint::Horizontal; }, &Main::Option1_Click);
    onSelected(
        Option2, [](EditorState& s) { s.joint = AssemblyJoint::None; }, &Main::Option2_Click);
    onSelected(
        Option7, [](EditorState& s) { s.joint = AssemblyJoint::Vertical; }, &Main::Option7_Click);
    onSelected(
        Option3, [](EditorState& s) { s.mouseAction = MouseAction::Former; }, &Main::Option3_Click);
    onSelected(
        Option4, [](EditorState& s) { s.mouseAction = MouseAction::Doubling; },
        &Main::Option4_Click);
    onSelected(
        Option5, [](EditorState& s) { s.slaved = true; }, &Main::Option5_Click);
    onSelected(
        Option6, [](EditorState& s) { s.slaved = false; }, &Main::Option6_Click);

    // The handlers take the pointer in single precision, as the surface's mouse events did.
    connect(Picture1, &PictureBox::MouseDown, this, [this](int b, int s, double x, double y) {
        Picture1_MouseDown(b, s, static_cast<float>(x), static_cast<float>(y));
    });
    connect(Picture1, &PictureBox::MouseMove, this, [this](int b, int s, double x, double y) {
        Picture1_MouseMove(b, s, static_cast<float>(x), static_cast<float>(y));
    });
    connect(Picture1, &PictureBox::MouseUp, this, [this](int b, int s, double x, double y) {
        Picture1_MouseUp(b, s, static_cast<float>(x), static_cast<float>(y));
    });
}

void Main::UpdateModeDisplay() {
    if (state_.doublingControls == DoublingControls::AsAtStartUp)
        state_.doublingControls = DoublingControls::LabelUpdated;
    if (state_.slaved) {
        Label6->setText(QStringLiteral("Mode asservi"));
        Option4->setEnabled(false);
    } else {
        Label6->setText(QStringLiteral("Mode découplé"));
        Option4->setEnabled(true);
    }
    if (state_.doublingOn) {
        Frame4->setEnabled(true);
        Label6->setVisible(true);
    } else {
        // Without a doubling there is nothing to decouple.
        Option5->setChecked(true);
        Label6->setVisible(false);
        Frame4->setEnabled(false);
    }
}

void Main::UpdateDoubling() {
    FormerModel& m = model_;
    UpdateModeDisplay();
    // From now on the doubling's controls follow the doubling.
    state_.doublingControls = DoublingControls::FollowDoubling;
    const bool on = state_.doublingOn;
    Frame2->setEnabled(on);
    Frame4->setEnabled(on);
    if (!on) {
        Option3->setChecked(true);
        Hscroll1->setEnabled(false);
        Frame6->setEnabled(false);
        Picture1->Cls();
        m.Dessin_Actif = true;
        Picture1->Refresh();
        return;
    }
    m.Dessin_Actif = false;
    Hscroll1->setEnabled(true);
    Frame6->setEnabled(true);
    // The doubling starts as the former shrunk towards the axes' crossing.
    PlaceDoubling(m, state_.doublingScale);
    m.Dessin_Actif = true;
    Picture1->invalidate();
}

void Main::Check4_Click() {
    FormerModel& m = model_;
    // The scale handler must not rebuild: the whole mesh is rebuilt once below, since the
    // doubling changes its size.
    m.Form_Chargee = false;
    UpdateDoubling();
    Hscroll1_Scroll();
    m.Form_Chargee = true;
    RebuildFormerMesh(1);
    Redraw3D = true;
}

void Main::Hscroll1_Scroll() {
    UpdateDoubling();
    DisegnaCurva();
    if (model_.Form_Chargee)
        RebuildFormerMesh(0);
}

void Main::assemblyChanged(bool joint) {
    // A joint needs at least 16 samples; setting the slider runs its handler.
    if (joint && state_.sampleCount < 16)
        Hscroll2->setValue(16);
    DisegnaCurva();
    RebuildFormerMesh(0);
    Redraw3D = true;
}

void Main::Option1_Click() {
    assemblyChanged(true);
}

void Main::Option7_Click() {
    assemblyChanged(true);
}

void Main::Option2_Click() {
    assemblyChanged(false); // the point count is not lowered
}

void Main::setHandleSet(bool couple) {
    FormerModel& m = model_;
    m.Dessin_Actif = false;
    // Every handle of both sets, N included: the handle search covers 0..N, so a handle
    // that can be picked is always shown and one that cannot never is.
    const std::size_t count = std::min(m.shppi.size(), m.Shape1.size());
    for (std::size_t i = 0; i < count && i <= static_cast<std::size_t>(m.Der_Point); ++i) {
        m.shppi[i].Visible = couple;
        m.Shape1[i].Visible = !couple;
    }
    m.Dessin_Actif = true;
    Picture1->invalidate();
}

void Main::Option3_Click() {
    setHandleSet(true);
}

void Main::Option4_Click() {
    setHandleSet(false);
}

void Main::Option5_Click() {
    UpdateModeDisplay();
    // Slaved, the mouse always acts on the former and the doubling follows.
    Option3->setChecked(true);
}

void Main::Option6_Click() {
    UpdateModeDisplay();
}

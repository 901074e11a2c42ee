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
    connect(Check4, &QCheckBox::clicked, this, [this] { Check4_Click(); });
    onUserMove(Hscroll1, &Main::Hscroll1_Scroll);

    // An option's handler runs when it becomes selected, whoever selects it.
    auto onSelected = [this](QRadioButton* option, void (Main::*handler)()) {
        connect(option, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onSelected(Option1, &Main::Option1_Click);
    onSelected(Option2, &Main::Option2_Click);
    onSelected(Option7, &Main::Option7_Click);
    onSelected(Option3, &Main::Option3_Click);
    onSelected(Option4, &Main::Option4_Click);
    onSelected(Option5, &Main::Option5_Click);
    onSelected(Option6, &Main::Option6_Click);

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
    if (Option5->isChecked()) {
        Label6->setText(QStringLiteral("Mode asservi"));
        Option4->setEnabled(false);
    } else {
        Label6->setText(QStringLiteral("Mode découplé"));
        Option4->setEnabled(true);
    }
    if (Check4->isChecked()) {
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
    const bool on = Check4->isChecked();
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
    PlaceDoubling(m, Hscroll1->value());
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
    if (joint && Hscroll2->value() < 16)
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

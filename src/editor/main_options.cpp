// The doubling and the mode options of the editor window: "Doublage" with its scale, the
// assembly joint, what the mouse acts on, and whether the doubling follows the former.
#include "editor/main.h"

#include "session/work_model.h"

#include "editor/number_box.h"
#include "export/piece_outline.h"
#include "former/doubling_offset.h"

#include "editor/picture_box.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

void Main::UpdateModeDisplay() {
    if (session_.work().doublingControls == DoublingControls::AsAtStartUp)
        session_.work().doublingControls = DoublingControls::LabelUpdated;
    if (session_.work().slaved) {
        ui_.Label6->setText(QStringLiteral("Mode asservi"));
        ui_.Option4->setEnabled(false);
    } else {
        ui_.Label6->setText(QStringLiteral("Mode découplé"));
        ui_.Option4->setEnabled(true);
    }
    if (session_.work().doublingOn) {
        ui_.Frame4->setEnabled(true);
        ui_.Label6->setVisible(true);
    } else {
        // Without a doubling there is nothing to decouple.
        ui_.Option5->setChecked(true);
        ui_.Label6->setVisible(false);
        ui_.Frame4->setEnabled(false);
    }
}

void Main::UpdateDoubling() {
    FormerModel& m = session_.model();
    UpdateModeDisplay();
    // From now on the doubling's controls follow the doubling.
    session_.work().doublingControls = DoublingControls::FollowDoubling;
    const bool on = session_.work().doublingOn;
    ui_.Frame2->setEnabled(on);
    ui_.Frame4->setEnabled(on);
    if (!on) {
        ui_.Option3->setChecked(true);
        ui_.Hscroll1->setEnabled(false);
        ui_.Frame6->setEnabled(false);
        ui_.Picture1->Cls();
        m.Dessin_Actif = true;
        ui_.Picture1->Refresh();
        return;
    }
    m.Dessin_Actif = false;
    ui_.Hscroll1->setEnabled(true);
    ui_.Frame6->setEnabled(true);
    // The doubling starts as the former shrunk towards the axes' crossing.
    PlaceDoubling(m, session_.work().doublingScale);
    m.Dessin_Actif = true;
    ui_.Picture1->invalidate();
}

void Main::Check4_Click() {
    FormerModel& m = session_.model();
    // The scale handler must not rebuild: the whole mesh is rebuilt once below, since the
    // doubling changes its size.
    m.Form_Chargee = false;
    UpdateDoubling();
    Hscroll1_Scroll();
    m.Form_Chargee = true;
    RebuildFormerMesh(1);
    Redraw3D_ = true;
}

void Main::Hscroll1_Scroll() {
    UpdateDoubling();
    DisegnaCurva();
    if (session_.model().Form_Chargee)
        RebuildFormerMesh(0);
}

void Main::assemblyChanged(bool joint) {
    // A joint needs at least 16 samples; setting the slider runs its handler.
    if (joint && session_.work().sampleCount < 16)
        ui_.Hscroll2->setValue(16);
    DisegnaCurva();
    RebuildFormerMesh(0);
    Redraw3D_ = true;
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
    FormerModel& m = session_.model();
    m.Dessin_Actif = false;
    // Every handle of both sets, N included: the handle search covers 0..N, so a handle
    // that can be picked is always shown and one that cannot never is.
    const std::size_t count = std::min(m.shppi.size(), m.Shape1.size());
    for (std::size_t i = 0; i < count && i <= static_cast<std::size_t>(m.Der_Point); ++i) {
        m.shppi[i].Visible = couple;
        m.Shape1[i].Visible = !couple;
    }
    m.Dessin_Actif = true;
    ui_.Picture1->invalidate();
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
    ui_.Option3->setChecked(true);
}

void Main::Option6_Click() {
    UpdateModeDisplay();
    // A doubling of constant width goes on from the offset outline: its control points are
    // fitted to it, and its handles put on them.
    FormerModel& m = session_.model();
    if (session_.work().doublingOn && session_.work().doublingMode == DoublingMode::ConstantWidth &&
        m.offsetDoublingWhole) {
        const std::vector<PointXYZ> fitted =
            FitDoublingControlPoints(m.Doublage_Droit, m.Der_Point, m.Ordre_Spline);
        if (fitted.size() == m.Pts_Doublage.size()) {
            m.Pts_Doublage = fitted;
            for (std::size_t i = 0; i < fitted.size() && i < m.Shape1.size(); ++i) {
                m.Shape1[i].Left = fitted[i].x;
                m.Shape1[i].Top = fitted[i].y;
            }
        }
        DisegnaCurva();
        RebuildFormerMesh(0);
        Redraw3D_ = true;
    }
}

bool Main::doublingDrawn() const {
    return DoublingDrawn(session_.work(), session_.model());
}

void Main::showDoublingMode() {
    const bool constant = session_.work().doublingMode == DoublingMode::ConstantWidth;
    ui_.lblEpaisseur->setVisible(!constant);
    ui_.Hscroll1->setVisible(!constant);
    ui_.lblDoublingWidth->setVisible(constant);
    ui_.txtDoublingWidth->setVisible(constant);
}

void Main::DoublingMode_Click() {
    showDoublingMode();
    DisegnaCurva();
    if (session_.model().Form_Chargee)
        RebuildFormerMesh(0);
    Redraw3D_ = true;
}

void Main::txtDoublingWidth_Validate() {
    // Up to half the former's smallest inner width: a wider ring leaves no hole, or breaks.
    const FormerModel& m = session_.model();
    Work& w = session_.work();
    const double largest =
        SmallestInnerWidth(m.Courbe_Droite, m.X1(), m.Nb_Points) / 2.0 * w.realScale;
    const double typed = ui_.txtDoublingWidth->value();
    if (typed > largest) {
        ui_.txtDoublingWidth->refuse(
            QStringLiteral("%1 mm : plus de la moitié de la plus petite largeur intérieure du "
                           "couple (%2 mm)")
                .arg(QString::fromStdString(frenchMillimetres(typed)),
                     QString::fromStdString(frenchMillimetres(2.0 * largest))),
            w.doublingWidth);
        return;
    }
    w.doublingWidth = typed;
    DisegnaCurva();
    RebuildFormerMesh(0);
    Redraw3D_ = true;
    recordWorkChange();
}

void Main::tellOffsetDoubling() {
    // Said once when the doubling of constant width stops being drawn, not at every move.
    const std::string& why = session_.model().offsetDoublingMessage;
    if (why != toldOffset_ && !why.empty())
        showStatus(QString::fromStdString(why));
    toldOffset_ = why;
}

// The editor's state as one value: the settings, the former from the model and the view from
// the 3-D window gathered, and put back into all of them in one go, without running the
// handlers that a user's change would run.
#include "editor/main.h"

#include "former/editor_state_model.h"
#include "view3d/frm3d.h"
#include "view3d/scene.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The start-up caption of the mode label; the mode handlers write "Mode asservi" instead.
const QString kStartUpModeCaption = QStringLiteral("Mode Asservi");

// The 3-D window's numbers of the pieces (View_Piece) and of the render modes, in the order of
// the state's enumerations.
constexpr std::array<int, 5> kViewPieces = {1, 4, 5, 2, 3};
constexpr std::array<int, 5> kRenderModes = {kModeSmooth, kModeWireFrame, kModeTransparent,
                                             kModeSilhouette, kModeSolid};

template <class E> E fromNumber(const std::array<int, 5>& numbers, int n, E otherwise) {
    const auto it = std::find(numbers.begin(), numbers.end(), n);
    return it == numbers.end() ? otherwise : static_cast<E>(it - numbers.begin());
}

} // namespace

EditorState Main::editorState() const {
    EditorState s = state_;
    s.surfaceWidth = Picture1->designSize().width();
    s.surfaceHeight = Picture1->designSize().height();
    StoreFormer(model_, s);
    s.thicknessBuilt = s.thickness.value;
    if (frm3D) {
        s.view3dShown = frm3D->isVisible();
        s.viewPiece = fromNumber(kViewPieces, frm3D->View_Piece, ViewPiece::Whole);
        if (frm3D->engine.isCamera(frm3D->currentCamera)) {
            const Camera& c = frm3D->engine.cameras[static_cast<std::size_t>(frm3D->currentCamera)];
            s.renderMode = fromNumber(kRenderModes, c.renderMode, RenderMode::WireFrame);
            s.specular = c.specular;
            s.attenuation = c.attenuation;
        }
        s.yaw = frm3D->yaw;
        s.pitch = frm3D->pitch;
        s.distance = frm3D->distance;
        // A build leaves the front face at minus half the thickness; a thickness move since
        // then has only pushed the back face.
        const Engine& e = frm3D->engine;
        if (e.isMesh(frm3D->scene.formerMesh)) {
            const Mesh& part = e.meshes[static_cast<std::size_t>(frm3D->scene.formerMesh)];
            if (part.vertexCount > 0)
                s.thicknessBuilt = static_cast<int>(
                    std::lround(-2.0 * e.vertices[static_cast<std::size_t>(part.vertexStart)].z));
        }
    }
    s.picturePath = PicturePath.toStdString();
    return s;
}

void Main::showSettings() {
    const EditorState& s = state_;
    {
        QObject* quiet[] = {Hscroll1, Hscroll2, Hscroll3, Check4,  Option1, Option2,
                            Option3,  Option4,  Option5,  Option6, Option7, Slider1,
                            Slider2,  Slider3,  Slider4,  Slider5, Slider6, SSTab1};
        std::vector<std::unique_ptr<QSignalBlocker>> blockers;
        for (QObject* o : quiet)
            blockers.push_back(std::make_unique<QSignalBlocker>(o));

        Hscroll2->setValue(s.sampleCount);
        Hscroll3->setValue(s.orderSlider);
        Hscroll1->setValue(s.doublingScale);
        Check4->setChecked(s.doublingOn);
        (s.joint == AssemblyJoint::Horizontal ? Option1
         : s.joint == AssemblyJoint::Vertical ? Option7
                                              : Option2)
            ->setChecked(true);
        (s.mouseAction == MouseAction::Doubling ? Option4 : Option3)->setChecked(true);
        (s.slaved ? Option5 : Option6)->setChecked(true);
        Slider1->setValue(s.thickness.value);
        Slider2->setValue(s.height.value);
        Slider3->setValue(s.width.value);
        Slider4->setValue(s.pictureHoriz);
        Slider6->setValue(s.pictureVert);
        Slider5->setValue(s.pictureZoom);
        SSTab1->setCurrentIndex(s.tab == EditorTab::Masque ? 1 : 0);
    }
    Text3->setText(QString::number(s.sampleCount));
    T_EP->setText(QString::number(s.thickness.applied));
    T_H->setText(QString::number(s.height.applied));
    T_L->setText(QString::number(s.width.applied));

    // What the mode and doubling handlers would have left enabled and shown.
    const bool on = s.doublingOn;
    if (s.doublingControls == DoublingControls::AsAtStartUp) {
        Label6->setText(kStartUpModeCaption);
        Label6->setVisible(true);
    } else {
        Label6->setText(s.slaved ? QStringLiteral("Mode asservi")
                                 : QStringLiteral("Mode découplé"));
        Label6->setVisible(on);
    }
    const bool follows = s.doublingControls == DoublingControls::FollowDoubling;
    Option4->setEnabled(!s.slaved);
    Frame4->setEnabled(on);
    Frame2->setEnabled(on);
    Hscroll1->setEnabled(!follows || on);
    Frame6->setEnabled(!follows || on);
    showToolbarTags();
}

void Main::showEditorState(const EditorState& s) {
    // The former first: a state of another former changes nothing.
    if (!ShowFormer(s, model_))
        return;

    // The settings, the picture's display as it is until it is switched below; the part is
    // built with the thickness it had at its last build, then given the thickness moves made
    // since.
    const bool pictureShown = state_.pictureShown;
    const QString shownPicture = pictureShown ? PicturePath : QString();
    state_ = s;
    state_.pictureShown = pictureShown;
    state_.thickness.value = s.thicknessBuilt;
    showSettings();
    PicturePath = QString::fromStdString(s.picturePath);
    Frame8->setEnabled(!PicturePath.trimmed().isEmpty()); // once a picture has been chosen

    if (frm3D) {
        frm3D->View_Piece = kViewPieces[static_cast<std::size_t>(s.viewPiece)];
        if (frm3D->engine.isCamera(frm3D->currentCamera)) {
            Camera& c = frm3D->engine.cameras[static_cast<std::size_t>(frm3D->currentCamera)];
            c.renderMode =
                static_cast<std::int16_t>(kRenderModes[static_cast<std::size_t>(s.renderMode)]);
            c.specular = s.specular;
            c.attenuation = s.attenuation;
        }
        frm3D->yaw = s.yaw;
        frm3D->pitch = s.pitch;
        frm3D->distance = s.distance;
        frm3D->setVisible(s.view3dShown);
    }

    // ---- both windows redrawn, the 3-D part rebuilt once ----
    FormerModel& m = model_;
    m.Dessin_Actif = true;
    Quadrillage(s.gridOn ? 0 : 1);
    // The picture goes on or off as "Image On/Off" does, read from the state's file (one that
    // cannot be read is told and stays off, the work shown all the same); the picture already on
    // is drawn again with the state's pan and zoom.
    if (pictureOn() && s.pictureShown && shownPicture == PicturePath) {
        ApplyViewTransform();
    } else {
        if (pictureOn())
            Command4_Click(); // another picture, or none: the one shown goes
        if (s.pictureShown)
            Command4_Click();
    }
    DisegnaCurva();
    Picture1->invalidate();
    RebuildFormerMesh(1);
    state_.thickness.value = s.thickness.value;
    {
        const QSignalBlocker quiet(Slider1);
        Slider1->setValue(s.thickness.value);
    }
    if (frm3D && s.thickness.applied != s.thicknessBuilt)
        ShiftBackLayer(frm3D->engine, frm3D->scene.formerMesh,
                       static_cast<float>(s.thickness.applied - s.thicknessBuilt));
    Redraw3D = true;
}

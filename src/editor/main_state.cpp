// The editor's state as one value: read from the model and the controls of both windows, and
// put back into them in one go, without running the handlers that a user's change would run.
#include "editor/main.h"

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

bool ownEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace

EditorState Main::editorState() const {
    const FormerModel& m = model_;
    EditorState s;
    s.surfaceWidth = Picture1->designSize().width();
    s.surfaceHeight = Picture1->designSize().height();
    const int N = m.Der_Point;
    for (int i = 0; i <= N; ++i) {
        const auto k = static_cast<std::size_t>(i);
        FormerPoint p;
        p.at = {m.Pts_Couple[k].x, m.Pts_Couple[k].y};
        p.handle = {m.shppi[k].Left, m.shppi[k].Top};
        const LineItem& side = i < N ? m.LinPi[k] : m.LinPi[k - 1];
        p.polygon = i < N ? SurfacePoint{side.X1, side.Y1} : SurfacePoint{side.X2, side.Y2};
        p.pinned = IsPinned(m, i);
        p.unpinned = (i == 0 || i == N) && !p.pinned && m.shppi[k].BorderColor == colours::Red;
        s.former.push_back(p);
        s.doubling.push_back({m.Pts_Doublage[k].x, m.Pts_Doublage[k].y});
    }
    s.formerHandlesShown = m.shppi[0].Visible;
    s.doublingHandlesShown = m.Shape1[0].Visible;
    s.sampleCount = m.Nb_Points;
    s.orderSlider = Hscroll3->value();
    s.orderInUse = m.Ordre_Spline;
    s.doublingOn = Check4->isChecked();
    s.doublingScale = Hscroll1->value();
    s.slaved = Option5->isChecked();
    if (Label6->text() == kStartUpModeCaption)
        s.doublingControls = DoublingControls::AsAtStartUp;
    else if (!s.doublingOn && ownEnabled(Hscroll1))
        s.doublingControls = DoublingControls::LabelUpdated;
    else
        s.doublingControls = DoublingControls::FollowDoubling;
    s.joint = Option1->isChecked()   ? AssemblyJoint::Horizontal
              : Option7->isChecked() ? AssemblyJoint::Vertical
                                     : AssemblyJoint::None;
    s.mouseAction = Option4->isChecked() ? MouseAction::Doubling : MouseAction::Former;

    s.controlPolygonShown = tagValue(pb1Tag(2)) != 0;
    s.samplePointsShown = tagValue(pb1Tag(3)) == 1;
    s.handlesHidden = tagValue(pb1Tag(5)) != 0;
    s.axesOn = tagValue(pb1Tag(10)) != 0;
    s.gridOn = tagValue(pb1Tag(14)) != 0;

    // The boxes hold the values last applied; one that holds no number has applied nothing.
    auto dimension = [](const QSlider* slider, const QLineEdit* box) {
        bool number = false;
        const int applied = box->text().toInt(&number);
        return EditorState::Dimension{slider->value(), number ? applied : slider->value()};
    };
    s.thickness = dimension(Slider1, T_EP);
    s.height = dimension(Slider2, T_H);
    s.width = dimension(Slider3, T_L);
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
    s.pictureShown = pictureOn();
    s.pictureHoriz = Slider4->value();
    s.pictureVert = Slider6->value();
    s.pictureZoom = Slider5->value();
    s.tab = SSTab1->currentIndex() == 1 ? EditorTab::Masque : EditorTab::Dessin;
    return s;
}

void Main::showEditorState(const EditorState& s) {
    FormerModel& m = model_;
    const int N = m.Der_Point;
    if (static_cast<int>(s.former.size()) != N + 1 || static_cast<int>(s.doubling.size()) != N + 1)
        return; // not a state of this former

    // ---- the model ----
    m.Nb_Points = s.sampleCount;
    m.resizeSamples(m.Nb_Points);
    m.Ordre_Spline = s.orderInUse;
    for (int i = 0; i <= N; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const FormerPoint& p = s.former[k];
        m.Pts_Couple[k] = {p.at.x, p.at.y, 0.0};
        Handle& h = m.shppi[k];
        h.Left = p.handle.x;
        h.Top = p.handle.y;
        h.Visible = s.formerHandlesShown;
        // White while pinned; red for the other points, and for an end point once unpinned.
        if (p.pinned)
            h.Tag.assign(1, '1');
        else
            h.Tag.clear();
        const bool end = i == 0 || i == N;
        h.BorderColor = p.pinned             ? colours::White
                        : end && !p.unpinned ? colours::Magenta
                                             : colours::Red;
        if (i < N) {
            m.LinPi[k].X1 = p.polygon.x;
            m.LinPi[k].Y1 = p.polygon.y;
            m.LinPi[k].BorderColor = s.controlPolygonShown ? colours::Green : colours::Black;
        }
        if (i > 0) {
            m.LinPi[k - 1].X2 = p.polygon.x;
            m.LinPi[k - 1].Y2 = p.polygon.y;
        }
        m.Pts_Doublage[k] = {s.doubling[k].x, s.doubling[k].y, 0.0};
        m.Shape1[k].Left = s.doubling[k].x;
        m.Shape1[k].Top = s.doubling[k].y;
        m.Shape1[k].Visible = s.doublingHandlesShown;
    }

    // ---- the controls, their handlers kept quiet ----
    {
        QObject* quiet[] = {Hscroll1, Hscroll2, Hscroll3, Check4,  Option1, Option2,
                            Option3,  Option4,  Option5,  Option6, Option7, Slider1,
                            Slider2,  Slider3,  Slider4,  Slider5, Slider6};
        std::vector<std::unique_ptr<QSignalBlocker>> blockers;
        for (QObject* o : quiet)
            blockers.push_back(std::make_unique<QSignalBlocker>(o));

        Hscroll2->setValue(s.sampleCount);
        Text3->setText(QString::number(s.sampleCount));
        Hscroll3->setValue(s.orderSlider);
        Hscroll1->setValue(s.doublingScale);
        Check4->setChecked(s.doublingOn);
        (s.joint == AssemblyJoint::Horizontal ? Option1
         : s.joint == AssemblyJoint::Vertical ? Option7
                                              : Option2)
            ->setChecked(true);
        (s.mouseAction == MouseAction::Doubling ? Option4 : Option3)->setChecked(true);
        (s.slaved ? Option5 : Option6)->setChecked(true);

        // The part is built with the thickness it had at its last build, then given the
        // thickness moves made since.
        Slider1->setValue(s.thicknessBuilt);
        Slider2->setValue(s.height.value);
        Slider3->setValue(s.width.value);
        Slider4->setValue(s.pictureHoriz);
        Slider6->setValue(s.pictureVert);
        Slider5->setValue(s.pictureZoom);
    }
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

    setPb1Tag(2, s.controlPolygonShown ? "1" : "0");
    setPb1Tag(3, s.samplePointsShown ? "1" : "0");
    setPb1Tag(5, s.handlesHidden ? "-1" : "0");
    setPb1Tag(10, s.axesOn ? "1" : "0");
    setPb1Tag(14, s.gridOn ? "1" : "0");

    PicturePath = QString::fromStdString(s.picturePath);
    Frame8->setEnabled(!PicturePath.trimmed().isEmpty()); // once a picture has been chosen
    SSTab1->setCurrentIndex(s.tab == EditorTab::Masque ? 1 : 0);

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
    m.Dessin_Actif = true;
    Quadrillage(s.gridOn ? 0 : 1);
    // The picture goes on or off as "Image On/Off" does (a picture that cannot be read any
    // more is told and stays off); one already on is drawn again with the state's pan and zoom.
    if (s.pictureShown != pictureOn())
        Command4_Click();
    else if (pictureOn())
        ApplyViewTransform();
    DisegnaCurva();
    Picture1->invalidate();
    RebuildFormerMesh(1);
    {
        const QSignalBlocker quiet(Slider1);
        Slider1->setValue(s.thickness.value);
    }
    if (frm3D && s.thickness.applied != s.thicknessBuilt)
        ShiftBackLayer(frm3D->engine, frm3D->scene.formerMesh,
                       static_cast<float>(s.thickness.applied - s.thicknessBuilt));
    Redraw3D = true;
}

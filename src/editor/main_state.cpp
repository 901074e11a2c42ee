// The editor's state as one value: the session's work and view, with the 3-D window's view as
// it holds it, and put back into all of them in one go, without running the handlers that a
// user's change would run.
#include "editor/main.h"

#include "editor/picture_box.h"
#include "view3d/frm3d.h"

#include <QGroupBox>
#include <QSignalBlocker>
#include <QSlider>

EditorState Main::editorState() const {
    EditorState s = session_.state();
    if (frm3D_) {
        const View3DSettings v = frm3D_->viewSettings();
        s.view.view3dShown = v.shown;
        s.view.viewPiece = v.piece;
        s.view.renderMode = v.renderMode;
        s.view.specular = v.specular;
        s.view.attenuation = v.attenuation;
        s.view.yaw = v.yaw;
        s.view.pitch = v.pitch;
        s.view.distance = v.distance;
        s.view.fuselageShown = v.fuselage;
    }
    return s;
}

void Main::showEditorState(const EditorState& s) {
    // The picture's display as it is until it is switched below (the session may already hold
    // another former's work).
    const QString shownPicture = shownPicturePath_;
    const bool pictureShown = !shownPicture.isEmpty();
    // The former first: a state of another former changes nothing.
    if (!session_.show(s))
        return;
    // The part is built with the thickness it had at its last build, then given the thickness
    // moves made since.
    Work& w = session_.work();
    session_.view().pictureShown = pictureShown;
    w.thickness.value = s.work.thicknessBuilt;
    showSettings();
    ui_.Frame8->setEnabled(!PicturePath().trimmed().isEmpty()); // once a picture has been chosen

    if (frm3D_) {
        const View& v = s.view;
        frm3D_->applyViewSettings({v.view3dShown, v.viewPiece, v.renderMode, v.specular,
                                   v.attenuation, v.yaw, v.pitch, v.distance, v.fuselageShown});
    }

    // ---- both windows redrawn, the 3-D part rebuilt once ----
    FormerModel& m = session_.model();
    m.Dessin_Actif = true;
    showView(s.view);
    Quadrillage(s.view.gridOn ? 0 : 1);
    // The picture goes on or off as "Image On/Off" does, read from the state's file (one that
    // cannot be read is told and stays off, the work shown all the same); the picture already on
    // is drawn again with the state's pan and zoom.
    if (pictureOn() && s.view.pictureShown && shownPicture == PicturePath()) {
        ApplyViewTransform();
    } else {
        if (pictureOn())
            Command4_Click(); // another picture, or none: the one shown goes
        if (s.view.pictureShown)
            Command4_Click();
    }
    DisegnaCurva();
    ui_.Picture1->invalidate();
    RebuildFormerMesh(1);
    w.thickness.value = s.work.thickness.value;
    {
        const QSignalBlocker quiet(ui_.Slider1);
        ui_.Slider1->setValue(s.work.thickness.value);
    }
    if (frm3D_ && s.work.thickness.applied != s.work.thicknessBuilt)
        frm3D_->shiftBackLayer(
            static_cast<float>(s.work.thickness.applied - s.work.thicknessBuilt));
    // The part was built with the thickness it had then.
    w.thicknessBuilt = s.work.thicknessBuilt;
    Redraw3D_ = true;
}

void Main::showWork(const ProjectWork& work) {
    // The view stays, but for the handles of the set the mouse acts on.
    const EditorState now = editorState();
    const Work before = session_.recordedWork();
    const Work& shown = session_.restore(work);
    showEditorState({now.surface, shown, EditorSession::viewAfter(now.view, before, shown)});
    formersChanged();
    updateProjectCaption();
}

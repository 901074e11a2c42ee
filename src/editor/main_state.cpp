// The editor's state as one value: the session's work and view, with the 3-D window's view as
// it holds it, and a state put back into the session and shown whole.
#include "editor/main.h"

#include "view3d/frm3d.h"

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
        s.view.fuselageOrbitKept = v.fuselageOrbitKept;
        s.view.fuselageYaw = v.fuselageYaw;
        s.view.fuselagePitch = v.fuselagePitch;
        s.view.fuselageDistance = v.fuselageDistance;
    }
    return s;
}

void Main::showEditorState(const EditorState& state) {
    // The former first: a state of another former changes nothing.
    if (session_.show(state))
        show(Changed::All);
}

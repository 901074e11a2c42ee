// The editor's side of the 3-D view: the 3-D window, what its scene is built from, the "Vue 3D"
// button and the view the session holds for it.
#include "editor/main.h"

#include "editor/status_line.h"
#include "view3d/frm3d.h"
#include "view3d/scene.h"

void Main::load3DWindow() {
    frm3D_ = new Frm3D(Redraw3D_, this);
    frm3D_->setPart(sceneInput());
    show3DTags();
    // What the user does in the 3-D window is the view's: the session keeps it.
    connect(frm3D_, &Frm3D::viewChanged, this,
            [this] { show(session_.setView3D(editorState().view)); });
    connect(frm3D_, &Frm3D::fuselageWanted, this, [this] { feedFuselage(); });
    connect(frm3D_, &Frm3D::leftOutTold, statusLine_, &StatusLine::pass);
}

void Main::show3DTags() {
    const View& v = session_.view();
    frm3D_->setToolbarTags({v.axesOn ? 1.0 : 0.0, v.gridOn ? 1.0 : 0.0});
}

namespace {

// What a former's part is built from: its samples, its dimensions, its doubling and its
// notches (`cut`'s halves, which must outlive the call it is handed to).
SceneInput sceneInputOf(const FormerModel& m, const Work& w, bool doublingDrawn,
                        const CutOutline& cut) {
    SceneInput in;
    in.partDepth = w.thickness.value;
    in.partHeight = w.height.value;
    in.partWidth = w.width.value;
    in.sampleCount = w.sampleCount;
    in.doublingOn = doublingDrawn ? 1 : 0;
    in.outline.Courbe_Droite = m.Courbe_Droite;
    in.outline.Courbe_Gauche = m.Courbe_Gauche;
    in.outline.Doublage_Droit = m.Doublage_Droit;
    in.outline.Doublage_Gauche = m.Doublage_Gauche;
    in.outline.Nb_Points = m.Nb_Points;
    in.outline.Y1 = m.Y1();
    in.outline.doublingOn = in.doublingOn;
    cut.showIn(in.outline);
    in.stringerNotches = StringerNotches(cut.notches, m.X1(), w.realScale);
    return in;
}

} // namespace

SceneInput Main::sceneInput() const {
    SceneInput in = sceneInputOf(session_.samples(), session_.work(), session_.doublingDrawn(),
                                 session_.currentCut());
    if (builtDepth_)
        in.partDepth = *builtDepth_;
    return in;
}

void Main::RebuildFormerMesh(int mode) {
    // A doubling that comes or goes (a constant width the former can hold or not), or notches
    // that change its number of points, change the part's faces: it is built anew.
    const int intervals = OutlineIntervals(sceneInput());
    if (partHasDoubling_ != session_.doublingDrawn() || partIntervals_ != intervals)
        mode = 1;
    if (mode == 1) {
        partHasDoubling_ = session_.doublingDrawn();
        partIntervals_ = intervals;
    }
    if (frm3D_) {
        frm3D_->setPart(sceneInput());
        frm3D_->RebuildFormerMesh(mode);
    }
    emit formerMeshRebuilt(mode == 1 ? 1 : 0);
}

void Main::feedFuselage() {
    if (!frm3D_)
        return;
    const std::vector<EditorSession::SampledFormer> formers = session_.fuselage();
    std::vector<FuselageFormer> fuselage;
    fuselage.reserve(formers.size());
    for (const EditorSession::SampledFormer& s : formers) {
        FuselageFormer f;
        f.station = s.station;
        f.current = s.current;
        f.name = s.name;
        f.W = f.H = s.unitMm;
        if (!s.current)
            f.input = sceneInputOf(*s.samples, *s.work, s.doublingDrawn, *s.cut);
        fuselage.push_back(f);
    }
    frm3D_->setFuselage(fuselage);
}

void Main::refreshFuselage() {
    if (frm3D_ && frm3D_->fuselageShown())
        feedFuselage();
}

void Main::show3DView() {
    const View& v = session_.view();
    frm3D_->applyViewSettings({v.view3dShown, v.viewPiece, v.renderMode, v.specular, v.attenuation,
                               v.yaw, v.pitch, v.distance, v.fuselageShown, v.fuselageOrbitKept,
                               v.fuselageYaw, v.fuselagePitch, v.fuselageDistance});
}

void Main::Vue3D_Click() {
    frm3D_->setVisible(!frm3D_->isVisible());
    show(session_.setView3D(editorState().view));
}

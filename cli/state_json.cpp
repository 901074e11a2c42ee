#include "state_json.h"

#include "editor/main.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "view3d/frm3d.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QUndoStack>

namespace {

QJsonArray points(const std::vector<PointXYZ>& pts) {
    QJsonArray a;
    for (const PointXYZ& p : pts)
        a.append(QJsonArray{p.x, p.y});
    return a;
}

QString slotWord(SlotKind kind) {
    return kind == SlotKind::Keel    ? QStringLiteral("keel")
           : kind == SlotKind::Spine ? QStringLiteral("spine")
                                     : QStringLiteral("crutch");
}

// A former's notches: each one cut, with its side and its centre on the outline (real mm from
// the axes), then each row left out with its refusal.
QJsonArray notchesState(const CutOutline& cut) {
    QJsonArray a;
    for (const CutNotch& n : cut.notches.cut) {
        const char* side = n.side == NotchSide::Right  ? "droit"
                           : n.side == NotchSide::Left ? "gauche"
                                                       : "axe";
        QJsonObject o{{"name", QString::fromStdString(n.name)},
                      {"side", side},
                      {"centre", QJsonArray{n.centre.x, n.centre.y}},
                      {"inward", QJsonArray{n.inward.x, n.inward.y}},
                      {"width", n.width},
                      {"depth", n.depth}};
        if (n.slot)
            o["slot"] = slotWord(*n.slot);
        a.append(o);
    }
    for (const NotchRefusal& r : cut.notches.refused) {
        QJsonObject o{{"name", QString::fromStdString(r.name)},
                      {"refused", QString::fromStdString(r.text)}};
        if (r.slot)
            o["slot"] = slotWord(*r.slot);
        a.append(o);
    }
    return a;
}

QJsonArray handles(const std::vector<Handle>& hs) {
    QJsonArray a;
    for (const Handle& h : hs) {
        a.append(QJsonObject{{"left", h.Left},
                             {"top", h.Top},
                             {"tag", QString::fromStdString(h.Tag)},
                             {"visible", h.Visible}});
    }
    return a;
}

// The control's own Enabled property: a control inside a disabled frame keeps its own.
bool ownEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

// Shown to the user: neither the control nor a container of it is hidden (a page of the tab
// that is not in front is).
bool shown(const QWidget* w) {
    return w->isVisibleTo(w->window());
}

QJsonObject slider(const QSlider* s) {
    return {{"value", s->value()},
            {"min", s->minimum()},
            {"max", s->maximum()},
            {"enabled", ownEnabled(s)},
            {"visible", shown(s)}};
}

QJsonObject checkable(const QAbstractButton* b) {
    return {{"checked", b->isChecked()}, {"enabled", ownEnabled(b)}};
}

// The 3-D window: the former's mesh in model space as it shows it, and the session's view of it
// (the piece, the orbit camera, the render mode).
QJsonObject view3dState(const Frm3D& f, const View& v) {
    const PartMesh part = f.part();
    QJsonArray vertices;
    for (const Vector3& v : part.vertices)
        vertices.append(QJsonArray{double(v.x), double(v.y), double(v.z)});
    const QJsonObject mesh{{"index", part.index},
                           {"vertexCount", part.vertexCount},
                           {"faceCount", part.faceCount},
                           {"vertices", vertices}};
    return {{"visible", v.view3dShown},
            {"View_Piece", Frm3D::pieceNumber(v.viewPiece)},
            {"fuselage", v.fuselageShown},
            {"formerMesh", mesh},
            {"camera", QJsonObject{{"yaw", double(v.yaw)},
                                   {"pitch", double(v.pitch)},
                                   {"distance", double(v.distance)},
                                   {"renderMode", Frm3D::renderModeNumber(v.renderMode)}}}};
}

} // namespace

QJsonObject editorState(const Main& w) {
    const FormerModel& m = w.model();
    QJsonObject controls;
    controls["Hscroll1"] = slider(w.ui().Hscroll1);
    controls["Hscroll2"] = slider(w.ui().Hscroll2);
    controls["Hscroll3"] = slider(w.ui().Hscroll3);
    controls["Slider4"] = slider(w.ui().Slider4);
    controls["Slider5"] = slider(w.ui().Slider5);
    controls["Slider6"] = slider(w.ui().Slider6);
    controls["Slider1"] = slider(w.ui().Slider1);
    controls["Slider2"] = slider(w.ui().Slider2);
    controls["Slider3"] = slider(w.ui().Slider3);
    controls["T_EP"] = w.ui().T_EP->text();
    controls["T_H"] = w.ui().T_H->text();
    controls["T_L"] = w.ui().T_L->text();
    controls["Check4"] = checkable(w.ui().Check4);
    controls["chkEndsOnAxis"] = checkable(w.ui().chkEndsOnAxis);
    const QRadioButton* options[] = {w.ui().Option1, w.ui().Option2, w.ui().Option3, w.ui().Option4,
                                     w.ui().Option5, w.ui().Option6, w.ui().Option7};
    for (int i = 0; i < 7; ++i)
        controls[QStringLiteral("Option%1").arg(i + 1)] = checkable(options[i]);
    const std::pair<const char*, const QGroupBox*> frames[] = {{"Frame2", w.ui().Frame2},
                                                               {"Frame4", w.ui().Frame4},
                                                               {"Frame6", w.ui().Frame6},
                                                               {"Frame8", w.ui().Frame8},
                                                               {"Frame9", w.ui().Frame9}};
    for (const auto& [name, frame] : frames)
        controls[name] = QJsonObject{{"enabled", ownEnabled(frame)}, {"visible", shown(frame)}};
    controls["Label6"] =
        QJsonObject{{"caption", w.ui().Label6->text()}, {"visible", !w.ui().Label6->isHidden()}};
    controls["Text3"] = w.ui().Text3->text();
    controls["txtHoriz"] = w.ui().txtHoriz->text();
    controls["txtVert"] = w.ui().txtVert->text();
    controls["txtZoom"] = w.ui().txtZoom->text();
    controls["lblZoom"] = w.ui().lblZoom->text();
    controls["lblX"] = w.ui().lblX->text();
    controls["lblY"] = w.ui().lblY->text();
    // The coordinate boxes hide while the picture shows; their keys above stay their text.
    controls["lblXState"] =
        QJsonObject{{"enabled", ownEnabled(w.ui().lblX)}, {"visible", shown(w.ui().lblX)}};
    controls["lblYState"] =
        QJsonObject{{"enabled", ownEnabled(w.ui().lblY)}, {"visible", shown(w.ui().lblY)}};
    controls["Label4"] = QJsonObject{{"caption", w.ui().Label4->text()},
                                     {"enabled", ownEnabled(w.ui().Label4)},
                                     {"visible", shown(w.ui().Label4)}};
    controls["Command4"] = QJsonObject{{"tag", w.ui().Command4->property("tag").toString()},
                                       {"enabled", ownEnabled(w.ui().Command4)},
                                       {"visible", shown(w.ui().Command4)}};
    controls["SSTab1"] =
        QJsonObject{{"tab", w.ui().SSTab1->currentIndex()},
                    {"caption", w.ui().SSTab1->tabText(w.ui().SSTab1->currentIndex())}};
    QJsonObject tags;
    for (int i : Main::pb1Indices())
        tags[QString::number(i)] = w.pb1Tag(i);
    controls["pb1"] = tags;
    // Where every control of the window is, in pixels of its container. A control whose entry
    // is its text has its geometry beside it, under NAME.geometry.
    for (const QWidget* c : w.Elastic().controls()) {
        const QRect g = c->geometry();
        const QJsonArray geometry{g.left(), g.top(), g.width(), g.height()};
        const QString name = c->objectName();
        if (controls.value(name).isString()) {
            controls[name + ".geometry"] = geometry;
        } else {
            QJsonObject o = controls.value(name).toObject();
            o["geometry"] = geometry;
            controls[name] = o;
        }
    }

    QJsonObject s;
    s["surface"] = QJsonObject{{"ScaleWidth", w.ui().Picture1->ScaleWidth()},
                               {"ScaleHeight", w.ui().Picture1->ScaleHeight()},
                               {"X1", m.X1()},
                               {"Y1", m.Y1()},
                               {"viewScale", w.ui().Picture1->viewScale()},
                               {"viewZoom", w.session().view().viewZoom},
                               {"viewCentre", QJsonArray{w.session().view().viewCentre.x,
                                                         w.session().view().viewCentre.y}}};
    const QSize outer = w.frameGeometry().size();
    const QSize minimum = w.Elastic().minimumOuterSize();
    s["window"] = QJsonObject{{"width", outer.width()},
                              {"height", outer.height()},
                              {"minWidth", minimum.width()},
                              {"minHeight", minimum.height()},
                              {"tab", w.ui().SSTab1->currentIndex()}};
    s["Nb_Points"] = m.Nb_Points;
    s["Ordre_Spline"] = m.Ordre_Spline;
    s["Idx_Point"] = m.Idx_Point;
    s["Pts_Couple"] = points(m.Pts_Couple);
    s["Pts_Doublage"] = points(m.Pts_Doublage);
    s["Courbe_Droite"] = points(m.Courbe_Droite);
    s["Courbe_Gauche"] = points(m.Courbe_Gauche);
    s["Doublage_Droit"] = points(m.Doublage_Droit);
    s["Doublage_Gauche"] = points(m.Doublage_Gauche);
    s["shppi"] = handles(m.shppi);
    s["Shape1"] = handles(m.Shape1);
    s["controls"] = controls;
    s["Chosen_File"] = w.Chosen_File();
    s["PicturePath"] = w.PicturePath();
    s["picture"] = QJsonObject{{"on", w.session().view().pictureShown},
                               {"width", w.ps().width()},
                               {"height", w.ps().height()}};
    s["project"] = QJsonObject{{"file", w.projectFile()}, {"modified", w.session().modified()}};
    const Work& work = w.session().work();
    s["doubling"] = QJsonObject{
        {"mode", work.doublingMode == DoublingMode::ConstantWidth ? "constante" : "proportionnel"},
        {"width", work.doublingWidth},
        {"drawn", w.session().doublingDrawn()}};
    s["realScale"] = work.realScale;
    s["calibrated"] = work.calibrated;
    s["status"] = w.statusText();
    s["statusPassing"] = w.statusPassing();
    s["statusLasting"] = w.statusLasting();
    QJsonArray formers;
    for (int i = 0; i < static_cast<int>(w.session().formers().size()); ++i) {
        const Former& f = *w.session().formers()[std::size_t(i)];
        QJsonObject o{{"name", QString::fromStdString(f.name)},
                      {"station", f.station},
                      {"follows", f.follows},
                      {"notches", notchesState(w.session().formerCut(i))}};
        // Real mm, measured from its sampled outline; none for an outline that is not drawn.
        if (const std::optional<FormerMeasure> m = w.session().measure(i)) {
            o["top"] = m->top;
            o["bottom"] = m->bottom;
            o["halfWidth"] = m->halfWidth;
        }
        formers.append(o);
    }
    const NotchTable& table = w.session().notchTable();
    QJsonArray stringers;
    for (const Stringer& st : table.stringers)
        stringers.append(QJsonObject{{"name", QString::fromStdString(st.name)},
                                     {"place", st.place},
                                     {"width", st.width},
                                     {"depth", st.depth},
                                     {"bothSides", st.bothSides}});
    s["stringers"] = stringers;
    QJsonArray slotRows;
    for (const Slot& sl : table.slotList) {
        QJsonObject o{{"kind", slotWord(sl.kind)}, {"width", sl.width}, {"depth", sl.depth}};
        if (sl.kind == SlotKind::Crutch)
            o["height"] = sl.height;
        slotRows.append(o);
    }
    s["slots"] = slotRows;
    QJsonObject views;
    for (CurveKind kind : kCurveKinds) {
        QJsonArray points;
        for (const CurvePoint& p : w.session().fuselageWork().curves.curve(kind))
            points.append(QJsonArray{p.station, p.value});
        const std::string_view name = CurveName(kind);
        views[QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower()] =
            points;
    }
    s["fuselageViews"] = views;
    s["formers"] = QJsonObject{
        {"current",
         QString::fromStdString(w.session().formers()[std::size_t(w.session().current())]->name)},
        {"list", formers}};
    s["undo"] = QJsonObject{{"count", w.session().history().count()},
                            {"index", w.session().history().index()}};
    if (w.frm3D())
        s["view3d"] = view3dState(*w.frm3D(), w.session().view());
    return s;
}

// The fuselage from its side and top views, without any window: the formers that follow, the
// plan's picture and what is refused (the designer's whole job and the fairness check run
// through the script front-end in tests/cli).
#include "session/editor_session.h"
#include "session/project_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using RealPoints = std::vector<std::pair<double, double>>; // x from the axis, y up, real mm

// A round former, and a smaller one with its widest point lower down.
const RealPoints kRound = {{0, 40},   {15, 40},  {25, 30}, {28, 10}, {28, -5},
                           {25, -20}, {15, -30}, {5, -32}, {0, -32}};
const RealPoints kPear = {{0, 30},   {8, 30},   {14, 22}, {18, 8}, {22, -8},
                          {23, -18}, {16, -24}, {6, -26}, {0, -26}};

// Nine points of "Dos" over the fuselage, so that one point's span covers only part of it.
const char* const kDos = "0,30;60,40;120,46;180,50;240,52;300,50;360,45;420,36;500,25";
const char* const kVentre = "0,-20;150,-34;300,-32;500,-12";
const char* const kFlanc = "0,18;120,28;300,27;500,10";

std::vector<CurvePoint> typed(CurveKind kind, const char* text) {
    const CurvePointsReading r = ReadCurvePoints(kind, text);
    EXPECT_TRUE(r.ok()) << r.reason;
    return r.points;
}

// The edited former traced: each point pressed and its real coordinates typed, as a user does.
void trace(EditorSession& s, const RealPoints& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Handle& h = s.samples().shppi[i];
        s.press(1, static_cast<float>(h.Left), static_cast<float>(h.Top));
        SurfacePoint pointer;
        Changed changed = Changed::None;
        ASSERT_EQ(s.typePoint(points[i].first, points[i].second, pointer, changed), "") << i;
    }
}

void typeCurves(EditorSession& s) {
    Changed changed = Changed::None;
    const std::pair<CurveKind, const char*> curves[] = {
        {CurveKind::Dos, kDos}, {CurveKind::Ventre, kVentre}, {CurveKind::Flanc, kFlanc}};
    for (const auto& [kind, text] : curves)
        ASSERT_EQ(s.setCurve(kind, typed(kind, text), changed), "");
}

// A new former at `station` ("Nouveau", its station typed), following or not.
void addFormer(EditorSession& s, double station, bool follows) {
    std::string why;
    Changed changed = Changed::None;
    ASSERT_TRUE(s.addFormer(why, changed)) << why;
    ASSERT_TRUE(s.setStation(s.current(), station, why, changed)) << why;
    ASSERT_TRUE(s.setFollows(s.current(), follows, why, changed)) << why;
}

std::vector<Former> formersOf(const EditorSession& s) {
    return s.projectState().formers;
}

// A drag of a point of a former that follows makes it a key former, said in the status bar, in
// the step of the drag; undone, it follows again as it was. The followers whose blend it now
// enters follow it; the others stay as they were.
TEST(FuselageEdits, ADragMakesAFollowerAKeyFormer) {
    EditorSession s;
    typeCurves(s);
    trace(s, kRound);
    addFormer(s, 100.0, true);
    addFormer(s, 200.0, true);
    addFormer(s, 300.0, false);
    trace(s, kPear);
    addFormer(s, 400.0, true);
    s.selectFormer(2);
    const std::vector<Former> before = formersOf(s);
    const int steps = s.history().index();
    s.takeFollowed();

    const Handle& h = s.samples().shppi[4];
    s.beginGesture();
    s.press(1, static_cast<float>(h.Left), static_cast<float>(h.Top));
    s.dragTo(static_cast<float>(h.Left + 3.0), static_cast<float>(h.Top));
    s.dragTo(static_cast<float>(h.Left + 5.0), static_cast<float>(h.Top));
    s.endGesture();
    EXPECT_EQ(s.history().index(), steps + 1);
    EXPECT_FALSE(s.formers()[2]->follows);
    EXPECT_TRUE(s.takeFollowed() & Changed::Status);
    EXPECT_EQ(s.status(), "Le couple « F3 » ne suit plus le fuselage : c'est désormais un couple "
                          "clé, qui garde sa propre forme.");
    const std::vector<Former> after = formersOf(s);
    EXPECT_NE(after[1].work, before[1].work) << "F2 blends F1 with F3 now, not with F4";
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[3], before[3]);
    EXPECT_EQ(after[4], before[4]) << "F5, beyond the last key F4, keeps its shape alone";
    s.undo();
    EXPECT_EQ(formersOf(s), before);
}

// Nothing follows without curves or without a key former, and the check box says why; at a
// station where "Dos" is not above "Ventre" the former keeps its last outline, and the status
// bar says why once.
TEST(FuselageEdits, WhyAFormerCannotFollow) {
    EditorSession s;
    trace(s, kRound);
    addFormer(s, 100.0, true);
    const Work traced = s.formers()[1]->work;
    EXPECT_EQ(s.followRefusal(1), "Aucune courbe du fuselage : tracez « Dos », « Ventre » et "
                                  "« Flanc » dans la fenêtre « Fuselage ».");
    EXPECT_EQ(s.followRefusal(0), s.followRefusal(1));
    Changed changed = Changed::None;
    ASSERT_EQ(s.setCurve(CurveKind::Dos, typed(CurveKind::Dos, kDos), changed), "");
    EXPECT_EQ(s.followRefusal(1), "Courbes « Ventre » et « Flanc » absentes : tracez-les dans la "
                                  "fenêtre « Fuselage ».");
    typeCurves(s);
    EXPECT_EQ(s.followRefusal(1), "");
    EXPECT_NE(s.formers()[1]->work, traced);

    // Every former follows: none is a key former.
    std::string why;
    ASSERT_TRUE(s.setFollows(0, true, why, changed));
    EXPECT_NE(s.followRefusal(0).find("Aucun couple clé"), std::string::npos);
    ASSERT_TRUE(s.setFollows(0, false, why, changed));
    // A key former alone could not follow: no other key would lend it a shape.
    EXPECT_NE(s.followRefusal(0).find("Aucun couple clé"), std::string::npos);

    // "Ventre" raised above "Dos": F2 keeps its outline, and the status bar says why once.
    const Work placed = s.formers()[1]->work;
    s.takeFollowed();
    ASSERT_EQ(s.setCurve(CurveKind::Ventre, typed(CurveKind::Ventre, "0,60;500,60"), changed), "");
    EXPECT_EQ(s.formers()[1]->work, placed);
    const std::string told = s.followRefusal(1);
    EXPECT_EQ(told.rfind("À la station 100 mm, « Dos » (", 0), 0u) << told;
    EXPECT_NE(told.find("n'est pas au-dessus de « Ventre » (60 mm) : le couple garde son "
                        "dernier contour."),
              std::string::npos)
        << told;
    EXPECT_TRUE(s.takeFollowed() & Changed::Status);
    EXPECT_EQ(s.status(), told);
    ASSERT_EQ(s.setCurve(CurveKind::Flanc, typed(CurveKind::Flanc, "0,20;500,20"), changed), "");
    EXPECT_FALSE(s.takeFollowed() & Changed::Status) << "told once";
    EXPECT_EQ(s.formers()[1]->work, placed);
}

// What each edit of the window refuses, with its reason: nothing changes and no step is made.
TEST(FuselageEdits, RefusalsChangeNothing) {
    using View = EditorSession::PlanView;
    struct Row {
        const char* what;
        std::function<void(EditorSession&)> setUp; // where the refusal applies
        std::function<std::string(EditorSession&, Changed&)> edit;
        const char* words; // in the reason
    };
    auto sidePicture = [](EditorSession& s) { s.choosePlanPicture(View::Side, "plan.png", 300); };
    const Row rows[] = {
        {"one point", nullptr,
         [](EditorSession& s, Changed& c) {
             return s.setCurve(CurveKind::Dos, {{0, 1}}, c);
         },
         "« Dos » : 1 point ; une courbe en a de 2 à 30."},
        {"a point typed past its neighbour", nullptr,
         [](EditorSession& s, Changed& c) {
             return s.typeCurvePoint(CurveKind::Dos, 1, {700.0, 40.0}, c);
         },
         "« Dos », point 3 : la station 120 ne dépasse pas celle du point 2 (700)"},
        {"a point on a curve not drawn", nullptr,
         [](EditorSession& s, Changed& c) {
             int at = -1;
             return s.addCurvePoint(CurveKind::Flanc, 50.0, at, c);
         },
         "« Flanc » : aucun point"},
        {"the last two points",
         [](EditorSession& s) {
             Changed c = Changed::None;
             s.setCurve(CurveKind::Ventre, {{0, -1}, {10, -2}}, c);
         },
         [](EditorSession& s, Changed& c) { return s.removeCurvePoint(CurveKind::Ventre, 0, c); },
         "« Ventre » garde au moins 2 points."},
        {"curves through one former", nullptr,
         [](EditorSession& s, Changed& c) { return s.fitCurves(c); },
         "« Courbes par les couples » demande au moins deux couples"},
        {"a calibration without picture", nullptr,
         [](EditorSession& s, Changed& c) {
             return s.calibratePlanPicture(View::Top, {0, 0}, {10, 0}, 100.0, c);
         },
         "Aucune image sous la vue de dessus : calibration annulée."},
        {"a calibration on one point", sidePicture,
         [](EditorSession& s, Changed& c) {
             return s.calibratePlanPicture(View::Side, {5, 5}, {5, 5}, 100.0, c);
         },
         "Les deux points sont confondus : calibration annulée."},
        {"a calibration beyond the scales", sidePicture,
         [](EditorSession& s, Changed& c) {
             return s.calibratePlanPicture(View::Side, {0, 0}, {1, 0}, 1e9, c);
         },
         "Échelle hors de l'intervalle 0,0001..1000 mm par pixel : calibration annulée."},
        {"a picture placed beyond the curves' reach", nullptr,
         [](EditorSession& s, Changed& c) {
             return s.placePlanPicture(View::Side, 2e6, 0.0, 1.0, c);
         },
         "Position hors de -1000000..1000000 mm."},
        {"a picture scaled to nothing", nullptr,
         [](EditorSession& s, Changed& c) {
             return s.placePlanPicture(View::Top, 0.0, 0.0, 0.0, c);
         },
         "Échelle hors de l'intervalle 0,0001..1000 mm par pixel."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EditorSession s;
        Changed c = Changed::None;
        ASSERT_EQ(s.setCurve(CurveKind::Dos, typed(CurveKind::Dos, kDos), c), "");
        ASSERT_EQ(s.setCurve(CurveKind::Ventre, typed(CurveKind::Ventre, kVentre), c), "");
        if (row.setUp)
            row.setUp(s);
        const ProjectState before = s.projectState();
        const int steps = s.history().count();
        c = Changed::None;
        const std::string why = row.edit(s, c);
        EXPECT_NE(why.find(row.words), std::string::npos) << why;
        EXPECT_EQ(c, Changed::None);
        EXPECT_EQ(s.projectState(), before);
        EXPECT_EQ(s.history().count(), steps);
    }
}

// The plan's picture: chosen at a millimetre a pixel with its middle on the datum, calibrated
// about the first click, moved by a drag in one step, placed by hand (no longer calibrated).
TEST(FuselageEdits, ThePlansPictureIsCalibratedAboutTheFirstClick) {
    using View = EditorSession::PlanView;
    EditorSession s;
    s.choosePlanPicture(View::Side, "cote.png", 400);
    EXPECT_EQ(s.planPicture(View::Side), (PlanPicture{"cote.png", 0.0, 200.0, 1.0, false}));
    Changed c = Changed::None;
    // Pixels (100, 50) and (300, 50) are 200 pixels apart: typed 500 mm, 2.5 mm a pixel.
    ASSERT_EQ(s.calibratePlanPicture(View::Side, {100.0, 150.0}, {300.0, 150.0}, 500.0, c), "");
    const PlanPicture p = s.planPicture(View::Side);
    EXPECT_DOUBLE_EQ(p.mmPerPixel, 2.5);
    EXPECT_TRUE(p.calibrated);
    EXPECT_DOUBLE_EQ(p.left + 100.0 * p.mmPerPixel, 100.0) << "the first click stays";
    EXPECT_DOUBLE_EQ(p.top - 50.0 * p.mmPerPixel, 150.0);
    EXPECT_EQ(s.status(), "Vue de côté : 1 pixel de l'image = 2,5 mm réels");
    const int steps = s.history().index();
    s.beginGesture();
    s.movePlanPicture(View::Side, 10.0, -5.0);
    s.movePlanPicture(View::Side, 2.0, 1.0);
    s.endGesture();
    EXPECT_EQ(s.history().index(), steps + 1);
    EXPECT_DOUBLE_EQ(s.planPicture(View::Side).left, p.left + 12.0);
    EXPECT_DOUBLE_EQ(s.planPicture(View::Side).top, p.top - 4.0);
    EXPECT_TRUE(s.planPicture(View::Side).calibrated) << "moved, not scaled";
    ASSERT_EQ(s.placePlanPicture(View::Side, 0.0, 100.0, 2.0, c), "");
    EXPECT_FALSE(s.planPicture(View::Side).calibrated);
    EXPECT_EQ(s.planPicture(View::Top), PlanPicture{}) << "each view has its own";
}

} // namespace

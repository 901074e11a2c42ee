// The edits of the former, without any window: each rule of the work once, the step each edit
// makes and what it says changed.
#include "session/editor_session.h"
#include "session/work_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

// The part of the work a row looks at, and the step the edit made.
struct Row {
    const char* what;
    std::function<void(EditorSession&)> before; // brings the session where the rule applies
    std::function<Changed(EditorSession&)> edit;
    const char* step; // the step's name in "&Edition", nullptr: no step
    Changed shows;    // what the windows must show at least
    std::function<void(const EditorSession&)> expect;
};

void doublingOn(EditorSession& s) {
    s.setDoublingOn(true);
}

// The former's point 4 (the widest) moved by a drag to x, y of the drawing.
Changed dragPoint4(EditorSession& s, float x, float y) {
    const FormerModel& m = s.samples();
    s.beginGesture();
    s.press(1, static_cast<float>(m.shppi[4].Left), static_cast<float>(m.shppi[4].Top));
    const Changed c = s.dragTo(x, y);
    s.endGesture();
    return c;
}

// The former's end point 0 (the top) dragged to x, y of the drawing.
Changed dragTop(EditorSession& s, float x, float y) {
    const FormerModel& m = s.samples();
    s.beginGesture();
    s.press(1, static_cast<float>(m.shppi[0].Left), static_cast<float>(m.shppi[0].Top));
    const Changed c = s.dragTo(x, y);
    s.endGesture();
    return c;
}

// Twice the largest distance from a doubling sample to the former's outline, and the smallest.
std::pair<double, double> ringWidths(const FormerModel& m) {
    double least = 1e9, most = 0.0;
    for (const PointXYZ& d : m.Doublage_Droit) {
        double nearest = 1e9;
        for (std::size_t j = 0; j + 1 < m.Courbe_Droite.size(); ++j) {
            const PointXYZ& a = m.Courbe_Droite[j];
            const PointXYZ& b = m.Courbe_Droite[j + 1];
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double len2 = dx * dx + dy * dy;
            const double t =
                len2 > 0 ? std::clamp(((d.x - a.x) * dx + (d.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
            nearest = std::min(nearest, std::hypot(a.x + t * dx - d.x, a.y + t * dy - d.y));
        }
        least = std::min(least, nearest);
        most = std::max(most, nearest);
    }
    return {least, most};
}

TEST(FormerEdits, EachRuleOfTheWorkOnce) {
    const Row rows[] = {
        {"a joint raises the samples to 16, and they stay 16 at least", doublingOn,
         [](EditorSession& s) { return s.setJoint(AssemblyJoint::Horizontal); },
         "choisir l'assemblage « Horizontal »", Changed::Part | Changed::Outline,
         [](const EditorSession& s) {
             EXPECT_EQ(s.work().sampleCount, kJointSamples);
             EXPECT_EQ(s.samples().Courbe_Droite.size(), 16u);
         }},
        {"with a joint, fewer samples are not taken",
         [](EditorSession& s) {
             s.setDoublingOn(true);
             s.setJoint(AssemblyJoint::Vertical);
         },
         [](EditorSession& s) { return s.setSampleCount(12); }, nullptr, Changed::Settings,
         [](const EditorSession& s) { EXPECT_EQ(s.work().sampleCount, 16); }},
        {"samples within 10..100", nullptr, [](EditorSession& s) { return s.setSampleCount(500); },
         "régler « Nbre de Points »", Changed::Part,
         [](const EditorSession& s) { EXPECT_EQ(s.samples().Nb_Points, 100); }},
        {"the order slider is the order in use", nullptr,
         [](EditorSession& s) { return s.setOrder(3); }, "régler « Résolution »", Changed::Outline,
         [](const EditorSession& s) {
             EXPECT_EQ(s.work().orderInUse, 3);
             EXPECT_EQ(s.samples().Ordre_Spline, 3);
         }},
        {"a doubling put on starts as the former scaled by its tenths, its controls following",
         nullptr, [](EditorSession& s) { return s.setDoublingOn(true); }, "mettre le doublage",
         Changed::Part | Changed::Handles,
         [](const EditorSession& s) {
             const FormerModel& m = s.samples();
             EXPECT_EQ(s.work().doublingControls, DoublingControls::FollowDoubling);
             for (std::size_t i = 0; i < m.Pts_Doublage.size(); ++i)
                 EXPECT_DOUBLE_EQ(m.Pts_Doublage[i].x, m.X1() + 0.5 * (m.shppi[i].Left - m.X1()));
             EXPECT_TRUE(s.doublingDrawn());
         }},
        {"without a doubling the mouse acts on the former, slaved",
         [](EditorSession& s) {
             s.setDoublingOn(true);
             s.setSlaved(false);
             s.setMouseAction(MouseAction::Doubling);
         },
         [](EditorSession& s) { return s.setDoublingOn(false); }, "retirer le doublage",
         Changed::Handles,
         [](const EditorSession& s) {
             EXPECT_TRUE(s.work().slaved);
             EXPECT_EQ(s.work().mouseAction, MouseAction::Former);
             EXPECT_TRUE(s.view().formerHandlesShown);
             EXPECT_FALSE(s.view().doublingHandlesShown);
         }},
        {"decoupling without a doubling leaves it slaved", nullptr,
         [](EditorSession& s) { return s.setSlaved(false); }, "découpler le doublage",
         Changed::Settings,
         [](const EditorSession& s) {
             EXPECT_TRUE(s.work().slaved);
             EXPECT_EQ(s.work().doublingControls, DoublingControls::LabelUpdated);
         }},
        {"the mouse acts on the doubling only while it is decoupled", doublingOn,
         [](EditorSession& s) { return s.setMouseAction(MouseAction::Doubling); }, nullptr,
         Changed::None,
         [](const EditorSession& s) { EXPECT_EQ(s.work().mouseAction, MouseAction::Former); }},
        {"the doubling's scale places it again", doublingOn,
         [](EditorSession& s) { return s.setDoublingScale(9); }, "régler « Epaisseur »",
         Changed::Outline,
         [](const EditorSession& s) {
             const FormerModel& m = s.samples();
             EXPECT_DOUBLE_EQ(m.Pts_Doublage[4].x, m.X1() + 0.9 * (m.shppi[4].Left - m.X1()));
         }},
        {"a constant width is real millimetres: the real scale makes it another offset",
         [](EditorSession& s) {
             s.setDoublingOn(true);
             s.setDoublingMode(DoublingMode::ConstantWidth);
         },
         [](EditorSession& s) { return s.setRealScale(2.0); }, "régler l'échelle",
         Changed::Outline | Changed::Fuselage,
         [](const EditorSession& s) {
             const auto [least, most] = ringWidths(s.samples());
             EXPECT_NEAR(least, 2.5, 0.01);
             EXPECT_NEAR(most, 2.5, 0.01);
             EXPECT_FALSE(s.work().calibrated);
         }},
        {"a proportional doubling does not depend on the real scale", doublingOn,
         [](EditorSession& s) { return s.setRealScale(2.0); }, "régler l'échelle",
         Changed::Fuselage, [](const EditorSession& s) { EXPECT_EQ(s.work().realScale, 2.0); }},
        {"a width the former cannot hold is refused, told, and nothing changes",
         [](EditorSession& s) {
             s.setDoublingOn(true);
             s.setDoublingMode(DoublingMode::ConstantWidth);
         },
         [](EditorSession& s) {
             Changed c = Changed::None;
             const std::string why = s.setDoublingWidth(80.0, c);
             EXPECT_NE(why.find("plus petite largeur intérieure"), std::string::npos) << why;
             return c;
         },
         nullptr, Changed::None,
         [](const EditorSession& s) { EXPECT_EQ(s.work().doublingWidth, 5.0); }},
        {"a pin at a point makes the outline run straight through it", nullptr,
         [](EditorSession& s) {
             const FormerModel& m = s.samples();
             return s.press(2, float(m.shppi[3].Left), float(m.shppi[3].Top));
         },
         "épingler le point 3", Changed::Outline | Changed::Handles,
         [](const EditorSession& s) {
             EXPECT_TRUE(s.work().former[3].pinned);
             EXPECT_EQ(s.work().doublingControls, DoublingControls::FollowDoubling);
         }},
        {"a point dragged left of the axis stays on it", nullptr,
         [](EditorSession& s) { return dragPoint4(s, 10.0f, 40.0f); }, "déplacer le point 4",
         Changed::Outline,
         [](const EditorSession& s) {
             EXPECT_EQ(s.work().former[4].at.x, s.samples().X1());
             EXPECT_EQ(s.work().former[4].at.y, 40.0);
         }},
        {"the option holds the end points from then on, where they are",
         [](EditorSession& s) { dragTop(s, 70.0f, 12.5f); },
         [](EditorSession& s) { return s.setEndsOnAxis(true); }, "garder les extrémités sur l'axe",
         Changed::Settings,
         [](const EditorSession& s) {
             EXPECT_TRUE(s.work().endsOnAxis);
             EXPECT_EQ(s.work().former[0].at, (SurfacePoint{70.0, 12.5}));
         }},
        {"without it, an end point leaves the axis", nullptr,
         [](EditorSession& s) { return dragTop(s, 70.0f, 12.5f); }, "déplacer le point 0",
         Changed::Outline,
         [](const EditorSession& s) { EXPECT_EQ(s.work().former[0].at.x, 70.0); }},
        {"the part is built anew on the thickness it has",
         [](EditorSession& s) { s.moveDimension(EditorSession::Dimension::Thickness, 30); },
         [](EditorSession& s) { return s.setOrder(5); }, "régler « Résolution »", Changed::Outline,
         [](const EditorSession& s) { EXPECT_EQ(s.work().thicknessBuilt, 30); }},
        {"a dimension moves against the value last applied",
         [](EditorSession& s) {
             s.beginGesture(); // a drag of the slider's thumb: a step of its own
             s.moveDimension(EditorSession::Dimension::Height, 80);
             s.endGesture();
         },
         [](EditorSession& s) { return s.moveDimension(EditorSession::Dimension::Height, 40); },
         "régler la hauteur de la pièce", Changed::Dimensions,
         [](const EditorSession& s) {
             EXPECT_EQ(s.lastPartMove().height, 0.5);
             EXPECT_EQ(s.work().height.applied, 40);
             EXPECT_EQ(s.work().thicknessBuilt, 5) << "the part is not built anew";
         }},
        {"a point typed in real millimetres lands on the drawing",
         [](EditorSession& s) {
             s.setRealScale(2.0);
             const FormerModel& m = s.samples();
             s.press(1, float(m.shppi[4].Left), float(m.shppi[4].Top));
         },
         [](EditorSession& s) {
             SurfacePoint pointer;
             Changed c = Changed::None;
             EXPECT_EQ(s.typePoint(40.0, -10.0, pointer, c), "");
             return c;
         },
         "déplacer le point 4", Changed::Outline,
         [](const EditorSession& s) {
             EXPECT_DOUBLE_EQ(s.pickedPointReal().x, 40.0);
             EXPECT_DOUBLE_EQ(s.pickedPointReal().y, -10.0);
         }},
        {"a point the drawing cannot hold at this scale is refused",
         [](EditorSession& s) { s.setRealScale(0.005); },
         [](EditorSession& s) {
             SurfacePoint pointer;
             Changed c = Changed::None;
             EXPECT_NE(s.typePoint(5000.0, 0.0, pointer, c).find("zone de dessin"),
                       std::string::npos);
             return c;
         },
         nullptr, Changed::None,
         [](const EditorSession& s) { EXPECT_LE(s.work().former[0].at.x, kDrawingReach); }},
        {"a calibration outside the scale's range is refused", nullptr,
         [](EditorSession& s) {
             Changed c = Changed::None;
             EXPECT_EQ(s.calibrate({20, 30}, {20, 30.001}, 99999.0, c),
                       "Échelle hors de l'intervalle 0,001..1000 : calibration annulée.");
             EXPECT_NE(s.calibrationRefusal({5, 5}, {5, 5}), "");
             return c;
         },
         nullptr, Changed::None,
         [](const EditorSession& s) { EXPECT_EQ(s.work().realScale, 1.0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EditorSession s;
        if (row.before)
            row.before(s);
        const int steps = s.history().index();
        const Changed c = row.edit(s);
        const auto bits = static_cast<unsigned>(row.shows);
        EXPECT_EQ(static_cast<unsigned>(c) & bits, bits) << static_cast<unsigned>(c);
        if (row.step) {
            EXPECT_EQ(s.history().index(), steps + 1);
            EXPECT_EQ(s.history().undoCaption(), row.step);
        } else {
            EXPECT_EQ(s.history().index(), steps);
        }
        row.expect(s);
    }
}

// A gesture is one step however many changes it makes; back where it started, none. Key steps
// on one slider merge, a press on it starts a step of its own.
TEST(FormerEdits, AGestureIsOneStepAndKeysOnOneSliderMerge) {
    EditorSession s;
    const Work start = s.work();
    const FormerModel& m = s.samples();
    s.beginGesture();
    s.press(1, float(m.shppi[4].Left), float(m.shppi[4].Top));
    for (const float x : {90.0f, 95.0f, 99.0f})
        s.dragTo(x, 50.0f);
    s.endGesture();
    EXPECT_EQ(s.history().count(), 1);
    EXPECT_EQ(s.history().undoCaption(), "déplacer le point 4");
    s.beginGesture();
    s.press(1, float(m.shppi[4].Left), float(m.shppi[4].Top));
    s.dragTo(80.0f, 40.0f);
    s.dragTo(99.0f, 50.0f); // back where the gesture started
    s.endGesture();
    EXPECT_EQ(s.history().count(), 1);

    for (const int v : {20, 21, 22})
        s.setSampleCount(v);
    EXPECT_EQ(s.history().count(), 2) << "keys on one slider";
    s.setSampleCount(13);
    EXPECT_EQ(s.history().count(), 1) << "merged back to where it started, the step goes";
    s.beginGesture();
    for (const int v : {20, 40})
        s.setSampleCount(v);
    s.endGesture();
    s.setSampleCount(41);
    EXPECT_EQ(s.history().count(), 3) << "a thumb's drag is its own step";

    while (s.history().canUndo())
        s.undo();
    EXPECT_EQ(s.work(), start);
}

// The rules of the work, as the project reader applies them: each broken alone is named.
TEST(FormerEdits, NormaliseNamesTheRuleItApplies) {
    const struct {
        std::function<void(Work&)> spoil;
        const char* field;
    } rows[] = {
        {[](Work& w) {
             w.joint = AssemblyJoint::Vertical;
             w.sampleCount = 15;
         },
         "former.sampleCount"},
        {[](Work& w) { w.slaved = false; }, "doubling.slaved"},
        {[](Work& w) {
             w.doublingOn = true;
             w.doublingControls = DoublingControls::LabelUpdated;
         },
         "doubling.controls"},
        {[](Work& w) {
             w.doublingOn = true;
             w.doublingControls = DoublingControls::FollowDoubling;
             w.mouseAction = MouseAction::Doubling;
         },
         "mouseAction"},
    };
    for (const auto& row : rows) {
        Work w = EditorSession().work();
        row.spoil(w);
        const std::optional<BrokenRule> broken = normalise(w);
        ASSERT_TRUE(broken.has_value()) << row.field;
        EXPECT_EQ(broken->field, row.field);
        Work again = w;
        EXPECT_FALSE(normalise(again).has_value()) << "once applied, the rules hold";
        EXPECT_EQ(again, w);
    }
}

} // namespace

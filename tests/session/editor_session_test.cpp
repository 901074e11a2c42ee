// The editor session without any window: undo and redo of whole works, the modified marker,
// and project files saved, opened and refused.
#include "session/editor_session.h"
#include "session/former_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A session started as the editor starts, in a scratch folder of its own.
class Session : public ::testing::Test {
protected:
    void SetUp() override {
        std::string templ = (fs::temp_directory_path() / "session-XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        dir = templ;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }

    // One change of the work a user could make: a point moved or pinned, a setting changed.
    void change(std::mt19937& rng) {
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        const FormerModel& m = s.samples();
        switch (pick(0, 5)) {
        case 0: {
            // An end point held on the axis moves only up and down, wherever it is dragged.
            const Handle& h = m.shppi[static_cast<std::size_t>(pick(0, 8))];
            s.beginGesture();
            s.press(1, float(h.Left), float(h.Top));
            s.dragTo(float(h.Left + pick(1, 9)), float(h.Top + pick(-3, 3)));
            s.endGesture();
            const int i = m.Idx_Point;
            if (s.work().endsOnAxis && (i == 0 || i == 8)) {
                EXPECT_EQ(s.work().former[std::size_t(i)].at.x, m.X1());
            }
            break;
        }
        case 4:
            s.setEndsOnAxis(pick(0, 1));
            break;
        case 1: {
            const Handle& h = m.shppi[static_cast<std::size_t>(pick(1, 7))];
            s.press(2, float(h.Left), float(h.Top));
            break;
        }
        case 2:
            s.setDoublingScale(pick(1, 9));
            break;
        case 3:
            s.moveDimension(EditorSession::Dimension::Thickness, pick(1, 120));
            break;
        default:
            s.setPictureZoom(pick(-20, 200));
            break;
        }
    }

    fs::path dir;
    EditorSession s;
};

// A random session over several formers: the list's operations (each one step) mixed with
// changes of the former being edited and changes of former (no step). Undone to the start and
// redone to the end, every step gives back the formers recorded there and the former that was
// edited; saved and opened again, the project is the same.
TEST_F(Session, UndoingEveryStepOfSeveralFormersGivesBackTheStartAndRedoingThemTheEnd) {
    std::mt19937 rng(20261206u);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    std::vector<ProjectState> recorded{s.projectState()};
    std::vector<int> editedBefore{0}; // the former edited when each step was made
    std::string why;
    Changed changed = Changed::None;
    for (int i = 0; i < 400; ++i) {
        const int count = static_cast<int>(s.formers().size());
        const int edited = s.current();
        const int any = pick(0, count - 1);
        bool step = false;
        switch (pick(0, 13)) {
        case 0: {
            // The first name of the F1, F2, ... series no former has.
            std::string first;
            for (int k = 1; first.empty(); ++k) {
                first = "F" + std::to_string(k);
                for (const auto& f : s.formers())
                    if (f->name == first)
                        first.clear();
            }
            step = s.addFormer(why, changed);
            if (step) {
                EXPECT_EQ(s.formers()[std::size_t(s.current())]->name, first);
            }
            break;
        }
        case 1:
            step = s.duplicateFormer(any, why, changed);
            break;
        case 2: {
            // Names at the rule's edges among plain ones: forty characters (which "Dupliquer"
            // and a free name must keep to), one more, a blank, a control character.
            const std::string names[] = {"C" + std::to_string(i),
                                         std::string(39, 'L') + std::to_string(i % 10),
                                         std::string(38, 'e') + "é" + std::to_string(i % 10),
                                         std::string(41, 'L'),
                                         " ",
                                         "C\x1b" + std::to_string(i)};
            const std::string& name = names[pick(0, 5)];
            const bool fits = formerNameRefusal(name).empty();
            step = s.renameFormer(any, name, why, changed);
            if (!fits) {
                EXPECT_FALSE(step) << name;
            }
            break;
        }
        case 3: {
            // Editing goes to the former that takes the place of the one deleted (the new last
            // one when the last goes); a former before it keeps being edited.
            const std::string editedName = s.formers()[std::size_t(edited)]->name;
            step = s.deleteFormer(any, why, changed);
            EXPECT_EQ(step, count > 1) << why;
            if (!step)
                break;
            if (any == edited) {
                EXPECT_EQ(s.current(), std::min(any, count - 2)) << i;
            } else {
                EXPECT_EQ(s.formers()[std::size_t(s.current())]->name, editedName) << i;
            }
            EXPECT_EQ(s.projectState().formers[std::size_t(s.current())].work,
                      s.formers()[std::size_t(s.current())]->work)
                << "the former edited is the one shown";
            break;
        }
        case 4:
            step = s.setStation(any, pick(-500, 500), why, changed);
            break;
        case 5:
            s.selectFormer(any); // no step, unless what was done on the former left is one
            step = s.history().index() + 1 > static_cast<int>(recorded.size());
            break;
        case 6: {
            // The stringers and slots of the whole fuselage: one step each, a refused row none.
            const NotchTable before = s.notchTable();
            const int rows = static_cast<int>(before.stringers.size());
            Stringer st = s.nextStringer();
            st.width = pick(1, 40) / 2.0; // past 30 mm now and then
            st.bothSides = pick(0, 1);
            switch (pick(0, 4)) {
            case 0:
                step = s.addStringer(st, why, changed);
                break;
            case 1:
                st.name = rows > 0 ? before.stringers[0].name : "L1"; // a name taken
                step = s.changeStringer(pick(0, rows), st, why, changed);
                break;
            case 2:
                step = s.deleteStringer(pick(0, rows), why, changed);
                break;
            case 3:
                step = s.setSlot(
                    {static_cast<SlotKind>(pick(0, 2)), st.width, 2.0, double(pick(-40, 40))}, why,
                    changed);
                break;
            default:
                step = s.deleteSlot(static_cast<SlotKind>(pick(0, 2)), why, changed);
                break;
            }
            if (!step) {
                EXPECT_EQ(s.notchTable(), before) << why;
                EXPECT_FALSE(why.empty());
            } else {
                EXPECT_EQ(notchTableProblem(s.notchTable()), "");
                step = !(s.notchTable() == before);
            }
            break;
        }
        // The fuselage's curves, and formers made to follow them or not: the followers are
        // part of each step, whichever edit moved them.
        case 7: {
            const CurveKind kind = kCurveKinds[pick(0, 2)];
            const int base = kind == CurveKind::Ventre ? -30 : 20;
            std::vector<CurvePoint> points;
            for (int k = 0, n = pick(2, 6); k < n; ++k)
                points.push_back({k * 100.0 - 100.0, double(base + pick(-5, 20))});
            step = s.setCurve(kind, points, changed).empty() &&
                   s.history().index() + 1 > static_cast<int>(recorded.size());
            break;
        }
        case 8:
            step = s.setFollows(any, pick(0, 2) != 0, why, changed) &&
                   s.history().index() + 1 > static_cast<int>(recorded.size());
            break;
        case 9: {
            const int before = s.history().index();
            const CurveKind kind = kCurveKinds[pick(0, 2)];
            s.beginGesture();
            s.dragCurvePoint(kind, pick(0, 3), pick(-200, 600), pick(-40, 60));
            s.dragStation(any, pick(-500, 500));
            s.endGesture();
            step = s.history().index() != before;
            break;
        }
        default: {
            // A gesture each, so that key steps on one slider do not merge.
            const int before = s.history().index();
            s.beginGesture();
            change(rng);
            s.endGesture();
            step = s.history().index() != before;
            break;
        }
        }
        if (step && s.history().index() + 1 > static_cast<int>(recorded.size())) {
            recorded.push_back(s.projectState());
            editedBefore.push_back(edited);
        }
        ASSERT_EQ(s.history().index() + 1, static_cast<int>(recorded.size())) << i;
        for (const auto& f : s.formers())
            ASSERT_EQ(formerNameRefusal(f->name), "") << i << ": " << f->name;
    }
    ASSERT_GT(s.formers().size(), 1u);
    ASSERT_GT(recorded.size(), 100u);
    // The views aside (they are no steps).
    auto same = [](ProjectState a, const ProjectState& b) {
        a.view = b.view;
        return a == b;
    };
    // Undone, a step gives back the formers before it and the former it was made on.
    for (std::size_t k = recorded.size() - 1; k > 0; --k) {
        ASSERT_TRUE(s.history().canUndo());
        s.undo();
        ProjectState expected = recorded[k - 1];
        expected.current = editedBefore[k];
        ASSERT_TRUE(same(s.projectState(), expected)) << "undo to step " << k - 1;
    }
    EXPECT_FALSE(s.history().canUndo());
    for (std::size_t k = 1; k < recorded.size(); ++k) {
        s.redo();
        ASSERT_TRUE(same(s.projectState(), recorded[k])) << "redo to step " << k;
    }
    EXPECT_FALSE(s.history().canRedo());

    ASSERT_EQ(s.saveProject(file("fuselage.couple")), "");
    EditorSession other;
    const EditorSession::Opening o = other.readProject(file("fuselage.couple"));
    ASSERT_TRUE(o.ok) << o.refusal;
    other.open(o.state, file("fuselage.couple"));
    EXPECT_EQ(other.projectState(), s.projectState());
    EXPECT_FALSE(other.modified());
    EXPECT_EQ(other.history().count(), 0);
}

TEST_F(Session, StepsMergeOnOneSliderOnlyAndTheLastThousandStay) {
    const WorkHistory& h = s.history();
    // Not into the step where the project was saved.
    s.setDoublingScale(6);
    ASSERT_EQ(s.saveProject(file("p.couple")), "");
    s.setDoublingScale(7);
    EXPECT_EQ(h.count(), 2);
    // A change of a choice never merges.
    for (const bool on : {true, false}) {
        s.setDoublingOn(on);
        EXPECT_EQ(h.undoCaption(), on ? "mettre le doublage" : "retirer le doublage");
    }
    EXPECT_EQ(h.count(), 4);
    // Past the limit the oldest steps go: of 4 + 1003 steps the first 7 (4 and i = 0..2), so
    // undo stops where i = 2 left the work.
    for (int i = 0; i < WorkHistory::kLimit + 3; ++i)
        s.setRealScale(1.5 + 0.5 * i);
    EXPECT_EQ(h.count(), WorkHistory::kLimit);
    EXPECT_EQ(h.index(), WorkHistory::kLimit);
    while (h.canUndo())
        s.undo();
    EXPECT_EQ(s.work().realScale, 2.5);
}

TEST_F(Session, TheMarkerFollowsTheWorkNeverTheView) {
    EXPECT_FALSE(s.modified()) << "no project file yet";
    s.setDoublingOn(true);
    EXPECT_FALSE(s.modified());
    ASSERT_EQ(s.saveProject(file("w.couple")), "");
    EXPECT_EQ(s.projectFile(), file("w.couple"));
    EXPECT_FALSE(s.modified());
    s.toggleGrid();
    s.toggleHandles();
    View turned = s.view();
    turned.yaw = 1.5f;
    s.setView3D(turned);
    EXPECT_FALSE(s.modified()) << "the view";
    s.moveDimension(EditorSession::Dimension::Width, 70);
    EXPECT_TRUE(s.modified());
    s.moveDimension(EditorSession::Dimension::Width, 50);
    EXPECT_FALSE(s.modified()) << "back as saved";
}

// A project that cannot be opened is refused with the file and the reason, and a save that
// cannot be written keeps the project it had (one saved opens as it was: the undo session).
TEST_F(Session, ProjectsRefusedAndSavesFailedChangeNothing) {
    ASSERT_EQ(s.saveProject(file("a.couple")), "");
    std::ofstream(file("profile.couple")) << "0.0000000 0.0000000\r\n";
    fs::create_directory(file("folder.couple"));
    ASSERT_EQ(::mkfifo(file("pipe.couple").c_str(), 0600), 0);
    EditorSession wide({150.0, 100.0});
    const struct {
        const EditorSession* session;
        std::string name;
        const char* reason;
    } refused[] = {
        {&s, "missing.couple", "n'existe pas"},
        {&s, "profile.couple", "JSON"},
        {&s, "folder.couple", "est un dossier"},
        {&s, "pipe.couple", "n'est pas un fichier ordinaire"},
        {&wide, "a.couple", "« surface »"},
    };
    for (const auto& r : refused) {
        const EditorSession::Opening no = r.session->readProject(file(r.name));
        EXPECT_FALSE(no.ok) << r.name;
        EXPECT_NE(no.refusal.find(file(r.name)), std::string::npos) << no.refusal;
        EXPECT_NE(no.refusal.find(r.reason), std::string::npos) << no.refusal;
    }
    const std::string error = s.saveProject(file("nowhere/b.couple"));
    EXPECT_NE(error.find("le dossier n'existe pas"), std::string::npos) << error;
    EXPECT_EQ(s.projectFile(), file("a.couple"));
}

} // namespace

namespace {

// The drawing's points (ends of its lines and its dots), to find a notch's corners among them.
bool drawnNear(const std::vector<DrawStep>& drawing, double x, double y) {
    for (const DrawStep& d : drawing)
        for (const PointXYZ& p : {d.from, d.to})
            if (std::hypot(p.x - x, p.y - y) < 1e-6)
                return true;
    return false;
}

} // namespace

// The stringers and slots are the fuselage's: every former gets them cut, each change is one
// step, the notches left out are named in the status bar by former, and what is cut follows a
// former that changes; the project keeps them.
TEST_F(Session, NotchesAreCutIntoEveryFormerAndTheOnesLeftOutNamed) {
    std::string why;
    Changed changed = Changed::None;
    ASSERT_TRUE(s.addFormer(why, changed)) << why;
    ASSERT_TRUE(s.addStringer({"L1", 0.3, 3.0, 2.0, true}, why, changed)) << why;
    EXPECT_TRUE(changed & Changed::Notches);
    EXPECT_TRUE(changed & Changed::Drawing);
    EXPECT_EQ(s.history().undoCaption(), "ajouter la lisse « L1 »");
    for (int i = 0; i < 2; ++i) {
        const CutOutline& cut = s.formerCut(i);
        ASSERT_EQ(cut.notches.cut.size(), 2u) << i;
        EXPECT_TRUE(cut.notches.refused.empty()) << i;
        EXPECT_EQ(cut.notches.cut[0].side, NotchSide::Right);
        EXPECT_EQ(cut.notches.cut[1].side, NotchSide::Left);
    }
    // The edited former is drawn notched: the notch's inner corners are points of its drawing.
    const FormerModel& m = s.samples();
    const double scale = s.work().realScale;
    for (const CutNotch& n : s.currentCut().notches.cut) {
        const double sign = n.side == NotchSide::Left ? -1.0 : 1.0;
        const RealPoint along{-n.inward.y, n.inward.x};
        for (const double end : {-0.5, 0.5}) {
            const double x = n.centre.x + n.inward.x * n.depth + along.x * n.width * end;
            const double y = n.centre.y + n.inward.y * n.depth + along.y * n.width * end;
            EXPECT_TRUE(
                drawnNear(s.drawing(), m.X1() + sign * std::abs(x) / scale, m.Y1() - y / scale))
                << n.name << " " << end;
        }
    }
    // The same name twice, a width past 30 mm, a slot twice: refused, nothing changed.
    const NotchTable table = s.notchTable();
    const int steps = s.history().count();
    EXPECT_FALSE(s.addStringer({"L1", 0.6, 3.0, 2.0, true}, why, changed));
    EXPECT_NE(why.find("L1"), std::string::npos) << why;
    EXPECT_FALSE(s.addStringer({"L2", 0.6, 45.0, 2.0, true}, why, changed));
    EXPECT_NE(why.find("45"), std::string::npos) << why;
    EXPECT_FALSE(s.deleteSlot(SlotKind::Keel, why, changed));
    EXPECT_EQ(s.notchTable(), table);
    EXPECT_EQ(s.history().count(), steps);

    // A notch deeper than the ring is wide goes through the doubling: left out of every former,
    // named in the status bar and the list of refusals.
    s.setDoublingOn(true);
    ASSERT_TRUE(s.addStringer({"L2", 0.5, 3.0, 20.0, false}, why, changed)) << why;
    EXPECT_EQ(s.lasting().doubling.rfind("L2 traverse le doublage de F", 0), 0u);
    const std::vector<NotchRefusal> refused = s.notchRefusals();
    ASSERT_EQ(refused.size(), 1u) << "the other former has no doubling drawn";
    EXPECT_EQ(refused[0].text,
              "L2 traverse le doublage de " + s.formers()[std::size_t(s.current())]->name);
    EXPECT_EQ(s.currentCut().notches.cut.size(), 2u) << "L1 stays cut";
    // Without the doubling the notch is cut again and its message goes.
    s.setDoublingOn(false);
    EXPECT_TRUE(s.notchRefusals().empty());
    EXPECT_EQ(s.currentCut().notches.cut.size(), 3u);
    EXPECT_EQ(s.lasting().doubling, "");

    // The other former's notches follow it when it changes; undo gives the table back.
    const RealPoint before = s.formerCut(0).notches.cut[0].centre;
    s.selectFormer(0);
    s.setRealScale(2.0);
    s.selectFormer(1);
    EXPECT_NEAR(s.formerCut(0).notches.cut[0].centre.x, 2.0 * before.x, 0.05);
    ASSERT_TRUE(s.setSlot({SlotKind::Crutch, 4.0, 3.0, 5.0}, why, changed)) << why;
    EXPECT_EQ(s.history().undoCaption(), "poser la fente de bâti");
    s.undo();
    EXPECT_TRUE(s.notchTable().slotList.empty());
    s.redo();
    ASSERT_EQ(s.notchTable().slotList.size(), 1u);

    // Saved and opened again, the table is the project's; a file without it opens with none.
    ASSERT_EQ(s.saveProject(file("n.couple")), "");
    EditorSession other;
    const EditorSession::Opening o = other.readProject(file("n.couple"));
    ASSERT_TRUE(o.ok) << o.refusal;
    other.open(o.state, file("n.couple"));
    EXPECT_EQ(other.notchTable(), s.notchTable());
    EXPECT_EQ(other.formerCut(0).notches.cut.size(), s.formerCut(0).notches.cut.size());
}

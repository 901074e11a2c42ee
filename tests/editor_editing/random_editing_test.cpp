// A long run of random user actions on the editor window, with the invariants checked after
// every one of them.
#include "editing_test_support.h"

#include <cmath>
#include <random>

namespace {

class RandomUser {
public:
    explicit RandomUser(Main& w) : w_(w), rng_(20240607u) {}

    // One random action; returns a short description for failure messages.
    std::string step() {
        FormerModel& m = w_.model();
        const int kind = pick(0, 103);
        if (kind >= 100) {
            // The window dragged to another size changes only the view: the former, its
            // samples and the 3-D part stay, and the mouse still works in its millimetres.
            const std::vector<PointXYZ> points = m.Pts_Couple;
            const std::vector<PointXYZ> samples = m.Doublage_Droit;
            w_.resize(QSize(pick(300, 2400), pick(200, 1400)));
            EXPECT_EQ(m.Pts_Couple, points);
            EXPECT_EQ(m.Doublage_Droit, samples);
            return "resize";
        }
        if (kind < 22) {
            const QPointF at = pointOnSurface();
            const Qt::MouseButton b = kind < 14   ? Qt::LeftButton
                                      : kind < 19 ? Qt::RightButton
                                                  : Qt::MiddleButton;
            press(w_, at, b);
            if (b != Qt::LeftButton) {
                updated_ = true;
                // The press rebuilds in place; pinning also runs the scale handler.
                expected_[0] += IsPinned(m, m.Idx_Point) ? 2 : 1;
            }
            held_ = b;
            return "press";
        }
        if (kind < 50) {
            // Some moves leave the surface: the surface keeps the mouse while a button is held.
            const QPointF at(uniform(-20.0, w_.Picture1->ScaleWidth() + 20.0),
                             uniform(-20.0, w_.Picture1->ScaleHeight() + 20.0));
            moveTo(w_, at, held_);
            if (held_ == Qt::LeftButton)
                ++expected_[0];
            EXPECT_EQ(w_.lblX->text(), Main::pointerText(static_cast<float>(at.x())));
            return "move";
        }
        if (kind < 58) {
            release(w_, pointOnSurface(), held_ == Qt::NoButton ? Qt::LeftButton : held_);
            held_ = Qt::NoButton;
            return "release";
        }
        if (kind < 66) {
            userClick(w_.Check4);
            updated_ = true;
            ++expected_[1];
            return "Check4";
        }
        if (kind < 82) {
            QRadioButton* options[] = {w_.Option1, w_.Option2, w_.Option3, w_.Option4,
                                       w_.Option5, w_.Option6, w_.Option7};
            QRadioButton* o = options[pick(0, 6)];
            const bool runs = o->isEnabled() && !o->isChecked();
            const bool joint = o == w_.Option1 || o == w_.Option7;
            const bool assembly = joint || o == w_.Option2;
            if (runs && assembly) {
                ++expected_[0];
                if (joint && w_.Hscroll2->value() < 16)
                    ++expected_[1]; // the raise runs the point count's handler
            }
            userClick(o);
            return o->objectName().toStdString();
        }
        if (kind < 90) {
            const int v = pick(1, 9);
            const bool moves = w_.Hscroll1->isEnabled() && v != w_.Hscroll1->value();
            if (userSlide(w_.Hscroll1, v) && moves) {
                updated_ = true;
                ++expected_[0];
            }
            return "Hscroll1";
        }
        if (kind < 96) {
            const int v = pick(10, 40);
            const int before = w_.Hscroll2->value();
            userSlide(w_.Hscroll2, v);
            if (v != before)
                expected_[1] += v < 16 && !w_.Option2->isChecked() ? 2 : 1;
            return "Hscroll2";
        }
        const int k = pick(1, 9);
        const int before = w_.Hscroll3->value();
        userSlide(w_.Hscroll3, k);
        if (k != before)
            ++expected_[0]; // the 3-D part follows the new order in place
        return "Hscroll3";
    }

    void checkInvariants(const std::string& what) const {
        SCOPED_TRACE(what);
        const FormerModel& m = w_.model();
        const auto M = static_cast<std::size_t>(m.Nb_Points);
        EXPECT_EQ(m.Nb_Points, w_.Hscroll2->value());
        for (const auto* a :
             {&m.Courbe_Droite, &m.Courbe_Gauche, &m.Doublage_Droit, &m.Doublage_Gauche})
            ASSERT_EQ(a->size(), M);
        ASSERT_EQ(m.Pts_Couple.size(), 9u);
        ASSERT_EQ(m.Pts_Doublage.size(), 9u);
        EXPECT_TRUE(w_.Option2->isChecked() || m.Nb_Points >= 16);
        EXPECT_GE(m.Idx_Point, 0);
        EXPECT_LE(m.Idx_Point, m.Der_Point);
        for (const PointXYZ& p : m.Pts_Couple)
            ASSERT_GE(p.x, m.X1()) << "no point left of the axis";
        for (const PointXYZ& c : m.Courbe_Droite)
            ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y));
        EXPECT_EQ(w_.rebuildCalls[0], expected_[0]);
        EXPECT_EQ(w_.rebuildCalls[1], expected_[1]);
        EXPECT_TRUE(m.Form_Chargee);
        // The visible handle set is the one the mouse acts on.
        const bool couple = w_.Option3->isChecked();
        for (int i = 0; i <= m.Der_Point; ++i) {
            ASSERT_EQ(m.shppi[i].Visible, couple) << i;
            ASSERT_EQ(m.Shape1[i].Visible, !couple) << i;
        }

        if (!updated_)
            return;
        // Once the doubling was updated, the enabled states follow the doubling and "Oui".
        const bool on = w_.Check4->isChecked();
        const bool slaved = w_.Option5->isChecked();
        for (const QWidget* c :
             std::initializer_list<const QWidget*>{w_.Frame2, w_.Frame4, w_.Frame6, w_.Hscroll1})
            EXPECT_EQ(c->isEnabled(), on) << c->objectName().toStdString();
        EXPECT_EQ(w_.Label6->isHidden(), !on);
        EXPECT_EQ(!w_.Option4->testAttribute(Qt::WA_ForceDisabled), on && !slaved);
        EXPECT_TRUE((on && !slaved) || w_.Option3->isChecked());
    }

    void start() { expected_ = {w_.rebuildCalls[0], w_.rebuildCalls[1]}; }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    double uniform(double lo, double hi) {
        // Quarter millimetres: ties between handles and exact axis positions come up.
        return std::round(std::uniform_real_distribution<double>(lo, hi)(rng_) * 4.0) / 4.0;
    }
    QPointF pointOnSurface() {
        return {uniform(0.0, w_.Picture1->ScaleWidth()), uniform(0.0, w_.Picture1->ScaleHeight())};
    }

    Main& w_;
    std::mt19937 rng_;
    Qt::MouseButton held_ = Qt::NoButton;
    bool updated_ = false; // the doubling's controls were updated at least once
    std::array<int, 2> expected_{0, 0};
};

TEST(RandomEditing, InvariantsHoldThroughALongSessionOfUserActions) {
    auto w = shownMain();
    RandomUser user(*w);
    user.start();
    for (int i = 0; i < 1500; ++i) {
        const std::string what = "step " + std::to_string(i) + ": " + user.step();
        if (i % 25 == 0)
            QApplication::processEvents(); // the surface repaints now and then
        user.checkInvariants(what);
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasFailure())
            break;
    }
}

} // namespace

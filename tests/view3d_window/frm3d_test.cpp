#include "engine3d/vector_maths.h"
#include "frm3d_test_access.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QGroupBox>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// A 3-D window on its own, shown, with the start-up scene of an editor that has no former.
class Frm3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        window->errorPresenter = [this](int code, const QString& text) {
            shown.push_back({code, text});
        };
        window->SetupScene();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }

    // A drag with real mouse events: the pointer arrives at `from`, the button goes down, the
    // pointer moves to `to`, the button comes up.
    void drag(Qt::MouseButton button, QPoint from, QPoint to) {
        Frm3DPicture* p = window->Picture1;
        auto moveTo = [p](QPoint at, Qt::MouseButtons held) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(p->mapToGlobal(at)),
                             Qt::NoButton, held, Qt::NoModifier);
            QApplication::sendEvent(p, &move);
        };
        moveTo(from, Qt::NoButton);
        QTest::mousePress(p, button, Qt::NoModifier, from);
        moveTo(to, button);
        QTest::mouseRelease(p, button, Qt::NoModifier, to);
    }

    struct Shown {
        int code;
        QString text;
    };
    RedrawFlag Redraw3D;
    std::unique_ptr<Frm3D> window = std::make_unique<Frm3D>(Redraw3D);
    FrameCounter counted{*window}; // frames from loading on
    Frm3D& w = *window;
    const Camera& camera = inside(w).engine().cameras[inside(w).currentCamera()];
    std::vector<Shown> shown;
};

// --- Window and controls ---

// Each button with its tooltip and icon, the piece buttons in Frame1. A view button sets the
// render mode, a piece button the piece, and both ask for a frame. "Vue Surface" turns
// specular light and attenuation on; they stay on afterwards.
TEST_F(Frm3DTest, ViewButtonsSetTheModeAndPieceButtonsThePiece) {
    const struct {
        bool piece;
        int index;
        const char* tip;
        int modeOrPiece;
    } buttons[] = {{false, 2, "Vue Filaire", 0},    {false, 3, "VueTransparent", 3},
                   {false, 4, "Vue Silhouette", 4}, {false, 1, "Vue Surface", 5},
                   {false, 5, "Vue Solide", 1},     {true, 1, "Couple Gauche", 4},
                   {true, 2, "Couple Droit", 5},    {true, 3, "Couple Supérieur", 2},
                   {true, 4, "CoupleInférieur", 3}, {true, 0, "Couple Entier", 1}};
    bool lit = false;
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.tip);
        QToolButton* button = b.piece ? w.pb2(b.index) : w.pb1(b.index);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.tip));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->parentWidget() == w.Frame1, b.piece);
        Redraw3D = false;
        button->click();
        EXPECT_TRUE(Redraw3D);
        EXPECT_EQ(b.piece ? inside(w).View_Piece() : camera.renderMode, b.modeOrPiece);
        EXPECT_TRUE(!b.piece || inside(w).scene().formerMesh != 0);
        lit = lit || (!b.piece && b.index == 1);
        EXPECT_EQ(camera.specular, lit);
        EXPECT_EQ(camera.attenuation, lit);
    }
}

// --- Orbit ---

TEST_F(Frm3DTest, LeftDragTurnsAndTiltsRightDragZoomsAndAFrameOrbitsFromThere) {
    drag(Qt::LeftButton, QPoint(300, 200), QPoint(200, 200));
    EXPECT_NEAR(inside(w).yaw(), 1.0f, 1e-6);
    EXPECT_EQ(inside(w).pitch(), 0.0f);
    EXPECT_TRUE(Redraw3D);
    drag(Qt::LeftButton, QPoint(100, 100), QPoint(100, 130));
    EXPECT_NEAR(inside(w).pitch(), 0.3f, 1e-6);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::SizeAllCursor);
    drag(Qt::RightButton, QPoint(250, 250), QPoint(250, 280));
    EXPECT_EQ(inside(w).distance(), 400.0f) << "dragging down moves the camera away";
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::SizeVerCursor);
    settle();
    EXPECT_NEAR(std::hypot(camera.position.x, camera.position.y, camera.position.z), 400.0, 1e-3);
    EXPECT_NEAR(camera.rotation.y, -1.0f, 1e-6);
    EXPECT_TRUE(inside(w).engine().lights[inside(w).currentLight()].position == camera.position);
    // The distance stops at the target.
    drag(Qt::RightButton, QPoint(250, 390), QPoint(250, -200));
    EXPECT_EQ(inside(w).distance(), 0.0f);
}

TEST_F(Frm3DTest, YawWrapsPitchStopsAndOtherButtonsOnlyRedraw) {
    const double pi = 3.14159265358979;
    // Past +pi by 0.2: one full turn back; and the other way.
    inside(w).yaw() = 3.0f;
    w.Picture1_MouseMove(0, 0, 100.0f, 100.0f);
    w.Picture1_MouseMove(1, 0, 66.0f, 100.0f);
    EXPECT_NEAR(inside(w).yaw(), 3.34 - 2 * pi, 1e-6);
    inside(w).yaw() = -3.0f;
    w.Picture1_MouseMove(1, 0, 100.0f, 100.0f);
    EXPECT_NEAR(inside(w).yaw(), -3.34 + 2 * pi, 1e-6);
    // A value just above pi as a double but not above the float pi does not wrap.
    inside(w).yaw() = static_cast<float>(pi);
    w.Picture1_MouseMove(1, 0, 100.0f, 100.0f);
    EXPECT_EQ(inside(w).yaw(), static_cast<float>(pi));
    // Dragging far down stops at a quarter turn; far up at minus a quarter turn.
    w.Picture1_MouseMove(1, 0, 100.0f, 2000.0f);
    EXPECT_EQ(inside(w).pitch(), static_cast<float>(pi / 2));
    w.Picture1_MouseMove(1, 0, 100.0f, -5000.0f);
    EXPECT_EQ(inside(w).pitch(), static_cast<float>(-pi / 2));

    inside(w).yaw() = inside(w).pitch() = 0.0f;
    Redraw3D = false;
    w.Picture1_MouseMove(3, 0, 80.0f, 90.0f); // both buttons
    EXPECT_TRUE(Redraw3D);
    w.Picture1_MouseMove(4, 0, 20.0f, 30.0f); // middle
    EXPECT_EQ(inside(w).yaw(), 0.0f);
    EXPECT_EQ(inside(w).pitch(), 0.0f);
    EXPECT_EQ(inside(w).distance(), 370.0f);
    Redraw3D = false;
    w.Picture1_MouseMove(0, 0, 2.5f, 3.5f); // a plain move only tracks, halves to even
    EXPECT_FALSE(Redraw3D);
    EXPECT_EQ(inside(w).lastX(), 2);
    EXPECT_EQ(inside(w).lastY(), 4);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::ArrowCursor);
    // Releasing Shift on the surface redraws; other keys do not.
    w.Picture1->setFocus();
    QTest::keyRelease(w.Picture1, Qt::Key_A);
    EXPECT_FALSE(Redraw3D);
    QTest::keyRelease(w.Picture1, Qt::Key_Shift);
    EXPECT_TRUE(Redraw3D);
}

// --- Render loop ---

TEST_F(Frm3DTest, ABurstOfRequestsGivesOneFrameAndIdleGivesNone) {
    ASSERT_TRUE(w.renderLoopRunning());
    const int frames = counted.frames();
    EXPECT_GE(frames, 1) << "the loaded scene was drawn";
    for (int i = 0; i < 100; ++i)
        w.Picture1_MouseMove(1, 0, static_cast<float>(i), 0.0f);
    settle();
    EXPECT_EQ(counted.frames(), frames + 1);
    EXPECT_FALSE(Redraw3D);
    // Nothing changed: nothing drawn, and nothing waits to run.
    QTest::qWait(50);
    EXPECT_EQ(counted.frames(), frames + 1);
    QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
    EXPECT_TRUE(d->registeredTimers(&w).isEmpty());
    EXPECT_TRUE(d->registeredTimers(w.Picture1).isEmpty());
    // A resized surface is drawn again at its new size.
    w.resize(300, 200);
    settle();
    EXPECT_EQ(w.Picture1->image().size(), QSize(300, 200) * w.devicePixelRatio());
    EXPECT_EQ(counted.frames(), frames + 2);
}

TEST(Frm3D, NoFrameBeforeTheWindowIsShownNorAfterItIsGone) {
    RedrawFlag flag;
    auto w = std::make_unique<Frm3D>(flag);
    const FrameCounter frames(*w);
    EXPECT_TRUE(flag) << "loading asks for a frame";
    settle();
    EXPECT_FALSE(w->renderLoopRunning());
    EXPECT_EQ(frames.frames(), 0);
    w->show();
    settle();
    EXPECT_EQ(frames.frames(), 1);
    QPointer<Frm3D> gone(w.get());
    flag = true; // a frame is queued for it
    w.reset();
    settle();
    EXPECT_TRUE(gone.isNull());
    flag = true; // and later requests reach nobody
    settle();
}

// --- Errors ---

TEST_F(Frm3DTest, EngineErrorsAreShownAfterTheWorkAndSettingsErrorsOnce) {
    inside(w).engine().EngineError(kErrorMeshMemory);
    EXPECT_TRUE(shown.empty()) << "never from inside a build or a frame";
    settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].code, 1);
    EXPECT_EQ(shown[0].text, "Unable to allocate memory for mesh!");

    // Bad fog settings fail on every frame; the user hears of it once...
    shown.clear();
    w.setToolbarTags(ToolbarTags{0.0, 1.0});     // the ground shows
    QTest::mouseClick(w.pb1(1), Qt::LeftButton); // fog on
    inside(w).engine().cameras[inside(w).currentCamera()].fogEnd = camera.fogStart;
    for (int i = 0; i < 3; ++i) {
        Redraw3D = true;
        settle();
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Bad camera settings!");
    // ...and again once the settings change.
    QTest::mouseClick(w.pb1(1), Qt::LeftButton);
    settle();
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(Frm3DTest, TheErrorBoxIsCriticalAndTitledError) {
    w.errorPresenter = nullptr; // the window's own
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    inside(w).engine().EngineError(3);
    // The box comes up from the event loop; this looks at it once it is up.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    settle();
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(text, "Unable to allocate memory for light!");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

} // namespace

#include "engine3d/vector_maths.h"
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
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

// A 3-D window on its own, shown, with the start-up scene of an editor that has no former.
class Frm3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<Frm3D>(Redraw3D);
        window->errorPresenter = [this](int code, const QString& text) {
            shown.push_back({code, text});
        };
        window->SetupScene();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }

    // A drag on the surface with real mouse events: the pointer arrives at `from`, the button
    // goes down, the pointer moves to `to`, the button comes up.
    void drag(Qt::MouseButton button, QPoint from, QPoint to) {
        Frm3DPicture* p = window->Picture1;
        QTest::mouseMove(p, from);
        QTest::mousePress(p, button, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(p->mapToGlobal(to)), Qt::NoButton,
                         button, Qt::NoModifier);
        QApplication::sendEvent(p, &move);
        QTest::mouseRelease(p, button, Qt::NoModifier, to);
    }

    struct Shown {
        int code;
        QString text;
    };
    RedrawFlag Redraw3D;
    std::unique_ptr<Frm3D> window;
    std::vector<Shown> shown;
};

// --- Window and controls ---

TEST_F(Frm3DTest, LoadsWithItsCameraLightAndControls) {
    Frm3D& w = *window;
    EXPECT_EQ(w.windowTitle(), "Assemblage");
    EXPECT_EQ(w.View_Piece, 1);
    EXPECT_EQ(w.currentCamera, 1);
    EXPECT_EQ(w.currentLight, 1);
    EXPECT_EQ(w.engine.cameras[w.currentCamera].renderMode, 0);
    // The surface fills the window, in pixels, black until drawn.
    EXPECT_EQ(w.Picture1->geometry(), w.rect());
    EXPECT_EQ(w.Picture1->image().size(), w.size());
    EXPECT_EQ(w.pos(), QPoint(0, 0));

    const char* views[] = {"Vue Surface", "Vue Filaire", "VueTransparent", "Vue Silhouette",
                           "Vue Solide"};
    for (int i = 1; i <= 5; ++i) {
        ASSERT_NE(w.pb1(i), nullptr);
        EXPECT_EQ(w.pb1(i)->toolTip(), QString::fromUtf8(views[i - 1]));
        EXPECT_FALSE(w.pb1(i)->icon().isNull());
    }
    const char* pieces[] = {"Couple Entier", "Couple Gauche", "Couple Droit", "Couple Supérieur",
                            "CoupleInférieur"};
    for (int i = 0; i <= 4; ++i) {
        ASSERT_NE(w.pb2(i), nullptr);
        EXPECT_EQ(w.pb2(i)->toolTip(), QString::fromUtf8(pieces[i]));
        EXPECT_EQ(w.pb2(i)->parentWidget(), w.Frame1);
        EXPECT_FALSE(w.pb2(i)->icon().isNull());
    }
    EXPECT_EQ(w.pb1(0), nullptr);
    EXPECT_EQ(w.pb2(5), nullptr);
}

TEST_F(Frm3DTest, ViewButtonsSetTheModeAndSurfaceLeavesItsLightingOn) {
    Frm3D& w = *window;
    const Camera& c = w.engine.cameras[w.currentCamera];
    const int modes[] = {0, 5, 0, 3, 4, 1};
    for (int i : {2, 3, 4, 5}) {
        Redraw3D = false;
        QTest::mouseClick(w.pb1(i), Qt::LeftButton);
        EXPECT_EQ(c.renderMode, modes[i]);
        EXPECT_TRUE(Redraw3D);
        EXPECT_FALSE(c.specular);
        EXPECT_FALSE(c.attenuation);
    }
    QTest::mouseClick(w.pb1(1), Qt::LeftButton);
    EXPECT_EQ(c.renderMode, 5);
    QTest::mouseClick(w.pb1(5), Qt::LeftButton);
    EXPECT_EQ(c.renderMode, 1);
    EXPECT_TRUE(c.specular);
    EXPECT_TRUE(c.attenuation);
}

TEST_F(Frm3DTest, PieceButtonsChooseThePieceAndRebuild) {
    Frm3D& w = *window;
    const int pieces[] = {1, 4, 5, 2, 3};
    for (int i : {1, 2, 3, 4, 0}) {
        Redraw3D = false;
        QTest::mouseClick(w.pb2(i), Qt::LeftButton);
        EXPECT_EQ(w.View_Piece, pieces[i]);
        EXPECT_TRUE(Redraw3D);
        EXPECT_NE(w.scene.formerMesh, 0);
    }
}

// --- Orbit ---

TEST_F(Frm3DTest, LeftDragTurnsAndTiltsTheCamera) {
    Frm3D& w = *window;
    drag(Qt::LeftButton, QPoint(300, 200), QPoint(200, 200));
    EXPECT_NEAR(w.yaw, 1.0f, 1e-6);
    EXPECT_EQ(w.pitch, 0.0f);
    EXPECT_TRUE(Redraw3D);
    EXPECT_EQ(w.lastX, 200);
    drag(Qt::LeftButton, QPoint(100, 100), QPoint(100, 130));
    EXPECT_NEAR(w.pitch, 0.3f, 1e-6);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::SizeAllCursor);
}

TEST_F(Frm3DTest, YawWrapsAndPitchStops) {
    Frm3D& w = *window;
    // Past +pi by 0.2: one full turn back.
    w.yaw = 3.0f;
    w.Picture1_MouseMove(0, 0, 100.0f, 100.0f);
    w.Picture1_MouseMove(1, 0, 66.0f, 100.0f);
    EXPECT_NEAR(w.yaw, 3.34 - 6.28318530717958, 1e-6);
    EXPECT_GE(w.yaw, -3.14159265f);
    // And the other way.
    w.yaw = -3.0f;
    w.Picture1_MouseMove(1, 0, 100.0f, 100.0f);
    EXPECT_NEAR(w.yaw, -3.34 + 6.28318530717958, 1e-6);
    // A value just above pi as a double but not above the float pi does not wrap.
    w.yaw = static_cast<float>(3.14159265358979);
    w.Picture1_MouseMove(1, 0, 100.0f, 100.0f);
    EXPECT_EQ(w.yaw, static_cast<float>(3.14159265358979));

    // Dragging far down stops at a quarter turn; far up at minus a quarter turn.
    w.Picture1_MouseMove(1, 0, 100.0f, 2000.0f);
    EXPECT_EQ(w.pitch, static_cast<float>(3.14159265358979 / 2));
    w.Picture1_MouseMove(1, 0, 100.0f, -5000.0f);
    EXPECT_EQ(w.pitch, static_cast<float>(-3.14159265358979 / 2));
}

TEST_F(Frm3DTest, RightDragZoomsAndStopsAtTheTarget) {
    Frm3D& w = *window;
    drag(Qt::RightButton, QPoint(250, 250), QPoint(250, 280));
    EXPECT_EQ(w.distance, 400.0f) << "dragging down moves the camera away";
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::SizeVerCursor);
    drag(Qt::RightButton, QPoint(250, 390), QPoint(250, -200));
    EXPECT_EQ(w.distance, 0.0f);
    EXPECT_EQ(w.yaw, 0.0f);
}

TEST_F(Frm3DTest, OtherButtonsOnlyRedrawAndPlainMovesOnlyTrack) {
    Frm3D& w = *window;
    w.Picture1_MouseMove(0, 0, 10.0f, 10.0f);
    Redraw3D = false;
    w.Picture1_MouseMove(3, 0, 80.0f, 90.0f); // both buttons
    EXPECT_TRUE(Redraw3D);
    w.Picture1_MouseMove(4, 0, 20.0f, 30.0f); // middle
    EXPECT_EQ(w.yaw, 0.0f);
    EXPECT_EQ(w.pitch, 0.0f);
    EXPECT_EQ(w.distance, 370.0f);
    Redraw3D = false;
    w.Picture1_MouseMove(0, 0, 2.5f, 3.5f);
    EXPECT_FALSE(Redraw3D);
    // Halves go to the even neighbour.
    EXPECT_EQ(w.lastX, 2);
    EXPECT_EQ(w.lastY, 4);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Frm3DTest, ReleasingShiftOnTheSurfaceRedraws) {
    Redraw3D = false;
    window->Picture1->setFocus();
    QTest::keyRelease(window->Picture1, Qt::Key_A);
    EXPECT_FALSE(Redraw3D);
    QTest::keyRelease(window->Picture1, Qt::Key_Shift);
    EXPECT_TRUE(Redraw3D);
}

// --- Render loop ---

TEST_F(Frm3DTest, ABurstOfRequestsGivesOneFrameAndIdleGivesNone) {
    Frm3D& w = *window;
    ASSERT_TRUE(w.renderLoopRunning());
    const int frames = w.framesDrawn;
    EXPECT_GE(frames, 1) << "the loaded scene was drawn";
    EXPECT_FALSE(Redraw3D);
    for (int i = 0; i < 100; ++i) {
        w.Picture1_MouseMove(1, 0, static_cast<float>(i), 0.0f);
    }
    settle();
    EXPECT_EQ(w.framesDrawn, frames + 1);
    EXPECT_FALSE(Redraw3D);

    // Nothing changed: nothing drawn, and nothing waits to run.
    settle();
    QTest::qWait(50);
    EXPECT_EQ(w.framesDrawn, frames + 1);
    QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
    EXPECT_TRUE(d->registeredTimers(&w).isEmpty());
    EXPECT_TRUE(d->registeredTimers(w.Picture1).isEmpty());
}

TEST_F(Frm3DTest, AFrameOrbitsTheCameraAndLightsFromIt) {
    Frm3D& w = *window;
    w.yaw = 0.5f;
    w.distance = 200.0f;
    Redraw3D = true;
    settle();
    const Camera& c = w.engine.cameras[w.currentCamera];
    EXPECT_NEAR(std::hypot(c.position.x, c.position.y, c.position.z), 200.0, 1e-3);
    EXPECT_EQ(c.rotation.y, -0.5f);
    const Light& l = w.engine.lights[w.currentLight];
    EXPECT_TRUE(l.position == c.position);
}

TEST_F(Frm3DTest, NoFrameBeforeTheWindowIsFirstShown) {
    RedrawFlag flag;
    Frm3D hidden(flag);
    EXPECT_TRUE(flag) << "loading asks for a frame";
    settle();
    EXPECT_FALSE(hidden.renderLoopRunning());
    EXPECT_EQ(hidden.framesDrawn, 0);
    hidden.show();
    settle();
    EXPECT_EQ(hidden.framesDrawn, 1);
}

TEST_F(Frm3DTest, CloseBoxHidesAndTheWindowKeepsItsView) {
    Frm3D& w = *window;
    drag(Qt::LeftButton, QPoint(300, 200), QPoint(250, 220));
    const float yaw = w.yaw;
    const float pitch = w.pitch;
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(w.isHidden());
    w.show();
    settle();
    EXPECT_EQ(w.yaw, yaw);
    EXPECT_EQ(w.pitch, pitch);
    EXPECT_EQ(w.distance, 370.0f);
}

TEST_F(Frm3DTest, APendingFrameDiesWithItsWindow) {
    RedrawFlag flag;
    auto w = std::make_unique<Frm3D>(flag);
    w->show();
    settle();
    QPointer<Frm3D> gone(w.get());
    flag = true; // a frame is queued for it
    w.reset();
    settle();
    EXPECT_TRUE(gone.isNull());
    flag = true; // and later requests reach nobody
    settle();
}

TEST_F(Frm3DTest, AResizedSurfaceIsDrawnAgainAtItsNewSize) {
    Frm3D& w = *window;
    const int frames = w.framesDrawn;
    w.resize(300, 200);
    settle();
    EXPECT_EQ(w.Picture1->size(), QSize(300, 200));
    EXPECT_EQ(w.Picture1->image().size(), QSize(300, 200));
    EXPECT_EQ(w.framesDrawn, frames + 1);
}

// --- Errors ---

TEST_F(Frm3DTest, EngineErrorsAreShownAfterTheWorkAndSettingsErrorsOnce) {
    Frm3D& w = *window;
    w.engine.EngineError(kErrorMeshMemory);
    EXPECT_TRUE(shown.empty()) << "never from inside a build or a frame";
    settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].code, 1);
    EXPECT_EQ(shown[0].text, "Unable to allocate memory for mesh!");

    // Bad fog settings fail on every frame; the user hears of it once...
    shown.clear();
    w.toolbarTags = [] { return ToolbarTags{0.0, 1.0}; }; // the ground shows
    QTest::mouseClick(w.pb1(1), Qt::LeftButton);          // fog on
    Camera& c = w.engine.cameras[w.currentCamera];
    c.fogEnd = c.fogStart;
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
    Frm3D& w = *window;
    w.errorPresenter = nullptr; // the window's own
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    w.engine.EngineError(3);
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

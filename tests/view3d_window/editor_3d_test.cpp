#include "editing_test_support.h"

#include "editor/status_line.h"
#include "editor/surface_mouse.h"
#include "engine3d/vector_maths.h"
#include "frm3d_test_access.h"
#include "scene_helpers.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"
#include "view3d/qimage_canvas.h"

#include <QCheckBox>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>

#include <array>
#include <memory>
#include <random>
#include <utility>

namespace {

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

std::vector<Vector3> formerVertices(const Main& w) {
    const Engine& e = inside(*w.frm3D()).engine();
    const Mesh& m = e.meshes[inside(*w.frm3D()).scene().formerMesh];
    return {e.vertices.begin() + m.vertexStart, e.vertices.begin() + m.vertexStart + m.vertexCount};
}

// A user presses on the slider's handle, drags it to the value and lets go.
void pressAndMove(QSlider* s, int value) {
    QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, sliderHandleCentre(*s));
    s->setSliderPosition(value);
    QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, sliderHandleCentre(*s));
    ASSERT_EQ(s->value(), value);
}

// A left drag on the 3-D surface, as a user turns the view.
void turn(Main& w, int dx, int dy) {
    Frm3DPicture* p = w.frm3D()->Picture1;
    const QPoint from = p->rect().center();
    const QPoint to = from + QPoint(dx, dy);
    // The pointer arrives first (a test's pointer may stand there already for the toolkit).
    QMouseEvent arrive(QEvent::MouseMove, QPointF(from), QPointF(p->mapToGlobal(from)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p, &arrive);
    QTest::mousePress(p, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(p->mapToGlobal(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p, &move);
    QTest::mouseRelease(p, Qt::LeftButton, Qt::NoModifier, to);
}

// --- Start-up ---

TEST(Editor3D, StartUpPlacesBothWindowsAndBuildsTheSceneOnceFromTheCorrectedOutline) {
    auto w = shownMain();
    const Frm3D& f = *w->frm3D();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.frameGeometry().topLeft(), QPoint(0, 0));
    const int gap = qRound(1000.0 / 1440.0 * w->logicalDpiX());
    // The width is read before the 3-D window is first shown, when it has no frame yet.
    EXPECT_EQ(w->frameGeometry().left(), f.width() + gap);
    EXPECT_EQ(w->frameGeometry().top(), (w->screen()->geometry().height() - w->height()) / 2);

    // The frame asked for was drawn; one part was built (the grid, three axes, three labels and
    // the former's band).
    EXPECT_FALSE(w->Redraw3D());
    EXPECT_LT(countColour(f.Picture1->image(), Qt::black),
              f.Picture1->image().width() * f.Picture1->image().height());
    EXPECT_EQ(inside(f).engine().meshRange.count, 8);
    EXPECT_EQ(inside(f).engine().meshes[inside(f).scene().formerMesh].vertexCount,
              58); // h = 13, K = 28
    // Built from the samples the 2-D view shows: moving the vertices from them changes nothing.
    const std::vector<Vector3> built = formerVertices(*w);
    w->frm3D()->RebuildFormerMesh(0);
    EXPECT_TRUE(formerVertices(*w) == built);
}

// --- The window hidden and shown again ---

TEST(Editor3D, Vue3DAndTheCloseBoxHideTheWindowWhichKeepsItsView) {
    auto w = shownMain();
    Frm3D* f = w->frm3D();
    turn(*w, 40, 25);
    const float yaw = inside(*f).yaw(), pitch = inside(*f).pitch();
    w->ui().pb1(11)->click();
    EXPECT_FALSE(f->isVisible());
    w->ui().pb1(11)->click();
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(w->frm3D(), f);
    EXPECT_EQ(inside(*f).yaw(), yaw);
    EXPECT_EQ(inside(*f).pitch(), pitch);
    EXPECT_TRUE(f->close());
    EXPECT_FALSE(f->isVisible());
    w->ui().pb1(11)->click();
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(inside(*f).yaw(), yaw);
    EXPECT_EQ(w->pb1Tag(11), "0");
}

// --- Frames that change only what they must ---

// The frame drawn anew: a copy of the engine of the view shown that sorts from scratch, onto a
// cleared surface, one triangle at a time.
QImage fullRedraw(Frm3D& f) {
    const bool fuselage = f.fuselageShown();
    auto fresh =
        std::make_unique<Engine>(fuselage ? *inside(f).fuselageEngine() : inside(f).engine());
    fresh->setErrorSink(nullptr);
    fresh->forgetDrawOrder();
    const QImage& surface = f.Picture1->image();
    QImage full(surface.size(), QImage::Format_RGB32);
    full.setDotsPerMeterX(surface.dotsPerMeterX()); // the labels' size
    full.setDotsPerMeterY(surface.dotsPerMeterY());
    QImageCanvas canvas(full);
    canvas.clear();
    OneByOneCanvas oneByOne(canvas); // the triangles in list order, not in bands
    if (fuselage)
        fresh->RenderFrame(oneByOne, inside(f).fuselageCamera(),
                           inside(f).fuselage().frameInputs(f.toolbarTags()));
    else
        fresh->RenderFrame(oneByOne, inside(f).currentCamera(),
                           inside(f).scene().frameInputs(f.toolbarTags()));
    return full;
}

// Three formers of the editor's shape along the fuselage, the middle one being edited, made
// in the panel "Couples" as the user makes them.
void setThreeFormers(Main& w) {
    // Each former about as large as the part with its sliders' size.
    w.ui().txtScale->setTypedValue(2.0);
    w.txtScale_Validate();
    w.cmdNouveau_Click();
    w.lstCouples_StationTyped(1, QStringLiteral("120"));
    w.cmdNouveau_Click();
    w.lstCouples_StationTyped(2, QStringLiteral("240"));
    w.lstCouples_Click(1);
    ASSERT_EQ(w.session().formers().size(), 3u);
    ASSERT_EQ(w.session().current(), 1);
}

// Every frame of a session shows what a full redraw shows: the 3-D surface, and the screen
// that the window repaints only where a frame changed, both equal the frame drawn anew. The
// session turns the view a little and a lot, comes near and goes far, changes the mode, the
// piece, the point count, the doubling and the thickness, drags a point of the former, shows
// and hides the gizmo and the ground, resizes the 3-D window, and goes to the fuselage and back.
TEST(Editor3D, EveryFrameShowsWhatAFullRedrawShows) {
    auto w = shownMain();
    Frm3D& f = *w->frm3D();
    setThreeFormers(*w);
    Frm3DPicture& p = *f.Picture1;
    const auto fresh = [&p] {
        QImage screen(p.image().size(), QImage::Format_RGB32);
        screen.fill(0x123456u); // not what any frame shows
        screen.setDevicePixelRatio(p.devicePixelRatioF());
        return screen;
    };
    QImage screen = fresh();
    p.render(&screen);
    PaintWatcher watcher(p);
    std::mt19937 gen(41);
    auto pick = [&gen](int low, int high) { return std::uniform_int_distribution(low, high)(gen); };
    for (int step = 0; step < 120; ++step) {
        const int action = pick(0, 14);
        switch (action) {
        case 0:
            turn(*w, pick(-150, 150), pick(-150, 150));
            break;
        case 1:
            f.Picture1_MouseMove(0, 0, 100.0f, 100.0f);
            f.Picture1_MouseMove(2, 0, 100.0f, static_cast<float>(pick(-200, 300)));
            break;
        case 2:
            QTest::mouseClick(f.pb1(pick(1, 5)), Qt::LeftButton);
            break;
        case 3:
            f.pb2(pick(0, 4))->click();
            break;
        case 4:
            w->ui().Hscroll2->setValue(pick(10, 40));
            break;
        case 5:
            w->ui().Check4->click();
            break;
        case 6:
            w->ui().Slider1->setValue(pick(1, 60));
            break;
        case 7: {
            const FormerModel& m = w->model();
            const Handle& h = m.shppi[static_cast<std::size_t>(pick(1, 7))];
            const QPointF from{h.Left + static_cast<double>(m.Rayon_X),
                               h.Top - static_cast<double>(m.Rayon_Y)};
            const QPointF to = from + QPointF(pick(-10, 10), pick(-10, 10));
            sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseButtonPress, from, Qt::LeftButton,
                             Qt::LeftButton);
            sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseMove, to, Qt::NoButton,
                             Qt::LeftButton);
            sendSurfaceMouse(*w->ui().Picture1, QEvent::MouseButtonRelease, to, Qt::LeftButton,
                             Qt::NoButton);
            break;
        }
        case 8:
            w->ui().pb1(pick(0, 1) ? 10 : 14)->click();
            break;
        case 9:
            f.resize(pick(200, 600), pick(150, 500));
            break;
        case 10:
            f.pb1(6)->click();
            break;
        default:
            turn(*w, pick(-3, 3), pick(-3, 3));
        }
        settle();
        if (screen.size() != p.image().size())
            screen = fresh(); // a new size is painted whole
        watcher.repaintInto(screen);
        const QImage full = fullRedraw(f);
        ASSERT_TRUE(p.image() == full) << "step " << step << ", action " << action;
        ASSERT_TRUE(screen == full) << "step " << step << ", action " << action;
    }
}

// --- The fuselage ---

// "Vue Fuselage" shows every former at its station, the current one in the part's colours and
// the others grey; the orbit and the view buttons act on it as on the part, the editing reaches
// it, and going back shows the part exactly as it was.
TEST(Editor3D, TheFuselageViewShowsEveryFormerAndGoesBackToThePartAsItWas) {
    auto w = shownMain();
    Frm3D& f = *w->frm3D();
    QToolButton* button = f.pb1(6);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "Vue Fuselage");
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(inside(f).fuselageEngine(), nullptr) << "made on first need";

    turn(*w, 40, 25);
    QTest::mouseClick(f.pb1(5), Qt::LeftButton); // "Vue Solide"
    settle();
    const View3DSettings settings = f.viewSettings();
    const FrameCounter frames(f);
    setThreeFormers(*w);
    settle();
    EXPECT_EQ(frames.frames(), 0) << "hidden, the fuselage is not drawn";

    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    ASSERT_TRUE(f.fuselageShown());
    EXPECT_TRUE(button->isChecked());
    EXPECT_FALSE(f.Frame1->isEnabled()) << "the fuselage shows whole formers";
    EXPECT_EQ(frames.frames(), 1);
    View3DSettings fuselageSettings = settings;
    fuselageSettings.fuselage = true;
    fuselageSettings.fuselageOrbitKept = true; // its own orbit, fitted below
    fuselageSettings.fuselageDistance = 370.0f + 120.0f;
    EXPECT_EQ(f.viewSettings(), fuselageSettings) << "the part's view, kept";
    // First seen from the front, the nearest former where the part would stand.
    EXPECT_EQ(inside(f).yaw(), 0.0f);
    EXPECT_EQ(inside(f).distance(), 370.0f + 120.0f);
    const Engine& e = *inside(f).fuselageEngine();
    EXPECT_EQ(e.lastSlot(), kMaxPoolSlots - 1);
    EXPECT_EQ(inside(f).engine().lastSlot(), kLastSlot) << "the part keeps its pools";
    ASSERT_EQ(inside(f).fuselage().bands.size(), 3u);
    const Mesh& current = e.meshes[inside(f).fuselage().scene.formerMesh];
    EXPECT_EQ(current.vertexCount, f.part().vertexCount);

    turn(*w, -60, 30);
    settle();
    const Camera& camera = e.cameras[inside(f).fuselageCamera()];
    EXPECT_NEAR(inside(f).yaw(), 0.6f, 1e-6);
    EXPECT_NEAR(inside(f).pitch(), 0.3f, 1e-6);
    EXPECT_NEAR(camera.rotation.y, -0.6f, 1e-6);
    EXPECT_NEAR(std::hypot(camera.position.x, camera.position.y, camera.position.z), 490.0, 1e-2);
    EXPECT_EQ(camera.renderMode, kModeSolid);
    // Solid: the faces' own colours; wire frame: the others outlined in grey.
    const QImage solid = f.Picture1->image().copy();
    EXPECT_GT(countColour(solid, QColor(110, 0, 0)), 100);
    EXPECT_GT(countColour(solid, QColor(64, 64, 64)), 2 * countColour(solid, QColor(110, 0, 0)));
    QTest::mouseClick(f.pb1(2), Qt::LeftButton);
    settle();
    EXPECT_EQ(camera.renderMode, kModeWireFrame);
    const QImage wire = f.Picture1->image();
    EXPECT_GT(countColour(wire, QColor(128, 128, 128)), countColour(wire, Qt::white));
    EXPECT_GT(countColour(wire, Qt::white), 100);
    QTest::mouseClick(f.pb1(5), Qt::LeftButton);

    // Dragging a point moves the current band in place, drawn at once; the others stay. So
    // does the thickness.
    const int index = inside(f).fuselage().scene.formerMesh;
    const int other = inside(f).fuselage().otherMeshes[0];
    const Vector3 otherFirst = e.vertices[e.meshes[other].vertexStart];
    const std::vector<Vector3> before(e.vertices.begin() + current.vertexStart,
                                      e.vertices.begin() + current.vertexStart +
                                          current.vertexCount);
    const Handle& h = w->model().shppi[4];
    dragHandle(*w, h, centreOf(w->model(), h) + QPointF(8, 0));
    settle();
    EXPECT_EQ(inside(f).fuselage().scene.formerMesh, index);
    int moved = 0;
    for (int k = 0; k < current.vertexCount; ++k)
        moved += !(e.vertices[current.vertexStart + k] == before[k]);
    EXPECT_GT(moved, 4);
    EXPECT_TRUE(e.vertices[e.meshes[other].vertexStart] == otherFirst);
    EXPECT_TRUE(f.Picture1->image() == fullRedraw(f));
    const float back = e.vertices[current.vertexStart + current.vertexCount - 1].z;
    pressAndMove(w->ui().Slider1, 25);
    EXPECT_EQ(e.vertices[current.vertexStart + current.vertexCount - 1].z, back + 20.0f);
    pressAndMove(w->ui().Slider1, 5);
    settle();

    // Another former taken up: the bands stay where they are in the pools, two recoloured, and
    // each shows what a fresh build of the same formers shows; the one taken up then follows
    // the part, built anew whole when its number of points changes.
    auto runs = [&] {
        std::vector<std::array<int, 3>> r;
        for (const FuselageBand& b : inside(f).fuselage().bands)
            r.push_back({b.mesh, e.meshes[b.mesh].vertexStart, e.meshes[b.mesh].faceStart});
        return r;
    };
    const std::vector<std::array<int, 3>> kept = runs();
    w->lstCouples_Click(0);
    settle();
    EXPECT_EQ(runs(), kept);
    EXPECT_EQ(inside(f).fuselage().scene.formerMesh, inside(f).fuselage().bands[0].mesh);
    EXPECT_TRUE(f.Picture1->image() == fullRedraw(f));
    for (const bool grown : {false, true}) {
        SCOPED_TRACE(grown ? "more points" : "switched");
        auto copy = std::make_unique<Engine>(e);
        FuselageScene fresh = inside(f).fuselage();
        int camera = inside(f).fuselageCamera(), light = inside(f).fuselageLight();
        RebuildFuselage(*copy, fresh, f.part3D(), camera, light);
        for (std::size_t i = 0; i < fresh.bands.size(); ++i) {
            const Mesh& a = e.meshes[inside(f).fuselage().bands[i].mesh];
            const Mesh& b = copy->meshes[fresh.bands[i].mesh];
            ASSERT_EQ(a.vertexCount, b.vertexCount) << i;
            for (int k = 0; k < a.vertexCount; ++k)
                ASSERT_TRUE(e.vertices[a.vertexStart + k] == copy->vertices[b.vertexStart + k])
                    << i << " " << k;
        }
        if (!grown) {
            w->ui().Hscroll2->setValue(w->ui().Hscroll2->value() + 3);
            settle();
            EXPECT_EQ(e.meshes[inside(f).fuselage().scene.formerMesh].vertexCount,
                      f.part().vertexCount);
            EXPECT_TRUE(f.Picture1->image() == fullRedraw(f));
        }
    }

    // Back to the part, in its own orbit.
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_FALSE(f.fuselageShown());
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(f.Frame1->isEnabled());
    View3DSettings returned = f.viewSettings();
    EXPECT_TRUE(returned.fuselageOrbitKept) << "the fuselage's orbit is kept once seen";
    EXPECT_NEAR(returned.fuselageYaw, 0.6f, 1e-6);
    returned.fuselageOrbitKept = settings.fuselageOrbitKept;
    returned.fuselageYaw = settings.fuselageYaw;
    returned.fuselagePitch = settings.fuselagePitch;
    returned.fuselageDistance = settings.fuselageDistance;
    EXPECT_EQ(returned, settings);
    EXPECT_TRUE(f.Picture1->image() == fullRedraw(f));
    // There and back with nothing changed: the part's frame to the pixel.
    const QImage part = f.Picture1->image().copy();
    f.showFuselage(true);
    settle();
    EXPECT_NEAR(inside(f).yaw(), 0.6f, 1e-6) << "the fuselage keeps its orbit too";
    // Both orbits are the view's, as a project keeps it: handed back, each is where it was.
    const View3DSettings both = f.viewSettings();
    f.applyViewSettings(View3DSettings{});
    EXPECT_FALSE(f.fuselageShown());
    f.applyViewSettings(both);
    EXPECT_EQ(f.viewSettings(), both);
    EXPECT_NEAR(inside(f).yaw(), 0.6f, 1e-6);
    f.showFuselage(false);
    settle();
    EXPECT_TRUE(f.Picture1->image() == part);

    // Thirty formers of about 100 points with their doublings: more than the fuselage's pools
    // hold whole. Going to a former of another point count builds the fuselage anew; every
    // former shows, the others with fewer points, and nothing is told.
    std::vector<int> errors;
    f.errorPresenter = [&errors](int code, const QString&) { errors.push_back(code); };
    for (int row : {0, 1, 2}) {
        w->lstCouples_Click(row);
        if (!w->ui().Check4->isChecked())
            w->ui().Check4->click();
        w->ui().Hscroll2->setValue(100);
    }
    for (int i = 3; i < 30; ++i) {
        w->cmdNouveau_Click();
        w->ui().Hscroll2->setValue(100 - i % 7);
    }
    w->ui().StatusBar->clearMessage();
    f.showFuselage(true);
    for (int row : {4, 25, 5, 26, 1})
        w->lstCouples_Click(row);
    settle();
    EXPECT_EQ(errors, std::vector<int>{});
    EXPECT_EQ(w->statusText(), QString());
    ASSERT_EQ(inside(f).fuselage().bands.size(), 30u);
    for (const FuselageBand& b : inside(f).fuselage().bands)
        EXPECT_NE(b.mesh, 0);

    // Six hundred formers, as the editor gives them: those that find no room even with the
    // fewest points are named in the status bar, in words, once; never in an error box.
    std::vector<FuselageFormer> many(600, FuselageFormer{f.part3D(), 0.0, false});
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i].station = 10.0 * static_cast<double>(i);
        many[i].name = "F" + std::to_string(i + 1);
    }
    many[0].current = true;
    f.setFuselage(many);
    settle();
    const QString told = w->statusText();
    EXPECT_TRUE(told.startsWith("Vue Fuselage : 115 couples ne sont pas montrés (F486, F487, "
                                "F488, F489, F490 et 110 autres)"))
        << told.toStdString();
    w->statusLine().pass(QStringLiteral("autre chose"));
    f.setFuselage(many);
    dragHandle(*w, w->model().shppi[4], centreOf(w->model(), w->model().shppi[4]) + QPointF(3, 0));
    settle();
    EXPECT_EQ(w->statusText(), "autre chose") << "told once";
    EXPECT_EQ(errors, std::vector<int>{});
}

// "Vue Fuselage" in every render mode: the edited former looks as the single part looks in that
// mode, in the part's colours, and the others are a grey clearly seen on the black surface and
// never the part's white.
TEST(Editor3D, TheFuselageShowsTheEditedFormerAsThePartAndTheOthersGreyInEveryMode) {
    auto w = shownMain();
    Frm3D& f = *w->frm3D();
    setThreeFormers(*w);
    f.showFuselage(true);
    settle();
    turn(*w, -110, 10); // the three formers side by side, the edited one in the middle
    settle();
    const Engine& e = *inside(f).fuselageEngine();
    const FuselageScene& fuselage = inside(f).fuselage();
    ASSERT_EQ(fuselage.bands.size(), 3u);
    ASSERT_TRUE(fuselage.bands[1].current);

    // What each former covers of the surface, and its lit pixels there.
    struct Pixels {
        int count = 0;
        int tinted = 0; // red above green
        int grey = 0;   // red, green and blue alike
        int white = 0;
        int red = 0; // the part's own colour
        double brightness = 0.0;
    };
    auto pixelsOf = [&](const QImage& picture, const FuselageBand& band) {
        const Mesh& m = e.meshes[band.mesh];
        QRect box;
        for (int v = m.vertexStart; v < m.vertexStart + m.vertexCount; ++v) {
            const PixelPoint p = toPixel(e.screenPositions[v]);
            box |= QRect(p.x - 1, p.y - 1, 3, 3);
        }
        Pixels px;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (c.red() + c.green() + c.blue() == 0)
                    continue;
                ++px.count;
                px.tinted += c.red() > c.green() && c.green() == c.blue();
                px.grey += c.red() == c.green() && c.green() == c.blue();
                px.white += c == QColor(Qt::white);
                px.red += c == QColor(110, 0, 0);
                px.brightness += (c.red() + c.green() + c.blue()) / 3.0;
            }
        }
        px.brightness /= std::max(px.count, 1);
        return std::pair{box, px};
    };
    // The single part's look in each mode: tinted by its red where lit, white where outlined
    // (inverted outlines on black are white), red where filled.
    const struct {
        int button;
        const char* name;
        bool tinted, white, red;
    } modes[] = {
        {1, "Vue Surface", true, false, false},    {2, "Vue Filaire", false, true, false},
        {3, "VueTransparent", true, false, false}, {4, "Vue Silhouette", false, true, false},
        {5, "Vue Solide", false, true, true},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.name);
        QTest::mouseClick(f.pb1(mode.button), Qt::LeftButton);
        settle();
        const QImage picture = f.Picture1->image();
        const auto [edited, part] = pixelsOf(picture, fuselage.bands[1]);
        EXPECT_GT(part.count, 100);
        EXPECT_EQ(part.tinted > part.count / 2, mode.tinted);
        EXPECT_EQ(part.white > 0, mode.white);
        EXPECT_EQ(part.red > 0, mode.red);
        for (const std::size_t i : {0u, 2u}) {
            SCOPED_TRACE(i);
            const auto [box, other] = pixelsOf(picture, fuselage.bands[i]);
            EXPECT_FALSE(box.intersects(edited)) << "the formers must stand apart on the surface";
            EXPECT_GT(other.count, 100);
            EXPECT_EQ(other.grey, other.count);
            EXPECT_EQ(other.white, 0);
            EXPECT_GE(other.brightness, 80.0) << "clearly seen on black";
        }
    }
}

} // namespace

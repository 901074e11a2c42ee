#include "view3d/frm3d.h"

#include "engine3d/vector_maths.h"
#include "view3d/frm3d_picture.h"
#include "view3d/view_button_pictures.h"

#include <QEvent>
#include <QGroupBox>
#include <QMessageBox>
#include <QPointer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct ViewButton {
    int index;
    const char* tooltip;
    ViewPicture picture;
};

const ViewButton kViewButtons[] = {
    {1, "Vue Surface", ViewPicture::Surface},        {2, "Vue Filaire", ViewPicture::WireFrame},
    {3, "VueTransparent", ViewPicture::Transparent}, {4, "Vue Silhouette", ViewPicture::Silhouette},
    {5, "Vue Solide", ViewPicture::Solid},
};

struct PieceButton {
    int index;
    const char* tooltip;
    PiecePicture picture;
    int viewPiece; // what Build_Outline_3D is asked for
};

const PieceButton kPieceButtons[] = {
    {0, "Couple Entier", PiecePicture::Whole, 1},    {1, "Couple Gauche", PiecePicture::Left, 4},
    {2, "Couple Droit", PiecePicture::Right, 5},     {3, "Couple Supérieur", PiecePicture::Top, 2},
    {4, "CoupleInférieur", PiecePicture::Bottom, 3},
};

constexpr int kFuselageButton = 6; // pb1(6), "Vue Fuselage"

constexpr int kButtonSize = 28; // pixels
constexpr int kButtonStep = 30;
constexpr int kKeyShift = 16;
constexpr int kButtonLeft = 1;
constexpr int kButtonRight = 2;
constexpr double kFullTurn = 6.28318530717958;
constexpr float kPartDistance = 370.0f; // the orbit's distance at load

QToolButton* makeButton(QWidget* parent, const QString& name, const char* tooltip,
                        const QIcon& icon, QPoint at) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(QString::fromUtf8(tooltip));
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setGeometry(QRect(at, QSize(kButtonSize, kButtonSize)));
    return b;
}

} // namespace

Frm3D::Frm3D(RedrawFlag& flag, QWidget* parent) : QWidget(parent, Qt::Window), Redraw3D(flag) {
    setObjectName("Frm3D");
    setWindowTitle(QStringLiteral("Assemblage"));
    // The editor decides when the program ends; this window's close box only hides it.
    setAttribute(Qt::WA_QuitOnClose, false);
    engine.setErrorSink(&errorSink_);
    createControls();
    canvas_ = std::make_unique<QImageCanvas>(Picture1->image());
    // A request made once this window is gone reaches nobody.
    Redraw3D.setNotifier([self = QPointer<Frm3D>(this)] {
        if (self) {
            self->scheduleFrame();
        }
    });
    resize(kDesignWidth, kDesignHeight);
    Form_Resize();
    Form_Load();
}

void Frm3D::createControls() {
    Picture1 = new Frm3DPicture(this);
    connect(Picture1, &Frm3DPicture::MouseMove, this,
            [this](int b, int s, float x, float y) { Picture1_MouseMove(b, s, x, y); });
    connect(Picture1, &Frm3DPicture::KeyUp, this, [this](int key) { Picture1_KeyUp(key); });
    // A re-made image has lost part of its picture: draw it again.
    connect(Picture1, &Frm3DPicture::imageResized, this, [this] { Redraw3D = true; });

    for (const ViewButton& v : kViewButtons) {
        QToolButton* b =
            makeButton(this, QStringLiteral("pb1_%1").arg(v.index), v.tooltip,
                       viewButtonIcon(v.picture), QPoint(4 + kButtonStep * (v.index - 1), 4));
        const int index = v.index;
        connect(b, &QToolButton::clicked, this, [this, index] { pb1_Click(index); });
        pb1_[v.index] = b;
    }
    QToolButton* fuselage = makeButton(this, QStringLiteral("pb1_%1").arg(kFuselageButton),
                                       "Vue Fuselage", viewButtonIcon(ViewPicture::Fuselage),
                                       QPoint(4 + kButtonStep * (kFuselageButton - 1), 4));
    fuselage->setCheckable(true);
    connect(fuselage, &QToolButton::clicked, this, [this] { pb1_Click(kFuselageButton); });
    pb1_[kFuselageButton] = fuselage;

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(4, 4 + kButtonSize + 4, 4 + kButtonStep * 5, kButtonSize + 8);
    for (const PieceButton& p : kPieceButtons) {
        QToolButton* b =
            makeButton(Frame1, QStringLiteral("pb2_%1").arg(p.index), p.tooltip,
                       pieceButtonIcon(p.picture), QPoint(3 + kButtonStep * p.index, 4));
        const int index = p.index;
        connect(b, &QToolButton::clicked, this, [this, index] { pb2_Click(index); });
        pb2_[p.index] = b;
    }
}

QToolButton* Frm3D::pb1(int index) const {
    const auto it = pb1_.find(index);
    return it == pb1_.end() ? nullptr : it->second;
}

QToolButton* Frm3D::pb2(int index) const {
    const auto it = pb2_.find(index);
    return it == pb2_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------
// Window events

void Frm3D::Form_Load() {
    View_Piece = 1;
    engine.meshRange.first = 1;
    engine.cameraRange.first = 1;
    engine.lightRange.first = 1;
    Picture1->show();
    if (currentCamera == 0) {
        currentCamera = engine.CreateCamera();
        if (engine.isCamera(currentCamera)) {
            engine.cameras[currentCamera].orthoScale = 1.0f;
            engine.cameras[currentCamera].renderMode = kModeWireFrame;
        }
    }
    if (currentLight == 0) {
        currentLight = engine.CreateLight();
    }
    distance = kPartDistance;
    rotationSensitivity = 0.01f;
    zoomSensitivity = 1.0f;
    Redraw3D = true;
}

void Frm3D::Form_Activate() {
    if (loopRunning_) {
        return;
    }
    loopRunning_ = true;
    if (Redraw3D) {
        scheduleFrame();
    }
}

void Frm3D::Form_Resize() {
    // The window keeps to the top-left corner of the screen, but for a place given back from
    // the last run while its size is the one it came with; the surface fills it.
    if (!placing_ && size() != heldPlace_.size()) {
        // Before the window shows on screen, a resize is the window manager mapping it at its
        // first size, not the user's: the place given back holds.
        if (heldPlace_.isValid() && !(windowHandle() && windowHandle()->isExposed())) {
            placing_ = true;
            setGeometry(heldPlace_);
            placing_ = false;
        } else {
            heldPlace_ = QRect();
            move(0, 0);
        }
    }
    Picture1->setGeometry(0, 0, width(), height());
    Picture1->fitImage();
}

bool Frm3D::restorePlace(const QByteArray& place) {
    placing_ = true;
    const bool placed = restoreGeometry(place);
    placing_ = false;
    if (placed)
        heldPlace_ = geometry();
    return placed;
}

void Frm3D::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Frm3D::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown is activated as far as the loop is concerned: a window manager may keep the focus
    // on the editor, and the view must not wait for a click.
    Form_Activate();
}

void Frm3D::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    }
}

// ---------------------------------------------------------------------------------------
// Buttons

void Frm3D::pb1_Click(int Index) {
    if (Index == kFuselageButton) {
        showFuselage(!fuselageShown_);
        emit viewChanged();
        return;
    }
    if (!engine.isCamera(currentCamera) || !pb1(Index)) {
        return;
    }
    Camera& c = engine.cameras[currentCamera];
    switch (Index) {
    case 1:
        c.renderMode = kModeSmooth;
        // They stay on whatever mode comes later.
        c.specular = true;
        c.attenuation = true;
        break;
    case 2:
        c.renderMode = kModeWireFrame;
        break;
    case 3:
        c.renderMode = kModeTransparent;
        break;
    case 4:
        c.renderMode = kModeSilhouette;
        break;
    case 5:
        c.renderMode = kModeSolid;
        break;
    }
    // New settings may fail differently: their errors may be shown again.
    errorSink_.settingsChanged();
    Redraw3D = true;
    emit viewChanged();
}

void Frm3D::pb2_Click(int Index) {
    for (const PieceButton& p : kPieceButtons) {
        if (p.index == Index) {
            View_Piece = p.viewPiece;
            RebuildFormerMesh(1);
            emit viewChanged();
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Mouse and keys

void Frm3D::Picture1_MouseMove(int Button, int, float X, float Y) {
    // The arithmetic is wide, every stored value a 32-bit float, as the orbit keeps them.
    if (Button == kButtonLeft) {
        Picture1->setCursor(Qt::SizeAllCursor);
        yaw = static_cast<float>(yaw - (static_cast<double>(X) - lastX) * rotationSensitivity);
        pitch = static_cast<float>(pitch + (static_cast<double>(Y) - lastY) * rotationSensitivity);
        const float pi = static_cast<float>(kEnginePi);
        if (yaw > pi) {
            yaw = static_cast<float>(yaw - kFullTurn);
        }
        if (yaw < -pi) {
            yaw = static_cast<float>(yaw + kFullTurn);
        }
        if (pitch > kEnginePi / 2) {
            pitch = static_cast<float>(kEnginePi / 2);
        }
        if (pitch < -kEnginePi / 2) {
            pitch = static_cast<float>(-kEnginePi / 2);
        }
    } else if (Button == kButtonRight) {
        Picture1->setCursor(Qt::SizeVerCursor);
        distance =
            static_cast<float>(distance + (static_cast<double>(Y) - lastY) * zoomSensitivity);
        if (distance < 0.0f) {
            distance = 0.0f; // the camera sits on the target
        }
    }
    if (Button != 0) {
        Redraw3D = true;
        emit viewChanged();
    } else {
        Picture1->unsetCursor();
    }
    lastX = toPixel(X);
    lastY = toPixel(Y);
}

void Frm3D::Picture1_KeyUp(int KeyCode) {
    if (KeyCode == kKeyShift) {
        Redraw3D = true;
    }
}

// ---------------------------------------------------------------------------------------
// Scene

void Frm3D::setPart(const SceneInput& in) {
    part_ = in;
    partOutline_.take(part_);
}

void Frm3D::setToolbarTags(const ToolbarTags& tags) {
    tags_ = tags;
}

void Frm3D::SetupScene() {
    ::SetupScene(engine, scene, part_, currentCamera, currentLight);
}

void Frm3D::RebuildFormerMesh(int mode) {
    const SceneInput& in = part_;
    ::RebuildFormerMesh(engine, scene, in, View_Piece, mode);
    // The current former's band in the fuselage follows, shown or not.
    if (fuselageBuilt_) {
        if (!UpdateFuselageCurrent(*fuselageEngine_, fuselage_, in)) {
            RebuildFuselage(*fuselageEngine_, fuselage_, in, fuselageCamera_, fuselageLight_,
                            largestCurrentIntervals());
        }
        tellFormersLeftOut();
    }
    // Either way the part is centred on the thickness it is given.
    builtThickness_ = engine.isMesh(scene.formerMesh) ? in.partDepth : 0;
    if (mode == 1) {
        // Not shown on its own: the frame asked for below repaints the surface.
        canvas_->clear();
    }
    Redraw3D = true;
}

// ---------------------------------------------------------------------------------------
// The editor's face

namespace {

// The window's numbers of the pieces (View_Piece) and of the render modes, in the order of
// the view's enumerations.
constexpr std::array<int, 5> kViewPieces = {1, 4, 5, 2, 3};
constexpr std::array<int, 5> kRenderModes = {kModeSmooth, kModeWireFrame, kModeTransparent,
                                             kModeSilhouette, kModeSolid};

template <class E> E fromNumber(const std::array<int, 5>& numbers, int n, E otherwise) {
    const auto it = std::find(numbers.begin(), numbers.end(), n);
    return it == numbers.end() ? otherwise : static_cast<E>(it - numbers.begin());
}

} // namespace

int Frm3D::pieceNumber(ViewPiece piece) {
    return kViewPieces[static_cast<std::size_t>(piece)];
}

int Frm3D::renderModeNumber(RenderMode mode) {
    return kRenderModes[static_cast<std::size_t>(mode)];
}

View3DSettings Frm3D::viewSettings() const {
    View3DSettings v;
    v.shown = isVisible();
    v.piece = fromNumber(kViewPieces, View_Piece, ViewPiece::Whole);
    if (engine.isCamera(currentCamera)) {
        const Camera& c = engine.cameras[static_cast<std::size_t>(currentCamera)];
        v.renderMode = fromNumber(kRenderModes, c.renderMode, RenderMode::WireFrame);
        v.specular = c.specular;
        v.attenuation = c.attenuation;
    }
    // The single part's orbit, wherever it waits.
    const Orbit part = fuselageShown_ ? hiddenOrbit_ : Orbit{yaw, pitch, distance};
    v.yaw = part.yaw;
    v.pitch = part.pitch;
    v.distance = part.distance;
    v.fuselage = fuselageShown_;
    const Orbit fuselage = fuselageShown_ ? Orbit{yaw, pitch, distance} : hiddenOrbit_;
    v.fuselageOrbitKept = fuselageSeen_;
    if (fuselageSeen_) {
        v.fuselageYaw = fuselage.yaw;
        v.fuselagePitch = fuselage.pitch;
        v.fuselageDistance = fuselage.distance;
    }
    return v;
}

void Frm3D::applyViewSettings(const View3DSettings& v) {
    // The fuselage's orbit first: showing it fits it only while none is kept.
    if (v.fuselageOrbitKept) {
        const Orbit fuselage{v.fuselageYaw, v.fuselagePitch, v.fuselageDistance};
        if (fuselageShown_) {
            yaw = fuselage.yaw;
            pitch = fuselage.pitch;
            distance = fuselage.distance;
        } else {
            hiddenOrbit_ = fuselage;
        }
    } else if (fuselageShown_) {
        fitFuselageOrbit();
    } else {
        hiddenOrbit_ = Orbit{};
    }
    fuselageSeen_ = v.fuselageOrbitKept || fuselageShown_;
    showFuselage(v.fuselage);
    View_Piece = kViewPieces[static_cast<std::size_t>(v.piece)];
    if (engine.isCamera(currentCamera)) {
        Camera& c = engine.cameras[static_cast<std::size_t>(currentCamera)];
        c.renderMode =
            static_cast<std::int16_t>(kRenderModes[static_cast<std::size_t>(v.renderMode)]);
        c.specular = v.specular;
        c.attenuation = v.attenuation;
    }
    const Orbit part{v.yaw, v.pitch, v.distance};
    if (fuselageShown_) {
        hiddenOrbit_ = part;
    } else {
        yaw = part.yaw;
        pitch = part.pitch;
        distance = part.distance;
    }
    setVisible(v.shown);
    Redraw3D = true;
}

int Frm3D::builtThickness() const {
    return engine.isMesh(scene.formerMesh) ? builtThickness_ : 0;
}

void Frm3D::shiftBackLayer(float delta) {
    ShiftBackLayer(engine, scene.formerMesh, delta);
    if (fuselageBuilt_) {
        ShiftBackLayer(*fuselageEngine_, fuselage_.scene.formerMesh, delta);
        currentBandMoved();
    }
}

void Frm3D::currentBandMoved() {
    for (FuselageBand& b : fuselage_.bands) {
        if (b.current) {
            b.given.reset();
        }
    }
}

// The fuselage's band scales about the former's axes, which its x and y are measured from.
// A former given its real size keeps it there: "Haut.:" and "Larg.:" shape the single part only.
bool Frm3D::fuselageFollowsSliders() const {
    if (!fuselageBuilt_) {
        return false;
    }
    for (const FuselageBand& b : fuselage_.bands) {
        if (b.current) {
            return b.W <= 0.0 || b.H <= 0.0;
        }
    }
    return false;
}

void Frm3D::scalePartHeight(double ratio) {
    ScaleMeshY(engine, scene.formerMesh, ratio);
    if (fuselageFollowsSliders()) {
        ScaleMeshY(*fuselageEngine_, fuselage_.scene.formerMesh, ratio);
        currentBandMoved();
    }
}

void Frm3D::scalePartWidth(double ratio) {
    ScaleMeshX(engine, scene.formerMesh, ratio);
    if (fuselageFollowsSliders()) {
        ScaleMeshX(*fuselageEngine_, fuselage_.scene.formerMesh, ratio);
        currentBandMoved();
    }
}

PartMesh Frm3D::part() const {
    PartMesh p;
    p.index = scene.formerMesh;
    if (engine.isMesh(scene.formerMesh)) {
        const Mesh& m = engine.meshes[static_cast<std::size_t>(scene.formerMesh)];
        p.vertexCount = m.vertexCount;
        p.faceCount = m.faceCount;
        const auto first = engine.vertices.begin() + m.vertexStart;
        p.vertices.assign(first, first + m.vertexCount);
    }
    return p;
}

// ---------------------------------------------------------------------------------------
// The fuselage

Engine& Frm3D::fuselageEngine() {
    if (!fuselageEngine_) {
        fuselageEngine_ = std::make_unique<Engine>(fuselageErrors_, kFuselagePoolSlots);
        fuselageCamera_ = fuselageEngine_->CreateCamera();
        fuselageLight_ = fuselageEngine_->CreateLight();
        if (fuselageEngine_->isCamera(fuselageCamera_)) {
            fuselageEngine_->cameras[fuselageCamera_].orthoScale = 1.0f;
        }
    }
    return *fuselageEngine_;
}

// Room for the current band at its largest: the most samples, with the doubling.
int Frm3D::largestCurrentIntervals() {
    SceneInput largest;
    largest.sampleCount = kSampleCountRange.max;
    largest.doublingOn = 1;
    return OutlineIntervals(largest);
}

void Frm3D::buildFuselage(std::span<const FuselageFormer> formers) {
    // The current former as the single part has it.
    std::vector<FuselageFormer> own(formers.begin(), formers.end());
    const auto current =
        std::find_if(own.begin(), own.end(), [](const FuselageFormer& f) { return f.current; });
    if (current != own.end()) {
        current->input = part_;
    }
    // The bands kept where only some formers changed (a switch recolours two), else built anew.
    if (!RefreshFuselage(fuselageEngine(), fuselage_, own, largestCurrentIntervals())) {
        SetupFuselage(fuselageEngine(), fuselage_, own, fuselageCamera_, fuselageLight_,
                      largestCurrentIntervals());
    }
    fuselageBuilt_ = true;
    tellFormersLeftOut();
}

void Frm3D::tellFormersLeftOut() {
    const std::string text = FormersLeftOutMessage(FormersLeftOut(fuselage_));
    if (text != toldLeftOut_ && !text.empty()) {
        emit leftOutTold(QString::fromStdString(text));
    }
    toldLeftOut_ = text;
}

void Frm3D::setFuselage(std::span<const FuselageFormer> formers) {
    buildFuselage(formers);
    if (fuselageShown_) {
        Redraw3D = true;
    }
}

void Frm3D::showFuselage(bool on) {
    if (QToolButton* b = pb1(kFuselageButton)) {
        b->setChecked(on);
    }
    Frame1->setEnabled(!on);
    if (on == fuselageShown_) {
        return;
    }
    if (on) {
        emit fuselageWanted();
    }
    if (on && !fuselageBuilt_) {
        const FuselageFormer alone{part_, 0.0, true};
        buildFuselage(std::span(&alone, 1));
    }
    const Orbit shown{yaw, pitch, distance};
    yaw = hiddenOrbit_.yaw;
    pitch = hiddenOrbit_.pitch;
    distance = hiddenOrbit_.distance;
    hiddenOrbit_ = shown;
    fuselageShown_ = on;
    if (on && !fuselageSeen_) {
        fuselageSeen_ = true;
        fitFuselageOrbit();
    }
    Redraw3D = true;
}

void Frm3D::fitFuselageOrbit() {
    // Seen from the front, its nearest former where the single part stands.
    double first = 0.0, last = 0.0;
    for (const FuselageBand& b : fuselage_.bands) {
        first = std::min(first, b.station - fuselage_.middle);
        last = std::max(last, b.station - fuselage_.middle);
    }
    yaw = 0.0f;
    pitch = 0.0f;
    distance = static_cast<float>(kPartDistance + (last - first) / 2.0);
}

// ---------------------------------------------------------------------------------------
// Render loop

void Frm3D::scheduleFrame() {
    if (!loopRunning_ || framePending_) {
        return;
    }
    framePending_ = true;
    // Queued on this window: if it is destroyed first, the pass is dropped with it.
    QMetaObject::invokeMethod(
        this, [this] { renderPass(); }, Qt::QueuedConnection);
}

void Frm3D::renderPass() {
    framePending_ = false;
    if (!Redraw3D) {
        return;
    }
    Redraw3D = false;
    drawFrame();
}

void Frm3D::drawPendingFrame() {
    if (Redraw3D) {
        Redraw3D = false;
        drawFrame();
    }
}

void Frm3D::drawFrame() {
    Engine& e = fuselageShown_ ? *fuselageEngine_ : engine;
    const int camera = fuselageShown_ ? fuselageCamera_ : currentCamera;
    const int light = fuselageShown_ ? fuselageLight_ : currentLight;
    if (fuselageShown_ && e.isCamera(camera) && engine.isCamera(currentCamera)) {
        // One render mode for both views: the view buttons set it on the part's camera.
        const Camera& part = engine.cameras[currentCamera];
        Camera& c = e.cameras[camera];
        c.renderMode = part.renderMode;
        c.specular = part.specular;
        c.attenuation = part.attenuation;
        if (engine.isLight(currentLight)) {
            FitFuselageDepth(e, fuselage_, camera, light, part, engine.lights[currentLight],
                             distance);
        }
    }
    e.OrbitCamera(camera, Vector3{0.0f, 0.0f, 0.0f}, distance, yaw, pitch);
    if (e.isCamera(camera) && e.isLight(light)) {
        // A head light.
        e.lights[light].position = e.cameras[camera].position;
    }
    canvas_->clearForNextFrame(); // filled as the frame is drawn
    const ToolbarTags& tags = tags_;
    e.RenderFrame(*canvas_, camera,
                  fuselageShown_ ? fuselage_.frameInputs(tags) : scene.frameInputs(tags));
    canvas_->setOutlineColour(Colour3{255, 255, 255});
    // Only what the last frame and this one drew has changed.
    Picture1->showImageParts(canvas_->takeChanged());
    emit frameDrawn();
}

// ---------------------------------------------------------------------------------------
// Errors

void Frm3D::WindowErrorSink::EngineError(int code) {
    window_.pendingErrors_.push_back(code);
    if (!window_.errorsScheduled_) {
        window_.errorsScheduled_ = true;
        QMetaObject::invokeMethod(
            &window_, [w = &window_] { w->showErrors(); }, Qt::QueuedConnection);
    }
}

void Frm3D::showErrors() {
    errorsScheduled_ = false;
    const std::vector<int> codes = std::move(pendingErrors_);
    pendingErrors_.clear();
    for (int code : codes) {
        const QString text = QString::fromUtf8(EngineErrorText(code));
        if (errorPresenter) {
            errorPresenter(code, text);
        } else {
            QMessageBox::critical(this, QStringLiteral("Error"), text);
        }
    }
}

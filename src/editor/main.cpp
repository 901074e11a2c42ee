#include "editor/main.h"

#include "editor/toolbar_pictures.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

struct ToolbarButton {
    int index;
    const char* tooltip;
    const char* tag;
    ToolbarPicture picture;
};

// The toolbar as designed: index, tooltip, initial tag, picture.
const ToolbarButton kToolbar[] = {
    {0, "Ouvrir un Projet", "", ToolbarPicture::Open},
    {1, "Enregistrer le Projet", "", ToolbarPicture::Save},
    {2, "Pointillés", "1", ToolbarPicture::Dotted},
    {3, "Vue Points", "1", ToolbarPicture::Points},
    {5, "Poignées", "0", ToolbarPicture::Handles},
    {10, "Axes On/Off", "0", ToolbarPicture::Axes},
    {11, "Vue 3D", "0", ToolbarPicture::View3D},
    {14, "Grille On/Off", "0", ToolbarPicture::Grid},
};

// Layout of the window's design, in millimetres of the window.
constexpr double kMargin = 2.0;
constexpr double kToolbarTop = 1.0;
constexpr double kButtonSize = 8.0;
constexpr double kBodyTop = kToolbarTop + kButtonSize + 1.5;
constexpr double kTabWidth = 72.0;
constexpr double kTabHeight = 100.0;
constexpr double kSurfaceLeft = kMargin + kTabWidth + 2.0;
constexpr double kFramesLeft = 120.0; // twips, Frame5 and Frame10 in their tabs

QSlider* makeSlider(QWidget* parent, const char* name, int min, int max, int value, int large,
                    QSlider::TickPosition ticks) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setSingleStep(1);
    s->setPageStep(large);
    s->setTickPosition(ticks);
    s->setTickInterval(1);
    return s;
}

} // namespace

Main::Main(QSizeF surfaceMm, QWidget* parent) : QMainWindow(parent) {
    setObjectName("Main");
    setWindowTitle(QStringLiteral("EDITEUR de COUPLES"));
    createControls(surfaceMm);
    connectEditing();
    createProjectItems();
    createEditMenu();
    Form_Load();
    recordedWork_ = editorState(); // the first step starts from the former at start-up
}

// ---------------------------------------------------------------------------------------
// Controls

QRect Main::mm(double left, double top, double width, double height) const {
    const double k = logicalDpiX() / 25.4;
    return QRect(qRound(left * k), qRound(top * k), qRound(width * k), qRound(height * k));
}

int Main::twipsToPixels(double twips) const {
    return qRound(twips / 1440.0 * logicalDpiX());
}

void Main::createControls(QSizeF surfaceMm) {
    auto* central = new QWidget(this);
    central->setObjectName("central");
    setCentralWidget(central);

    createToolbar(central);

    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName("SSTab1");
    SSTab1->setGeometry(mm(kMargin, kBodyTop, kTabWidth, kTabHeight));
    auto* dessin = new QWidget;
    auto* masque = new QWidget;
    SSTab1->addTab(dessin, QStringLiteral("Dessin"));
    SSTab1->addTab(masque, QStringLiteral("Masque"));
    createDessinTab(dessin);
    createMasqueTab(masque);

    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        controlChanged([index](EditorState& s) {
            s.tab = index == 1 ? EditorTab::Masque : EditorTab::Dessin;
        });
    });

    createSurface(central, surfaceMm);
    createMenus();
    createFrame3(central, mm(kMargin, kBodyTop + kTabHeight + 1.0, kTabWidth, 27.0));

    // The window fits the tab control and the drawing surface, whatever its size.
    const QRect surface = Picture1->geometry();
    const int width = surface.right() + 1 + mm(0, 0, kMargin, 0).width();
    const int height =
        std::max({surface.bottom(), SSTab1->geometry().bottom(), Frame3->geometry().bottom()}) + 1 +
        mm(0, 0, 0, kMargin).height();
    resize(width, height + menuBar()->sizeHint().height());
}

void Main::createToolbar(QWidget* parent) {
    double left = kMargin;
    for (const ToolbarButton& b : kToolbar) {
        auto* button = new QToolButton(parent);
        button->setObjectName(QStringLiteral("pb1_%1").arg(b.index));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setProperty("tag", QString::fromUtf8(b.tag));
        button->setProperty("Index", b.index);
        button->setIcon(toolbarIcon(b.picture));
        button->setIconSize(QSize(24, 24));
        button->setGeometry(mm(left, kToolbarTop, kButtonSize, kButtonSize));
        const int index = b.index;
        connect(button, &QToolButton::clicked, this, [this, index] { pb1_Click(index); });
        pb1_[b.index] = button;
        left += kButtonSize + 0.5;
    }
    // The image list holds the pictures that start-up gives to buttons 0 and 1 and to
    // "Image On/Off".
    ImageList1[1] = toolbarIcon(ToolbarPicture::Open);
    ImageList1[3] = toolbarIcon(ToolbarPicture::Save);
    ImageList1[11] = toolbarIcon(ToolbarPicture::Picture);
}

void Main::createDessinTab(QWidget* page) {
    Frame5 = new QGroupBox(page);
    Frame5->setObjectName("Frame5");
    // The layout keeps both tabs' frames at the left position 120 twips.
    Frame5->setGeometry(twipsToPixels(kFramesLeft), mm(0, 1, 0, 0).y(),
                        mm(0, 0, kTabWidth - 4, 0).width(), mm(0, 0, 0, 88).height());

    // Doubling on/off and its scale.
    Frame7 = new QGroupBox(Frame5);
    Frame7->setObjectName("Frame7");
    Frame7->setGeometry(mm(2, 2, kTabWidth - 8, 19));
    auto* doublage = new QLabel(QStringLiteral("Doublage"), Frame7);
    doublage->setObjectName("lblDoublage");
    doublage->setGeometry(mm(3, 3, 22, 5));
    Check4 = new QCheckBox(QStringLiteral("On / Off"), Frame7);
    Check4->setObjectName("Check4");
    Check4->setGeometry(mm(28, 3, 30, 5));
    auto* epaisseur = new QLabel(QStringLiteral("Epaisseur"), Frame7);
    epaisseur->setObjectName("lblEpaisseur");
    epaisseur->setGeometry(mm(3, 11, 22, 5));
    Hscroll1 = makeSlider(Frame7, "Hscroll1", 1, 9, 1, 5, QSlider::TicksBelow);
    Hscroll1->setGeometry(mm(25, 10, 36, 7));

    // Sampling of the outline.
    Frame1 = new QGroupBox(Frame5);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(mm(2, 22, kTabWidth - 8, 27));
    auto* nbre = new QLabel(QStringLiteral("Nbre de Points"), Frame1);
    nbre->setObjectName("lblNbrePoints");
    nbre->setGeometry(mm(3, 3, 30, 5));
    Text3 = new QLineEdit(Frame1);
    Text3->setObjectName("Text3");
    Text3->setGeometry(mm(44, 2.5, 15, 5.5));
    Hscroll2 = makeSlider(Frame1, "Hscroll2", 10, 100, 10, 5, QSlider::NoTicks);
    Hscroll2->setGeometry(mm(3, 9, kTabWidth - 14, 5));
    auto* resolution = new QLabel(QStringLiteral("Résolution"), Frame1);
    resolution->setObjectName("lblResolution");
    resolution->setGeometry(mm(3, 17, 22, 5));
    Hscroll3 = makeSlider(Frame1, "Hscroll3", 1, 9, 4, 5, QSlider::TicksBelow);
    Hscroll3->setGeometry(mm(25, 16, 36, 7));

    // Assembly joint.
    Frame2 = new QGroupBox(QStringLiteral("Assemblage"), Frame5);
    Frame2->setObjectName("Frame2");
    Frame2->setGeometry(mm(2, 50, 31, 22));
    Option1 = new QRadioButton(QStringLiteral("Horizontal"), Frame2);
    Option1->setObjectName("Option1");
    Option1->setGeometry(mm(2, 5, 28, 5));
    Option2 = new QRadioButton(QStringLiteral("Aucun"), Frame2);
    Option2->setObjectName("Option2");
    Option2->setGeometry(mm(2, 10.5, 28, 5));
    Option2->setChecked(true);
    Option7 = new QRadioButton(QStringLiteral("Vertical"), Frame2);
    Option7->setObjectName("Option7");
    Option7->setGeometry(mm(2, 16, 28, 5));
    Frame2->setEnabled(false);

    // What the mouse moves.
    Frame4 = new QGroupBox(QStringLiteral("Action Souris"), Frame5);
    Frame4->setObjectName("Frame4");
    Frame4->setGeometry(mm(35, 50, kTabWidth - 41, 22));
    Option3 = new QRadioButton(QStringLiteral("Couple"), Frame4);
    Option3->setObjectName("Option3");
    Option3->setGeometry(mm(2, 5, 26, 5));
    Option3->setChecked(true);
    Option4 = new QRadioButton(QStringLiteral("Doublage"), Frame4);
    Option4->setObjectName("Option4");
    Option4->setGeometry(mm(2, 10.5, 26, 5));
    Option4->setEnabled(false);
    Frame4->setEnabled(false);

    // Slaved or decoupled doubling.
    Frame6 = new QGroupBox(QStringLiteral("Mouvements asservis"), Frame5);
    Frame6->setObjectName("Frame6");
    Frame6->setGeometry(mm(2, 73, kTabWidth - 8, 12));
    Option5 = new QRadioButton(QStringLiteral("Oui"), Frame6);
    Option5->setObjectName("Option5");
    Option5->setGeometry(mm(3, 5, 20, 5));
    Option5->setChecked(true);
    Option6 = new QRadioButton(QStringLiteral("Non"), Frame6);
    Option6->setObjectName("Option6");
    Option6->setGeometry(mm(30, 5, 20, 5));

    // Check4 and the option buttons are wired with their handlers (connectEditing). The point
    // count runs its handler on every change, the program's too.
    connect(Hscroll2, &QSlider::valueChanged, this, [this](int value) {
        controlChanged([value](EditorState& s) { s.sampleCount = value; }, &Main::Hscroll2_Change);
    });
    onUserMove(
        Hscroll1, [](EditorState& s) -> int& { return s.doublingScale; }, &Main::Hscroll1_Scroll);
    onUserMove(
        Hscroll3, [](EditorState& s) -> int& { return s.orderSlider; }, &Main::Hscroll3_Scroll);
}

void Main::createMasqueTab(QWidget* page) {
    Frame10 = new QGroupBox(page);
    Frame10->setObjectName("Frame10");
    Frame10->setGeometry(twipsToPixels(kFramesLeft), mm(0, 1, 0, 0).y(),
                         mm(0, 0, kTabWidth - 4, 0).width(), mm(0, 0, 0, 60).height());

    Frame9 = new QGroupBox(Frame10);
    Frame9->setObjectName("Frame9");
    Frame9->setGeometry(mm(2, 2, kTabWidth - 8, 36));
    struct SliderRow {
        QSlider** slider;
        const char* name;
        const char* label;
        const char* tooltip;
        int min, max, value, large;
    };
    const SliderRow rows[] = {
        {&Slider4, "Slider4", "Horiz", "Gauche / Droite", 0, 1300, 650, 1},
        {&Slider6, "Slider6", "Vert", "Haut / Bas", -1000, 1500, 70, 5},
        {&Slider5, "Slider5", "Zoom", "Zoom", -20, 200, 80, 5},
    };
    double top = 4;
    for (const SliderRow& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.label), Frame9);
        label->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(r.label));
        label->setGeometry(mm(3, top, 14, 5));
        *r.slider = makeSlider(Frame9, r.name, r.min, r.max, r.value, r.large, QSlider::NoTicks);
        (*r.slider)->setToolTip(QString::fromUtf8(r.tooltip));
        (*r.slider)->setGeometry(mm(17, top, kTabWidth - 28, 6));
        top += 10;
    }
    Frame9->setEnabled(false);

    Frame8 = new QGroupBox(Frame10);
    Frame8->setObjectName("Frame8");
    Frame8->setGeometry(mm(2, 40, kTabWidth - 8, 16));
    Command4 = new QPushButton(QStringLiteral("Image On/Off"), Frame8);
    Command4->setObjectName("Command4");
    Command4->setProperty("tag", QStringLiteral("0"));
    Command4->setIconSize(QSize(24, 24));
    Command4->setGeometry(mm(3, 3, kTabWidth - 14, 10));
    Frame8->setEnabled(false);

    onUserMove(
        Slider4, [](EditorState& s) -> int& { return s.pictureHoriz; }, &Main::Slider4_Scroll);
    onUserMove(
        Slider6, [](EditorState& s) -> int& { return s.pictureVert; }, &Main::Slider4_Scroll);
    onUserMove(
        Slider5, [](EditorState& s) -> int& { return s.pictureZoom; }, &Main::Slider4_Scroll);
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void Main::createSurface(QWidget* parent, QSizeF surfaceMm) {
    Picture1 = new PictureBox(parent);
    Picture1->setObjectName("Picture1");
    Picture1->setScaleSize(surfaceMm);
    Picture1->move(mm(kSurfaceLeft, kBodyTop, 0, 0).topLeft());
    Picture1->setItems(&model_);
    connect(Picture1, &PictureBox::Paint, this, [this] { Picture1_Paint(); });
    // On a screen with another resolution or pixel ratio the controls are laid out again and
    // the surface's layers drawn anew at its sharpness.
    connect(Picture1, &PictureBox::screenChanged, this, [this] { Form_Resize(); });

    const double h = surfaceMm.height();
    lblX = new QLineEdit(Picture1);
    lblX->setObjectName("lblX");
    Picture1->placeChild(lblX, QRectF(1, h - 6.5, 17, 5.5));
    lblY = new QLineEdit(Picture1);
    lblY->setObjectName("lblY");
    Picture1->placeChild(lblY, QRectF(19, h - 6.5, 17, 5.5));

    Label6 = new QLabel(QStringLiteral("Mode Asservi"), Picture1);
    Label6->setObjectName("Label6");
    Label6->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    Picture1->placeChild(Label6, QRectF(1.5, 1, 40, 5));

    Label4 = new QLabel(QStringLiteral("^"), Picture1);
    Label4->setObjectName("Label4");
    QFont f = Label4->font();
    f.setBold(true);
    f.setPointSizeF(13.5);
    Label4->setFont(f);
    Label4->setStyleSheet(QStringLiteral("color: rgb(0, 192, 0);"));
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Picture1->placeChild(Label4, QRectF(surfaceMm.width() / 2 - 3, h - 7, 6, 7));
}

void Main::createMenus() {
    IM_File = menuBar()->addMenu(QStringLiteral("&Fichiers"));
    IM_File->setObjectName("IM_File");
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (Main::*handler)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(name);
    };
    IM_Load = item(IM_File, "IM_Load", "&Charger", &Main::IM_Load_Click);
    separator(IM_File, "IM_Sep1");
    IM_Save_G =
        item(IM_File, "IM_Save_G", "&Sauvegarder 1/2 couple Gauche", &Main::IM_Save_G_Click);
    IM_Save_D = item(IM_File, "IM_Save_D", "&Sauvegarder 1/2 couple Droit", &Main::IM_Save_D_Click);
    separator(IM_File, "sepa");
    IM_H = item(IM_File, "IM_H", "&Sauvegarder 1/2 couple Haut", &Main::IM_H_Click);
    IM_B = item(IM_File, "IM_B", "&Sauvegarder 1/2 couple Bas", &Main::IM_B_Click);
    separator(IM_File, "sepb");
    IM_Save_All =
        item(IM_File, "IM_Save_All", "&Sauvegarder Couple Entier", &Main::IM_Save_All_Click);
    separator(IM_File, "IM_Sep");
    IM_Quit = item(IM_File, "IM_Quit", "&Quitter", &Main::IM_Quit_Click);

    IM_PREFER = menuBar()->addMenu(QStringLiteral("&Outils"));
    IM_PREFER->setObjectName("IM_PREFER");
    IM_BACKCOLOR = item(IM_PREFER, "IM_BACKCOLOR", "&MsPaint", &Main::IM_BACKCOLOR_Click);
    createExportMenu();

    IM_HELP = menuBar()->addMenu(QStringLiteral("&Aide"));
    IM_HELP->setObjectName("IM_HELP");
    IM_HRELP = item(IM_HELP, "IM_HRELP", "&Aide", &Main::IM_HRELP_Click);
    IM_ABOUT = item(IM_HELP, "IM_ABOUT", "&A propos", &Main::IM_ABOUT_Click);
}

void Main::onUserMove(QSlider* slider, SliderSetting setting, void (Main::*handler)()) {
    // A user action first moves the slider's position and then sets its value; remember that
    // the coming value change is the user's.
    auto pending = std::make_shared<bool>(false);
    connect(slider, &QAbstractSlider::actionTriggered, this,
            [slider, pending](int) { *pending = slider->sliderPosition() != slider->value(); });
    connect(slider, &QAbstractSlider::valueChanged, this, [this, pending, setting, handler](int v) {
        controlChanged([setting, v](EditorState& s) { setting(s) = v; },
                       std::exchange(*pending, false) ? handler : nullptr);
    });
}

void Main::controlChanged(const std::function<void(EditorState&)>& store, void (Main::*handler)()) {
    store(state_);
    if (handler)
        (this->*handler)();
}

// ---------------------------------------------------------------------------------------
// Toolbar tags

const std::vector<int>& Main::pb1Indices() {
    static const std::vector<int> indices = [] {
        std::vector<int> v;
        for (const ToolbarButton& b : kToolbar)
            v.push_back(b.index);
        return v;
    }();
    return indices;
}

QToolButton* Main::pb1(int index) const {
    const auto it = pb1_.find(index);
    return it == pb1_.end() ? nullptr : it->second;
}

QString Main::pb1Tag(int index) const {
    const QToolButton* b = pb1(index);
    return b ? b->property("tag").toString() : QString();
}

void Main::showToolbarTags() {
    const std::pair<int, const char*> tags[] = {{2, state_.controlPolygonShown ? "1" : "0"},
                                                {3, state_.samplePointsShown ? "1" : "0"},
                                                {5, state_.handlesHidden ? "-1" : "0"},
                                                {10, state_.axesOn ? "1" : "0"},
                                                {14, state_.gridOn ? "1" : "0"}};
    for (const auto& [index, tag] : tags)
        pb1(index)->setProperty("tag", QString::fromLatin1(tag));
}

int Main::tagValue(const QString& tag) {
    const QString t = tag.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        negative = t[i] == '-';
        ++i;
    }
    long long v = 0;
    // Bounded: only zero, one and minus one mean anything, a long number must not overflow.
    for (; i < t.size() && t[i].isDigit(); ++i)
        v = std::min(v * 10 + t[i].digitValue(), 1000000000LL);
    return static_cast<int>(negative ? -v : v);
}

// ---------------------------------------------------------------------------------------
// Start-up

void Main::Forme_Initiale() {
    IM_Save_G->setText(QStringLiteral("&Sauvegarder 1/2 couple Gauche"));
    IM_Save_D->setText(QStringLiteral("&Sauvegarder 1/2 couple Droit"));
    ::Forme_Initiale(model_);
}

void Main::Form_Load() {
    FormerModel& m = model_;
    // 1. Not loaded yet: the handlers that start-up runs leave the 3-D part alone.
    m.Form_Chargee = false;

    // 2. Beside the 3-D window, centred vertically; reading its width loads it.
    load3DWindow();
    const int frm3DWidth = frm3D->frameGeometry().width();
    if (const QScreen* s = screen())
        move(frm3DWidth + twipsToPixels(1000), (s->geometry().height() - height()) / 2);
    pb1(0)->setIcon(ImageList1[1]);
    pb1(1)->setIcon(ImageList1[3]);
    Command4->setIcon(ImageList1[11]);

    // 3. Nine control points, 12 samples, the spline's order and the handles' radii.
    m.Der_Point = 8;
    m.Nb_Points = 12;
    m.Dessin_Actif = true;
    m.Ordre_Spline = m.Der_Point + 1;
    m.Rayon_X = 0.0105882f;
    m.Rayon_Y = 0.0092924f;

    // 4. The former's and the doubling's control points, all at zero.
    const auto count = static_cast<std::size_t>(m.Der_Point) + 1;
    m.Pts_Couple.assign(count, PointXYZ{});
    m.Pts_Doublage.assign(count, PointXYZ{});

    // 5. The slider runs its change handler: the outline of the all-zero points is drawn.
    Hscroll2->setValue(m.Nb_Points);

    // 6. No border: outer and inner sizes are the same.
    PlaceAxes(m, Picture1->ScaleWidth(), Picture1->ScaleHeight(), Picture1->ScaleHeight());

    // 7., 8. The doubling's scale and its switch off; these only move the controls.
    Hscroll1->setValue(5);
    Check4->setChecked(false);

    // 9., 10. The initial former's handles, then its control points read from them.
    Forme_Initiale();
    CopyHandlesToPoints(m);

    // 11. The order slider only moves; the point count runs its handler again with 13, while
    // points 0 and N still sit on their handles' corners.
    Hscroll3->setMaximum(m.Ordre_Spline);
    Hscroll3->setValue(4);
    Hscroll2->setValue(13);

    // 12. The first and the last point move onto the symmetry axis.
    PutEndsOnAxis(m);

    // 13. The design layout is recorded; from now on the surface shows the former at the view
    // scale that its size gives.
    Elastic.Size_Init(this, 2);
    Picture1->recordDesignSize();
    axisMarkOffset_ = Label4->x() + Label4->width() / 2.0 - Picture1->toPixels(m.X1(), 0.0).x();
    frm3D->show();

    // 14. The first 3-D build samples the corrected points, as the 2-D view will, so that
    // both views start from the same curve.
    frm3D->SetupScene();
    m.Form_Chargee = true;
    ::DisegnaCurva(m, outlineOptions(), nullptr);
    RebuildFormerMesh(1);
    Redraw3D = true;

    // 15. The tab "Dessin" in front.
    SSTab1->setCurrentIndex(0);

    // The window's first repaint samples the outline again from the corrected points; doing
    // it now means the model already starts exactly on the axis before the window shows.
    Picture1->Refresh();
}

void Main::Form_Resize() {
    FormerModel& m = model_;
    // The layout is made on "Dessin"; the tab the user had comes back at the end.
    const int tab = state_.tab == EditorTab::Masque ? 1 : 0;
    SSTab1->setCurrentIndex(0);
    m.Dessin_Actif = false;
    Elastic.FormResize(this);
    Picture1->followSize();
    m.Dessin_Actif = true;
    // The "^" stays under the symmetry axis, which the view scale places, whatever the window's
    // proportions did to the label.
    Label4->move(qRound(Picture1->toPixels(m.X1(), 0.0).x() +
                        axisMarkOffset_ * Picture1->viewScale() - Label4->width() / 2.0),
                 Label4->y());

    // The surface's new size changed only its view scale: points, samples, handles and axes
    // keep the design's millimetres, so the files and the 3-D part never depend on the window's
    // size. The axes span whatever the surface now shows.
    m.Line1.Y1 = 0.0;
    m.Line1.Y2 = Picture1->ScaleHeight();
    m.Line4.X1 = 0.0;
    m.Line4.X2 = Picture1->ScaleWidth();
    // The grid shows or stays hidden as its button says.
    Quadrillage(gridShown() ? 1 : 0);
    DisegnaCurva();

    Frame10->move(twipsToPixels(kFramesLeft), Frame10->y());
    Frame5->move(twipsToPixels(kFramesLeft), Frame5->y());
    SSTab1->setCurrentIndex(tab);
    // The picture follows the new view scale, on or off as it was; it is drawn again from the
    // picture already read, so a resize never reads the file again.
    if (pictureOn())
        ApplyViewTransform();
}

void Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// ---------------------------------------------------------------------------------------
// Drawing surface

OutlineOptions Main::outlineOptions() const {
    OutlineOptions o;
    o.doubling = state_.doublingOn;
    o.epaisseur = state_.doublingScale;
    o.slaved = state_.slaved;
    o.vertical = state_.joint == AssemblyJoint::Vertical;
    o.horizontal = state_.joint == AssemblyJoint::Horizontal;
    o.vuePoints = state_.samplePointsShown;
    return o;
}

void Main::DisegnaCurva() {
    Picture1->Cls();
    steps_.clear();
    ::DisegnaCurva(model_, outlineOptions(), &steps_);
    Picture1->drawSteps(steps_);
}

void Main::Picture1_Paint() {
    if (!model_.Dessin_Actif)
        return;
    Picture1->Cls();
    DisegnaCurva();
}

bool Main::gridShown() const {
    return !state_.gridOn;
}

void Main::Quadrillage(int lMode) {
    PictureBox& p = *Picture1;
    // Clears with the switch as it is: normally only the overlay goes.
    p.Cls();
    p.setDrawStyle(PictureBox::DrawStyle::Dash);
    p.setAutoRedraw(true);
    // The grid has a layer of its own: hiding it clears that layer and shows what lies under
    // it, the picture or the black background.
    p.Cls();
    if (lMode == 1) {
        const QColor colour(0, 192, 0);
        const double w = p.ScaleWidth();
        // The lines run down to the width, which covers a surface wider than tall; the larger
        // of width and height also covers a surface taller than wide.
        const double reach = std::max(w, p.ScaleHeight());
        for (int i = 0; i * 10.0 <= w; ++i)
            p.Line(i * 10.0, 0.0, i * 10.0, reach, colour);
        for (int i = 0; i * 10.0 <= reach; ++i)
            p.Line(0.0, i * 10.0, w, i * 10.0, colour);
    }
    p.setAutoRedraw(false);
    p.setDrawStyle(PictureBox::DrawStyle::Solid);
}

// ---------------------------------------------------------------------------------------
// Toolbar

void Main::pb1_Click(int Index) {
    FormerModel& m = model_;
    // The toggles are the state's; the buttons' tags show them.
    auto flip = [this](bool EditorState::*toggle) {
        state_.*toggle = !(state_.*toggle);
        showToolbarTags();
    };
    switch (Index) {
    case 0:
        OpenPictureFile();
        break;
    case 1:
        Save_Couple(5);
        break;
    case 2: {
        flip(&EditorState::controlPolygonShown);
        // Hidden, the polygon is not drawn at all: over a picture, black lines would show.
        const bool shown = state_.controlPolygonShown;
        for (int i = 0; i < m.Der_Point && i < static_cast<int>(m.LinPi.size()); ++i)
            m.LinPi[static_cast<std::size_t>(i)].Visible = shown;
        Picture1->invalidate();
        break;
    }
    case 3:
        flip(&EditorState::samplePointsShown);
        DisegnaCurva();
        break;
    case 5: {
        // Hidden, the click shows them; shown, it hides them.
        for (int i = 0; i <= m.Der_Point && i < static_cast<int>(m.shppi.size()); ++i)
            m.shppi[static_cast<std::size_t>(i)].Visible = state_.handlesHidden;
        flip(&EditorState::handlesHidden);
        Picture1->invalidate();
        break;
    }
    case 10:
        flip(&EditorState::axesOn);
        Redraw3D = true;
        break;
    case 11:
        Vue3D_Click();
        break;
    case 14:
        flip(&EditorState::gridOn);
        Quadrillage(gridShown() ? 1 : 0);
        // The grid's clearing took the curve with it: the curve stays over the grid.
        DisegnaCurva();
        Redraw3D = true;
        break;
    default: // no button has this index
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Sampling sliders

void Main::Hscroll2_Change() {
    FormerModel& m = model_;
    // An assembled former is sampled with at least 16 points. Setting the value runs this
    // handler again with 16 before the rest below runs.
    if (state_.sampleCount < 16 && state_.joint != AssemblyJoint::None)
        Hscroll2->setValue(16);
    m.Nb_Points = state_.sampleCount;
    Text3->setText(QString::number(m.Nb_Points));
    Picture1->Cls();
    m.resizeSamples(m.Nb_Points);
    DisegnaCurva();
    if (m.Form_Chargee)
        RebuildFormerMesh(1);
    Redraw3D = true;
}

void Main::RebuildFormerMesh(int mode) {
    ++rebuildCalls[mode == 1 ? 1 : 0];
    if (formerMeshRebuilder_)
        formerMeshRebuilder_(mode);
}

void Main::Hscroll3_Scroll() {
    model_.Ordre_Spline = state_.orderSlider;
    Picture1->Cls();
    DisegnaCurva();
    // The 3-D part follows the new curve too.
    RebuildFormerMesh(0);
    Redraw3D = true;
}

#include "editor/main_controls.h"

#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/status_line.h"
#include "editor/toolbar_pictures.h"
#include "session/work.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

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
constexpr double kTabHeight = 108.0;
constexpr double kSurfaceLeft = kMargin + kTabWidth + 2.0;

// Millimetres and twips of the window's design in pixels of its screen.
class Design {
public:
    explicit Design(const QWidget* window) : dpi_(window->logicalDpiX()) {}
    QRect mm(double left, double top, double width, double height) const {
        const double k = dpi_ / 25.4;
        return QRect(qRound(left * k), qRound(top * k), qRound(width * k), qRound(height * k));
    }
    int twips(double t) const { return qRound(t / 1440.0 * dpi_); }

private:
    int dpi_;
};

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

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

} // namespace

QToolButton* MainControls::pb1(int index) const {
    const auto it = pb1Buttons.find(index);
    return it == pb1Buttons.end() ? nullptr : it->second;
}

void MainControls::setupUi(QMainWindow* Main, QSizeF surfaceMm) {
    const Design d(Main);
    auto* central = named(new QWidget(Main), "central");
    Main->setCentralWidget(central);

    // The toolbar.
    double left = kMargin;
    for (const ToolbarButton& b : kToolbar) {
        auto* button = new QToolButton(central);
        button->setObjectName(QStringLiteral("pb1_%1").arg(b.index));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setProperty("tag", QString::fromUtf8(b.tag));
        button->setProperty("Index", b.index);
        button->setIcon(toolbarIcon(b.picture));
        button->setIconSize(QSize(24, 24));
        button->setGeometry(d.mm(left, kToolbarTop, kButtonSize, kButtonSize));
        pb1Buttons[b.index] = button;
        left += kButtonSize + 0.5;
    }
    // "Ajuster" a little apart: it changes how the drawing is seen, not what it holds.
    IM_Fit = new QAction(toolbarIcon(ToolbarPicture::Fit), QStringLiteral("Ajuster"), Main);
    IM_Fit->setObjectName("IM_Fit");
    IM_Fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    Main->addAction(IM_Fit);
    cmdFit = named(new QToolButton(central), "cmdFit");
    cmdFit->setDefaultAction(IM_Fit);
    cmdFit->setToolTip(QStringLiteral("Ajuster"));
    cmdFit->setIconSize(QSize(24, 24));
    cmdFit->setGeometry(d.mm(left + 1.5, kToolbarTop, kButtonSize, kButtonSize));

    SSTab1 = named(new QTabWidget(central), "SSTab1");
    SSTab1->setGeometry(d.mm(kMargin, kBodyTop, kTabWidth, kTabHeight));
    auto* dessin = new QWidget;
    auto* masque = new QWidget;
    SSTab1->addTab(dessin, QStringLiteral("Dessin"));
    SSTab1->addTab(masque, QStringLiteral("Masque"));

    // ---- tab "Dessin" ----
    // The layout keeps both tabs' frames at the left position 120 twips.
    constexpr double kFramesLeft = 120.0;
    Frame5 = named(new QGroupBox(dessin), "Frame5");
    Frame5->setGeometry(d.twips(kFramesLeft), d.mm(0, 1, 0, 0).y(),
                        d.mm(0, 0, kTabWidth - 4, 0).width(), d.mm(0, 0, 0, 99).height());

    // Doubling on/off, how it follows the former, and its scale or its width.
    Frame7 = named(new QGroupBox(Frame5), "Frame7");
    Frame7->setGeometry(d.mm(2, 2, kTabWidth - 8, 29));
    named(new QLabel(QStringLiteral("Doublage"), Frame7), "lblDoublage")
        ->setGeometry(d.mm(3, 3, 22, 5));
    Check4 = named(new QCheckBox(QStringLiteral("On / Off"), Frame7), "Check4");
    Check4->setGeometry(d.mm(28, 3, 30, 5));
    optProportional =
        named(new QRadioButton(QStringLiteral("Proportionnel"), Frame7), "optProportional");
    optProportional->setGeometry(d.mm(3, 8.5, 40, 5));
    optProportional->setChecked(true);
    optConstantWidth =
        named(new QRadioButton(QStringLiteral("Largeur constante"), Frame7), "optConstantWidth");
    optConstantWidth->setGeometry(d.mm(3, 13.5, 40, 5));
    lblEpaisseur = named(new QLabel(QStringLiteral("Epaisseur"), Frame7), "lblEpaisseur");
    lblEpaisseur->setGeometry(d.mm(3, 21, 22, 5));
    Hscroll1 = makeSlider(Frame7, "Hscroll1", 1, 9, 1, 5, QSlider::TicksBelow);
    Hscroll1->setGeometry(d.mm(25, 20, 36, 7));
    lblDoublingWidth =
        named(new QLabel(QStringLiteral("Largeur (mm)"), Frame7), "lblDoublingWidth");
    lblDoublingWidth->setGeometry(d.mm(3, 21, 24, 5));
    txtDoublingWidth =
        named(new NumberBox(QStringLiteral("Largeur (mm)"),
                            DecimalRule{kMinDoublingWidth, kMaxDoublingWidth}, 2, Frame7),
              "txtDoublingWidth");
    txtDoublingWidth->setGeometry(d.mm(28, 20.5, 18, 5.5));
    txtDoublingWidth->setValue(5.0);
    lblDoublingWidth->hide();
    txtDoublingWidth->hide();

    // Sampling of the outline.
    Frame1 = named(new QGroupBox(Frame5), "Frame1");
    Frame1->setGeometry(d.mm(2, 32, kTabWidth - 8, 25));
    named(new QLabel(QStringLiteral("Nbre de Points"), Frame1), "lblNbrePoints")
        ->setGeometry(d.mm(3, 3, 30, 5));
    Text3 = named(new NumberBox(QStringLiteral("Nbre de Points"),
                                DecimalRule{double(kSampleCountRange.min),
                                            double(kSampleCountRange.max), false, true},
                                0, Frame1),
                  "Text3");
    Text3->setGeometry(d.mm(44, 2.5, 15, 5.5));
    Hscroll2 = makeSlider(Frame1, "Hscroll2", 10, 100, 10, 5, QSlider::NoTicks);
    Hscroll2->setGeometry(d.mm(3, 9, kTabWidth - 14, 5));
    named(new QLabel(QStringLiteral("Résolution"), Frame1), "lblResolution")
        ->setGeometry(d.mm(3, 17, 22, 5));
    Hscroll3 = makeSlider(Frame1, "Hscroll3", 1, 9, 4, 5, QSlider::TicksBelow);
    Hscroll3->setGeometry(d.mm(25, 16, 36, 7));

    // Assembly joint.
    Frame2 = named(new QGroupBox(QStringLiteral("Assemblage"), Frame5), "Frame2");
    Frame2->setGeometry(d.mm(2, 58, 31, 22));
    Option1 = named(new QRadioButton(QStringLiteral("Horizontal"), Frame2), "Option1");
    Option1->setGeometry(d.mm(2, 5, 28, 5));
    Option2 = named(new QRadioButton(QStringLiteral("Aucun"), Frame2), "Option2");
    Option2->setGeometry(d.mm(2, 10.5, 28, 5));
    Option2->setChecked(true);
    Option7 = named(new QRadioButton(QStringLiteral("Vertical"), Frame2), "Option7");
    Option7->setGeometry(d.mm(2, 16, 28, 5));
    Frame2->setEnabled(false);

    // What the mouse moves.
    Frame4 = named(new QGroupBox(QStringLiteral("Action Souris"), Frame5), "Frame4");
    Frame4->setGeometry(d.mm(35, 58, kTabWidth - 41, 22));
    Option3 = named(new QRadioButton(QStringLiteral("Couple"), Frame4), "Option3");
    Option3->setGeometry(d.mm(2, 5, 26, 5));
    Option3->setChecked(true);
    Option4 = named(new QRadioButton(QStringLiteral("Doublage"), Frame4), "Option4");
    Option4->setGeometry(d.mm(2, 10.5, 26, 5));
    Option4->setEnabled(false);
    Frame4->setEnabled(false);

    // Slaved or decoupled doubling.
    Frame6 = named(new QGroupBox(QStringLiteral("Mouvements asservis"), Frame5), "Frame6");
    Frame6->setGeometry(d.mm(2, 81, kTabWidth - 8, 12));
    Option5 = named(new QRadioButton(QStringLiteral("Oui"), Frame6), "Option5");
    Option5->setGeometry(d.mm(3, 5, 20, 5));
    Option5->setChecked(true);
    Option6 = named(new QRadioButton(QStringLiteral("Non"), Frame6), "Option6");
    Option6->setGeometry(d.mm(30, 5, 20, 5));
    // How the mouse drags the former's ends, under the frames of the doubling's modes.
    chkEndsOnAxis =
        named(new QCheckBox(QStringLiteral("Extrémités sur l'axe"), Frame5), "chkEndsOnAxis");
    chkEndsOnAxis->setGeometry(d.mm(5, 93, kTabWidth - 14, 5));
    chkEndsOnAxis->setToolTip(
        QStringLiteral("Les deux extrémités du couple restent sur l'axe de symétrie quand on les "
                       "tire : elles ne montent et ne descendent que le long de l'axe"));

    // ---- tab "Masque" ----
    Frame10 = named(new QGroupBox(masque), "Frame10");
    Frame10->setGeometry(d.twips(kFramesLeft), d.mm(0, 1, 0, 0).y(),
                         d.mm(0, 0, kTabWidth - 4, 0).width(), d.mm(0, 0, 0, 60).height());
    Frame9 = named(new QGroupBox(Frame10), "Frame9");
    Frame9->setGeometry(d.mm(2, 2, kTabWidth - 8, 36));
    struct SliderRow {
        QSlider** slider;
        NumberBox** box;
        const char* name;
        const char* boxName;
        const char* label;
        const char* tooltip;
        int min, max, value, large;
        IntRange typed; // what its box reads; the slider's own range widens with the picture
    };
    const SliderRow rows[] = {
        {&Slider4, &txtHoriz, "Slider4", "txtHoriz", "Horiz", "Gauche / Droite", 0, 1300, 650, 1,
         kPictureOffsetLimits},
        {&Slider6, &txtVert, "Slider6", "txtVert", "Vert", "Haut / Bas", -1000, 1500, 70, 5,
         kPictureOffsetLimits},
        {&Slider5, &txtZoom, "Slider5", "txtZoom", "Zoom", "Zoom", -20, 200, 80, 5,
         kPictureZoomRange},
    };
    double top = 4;
    for (const SliderRow& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.label), Frame9);
        label->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(r.label));
        label->setGeometry(d.mm(3, top, 12, 5));
        *r.slider = makeSlider(Frame9, r.name, r.min, r.max, r.value, r.large, QSlider::NoTicks);
        (*r.slider)->setToolTip(QString::fromUtf8(r.tooltip));
        (*r.slider)->setGeometry(d.mm(15, top, kTabWidth - 38, 6));
        *r.box =
            named(new NumberBox(QString::fromUtf8(r.label),
                                DecimalRule{double(r.typed.min), double(r.typed.max), true, true},
                                0, Frame9),
                  r.boxName);
        (*r.box)->setGeometry(d.mm(kTabWidth - 22, top, 12, 5.5));
        (*r.box)->setValue(r.value);
        top += 10;
    }
    Frame9->setEnabled(false);
    Frame8 = named(new QGroupBox(Frame10), "Frame8");
    Frame8->setGeometry(d.mm(2, 40, kTabWidth - 8, 16));
    Command4 = named(new QPushButton(QStringLiteral("Image On/Off"), Frame8), "Command4");
    Command4->setProperty("tag", QStringLiteral("0"));
    Command4->setIconSize(QSize(24, 24));
    Command4->setGeometry(d.mm(3, 3, kTabWidth - 14, 10));
    Frame8->setEnabled(false);

    // ---- the drawing surface and what lies on it ----
    Picture1 = named(new PictureBox(central), "Picture1");
    Picture1->setScaleSize(surfaceMm);
    Picture1->move(d.mm(kSurfaceLeft, kBodyTop, 0, 0).topLeft());
    const double h = surfaceMm.height();
    lblX = named(new QLineEdit(Picture1), "lblX");
    Picture1->placeChild(lblX, QRectF(1, h - 6.5, 17, 5.5));
    lblY = named(new QLineEdit(Picture1), "lblY");
    Picture1->placeChild(lblY, QRectF(19, h - 6.5, 17, 5.5));
    Label6 = named(new QLabel(QStringLiteral("Mode Asservi"), Picture1), "Label6");
    Label6->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    Picture1->placeChild(Label6, QRectF(1.5, 1, 40, 5));
    Label4 = named(new QLabel(QStringLiteral("^"), Picture1), "Label4");
    QFont f = Label4->font();
    f.setBold(true);
    f.setPointSizeF(13.5);
    Label4->setFont(f);
    Label4->setStyleSheet(QStringLiteral("color: rgb(0, 192, 0);"));
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Picture1->placeChild(Label4, QRectF(surfaceMm.width() / 2 - 3, h - 7, 6, 7));

    // ---- the menus ----
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(name);
    };
    IM_File = named(Main->menuBar()->addMenu(QStringLiteral("&Fichiers")), "IM_File");
    IM_Couple_Open = item(IM_File, "IM_Couple_Open", "&Ouvrir un couple...");
    IM_Couple_Open->setShortcut(QKeySequence::Open);
    IM_Couple_Save = item(IM_File, "IM_Couple_Save", "&Enregistrer le couple");
    IM_Couple_Save->setShortcut(QKeySequence::Save);
    IM_Couple_SaveAs = item(IM_File, "IM_Couple_SaveAs", "Enregistrer le couple so&us...");
    IM_Couple_SaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    separator(IM_File, "IM_Couple_Sep");
    IM_Load = item(IM_File, "IM_Load", "&Charger");
    separator(IM_File, "IM_Sep1");
    IM_Save_G = item(IM_File, "IM_Save_G", "&Sauvegarder 1/2 couple Gauche");
    IM_Save_D = item(IM_File, "IM_Save_D", "&Sauvegarder 1/2 couple Droit");
    separator(IM_File, "sepa");
    IM_H = item(IM_File, "IM_H", "&Sauvegarder 1/2 couple Haut");
    IM_B = item(IM_File, "IM_B", "&Sauvegarder 1/2 couple Bas");
    separator(IM_File, "sepb");
    IM_Save_All = item(IM_File, "IM_Save_All", "&Sauvegarder Couple Entier");
    separator(IM_File, "IM_Sep_All");
    IM_Export_All = item(IM_File, "IM_Export_All", "Exporter tous les couples...");
    separator(IM_File, "IM_Sep");
    IM_Quit = item(IM_File, "IM_Quit", "&Quitter");

    IM_Edit = named(Main->menuBar()->addMenu(QStringLiteral("&Edition")), "IM_Edit");
    IM_Undo = item(IM_Edit, "IM_Undo", "");
    IM_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    IM_Redo = item(IM_Edit, "IM_Redo", "");
    IM_Redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    IM_PREFER = named(Main->menuBar()->addMenu(QStringLiteral("&Outils")), "IM_PREFER");
    IM_Calibrate = item(IM_PREFER, "IM_Calibrate", "&Calibrer le plan...");
    IM_BACKCOLOR = item(IM_PREFER, "IM_BACKCOLOR", "&MsPaint");
    separator(IM_PREFER, "IM_Sep_Export");
    IM_Export_SVG = item(IM_PREFER, "IM_Export_SVG", "Exporter en &SVG...");
    IM_Export_DXF = item(IM_PREFER, "IM_Export_DXF", "Exporter en &DXF...");
    IM_Export_PDF = item(IM_PREFER, "IM_Export_PDF", "Exporter en &PDF...");
    IM_Print = item(IM_PREFER, "IM_Print", "&Imprimer à l'échelle 1:1...");
    separator(IM_PREFER, "IM_Sep_Formers");

    IM_HELP = named(Main->menuBar()->addMenu(QStringLiteral("&Aide")), "IM_HELP");
    IM_HRELP = item(IM_HELP, "IM_HRELP", "&Aide");
    IM_ABOUT = item(IM_HELP, "IM_ABOUT", "&A propos");

    // ---- under the tabs: the 3-D part's dimensions ----
    const QRect area = d.mm(kMargin, kBodyTop + kTabHeight + 1.0, kTabWidth, 27.0);
    Frame3 = named(new QGroupBox(central), "Frame3");
    Frame3->setGeometry(area);
    struct DimensionRow {
        QSlider** slider;
        QLineEdit** box;
        const char* name;
        const char* boxName;
        const char* label;
        int max;
        int value;
    };
    const DimensionRow dimensions[] = {
        {&Slider1, &T_EP, "Slider1", "T_EP", "Ep.:", 120, 5},
        {&Slider2, &T_H, "Slider2", "T_H", "Haut.:", 100, 60},
        {&Slider3, &T_L, "Slider3", "T_L", "Larg.:", 100, 50},
    };
    const double width = area.width() / (Main->logicalDpiX() / 25.4);
    top = 2.5;
    for (const DimensionRow& r : dimensions) {
        auto* label = new QLabel(QString::fromUtf8(r.label), Frame3);
        label->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(r.label).chopped(2));
        label->setGeometry(d.mm(2, top, 12, 5));
        *r.slider = makeSlider(Frame3, r.name, 1, r.max, r.value, 5, QSlider::NoTicks);
        (*r.slider)->setGeometry(d.mm(14, top, width - 32, 5));
        // The boxes start with the values the sliders start with, so the first move has a
        // value to compare with. They only show what was applied: typing there would break
        // the relative moves.
        auto* box = new QLineEdit(QString::number(r.value), Frame3);
        box->setObjectName(r.boxName);
        box->setReadOnly(true);
        box->setGeometry(d.mm(width - 16, top - 0.5, 13, 6));
        *r.box = box;
        top += 8;
    }

    // ---- the status bar ----
    StatusBar = named(Main->statusBar(), "StatusBar");
    lblPoint = named(new QLabel(QStringLiteral("Point :"), StatusBar), "lblPoint");
    const DecimalRule anywhere{-10000.0, 10000.0, true};
    txtPointX = named(new NumberBox(QStringLiteral("x"), anywhere, 2, StatusBar), "txtPointX");
    txtPointY = named(new NumberBox(QStringLiteral("y"), anywhere, 2, StatusBar), "txtPointY");
    lblScale = named(new QLabel(QStringLiteral("Échelle :"), StatusBar), "lblScale");
    txtScale = named(new NumberBox(QStringLiteral("Échelle"),
                                   DecimalRule{kMinRealScale, kMaxRealScale, false}, 3, StatusBar),
                     "txtScale");
    txtScale->setValue(1.0);
    lblCalibration = named(new QLabel(StatusBar), "lblCalibration");
    lblPointer = named(new QLabel(StatusBar), "lblPointer");
    lblZoom = named(new QLabel(QStringLiteral("Loupe ×1"), StatusBar), "lblZoom");
    for (NumberBox* box : {txtPointX, txtPointY, txtScale})
        box->setFixedWidth(d.mm(0, 0, 18, 0).width());
    lblPointer->setMinimumWidth(d.mm(0, 0, 45, 0).width());
    // What stays in place shows whole: the messages beside give up their room first.
    for (QLabel* label : {lblPoint, lblScale, lblCalibration, lblPointer, lblZoom})
        label->setSizePolicy(QSizePolicy::Minimum, label->sizePolicy().verticalPolicy());
    // The messages share what the rest leaves, each shortened there when it must be.
    lblMessage = named(new ElidedLabel(StatusBar), "lblMessage");
    lblLasting = named(new ElidedLabel(StatusBar), "lblLasting");
    StatusBar->addWidget(lblMessage, 3);
    StatusBar->addWidget(lblLasting, 2);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblPoint, txtPointX, txtPointY, lblScale, txtScale,
                                         lblCalibration, lblPointer, lblZoom})
        StatusBar->addPermanentWidget(w);

    // ---- the panel "Couples" ----
    // A tool window of its own: docked into the editor it would take room from the drawing
    // surface, which the window lays out in proportion to its whole size.
    Couples = named(new QDockWidget(QStringLiteral("Couples"), Main), "Couples");
    Couples->setAllowedAreas(Qt::NoDockWidgetArea);
    Couples->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                         QDockWidget::DockWidgetFloatable);
    Main->addDockWidget(Qt::RightDockWidgetArea, Couples);
    Couples->setFloating(true);
    Couples->setAttribute(Qt::WA_ShowWithoutActivating);
    auto* panel = named(new QWidget(Couples), "CouplesPanel");
    auto* column = new QVBoxLayout(panel);
    lstCouples = named(new QTableWidget(0, 4, panel), "lstCouples");
    lstCouples->setHorizontalHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Station (mm)"),
                                           QStringLiteral("Suit"), QStringLiteral("Écart (mm)")});
    lstCouples->verticalHeader()->hide();
    lstCouples->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstCouples->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCouples->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    // Every caption whole: the name takes what the other columns leave.
    lstCouples->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstCouples->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstCouples->setToolTip(QStringLiteral("Les couples du fuselage ; la station se tape en place"));
    column->addWidget(lstCouples);
    auto* buttons = new QGridLayout;
    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        const char* tooltip;
    } panelButtons[] = {
        {&cmdNouveau, "cmdNouveau", "Nouveau", "Une copie du couple édité, 50 mm plus loin"},
        {&cmdDupliquer, "cmdDupliquer", "Dupliquer", "Une copie du couple édité, à sa station"},
        {&cmdRenommer, "cmdRenommer", "Renommer", "Donne un autre nom au couple édité"},
        {&cmdSupprimer, "cmdSupprimer", "Supprimer", "Retire le couple édité du projet"},
    };
    int cell = 0;
    for (const auto& b : panelButtons) {
        *b.button = named(new QPushButton(QString::fromUtf8(b.caption), panel), b.name);
        (*b.button)->setToolTip(QString::fromUtf8(b.tooltip));
        buttons->addWidget(*b.button, cell / 2, cell % 2);
        ++cell;
    }
    column->addLayout(buttons);
    Couples->setWidget(panel);
    IM_Formers = Couples->toggleViewAction();
    IM_Formers->setObjectName("IM_Formers");
    IM_Formers->setText(QStringLiteral("Panneau des &couples"));
    IM_PREFER->addAction(IM_Formers);
    // Beside the panel: the window of the fuselage's side and top views.
    IM_Fuselage = item(IM_PREFER, "IM_Fuselage", "&Fuselage...");
    IM_Notches = item(IM_PREFER, "IM_Notches", "&Lisses et encoches...");

    // The window fits the tab control and the drawing surface, whatever its size.
    const QRect surface = Picture1->geometry();
    const int w = surface.right() + 1 + d.mm(0, 0, kMargin, 0).width();
    const int hgt =
        std::max({surface.bottom(), SSTab1->geometry().bottom(), Frame3->geometry().bottom()}) + 1 +
        d.mm(0, 0, 0, kMargin).height();
    Main->resize(w, hgt + Main->menuBar()->sizeHint().height() + StatusBar->sizeHint().height());
    // Wide enough for every column's caption to show whole.
    const QMargins around = Couples->widget()->layout()->contentsMargins();
    int captions = 2 * lstCouples->frameWidth() + around.left() + around.right();
    for (int c = 0; c < lstCouples->columnCount(); ++c)
        captions += lstCouples->horizontalHeader()->sectionSizeHint(c);
    Couples->resize(std::max(d.mm(0, 0, 62, 0).width(), captions), Main->height());
}

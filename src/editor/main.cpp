#include "editor/main.h"

#include "editor/fuselage_window.h"
#include "editor/notches_dialog.h"
#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/status_line.h"
#include "editor/tool_windows.h"
#include "editor/toolbar_pictures.h"
#include "editor/user_dialogs.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

constexpr double kFramesLeft = 120.0; // twips, Frame5 and Frame10 in their tabs

int twipsToPixels(const QWidget* w, double twips) {
    return qRound(twips / 1440.0 * w->logicalDpiX());
}

} // namespace

Main::Main(EditorSession& session, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), session_(session), dialogs_(dialogs) {
    setObjectName("Main");
    setWindowTitle(QStringLiteral("EDITEUR de COUPLES"));
    dialogs_.attach(this);
    ui_.setupUi(this, QSizeF(session_.surface().width, session_.surface().height));
    statusLine_ = new StatusLine(ui_.lblMessage, ui_.lblLasting, ui_.lblCalibration, this);
    toolWindows_ = new ToolWindows(this);
    ui_.Picture1->setItems(&session_.samples());
    // The image list holds the pictures that start-up gives to buttons 0 and 1 and to
    // "Image On/Off".
    ImageList1[1] = toolbarIcon(ToolbarPicture::Open);
    ImageList1[3] = toolbarIcon(ToolbarPicture::Save);
    ImageList1[11] = toolbarIcon(ToolbarPicture::Picture);
    bindControls();
    connectMenus();
    connectHistory();
    connectStatusBar();
    connectView();
    Form_Load();
    connectFormerPanel();
    toolWindows_->join(ui_.Couples, QStringLiteral("Couples"));
    toolWindows_->join(frm3D_, QStringLiteral("Assemblage"),
                       [f = frm3D_](const QByteArray& place) { return f->restorePlace(place); });
    connectNotches();
    connectFuselage();
}

Main::~Main() {
    // The session may outlive the window: it must not call into controls that are gone.
    session_.onHistoryChanged(nullptr);
}

void Main::connectMenus() {
    const std::pair<QAction * MainControls::*, void (Main::*)()> items[] = {
        {&MainControls::IM_Load, &Main::IM_Load_Click},
        {&MainControls::IM_Quit, &Main::IM_Quit_Click},
        {&MainControls::IM_BACKCOLOR, &Main::IM_BACKCOLOR_Click},
        {&MainControls::IM_HRELP, &Main::IM_HRELP_Click},
        {&MainControls::IM_ABOUT, &Main::IM_ABOUT_Click},
        {&MainControls::IM_Couple_Open, &Main::IM_Couple_Open_Click},
        {&MainControls::IM_Export_All, &Main::IM_Export_All_Click},
        {&MainControls::IM_Calibrate, &Main::IM_Calibrate_Click},
    };
    for (const auto& [item, handler] : items)
        connect(ui_.*item, &QAction::triggered, this, [this, h = handler] { (this->*h)(); });
    // The profile of each piece: 1 bottom, 2 top, 3 left, 4 right, 5 whole.
    const std::pair<QAction * MainControls::*, int> saves[] = {{&MainControls::IM_B, 1},
                                                               {&MainControls::IM_H, 2},
                                                               {&MainControls::IM_Save_G, 3},
                                                               {&MainControls::IM_Save_D, 4},
                                                               {&MainControls::IM_Save_All, 5}};
    for (const auto& [item, piece] : saves)
        connect(ui_.*item, &QAction::triggered, this, [this, p = piece] { Save_Couple(p); });
    connect(ui_.IM_Couple_Save, &QAction::triggered, this, [this] { IM_Couple_Save_Click(); });
    connect(ui_.IM_Couple_SaveAs, &QAction::triggered, this, [this] { IM_Couple_SaveAs_Click(); });
    const std::pair<QAction * MainControls::*, PieceFormat> exports[] = {
        {&MainControls::IM_Export_SVG, PieceFormat::Svg},
        {&MainControls::IM_Export_DXF, PieceFormat::Dxf},
        {&MainControls::IM_Export_PDF, PieceFormat::Pdf},
        {&MainControls::IM_Print, PieceFormat::Print},
    };
    for (const auto& [item, format] : exports)
        connect(ui_.*item, &QAction::triggered, this, [this, f = format] { Export_Piece(f); });
}

// ---------------------------------------------------------------------------------------
// Toolbar tags

const std::vector<int>& Main::pb1Indices() {
    static const std::vector<int> indices = {0, 1, 2, 3, 5, 10, 11, 14};
    return indices;
}

QString Main::pb1Tag(int index) const {
    const QToolButton* b = ui_.pb1(index);
    return b ? b->property("tag").toString() : QString();
}

void Main::showToolbarTags() {
    const View& v = session_.view();
    const std::pair<int, const char*> tags[] = {{2, v.controlPolygonShown ? "1" : "0"},
                                                {3, v.samplePointsShown ? "1" : "0"},
                                                {5, v.handlesHidden ? "-1" : "0"},
                                                {10, v.axesOn ? "1" : "0"},
                                                {14, v.gridOn ? "1" : "0"}};
    for (const auto& [index, tag] : tags)
        ui_.pb1(index)->setProperty("tag", QString::fromLatin1(tag));
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
    // The session laid the initial former out; the menu's captions are the window's.
    ui_.IM_Save_G->setText(QStringLiteral("&Sauvegarder 1/2 couple Gauche"));
    ui_.IM_Save_D->setText(QStringLiteral("&Sauvegarder 1/2 couple Droit"));
}

void Main::Form_Load() {
    // 1. Not loaded yet: the 3-D part is left alone until it is built below.
    Form_Chargee = false;

    // 2. Beside the 3-D window, centred vertically; reading its width loads it.
    load3DWindow();
    const int frm3DWidth = frm3D_->frameGeometry().width();
    if (const QScreen* s = screen())
        move(frm3DWidth + twipsToPixels(this, 1000), (s->geometry().height() - height()) / 2);
    ui_.pb1(0)->setIcon(ImageList1[1]);
    ui_.pb1(1)->setIcon(ImageList1[3]);
    ui_.Command4->setIcon(ImageList1[11]);

    // 3. to 12. The former at start-up is the session's; the controls show it.
    Forme_Initiale();
    ui_.Hscroll3->setMaximum(session_.samples().Ordre_Spline);
    show(Changed::Settings | Changed::Handles | Changed::Drawing);

    // 13. The design layout is recorded; from now on the surface shows the former at the view
    // scale that its size gives.
    const FormerModel& m = session_.samples();
    Elastic_.Size_Init(this, 2);
    ui_.Picture1->recordDesignSize();
    axisMarkOffset_ =
        ui_.Label4->x() + ui_.Label4->width() / 2.0 - ui_.Picture1->toPixels(m.X1(), 0.0).x();
    frm3D_->show();

    // 14. The scene and the former's part, from the same curve as the drawing.
    frm3D_->SetupScene();
    Form_Chargee = true;
    RebuildFormerMesh(1);
    Redraw3D_ = true;

    // 15. The tab "Dessin" in front.
    ui_.SSTab1->setCurrentIndex(0);
    ui_.Picture1->Refresh();
}

void Main::Form_Resize() {
    // The layout is made on "Dessin"; the tab the user had comes back at the end.
    const int tab = session_.view().tab == EditorTab::Masque ? 1 : 0;
    {
        const QSignalBlocker quiet(ui_.SSTab1);
        ui_.SSTab1->setCurrentIndex(0);
    }
    Elastic_.FormResize(this);
    ui_.Picture1->followSize();
    placeAxisMark();
    // The surface's new size changed only its view scale: the former keeps the design's
    // millimetres, so the files and the 3-D part never depend on the window's size. The axes
    // span whatever the surface now shows.
    session_.setShownArea(ui_.Picture1->ScaleWidth(), ui_.Picture1->ScaleHeight());
    ui_.Frame10->move(twipsToPixels(this, kFramesLeft), ui_.Frame10->y());
    ui_.Frame5->move(twipsToPixels(this, kFramesLeft), ui_.Frame5->y());
    {
        const QSignalBlocker quiet(ui_.SSTab1);
        ui_.SSTab1->setCurrentIndex(tab);
    }
    // The grid as its button says, the picture (from the picture already read) and the outline,
    // at the new view scale.
    Quadrillage(gridShown() ? 1 : 0);
    if (pictureOn())
        ApplyViewTransform();
    DisegnaCurva();
}

void Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// ---------------------------------------------------------------------------------------
// What changed, shown

void Main::show(Changed c) {
    // The formers that follow the fuselage moved with the edit.
    c |= session_.takeFollowed();
    if (c & Changed::Former)
        showView();
    if (c & Changed::Settings)
        showSettings();
    if (c & Changed::Picture)
        showPicture();
    else if ((c & Changed::Placement) && pictureOn())
        ApplyViewTransform();
    if (c & (Changed::Grid | Changed::Picture))
        Quadrillage(gridShown() ? 1 : 0);
    // The surface wipes its overlay and draws the outline again, once, where it changed.
    if (c & (Changed::Outline | Changed::Drawing | Changed::Handles | Changed::Grid |
             Changed::Picture | Changed::Placement))
        ui_.Picture1->invalidate();
    if (Form_Chargee && frm3D_) {
        if (c & Changed::Former) {
            // The part is built with the thickness it had at its last build, then given the
            // thickness moves made since.
            const Work& w = session_.work();
            builtDepth_ = w.thicknessBuilt;
            RebuildFormerMesh(1);
            builtDepth_.reset();
            if (w.thickness.applied != w.thicknessBuilt)
                frm3D_->shiftBackLayer(static_cast<float>(w.thickness.applied - w.thicknessBuilt));
        } else if (c & (Changed::Part | Changed::Outline)) {
            RebuildFormerMesh(c & Changed::Part ? 1 : 0);
        }
        if (c & Changed::Dimensions) {
            // The part's vertices move in place; a build later starts from these dimensions.
            frm3D_->setPart(sceneInput());
            const EditorSession::PartMove& move = session_.lastPartMove();
            if (move.depth != 0.0f)
                frm3D_->shiftBackLayer(move.depth);
            if (move.height != 1.0)
                frm3D_->scalePartHeight(move.height);
            if (move.width != 1.0)
                frm3D_->scalePartWidth(move.width);
        }
        if (c & (Changed::View3D | Changed::Grid | Changed::Former))
            show3DTags();
        if (c & Changed::Former)
            show3DView();
        if (c & (Changed::Dimensions | Changed::View3D | Changed::Grid))
            Redraw3D_ = true;
        if (c & (Changed::Fuselage | Changed::List | Changed::Former))
            refreshFuselage();
    }
    if (c & (Changed::List | Changed::Former))
        showFormerList();
    else if (c & (Changed::Fuselage | Changed::Outline))
        showFollowColumns();
    if (fuselageWindow_ && fuselageWindow_->isVisible() &&
        (c & (Changed::Fuselage | Changed::List | Changed::Former | Changed::Outline)))
        fuselageWindow_->showSession();
    // The status bar tells what is true now: an entry taken clears a refusal, the edit's own
    // message passes, and what stays true is shown where it stays.
    if (c != Changed::None)
        statusLine_->accepted();
    if (notches_ && (c & (Changed::Notches | Changed::Former | Changed::List | Changed::Outline |
                          Changed::Drawing | Changed::Part)))
        notches_->showSession(c);
    if (c & Changed::Status)
        statusLine_->pass(QString::fromStdString(session_.status()));
    showLasting();
    updateProjectCaption();
}

// ---------------------------------------------------------------------------------------
// Drawing surface

void Main::DisegnaCurva() {
    ui_.Picture1->Cls();
    ui_.Picture1->drawSteps(session_.drawing());
}

void Main::Picture1_Paint() {
    DisegnaCurva();
}

bool Main::gridShown() const {
    return !session_.view().gridOn;
}

void Main::Quadrillage(int lMode) {
    PictureBox& p = *ui_.Picture1;
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
    switch (Index) {
    case 0:
        OpenPictureFile();
        break;
    case 1:
        Save_Couple(5);
        break;
    case 2:
        show(session_.toggleControlPolygon());
        break;
    case 3:
        show(session_.toggleSamplePoints());
        break;
    case 5:
        show(session_.toggleHandles());
        break;
    case 10:
        show(session_.toggleAxes());
        break;
    case 11:
        Vue3D_Click();
        break;
    case 14:
        show(session_.toggleGrid());
        break;
    default: // no button has this index
        break;
    }
}

#include "editor/main.h"

#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/toolbar_pictures.h"
#include "editor/user_dialogs.h"
#include "session/work_model.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QCheckBox>
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
    ui_.Picture1->setItems(&session_.model());
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
    session_.startHistory(); // the first step starts from the former at start-up
}

Main::~Main() {
    // The session may outlive the window: it must not call into controls that are gone.
    session_.history().changed = nullptr;
    session_.caption = nullptr;
}

void Main::connectMenus() {
    const std::pair<QAction * MainControls::*, void (Main::*)()> items[] = {
        {&MainControls::IM_Load, &Main::IM_Load_Click},
        {&MainControls::IM_Save_G, &Main::IM_Save_G_Click},
        {&MainControls::IM_Save_D, &Main::IM_Save_D_Click},
        {&MainControls::IM_H, &Main::IM_H_Click},
        {&MainControls::IM_B, &Main::IM_B_Click},
        {&MainControls::IM_Save_All, &Main::IM_Save_All_Click},
        {&MainControls::IM_Quit, &Main::IM_Quit_Click},
        {&MainControls::IM_BACKCOLOR, &Main::IM_BACKCOLOR_Click},
        {&MainControls::IM_HRELP, &Main::IM_HRELP_Click},
        {&MainControls::IM_ABOUT, &Main::IM_ABOUT_Click},
        {&MainControls::IM_Couple_Open, &Main::IM_Couple_Open_Click},
        {&MainControls::IM_Export_All, &Main::IM_Export_All_Click},
    };
    for (const auto& [item, handler] : items)
        connect(ui_.*item, &QAction::triggered, this, [this, h = handler] { (this->*h)(); });
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
    ui_.IM_Save_G->setText(QStringLiteral("&Sauvegarder 1/2 couple Gauche"));
    ui_.IM_Save_D->setText(QStringLiteral("&Sauvegarder 1/2 couple Droit"));
    ::Forme_Initiale(session_.model());
}

void Main::Form_Load() {
    FormerModel& m = session_.model();
    // 1. Not loaded yet: the handlers that start-up runs leave the 3-D part alone.
    m.Form_Chargee = false;

    // 2. Beside the 3-D window, centred vertically; reading its width loads it.
    load3DWindow();
    const int frm3DWidth = frm3D_->frameGeometry().width();
    if (const QScreen* s = screen())
        move(frm3DWidth + twipsToPixels(this, 1000), (s->geometry().height() - height()) / 2);
    ui_.pb1(0)->setIcon(ImageList1[1]);
    ui_.pb1(1)->setIcon(ImageList1[3]);
    ui_.Command4->setIcon(ImageList1[11]);

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
    ui_.Hscroll2->setValue(m.Nb_Points);

    // 6. No border: outer and inner sizes are the same.
    PlaceAxes(m, ui_.Picture1->ScaleWidth(), ui_.Picture1->ScaleHeight(),
              ui_.Picture1->ScaleHeight());

    // 7., 8. The doubling's scale and its switch off; these only move the controls.
    ui_.Hscroll1->setValue(5);
    ui_.Check4->setChecked(false);

    // 9., 10. The initial former's handles, then its control points read from them.
    Forme_Initiale();
    CopyHandlesToPoints(m);

    // 11. The order slider only moves; the point count runs its handler again with 13, while
    // points 0 and N still sit on their handles' corners.
    ui_.Hscroll3->setMaximum(m.Ordre_Spline);
    ui_.Hscroll3->setValue(4);
    ui_.Hscroll2->setValue(13);

    // 12. The first and the last point move onto the symmetry axis.
    PutEndsOnAxis(m);

    // 13. The design layout is recorded; from now on the surface shows the former at the view
    // scale that its size gives.
    Elastic_.Size_Init(this, 2);
    ui_.Picture1->recordDesignSize();
    axisMarkOffset_ =
        ui_.Label4->x() + ui_.Label4->width() / 2.0 - ui_.Picture1->toPixels(m.X1(), 0.0).x();
    frm3D_->show();

    // 14. The first 3-D build samples the corrected points, as the 2-D view will, so that
    // both views start from the same curve.
    frm3D_->SetupScene();
    m.Form_Chargee = true;
    ::DisegnaCurva(m, outlineOptions(), nullptr);
    RebuildFormerMesh(1);
    Redraw3D_ = true;

    // 15. The tab "Dessin" in front.
    ui_.SSTab1->setCurrentIndex(0);

    // The window's first repaint samples the outline again from the corrected points; doing
    // it now means the model already starts exactly on the axis before the window shows.
    ui_.Picture1->Refresh();
}

void Main::Form_Resize() {
    FormerModel& m = session_.model();
    // The layout is made on "Dessin"; the tab the user had comes back at the end.
    const int tab = session_.view().tab == EditorTab::Masque ? 1 : 0;
    ui_.SSTab1->setCurrentIndex(0);
    m.Dessin_Actif = false;
    Elastic_.FormResize(this);
    ui_.Picture1->followSize();
    m.Dessin_Actif = true;
    placeAxisMark();

    // The surface's new size changed only its view scale: points, samples, handles and axes
    // keep the design's millimetres, so the files and the 3-D part never depend on the window's
    // size. The axes span whatever the surface now shows.
    m.Line1.Y1 = 0.0;
    m.Line1.Y2 = ui_.Picture1->ScaleHeight();
    m.Line4.X1 = 0.0;
    m.Line4.X2 = ui_.Picture1->ScaleWidth();
    // The grid shows or stays hidden as its button says.
    Quadrillage(gridShown() ? 1 : 0);
    DisegnaCurva();

    ui_.Frame10->move(twipsToPixels(this, kFramesLeft), ui_.Frame10->y());
    ui_.Frame5->move(twipsToPixels(this, kFramesLeft), ui_.Frame5->y());
    ui_.SSTab1->setCurrentIndex(tab);
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
    return OutlineOptionsOf(session_.work(), session_.view());
}

void Main::DisegnaCurva() {
    ui_.Picture1->Cls();
    steps_.clear();
    ::DisegnaCurva(session_.model(), outlineOptions(), &steps_);
    ui_.Picture1->drawSteps(steps_);
    tellOffsetDoubling();
}

void Main::Picture1_Paint() {
    if (!session_.model().Dessin_Actif)
        return;
    ui_.Picture1->Cls();
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
    FormerModel& m = session_.model();
    // The toggles are the state's; the buttons' tags show them.
    auto flip = [this](bool View::*toggle) {
        session_.view().*toggle = !(session_.view().*toggle);
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
        flip(&View::controlPolygonShown);
        // Hidden, the polygon is not drawn at all: over a picture, black lines would show.
        const bool shown = session_.view().controlPolygonShown;
        for (int i = 0; i < m.Der_Point && i < static_cast<int>(m.LinPi.size()); ++i)
            m.LinPi[static_cast<std::size_t>(i)].Visible = shown;
        ui_.Picture1->invalidate();
        break;
    }
    case 3:
        flip(&View::samplePointsShown);
        DisegnaCurva();
        break;
    case 5: {
        // Hidden, the click shows them; shown, it hides them.
        for (int i = 0; i <= m.Der_Point && i < static_cast<int>(m.shppi.size()); ++i)
            m.shppi[static_cast<std::size_t>(i)].Visible = session_.view().handlesHidden;
        flip(&View::handlesHidden);
        ui_.Picture1->invalidate();
        break;
    }
    case 10:
        flip(&View::axesOn);
        Redraw3D_ = true;
        break;
    case 11:
        Vue3D_Click();
        break;
    case 14:
        flip(&View::gridOn);
        Quadrillage(gridShown() ? 1 : 0);
        // The grid's clearing took the curve with it: the curve stays over the grid.
        DisegnaCurva();
        Redraw3D_ = true;
        break;
    default: // no button has this index
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Sampling sliders

void Main::Hscroll2_Change() {
    FormerModel& m = session_.model();
    // An assembled former is sampled with at least 16 points. Setting the value runs this
    // handler again with 16 before the rest below runs.
    if (session_.work().sampleCount < 16 && session_.work().joint != AssemblyJoint::None)
        ui_.Hscroll2->setValue(16);
    m.Nb_Points = session_.work().sampleCount;
    ui_.Text3->setValue(m.Nb_Points);
    ui_.Picture1->Cls();
    m.resizeSamples(m.Nb_Points);
    DisegnaCurva();
    if (m.Form_Chargee)
        RebuildFormerMesh(1);
    Redraw3D_ = true;
}

void Main::RebuildFormerMesh(int mode) {
    // A doubling that comes or goes (a constant width the former can hold or not) changes the
    // part's faces: it is built anew.
    if (partHasDoubling_ != doublingDrawn())
        mode = 1;
    if (mode == 1)
        partHasDoubling_ = doublingDrawn();
    if (frm3D_)
        frm3D_->RebuildFormerMesh(mode);
    emit formerMeshRebuilt(mode == 1 ? 1 : 0);
}

void Main::Hscroll3_Scroll() {
    session_.model().Ordre_Spline = session_.work().orderSlider;
    ui_.Picture1->Cls();
    DisegnaCurva();
    // The 3-D part follows the new curve too.
    RebuildFormerMesh(0);
    Redraw3D_ = true;
}

#pragma once

#include "editor/class_elastic.h"
#include "editor/export_all_dialog.h"
#include "editor/main_controls.h"
#include "export/page_tiling.h"
#include "export/piece_outline.h"
#include "session/editor_session.h"
#include "view3d/redraw_flag.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>

#include <map>
#include <optional>
#include <string>
#include <vector>

class Frm3D;
class FrmHlp;
class NotchesDialog;
class FuselageWindow;
class NumberBox;
class QSettings;
class QSlider;
class QTextBrowser;
class StatusLine;
class ToolWindows;
class UserDialogs;
struct SceneInput;

// The editor window "EDITEUR de COUPLES". It shows an editor session: every user action is one
// edit of the session (which applies the rules of the work and records the undo step), and the
// window then shows what the edit says changed, once (show). The controls are in ui(); it asks
// and tells the user through its dialogs. The handlers keep the system's names.
class Main : public QMainWindow {
    Q_OBJECT

public:
    static constexpr double kDesignSurfaceWidth = 120.0; // mm
    static constexpr double kDesignSurfaceHeight = 100.0;

    // The drawing surface measures the session's surface from before start-up on. The start-up
    // sequence (Form_Load) runs here. Both must outlive the window.
    Main(EditorSession& session, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~Main() override;

    MainControls& ui() { return ui_; }
    const MainControls& ui() const { return ui_; }
    EditorSession& session() { return session_; }
    const EditorSession& session() const { return session_; }
    // The edited former's samples, handles and axes, as the session computed them.
    const FormerModel& model() const { return session_.samples(); }
    Frm3D* frm3D() const { return frm3D_; } // "Assemblage", from start-up on
    // Set by every change the 3-D view must show; the 3-D window clears it when it draws.
    RedrawFlag& Redraw3D() { return Redraw3D_; }
    const class_Elastic& Elastic() const { return Elastic_; }

    // Shows what an edit of the session changed, in both windows, once. (show() shows the
    // window, as for any widget.)
    void show(Changed changed);
    using QMainWindow::show;
    // The whole state: the session's, with the view as the 3-D window holds it.
    EditorState editorState() const;
    // Puts a state into the session and shows it whole, the 3-D part built once.
    void showEditorState(const EditorState& state);

    // The toolbar's tags, read as numbers as the toolbar compares them: leading sign and
    // digits, anything else (an empty tag) is zero.
    QString pb1Tag(int index) const;
    static int tagValue(const QString& tag);
    static const std::vector<int>& pb1Indices();

    // ---- handlers and routines, under the system's own names ----
    void Form_Load();
    // The window's resize handler: lays the controls out in proportion, then shows the former
    // at the surface's new view scale, the grid as its button says, and the tab the user had.
    void Form_Resize();
    void Forme_Initiale();
    void pb1_Click(int Index);
    // lMode 1 draws the grid, any other value removes it.
    void Quadrillage(int lMode);
    bool gridShown() const; // the grid button says the grid is shown (its tag is zero)
    // Draws the outline the session computed on Picture1.
    void DisegnaCurva();
    // The former's 3-D part follows the outline: mode 1 rebuilds its mesh, others move it.
    void RebuildFormerMesh(int mode);
    // The text lblX and lblY show for a coordinate: up to 7 significant digits, the decimal
    // separator of the user's desktop, no grouping.
    static QString pointerText(float value);

    // Files: the name chosen in the last file dialog; a "Fichier Profil" saved (1 bottom, 2 top,
    // 3 left, 4 right, 5 whole), false only when it could not be written (the user was told).
    const QString& Chosen_File() const { return Chosen_File_; }
    bool Save_Couple(int Piece);
    bool openProject(const QString& path); // false, the work as it was, when refused
    bool saveProject(const QString& path); // false (the user told why) when it fails
    QString projectFile() const;

    // The background picture.
    void Command4_Click(); // "Image On/Off": on (re-reading the file) or off
    bool pictureOn() const;
    QString PicturePath() const;
    const QImage& ps() const { return ps_; } // the picture shown, at its own size; null while off
    // Reads a picture file into image, the right way up: "" or the French reason.
    static QString readPicture(const QString& path, QImage& image);

    // Drawings to cut out: false only when it could not be made or written.
    enum class PieceFormat { Svg, Dxf, Pdf, Print };
    bool Export_Piece(PieceFormat format);

    // The 3-D window's part: what its scene is built from.
    SceneInput sceneInput() const;

    // The real size: the plan calibrated by two clicks and their real distance.
    bool calibrating() const { return calibration_ != Calibration::Off; }
    void txtScale_Validate(); // Enter in the scale's box

    // The status bar's line: the whole of it, its message (passing, refused or asked) and what
    // stays true (the doubling not drawn, the plan not calibrated).
    QString statusText() const, statusPassing() const, statusLasting() const;
    StatusLine& statusLine() { return *statusLine_; }

    // The places of the editor, its docks and its tool windows kept in `settings` from now on:
    // given back now, written on closing. Without it (tests, couples-cli) none is kept.
    void keepWindowPlaces(QSettings& settings);

    // The formers of the fuselage: the panel "Couples".
    void cmdNouveau_Click();
    void lstCouples_Click(int row);                             // that former is edited
    void lstCouples_StationTyped(int row, const QString& text); // Enter in its station cell

    // "Lisses et encoches": the stringers and slots of the whole fuselage, from start-up on.
    NotchesDialog* notchesDialog() const { return notches_; }
    // The window "Fuselage" (main_fuselage.cpp), shown and raised by "&Fuselage...". Its edits:
    // what they changed shown, or the reason in the status bar (false); its picture chosen, or
    // calibrated by two clicks (real mm) and the distance asked.
    FuselageWindow* fuselageWindow() const { return fuselageWindow_; }
    void IM_Fuselage_Click();
    bool fuselageEdit(const std::function<std::string(Changed& changed)>& edit);
    void chooseFuselagePicture(EditorSession::PlanView view);
    void calibrateFuselagePicture(EditorSession::PlanView view, CurvePoint a, CurvePoint b);

    FrmHlp* aboutWindow() const { return aboutWindow_; }     // "&A propos...", while it is open
    QTextBrowser* helpWindow() const { return helpWindow_; } // the guide

signals:
    // The former's 3-D part followed the outline (mode 1 rebuilt, any other moved in place).
    void formerMeshRebuilt(int mode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The binding table (main_bindings.cpp): every control, what it shows, the handler its user
    // changes run. The handlers keep the system's names; each is one edit of the session.
    struct Bindings;
    void bindControls(), showSettings(), showToolbarTags();
    void Hscroll1_Scroll(), Hscroll2_Change(), Hscroll3_Scroll(), Check4_Click();
    void Option1_Click(), Option2_Click(), Option3_Click(), Option4_Click(), Option5_Click();
    void Option6_Click(), Option7_Click(), DoublingMode_Click(), chkEndsOnAxis_Click();
    void Slider1_MouseDown(), Slider2_MouseDown(), Slider3_MouseDown(), txtPoint_Validate();
    void Slider1_Scroll(), Slider2_Scroll(), Slider3_Scroll();
    void Slider4_Scroll(), Slider5_Scroll(), Slider6_Scroll();
    // The mouse on the drawing surface: buttons 1 left, 2 right, 4 middle; millimetres as the
    // 32-bit floats the handlers work in.
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    void Picture1_Paint(), placeAxisMark(); // and the "^" under the symmetry axis
    void connectMenus(), connectHistory(), connectStatusBar(), connectFormerPanel();
    void connectNotches(), connectFuselage(), connectView(), load3DWindow();
    // Asks first when notches are left out of these formers (by index) that are to be drawn:
    // false when the user does not want them drawn so.
    bool exportLeavingNotchesOut(const QString& title, const std::vector<int>& formers);
    void Vue3D_Click(), IM_Load_Click(), IM_Quit_Click(), IM_Couple_Open_Click();
    bool IM_Couple_Save_Click(), IM_Couple_SaveAs_Click();
    void IM_Calibrate_Click(), IM_BACKCOLOR_Click(), IM_HRELP_Click(), IM_ABOUT_Click();
    void IM_Export_All_Click(), cmdDupliquer_Click(), cmdRenommer_Click(), cmdSupprimer_Click();
    void lstCouples_FollowClicked(int row, bool follows); // its check box "Suit"
    void OpenPictureFile(), ApplyViewTransform();
    QString AskPictureFileName();
    void File_Dialog(const QString& Pattern, const QString& Description, int ForSave,
                     const QString& Folder = {});
    // Nothing is replaced unasked: true when none of the files exists or the user lets them
    // be replaced; otherwise the save is cancelled (Chosen_File empty).
    bool mayReplace(const QString& title, const QStringList& paths);
    bool maySetWorkAside(), exportAllFormers();
    bool printPiece(const PieceOutline& outline, const QStringList& caption, Sheet page,
                    const QString& part);
    // A list operation of the session, then what it changed shown; a refusal is told in the
    // status bar. False when refused.
    bool changeFormers(const std::function<bool(std::string& why, Changed& changed)>& operation);
    // The panel's rows; "Suit" and the fairness check's difference, row by row.
    void showFormerList(), showFollowColumns();
    // The fuselage view is given the project's formers (refreshFuselage: while it shows).
    void feedFuselage(), refreshFuselage();
    // The 3-D window shows the view as the session holds it, its axes and ground as the toolbar.
    void show3DView(), show3DTags();
    // The drawing's own view ("Loupe", main_view.cpp): shown as the session holds it, kept by
    // it when the user zooms or pans, its factor in the status bar.
    void showView(), Picture1_ViewChanged();
    // "Horiz" and "Vert" reach the whole picture at its zoom; their boxes show their values.
    void fitPictureSliders(), showPictureBoxes();
    void txtPicture_Validate(QSlider* slider, NumberBox* box);
    void showPicture(); // the picture on or off as the view says, read again when it comes on
    void showPointer(float X, float Y, bool dragging);
    void showSelectedPoint(), showDoublingMode(), updateProjectCaption();
    void showLasting(); // what stays true, and the pointer in the units it reads in
    void calibrationClick(QPointF mm), endCalibration();
    static const QStringList& paintPrograms();
    friend struct MainTestAccess;

    EditorSession& session_;
    UserDialogs& dialogs_;
    MainControls ui_;
    class_Elastic Elastic_;
    RedrawFlag Redraw3D_;
    Frm3D* frm3D_ = nullptr;
    FrmHlp* aboutWindow_ = nullptr;
    QTextBrowser* helpWindow_ = nullptr;
    FuselageWindow* fuselageWindow_ = nullptr;
    QString Chosen_File_;
    QImage ps_;
    std::map<int, QIcon> ImageList1; // pictures by their 1-based number
    double axisMarkOffset_ = 0.0;    // design pixels from the symmetry axis to the "^" under it
    bool Form_Chargee = false;       // start-up has finished: the 3-D part follows the edits
    bool quitConfirmed_ = false;
    enum class Calibration { Off, FirstPoint, SecondPoint };
    Calibration calibration_ = Calibration::Off;
    QPointF calibrationStart_;     // surface millimetres of the first click
    bool partHasDoubling_ = false; // the 3-D part was last built with the doubling
    int partIntervals_ = -1;       // and with this many intervals of its outline
    NotchesDialog* notches_ = nullptr;
    std::optional<int> builtDepth_;   // the part built on this thickness rather than "Ep.:"
    QString shownPicturePath_;        // the file ps_ was read from
    ExportAllChoice exportAllChoice_; // what "Exporter tous les couples..." had last
    StatusLine* statusLine_ = nullptr;
    ToolWindows* toolWindows_ = nullptr;
    QSettings* places_ = nullptr; // where the windows' places are kept, if anywhere
    struct Pointer {
        float x = 0.0f, y = 0.0f;
        bool dragging = false, real = true; // real: read in real millimetres, else the drawing's
    };
    std::optional<Pointer> pointer_; // where the pointer was last read
};

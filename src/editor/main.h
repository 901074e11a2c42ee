#pragma once

#include "editor/class_elastic.h"
#include "editor/export_all_dialog.h"
#include "editor/main_controls.h"
#include "export/page_tiling.h"
#include "export/piece_outline.h"
#include "former/former_model.h"
#include "session/editor_session.h"
#include "view3d/redraw_flag.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>

#include <functional>
#include <map>
#include <string>
#include <vector>

class Frm3D;
class FrmHlp;
class NumberBox;
class QPrinter;
class QSlider;
class QTextBrowser;
class UserDialogs;
struct SceneInput;

// The editor window "EDITEUR de COUPLES". It shows an editor session (the work, the view, the
// former model, the undo history, the project file) and hands it the user's changes: every
// change of a control goes into the session first, then the control's handler runs, reading the
// session, calling the core and redrawing. The controls are in ui(); it asks and tells the user
// through its dialogs. The handlers keep the system's names.
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
    FormerModel& model() { return session_.model(); }
    const FormerModel& model() const { return session_.model(); }
    Frm3D* frm3D() const { return frm3D_; } // "Assemblage", from start-up on
    // Set by every change the 3-D view must show; the 3-D window clears it when it draws.
    RedrawFlag& Redraw3D() { return Redraw3D_; }
    const class_Elastic& Elastic() const { return Elastic_; }

    // The whole state: the session's, with the view as the 3-D window holds it.
    EditorState editorState() const;
    // Puts a state into the session and the controls without running their handlers, then
    // redraws both windows and rebuilds the 3-D part once.
    void showEditorState(const EditorState& state);
    // Once a user action is over, makes it one step when it changed the work. sliderStep: it
    // was a key or the wheel on a slider, merged with the steps of that slider just before.
    void recordWorkChange(bool sliderStep = false);

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
    void Hscroll2_Change();
    void Hscroll3_Scroll();
    void Picture1_Paint();
    // Computes the outline from the model and the settings, and draws it on Picture1.
    void DisegnaCurva();
    OutlineOptions outlineOptions() const;
    // The former's 3-D part follows the outline: mode 1 rebuilds its mesh from scratch, any
    // other mode moves its vertices in place.
    void RebuildFormerMesh(int mode);

    // The doubling and the modes (main_options.cpp).
    void UpdateModeDisplay();
    void UpdateDoubling();
    void Check4_Click();    // "On / Off" of the doubling
    void Hscroll1_Scroll(); // "Epaisseur": the doubling's scale, user moves only
    void Option1_Click();   // "Horizontal"
    void Option2_Click();   // "Aucun"
    void Option7_Click();   // "Vertical"
    void Option3_Click();   // "Couple"
    void Option4_Click();   // "Doublage"
    void Option5_Click();   // "Oui"
    void Option6_Click();   // "Non"
    // "Proportionnel" or "Largeur constante" chosen, and the width typed.
    void DoublingMode_Click();
    void txtDoublingWidth_Validate();
    // The doubling is on and drawn: a constant width the former cannot hold draws none, and no
    // file or 3-D part carries one.
    bool doublingDrawn() const;
    // The mouse on the drawing surface (main_mouse.cpp): buttons 1 left, 2 right, 4 middle;
    // millimetres as the 32-bit floats the handlers work in.
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    // The text lblX and lblY show for a coordinate: up to 7 significant digits, the decimal
    // separator of the user's desktop, no grouping.
    static QString pointerText(float value);

    // The files menu (main_files.cpp).
    void IM_Load_Click();
    void IM_Save_G_Click();
    void IM_Save_D_Click();
    void IM_H_Click();
    void IM_B_Click();
    void IM_Save_All_Click();
    void IM_Quit_Click();
    // Asks for a file name with a single filter "Description (Pattern)"; ForSave 0 opens, any
    // other value saves. After a save dialog the default extension is added when the name
    // lacks it. The result is left in Chosen_File.
    // The dialog opens in Folder when one is given (the exports remember theirs).
    void File_Dialog(const QString& Pattern, const QString& Description, int ForSave,
                     const QString& Folder = {});
    const QString& Chosen_File() const { return Chosen_File_; }
    // Saves the piece (1 bottom, 2 top, 3 left, 4 right, 5 whole) as a "Fichier Profil"; false
    // only when the file could not be written (the user was told why).
    bool Save_Couple(int Piece);

    // Project files (main_project.cpp).
    void IM_Couple_Open_Click();
    bool IM_Couple_Save_Click();           // false when the file could not be written
    bool IM_Couple_SaveAs_Click();         // the same; a cancelled dialog is no failure
    bool openProject(const QString& path); // false, the work as it was, when refused
    bool saveProject(const QString& path); // false (the user told why) when it fails
    // With unsaved changes, asks "Enregistrer les modifications ?" and saves when asked to.
    // False when the user cancels or the save fails: the work must stay.
    bool maySetWorkAside();
    QString projectFile() const;
    bool projectModified() const { return session_.modified(); }

    // The background picture (main_picture.cpp).
    void Command4_Click(); // "Image On/Off": on (re-reading the file) or off
    bool pictureOn() const;
    void ApplyViewTransform();
    void Slider4_Scroll(); // "Horiz", "Zoom" and "Vert" moved by the user
    // A value typed in the box beside "Horiz", "Vert" or "Zoom": the slider moves there.
    void txtPicture_Validate(QSlider* slider, NumberBox* box);
    void OpenPictureFile(); // toolbar button 0
    QString AskPictureFileName();
    QString PicturePath() const;
    // The picture held while the display is on, at its own size; null while off.
    const QImage& ps() const { return ps_; }
    // Reads a picture file into image, the right way up: "" or the French reason.
    static QString readPicture(const QString& path, QImage& image);
    static const QStringList& paintPrograms();
    void IM_BACKCOLOR_Click(); // "&MsPaint"

    // Drawings to cut out (main_exports.cpp).
    enum class PieceFormat { Svg, Dxf, Pdf, Print };
    PieceOutline realSizePiece(int Piece) const;
    // A piece of any former at its real size: m holds its samples (SampleFormer), w its work.
    static PieceOutline formerPiece(const FormerModel& m, const Work& w, int Piece);
    bool Export_Piece(PieceFormat format); // false only when it could not be made or written

    // The 3-D window and the part's dimensions (main_3d.cpp).
    SceneInput sceneInput() const;
    void Vue3D_Click();
    void Slider1_MouseDown();
    void Slider2_MouseDown();
    void Slider3_MouseDown();
    void Slider1_Scroll();
    void Slider2_Scroll();
    void Slider3_Scroll();

    // The real size (main_scale.cpp): the plan calibrated by two clicks and their real
    // distance, the pointer's place and the point last pressed in real millimetres from the
    // axes, typed coordinates, the real scale typed.
    void IM_Calibrate_Click(); // "&Calibrer le plan...": the first click comes next
    bool calibrating() const { return calibration_ != Calibration::Off; }
    void Slider5_Scroll();    // "Zoom" moved by the user: a calibration no longer holds
    void Text3_Validate();    // Enter in the box of "Nbre de Points"
    void txtPoint_Validate(); // Enter in the point's x or y box: the point moves there
    void txtScale_Validate(); // Enter in the scale's box
    // The drawing's own view ("Loupe", main_view.cpp) changed: the session keeps it, the
    // status bar shows its factor.
    void Picture1_ViewChanged();
    // Shows a message in the status bar: what was written, what was refused.
    void showStatus(const QString& text);
    QString statusText() const;

    // The formers of the fuselage (main_formers.cpp): the panel "Couples", where the row
    // selected is the former edited, and "Exporter tous les couples...".
    void cmdNouveau_Click();
    void cmdDupliquer_Click();
    void cmdRenommer_Click();
    void cmdSupprimer_Click();
    void lstCouples_Click(int row);                             // that former is edited
    void lstCouples_StationTyped(int row, const QString& text); // Enter in its station cell
    void IM_Export_All_Click();
    // False only when the sheets could not be made or written (the user was told why).
    bool exportAllFormers();

    // The help menu (main_help.cpp).
    void IM_HRELP_Click();
    void IM_ABOUT_Click();
    FrmHlp* aboutWindow() const { return aboutWindow_; } // while it is open
    QTextBrowser* helpWindow() const { return helpWindow_; }

signals:
    // The former's 3-D part followed the outline (mode 1 rebuilt, any other moved in place).
    void formerMeshRebuilt(int mode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void bindControls(); // the binding table: main_bindings.cpp
    void connectMenus();
    void connectHistory();
    void load3DWindow();
    void showSettings();
    void showToolbarTags();
    void showPictureControls();
    // "Horiz" and "Vert" reach the whole picture at its zoom (main_view.cpp).
    void fitPictureSliders();
    void showPictureBoxes(); // the boxes beside "Horiz", "Vert" and "Zoom" show their values
    void connectView();
    void showView(const View& v);
    void storeView();     // the session keeps the surface's view, the status bar its factor
    void placeAxisMark(); // the "^" under the symmetry axis
    void showWork(const ProjectWork& work);
    // The panel and the fuselage show the session's formers.
    void formersChanged();
    void showFormerList();
    // A list operation of the session, then the former it leaves edited shown in both windows;
    // a refusal is told in the status bar. False when refused.
    bool changeFormers(const std::function<bool(std::string& why)>& operation);
    // The fuselage view is given the project's formers, each at its real size and station.
    void feedFuselage();
    void refreshFuselage(); // feedFuselage() while the fuselage shows
    void connectFormerPanel();
    void updateProjectCaption();
    void setHandleSet(bool couple);
    void assemblyChanged(bool joint);
    void scaleDimension(Work::Dimension& d, QLineEdit* box, void (Frm3D::*scale)(double));
    bool printPiece(const PieceOutline& outline, const QStringList& caption, Sheet page);
    QString undoCaption(const Work& before, const Work& after) const;
    void connectStatusBar();
    void calibrationClick(QPointF mm);
    void endCalibration();
    void showPointer(float X, float Y, bool dragging);
    void showSelectedPoint();
    void showScale();
    void showDoublingMode();
    void tellOffsetDoubling();

    EditorSession& session_;
    UserDialogs& dialogs_;
    MainControls ui_;
    class_Elastic Elastic_;
    RedrawFlag Redraw3D_;
    Frm3D* frm3D_ = nullptr;
    FrmHlp* aboutWindow_ = nullptr;
    QTextBrowser* helpWindow_ = nullptr;
    QString Chosen_File_;
    QImage ps_;
    std::map<int, QIcon> ImageList1; // pictures by their 1-based number
    std::vector<DrawStep> steps_;    // reused by every outline drawing
    // The design's distance in pixels from the symmetry axis to the centre of the "^" under it.
    double axisMarkOffset_ = 0.0;
    bool quitConfirmed_ = false;
    enum class Calibration { Off, FirstPoint, SecondPoint };
    Calibration calibration_ = Calibration::Off;
    QPointF calibrationStart_;        // surface millimetres of the first click
    bool partHasDoubling_ = false;    // the 3-D part was last built with the doubling
    std::string toldOffset_;          // the offset's trouble last told in the status bar
    QString shownPicturePath_;        // the file ps_ was read from
    ExportAllChoice exportAllChoice_; // what "Exporter tous les couples..." had last
};

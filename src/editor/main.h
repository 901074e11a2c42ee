#pragma once

#include "editor/class_elastic.h"
#include "editor/picture_box.h"
#include "editor/piece_size_dialog.h"
#include "export/piece_outline.h"
#include "former/editor_state.h"
#include "former/former_model.h"
#include "view3d/redraw_flag.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QSizeF>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class Engine;
class Frm3D;
class FrmHlp;
struct SceneInput;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTextBrowser;
class QUndoStack;
class QToolButton;

// The editor window "EDITEUR de COUPLES". It owns the former model and the editor's state and
// is a thin shell around them: every change of a control goes first into the state, then its
// handler runs, reading the state (never a control), calling the core and redrawing; the
// controls only show the state. The controls carry the system's names, as public members so that
// the scripting front-end and the tests can drive and read them.
class Main : public QMainWindow {
    Q_OBJECT

public:
    static constexpr double kDesignSurfaceWidth = 120.0; // mm
    static constexpr double kDesignSurfaceHeight = 100.0;

    // surfaceMm is the size of Picture1 in millimetres from before start-up on. The start-up
    // sequence (Form_Load) runs here.
    explicit Main(QSizeF surfaceMm = {kDesignSurfaceWidth, kDesignSurfaceHeight},
                  QWidget* parent = nullptr);

    FormerModel& model() { return model_; }
    const FormerModel& model() const { return model_; }

    // Set by every change the 3-D view must show; the 3-D window clears it when it draws.
    // Setting it schedules one frame of the 3-D window.
    RedrawFlag Redraw3D;

    // The former's 3-D part follows the outline: mode 1 rebuilds its mesh from scratch, any
    // other mode moves its vertices in place. Forwards to the 3-D scene once one is attached.
    void RebuildFormerMesh(int mode);
    void setFormerMeshRebuilder(std::function<void(int)> rebuild) {
        formerMeshRebuilder_ = std::move(rebuild);
    }
    // How often each mode was asked for since start-up (index 0: in place, 1: rebuild).
    int rebuildCalls[2] = {0, 0};

    // The toolbar: the button of that index, or nullptr where the toolbar has none.
    QToolButton* pb1(int index) const;
    // The indices that have a button, in order.
    static const std::vector<int>& pb1Indices();
    QString pb1Tag(int index) const;
    // A tag read as a number, as the toolbar compares them: leading sign and digits,
    // anything else (an empty tag) is zero.
    static int tagValue(const QString& tag);

    // ---- handlers and routines, under the system's own names ----
    void Form_Load();
    // The window's resize handler: lays the controls out in proportion, then shows the former
    // at the surface's new view scale (the former itself keeps its millimetres), the grid as
    // its button says, and the tab the user had.
    void Form_Resize();
    // The proportional layout of the window's controls, recorded at start-up.
    class_Elastic Elastic;
    void Forme_Initiale();
    void pb1_Click(int Index);
    // lMode 1 draws the grid, any other value removes it.
    void Quadrillage(int lMode);
    // The grid button says the grid is shown (its tag is zero).
    bool gridShown() const;
    void Hscroll2_Change();
    void Hscroll3_Scroll();
    void Picture1_Paint();
    // Computes the outline from the model and the controls, and draws it on Picture1.
    void DisegnaCurva();
    // The controls that the outline construction reads.
    OutlineOptions outlineOptions() const;

    // Menu handlers; the file commands are in main_files.cpp, the help menu in main_help.cpp,
    // the paint program in main_picture.cpp.
    void IM_Load_Click();
    void IM_Save_G_Click();
    void IM_Save_D_Click();
    void IM_H_Click();
    void IM_B_Click();
    void IM_Save_All_Click();
    void IM_Quit_Click();
    void IM_BACKCOLOR_Click(); // "&MsPaint" (main_picture.cpp)
    // "&Aide" › "&Aide": shows the guide beside the editor.
    void IM_HRELP_Click();
    // "&A propos": a fresh about window, modal until its "&OK" closes it.
    void IM_ABOUT_Click();
    FrmHlp* aboutWindow = nullptr;      // the about window while it is open
    QTextBrowser* helpWindow = nullptr; // the guide, made at its first showing

    // ---- files: the profile export and the file dialogs (main_files.cpp) ----
    // The name chosen in the last file dialog, "" after a cancel.
    QString Chosen_File;
    // Asks for a file name with a single filter "Description (Pattern)"; ForSave 0 opens, any
    // other value saves. After a save dialog the program's default extension is added when the
    // name lacks it. The result is left in Chosen_File.
    void File_Dialog(const QString& Pattern, const QString& Description, int ForSave);
    // Saves the piece (1 bottom, 2 top, 3 left, 4 right, 5 whole) as a "Fichier Profil" under a
    // name asked for in the save dialog. False only when the file could not be written: the
    // user was told why and an older file of that name is left as it was.
    bool Save_Couple(int Piece);
    // Scripts and tests stand in for the user here. When set, fileDialogAnswer is called instead
    // of showing a file dialog and returns the name typed and confirmed ("" cancels; a relative
    // name is taken in the current folder, as the dialog does), and warningSink receives the
    // title and text of a warning instead of a message box.
    std::function<QString(const QString& Pattern, const QString& Description, int ForSave)>
        fileDialogAnswer;
    std::function<void(const QString& title, const QString& text)> warningSink;
    // Shows a warning message box, or hands it to warningSink.
    void showWarning(const QString& title, const QString& text);

    // ---- the background picture (main_picture.cpp) ----
    // The picture file shown behind the curve; "" until one has been chosen.
    QString PicturePath;
    // The picture holder: the picture as read, at its own size in pixels; null while the
    // display is off.
    QImage ps;
    // "Image On/Off": switches the display on (re-reading PicturePath) or off.
    void Command4_Click();
    bool pictureOn() const;
    // Draws the held picture behind the curve with the pan and zoom the sliders show.
    void ApplyViewTransform();
    // "Horiz", "Zoom" and "Vert" moved by the user.
    void Slider4_Scroll();
    // Toolbar button 0: asks for a picture and shows it at the initial pan and zoom. A cancel
    // or a picture that cannot be read changes nothing.
    void OpenPictureFile();
    // The picture dialog's answer: a full path, "" after a cancel.
    QString AskPictureFileName();
    // Reads a picture file into image, the right way up. Returns "" or, when the file cannot be
    // shown, the French reason.
    static QString readPicture(const QString& path, QImage& image);
    // The paint programs "&MsPaint" looks for, in order; the last one opens the file in the
    // desktop's default application.
    static const QStringList& paintPrograms();
    // Starts a program with its arguments without a shell and without waiting; false when it
    // could not be started. Scripts and tests replace it: they never start a program.
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
    // ---- drawings to cut out: SVG, DXF, PDF and printing at 1:1 (main_exports.cpp) ----
    enum class PieceFormat { Svg, Dxf, Pdf, Print };
    QAction* IM_Export_SVG = nullptr; // "Exporter en &SVG..."
    QAction* IM_Export_DXF = nullptr; // "Exporter en &DXF..."
    QAction* IM_Export_PDF = nullptr; // "Exporter en &PDF..."
    QAction* IM_Print = nullptr;      // "&Imprimer à l'échelle 1:1..."
    // The piece (save code) at the 3-D part's size in millimetres, centred on the axes.
    PieceOutline realSizePiece(int Piece) const;
    // Asks for the piece and its size, then for a file name (or the printer), and writes the
    // drawing. False only when it could not be made or written: the user was told why and an
    // older file of that name is left as it was.
    bool Export_Piece(PieceFormat format);
    // Scripts and tests answer the size dialog (nullopt cancels) and the print dialog (false
    // cancels; the printer may be pointed at a file) instead of the user.
    std::function<std::optional<PieceSizeChoice>()> exportDialogAnswer;
    std::function<bool(QPrinter&)> printDialogAnswer;

    // ---- controls ----
    // The toolbar pb1 (above): "Ouvrir un Projet", "Enregistrer le Projet", "Pointillés",
    // "Vue Points", "Poignées", "Axes On/Off", "Vue 3D" and "Grille On/Off".
    PictureBox* Picture1 = nullptr; // the drawing surface in millimetres: grid, former, handles
    QLineEdit* lblX = nullptr;      // bottom left of the surface: the pointer's x in millimetres
    QLineEdit* lblY = nullptr;      // beside it: the pointer's y
    QLabel* Label6 = nullptr;       // top left of the surface: "Mode asservi" or "Mode découplé"
    QLabel* Label4 = nullptr;       // the green "^" under the axis, shown while the picture is off

    QTabWidget* SSTab1 = nullptr;    // the tabs "Dessin" (drawing) and "Masque" (the picture)
    QGroupBox* Frame5 = nullptr;     // tab "Dessin": the frames below
    QGroupBox* Frame7 = nullptr;     // "Doublage": the inner doubling's switch and scale
    QCheckBox* Check4 = nullptr;     // "On / Off": shows or removes the doubling
    QSlider* Hscroll1 = nullptr;     // "Epaisseur": the doubling's scale, 1..9 tenths of the former
    QGroupBox* Frame1 = nullptr;     // the sampling of the outline
    QSlider* Hscroll2 = nullptr;     // "Nbre de Points": samples of the outline, 10..100
    QLineEdit* Text3 = nullptr;      // beside "Nbre de Points": its value
    QSlider* Hscroll3 = nullptr;     // "Résolution": the order of the B-spline
    QGroupBox* Frame2 = nullptr;     // "Assemblage": how the doubling joins the former
    QRadioButton* Option1 = nullptr; // "Horizontal"
    QRadioButton* Option2 = nullptr; // "Aucun"
    QRadioButton* Option7 = nullptr; // "Vertical"
    QGroupBox* Frame4 = nullptr;     // "Action Souris": which handles the mouse moves
    QRadioButton* Option3 = nullptr; // "Couple": the former's handles
    QRadioButton* Option4 = nullptr; // "Doublage": the doubling's handles, when decoupled
    QGroupBox* Frame6 = nullptr;     // "Mouvements asservis": whether the doubling follows
    QRadioButton* Option5 = nullptr; // "Oui": the doubling follows the former (slaved)
    QRadioButton* Option6 = nullptr; // "Non": the doubling is edited on its own

    QGroupBox* Frame10 = nullptr; // tab "Masque": the background picture's frames below
    QGroupBox* Frame9 = nullptr;  // pan and zoom of the background picture, while it is on
    QSlider* Slider4 = nullptr;   // "Horiz", tooltip "Gauche / Droite": horizontal offset
    QSlider* Slider5 = nullptr;   // "Zoom", in percent: the picture's scale
    QSlider* Slider6 = nullptr;   // "Vert", tooltip "Haut / Bas": vertical offset
    QGroupBox* Frame8 = nullptr;  // the frame of "Image On/Off", enabled once a picture is chosen
    QPushButton* Command4 = nullptr; // "Image On/Off"; tag "1" while the picture shows

    QMenu* IM_File = nullptr;        // "&Fichiers"
    QAction* IM_Load = nullptr;      // "&Charger": asks for a profile file's name, only recorded
    QAction* IM_Save_G = nullptr;    // "&Sauvegarder 1/2 couple Gauche": the left half's profile
    QAction* IM_Save_D = nullptr;    // "&Sauvegarder 1/2 couple Droit": the right half's profile
    QAction* IM_H = nullptr;         // "&Sauvegarder 1/2 couple Haut": the top half's profile
    QAction* IM_B = nullptr;         // "&Sauvegarder 1/2 couple Bas": the bottom half's profile
    QAction* IM_Save_All = nullptr;  // "&Sauvegarder Couple Entier": the whole former's profile
    QAction* IM_Quit = nullptr;      // "&Quitter"
    QMenu* IM_PREFER = nullptr;      // "&Outils"
    QAction* IM_BACKCOLOR = nullptr; // "&MsPaint": the paint program on the picture
    QMenu* IM_HELP = nullptr;        // "&Aide"
    QAction* IM_HRELP = nullptr;     // "&Aide": the help
    QAction* IM_ABOUT = nullptr;     // "&A propos": the about window

    // ---- the 3-D window and the dimensions of the 3-D part ----
    Frm3D* frm3D = nullptr;      // "Assemblage", created at start-up, lives as long as this window
    QGroupBox* Frame3 = nullptr; // under the tabs: the 3-D part's dimensions
    QSlider* Slider1 = nullptr;  // "Ep.:": the part's thickness
    QSlider* Slider2 = nullptr;  // "Haut.:": scales the part's height
    QSlider* Slider3 = nullptr;  // "Larg.:": scales the part's width
    QLineEdit* T_EP = nullptr;   // beside "Ep.:": the thickness last applied
    QLineEdit* T_H = nullptr;    // beside "Haut.:": the height last applied
    QLineEdit* T_L = nullptr;    // beside "Larg.:": the width last applied
    // What the 3-D scene reads from this window when it builds.
    SceneInput sceneInput() const;
    // "Vue 3D": shows the 3-D window, or hides it keeping its view.
    void Vue3D_Click();
    void Slider1_MouseDown();
    void Slider2_MouseDown();
    void Slider3_MouseDown();
    void Slider1_Scroll();
    void Slider2_Scroll();
    void Slider3_Scroll();

private:
    // Scales the part along one dimension from the value last applied to the slider's value.
    void scaleDimension(EditorState::Dimension& d, QLineEdit* box,
                        void (*scale)(Engine&, int, double));

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Closing the editor ends the program at once, the 3-D window with it.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(QSizeF surfaceMm);
    void createToolbar(QWidget* parent);
    void createDessinTab(QWidget* page);
    void createMasqueTab(QWidget* page);
    void createSurface(QWidget* parent, QSizeF surfaceMm);
    void createMenus();
    void createExportMenu();
    bool printPiece(const PieceOutline& outline, const QStringList& caption, Sheet page);
    void createFrame3(QWidget* parent, const QRect& area);
    void load3DWindow();
    // The setting of the state that a slider shows.
    using SliderSetting = int& (*)(EditorState&);
    // Every value the slider takes goes into its setting at once. The handler runs only when the
    // user moved the slider (drag, click, keyboard, wheel), once the new value is in place;
    // values set by the program do not run it.
    void onUserMove(QSlider* slider, SliderSetting setting, void (Main::*handler)());
    // The one way a control's change reaches the editor: the state takes the new value, then
    // the control's handler runs, when this change is one that runs it. Every control's
    // connection ends here.
    void controlChanged(const std::function<void(EditorState&)>& store,
                        void (Main::*handler)() = nullptr);
    // Millimetres of the window's design to pixels.
    QRect mm(double left, double top, double width, double height) const;
    int twipsToPixels(double twips) const;

    FormerModel model_;
    // The design's distance in pixels from the symmetry axis to the centre of the "^" under it.
    double axisMarkOffset_ = 0.0;
    std::map<int, QToolButton*> pb1_;
    std::map<int, QIcon> ImageList1; // pictures by their 1-based number
    std::vector<DrawStep> steps_;    // reused by every outline drawing
    std::function<void(int)> formerMeshRebuilder_;

    // ---- Doubling, mode options and mouse editing (main_options.cpp, main_mouse.cpp) ----
public:
    // Refreshes the mode label and whether "Doublage" can be chosen as the mouse action.
    void UpdateModeDisplay();
    // Places the doubling from the former while it is on, or switches its controls off.
    void UpdateDoubling();
    void Check4_Click();    // "On / Off" of the doubling
    void Hscroll1_Scroll(); // "Epaisseur": the doubling's scale, user moves only
    // The option handlers run when their button becomes selected, by the user or by code.
    void Option1_Click(); // "Horizontal"
    void Option2_Click(); // "Aucun"
    void Option7_Click(); // "Vertical"
    void Option3_Click(); // "Couple"
    void Option4_Click(); // "Doublage"
    void Option5_Click(); // "Oui"
    void Option6_Click(); // "Non"
    // Mouse on the drawing surface: buttons 1 left, 2 right, 4 middle; millimetres as the
    // 32-bit floats the handlers work in.
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseMove(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    // The text lblX and lblY show for a coordinate: up to 7 significant digits, the decimal
    // separator of the user's desktop (userLocale), no grouping.
    static QString pointerText(float value);

private:
    void connectEditing(); // wires the handlers above; run once by the constructor
    void setHandleSet(bool couple);
    void assemblyChanged(bool joint);

    // ---- the editor's state as one value (main_state.cpp) ----
public:
    // Everything the user has shaped and set: the settings, with the former as the model holds
    // it and the view as the 3-D window holds it.
    EditorState editorState() const;
    // Puts a state into the model, the settings and the controls without running their
    // handlers, then redraws both windows and rebuilds the 3-D part once.
    void showEditorState(const EditorState& state);

private:
    // The settings, the one copy: every control's change lands here first (through the
    // connections made with the controls) and the handlers read them here. The former's points
    // live in the model that edits and samples them, the camera in the 3-D window that turns it:
    // editorState() gathers the three.
    EditorState state_;
    // The controls and the toolbar's tags shown as the settings say, without running handlers.
    void showSettings();
    void showToolbarTags();
    void showPictureControls(); // "Image On/Off" and what gives way to the picture

    // ---- project files: the whole work in a ".couple" file (main_project.cpp) ----
public:
    // "&Fichiers" items above the profile items.
    QAction* IM_Couple_Open = nullptr;   // "&Ouvrir un couple..." (Ctrl+O)
    QAction* IM_Couple_Save = nullptr;   // "&Enregistrer le couple" (Ctrl+S)
    QAction* IM_Couple_SaveAs = nullptr; // "Enregistrer le couple so&us..." (Ctrl+Shift+S)
    void IM_Couple_Open_Click();
    bool IM_Couple_Save_Click();   // false when the file could not be written
    bool IM_Couple_SaveAs_Click(); // the same; a cancelled dialog is no failure
    // The project file opened or saved in this run, "" before; the caption names it.
    QString projectFile;
    // True while the work differs from what the project file holds.
    bool projectModified() const;
    // Opens a project file: the whole file is checked first, and a refused one changes nothing
    // (the user is told why). False when refused.
    bool openProject(const QString& path);
    // Writes the work to path, aside and renamed; false (the user told why) when it fails.
    bool saveProject(const QString& path);
    // With unsaved changes to the project file, asks "Enregistrer les modifications ?" and saves
    // when asked to. False when the user cancels or the save fails: the work must stay.
    bool maySetWorkAside();
    // Scripts and tests answer that question here instead of a message box.
    enum class SaveAnswer { Save, Discard, Cancel };
    std::function<SaveAnswer(const QString& text)> questionAnswer;

private:
    void createProjectItems(); // run once by the constructor
    void updateProjectCaption();
    EditorState savedState_; // what the project file holds
    bool quitConfirmed_ = false;

    // ---- undo and redo (main_undo.cpp) ----
public:
    QUndoStack* undoStack = nullptr; // every change of the work, one step each
    QMenu* IM_Edit = nullptr;        // "&Edition", between "&Fichiers" and "&Outils"
    QAction* IM_Undo = nullptr;      // "&Annuler : CHANGE" (Ctrl+Z): takes the last change back
    QAction* IM_Redo = nullptr;      // "&Rétablir : CHANGE" (Ctrl+Shift+Z, Ctrl+Y): does it again
    // Once a user action is over, makes it one step when it changed the work. sliderStep: it
    // was a key or the wheel on a slider, merged with the steps of that slider just before.
    void recordWorkChange(bool sliderStep = false);
    // Shows the work of a state, the display kept as it is.
    void showWork(const EditorState& work);

private:
    void createEditMenu();
    void forgetWorkChanges();  // a project opened: its work is where the steps start
    EditorState recordedWork_; // the work as the last step left it
};

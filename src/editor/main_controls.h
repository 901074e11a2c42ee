#pragma once

#include <QSizeF>

#include <map>

class ElidedLabel;
class NumberBox;
class PictureBox;
class QAction;
class QCheckBox;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QToolButton;

// The controls of the editor window "EDITEUR de COUPLES", under their own names, as the design
// lays them out: the window makes them once (setupUi) and then only shows its session through
// them. What each control is for the user is said beside it.
struct MainControls {
    // The toolbar pb1 by index: 0 "Ouvrir un Projet", 1 "Enregistrer le Projet", 2 "Pointillés",
    // 3 "Vue Points", 5 "Poignées", 10 "Axes On/Off", 11 "Vue 3D", 14 "Grille On/Off"; each
    // toggle's state shows in its tag ("0", "1" or "-1"). nullptr for an index without button.
    QToolButton* pb1(int index) const;
    std::map<int, QToolButton*> pb1Buttons;
    // After the toolbar, apart from its indices: "Ajuster", the whole drawing surface again.
    QToolButton* cmdFit = nullptr;
    QAction* IM_Fit = nullptr; // "Ajuster" (Ctrl+0), the button's action

    PictureBox* Picture1 = nullptr; // the drawing surface in millimetres: grid, former, handles
    QLineEdit* lblX = nullptr;      // bottom left of the surface: the pointer's x in millimetres
    QLineEdit* lblY = nullptr;      // beside it: the pointer's y
    QLabel* Label6 = nullptr;       // top left of the surface: "Mode asservi" or "Mode découplé"
    QLabel* Label4 = nullptr;       // the green "^" under the axis, shown while the picture is off

    QTabWidget* SSTab1 = nullptr; // the tabs "Dessin" (drawing) and "Masque" (the picture)
    QGroupBox* Frame5 = nullptr;  // tab "Dessin": the frames below
    QGroupBox* Frame7 = nullptr;  // "Doublage": the inner doubling's switch and scale
    QCheckBox* Check4 = nullptr;  // "On / Off": shows or removes the doubling
    QRadioButton* optProportional = nullptr;  // "Proportionnel": the doubling scaled
    QRadioButton* optConstantWidth = nullptr; // "Largeur constante": offset by one width
    QSlider* Hscroll1 = nullptr;    // "Epaisseur": the doubling's scale, 1..9 tenths of the former
    QLabel* lblEpaisseur = nullptr; // "Epaisseur", with its slider while proportional
    QLabel* lblDoublingWidth = nullptr;    // "Largeur (mm)", with its box instead
    NumberBox* txtDoublingWidth = nullptr; // the constant width in real millimetres
    QGroupBox* Frame1 = nullptr;           // the sampling of the outline
    QSlider* Hscroll2 = nullptr;           // "Nbre de Points": samples of the outline, 10..100
    NumberBox* Text3 = nullptr;  // beside "Nbre de Points": its value, typed and Enter applies it
    QSlider* Hscroll3 = nullptr; // "Résolution": the order of the B-spline
    QGroupBox* Frame2 = nullptr; // "Assemblage": how the doubling joins the former
    QRadioButton* Option1 = nullptr; // "Horizontal"
    QRadioButton* Option2 = nullptr; // "Aucun"
    QRadioButton* Option7 = nullptr; // "Vertical"
    QGroupBox* Frame4 = nullptr;     // "Action Souris": which handles the mouse moves
    QRadioButton* Option3 = nullptr; // "Couple": the former's handles
    QRadioButton* Option4 = nullptr; // "Doublage": the doubling's handles, when decoupled
    QGroupBox* Frame6 = nullptr;     // "Mouvements asservis": whether the doubling follows
    QRadioButton* Option5 = nullptr; // "Oui": the doubling follows the former (slaved)
    QRadioButton* Option6 = nullptr; // "Non": the doubling is edited on its own
    // "Extrémités sur l'axe", under the frames: the end points dragged stay on the axis.
    QCheckBox* chkEndsOnAxis = nullptr;

    QGroupBox* Frame10 = nullptr; // tab "Masque": the background picture's frames below
    QGroupBox* Frame9 = nullptr;  // pan and zoom of the background picture, while it is on
    QSlider* Slider4 = nullptr;   // "Horiz", tooltip "Gauche / Droite": horizontal offset
    QSlider* Slider5 = nullptr;   // "Zoom", in percent: the picture's scale
    QSlider* Slider6 = nullptr;   // "Vert", tooltip "Haut / Bas": vertical offset
    QGroupBox* Frame8 = nullptr;  // the frame of "Image On/Off", enabled once a picture is chosen
    QPushButton* Command4 = nullptr; // "Image On/Off"; tag "1" while the picture shows
    // Beside "Horiz", "Vert" and "Zoom": the slider's value, typed and Enter applies it.
    NumberBox* txtHoriz = nullptr;
    NumberBox* txtVert = nullptr;
    NumberBox* txtZoom = nullptr;

    QGroupBox* Frame3 = nullptr; // under the tabs: the 3-D part's dimensions
    QSlider* Slider1 = nullptr;  // "Ep.:": the part's thickness
    QSlider* Slider2 = nullptr;  // "Haut.:": scales the part's height
    QSlider* Slider3 = nullptr;  // "Larg.:": scales the part's width
    QLineEdit* T_EP = nullptr;   // beside "Ep.:": the thickness last applied
    QLineEdit* T_H = nullptr;    // beside "Haut.:": the height last applied
    QLineEdit* T_L = nullptr;    // beside "Larg.:": the width last applied

    QMenu* IM_File = nullptr;            // "&Fichiers"
    QAction* IM_Couple_Open = nullptr;   // "&Ouvrir un couple..." (Ctrl+O): a project file
    QAction* IM_Couple_Save = nullptr;   // "&Enregistrer le couple" (Ctrl+S)
    QAction* IM_Couple_SaveAs = nullptr; // "Enregistrer le couple so&us..." (Ctrl+Shift+S)
    QAction* IM_Load = nullptr;       // "&Charger": asks for a profile file's name, only recorded
    QAction* IM_Save_G = nullptr;     // "&Sauvegarder 1/2 couple Gauche": the left half's profile
    QAction* IM_Save_D = nullptr;     // "&Sauvegarder 1/2 couple Droit": the right half's profile
    QAction* IM_H = nullptr;          // "&Sauvegarder 1/2 couple Haut": the top half's profile
    QAction* IM_B = nullptr;          // "&Sauvegarder 1/2 couple Bas": the bottom half's profile
    QAction* IM_Save_All = nullptr;   // "&Sauvegarder Couple Entier": the whole former's profile
    QAction* IM_Export_All = nullptr; // "Exporter tous les couples...": every former on sheets
    QAction* IM_Quit = nullptr;       // "&Quitter"
    QMenu* IM_Edit = nullptr;         // "&Edition", between "&Fichiers" and "&Outils"
    QAction* IM_Undo = nullptr;       // "&Annuler : CHANGE" (Ctrl+Z): takes the last change back
    QAction* IM_Redo = nullptr;       // "&Rétablir : CHANGE" (Ctrl+Shift+Z, Ctrl+Y): does it again
    QMenu* IM_PREFER = nullptr;       // "&Outils"
    QAction* IM_Fuselage = nullptr;   // "&Fuselage...": the window of the side and top views
    QAction* IM_Calibrate = nullptr;  // "&Calibrer le plan...": two clicks, their real distance
    QAction* IM_BACKCOLOR = nullptr;  // "&MsPaint": the paint program on the picture
    QAction* IM_Export_SVG = nullptr; // "Exporter en &SVG...": a piece at its real size
    QAction* IM_Export_DXF = nullptr; // "Exporter en &DXF..."
    QAction* IM_Export_PDF = nullptr; // "Exporter en &PDF..."
    QAction* IM_Print = nullptr;      // "&Imprimer à l'échelle 1:1..."
    QAction* IM_Formers = nullptr;    // "Panneau des &couples": shows or hides the panel
    QAction* IM_Notches = nullptr;    // "&Lisses et encoches...": the stringers and slots
    QMenu* IM_HELP = nullptr;         // "&Aide"
    QAction* IM_HRELP = nullptr;      // "&Aide": the guide
    QAction* IM_ABOUT = nullptr;      // "&A propos": the about window

    // The status bar: messages on the left (what was written, what was refused), what stays
    // true (the doubling not drawn and why), then the point last pressed with its coordinates
    // typed in real millimetres, the real scale, whether the plan is calibrated, and where the
    // pointer is from the axes.
    QStatusBar* StatusBar = nullptr;
    ElidedLabel* lblMessage = nullptr; // a passing message, a refusal or a prompt
    ElidedLabel* lblLasting = nullptr; // why the doubling is not drawn, while it is so
    QLabel* lblPoint = nullptr;        // "Point 4 :", the point the boxes beside it move
    NumberBox* txtPointX = nullptr;    // its x in real millimetres, right of the symmetry axis
    NumberBox* txtPointY = nullptr;    // its y in real millimetres, up from the horizontal axis
    QLabel* lblScale = nullptr;        // "Échelle :"
    NumberBox* txtScale = nullptr;     // real millimetres per millimetre of the drawing
    QLabel* lblCalibration = nullptr;  // the orange "Plan non calibré" while the plan shown is
    QLabel* lblPointer = nullptr;      // "x 12,35 mm  y -4,20 mm" under the pointer
    QLabel* lblZoom = nullptr;         // "Loupe ×4": how much the drawing's own view magnifies it

    // The panel "Couples", a tool window beside the editor: the project's formers.
    QDockWidget* Couples = nullptr;
    // One row per former, in the fuselage's order: "Nom", and "Station (mm)" typed in place.
    // The row selected is the former edited in both windows.
    QTableWidget* lstCouples = nullptr;
    QPushButton* cmdNouveau = nullptr;   // "Nouveau": a copy of the edited former, 50 mm on
    QPushButton* cmdDupliquer = nullptr; // "Dupliquer": a copy of it at the same station
    QPushButton* cmdRenommer = nullptr;  // "Renommer": asks for its new name
    QPushButton* cmdSupprimer = nullptr; // "Supprimer": removes it (never the last one)

    // Makes every control of the window at its design place and look, the drawing surface
    // measuring surfaceMm millimetres, and sizes the window to hold them.
    void setupUi(QMainWindow* Main, QSizeF surfaceMm);
};

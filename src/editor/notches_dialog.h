#pragma once

#include "session/changed.h"

#include <QDialog>

#include <functional>

class EditorSession;
class NumberBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// The window "Lisses et encoches": the stringers and the slots cut into every former of the
// fuselage, and the notches left out. It keeps nothing of its own: it shows the session's table
// and calls the session's edits, each one undo step, then tells the editor what changed.
//
// Each stringer is a row of "Lisses" whose cells are typed in place (its name, its place along
// the half outline from the top point, 0, to the bottom one, 1, its width and depth in real
// millimetres, "," or "."), "Des deux côtés" ticked or not; under the table a new row is typed
// and "Ajouter" adds it, "Supprimer" removes the row selected. "Fentes" lists the slots, typed in
// place too; under it the kind, the crutch's height, the width and the depth, and "Poser" puts
// that slot (or changes it), "Retirer" takes the slot selected away. A refusal is told in red
// under the tables and in the status bar.
class NotchesDialog : public QDialog {
    Q_OBJECT

public:
    NotchesDialog(EditorSession& session, QWidget* parent = nullptr);

    // Shows what the session holds now, for what changed: the table on its own changes (and
    // another former's, a project opened), the notches left out on any change of a former.
    void showSession(Changed changed);

    // What an edit changed, for the editor to show; a refusal, for its status bar.
    std::function<void(Changed)> edited;
    std::function<void(const QString&)> refused;

    // "Lisses": Nom, Place, Largeur (mm), Profondeur (mm), Des deux côtés.
    QTableWidget* stringerTable = nullptr;
    QLineEdit* newName = nullptr;
    NumberBox* newPlace = nullptr;
    NumberBox* newWidth = nullptr;
    NumberBox* newDepth = nullptr;
    QCheckBox* newBothSides = nullptr; // "Des deux côtés", ticked at first
    QPushButton* cmdAjouter = nullptr;
    QPushButton* cmdSupprimerLisse = nullptr;
    // "Fentes": Fente, Hauteur (mm), Largeur (mm), Profondeur (mm).
    QTableWidget* slotTable = nullptr;
    QComboBox* newSlotKind = nullptr;   // "Fente de quille", "Fente dorsale", "Fente de bâti"
    NumberBox* newSlotHeight = nullptr; // the crutch's height above the datum, real mm
    NumberBox* newSlotWidth = nullptr;
    NumberBox* newSlotDepth = nullptr;
    QPushButton* cmdPoser = nullptr;
    QPushButton* cmdRetirer = nullptr;
    QListWidget* lstRefusals = nullptr; // "Encoches laissées de côté"
    QLabel* message = nullptr;          // the last refusal, red

    // The row of the stringer or slot of that name in its table, -1 when none.
    int stringerRow(const QString& name) const;
    int slotRow(const QString& name) const;

    // The buttons' work, as a click runs it: false when refused (told).
    bool addStringer();
    bool deleteStringer();
    bool putSlot();
    bool deleteSlot();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showTables();
    void showRefusals();
    void showSlotOffered();
    void stringerTyped(QTableWidgetItem* item);
    void slotTyped(QTableWidgetItem* item);
    // One edit of the session: shown when made, told when refused. The tables show the
    // session again either way (a cell refused shows its value again).
    bool apply(const std::function<bool(std::string& why, Changed& changed)>& edit);
    void tell(const QString& why);

    EditorSession& session_;
    bool stale_ = true; // something changed while it was hidden
};

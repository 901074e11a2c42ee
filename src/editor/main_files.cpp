// The "&Fichiers" menu of the editor window: the profile export of the five pieces, the file
// dialogs, the load command and quitting.
#include "editor/main.h"
#include "view3d/frm3d.h"

#include "editor/file_dialog.h"
#include "editor/tool_windows.h"
#include "editor/user_dialogs.h"

#include "files/couple_export.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kProfileTitle = QStringLiteral("Fichier Profil");

} // namespace

void Main::File_Dialog(const QString& Pattern, const QString& Description, int ForSave,
                       const QString& Folder) {
    const QString typed = dialogs_.askFileName(Pattern, Description, ForSave != 0, Folder);
    Chosen_File_ = chosenFileName(typed, Description, ForSave != 0);
}

bool Main::mayReplace(const QString& title, const QStringList& paths) {
    QStringList existing;
    for (const QString& path : paths)
        if (QFileInfo(path).exists() && !QFileInfo(path).isDir())
            existing << QFileInfo(path).fileName();
    if (existing.isEmpty() || dialogs_.askReplace(title, existing))
        return true;
    Chosen_File_.clear(); // as a cancel: nothing written, the old files as they were
    return false;
}

bool Main::Save_Couple(int Piece) {
    // 1., 2. Ask for the file's name; a cancel saves nothing and is no failure, nor is an
    // existing file the user keeps.
    File_Dialog(QStringLiteral("*.DAT"), kProfileTitle, 1);
    if (Chosen_File_.isEmpty() || !mayReplace(kProfileTitle, {Chosen_File_}))
        return true;
    // 3. to 5. The samples as the last drawing left them. The file is written aside and only
    // then put in place of an older one, so a failure never damages it.
    const FormerModel& m = session_.samples();
    const OutlineInput in{m.Courbe_Droite,
                          m.Courbe_Gauche,
                          m.Doublage_Droit,
                          m.Doublage_Gauche,
                          m.Nb_Points,
                          m.Line4.Y1,
                          session_.doublingDrawn() ? 1 : 0};
    const std::string error =
        saveCoupleFile(QFile::encodeName(Chosen_File_).toStdString(), in, Piece);
    if (error.empty())
        return true;
    dialogs_.warn(kProfileTitle, QString::fromStdString(error));
    return false;
}

void Main::IM_Load_Click() {
    // Only the name is recorded; the editor never reads a profile back.
    File_Dialog(QStringLiteral("*.dat"), QStringLiteral("Fichiers Profils"), 0);
}

void Main::keepWindowPlaces(QSettings& settings) {
    places_ = &settings;
    toolWindows_->restore(settings);
}

void Main::closeEvent(QCloseEvent* event) {
    // Unsaved changes to a project file are asked about first; "&Quitter" has asked already.
    if (!quitConfirmed_ && !maySetWorkAside()) {
        event->ignore();
        return;
    }
    // Where every window is, kept for the next start while they all still show.
    if (places_)
        toolWindows_->save(*places_);
    QMainWindow::closeEvent(event);
    if (frm3D_)
        frm3D_->hide();
    QCoreApplication::quit();
}

void Main::IM_Quit_Click() {
    // At once: every window goes, the 3-D and about windows included. Only unsaved changes to a
    // project file are asked about, once.
    if (!maySetWorkAside())
        return;
    quitConfirmed_ = true;
    if (places_)
        toolWindows_->save(*places_);
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

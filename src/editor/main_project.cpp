// Project files: the whole work saved as a ".couple" file and opened again exactly, with the
// caption naming the file and marking unsaved changes. The session reads and writes them.
#include "editor/main.h"

#include "editor/user_dialogs.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kCoupleTitle = QStringLiteral("Couple");
const QString kCouplePattern = QStringLiteral("*.couple");
const QString kCaption = QStringLiteral("EDITEUR de COUPLES");

} // namespace

QString Main::projectFile() const {
    return QFile::decodeName(QByteArray::fromStdString(session_.projectFile()));
}

void Main::updateProjectCaption() {
    if (session_.projectFile().empty())
        return;
    setWindowTitle(kCaption + QStringLiteral(" - ") + QFileInfo(projectFile()).fileName() +
                   QStringLiteral("[*]"));
    setWindowModified(session_.modified());
}

void Main::IM_Couple_Open_Click() {
    if (!maySetWorkAside())
        return;
    File_Dialog(kCouplePattern, kCoupleTitle, 0);
    if (!Chosen_File_.isEmpty())
        openProject(Chosen_File_);
}

bool Main::IM_Couple_Save_Click() {
    if (session_.projectFile().empty())
        return IM_Couple_SaveAs_Click();
    return saveProject(projectFile());
}

bool Main::IM_Couple_SaveAs_Click() {
    File_Dialog(kCouplePattern, kCoupleTitle, 1);
    return Chosen_File_.isEmpty() || !mayReplace(kCoupleTitle, {Chosen_File_}) ||
           saveProject(Chosen_File_);
}

bool Main::saveProject(const QString& path) {
    const std::string error = session_.saveProject(QFile::encodeName(path).toStdString());
    if (!error.empty()) {
        dialogs_.warn(kCoupleTitle, QString::fromStdString(error));
        return false;
    }
    updateProjectCaption();
    return true;
}

bool Main::openProject(const QString& path) {
    const EditorSession::Opening o = session_.readProject(QFile::encodeName(path).toStdString());
    if (!o.ok) {
        dialogs_.warn(kCoupleTitle, QString::fromStdString(o.refusal));
        return false;
    }
    if (calibrating())
        endCalibration();
    // The project's picture is read from its file, even when one of that name shows already.
    ps_ = QImage();
    shownPicturePath_.clear();
    show(session_.open(o.state, QFile::encodeName(path).toStdString()));
    return true;
}

bool Main::maySetWorkAside() {
    if (!session_.modified())
        return true;
    const SaveAnswer answer =
        dialogs_.askSaveChanges(QStringLiteral("Enregistrer les modifications ?"));
    if (answer == SaveAnswer::Save)
        return saveProject(projectFile());
    return answer == SaveAnswer::Discard;
}

// Project files: the whole work (the editor's state) saved as a ".couple" file and opened again
// exactly, with the caption naming the file and marking unsaved changes.
#include "editor/main.h"

#include "former/editor_state_json.h"

#include "files/file_reading.h"
#include "files/safe_file_writer.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QUndoStack>

#include <functional>
#include <utility>

namespace {

const QString kCoupleTitle = QStringLiteral("Couple");
const QString kCouplePattern = QStringLiteral("*.couple");
const QString kCaption = QStringLiteral("EDITEUR de COUPLES");

// Runs its check from the event loop after the user's mouse and key input, anywhere in the
// program; a burst of input gives one check. The check is told whether a mouse button is still
// held (a drag goes on) and whether the last input was a key or the wheel on a slider.
class UserInputWatcher final : public QObject {
public:
    using Check = std::function<void(bool buttonHeld, bool sliderStep)>;
    UserInputWatcher(QObject* owner, Check check) : QObject(owner), check_(std::move(check)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            sliderStep_ = false;
            buttonHeld_ = static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
            queueCheck();
            break;
        case QEvent::MouseMove:
            buttonHeld_ = static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
            // A pointer that only hovers changes no work: no state to read for it.
            if (buttonHeld_)
                queueCheck();
            break;
        case QEvent::KeyPress:
        case QEvent::Wheel:
            sliderStep_ = qobject_cast<QSlider*>(watched) != nullptr;
            queueCheck();
            break;
        case QEvent::KeyRelease:
            queueCheck();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void queueCheck() {
        if (pending_)
            return;
        pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pending_ = false;
                check_(buttonHeld_, sliderStep_);
            },
            Qt::QueuedConnection);
    }

    Check check_;
    bool pending_ = false;
    bool buttonHeld_ = false;
    bool sliderStep_ = false;
};

QString refusal(const QString& path, const QString& why) {
    return QStringLiteral("Le fichier « %1 » ne peut pas être ouvert.\n%2").arg(path, why);
}

} // namespace

void Main::createProjectItems() {
    QAction* first = IM_File->actions().value(0);
    auto item = [this, first](const char* name, const char* caption, QKeySequence keys) {
        auto* a = new QAction(QString::fromUtf8(caption), IM_File);
        a->setObjectName(name);
        a->setShortcut(keys);
        IM_File->insertAction(first, a);
        return a;
    };
    IM_Couple_Open = item("IM_Couple_Open", "&Ouvrir un couple...", QKeySequence::Open);
    IM_Couple_Save = item("IM_Couple_Save", "&Enregistrer le couple", QKeySequence::Save);
    IM_Couple_SaveAs = item("IM_Couple_SaveAs", "Enregistrer le couple so&us...",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    IM_File->insertSeparator(first)->setObjectName("IM_Couple_Sep");
    connect(IM_Couple_Open, &QAction::triggered, this, [this] { IM_Couple_Open_Click(); });
    connect(IM_Couple_Save, &QAction::triggered, this, [this] { IM_Couple_Save_Click(); });
    connect(IM_Couple_SaveAs, &QAction::triggered, this, [this] { IM_Couple_SaveAs_Click(); });

    // The marker follows the work: once the handlers of a mouse or key action are done, the
    // work is compared with the file, once however many events the action had. A change of
    // the work becomes one undo step once no button is held: a whole drag is one step.
    new UserInputWatcher(this, [this](bool buttonHeld, bool sliderStep) {
        if (!buttonHeld)
            recordWorkChange(sliderStep);
        if (!projectFile.isEmpty())
            setWindowModified(projectModified());
    });
}

bool Main::projectModified() const {
    // How the work is looked at is saved with it but is no change of it.
    return !projectFile.isEmpty() && !sameWork(editorState(), savedState_);
}

void Main::updateProjectCaption() {
    if (projectFile.isEmpty())
        return;
    setWindowTitle(kCaption + QStringLiteral(" - ") + QFileInfo(projectFile).fileName() +
                   QStringLiteral("[*]"));
    setWindowModified(projectModified());
}

void Main::IM_Couple_Open_Click() {
    if (!maySetWorkAside())
        return;
    File_Dialog(kCouplePattern, kCoupleTitle, 0);
    if (!Chosen_File.isEmpty())
        openProject(Chosen_File);
}

bool Main::IM_Couple_Save_Click() {
    if (projectFile.isEmpty())
        return IM_Couple_SaveAs_Click();
    return saveProject(projectFile);
}

bool Main::IM_Couple_SaveAs_Click() {
    File_Dialog(kCouplePattern, kCoupleTitle, 1);
    return Chosen_File.isEmpty() || saveProject(Chosen_File);
}

bool Main::saveProject(const QString& path) {
    const EditorState state = editorState();
    const std::string error =
        writeFileSafely(QFile::encodeName(path).toStdString(), WriteEditorState(state));
    if (!error.empty()) {
        showWarning(kCoupleTitle, QString::fromStdString(error));
        return false;
    }
    projectFile = path;
    savedState_ = state;
    undoStack->setClean();
    updateProjectCaption();
    return true;
}

bool Main::openProject(const QString& path) {
    // Only a regular file is read, and its size is looked at before anything is read.
    const FileContents file =
        readRegularFile(QFile::encodeName(path).toStdString(), kEditorStateMaxBytes);
    QString why;
    switch (file.problem) {
    case ReadProblem::None:
        break;
    case ReadProblem::Missing:
        why = QStringLiteral("Ce fichier n'existe pas.");
        break;
    case ReadProblem::BadName:
        why = QStringLiteral("Le nom contient un caractère nul.");
        break;
    case ReadProblem::Folder:
        why = QStringLiteral("Ce nom est un dossier.");
        break;
    case ReadProblem::NotRegular:
        why = QStringLiteral("Ce n'est pas un fichier ordinaire.");
        break;
    case ReadProblem::TooLarge:
        why = QStringLiteral("Le fichier est trop grand (plus de 1 Mo) : il n'est pas lu.");
        break;
    case ReadProblem::Unreadable:
        why = QStringLiteral("Ce fichier ne peut pas être lu.");
        break;
    }
    EditorStateReading r;
    if (why.isEmpty()) {
        r = ReadEditorState(file.bytes);
        why = QString::fromStdString(r.message);
    }
    // The points are millimetres of the surface they were drawn on.
    const QSizeF frame = Picture1->designSize();
    if (r.ok && (r.state.surfaceWidth != frame.width() || r.state.surfaceHeight != frame.height()))
        why = QStringLiteral("Champ « surface » : ce couple a été dessiné sur une surface de "
                             "%1 x %2 mm, celle-ci mesure %3 x %4 mm.")
                  .arg(r.state.surfaceWidth)
                  .arg(r.state.surfaceHeight)
                  .arg(frame.width())
                  .arg(frame.height());
    else if (r.ok)
        why.clear();
    if (!why.isEmpty()) {
        showWarning(kCoupleTitle, refusal(QDir::toNativeSeparators(path), why));
        return false;
    }
    // The project's picture is read from its file, even when one of that name shows already.
    if (pictureOn())
        Command4_Click();
    showEditorState(r.state);
    forgetWorkChanges();
    projectFile = path;
    savedState_ = editorState();
    updateProjectCaption();
    return true;
}

bool Main::maySetWorkAside() {
    if (!projectModified())
        return true;
    const QString text = QStringLiteral("Enregistrer les modifications ?");
    SaveAnswer answer = SaveAnswer::Cancel;
    if (questionAnswer) {
        answer = questionAnswer(text);
    } else {
        QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::NoButton, this);
        QPushButton* save = box.addButton(QStringLiteral("Enregistrer"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("Ne pas enregistrer"), QMessageBox::DestructiveRole);
        box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.exec();
        answer = box.clickedButton() == save      ? SaveAnswer::Save
                 : box.clickedButton() == discard ? SaveAnswer::Discard
                                                  : SaveAnswer::Cancel;
    }
    if (answer == SaveAnswer::Save)
        return saveProject(projectFile);
    return answer == SaveAnswer::Discard;
}

// Undo and redo: every change of the work is one step of a QUndoStack that holds the state
// before and after it. The display (view toggles, the 3-D view, the picture) is not a step
// and stays as it is when a step is taken back or done again.
#include "editor/main.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

#include <utility>

namespace {

const char* const kJoints[] = {"Aucun", "Horizontal", "Vertical"};

// What the user did, named for the menu's captions.
QString changeName(const EditorState& before, const EditorState& after) {
    if (before.doublingOn != after.doublingOn)
        return after.doublingOn ? QStringLiteral("mettre le doublage")
                                : QStringLiteral("retirer le doublage");
    if (before.slaved != after.slaved)
        return after.slaved ? QStringLiteral("asservir le doublage")
                            : QStringLiteral("découpler le doublage");
    if (before.joint != after.joint)
        return QStringLiteral("choisir l'assemblage « %1 »")
            .arg(QLatin1String(kJoints[static_cast<int>(after.joint)]));
    if (before.mouseAction != after.mouseAction)
        return QStringLiteral("choisir l'action « %1 »")
            .arg(after.mouseAction == MouseAction::Former ? QStringLiteral("Couple")
                                                          : QStringLiteral("Doublage"));
    if (before.sampleCount != after.sampleCount)
        return QStringLiteral("régler « Nbre de Points »");
    if (before.orderSlider != after.orderSlider || before.orderInUse != after.orderInUse)
        return QStringLiteral("régler « Résolution »");
    if (before.doublingScale != after.doublingScale)
        return QStringLiteral("régler « Epaisseur »");
    if (before.thickness != after.thickness)
        return QStringLiteral("régler l'épaisseur de la pièce");
    if (before.height != after.height)
        return QStringLiteral("régler la hauteur de la pièce");
    if (before.width != after.width)
        return QStringLiteral("régler la largeur de la pièce");
    for (std::size_t i = 0; i < before.former.size() && i < after.former.size(); ++i)
        if (before.former[i].pinned != after.former[i].pinned)
            return (after.former[i].pinned ? QStringLiteral("épingler le point %1")
                                           : QStringLiteral("libérer le point %1"))
                .arg(i);
    for (std::size_t i = 0; i < before.former.size() && i < after.former.size(); ++i)
        if (before.former[i] != after.former[i])
            return QStringLiteral("déplacer le point %1").arg(i);
    for (std::size_t i = 0; i < before.doubling.size() && i < after.doubling.size(); ++i)
        if (before.doubling[i] != after.doubling[i])
            return QStringLiteral("déplacer le point %1 du doublage").arg(i);
    return QStringLiteral("modifier le couple");
}

// One change of the work: the state before and after it. Steps of the keyboard or the wheel
// on one slider merge into one.
class WorkStep final : public QUndoCommand {
public:
    WorkStep(Main& window, EditorState before, EditorState after, bool sliderStep)
        : QUndoCommand(changeName(before, after)), window_(window), before_(std::move(before)),
          after_(std::move(after)), sliderStep_(sliderStep) {}

    int id() const override { return sliderStep_ ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const WorkStep*>(other);
        if (next->text() != text())
            return false;
        after_ = next->after_;
        setObsolete(sameWork(before_, after_)); // stepped back to where it started
        return true;
    }
    void undo() override { window_.showWork(before_); }
    void redo() override {
        if (std::exchange(done_, true))
            window_.showWork(after_);
    }

private:
    Main& window_;
    EditorState before_, after_;
    bool sliderStep_;
    bool done_ = false; // pushed once the user has made the change
};

} // namespace

void Main::createEditMenu() {
    undoStack = new QUndoStack(this);
    // A step holds two states of about a kilobyte each: a long session keeps its last thousand
    // steps, a few megabytes, and forgets older ones instead of growing without end.
    undoStack->setUndoLimit(1000);
    IM_Edit = new QMenu(QStringLiteral("&Edition"), this);
    IM_Edit->setObjectName("IM_Edit");
    menuBar()->insertMenu(IM_PREFER->menuAction(), IM_Edit);
    IM_Undo = IM_Edit->addAction(QString());
    IM_Undo->setObjectName("IM_Undo");
    IM_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    IM_Redo = IM_Edit->addAction(QString());
    IM_Redo->setObjectName("IM_Redo");
    IM_Redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(IM_Undo, &QAction::triggered, undoStack, &QUndoStack::undo);
    connect(IM_Redo, &QAction::triggered, undoStack, &QUndoStack::redo);

    // Pointers of their own: the stack tells its last change while the window is going.
    auto captions = [undo = IM_Undo, redo = IM_Redo, stack = undoStack] {
        auto caption = [](const char* verb, const QString& change) {
            const QString v = QString::fromUtf8(verb);
            return change.isEmpty() ? v : v + QStringLiteral(" : ") + change;
        };
        undo->setText(caption("&Annuler", stack->undoText()));
        undo->setEnabled(stack->canUndo());
        redo->setText(caption("&Rétablir", stack->redoText()));
        redo->setEnabled(stack->canRedo());
    };
    connect(undoStack, &QUndoStack::indexChanged, IM_Edit, captions);
    connect(undoStack, &QUndoStack::undoTextChanged, IM_Edit, captions);
    connect(undoStack, &QUndoStack::redoTextChanged, IM_Edit, captions);
    captions();
}

void Main::recordWorkChange(bool sliderStep) {
    const EditorState now = editorState();
    if (sameWork(now, recordedWork_))
        return;
    EditorState before = std::exchange(recordedWork_, now);
    undoStack->push(new WorkStep(*this, std::move(before), now, sliderStep));
}

void Main::forgetWorkChanges() {
    undoStack->clear();
    recordedWork_ = editorState();
    undoStack->setClean();
}

void Main::showWork(const EditorState& work) {
    showEditorState(withDisplayOf(work, editorState()));
    recordedWork_ = editorState();
    if (!projectFile.isEmpty())
        setWindowModified(projectModified());
}

// Undo and redo: every change of the work is one step of the session's history, named in
// "&Edition"; the view is no step and stays as it is when a step is taken back or done again.
#include "editor/main.h"

#include <QAction>

void Main::connectHistory() {
    connect(ui_.IM_Undo, &QAction::triggered, this, [this] {
        if (calibrating())
            endCalibration();
        show(session_.undo());
    });
    connect(ui_.IM_Redo, &QAction::triggered, this, [this] {
        if (calibrating())
            endCalibration();
        show(session_.redo());
    });
    // The items name the step they would take.
    auto captions = [this] {
        const WorkHistory& history = session_.history();
        auto caption = [](const char* verb, const std::string& change) {
            const QString v = QString::fromUtf8(verb);
            return change.empty() ? v : v + QStringLiteral(" : ") + QString::fromStdString(change);
        };
        ui_.IM_Undo->setText(caption("&Annuler", history.undoCaption()));
        ui_.IM_Undo->setEnabled(history.canUndo());
        ui_.IM_Redo->setText(caption("&Rétablir", history.redoCaption()));
        ui_.IM_Redo->setEnabled(history.canRedo());
    };
    session_.onHistoryChanged(captions);
    captions();
}

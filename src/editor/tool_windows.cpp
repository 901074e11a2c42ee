#include "editor/tool_windows.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QSettings>
#include <QWindow>

namespace {

// Where the places are kept in the settings.
const QString kGroup = QStringLiteral("fenetres");
const QString kEditorPlace = QStringLiteral("editeur");
const QString kDocks = QStringLiteral("docks");

} // namespace

ToolWindows::ToolWindows(QMainWindow* editor) : QObject(editor), editor_(editor) {
    editor_->installEventFilter(this);
}

void ToolWindows::join(QWidget* window, const QString& key,
                       std::function<bool(const QByteArray&)> restore) {
    // A tool window of the editor's: the window manager keeps a tool window above the window
    // it belongs to and minimises it with it (a floating dock is one already).
    if (!qobject_cast<QDockWidget*>(window) &&
        (window->parentWidget() != editor_ || window->windowType() != Qt::Tool)) {
        const bool shown = window->isVisible();
        window->setParent(editor_, (window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);
        if (shown)
            window->show();
    }
    tools_.push_back({window, key, std::move(restore)});
    window->installEventFilter(this);
    keepAbove(window, false);
}

void ToolWindows::keepAbove(QWidget* window, bool mapping) {
    QWindow* editor = editor_->windowHandle();
    QWindow* tool = window->windowHandle();
    if (!editor || !tool)
        return;
    tool->setTransientParent(editor);
    if (mapping) { // a Show event comes before the window is mapped: in time
        if (editorOnScreen_)
            mappedOwned_.insert(window);
        return;
    }
    // The window manager reads whom a window belongs to when it is mapped, and only knows the
    // editor once it is on screen: a window mapped before is mapped again, where it is.
    if (editorOnScreen_ && window->isVisible() && !mappedOwned_.contains(window)) {
        window->hide();
        window->show();
    }
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event) {
    QWindow* editor = editor_->windowHandle();
    if (watched == editor_) {
        if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange) {
            if (editor)
                editor->installEventFilter(this); // to learn when it is on screen
            for (const Tool& t : tools_)
                if (t.window)
                    keepAbove(t.window, false);
        } else if (event->type() == QEvent::Hide && !event->spontaneous()) {
            // Hidden by the program (a minimised editor is hidden by the window manager).
            editorOnScreen_ = false;
            mappedOwned_.clear();
        }
        return false;
    }
    if (editor && watched == editor) {
        if (event->type() == QEvent::Expose && editor->isExposed() && !editorOnScreen_) {
            editorOnScreen_ = true;
            for (const Tool& t : tools_)
                if (t.window)
                    keepAbove(t.window, false);
        }
        return false;
    }
    if (auto* window = qobject_cast<QWidget*>(watched)) {
        if (event->type() == QEvent::Show)
            keepAbove(window, true);
        else if (event->type() == QEvent::Hide && !event->spontaneous())
            mappedOwned_.remove(window);
    }
    return false;
}

void ToolWindows::restore(QSettings& settings) const {
    settings.beginGroup(kGroup);
    // A place the store does not hold, or cannot give back, leaves the window where start-up
    // put it.
    editor_->restoreGeometry(settings.value(kEditorPlace).toByteArray());
    editor_->restoreState(settings.value(kDocks).toByteArray());
    for (const Tool& t : tools_) {
        if (!t.window || qobject_cast<QDockWidget*>(t.window))
            continue;
        const QByteArray place = settings.value(t.key).toByteArray();
        if (place.isEmpty())
            continue;
        if (t.restore)
            t.restore(place);
        else
            t.window->restoreGeometry(place);
    }
    settings.endGroup();
}

void ToolWindows::save(QSettings& settings) const {
    settings.beginGroup(kGroup);
    settings.setValue(kEditorPlace, editor_->saveGeometry());
    settings.setValue(kDocks, editor_->saveState());
    for (const Tool& t : tools_)
        if (t.window && !qobject_cast<QDockWidget*>(t.window))
            settings.setValue(t.key, t.window->saveGeometry());
    settings.endGroup();
    settings.sync();
}

#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

class QMainWindow;
class QSettings;
class QWidget;

// The editor's tool windows ("Couples", "Assemblage", and any later one): each stays above the
// editor and comes back with it, the editor being the window it belongs to (its transient
// parent, which the window manager keeps it above and minimises it with); and where each one
// was, with its size, comes back at the next start, with the editor's own place, size and
// docks, from a settings store (none for tests and couples-cli: they never touch the user's).
// A window joins in one line: join(window, "Name").
class ToolWindows : public QObject {
public:
    explicit ToolWindows(QMainWindow* editor);

    // The window joins under `key`. `restore` gives a saved place back to it (restoreGeometry
    // unless it keeps its place by a rule of its own); a dock's place is kept with the docks.
    void join(QWidget* window, const QString& key,
              std::function<bool(const QByteArray&)> restore = {});
    // The places kept in `settings` come back (at start-up), or are kept there (on closing).
    void restore(QSettings& settings) const;
    void save(QSettings& settings) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tool {
        QPointer<QWidget> window;
        QString key;
        std::function<bool(const QByteArray&)> restore;
    };
    // The editor is the window's transient parent once both exist on screen; `mapping` when
    // the window is about to be mapped (its Show event).
    void keepAbove(QWidget* window, bool mapping);

    QMainWindow* editor_;
    std::vector<Tool> tools_;
    bool editorOnScreen_ = false; // the editor mapped: the window manager knows it
    QSet<QWidget*> mappedOwned_;  // on screen, mapped while the window manager knew the editor
};

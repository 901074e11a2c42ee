// Undo and redo: every change of the work is one step of the session's history, named in
// "&Edition"; the view is no step and stays as it is when a step is taken back or done again.
#include "editor/main.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QSlider>

#include <functional>
#include <utility>

namespace {

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

} // namespace

void Main::connectHistory() {
    WorkHistory& history = session_.history();
    session_.caption = [this](const Work& before, const Work& after) {
        return undoCaption(before, after).toStdString();
    };
    connect(ui_.IM_Undo, &QAction::triggered, this, [this] {
        if (session_.history().canUndo())
            showWork(session_.history().undo());
    });
    connect(ui_.IM_Redo, &QAction::triggered, this, [this] {
        if (session_.history().canRedo())
            showWork(session_.history().redo());
    });
    // The items name the step they would take.
    auto captions = [undo = ui_.IM_Undo, redo = ui_.IM_Redo, &history] {
        auto caption = [](const char* verb, const std::string& change) {
            const QString v = QString::fromUtf8(verb);
            return change.empty() ? v : v + QStringLiteral(" : ") + QString::fromStdString(change);
        };
        undo->setText(caption("&Annuler", history.undoCaption()));
        undo->setEnabled(history.canUndo());
        redo->setText(caption("&Rétablir", history.redoCaption()));
        redo->setEnabled(history.canRedo());
    };
    history.changed = captions;
    captions();

    // The marker follows the work: once the handlers of a mouse or key action are done, the
    // work is compared with the file, once however many events the action had. A change of
    // the work becomes one undo step once no button is held: a whole drag is one step.
    new UserInputWatcher(this, [this](bool buttonHeld, bool sliderStep) {
        if (!buttonHeld)
            recordWorkChange(sliderStep);
        updateProjectCaption();
    });
}

void Main::recordWorkChange(bool sliderStep) {
    session_.recordChange(sliderStep);
}

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// No test may wait for ever on a window that nobody answers: a modal window left open longer
// than any test's own answer takes fails the test and is closed.
void watchModalWindows() {
    constexpr qint64 kLongestAnswerMs = 10000;
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* since = new QElapsedTimer;
    auto* watched = new QPointer<QWidget>;
    QObject::connect(timer, &QTimer::timeout, [since, watched] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != *watched) {
            *watched = modal;
            since->start();
            return;
        }
        if (!modal || since->elapsed() < kLongestAnswerMs)
            return;
        ADD_FAILURE() << "a modal window stayed open unanswered: "
                      << modal->windowTitle().toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        since->start();
    });
    timer->start(200);
}

} // namespace

// Window tests need an application object; ctest runs them on the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    watchModalWindows();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

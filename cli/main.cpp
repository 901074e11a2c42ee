#include "couples_cli.h"

#include "editor/application.h"

#include <QApplication>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform chats about features it lacks; that is no news for a script.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("This plugin does not support")) ||
         message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))))
        return;
    previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    // Nothing is shown on screen unless a platform was asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    setUpApplication();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCouplesCli(args, out, err);
}

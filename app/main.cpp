#include "editor/main.h"
#include "editor/application.h"
#include "editor/user_dialogs.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", versionText().toUtf8().constData());
            return 0;
        }
    }
    QApplication app(argc, argv);
    setUpApplication();
    // The installed desktop entry: the desktop groups the windows under its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("editeur-couples"));
    EditorSession session;
    QtUserDialogs dialogs;
    Main window(session, dialogs);
    // The windows come back where the user left them.
    QSettings places(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("editeur-couples"),
                     QStringLiteral("fenetres"));
    window.keepWindowPlaces(places);
    window.show();
    return app.exec();
}

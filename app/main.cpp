#include "editor/main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The installed desktop entry: the desktop groups the windows under its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("editeur-couples"));
    Main window;
    window.show();
    return app.exec();
}

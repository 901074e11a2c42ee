#include "editor/application.h"
#include "editor/main.h"

#include <QApplication>

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
    Main window;
    window.show();
    return app.exec();
}

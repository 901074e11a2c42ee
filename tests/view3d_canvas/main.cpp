#include <QGuiApplication>

#include <gtest/gtest.h>

// Text goes through QPainter, which needs a GUI application (offscreen unless told otherwise,
// also when ctest lists the cases).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include <QGuiApplication>

#include <gtest/gtest.h>

// Text goes through QPainter, which needs a GUI application (offscreen in the tests).
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

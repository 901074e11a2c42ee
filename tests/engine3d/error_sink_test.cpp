#include "engine3d/engine.h"
#include "engine3d/error_sink.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ErrorSink, EveryCodeHasItsText) {
    EXPECT_STREQ(EngineErrorText(1), "Unable to allocate memory for mesh!");
    EXPECT_STREQ(EngineErrorText(2), "Unable to allocate memory for camera!");
    EXPECT_STREQ(EngineErrorText(3), "Unable to allocate memory for light!");
    EXPECT_STREQ(EngineErrorText(4), "Bad camera settings!");
    EXPECT_STREQ(EngineErrorText(5), "Bad light settings!");
    EXPECT_STREQ(EngineErrorText(0), "Unknown error!");
    EXPECT_STREQ(EngineErrorText(6), "Unknown error!");
    EXPECT_STREQ(EngineErrorText(-1), "Unknown error!");
}

TEST(ErrorSink, SettingsErrorsCollapseUntilTheSettingsChange) {
    RecordingErrorSink shown;
    CollapsingErrorSink sink(shown);
    for (int frame = 0; frame < 3; ++frame) {
        sink.EngineError(kErrorCameraSettings);
        sink.EngineError(kErrorLightSettings);
        sink.EngineError(kErrorMeshMemory); // one per user action: never collapsed
    }
    EXPECT_EQ(shown.codes, (std::vector<int>{4, 5, 1, 1, 1}));
    sink.settingsChanged();
    sink.EngineError(kErrorLightSettings);
    sink.EngineError(kErrorLightSettings);
    EXPECT_EQ(shown.count(kErrorLightSettings), 2);
    EXPECT_EQ(shown.count(kErrorCameraSettings), 1);
}

TEST(ErrorSink, AnEngineWithoutASinkForgetsErrorsAndKeepsWorking) {
    Engine e;
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    RecordingErrorSink sink;
    e.setErrorSink(&sink);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    e.setErrorSink(nullptr);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    EXPECT_EQ(sink.codes, std::vector<int>{kErrorMeshMemory});
}

} // namespace

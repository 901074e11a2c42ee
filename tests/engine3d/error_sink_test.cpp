#include "engine3d/engine.h"
#include "engine3d/error_sink.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ErrorSink, TextsAndAnEngineWithoutASink) {
    const std::pair<int, std::string> texts[] = {{1, "Unable to allocate memory for mesh!"},
                                                 {2, "Unable to allocate memory for camera!"},
                                                 {3, "Unable to allocate memory for light!"},
                                                 {4, "Bad camera settings!"},
                                                 {5, "Bad light settings!"},
                                                 {0, "Unknown error!"},
                                                 {6, "Unknown error!"}};
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(EngineErrorText(code), text) << code;
    }
    // Without a sink errors are forgotten and the engine keeps working.
    Engine e;
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    RecordingErrorSink sink;
    e.setErrorSink(&sink);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    e.setErrorSink(nullptr);
    EXPECT_EQ(e.CreateMesh(20000, 0), 0);
    EXPECT_EQ(sink.codes, std::vector<int>{kErrorMeshMemory});
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

} // namespace

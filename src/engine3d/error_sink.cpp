#include "engine3d/error_sink.h"

#include <algorithm>

const char* EngineErrorText(int code) {
    switch (code) {
    case kErrorMeshMemory:
        return "Unable to allocate memory for mesh!";
    case kErrorCameraMemory:
        return "Unable to allocate memory for camera!";
    case kErrorLightMemory:
        return "Unable to allocate memory for light!";
    case kErrorCameraSettings:
        return "Bad camera settings!";
    case kErrorLightSettings:
        return "Bad light settings!";
    default:
        return "Unknown error!";
    }
}

int RecordingErrorSink::count(int code) const {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

void CollapsingErrorSink::EngineError(int code) {
    if (code == kErrorCameraSettings || code == kErrorLightSettings) {
        const unsigned bit = 1u << code;
        if (shown_ & bit) {
            return;
        }
        shown_ |= bit;
    }
    target_.EngineError(code);
}

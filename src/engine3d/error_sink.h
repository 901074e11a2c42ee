#pragma once

#include <vector>

// Engine error codes; EngineErrorText gives the message shown to the user.
inline constexpr int kErrorMeshMemory = 1;
inline constexpr int kErrorCameraMemory = 2;
inline constexpr int kErrorLightMemory = 3;
inline constexpr int kErrorCameraSettings = 4;
inline constexpr int kErrorLightSettings = 5;

// "Unknown error!" for any code outside 1..5.
const char* EngineErrorText(int code);

// Where the engine reports its errors. The 3-D window shows each one in the "Error" message
// box with the critical icon; tests record the codes.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    virtual void EngineError(int code) = 0;
};

// Forgets every error (the engine's sink until the window installs its own).
class NullErrorSink final : public ErrorSink {
public:
    void EngineError(int) override {}
};

class RecordingErrorSink final : public ErrorSink {
public:
    void EngineError(int code) override { codes.push_back(code); }
    int count(int code) const;

    std::vector<int> codes;
};

// Bad camera and light settings (codes 4 and 5) come back on every frame until the settings
// change; this passes each of them on once and swallows its repeats until settingsChanged().
// Allocation failures answer a single user action and always pass.
class CollapsingErrorSink final : public ErrorSink {
public:
    explicit CollapsingErrorSink(ErrorSink& target) : target_(target) {}
    void EngineError(int code) override;
    // The camera or light settings changed: report their errors again.
    void settingsChanged() { shown_ = 0; }

private:
    ErrorSink& target_;
    unsigned shown_ = 0; // bit per repeating code already passed on
};

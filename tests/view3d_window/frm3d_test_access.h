#pragma once

#include "view3d/frm3d.h"

// The 3-D window's own tests look into its engine and orbit, and plant errors and angles there;
// nothing else reaches inside it.
struct Frm3DTestAccess {
    Frm3D& f;
    Engine& engine() { return f.engine; }
    Scene& scene() { return f.scene; }
    int& currentCamera() { return f.currentCamera; }
    int& currentLight() { return f.currentLight; }
    float& yaw() { return f.yaw; }
    float& pitch() { return f.pitch; }
    float& distance() { return f.distance; }
    int& lastX() { return f.lastX; }
    int& lastY() { return f.lastY; }
    int& View_Piece() { return f.View_Piece; }
    // The fuselage's engine (nullptr until it is needed) and scene.
    Engine* fuselageEngine() { return f.fuselageEngine_.get(); }
    FuselageScene& fuselage() { return f.fuselage_; }
    int fuselageCamera() { return f.fuselageCamera_; }
    int fuselageLight() { return f.fuselageLight_; }
};

inline Frm3DTestAccess inside(Frm3D& f) {
    return {f};
}
inline Frm3DTestAccess inside(const Frm3D& f) {
    return {const_cast<Frm3D&>(f)};
}

// Frames drawn by a 3-D window since the counter was made.
class FrameCounter {
public:
    explicit FrameCounter(const Frm3D& f) {
        QObject::connect(&f, &Frm3D::frameDrawn, &receiver_, [this] { ++frames_; });
    }
    int frames() const { return frames_; }

private:
    QObject receiver_;
    int frames_ = 0;
};

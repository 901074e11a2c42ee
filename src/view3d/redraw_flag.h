#pragma once

#include <functional>
#include <utility>

// The shared flag Redraw3D: any change the 3-D view must show sets it, the 3-D window clears it
// when it draws. Setting it also tells the window, so that a frame is scheduled on the event
// loop instead of the window polling the flag. It reads and assigns like a bool, so handlers
// keep writing `Redraw3D = true`.
class RedrawFlag {
public:
    RedrawFlag() = default;
    RedrawFlag(const RedrawFlag&) = delete;
    RedrawFlag& operator=(const RedrawFlag&) = delete;

    RedrawFlag& operator=(bool on) {
        value_ = on;
        if (on && notify_) {
            notify_();
        }
        return *this;
    }
    operator bool() const { return value_; }

    // Called on every set; the window schedules at most one frame however often it is called.
    void setNotifier(std::function<void()> notify) { notify_ = std::move(notify); }

private:
    bool value_ = false;
    std::function<void()> notify_;
};

#pragma once
// Mouse capture and leave notification helpers.
#include <windows.h>

// Holds the mouse capture for a scope (a drag inside one message loop, for instance);
// releases it on exit only if this window still has it.
class ScopedMouseCapture {
public:
    explicit ScopedMouseCapture(HWND window) : window_(window) { ::SetCapture(window); }
    ~ScopedMouseCapture() {
        if (::GetCapture() == window_)
            ::ReleaseCapture();
    }
    ScopedMouseCapture(const ScopedMouseCapture&) = delete;
    ScopedMouseCapture& operator=(const ScopedMouseCapture&) = delete;

private:
    HWND window_;
};

// Asks for one WM_MOUSELEAVE. Call Track from WM_MOUSEMOVE and Reset from WM_MOUSELEAVE;
// TrackMouseEvent is called only while no request is pending.
class CMouseLeaveTracker {
public:
    bool Track(HWND window) {
        if (tracking_)
            return true;
        TRACKMOUSEEVENT request{sizeof(request), TME_LEAVE, window, 0};
        tracking_ = ::TrackMouseEvent(&request) != FALSE;
        return tracking_;
    }
    void Reset() { tracking_ = false; }
    bool IsTracking() const { return tracking_; }

private:
    bool tracking_ = false;
};

// A window timer stopped when the owner goes out of scope.
class ScopedTimer {
public:
    ScopedTimer() = default;
    ~ScopedTimer() { Stop(); }
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

    bool Start(HWND window, UINT_PTR id, UINT elapseMs) {
        Stop();
        if (!::SetTimer(window, id, elapseMs, nullptr))
            return false;
        window_ = window;
        id_ = id;
        return true;
    }
    void Stop() {
        if (window_) {
            ::KillTimer(window_, id_);
            window_ = nullptr;
            id_ = 0;
        }
    }
    bool IsRunning() const { return window_ != nullptr; }
    UINT_PTR Id() const { return id_; }

private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

#pragma once
// RAII owners for GDI objects and device contexts, and restoring selections.
#include <windows.h>

#include <utility>

// Owns one GDI object (brush, pen, font, bitmap, region) and deletes it.
template <class T>
class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(T handle) : handle_(handle) {}
    ~ScopedGdiObject() { Reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : handle_(other.Release()) {}
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    void Reset(T handle = nullptr) {
        if (handle_ && handle_ != handle)
            ::DeleteObject(handle_);
        handle_ = handle;
    }
    T Release() { return std::exchange(handle_, nullptr); }
    T Get() const { return handle_; }
    operator T() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    T handle_ = nullptr;
};

using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// Selects an object into a DC and puts the previous one back on scope exit.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (previous_ && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Saves the whole DC state (colours, modes, selections) and restores it on scope exit.
class ScopedSaveDC {
public:
    explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~ScopedSaveDC() {
        if (saved_)
            ::RestoreDC(dc_, saved_);
    }
    ScopedSaveDC(const ScopedSaveDC&) = delete;
    ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// DC of a window from GetDC, released with ReleaseDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// DC of a whole window including its border, from GetWindowDC, released with ReleaseDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetWindowDC(window)) {}
    ~ScopedWindowDC() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// DC of a WM_PAINT from BeginPaint, closed with EndPaint.
class ScopedPaintDC {
public:
    explicit ScopedPaintDC(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~ScopedPaintDC() { ::EndPaint(window_, &paint_); }
    ScopedPaintDC(const ScopedPaintDC&) = delete;
    ScopedPaintDC& operator=(const ScopedPaintDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    const PAINTSTRUCT& PaintStruct() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Memory DC from CreateCompatibleDC, deleted with DeleteDC.
class ScopedCompatibleDC {
public:
    explicit ScopedCompatibleDC(HDC reference) : dc_(::CreateCompatibleDC(reference)) {}
    ~ScopedCompatibleDC() {
        if (dc_)
            ::DeleteDC(dc_);
    }
    ScopedCompatibleDC(const ScopedCompatibleDC&) = delete;
    ScopedCompatibleDC& operator=(const ScopedCompatibleDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Text colour and background mode set for a scope.
class ScopedTextColor {
public:
    ScopedTextColor(HDC dc, COLORREF color) : dc_(dc), previous_(::SetTextColor(dc, color)) {}
    ~ScopedTextColor() { ::SetTextColor(dc_, previous_); }
    ScopedTextColor(const ScopedTextColor&) = delete;
    ScopedTextColor& operator=(const ScopedTextColor&) = delete;

private:
    HDC dc_;
    COLORREF previous_;
};

class ScopedBkMode {
public:
    ScopedBkMode(HDC dc, int mode) : dc_(dc), previous_(::SetBkMode(dc, mode)) {}
    ~ScopedBkMode() {
        if (previous_)
            ::SetBkMode(dc_, previous_);
    }
    ScopedBkMode(const ScopedBkMode&) = delete;
    ScopedBkMode& operator=(const ScopedBkMode&) = delete;

private:
    HDC dc_;
    int previous_;
};

#pragma once
// Owners of GDI objects and device contexts, and scopes that restore a DC's selections and state.
#include "framework/win/ScopedHandle.h"

// GDI objects (brush, pen, font, bitmap, region), deleted with DeleteObject.
template <class T>
using ScopedGdiObject = ScopedHandle<NullIsEmptyTraits<T, ::DeleteObject>>;

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

// DCs by origin: each is given back the way it was obtained.

// DC lent by a window (GetDC, GetWindowDC, GetDCEx), given back to that window with ReleaseDC.
struct ReleasedDCTraits {
    using Handle = HDC;
    HWND window = nullptr;
    static bool IsValid(HDC dc) { return dc != nullptr; }
    void Close(HDC dc) const { ::ReleaseDC(window, dc); }
};
using ScopedReleasedDC = ScopedHandle<ReleasedDCTraits>;

// DC of a window's client area, from GetDC.
class ScopedGetDC : public ScopedReleasedDC {
public:
    explicit ScopedGetDC(HWND window) : ScopedReleasedDC(::GetDC(window), {window}) {}
};

// DC of a whole window including its border, from GetWindowDC.
class ScopedWindowDC : public ScopedReleasedDC {
public:
    explicit ScopedWindowDC(HWND window) : ScopedReleasedDC(::GetWindowDC(window), {window}) {}
};

// DC of a WM_PAINT from BeginPaint, closed with EndPaint.
struct PaintDCTraits {
    using Handle = HDC;
    HWND window = nullptr;
    PAINTSTRUCT paint{};
    static bool IsValid(HDC dc) { return dc != nullptr; }
    void Close(HDC) const { ::EndPaint(window, &paint); }
};

class ScopedPaintDC : public ScopedHandle<PaintDCTraits> {
public:
    explicit ScopedPaintDC(HWND window) : ScopedHandle(nullptr, {window}) {
        Reset(::BeginPaint(window, &traits().paint));
    }
};

// Memory DC from CreateCompatibleDC, deleted with DeleteDC.
struct CreatedDCTraits {
    using Handle = HDC;
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};

class ScopedCompatibleDC : public ScopedHandle<CreatedDCTraits> {
public:
    explicit ScopedCompatibleDC(HDC reference) : ScopedHandle(::CreateCompatibleDC(reference)) {}
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

// The header of an uncompressed device-independent bitmap; a negative height is top-down.
inline BITMAPINFOHEADER DibHeader(int width, int height, WORD bitCount) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    return header;
}

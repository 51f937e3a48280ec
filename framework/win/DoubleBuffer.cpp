#include "framework/win/DoubleBuffer.h"

CMemoryDC::CMemoryDC(HDC target, const RECT& area) : target_(target), area_(area), dc_(target) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!dc_ || width <= 0 || height <= 0)
        return;
    bitmap_.Reset(::CreateCompatibleBitmap(target, width, height));
    if (!bitmap_)
        return;
    previousBitmap_ = ::SelectObject(dc_, bitmap_);
    ::SetWindowOrgEx(dc_, area.left, area.top, nullptr);
    valid_ = true;
}

CMemoryDC::~CMemoryDC() {
    if (!valid_)
        return;
    ::BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, area_.left,
             area_.top, SRCCOPY);
    // Deselect before the members delete the bitmap: a selected bitmap cannot be deleted.
    ::SelectObject(dc_, previousBitmap_);
}

BOOL CDoubleBufferImpl::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = 0;  // nothing erased: DoPaint covers every pixel
        return TRUE;
    case WM_PAINT: {
        ScopedPaintDC paint(window);
        RECT client{};
        ::GetClientRect(window, &client);
        if (ReadyToPaint()) {
            CMemoryDC buffer(paint, client);
            if (buffer.IsValid())
                DoPaint(buffer, client);
        }
        result = 0;
        return TRUE;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        ::GetClientRect(window, &client);
        if (ReadyToPaint())
            DoPaint(reinterpret_cast<HDC>(wParam), client);
        result = 0;
        return TRUE;
    }
    default: return FALSE;
    }
}

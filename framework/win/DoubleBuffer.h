#pragma once
// Off-screen painting: draw into a memory DC, then copy to the target in one BitBlt.
#include "framework/win/ScopedGdi.h"

class CMemoryDC {
public:
    // area is in the target's coordinates; the memory DC uses the same coordinates.
    CMemoryDC(HDC target, const RECT& area);
    ~CMemoryDC();  // copies the drawing to the target unless invalid
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // False when the memory DC or its bitmap could not be made: paint nothing then.
    bool IsValid() const { return valid_; }
    HDC Get() const { return dc_.Get(); }
    operator HDC() const { return dc_.Get(); }
    const RECT& Area() const { return area_; }

private:
    HDC target_;
    RECT area_;
    ScopedCompatibleDC dc_;
    ScopedBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
    bool valid_ = false;
};

// Paint handling for an owner-drawn window that covers its whole client area: no erasing,
// WM_PAINT drawn off-screen and copied in one transfer (no flicker), WM_PRINTCLIENT drawn
// straight into the caller's DC. The window derives from CWindowImpl and from this, chains
// CHAIN_MSG_MAP(CDoubleBufferImpl) into its map and writes only DoPaint.
class CDoubleBufferImpl {
public:
    // Not virtual: chained explicitly by the window's own map.
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    CDoubleBufferImpl() = default;
    ~CDoubleBufferImpl() = default;
    CDoubleBufferImpl(const CDoubleBufferImpl&) = delete;
    CDoubleBufferImpl& operator=(const CDoubleBufferImpl&) = delete;

    // Draws the whole client area; client is the client rectangle, in dc's coordinates.
    virtual void DoPaint(HDC dc, const RECT& client) = 0;
    // False while the window has nothing to draw with: the screen then keeps what it shows.
    virtual bool ReadyToPaint() const { return true; }
};

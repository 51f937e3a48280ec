#pragma once
// Off-screen painting: draw into a memory DC, then copy to the target in one BitBlt.
#include "framework/win/ScopedGdi.h"

class CMemoryDC {
public:
    // area is in the target's coordinates; the memory DC uses the same coordinates.
    CMemoryDC(HDC target, const RECT& area);
    ~CMemoryDC();  // copies the drawing to the target unless invalid or discarded
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // False when the memory DC or its bitmap could not be made: paint nothing then.
    bool IsValid() const { return valid_; }
    HDC Get() const { return dc_.Get(); }
    operator HDC() const { return dc_.Get(); }
    const RECT& Area() const { return area_; }
    void Discard() { discarded_ = true; }

private:
    HDC target_;
    RECT area_;
    ScopedCompatibleDC dc_;
    ScopedBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
    bool valid_ = false;
    bool discarded_ = false;
};

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
    if (!discarded_) {
        ::BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_,
                 area_.left, area_.top, SRCCOPY);
    }
    // Deselect before the members delete the bitmap: a selected bitmap cannot be deleted.
    ::SelectObject(dc_, previousBitmap_);
}

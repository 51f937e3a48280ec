#include "framework/win/Bitmap.h"

ScopedBitmap LoadDibResource(HINSTANCE module, UINT resourceId) {
    return ScopedBitmap(static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

namespace {
template <class Blit>
bool WithBitmapDC(HDC dc, HBITMAP bitmap, Blit blit) {
    const SIZE size = BitmapSize(bitmap);
    if (size.cx == 0 || size.cy == 0)
        return false;
    ScopedCompatibleDC source(dc);
    if (!source)
        return false;
    ScopedSelectObject select(source, bitmap);
    return blit(source.Get(), size) != FALSE;
}
}  // namespace

bool DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    return WithBitmapDC(dc, bitmap, [&](HDC source, SIZE size) {
        return ::BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY);
    });
}

bool DrawBitmapTransparent(HDC dc, HBITMAP bitmap, int x, int y, COLORREF colorKey) {
    return WithBitmapDC(dc, bitmap, [&](HDC source, SIZE size) {
        return ::TransparentBlt(dc, x, y, size.cx, size.cy, source, 0, 0, size.cx, size.cy, colorKey);
    });
}

bool StretchBitmap(HDC dc, HBITMAP bitmap, const RECT& dest) {
    return WithBitmapDC(dc, bitmap, [&](HDC source, SIZE size) {
        return ::StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, 0, 0,
                            size.cx, size.cy, SRCCOPY);
    });
}

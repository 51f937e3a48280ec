#pragma once
// Bitmap resources loaded as DIB sections, and drawing them at their own size.
#include "framework/win/ScopedGdi.h"

ScopedBitmap LoadDibResource(HINSTANCE module, UINT resourceId);
SIZE BitmapSize(HBITMAP bitmap);  // {0, 0} for a null or invalid bitmap
bool DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
// Pixels of the colour key are left out (TransparentBlt).
bool DrawBitmapTransparent(HDC dc, HBITMAP bitmap, int x, int y, COLORREF colorKey);
// Stretches the whole bitmap over dest.
bool StretchBitmap(HDC dc, HBITMAP bitmap, const RECT& dest);

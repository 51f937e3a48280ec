#pragma once
// Pictures cut out of a skin bitmap, and the ways the windows draw them.
#include <windows.h>

#include <memory>

#include "framework/win/ScopedGdi.h"

// A memory DC with one bitmap selected into it; the bitmap is deselected before either is
// deleted.
class CSelectedBitmap {
public:
    // Takes ownership of bitmap; the DC is compatible with reference (the screen when null).
    CSelectedBitmap(HDC reference, HBITMAP bitmap);
    CSelectedBitmap(const CSelectedBitmap&) = delete;
    CSelectedBitmap& operator=(const CSelectedBitmap&) = delete;

    // False when the DC could not be made or the bitmap could not be selected into it.
    bool IsValid() const { return valid_; }
    HDC Dc() const { return dc_.Get(); }

private:
    ScopedCompatibleDC dc_;
    ScopedBitmap bitmap_;
    ScopedSelectObject selection_;
    bool valid_;
};

// One cut-out picture. An image that was never cut (or whose cut failed) is empty: it has no
// DC, its size is zero and drawing it draws nothing.
class CSkinImage {
public:
    // Replaces the image by the pixels of rect in source. False for an empty rectangle or a
    // failed copy, which leave the image empty.
    bool Cut(const RECT& rect, HDC source);
    void Clear();

    bool IsEmpty() const { return !picture_; }
    HDC Dc() const { return picture_ ? picture_->Dc() : nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Copies the whole image with its top-left corner at (x, y).
    bool Draw(HDC target, int x, int y) const;

private:
    std::unique_ptr<CSelectedBitmap> picture_;
    int width_ = 0;
    int height_ = 0;
};

// A horizontally stretchable picture: two end caps and a middle piece tiled between them.
struct SkinStrip {
    // Draws across the width of rect at its top; the strip keeps the images' own height.
    void Draw(HDC target, const RECT& rect) const;
    void Clear();

    CSkinImage left;
    CSkinImage right;
    CSkinImage middle;
};

// Repeat image along a run of width (height) pixels from (x, y); the last copy is cut to
// what remains. A run of zero or less, or an empty image, draws nothing.
void TileHorizontal(const CSkinImage& image, HDC target, int x, int y, int width);
void TileVertical(const CSkinImage& image, HDC target, int x, int y, int height);

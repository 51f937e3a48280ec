#include "common/skin/SkinImage.h"

CSelectedBitmap::CSelectedBitmap(HDC reference, HBITMAP bitmap)
    : dc_(reference),
      bitmap_(bitmap),
      selection_(dc_.Get(), dc_ ? bitmap : nullptr),
      valid_(dc_ && bitmap && ::GetCurrentObject(dc_.Get(), OBJ_BITMAP) == bitmap) {}

bool CSkinImage::Cut(const RECT& rect, HDC source) {
    Clear();
    if (::IsRectEmpty(&rect))
        return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    auto picture = std::make_unique<CSelectedBitmap>(nullptr, ::CreateCompatibleBitmap(source, width, height));
    if (!picture->IsValid())
        return false;
    if (!::BitBlt(picture->Dc(), 0, 0, width, height, source, rect.left, rect.top, SRCCOPY))
        return false;
    picture_ = std::move(picture);
    width_ = width;
    height_ = height;
    return true;
}

void CSkinImage::Clear() {
    picture_.reset();
    width_ = 0;
    height_ = 0;
}

bool CSkinImage::Draw(HDC target, int x, int y) const {
    return picture_ && ::BitBlt(target, x, y, width_, height_, picture_->Dc(), 0, 0, SRCCOPY);
}

void SkinStrip::Draw(HDC target, const RECT& rect) const {
    left.Draw(target, rect.left, rect.top);
    TileHorizontal(middle, target, rect.left + left.Width(), rect.top,
                   rect.right - right.Width() - left.Width() - rect.left);
    right.Draw(target, rect.right - right.Width(), rect.top);
}

void SkinStrip::Clear() {
    left.Clear();
    right.Clear();
    middle.Clear();
}

namespace {

// Repeats the image from (x, y) over `length` pixels to the right (`across`) or downwards,
// the last copy cut.
void Tile(const CSkinImage& image, HDC target, int x, int y, int length, bool across) {
    if (image.IsEmpty() || length <= 0)
        return;
    const int step = across ? image.Width() : image.Height();
    for (int offset = 0; offset < length; offset += step) {
        const int part = std::min(step, length - offset);
        if (across)
            ::BitBlt(target, x + offset, y, part, image.Height(), image.Dc(), 0, 0, SRCCOPY);
        else
            ::BitBlt(target, x, y + offset, image.Width(), part, image.Dc(), 0, 0, SRCCOPY);
    }
}

}  // namespace

void TileHorizontal(const CSkinImage& image, HDC target, int x, int y, int width) {
    Tile(image, target, x, y, width, true);
}

void TileVertical(const CSkinImage& image, HDC target, int x, int y, int height) {
    Tile(image, target, x, y, height, false);
}

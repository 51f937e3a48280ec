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

void TileHorizontal(const CSkinImage& image, HDC target, int x, int y, int width) {
    if (image.IsEmpty() || width <= 0)
        return;
    const int step = image.Width();
    const int copies = width / step;
    for (int i = 0; i < copies; ++i)
        ::BitBlt(target, x + i * step, y, step, image.Height(), image.Dc(), 0, 0, SRCCOPY);
    if (const int rest = width % step)
        ::BitBlt(target, x + copies * step, y, rest, image.Height(), image.Dc(), 0, 0, SRCCOPY);
}

void TileVertical(const CSkinImage& image, HDC target, int x, int y, int height) {
    if (image.IsEmpty() || height <= 0)
        return;
    const int step = image.Height();
    const int copies = height / step;
    for (int i = 0; i < copies; ++i)
        ::BitBlt(target, x, y + i * step, image.Width(), step, image.Dc(), 0, 0, SRCCOPY);
    if (const int rest = height % step)
        ::BitBlt(target, x, y + copies * step, image.Width(), rest, image.Dc(), 0, 0, SRCCOPY);
}

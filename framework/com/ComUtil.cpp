#include "framework/com/ComUtil.h"
#include "framework/win/ScopedGdi.h"

#include <cstring>

LPOLESTR CoTaskMemDup(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

std::wstring LoadResourceString(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource.
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

namespace {
constexpr LONG kHimetricPerInch = 2540;

struct ScreenDpi {
    int x = 96, y = 96;
    ScreenDpi() {
        if (const ScopedGetDC dc(nullptr); dc) {
            x = GetDeviceCaps(dc, LOGPIXELSX);
            y = GetDeviceCaps(dc, LOGPIXELSY);
        }
    }
};
}  // namespace

SIZEL PixelsToHimetric(SIZE pixels) {
    const ScreenDpi dpi;
    return {MulDiv(pixels.cx, kHimetricPerInch, dpi.x), MulDiv(pixels.cy, kHimetricPerInch, dpi.y)};
}

SIZE HimetricToPixels(SIZEL himetric) {
    const ScreenDpi dpi;
    return {MulDiv(himetric.cx, dpi.x, kHimetricPerInch), MulDiv(himetric.cy, dpi.y, kHimetricPerInch)};
}

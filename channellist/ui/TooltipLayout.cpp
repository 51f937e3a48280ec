#include "channellist/ui/TooltipLayout.h"

#include <algorithm>
#include <cmath>

namespace UI {

namespace {

constexpr int kBands = 64;
constexpr int kPointerGap = 20;   // pointer to tooltip, right of or below it
constexpr int kFlippedGap = 5;    // pointer to tooltip, left of or above it

int Mix(int from, int to, int band) {
    return ((kBands - band) * from + band * to) / kBands;
}

// Solid fill without creating a brush: an opaque empty text run paints its
// rectangle with the background colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF previous = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

}  // namespace

COLORREF GradientBandColour(COLORREF from, COLORREF to, int band) {
    return RGB(Mix(GetRValue(from), GetRValue(to), band),
               Mix(GetGValue(from), GetGValue(to), band),
               Mix(GetBValue(from), GetBValue(to), band));
}

void GradientFill64(HDC dc, const RECT& rect, COLORREF from, COLORREF to) {
    const int height = rect.bottom - rect.top;
    for (int band = 0; band < kBands; ++band) {
        RECT rows = rect;
        rows.top = rect.top + band * height / kBands;
        rows.bottom = rect.top + (band + 1) * height / kBands;
        if (rows.top >= rows.bottom) continue;
        FillSolid(dc, rows, GradientBandColour(from, to, band));
    }
}

std::wstring WrapDescription(const std::wstring& text) {
    static const wchar_t kBlanks[] = L"\t\n\r ";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos) return std::wstring();
    std::wstring wrapped = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);

    const size_t lineLength = static_cast<size_t>(std::sqrt(wrapped.size() * 10.0));
    // Each inserted line feed lengthens the text, so later lines carry one
    // character less than the first.
    size_t breakAt = lineLength;
    for (size_t lines = 1; wrapped.size() / lineLength >= lines; ++lines) {
        wrapped.insert(breakAt, 1, L'\n');
        breakAt += lineLength;
    }
    return wrapped;
}

POINT PlaceTooltip(POINT pointer, SIZE screen, SIZE tooltip) {
    POINT place{};
    place.x = pointer.x + kPointerGap < screen.cx - tooltip.cx
        ? pointer.x + kPointerGap
        : pointer.x - tooltip.cx - kFlippedGap;
    place.y = pointer.y - tooltip.cy < screen.cy - tooltip.cy - pointer.y
        ? pointer.y + kPointerGap
        : pointer.y - tooltip.cy - kFlippedGap;
    // A tooltip wider or taller than the room beside the pointer would start off
    // the screen, cutting off its first characters; keep its start visible.
    place.x = std::max<LONG>(place.x, 0);
    place.y = std::max<LONG>(place.y, 0);
    return place;
}

}  // namespace UI

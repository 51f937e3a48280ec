#include "substitutes/playerctl/PlayerPicture.h"

#include "framework/win/ScopedGdi.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr COLORREF kIdleBackground = RGB(16, 18, 26);
constexpr COLORREF kIdleWordColor = RGB(110, 130, 170);
constexpr COLORREF kNoticeColor = RGB(220, 140, 140);
constexpr COLORREF kTitleColor = RGB(255, 255, 255);
constexpr COLORREF kClockColor = RGB(255, 220, 120);
constexpr COLORREF kSweepColor = RGB(230, 235, 255);
constexpr COLORREF kBars[] = {RGB(192, 192, 192), RGB(192, 192, 0), RGB(0, 192, 192), RGB(0, 192, 0),
                              RGB(192, 0, 192),   RGB(192, 0, 0),   RGB(0, 0, 192)};
constexpr int kBarCount = sizeof(kBars) / sizeof(kBars[0]);
constexpr DWORD kBarCycleMs = 8000;    // the bars scroll by one picture width in this time
constexpr DWORD kSweepCycleMs = 3000;  // the light line crosses the band in this time
constexpr wchar_t kFontFace[] = L"Tahoma";

ScopedFont MakeFont(int pixelHeight, bool bold) {
    return ScopedFont(CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, kFontFace));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    SetDCBrushColor(dc, color);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Fills [left, right) x [top, bottom) clipped to `clip`.
void FillClipped(HDC dc, RECT rect, const RECT& clip, COLORREF color) {
    RECT visible;
    if (IntersectRect(&visible, &rect, &clip)) FillSolid(dc, visible, color);
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT rect, int pixelHeight, bool bold, COLORREF color,
                UINT format) {
    if (text.empty()) return;
    ScopedFont font = MakeFont(pixelHeight, bold);
    ScopedSelectObject selectFont(dc, font);
    ScopedTextColor textColor(dc, color);
    ScopedBkMode bkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void HorizontalGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to) {
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(from) << 8), static_cast<COLOR16>(GetGValue(from) << 8),
         static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(to) << 8), static_cast<COLOR16>(GetGValue(to) << 8),
         static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT gradient = {0, 1};
    GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_H);
}

void PaintIdle(HDC dc, const RECT& area, const PictureState& state) {
    FillSolid(dc, area, kIdleBackground);
    const int height = area.bottom - area.top;
    const int wordHeight = std::clamp(height / 6, 12, 48);
    RECT word = area;
    word.bottom = area.top + height / 2 + wordHeight / 2;
    word.top = word.bottom - wordHeight * 3 / 2;
    DrawTextIn(dc, L"Vantel", word, wordHeight, true, kIdleWordColor, DT_CENTER | DT_BOTTOM);
    RECT notice = area;
    notice.left += 8;
    notice.right -= 8;
    notice.top = word.bottom + wordHeight / 3;
    DrawTextIn(dc, state.notice, notice, 14, false, kNoticeColor, DT_CENTER | DT_TOP);
}

void PaintPlaying(HDC dc, const RECT& area, const PictureState& state, DWORD now) {
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    const DWORD elapsed = now - state.startTick;

    // Upper three quarters: colour bars scrolling to the left, wrapping around.
    RECT bars = area;
    bars.bottom = area.top + height * 3 / 4;
    const LONG offset = static_cast<LONG>((elapsed % kBarCycleMs) * static_cast<ULONGLONG>(width) / kBarCycleMs);
    for (int i = 0; i < kBarCount; ++i) {
        const LONG left = area.left + i * width / kBarCount - offset;
        const LONG right = area.left + (i + 1) * width / kBarCount - offset;
        FillClipped(dc, {left, bars.top, right, bars.bottom}, bars, kBars[i]);
        FillClipped(dc, {left + width, bars.top, right + width, bars.bottom}, bars, kBars[i]);
    }

    // Lower band: a dark gradient with a light dash sweeping along its top, the title and the clock.
    RECT band = area;
    band.top = bars.bottom;
    HorizontalGradient(dc, band, RGB(18, 26, 58), RGB(58, 18, 64));
    const LONG sweep =
        band.left + static_cast<LONG>((elapsed % kSweepCycleMs) * static_cast<ULONGLONG>(width) / kSweepCycleMs);
    FillClipped(dc, {sweep - 20, band.top, sweep + 20, band.top + 3}, band, kSweepColor);

    const int textHeight = std::clamp(static_cast<int>(band.bottom - band.top) / 3, 10, 18);
    const std::wstring clock = FormatPlayClock(elapsed);
    RECT clockRect = {band.right - 10 - textHeight * 5, band.top, band.right - 10, band.bottom};
    DrawTextIn(dc, clock, clockRect, textHeight, true, kClockColor, DT_RIGHT | DT_VCENTER);
    RECT titleRect = {band.left + 10, band.top, clockRect.left - 10, band.bottom};
    DrawTextIn(dc, state.title, titleRect, textHeight, false, kTitleColor, DT_LEFT | DT_VCENTER);
}

}  // namespace

std::wstring FormatPlayClock(DWORD elapsedMs) {
    const DWORD seconds = elapsedMs / 1000;
    wchar_t text[32];
    swprintf(text, 32, L"%02lu:%02lu:%02lu", static_cast<unsigned long>(seconds / 3600),
             static_cast<unsigned long>(seconds / 60 % 60), static_cast<unsigned long>(seconds % 60));
    return text;
}

void PaintPlayerPicture(HDC dc, const RECT& area, const PictureState& state, DWORD now) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    if (state.playing)
        PaintPlaying(dc, area, state, now);
    else
        PaintIdle(dc, area, state);
}

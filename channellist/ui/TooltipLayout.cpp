#include "channellist/ui/TooltipLayout.h"

#include "channellist/ui/ListFont.h"
#include "framework/win/ScopedGdi.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace UI {

namespace {

constexpr int kBands = 64;
constexpr int kPointerGap = 20;   // pointer to tooltip, right of or below it
constexpr int kFlippedGap = 5;    // pointer to tooltip, left of or above it
constexpr int kPadding = 8;       // between the border and the texts
constexpr int kIndent = 16;       // left edge of a channel's detail lines
constexpr int kFontHeight = 15;
constexpr COLORREF kCatalogTextColour = RGB(0, 0, 0);
constexpr COLORREF kChannelTextColour = RGB(255, 255, 255);

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

ScopedFont MakeTipFont(int weight) {
    return ScopedFont(CreateFontW(kFontHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, kListFontFace));
}

std::wstring FormatNumber(const wchar_t* format, int value) {
    wchar_t text[64];
    std::swprintf(text, 64, format, value);
    return text;
}

SIZE MeasureLine(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

// Measures one line and, with draw set, draws it in a rectangle of exactly its size at (x, y).
// Returns that rectangle.
RECT PlaceLine(HDC dc, const std::wstring& text, int x, int y, bool draw) {
    const SIZE size = MeasureLine(dc, text);
    RECT rect{x, y, x + size.cx, y + size.cy};
    if (draw) {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    return rect;
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

void FillTooltipBackground(HDC dc, const RECT& rect, const TooltipColours& colours) {
    const int split = rect.top + (rect.bottom - rect.top) / 2;
    GradientFill64(dc, RECT{rect.left, rect.top, rect.right, split}, colours.top, colours.middle);
    GradientFill64(dc, RECT{rect.left, split, rect.right, rect.bottom}, colours.middle, colours.bottom);
}

SIZE LayoutCatalogTip(HDC dc, const CatalogTipTexts& texts, bool draw) {
    ScopedFont font = MakeTipFont(FW_NORMAL);
    ScopedSelectObject selectFont(dc, font);
    ScopedBkMode transparent(dc, TRANSPARENT);
    ScopedTextColor colour(dc, kCatalogTextColour);

    const RECT label = PlaceLine(dc, texts.label, kPadding, kPadding, draw);
    const int labelHeight = label.bottom - label.top;
    const RECT count = PlaceLine(dc, FormatNumber(L"共%d个频道", texts.channelCount), kPadding,
                                 labelHeight + 10, draw);
    const int width = std::max(label.right - label.left, count.right - count.left);
    return SIZE{width + 2 * kPadding, labelHeight + (count.bottom - count.top) + 18};
}

SIZE LayoutChannelTip(HDC dc, const ChannelTipTexts& texts, bool draw) {
    ScopedBkMode transparent(dc, TRANSPARENT);
    ScopedTextColor colour(dc, kChannelTextColour);
    int width = kPadding;
    int y = kPadding;
    {
        ScopedFont bold = MakeTipFont(FW_BOLD);
        ScopedSelectObject selectBold(dc, bold);
        const RECT name = PlaceLine(dc, texts.name, kPadding, y, draw);
        width = std::max<int>(width, name.right);
        y = name.bottom;
    }
    ScopedFont normal = MakeTipFont(FW_NORMAL);
    ScopedSelectObject selectNormal(dc, normal);
    y += kPadding;

    const RECT typeLabel = PlaceLine(dc, L"类型:", kIndent, y, draw);
    const RECT typeValue = PlaceLine(dc, texts.typeLabel, typeLabel.right + 2, y, draw);
    width = std::max<int>(width, std::max(typeLabel.right, typeValue.right));
    y = typeLabel.bottom;

    for (const std::wstring& line : {L"比特率:" + FormatNumber(L" %dKbps", texts.bitrate),
                                     L"主页:" + (L" " + texts.homePage), std::wstring(L"介绍:")}) {
        const RECT placed = PlaceLine(dc, line, kIndent, y, draw);
        width = std::max<int>(width, placed.right);
        y = placed.bottom;
    }

    // The description's own line feeds shape it; the rectangle is as wide as its longest line,
    // so word breaking never adds lines of its own.
    const std::wstring description = WrapDescription(texts.description);
    RECT rect{kIndent, y, kIndent, y};
    if (!description.empty()) {
        DrawTextW(dc, description.c_str(), static_cast<int>(description.size()), &rect,
                  DT_CALCRECT | DT_NOPREFIX);
        if (draw) {
            DrawTextW(dc, description.c_str(), static_cast<int>(description.size()), &rect,
                      DT_WORDBREAK | DT_NOPREFIX);
        }
    }
    width = std::max<int>(width, rect.right);
    y = rect.bottom;
    return SIZE{width + kPadding, y + kPadding};
}

}  // namespace UI

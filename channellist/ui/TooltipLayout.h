#pragma once

#include <windows.h>

#include <string>

namespace UI {

// Fills rect with 64 horizontal bands that step from the colour `from` at the top
// to nearly `to` at the bottom; rows are split by integer division.
void GradientFill64(HDC dc, const RECT& rect, COLORREF from, COLORREF to);

// Colour of band `band` (0..63) of GradientFill64.
COLORREF GradientBandColour(COLORREF from, COLORREF to, int band);

// Trims blanks and breaks a description into lines of about sqrt(10 x length)
// characters, so that a long description gives a roughly square tooltip.
std::wstring WrapDescription(const std::wstring& text);

// Top-left corner of a tooltip of the given size for the pointer position:
// right of and below the pointer, flipped to the left near the right screen edge
// and above the pointer in the lower half of the screen.
POINT PlaceTooltip(POINT pointer, SIZE screen, SIZE tooltip);

// Backgrounds: top half from `top` to `middle`, bottom half from `middle` to `bottom`.
struct TooltipColours {
    COLORREF top;
    COLORREF middle;
    COLORREF bottom;
};
constexpr TooltipColours kCatalogTipColours{RGB(158, 158, 158), RGB(255, 255, 255), RGB(105, 105, 105)};
constexpr TooltipColours kChannelTipColours{RGB(102, 102, 186), RGB(9, 23, 229), RGB(1, 11, 182)};
void FillTooltipBackground(HDC dc, const RECT& rect, const TooltipColours& colours);

// What a tooltip shows for a catalog and for a channel.
struct CatalogTipTexts {
    std::wstring label;
    int channelCount = 0;
};
struct ChannelTipTexts {
    std::wstring name;
    std::wstring typeLabel;
    int bitrate = 0;
    std::wstring homePage;
    std::wstring description;
};

// Lay the texts out from the tooltip's top-left corner and return the tooltip's size; with
// draw set they are also drawn on dc. Fonts are made for each pass.
SIZE LayoutCatalogTip(HDC dc, const CatalogTipTexts& texts, bool draw);
SIZE LayoutChannelTip(HDC dc, const ChannelTipTexts& texts, bool draw);

}  // namespace UI

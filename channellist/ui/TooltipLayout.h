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

}  // namespace UI

#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace UI {

// Geometry of the channel header bar; fixed pixels.
constexpr int kHeaderLeftMargin = 4;
constexpr int kHeaderTopMargin = 2;
constexpr int kHeaderArrowSize = 5;
constexpr int kHeaderRightTextGap = 11;   // room for the arrow between right text and margin
constexpr COLORREF kHeaderTextColour = RGB(255, 255, 255);
constexpr COLORREF kHeaderArrowColour = RGB(140, 140, 140);

// Cuts text to the first characters followed by "..." so that it fits into
// maxWidth pixels as measured on dc; gives the empty text when nothing fits.
std::wstring FitText(HDC dc, int maxWidth, const std::wstring& text);

// One horizontal line of the header arrow, both ends inclusive.
struct ArrowLine {
    int y;
    int left;
    int right;
};

// The five lines of the arrow at the right end of a header's client rectangle,
// tip up when up is set.
std::array<ArrowLine, 5> HeaderArrowLines(const RECT& client, bool up);

}  // namespace UI

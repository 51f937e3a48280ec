#include "channellist/ui/HeaderPainting.h"

namespace UI {

namespace {

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

std::wstring FitText(HDC dc, int maxWidth, const std::wstring& text) {
    if (maxWidth < 0) return std::wstring();
    if (TextWidth(dc, text) <= maxWidth) return text;
    if (text.size() <= 4) return std::wstring();
    for (size_t kept = text.size() - 3; kept >= 1; --kept) {
        std::wstring candidate = text.substr(0, kept) + L"...";
        if (TextWidth(dc, candidate) <= maxWidth) return candidate;
    }
    return std::wstring();
}

std::array<ArrowLine, 5> HeaderArrowLines(const RECT& client, bool up) {
    const int left = client.right - kHeaderLeftMargin - kHeaderArrowSize;
    const int top = client.top +
        (client.bottom - client.top - 2 * kHeaderTopMargin - kHeaderArrowSize) / 2;
    const int bottom = top + kHeaderArrowSize;
    const int centre = left + kHeaderArrowSize / 2;
    std::array<ArrowLine, 5> lines{};
    for (int i = 0; i < 5; ++i) {
        lines[i].y = up ? top + i : bottom - i;
        lines[i].left = centre - i;
        lines[i].right = centre + i;
    }
    return lines;
}

}  // namespace UI

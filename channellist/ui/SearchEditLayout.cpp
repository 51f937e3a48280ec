#include "channellist/ui/SearchEditLayout.h"

namespace UI {

SearchEditLayout ComputeSearchEditLayout(int clientWidth) {
    SearchEditLayout layout{};
    int width = clientWidth;
    if (width < kSearchLeftWidth + kSearchMiddleWidth + kSearchRightWidth)
        width = kSearchLeftWidth + kSearchRightWidth;
    layout.size = SIZE{width, kSearchHeight};
    if (kSearchLeftWidth + kSearchRightWidth < width)
        layout.format = RECT{kSearchLeftWidth, 8, width - kSearchRightWidth - 1, kSearchHeight - 2};
    else
        layout.format = RECT{0, 0, 1, kSearchHeight};
    return layout;
}

SearchFrameImages ChooseSearchFrame(bool focused, bool showsClearButton) {
    if (focused)
        return {kSearchLeftFocused, kSearchMiddleFocused,
                showsClearButton ? kSearchRightButtonFocused : kSearchRightFocused};
    return {kSearchLeftUnfocused, kSearchMiddleUnfocused,
            showsClearButton ? kSearchRightButtonUnfocused : kSearchRightUnfocused};
}

RECT SearchButtonRect(const RECT& client) {
    return RECT{client.right - kSearchRightWidth, client.top, client.right, client.bottom};
}

}  // namespace UI

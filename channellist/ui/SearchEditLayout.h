#pragma once

#include <windows.h>

namespace UI {

// Bitmap resources of the search field, all 27 pixels high.
enum SearchImageId : int {
    kSearchLeftFocused = 208,
    kSearchMiddleFocused = 209,
    kSearchRightButtonFocused = 210,
    kSearchRightUnfocused = 211,
    kSearchRightFocused = 212,
    kSearchMiddleUnfocused = 213,
    kSearchRightButtonUnfocused = 214,
    kSearchLeftUnfocused = 215,
};
constexpr int kSearchImageCount = kSearchLeftUnfocused - kSearchLeftFocused + 1;
constexpr int kSearchLeftWidth = 25;
constexpr int kSearchMiddleWidth = 1;
constexpr int kSearchRightWidth = 23;
constexpr int kSearchHeight = 27;

// Size of the search field and the rectangle in which the edit lays out its text
// (between the magnifier and the right end), for a field of the given width.
struct SearchEditLayout {
    SIZE size;
    RECT format;
};
SearchEditLayout ComputeSearchEditLayout(int clientWidth);

// Resources of the three frame pieces for the field's focus and whether the
// clear button is shown (the field holds text rather than nothing or the cue).
struct SearchFrameImages {
    int left;
    int middle;
    int right;
};
SearchFrameImages ChooseSearchFrame(bool focused, bool showsClearButton);

// The right end of the field, where the clear button sits.
RECT SearchButtonRect(const RECT& client);

}  // namespace UI

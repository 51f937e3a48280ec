#pragma once

#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"
#include "player/shell/SkinnedFrameAccessible.h"

class CSkin;

// The skinned hit test: which part of a window of rectangle `window` (screen coordinates)
// lies under `point`; 0 without a skin or outside every area.
UINT SkinHitTest(const CSkin* skin, const RECT& window, POINT point);

// A top-level window that draws its border, caption and caption buttons from the skin instead
// of the system: non-client sizing, painting and hit testing, the buttons' mouse handling and
// the rounded window region. A frame derives from it and ends its own map with
// CHAIN_MSG_MAP(CSkinnedFrame); without every frame piece of the skin all of this steps aside
// and the system's caption and border stay.
class CSkinnedFrame : public CWindowImpl {
public:
    static constexpr UINT kNoButton = 0;

    // The hit-test code of the caption button held down, or kNoButton.
    UINT PressedButton() const { return pressed_; }

    BEGIN_MSG_MAP(CSkinnedFrame)
        MSG_WM_GETOBJECT(titleBar_)
        MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
        MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
        MESSAGE_HANDLER(WM_NCACTIVATE, OnNcActivate)
        MSG_WM_NCHITTEST(OnNcHitTest)
        MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
        MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
        MESSAGE_HANDLER(WM_NCLBUTTONUP, OnNcLButtonUp)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_CAPTURECHANGED(OnCaptureChanged)
        MSG_WM_SIZE(OnSize)
    END_MSG_MAP()

protected:
    CSkinnedFrame();

    // Once the window exists: drops the system caption when the skin draws its own, and has
    // the system compute the non-client area again.
    void ApplySkinnedBorder();

private:
    LRESULT OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    UINT OnNcHitTest(POINT point);
    LRESULT OnNcMouseMove(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnNcLButtonDown(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnNcLButtonUp(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    void OnLButtonUp(UINT, POINT point);
    void OnCaptureChanged(HWND gaining);
    void OnSize(UINT, SIZE size);

    void DrawCaption(HDC dc) const;
    // Draws every button at rest, the one under the mouse (`hover`) in its hover look.
    void DrawCaptionButtons(UINT hover) const;
    void ReleaseButton(UINT code);
    // What a click on a caption button does.
    void PressCaptionButton(UINT code);
    // Where a caption button or (HTCAPTION) the caption strip lies on the screen; false while
    // the system draws the caption.
    bool CaptionPlace(UINT code, RECT& screen) const;

    ScopedFont captionFont_;
    UINT pressed_ = kNoButton;
    friend class CSkinnedFrameAccessible;  // places and presses the caption buttons
    CSkinnedFrameAccessible titleBar_{*this};
};

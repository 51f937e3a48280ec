#include "player/shell/SkinnedFrame.h"

#include <string>

#include "common/skin/Skin.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/Module.h"
#include "player/shell/resource.h"

namespace {

using FramePart = CSkin::FramePart;
using CaptionImage = CSkin::CaptionImage;

// The caption buttons: hit-test code, the skin's anchor and images, in the order the skin's
// frame defines them, which is also the order they are drawn in.
struct CaptionButtonEntry {
    UINT code;
    CSkin::CaptionButton anchor;
    CaptionImage resting, hover, down;
};
constexpr CaptionButtonEntry kCaptionButtons[] = {
    {HTMINBUTTON, CSkin::CaptionButton::Minimize, CaptionImage::MinimiseBtn, CaptionImage::MinimiseHover,
     CaptionImage::MinimiseDown},
    {HTMAXBUTTON, CSkin::CaptionButton::Maximize, CaptionImage::MaximiseBtn, CaptionImage::MaximiseHover,
     CaptionImage::MaximiseDown},
    {HTCLOSE, CSkin::CaptionButton::Close, CaptionImage::CloseBtn, CaptionImage::CloseHover, CaptionImage::CloseDown},
};
// Where anchors overlap, the first of these wins the hit test.
constexpr UINT kHitTestOrder[] = {HTCLOSE, HTMINBUTTON, HTMAXBUTTON};

const CaptionButtonEntry* FindCaptionButton(UINT code) {
    for (const CaptionButtonEntry& button : kCaptionButtons) {
        if (button.code == code)
            return &button;
    }
    return nullptr;
}

bool Inside(POINT p, const RECT& r) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The frame draws its own border only with every piece of it. Without them (no skin, or a
// damaged one) it keeps the system's caption and border, so that it can still be moved, sized
// and closed.
bool HasSkin(const CSkin* skin) {
    if (!skin)
        return false;
    for (int part = 0; part < static_cast<int>(FramePart::Count); ++part) {
        if (skin->Frame(static_cast<FramePart>(part)).IsEmpty())
            return false;
    }
    return true;
}

// Draws `image` of a caption button at its anchor in a window `width` wide.
void DrawButtonImage(HDC dc, const CSkin& skin, const CaptionButtonEntry& button, CaptionImage image, int width) {
    RECT place = skin.CaptionButtonPlace(button.anchor);
    OffsetRect(&place, width, 0);
    skin.Caption(image).Draw(dc, place.left, place.top);
}

}  // namespace

UINT SkinHitTest(const CSkin* skin, const RECT& r, POINT p) {
    if (!HasSkin(skin))
        return HTNOWHERE;
    const CSkin& s = *skin;
    for (UINT code : kHitTestOrder) {
        const CaptionButtonEntry& button = *FindCaptionButton(code);
        RECT place = s.CaptionButtonPlace(button.anchor);
        OffsetRect(&place, r.right, r.top);
        if (Inside(p, place))
            return button.code;
    }
    const CSkinImage& tl = s.Frame(FramePart::TopLeft);
    const CSkinImage& tr = s.Frame(FramePart::TopRight);
    const CSkinImage& bl = s.Frame(FramePart::BottomLeft);
    const CSkinImage& br = s.Frame(FramePart::BottomRight);
    const RECT topLeft{r.left, r.top, r.left + tl.Width() + 1, r.top + tl.Height() + 1};
    const RECT topRight{r.right - tr.Width(), r.top, r.right, r.top + tr.Height()};
    const RECT bottomLeft{r.left, r.bottom - bl.Height(), r.left + bl.Width(), r.bottom};
    const RECT bottomRight{r.right - br.Width(), r.bottom - br.Height(), r.right, r.bottom};
    const struct {
        RECT area;
        UINT code;
    } areas[] = {
        {topLeft, HTTOPLEFT},
        {topRight, HTTOPRIGHT},
        {bottomLeft, HTBOTTOMLEFT},
        {bottomRight, HTBOTTOMRIGHT},
        {{r.left, topLeft.bottom + 1, r.left + s.Frame(FramePart::Left).Width(), bottomLeft.top - 1}, HTLEFT},
        {{r.right - s.Frame(FramePart::Right).Width(), topRight.bottom + 1, r.right, bottomRight.top - 1}, HTRIGHT},
        {{bottomLeft.right + 1, r.bottom - s.Frame(FramePart::Bottom).Height(), bottomRight.left - 1, r.bottom},
         HTBOTTOM},
        {{topLeft.right + 1, r.top, topRight.left - 1, r.top + 3}, HTTOP},
        {{r.left + 1, r.top, r.left + 20, r.top + 20}, HTSYSMENU},
        {{r.left, r.top, r.right, r.top + s.Frame(FramePart::Top).Height()}, HTCAPTION},
    };
    for (const auto& entry : areas) {
        if (Inside(p, entry.area))
            return entry.code;
    }
    return HTNOWHERE;
}

CSkinnedFrame::CSkinnedFrame()
    : captionFont_(::CreateFontW(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"")) {}

void CSkinnedFrame::ApplySkinnedBorder() {
    if (HasSkin(CSkin::Instance()))
        ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
}

LRESULT CSkinnedFrame::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    const CSkin* skin = CSkin::Instance();
    if (!wParam || !HasSkin(skin)) {
        handled = FALSE;
        return 0;
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const WINDOWPOS* pos = params->lppos;
    RECT client{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    client.left += skin->Frame(FramePart::Left).Width();
    client.top += skin->Frame(FramePart::Top).Height();
    client.right -= skin->Frame(FramePart::Right).Width();
    client.bottom -= skin->Frame(FramePart::Bottom).Height();
    params->rgrc[0] = client;
    return 0;
}

LRESULT CSkinnedFrame::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    const CSkin* skin = CSkin::Instance();
    if (!HasSkin(skin)) {
        handled = FALSE;
        return 0;
    }
    const CSkin& s = *skin;
    ScopedWindowDC windowDc(m_hWnd);
    if (!windowDc)
        return 0;
    const RECT window = GetWindowRect();
    const int w = window.right - window.left, h = window.bottom - window.top;

    // Only the border is ours to paint; the derived frame's children paint the client area.
    RECT client = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    ::ExcludeClipRect(windowDc, client.left, client.top, client.right, client.bottom);

    const RECT whole{0, 0, w, h};
    CMemoryDC dc(windowDc, whole);
    if (!dc.IsValid())
        return 0;
    const CSkinImage& tl = s.Frame(FramePart::TopLeft);
    const CSkinImage& tr = s.Frame(FramePart::TopRight);
    const CSkinImage& bl = s.Frame(FramePart::BottomLeft);
    const CSkinImage& br = s.Frame(FramePart::BottomRight);
    const CSkinImage& lt = s.Frame(FramePart::LeftTop);
    const CSkinImage& lb = s.Frame(FramePart::LeftBottom);
    const CSkinImage& rt = s.Frame(FramePart::RightTop);
    const CSkinImage& rb = s.Frame(FramePart::RightBottom);

    tl.Draw(dc, 0, 0);
    tr.Draw(dc, w - tr.Width(), 0);
    TileHorizontal(s.Frame(FramePart::Top), dc, tl.Width(), 0, w - tr.Width() - tl.Width());

    bl.Draw(dc, 0, h - bl.Height());
    br.Draw(dc, w - br.Width(), h - br.Height());
    const CSkinImage& bottom = s.Frame(FramePart::Bottom);
    TileHorizontal(bottom, dc, bl.Width(), h - bottom.Height(), w - br.Width() - bl.Width());

    lt.Draw(dc, 0, tl.Height());
    const int leftBottomY = h - lb.Height() - bl.Height();
    lb.Draw(dc, 0, leftBottomY);
    TileVertical(s.Frame(FramePart::Left), dc, 0, tl.Height() + lt.Height(), leftBottomY - tl.Height() - lt.Height());

    rt.Draw(dc, w - rt.Width(), tr.Height());
    const int rightBottomY = h - rb.Height() - br.Height();
    rb.Draw(dc, w - rb.Width(), rightBottomY);
    const CSkinImage& right = s.Frame(FramePart::Right);
    TileVertical(right, dc, w - right.Width(), tr.Height() + rt.Height(), rightBottomY - tr.Height() - rt.Height());

    DrawCaption(dc);
    return 0;
}

// The small icon and the title; the buttons' resting look belongs to the frame pieces.
void CSkinnedFrame::DrawCaption(HDC dc) const {
    const int iconSize = ::GetSystemMetrics(SM_CXSMICON);
    HICON icon = reinterpret_cast<HICON>(SendMessage(WM_GETICON, ICON_SMALL));
    if (!icon)
        icon = ::LoadIconW(ThisModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (icon)
        ::DrawIconEx(dc, 8, 4, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);

    const std::wstring title = GetWindowText();
    ScopedSelectObject selectFont(dc, captionFont_);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{iconSize + 12, 4, iconSize + 12, 4};
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
}

LRESULT CSkinnedFrame::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (!HasSkin(CSkin::Instance())) {
        handled = FALSE;
        return 0;
    }
    // The system must never draw its own caption over ours.
    return wParam ? FALSE : TRUE;
}

UINT CSkinnedFrame::OnNcHitTest(POINT point) {
    const CSkin* skin = CSkin::Instance();
    if (!HasSkin(skin)) {
        SetMsgHandled(FALSE);
        return 0;
    }
    return SkinHitTest(skin, GetWindowRect(), point);
}

void CSkinnedFrame::DrawCaptionButtons(UINT hover) const {
    const CSkin* skin = CSkin::Instance();
    ScopedWindowDC dc(m_hWnd);
    if (!skin || !dc)
        return;
    const RECT window = GetWindowRect();
    for (const CaptionButtonEntry& button : kCaptionButtons)
        DrawButtonImage(dc, *skin, button, button.code == hover ? button.hover : button.resting,
                        window.right - window.left);
}

LRESULT CSkinnedFrame::OnNcMouseMove(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (!HasSkin(CSkin::Instance())) {
        handled = FALSE;
        return 0;
    }
    const UINT code = static_cast<UINT>(wParam);
    if (FindCaptionButton(code)) {
        DrawCaptionButtons(code);
        return 0;
    }
    DrawCaptionButtons(kNoButton);
    handled = FALSE;
    return 0;
}

LRESULT CSkinnedFrame::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const CSkin* skin = CSkin::Instance();
    const CaptionButtonEntry* button = FindCaptionButton(static_cast<UINT>(wParam));
    if (!button || !HasSkin(skin)) {
        pressed_ = kNoButton;
        handled = FALSE;
        return 0;
    }
    pressed_ = button->code;
    // Holding the mouse makes the release come here wherever it happens, and a lost capture
    // ends the press.
    SetCapture();
    ScopedWindowDC dc(m_hWnd);
    if (dc) {
        const RECT window = GetWindowRect();
        DrawButtonImage(dc, *skin, *button, button->down, window.right - window.left);
    }
    return 0;
}

LRESULT CSkinnedFrame::OnNcLButtonUp(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const UINT code = static_cast<UINT>(wParam);
    if (!FindCaptionButton(code) || !HasSkin(CSkin::Instance())) {
        ReleaseButton(kNoButton);
        handled = FALSE;
        return 0;
    }
    ReleaseButton(code);
    return 0;
}

void CSkinnedFrame::OnLButtonUp(UINT, POINT point) {
    if (pressed_ == kNoButton) {
        SetMsgHandled(FALSE);
        return;
    }
    // A held press gets its release here, in client coordinates.
    ::ClientToScreen(m_hWnd, &point);
    ReleaseButton(SkinHitTest(CSkin::Instance(), GetWindowRect(), point));
}

void CSkinnedFrame::OnCaptureChanged(HWND gaining) {
    if (gaining == m_hWnd || pressed_ == kNoButton)
        return;
    pressed_ = kNoButton;
    DrawCaptionButtons(kNoButton);
}

void CSkinnedFrame::ReleaseButton(UINT code) {
    const bool act = code != kNoButton && pressed_ == code;
    // Giving up the mouse ends the press and draws the button at rest again
    // (OnCaptureChanged); without the mouse held the press ends here.
    ReleaseCapture();
    if (pressed_ != kNoButton) {
        pressed_ = kNoButton;
        DrawCaptionButtons(kNoButton);
    }
    if (act)
        PressCaptionButton(code);
}

void CSkinnedFrame::PressCaptionButton(UINT code) {
    if (code == HTMINBUTTON)
        ShowWindow(SW_SHOWMINIMIZED);
    else if (code == HTMAXBUTTON)
        ShowWindow(::IsZoomed(m_hWnd) ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    else
        SendMessage(WM_CLOSE);
}

bool CSkinnedFrame::CaptionPlace(UINT code, RECT& screen) const {
    const CSkin* skin = CSkin::Instance();
    if (!HasSkin(skin))
        return false;
    const RECT window = GetWindowRect();
    if (code == HTCAPTION) {
        screen = RECT{window.left, window.top, window.right, window.top + skin->Frame(FramePart::Top).Height()};
        return true;
    }
    const CaptionButtonEntry* button = FindCaptionButton(code);
    if (!button)
        return false;
    // Anchored to the window's right edge, as drawn and hit-tested.
    screen = skin->CaptionButtonPlace(button->anchor);
    ::OffsetRect(&screen, window.right, window.top);
    return true;
}

void CSkinnedFrame::OnSize(UINT, SIZE size) {
    DefWindowProc();
    if (size.cx <= 0 || size.cy <= 0 || !HasSkin(CSkin::Instance()))
        return;
    // The region covers the whole window with its skinned border, not only the client area.
    const RECT window = GetWindowRect();
    ScopedRegion region(
        ::CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1, 9, 9));
    if (region && ::SetWindowRgn(m_hWnd, region, TRUE))
        region.Release();  // the window owns it now
}

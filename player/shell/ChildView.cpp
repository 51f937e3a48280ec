#include "player/shell/ChildView.h"

#include <algorithm>
#include <utility>

#include "common/settings/Settings.h"
#include "common/skin/Skin.h"
#include "framework/win/DoubleBuffer.h"

namespace {

constexpr int kToggleHeight = 48;
constexpr COLORREF kToggleShown = RGB(255, 0, 0);
constexpr COLORREF kToggleHidden = RGB(255, 127, 127);

// Checkerboard for drawing the dragged splitter inverted.
HBRUSH CreateTrackingBrush() {
    const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    ScopedBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
    return pattern ? ::CreatePatternBrush(pattern) : nullptr;
}

void ShowIfHidden(HWND window, bool show) {
    if (!window)
        return;
    // The panel's own style, not IsWindowVisible: while the frame is hidden (started
    // minimised, or in the tray) every panel counts as invisible and none would be hidden.
    const bool visible = (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (show && !visible)
        ::ShowWindow(window, SW_SHOW);
    else if (!show && visible)
        ::ShowWindow(window, SW_HIDE);
}

}  // namespace

CChildView::CChildView()
    : trackingBrush_(CreateTrackingBrush()),
      sizeCursor_(::LoadCursorW(nullptr, IDC_SIZEWE)),
      handCursor_(::LoadCursorW(nullptr, IDC_HAND)),
      listSink_(this) {}

CChildView::~CChildView() = default;

WindowClassSpec CChildView::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaPlayerView";
    windowClass.style = CS_DBLCLKS | CS_OWNDC;
    windowClass.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return windowClass;
}

bool CChildView::Create(HWND parent, const RECT& rect, UINT id) {
    return CWindowImpl::Create(parent, rect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, id) != nullptr;
}

bool CChildView::HideCList() const {
    bool hide = false;
    ReadFlag(L"HideCList", hide, true);
    return hide;
}

int CChildView::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    navi_.Create(m_hWnd, this);

    listShown_ = !HideCList();
    listWidth_ = listShown_ ? kListWidth : 0;
    // A control without its interface would be a window that ignores every call: none at all.
    const RECT listRect{0, 0, listWidth_, 400};
    if (!channels_.Create(m_hWnd, listRect))
        channels_.Destroy();
    if (!movie_.Create(m_hWnd, RECT{0, 0, 100, 0}))
        movie_.Destroy();
    const RECT empty{0, 0, 0, 0};
    home_.Create(m_hWnd, empty, L"", WS_CHILD | WS_CLIPCHILDREN, 0, kHomePanelId);
    options_.Create(m_hWnd, empty, L"", WS_CHILD | WS_CLIPCHILDREN, 0, kOptionsId);
    broadcast_.Create(m_hWnd, empty, L"TBCastPanel", WS_CHILD | WS_CLIPCHILDREN, 0, CBroadcastPanel::kWindowId);

    bool hideHome = false;
    ReadFlag(L"HideHome", hideHome, true);
    if (!hideHome)
        navi_.AddItem(L"首 页", kNaviHome);
    navi_.AddItem(L"播 放", kNaviPlay);
    navi_.AddItem(L"控制面板", kNaviOptions);

    for (HWND child : {navi_.m_hWnd, channels_.Window(), movie_.Window()}) {
        if (child) {
            ::ShowWindow(child, SW_SHOW);
            ::UpdateWindow(child);
        }
    }
    navi_.SelectPlayItem();
    listSink_.Connect(channels_.Unknown());

    const std::wstring startLink = std::exchange(startLink_, std::wstring());
    if (!startLink.empty())
        movie_.Play(startLink);
    return 0;
}

void CChildView::OnDestroy() {
    listSink_.Disconnect();
    SetMsgHandled(FALSE);
}

void CChildView::OnChannelOpen(const std::wstring& link) { movie_.Play(link); }

void CChildView::OnNaviSelect(int id) {
    const struct {
        int item;
        HWND window;
    } panels[] = {{kNaviPlay, movie_.Window()},
                  {kNaviHome, home_.m_hWnd},
                  {kNaviBroadcast, broadcast_.m_hWnd},
                  {kNaviOptions, options_.m_hWnd}};
    const auto chosen =
        std::find_if(std::begin(panels), std::end(panels), [id](const auto& p) { return p.item == id; });
    if (chosen == std::end(panels))
        return;
    const HWND shown = chosen->window;
    for (const auto& panel : panels) {
        if (panel.window != shown)
            ShowIfHidden(panel.window, false);
    }
    ShowIfHidden(shown, true);
    if (shown && (id == kNaviPlay || id == kNaviBroadcast))
        ::UpdateWindow(shown);
}

int CChildView::NaviHeight() const {
    if (!navi_.m_hWnd)
        return 0;
    RECT rect = navi_.GetWindowRect();
    return rect.bottom - rect.top;
}

void CChildView::Layout(int a) {
    // A window given a negative width is as wide as nothing.
    contentWidth_ = std::max(a, 0);
    const RECT client = GetClientRect();
    const int n = NaviHeight();
    const int height = client.bottom - n;
    for (HWND panel : {movie_.Window(), home_.m_hWnd, options_.m_hWnd, broadcast_.m_hWnd}) {
        if (panel)
            ::MoveWindow(panel, client.left, n, a, height, TRUE);
    }
    const int left = client.left + a + kSplitterWidth;
    listWidth_ = std::max(static_cast<int>(client.right) - left, 0);
    if (HWND list = channels_.Window())
        ::MoveWindow(list, left, n, listWidth_, height, TRUE);
}

void CChildView::Resize(int w, int h) {
    if (w <= 0 || h <= 0)
        return;
    if (navi_.m_hWnd)
        navi_.SetWidth(w);
    int a;
    // Without the list's control the content has its room, as with the list folded away.
    if (listShown_ && channels_.Window()) {
        const int c = listWidth_;
        // A list squeezed to nothing by a narrow view gets its width back with the room.
        a = c > 0 && c < w ? w - c - kSplitterWidth : w - kListWidth - kSplitterWidth;
        a = std::max(a, static_cast<int>(kMinContentWidth));
    } else {
        a = w - kSplitterWidth;
    }
    Layout(a);
    Invalidate(false);
}

void CChildView::OnSize(UINT, SIZE size) { Resize(size.cx, size.cy); }

void CChildView::OnWindowPosChanged(WINDOWPOS* pos) {
    DefWindowProc();
    if (!(pos->flags & SWP_NOSIZE)) {
        const RECT client = GetClientRect();
        Resize(client.right, client.bottom);
    }
}

RECT CChildView::SplitterRect() const {
    const RECT client = GetClientRect();
    const int left = contentWidth_;
    return RECT{left, NaviHeight(), left + kSplitterWidth, client.bottom};
}

RECT CChildView::ToggleRect() const {
    const RECT strip = SplitterRect();
    const int top = strip.top + (strip.bottom - strip.top - kToggleHeight) / 2;
    return RECT{strip.left + 1, top, strip.left + 7, top + kToggleHeight};
}

void CChildView::PaintSplitter(HDC dc) const {
    const RECT strip = SplitterRect();
    const CSkin* skin = CSkin::Instance();
    const CSkinImage* back = skin ? &skin->Splitter() : nullptr;
    if (back && !back->IsEmpty()) {
        ::StretchBlt(dc, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, back->Dc(), 0, 0,
                     back->Width(), back->Height(), SRCCOPY);
    } else {
        ::FillRect(dc, &strip, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }
}

void CChildView::DrawToggle(HDC dc) const {
    const RECT button = ToggleRect();
    ScopedBrush brush(::CreateSolidBrush(listShown_ ? kToggleShown : kToggleHidden));
    ::FillRect(dc, &button, brush);
}

void CChildView::OnPaint() {
    ScopedPaintDC paint(m_hWnd);
    const RECT strip = SplitterRect();
    if (strip.right <= strip.left || strip.bottom <= strip.top)
        return;
    CMemoryDC dc(paint, strip);
    if (dc.IsValid())
        PaintSplitter(dc);
}

void CChildView::InvertTracker() const {
    // A DC that does not clip the children: the dragged splitter is drawn across the panels on
    // both sides of the strip.
    const ScopedReleasedDC dc(::GetDCEx(m_hWnd, nullptr, DCX_CACHE), {m_hWnd});
    if (!dc)
        return;
    ScopedSelectObject brush(dc, trackingBrush_);
    ::PatBlt(dc, tracker_.left, tracker_.top, tracker_.right - tracker_.left, tracker_.bottom - tracker_.top,
             PATINVERT);
}

int CChildView::ClampDrop(int x) const {
    const RECT client = GetClientRect();
    return std::min(std::max(x, static_cast<int>(kMinContentWidth)), static_cast<int>(client.right - 50));
}

void CChildView::OnLButtonDown(UINT, POINT point) {
    const RECT strip = SplitterRect();
    const RECT button = ToggleRect();
    if (::PtInRect(&button, point)) {
        ::SetCursor(handCursor_);
        SetCapture();
        state_ = kTogglePressed;
    } else if (::PtInRect(&strip, point) && channels_.Window() && !HideCList()) {
        ::SetCursor(sizeCursor_);
        tracker_ = strip;
        InvertTracker();
        SetCapture();
        state_ = kDragging;
    }
}

void CChildView::OnMouseMove(UINT, POINT point) {
    if (state_ == kDragging) {
        const int left = ClampDrop(point.x);
        if (left != tracker_.left) {
            InvertTracker();
            ::OffsetRect(&tracker_, left - tracker_.left, 0);
            InvertTracker();
        }
        return;
    }
    if (state_ != kIdle)
        return;
    const RECT strip = SplitterRect();
    const RECT button = ToggleRect();
    if (::PtInRect(&button, point)) {
        ScopedGetDC dc(m_hWnd);
        DrawToggle(dc);
        ::SetCursor(handCursor_);
    } else if (::PtInRect(&strip, point)) {
        ScopedGetDC dc(m_hWnd);
        DrawToggle(dc);
        ::SetCursor(sizeCursor_);
        SetCapture();
    } else {
        ::InvalidateRect(m_hWnd, &strip, FALSE);
        ::UpdateWindow(m_hWnd);
        ReleaseCapture();
    }
}

void CChildView::OnLButtonUp(UINT, POINT point) {
    // Idle before the capture goes, so that its loss does not end the press a second time.
    if (state_ == kTogglePressed) {
        // A held toggle never keeps the mouse, even where the list may not be unfolded.
        state_ = kIdle;
        ReleaseCapture();
        if (!HideCList())
            ToggleList();
    } else if (state_ == kDragging) {
        InvertTracker();
        state_ = kIdle;
        ReleaseCapture();
        Layout(ClampDrop(point.x));
        const RECT strip = SplitterRect();
        ::InvalidateRect(m_hWnd, &strip, FALSE);
    }
}

BOOL CChildView::OnSetCursor(HWND window, UINT hitTest, UINT) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    const RECT strip = SplitterRect();
    if (window == m_hWnd && hitTest == HTCLIENT && ::PtInRect(&strip, cursor))
        return TRUE;
    SetMsgHandled(FALSE);
    return FALSE;
}

void CChildView::OnCaptureChanged(HWND gaining) {
    // A press or drag that lost the mouse ends without effect.
    if (gaining == m_hWnd || state_ == kIdle)
        return;
    if (state_ == kDragging)
        InvertTracker();
    state_ = kIdle;
}

void CChildView::ToggleList() {
    listShown_ = !listShown_;
    listWidth_ = listShown_ ? kListWidth : 0;
    const RECT client = GetClientRect();
    Resize(client.right, client.bottom);
}

#include "player/options/OptContainerWnd.h"

#include <commctrl.h>

#include "framework/win/DoubleBuffer.h"

namespace {

constexpr int kFirstTitleTop = 10;
constexpr int kTitleLeft = 30;
constexpr int kTitleGap = 4;
constexpr int kHighlightMargin = 2;
constexpr BYTE kHighlightOpacity = 127;
constexpr int kInitialPlasmaHeight = 100;

// Lays `color` over `area` of dc with a constant opacity out of 255.
void BlendRect(HDC dc, const RECT& area, COLORREF color, BYTE opacity) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    ScopedCompatibleDC source(dc);
    ScopedBitmap fill(::CreateCompatibleBitmap(dc, width, height));
    if (!source || !fill)
        return;
    ScopedSelectObject select(source, fill);
    ScopedBrush brush(::CreateSolidBrush(color));
    const RECT all{0, 0, width, height};
    ::FillRect(source, &all, brush);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, 0};
    ::AlphaBlend(dc, area.left, area.top, width, height, source, 0, 0, width, height, blend);
}

}  // namespace

WindowClassSpec COptContainerWnd::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaOptContainer"}; }

int COptContainerWnd::OnCreate(CREATESTRUCTW*) {
    // "MS Shell Dlg" maps to the system's dialog face (SimSun on Chinese systems), which has the
    // titles' glyphs or links to them; an empty face name can give one without them.
    LOGFONTW description{};
    description.lfHeight = -15;  // character height, not cell height
    description.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(description.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    font_.Reset(::CreateFontIndirectW(&description));

    plasma_.Start(m_hWnd, RECT{0, 0, kTitleColumnWidth, kInitialPlasmaHeight});

    // The buffer page holds a trackbar.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    AddPage(L"一般设定", generalPanel_);
    AddPage(L"界面皮肤", skinPanel_);
    AddPage(L"界面语言", langPanel_);
    AddPage(L"缓冲区设置", bufferPanel_);
    AddPage(L"连接设置", ispPanel_);
    AddPage(L"网络信息", networkPanel_);
    AddPage(L"UPnP设置", upnpPanel_);
    AddPage(L"关于", creditPanel_);

    // The first page is open, and its title marked as such.
    entries_.front().selected = true;
    ::ShowWindow(entries_.front().page, SW_SHOW);
    return 0;
}

void COptContainerWnd::AddPage(const wchar_t* title, CDialogImpl& page) {
    OptPageEntry entry;
    entry.title = title;
    entry.page = page.CreateModeless(m_hWnd);
    if (entry.page)
        ::ShowWindow(entry.page, SW_HIDE);
    entries_.push_back(entry);
}

void COptContainerWnd::OnDestroy() {
    plasma_.Release();
    ReleaseCapture();
    SetMsgHandled(FALSE);
}

void COptContainerWnd::OnSize(UINT, SIZE size) {
    if (size.cy <= 0)
        return;
    const RECT area = plasma_.Area();
    plasma_.Release();
    plasma_.Start(m_hWnd, RECT{area.left, area.top, area.right, area.top + size.cy});
    for (const OptPageEntry& entry : entries_) {
        if (entry.page)
            ::SetWindowPos(entry.page, nullptr, kTitleColumnWidth, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void COptContainerWnd::DoPaint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH)));
    plasma_.Draw(dc);

    ScopedSelectObject selectFont(dc, font_);
    ScopedTextColor textColor(dc, RGB(255, 255, 255));
    ScopedBkMode transparent(dc, TRANSPARENT);
    int y = kFirstTitleTop;
    for (OptPageEntry& entry : entries_) {
        SIZE text{};
        ::GetTextExtentPoint32W(dc, entry.title.c_str(), static_cast<int>(entry.title.size()), &text);
        entry.hitRect = RECT{0, y - kHighlightMargin, kTitleColumnWidth, y + text.cy + kHighlightMargin};
        if (entry.selected)
            BlendRect(dc, entry.hitRect, RGB(0, 0, 0), kHighlightOpacity);
        else if (entry.hover)
            BlendRect(dc, entry.hitRect, RGB(255, 255, 255), kHighlightOpacity);
        RECT box{kTitleLeft, y, kTitleLeft + text.cx, y + text.cy};
        ::DrawTextW(dc, entry.title.c_str(), static_cast<int>(entry.title.size()), &box,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        y += text.cy + kTitleGap;
    }
}

void COptContainerWnd::OnTimer(UINT_PTR id) {
    if (id != PlasmaEffect::kTimerId) {
        SetMsgHandled(FALSE);
        return;
    }
    if (IsWindowVisible())
        plasma_.Step();
}

// The capture lets the container see the pointer leave a title even when it moves straight
// onto a page or out of the window.
void COptContainerWnd::OnMouseMove(UINT, POINT point) {
    bool anyHover = false;
    bool changed = false;
    for (OptPageEntry& entry : entries_) {
        const bool hover = ::PtInRect(&entry.hitRect, point) != FALSE;
        changed |= hover != entry.hover;
        entry.hover = hover;
        anyHover |= hover;
    }
    if (anyHover) {
        if (!HasCapture())
            SetCapture();
    } else {
        ReleaseCapture();
    }
    if (changed)
        Invalidate(false);
}

// Another window took the pointer: no title is under it any more as far as we can tell.
void COptContainerWnd::OnCaptureChanged(HWND newCapture) {
    if (newCapture != m_hWnd)
        ClearHover();
}

// Hidden when the view switches pages without the mouse (a played link): a pointer resting on
// a title must neither stay captured by a page nobody sees nor light its title later.
void COptContainerWnd::OnShowWindow(BOOL show, UINT) {
    if (!show) {
        ReleaseCapture();
        ClearHover();
    }
    SetMsgHandled(FALSE);
}

void COptContainerWnd::ClearHover() {
    bool changed = false;
    for (OptPageEntry& entry : entries_) {
        changed |= entry.hover;
        entry.hover = false;
    }
    if (changed)
        Invalidate(false);
}

void COptContainerWnd::OnLButtonDown(UINT, POINT point) {
    auto clicked = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (::PtInRect(&it->hitRect, point)) {
            clicked = it;
            break;
        }
    }
    if (clicked == entries_.end())
        return;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        it->selected = it == clicked;
        if (it->page)
            ::ShowWindow(it->page, it->selected ? SW_SHOW : SW_HIDE);
    }
    Invalidate(false);
}

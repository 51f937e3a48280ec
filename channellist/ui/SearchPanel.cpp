#include "channellist/ui/SearchPanel.h"

#include "channellist/ui/SearchEditLayout.h"
#include "framework/win/Bitmap.h"
#include "framework/win/Module.h"

#include <algorithm>

using namespace UI;

namespace {

constexpr COLORREF kFieldColour = RGB(255, 255, 255);
constexpr COLORREF kCueColour = RGB(186, 186, 186);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr int kPanelPadding = 4;

}  // namespace

CSearchEdit::CSearchEdit()
    : leftFocused(LoadDibResource(ThisModule(), kSearchLeftFocused)),
      leftUnfocused(LoadDibResource(ThisModule(), kSearchLeftUnfocused)),
      middleFocused(LoadDibResource(ThisModule(), kSearchMiddleFocused)),
      middleUnfocused(LoadDibResource(ThisModule(), kSearchMiddleUnfocused)),
      rightFocused(LoadDibResource(ThisModule(), kSearchRightFocused)),
      rightUnfocused(LoadDibResource(ThisModule(), kSearchRightUnfocused)),
      rightButtonFocused(LoadDibResource(ThisModule(), kSearchRightButtonFocused)),
      rightButtonUnfocused(LoadDibResource(ThisModule(), kSearchRightButtonUnfocused)) {}

WindowClassSpec CSearchEdit::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaSearchEdit";
    windowClass.style = 0;
    windowClass.superclassOf = L"EDIT";
    return windowClass;
}

HBITMAP CSearchEdit::Image(int resourceId) const {
    switch (resourceId) {
    case kSearchLeftFocused: return leftFocused;
    case kSearchLeftUnfocused: return leftUnfocused;
    case kSearchMiddleFocused: return middleFocused;
    case kSearchMiddleUnfocused: return middleUnfocused;
    case kSearchRightFocused: return rightFocused;
    case kSearchRightUnfocused: return rightUnfocused;
    case kSearchRightButtonFocused: return rightButtonFocused;
    case kSearchRightButtonUnfocused: return rightButtonUnfocused;
    default: return nullptr;
    }
}

void CSearchEdit::LayoutEdit() {
    if (!IsWindow()) return;
    const SearchEditLayout layout = ComputeSearchEditLayout(GetClientRect().right);
    SetWindowPos(nullptr, 0, 0, layout.size.cx, layout.size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT format = layout.format;
    SendMessage(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

int CSearchEdit::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1) return -1;
    backgroundBrush.Reset(::CreateSolidBrush(kFieldColour));
    LayoutEdit();
    if (::GetFocus() != m_hWnd) {
        focused = false;
        SetWindowText(cueText);
        showingCue = true;
    }
    return 0;
}

LRESULT CSearchEdit::OnEraseBkgnd(HDC dc) {
    PaintFrame(dc);
    return TRUE;
}

void CSearchEdit::OnPaint() {
    DefWindowProc();
    // Some edit controls (Wine's) fill their whole client area while painting the text instead
    // of leaving it to the erased background: put the frame back around the text.
    ScopedGetDC dc(m_hWnd);
    if (!dc) return;
    RECT format{};
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    ::ExcludeClipRect(dc, format.left, format.top, format.right, format.bottom);
    PaintFrame(dc);
}

void CSearchEdit::PaintFrame(HDC dc) {
    const RECT client = GetClientRect();
    const bool showsClearButton = !showingCue && !GetWindowText().empty();
    const SearchFrameImages images = ChooseSearchFrame(focused, showsClearButton);
    DrawBitmap(dc, Image(images.left), 0, 0);
    HBITMAP right = Image(images.right);
    DrawBitmap(dc, right, client.right - BitmapSize(right).cx, 0);
    HBITMAP middle = Image(images.middle);
    StretchBitmap(dc, middle,
                  RECT{kSearchLeftWidth, 0, client.right - kSearchRightWidth, BitmapSize(middle).cy});
}

void CSearchEdit::OnKeyDown(UINT, UINT, UINT) {
    // The clear button comes and goes with the text.
    Invalidate();
    DefWindowProc();
}

void CSearchEdit::OnChar(UINT character, UINT, UINT) {
    // A multi-line edit outside a dialog would take these into the keyword.
    if (character == L'\r' || character == L'\n' || character == L'\t') return;
    DefWindowProc();
}

void CSearchEdit::OnLButtonUp(UINT, POINT point) {
    const RECT button = SearchButtonRect(GetClientRect());
    // Only where the clear button is drawn: an empty field has nothing to clear or report.
    if (::PtInRect(&button, point) && !showingCue && !GetWindowText().empty()) {
        SetWindowText(L"");
        // Setting the text of a multi-line edit reports no change by itself.
        ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE),
                       reinterpret_cast<LPARAM>(m_hWnd));
        Invalidate();
    }
    DefWindowProc();
}

void CSearchEdit::OnSetFocus(HWND) {
    DefWindowProc();
    focused = true;
    if (showingCue) {
        showingCue = false;
        SetWindowText(L"");
    }
    Invalidate();
}

void CSearchEdit::OnKillFocus(HWND) {
    DefWindowProc();
    if (GetWindowText().empty()) {
        SetWindowText(cueText);
        showingCue = true;
    }
    focused = false;
    Invalidate();
}

void CSearchEdit::OnSize(UINT, SIZE) {
    DefWindowProc();
    LayoutEdit();
}

void CSearchEdit::OnSetFont(HFONT, BOOL) {
    DefWindowProc();
    LayoutEdit();
}

BOOL CSearchEdit::OnSetCursor(HWND, UINT, UINT) {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    RECT format{};
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const RECT button = SearchButtonRect(GetClientRect());
    if (!::PtInRect(&format, point) && ::PtInRect(&button, point)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    }
    return static_cast<BOOL>(DefWindowProc());
}

HBRUSH CSearchEdit::OnCtlColorEdit(HDC dc, HWND) {
    ::SetBkColor(dc, kFieldColour);
    ::SetTextColor(dc, showingCue && !focused ? kCueColour : kTextColour);
    return backgroundBrush;
}

WindowClassSpec CSearchPanel::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaSearchPanel";
    windowClass.style = 0;
    return windowClass;
}

int CSearchPanel::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1) return -1;
    font.Reset(::CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma"));
    edit.cueText = L"请输入关键字搜索";
    edit.Create(m_hWnd, RECT{0, 0, 0, 0}, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL,
                0, kEditId);
    edit.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    PlaceEdit(GetClientRect().right);
    return 0;
}

void CSearchPanel::PlaceEdit(int panelWidth) {
    if (!edit.IsWindow()) return;
    const RECT current = edit.GetWindowRect();
    edit.SetWindowPos(nullptr, kPanelPadding, kPanelPadding, std::max(0, panelWidth - 2 * kPanelPadding),
                      current.bottom - current.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSearchPanel::OnPaint() {
    ScopedPaintDC paint(m_hWnd);
    OnPrintClient(paint, 0);
}

void CSearchPanel::OnPrintClient(HDC dc, UINT) {
    const RECT client = GetClientRect();
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void CSearchPanel::OnSize(UINT, SIZE size) {
    DefWindowProc();
    PlaceEdit(size.cx);
}

void CSearchPanel::OnKeywordEdited(UINT, int, HWND) {
    // Also after pastes and cuts from the context menu, which bring no key press.
    edit.Invalidate();
    const std::wstring keyword = edit.GetWindowText();
    if (listener) listener->OnKeywordChanged(keyword);
}

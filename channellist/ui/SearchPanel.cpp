#include "channellist/ui/SearchPanel.h"

#include "channellist/ui/SearchEditLayout.h"
#include "framework/win/Bitmap.h"
#include "framework/win/Module.h"

#include <algorithm>
#include <cwchar>

using namespace UI;

namespace {

constexpr COLORREF kFieldColour = RGB(255, 255, 255);
constexpr COLORREF kCueColour = RGB(186, 186, 186);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr int kPanelPadding = 4;

bool IsLineBreakOrTab(wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }

// A keyword is one line: breaks and tabs inside the text become one space each run, those at
// its ends (a copied line brings its line break) go.
std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    bool pendingSpace = false;
    for (wchar_t c : text) {
        if (IsLineBreakOrTab(c)) {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace)
            line += L' ';
        pendingSpace = false;
        line += c;
    }
    return line;
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text.assign(chars, ::wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

}  // namespace

CSearchEdit::CSearchEdit() {
    for (int i = 0; i < kSearchImageCount; ++i)
        images_[static_cast<size_t>(i)] = LoadDibResource(ThisModule(), kSearchLeftFocused + i);
}

WindowClassSpec CSearchEdit::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaSearchEdit";
    windowClass.style = 0;
    windowClass.superclassOf = L"EDIT";
    return windowClass;
}

HBITMAP CSearchEdit::Image(int resourceId) const {
    const int index = resourceId - kSearchLeftFocused;
    return index >= 0 && index < kSearchImageCount ? images_[static_cast<size_t>(index)].Get() : nullptr;
}

void CSearchEdit::LayoutEdit() {
    if (!IsWindow())
        return;
    const SearchEditLayout layout = ComputeSearchEditLayout(GetClientRect().right);
    SetWindowPos(nullptr, 0, 0, layout.size.cx, layout.size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT format = layout.format;
    SendMessage(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

int CSearchEdit::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    backgroundBrush_.Reset(::CreateSolidBrush(kFieldColour));
    LayoutEdit();
    if (::GetFocus() != m_hWnd) {
        focused_ = false;
        SetWindowText(cueText_);
        showingCue_ = true;
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
    if (!dc)
        return;
    RECT format{};
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    ::ExcludeClipRect(dc, format.left, format.top, format.right, format.bottom);
    PaintFrame(dc);
}

void CSearchEdit::PaintFrame(HDC dc) {
    const RECT client = GetClientRect();
    const bool showsClearButton = !showingCue_ && !GetWindowText().empty();
    const SearchFrameImages images = ChooseSearchFrame(focused_, showsClearButton);
    DrawBitmap(dc, Image(images.left), 0, 0);
    HBITMAP right = Image(images.right);
    DrawBitmap(dc, right, client.right - BitmapSize(right).cx, 0);
    HBITMAP middle = Image(images.middle);
    StretchBitmap(dc, middle, RECT{kSearchLeftWidth, 0, client.right - kSearchRightWidth, BitmapSize(middle).cy});
}

void CSearchEdit::OnKeyDown(UINT key, UINT, UINT) {
    if (key == VK_DOWN) {
        ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CSearchPanel::kLeaveDownCode),
                       reinterpret_cast<LPARAM>(m_hWnd));
        return;
    }
    if (key == VK_ESCAPE) {
        ClearKeyword();
        return;
    }
    // The clear button comes and goes with the text.
    Invalidate();
    DefWindowProc();
}

void CSearchEdit::OnChar(UINT character, UINT, UINT) {
    // A multi-line edit outside a dialog would take these into the keyword.
    if (character == L'\r' || character == L'\n' || character == L'\t' || character == VK_ESCAPE)
        return;
    DefWindowProc();
}

LRESULT CSearchEdit::OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    // A one-line field has nothing to scroll: the owner scrolls the list under the pointer.
    return ::SendMessageW(GetParent(), message, wParam, lParam);
}

void CSearchEdit::ClearKeyword() {
    if (showingCue_ || GetWindowText().empty())
        return;
    SetWindowText(L"");
    // Setting the text of a multi-line edit reports no change by itself.
    ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE), reinterpret_cast<LPARAM>(m_hWnd));
    Invalidate();
}

LRESULT CSearchEdit::OnPaste(UINT, WPARAM, LPARAM, BOOL&) {
    // Typed Enter and Tab never reach the keyword, nor may pasted ones.
    const std::wstring text = OneLine(ClipboardText(m_hWnd));
    if (!text.empty())
        SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}

void CSearchEdit::OnLButtonUp(UINT, POINT point) {
    const RECT button = SearchButtonRect(GetClientRect());
    // Only where the clear button is drawn: an empty field has nothing to clear or report.
    if (::PtInRect(&button, point))
        ClearKeyword();
    DefWindowProc();
}

void CSearchEdit::OnSetFocus(HWND) {
    DefWindowProc();
    focused_ = true;
    if (showingCue_) {
        showingCue_ = false;
        SetWindowText(L"");
    }
    Invalidate();
}

void CSearchEdit::OnKillFocus(HWND) {
    DefWindowProc();
    if (GetWindowText().empty()) {
        SetWindowText(cueText_);
        showingCue_ = true;
    }
    focused_ = false;
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
    ::SetTextColor(dc, showingCue_ && !focused_ ? kCueColour : kTextColour);
    return backgroundBrush_;
}

WindowClassSpec CSearchPanel::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaSearchPanel";
    windowClass.style = 0;
    return windowClass;
}

int CSearchPanel::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    font_.Reset(::CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma"));
    edit_.SetCueText(L"请输入关键字搜索");
    edit_.Create(m_hWnd, RECT{0, 0, 0, 0}, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL, 0,
                 kEditId);
    edit_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    PlaceEdit(GetClientRect().right);
    return 0;
}

void CSearchPanel::PlaceEdit(int panelWidth) {
    if (!edit_.IsWindow())
        return;
    const RECT current = edit_.GetWindowRect();
    edit_.SetWindowPos(nullptr, kPanelPadding, kPanelPadding, std::max(0, panelWidth - 2 * kPanelPadding),
                       current.bottom - current.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSearchPanel::DoPaint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void CSearchPanel::OnSize(UINT, SIZE size) {
    DefWindowProc();
    PlaceEdit(size.cx);
}

void CSearchPanel::OnLeaveDown(UINT, int, HWND) {
    if (listener_)
        listener_->OnMoveToResults();
}

void CSearchPanel::OnKeywordEdited(UINT, int, HWND) {
    // Also after pastes and cuts from the context menu, which bring no key press.
    edit_.Invalidate();
    const std::wstring keyword = edit_.GetWindowText();
    if (listener_)
        listener_->OnKeywordChanged(keyword);
}

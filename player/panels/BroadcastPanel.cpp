#include "player/panels/BroadcastPanel.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "player/panels/CreateChannelDlg.h"

namespace {

struct CommandButton {
    int id;
    const wchar_t* caption;
    RECT place;
};

const CommandButton kCommandButtons[] = {
    {CBCastCmdPanel::kCreateButtonId, L"创建频道", {10, 4, 100, 28}},
    {CBCastCmdPanel::kStartButtonId, L"启动频道", {104, 4, 194, 28}},
    {CBCastCmdPanel::kDeleteButtonId, L"删除频道", {198, 4, 288, 28}},
};

// Header texts of the broadcast list; a width of 0 fits the column to its header.
struct ListColumn {
    const wchar_t* header;
    int width;
};

const ListColumn kListColumns[CBCastListCtrl::kColumnCount] = {
    {L"序号", 50}, {L"状态", 100}, {L"类型", 100}, {L"频道ID", 0},     {L"比特率", 0}, {L"分类", 0},
    {L"描述", 0},  {L"URL", 0},    {L"源路径", 0}, {L"频道服务器", 0}, {L"端口", 0},
};

}  // namespace

// ---- CBCastCmdPanel ----

WindowClassSpec CBCastCmdPanel::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaBCastCmdPanel"}; }

int CBCastCmdPanel::OnCreate(CREATESTRUCTW*) {
    // Only the height is the bar's own. An empty face name would pick the raster system font,
    // which has no Chinese glyphs outside Chinese systems; the GUI font's face falls back to
    // fonts that have them.
    LOGFONTW guiFont{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(guiFont), &guiFont);
    LOGFONTW look{};
    look.lfHeight = -15;
    look.lfCharSet = DEFAULT_CHARSET;
    std::copy(std::begin(guiFont.lfFaceName), std::end(guiFont.lfFaceName), look.lfFaceName);
    font_.Reset(::CreateFontIndirectW(&look));
    for (const CommandButton& button : kCommandButtons) {
        const RECT& place = button.place;
        HWND created =
            ::CreateWindowExW(0, L"BUTTON", button.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                              place.left, place.top, place.right - place.left, place.bottom - place.top, m_hWnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), nullptr, nullptr);
        if (created && font_)
            ::SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    return 0;
}

void CBCastCmdPanel::DoPaint(HDC dc, const RECT& client) {
    ScopedBrush background(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &client, background);
}

void CBCastCmdPanel::OnCreateClicked(UINT, int, HWND) {
    if (listener_)
        listener_->OnCreateChannel();
}

// ---- CBCastListCtrl ----

WindowClassSpec CBCastListCtrl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaBCastList";
    windowClass.superclassOf = WC_LISTVIEWW;
    return windowClass;
}

int CBCastListCtrl::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    for (int index = 0; index < kColumnCount; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<wchar_t*>(kListColumns[index].header);
        column.cx = kListColumns[index].width;
        column.iSubItem = index;
        SendMessage(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    // Fitted by hand: the list view's own header fit leaves the header's text margins out on
    // some systems, and stretches the last column over the rest of the (still empty) list.
    const int headerMargins = 6 * ::GetSystemMetrics(SM_CXEDGE);
    for (int index = 0; index < kColumnCount; ++index) {
        if (kListColumns[index].width != 0)
            continue;
        const int textWidth =
            static_cast<int>(SendMessage(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kListColumns[index].header)));
        SendMessage(LVM_SETCOLUMNWIDTH, index, MAKELPARAM(textWidth + headerMargins, 0));
    }
    return 0;
}

// ---- CBroadcastPanel ----

WindowClassSpec CBroadcastPanel::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaBroadcastPanel"}; }

HWND CBroadcastPanel::Create(HWND parent) {
    return Create(parent, RECT{}, L"TBCastPanel", WS_CHILD | WS_CLIPCHILDREN, 0, kWindowId);
}

int CBroadcastPanel::OnCreate(CREATESTRUCTW*) {
    // The list is a list view: make sure its window class exists even when the program has not
    // registered the common controls yet.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    cmdPanel_.SetListener(this);
    cmdPanel_.Create(m_hWnd, RECT{}, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, kCmdPanelId);
    list_.Create(m_hWnd, RECT{}, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0, kListId);
    return 0;
}

void CBroadcastPanel::OnSize(UINT, SIZE size) {
    if (cmdPanel_.IsWindow())
        cmdPanel_.MoveWindow(RECT{0, 0, size.cx, kCmdPanelHeight});
    if (list_.IsWindow())
        list_.MoveWindow(RECT{0, kListTop, size.cx, size.cy > kListTop ? size.cy : kListTop});
}

void CBroadcastPanel::OnCreateChannel() {
    // Modal on its own, without an owner; the form has no result to act on.
    CCreateChannelDlg dialog;
    dialog.DoModal(nullptr);
}

void CBroadcastPanel::DoPaint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
}

// The menu of a channel row, from the right button or the keyboard, and its commands: play,
// and add to or remove from the favourites through the owner's pending changes.
#include "channellist/ui/ChannelTreeCtrl.h"

#include "framework/win/ScopedHandle.h"

namespace UI {

void CChannelTreeCtrl::OnRButtonDown(UINT, POINT point) {
    if (!InClient(point))
        return;
    OnRowRightClick(GetScrollPosition() + point.y / ROW_HEIGHT);
}

void CChannelTreeCtrl::OnRowRightClick(int row) {
    const MSG* message = GetCurrentMessage();
    POINT point = message ? PointFromLParam(message->lParam) : POINT{};
    ::ClientToScreen(m_hWnd, &point);
    ShowRowMenu(row, point);
}

void CChannelTreeCtrl::OnContextMenu(HWND, POINT screenPoint) {
    // The mouse's menu came with the button press; this one is the keyboard's.
    if (screenPoint.x == -1 && screenPoint.y == -1)
        ShowSelectedRowMenu();
}

void CChannelTreeCtrl::OnKeyUp(UINT key, UINT, UINT) {
    // The menu key's menu came with the press: no second one from the default handling.
    if (key != VK_APPS)
        SetMsgHandled(FALSE);
}

LRESULT CChannelTreeCtrl::OnSysKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0)
        ShowSelectedRowMenu();
    else
        handled = FALSE;  // F10 and Alt keys work the container's menus
    return 0;
}

void CChannelTreeCtrl::ShowSelectedRowMenu() {
    if (!IsShownInTopLevel())
        return;  // the keys of a list nobody sees
    const int row = SelectedRow();
    POINT point{kChannelTextLeft, (row - GetScrollPosition() + 1) * ROW_HEIGHT};
    ::ClientToScreen(m_hWnd, &point);
    ShowRowMenu(row, point);
}

HMENU CChannelTreeCtrl::CreateRowMenu(int row) {
    CChannelTreeNode* node = GetNodeAt(row, nullptr);
    if (!node || node->IsCatalog())
        return nullptr;
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    ::AppendMenuW(menu, MF_STRING, kPlayCommand, L"播放");
    if (pending_) {
        // The user's last choice, written or not.
        const bool favorite = pending_->IsFavorite(static_cast<const CChannelNode*>(node)->Info());
        ::AppendMenuW(menu, MF_STRING, favorite ? kRemoveFavoriteCommand : kAddFavoriteCommand,
                      favorite ? L"从我的收藏中移除" : L"添加到我的收藏");
    }
    return menu;
}

void CChannelTreeCtrl::ShowRowMenu(int row, POINT screenPoint) {
    ScopedMenu menu(CreateRowMenu(row));
    if (!menu)
        return;
    // The menu's loop runs timers and posted messages, which may replace the rows meanwhile:
    // the command goes to the row's channel as found again afterwards.
    const RowIdentity channel = rows_.IdentityAt(row);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                            screenPoint.x, screenPoint.y, 0, m_hWnd, nullptr));
    menu.Reset();
    RunRowCommand(channel, command);
}

void CChannelTreeCtrl::RunRowCommand(int row, UINT command) { RunRowCommand(rows_.IdentityAt(row), command); }

void CChannelTreeCtrl::RunRowCommand(const RowIdentity& row, UINT command) {
    CChannelTreeNode* node = rows_.NodeOf(row);
    if (!node || node->IsCatalog())
        return;
    if (command == kPlayCommand) {
        Open(row, *node);
        return;
    }
    if ((command != kAddFavoriteCommand && command != kRemoveFavoriteCommand) || !pending_)
        return;
    pending_->ChoseFavorite(static_cast<const CChannelNode*>(node)->Info(), command == kAddFavoriteCommand);
    // The owner reloads the favourites, which may be this very list: nothing after this.
    if (listener_)
        listener_->OnFavoritesChanged();
}

}  // namespace UI

#include "player/panels/NaviPanel.h"

#include "framework/win/DoubleBuffer.h"

namespace {

// The skin when it holds a navigation strip; a skin that failed to load one has height 0.
const CSkin* NaviSkin() {
    const CSkin* skin = CSkin::Instance();
    return skin && skin->NaviHeight() > 0 ? skin : nullptr;
}

}  // namespace

WindowClassSpec CNaviPanel::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaNaviPanel"}; }

bool CNaviPanel::Create(HWND parent, INaviListener* listener) {
    listener_ = listener;
    const CSkin* skin = NaviSkin();
    if (!skin ||
        !Create(parent, RECT{0, 0, 0, skin->NaviHeight()}, nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, kWindowId)) {
        listener_ = nullptr;
        return false;
    }
    return true;
}

int CNaviPanel::OnCreate(CREATESTRUCTW*) {
    font_.Reset(::CreateFontW(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SCRIPT, L"Tahoma"));
    return 0;
}

void CNaviPanel::AddItem(const std::wstring& text, int id) {
    const CSkin* skin = NaviSkin();
    if (!skin)
        return;
    SIZE extent{};
    {
        ScopedGetDC dc(m_hWnd);
        ScopedSelectObject font(dc, font_);
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }
    int left = skin->NaviGap();
    for (const Item& item : items_)
        left += item.rect.right - item.rect.left + skin->NaviGap();
    const RECT rect{left, 0, left + extent.cx + 2 * skin->CaptionTextLeft(), skin->NaviHeight()};
    items_.push_back(Item{text, rect, id, false, false});
}

void CNaviPanel::SetWidth(int width) {
    if (!IsWindow())
        return;
    const RECT window = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, width > 0 ? width : 0, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CNaviPanel::SelectPlayItem() {
    // The page changes without the mouse, so the pointer's last look and capture are stale.
    EndHover();
    bool newlySelected = false;
    for (Item& item : items_) {
        if (item.id == kPlayItemId) {
            if (!item.selected) {
                item.selected = true;
                newlySelected = true;
                InvalidateItem(item);
            }
        } else if (item.selected) {
            item.selected = false;
            InvalidateItem(item);
        }
    }
    // Told once the strip is consistent again.
    if (!newlySelected)
        return;
    for (size_t index = 0; index < items_.size(); ++index)
        if (items_[index].id == kPlayItemId)
            accessible_.AnnounceSelection(index);
    if (listener_)
        listener_->OnNaviSelect(kPlayItemId);
}

bool CNaviPanel::ReadyToPaint() const { return NaviSkin() != nullptr; }

void CNaviPanel::DoPaint(HDC dc, const RECT& client) {
    const CSkin* skin = NaviSkin();
    skin->Tab(Look::Normal).Draw(dc, client);
    for (const Item& item : items_) {
        if (item.selected)
            skin->Tab(Look::Active).Draw(dc, item.rect);
        DrawText(dc, *skin, item);
    }
}

void CNaviPanel::DrawText(HDC dc, const CSkin& skin, const Item& item) const {
    ScopedSelectObject font(dc, font_);
    ScopedTextColor color(dc, RGB(255, 255, 255));
    ScopedBkMode mode(dc, TRANSPARENT);
    RECT area{item.rect.left + skin.CaptionTextLeft(), skin.CaptionTextTop(), item.rect.right, item.rect.bottom};
    ::DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &area,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void CNaviPanel::DrawItem(HDC dc, const CSkin& skin, const Item& item, Look look) const {
    skin.Tab(look).Draw(dc, item.rect);
    DrawText(dc, skin, item);
}

void CNaviPanel::DrawItemNow(const Item& item, Look look) {
    const CSkin* skin = NaviSkin();
    if (!skin)
        return;
    ScopedGetDC dc(m_hWnd);
    if (dc)
        DrawItem(dc, *skin, item, look);
}

void CNaviPanel::InvalidateItem(const Item& item) {
    if (IsWindow())
        ::InvalidateRect(m_hWnd, &item.rect, FALSE);
}

void CNaviPanel::EndHover() {
    for (Item& item : items_) {
        if (item.hover) {
            item.hover = false;
            InvalidateItem(item);
        }
    }
    ReleaseCapture();
}

void CNaviPanel::OnShowWindow(BOOL show, UINT) {
    if (!show)
        EndHover();
    SetMsgHandled(FALSE);
}

void CNaviPanel::OnMouseMove(UINT, POINT point) {
    bool overItem = false;
    for (Item& item : items_) {
        if (::PtInRect(&item.rect, point)) {
            DrawItemNow(item, item.selected ? Look::ActiveHover : Look::Hover);
            item.hover = true;
            overItem = true;
        } else if (item.hover) {
            item.hover = false;
            InvalidateItem(item);
        }
    }
    // Holding the capture while over an item lets the strip see the pointer leave it.
    if (overItem)
        SetCapture();
    else
        ReleaseCapture();
    SetMsgHandled(FALSE);
}

void CNaviPanel::OnLButtonDown(UINT, POINT point) {
    for (Item& item : items_) {
        if (::PtInRect(&item.rect, point)) {
            DrawItemNow(item, Look::Down);
            item.hover = true;
        } else if (item.hover) {
            item.hover = false;
            InvalidateItem(item);
        }
    }
    SetMsgHandled(FALSE);
}

void CNaviPanel::OnLButtonUp(UINT, POINT point) {
    size_t clicked = items_.size();
    for (size_t index = 0; index < items_.size(); ++index) {
        if (items_[index].hover && ::PtInRect(&items_[index].rect, point)) {
            clicked = index;
            break;
        }
    }
    if (clicked < items_.size())
        ChooseItem(clicked);
    SetMsgHandled(FALSE);
}

void CNaviPanel::ChooseItem(size_t clicked) {
    items_[clicked].selected = true;
    DrawItemNow(items_[clicked], Look::Active);
    accessible_.AnnounceSelection(clicked);
    // Told even when the item was selected already: the owner shows its page again.
    if (listener_)
        listener_->OnNaviSelect(items_[clicked].id);
    for (size_t index = 0; index < items_.size(); ++index) {
        if (index != clicked && items_[index].selected) {
            items_[index].selected = false;
            InvalidateItem(items_[index]);
        }
    }
}

#pragma once
// The skinned tab strip along the top of the player view. Items are drawn from the skin's
// "navipanel" pictures; a click selects one item and reports its id to the listener.
#include <string>
#include <vector>

#include "common/skin/Skin.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"
#include "player/panels/NaviPanelAccessible.h"

class INaviListener {
public:
    virtual void OnNaviSelect(int id) = 0;

protected:
    ~INaviListener() = default;
};

class CNaviPanel : public CWindowImpl, private CDoubleBufferImpl {
public:
    static constexpr int kWindowId = 1009;
    static constexpr int kPlayItemId = 11;

    struct Item {
        std::wstring text;
        RECT rect;  // client coordinates
        int id;
        bool hover;  // the pointer is over the item, or it was pressed
        bool selected;
    };

    using CWindowImpl::Create;
    // Creates the hidden strip as child kWindowId of parent, as high as the skin's strip and
    // 0 wide. False when the skin has no navigation strip or the window cannot be made; the
    // listener (not owned, may be null) is then dropped.
    bool Create(HWND parent, INaviListener* listener);

    // Appends an item after the existing ones, as wide as its text plus the caption margins.
    // Ignored when the skin has no navigation strip.
    void AddItem(const std::wstring& text, int id);
    // Resizes to the given width, keeping height, position and z-order.
    void SetWidth(int width);
    // Selects the play item (id kPlayItemId) and tells the listener, unless it is selected
    // already; every other item is deselected.
    void SelectPlayItem();

    const std::vector<Item>& Items() const { return items_; }

    BEGIN_MSG_MAP(CNaviPanel)
        MSG_WM_GETOBJECT(accessible_)
        MSG_WM_CREATE(OnCreate)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_MOUSEMOVE(OnMouseMove)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_SHOWWINDOW(OnShowWindow)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    using Look = CSkin::TabLook;

    int OnCreate(CREATESTRUCTW* create);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnShowWindow(BOOL show, UINT status);

    bool ReadyToPaint() const override;
    void DoPaint(HDC dc, const RECT& client) override;
    void DrawText(HDC dc, const CSkin& skin, const Item& item) const;
    void DrawItem(HDC dc, const CSkin& skin, const Item& item, Look look) const;
    // Draws an item straight onto the window, outside of painting.
    void DrawItemNow(const Item& item, Look look);
    void InvalidateItem(const Item& item);
    // Forgets where the pointer was: no item keeps the pointer's look and the capture goes.
    void EndHover();
    // What a click on the item does: it becomes the selected one and the listener hears of it.
    void ChooseItem(size_t index);

    std::vector<Item> items_;
    INaviListener* listener_ = nullptr;
    ScopedFont font_;
    friend class CNaviPanelAccessible;  // chooses items
    CNaviPanelAccessible accessible_{*this};
};

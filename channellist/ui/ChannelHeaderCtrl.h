#pragma once
// The 20-pixel bar above each channel list: caption with a count, a right-aligned column title
// and an arrow over the skin's header background. Clicks go to the owner, which decides what
// they do.
#include "channellist/ui/WidgetAccessible.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

#include <string>

namespace UI {

class IChannelHeaderCtrlListener {
public:
    // id is the header window's control id.
    virtual void OnHeaderClicked(int id) = 0;

protected:
    ~IChannelHeaderCtrlListener() = default;
};

class CChannelHeaderCtrl : public CWindowImpl, private CDoubleBufferImpl {
public:
    void SetListener(IChannelHeaderCtrlListener* listener) { listener_ = listener; }
    // Caption and count both show as "caption(count)", in the bar and as the window text (for
    // accessibility tools); a change repaints the bar.
    void SetCaption(const std::wstring& text);
    void SetCount(int count);
    void SetRightText(const std::wstring& text);
    // The owner's mark on the bar of its open section.
    void ToggleArrow();
    // What a click on the bar does: the listener hears of it.
    void Click();

    const std::wstring& DisplayText() const { return displayText_; }
    const std::wstring& RightText() const { return rightText_; }
    bool IsPressed() const { return pressed_; }
    // Where the last paint put the right text.
    int RightTextLeft() const { return rightTextLeft_; }

    BEGIN_MSG_MAP(CChannelHeaderCtrl)
        MSG_WM_GETOBJECT(accessible_)
        MSG_WM_CREATE(OnCreate)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_MOUSEMOVE(OnMouseMove)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnLButtonDown(UINT keys, POINT point);
    void OnLButtonUp(UINT keys, POINT point);
    void OnMouseMove(UINT keys, POINT point);
    bool ReadyToPaint() const override;
    void DoPaint(HDC dc, const RECT& client) override;
    // The window follows a change of the displayed text.
    void ShowDisplayText();

    IChannelHeaderCtrlListener* listener_ = nullptr;  // not owned
    std::wstring caption_;
    int count_ = 0;
    std::wstring displayText_;  // what is drawn on the left
    std::wstring rightText_;
    ScopedFont font_;
    bool arrowUp_ = false;
    bool pressed_ = false;
    int rightTextLeft_ = 0;  // recorded at each paint
    CChannelHeaderAccessible accessible_{*this};
};

}  // namespace UI

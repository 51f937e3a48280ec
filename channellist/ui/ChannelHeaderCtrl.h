#pragma once
// The 20-pixel bar above each channel list: caption with a count, a right-aligned column title
// and an arrow over the skin's header background. Clicks go to the owner, which decides what
// they do.
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

class CChannelHeaderCtrl : public CWindowImpl {
public:
    // "%s(%d)": the caption followed by the count in brackets.
    static std::wstring FormatDisplayText(const std::wstring& caption, int count);

    void SetCaption(const std::wstring& text);
    void SetRightText(const std::wstring& text);

    IChannelHeaderCtrlListener* listener = nullptr;   // set by the owner; not owned
    int leftMargin = 4;     // caption from the left edge, and arrow from the right edge
    int topMargin = 2;      // texts from the top edge
    std::wstring caption;
    std::wstring displayText;   // what is drawn on the left
    std::wstring rightText;
    ScopedFont font;
    bool arrowUp = false;
    bool pressed = false;
    int rightTextLeft = 0;  // recorded at each paint
    bool shown = false;     // owner's layout state
    int count = 0;

    BEGIN_MSG_MAP(CChannelHeaderCtrl)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_ERASEBKGND_SUPPRESS()
        MSG_WM_PAINT(OnPaint)
        MSG_WM_PRINTCLIENT(OnPrintClient)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_MOUSEMOVE(OnMouseMove)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnPaint();
    void OnPrintClient(HDC dc, UINT flags);
    void OnLButtonDown(UINT keys, POINT point);
    void OnLButtonUp(UINT keys, POINT point);
    void OnMouseMove(UINT keys, POINT point);
    void Paint(HDC dc);
};

}  // namespace UI

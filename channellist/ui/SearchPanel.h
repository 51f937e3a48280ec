#pragma once
// The search box at the top of the channel list: a black strip holding a skinned, rounded
// edit with a magnifier, a grey cue text while empty and unfocused, and a clear button while
// it holds text. Every change of the text goes to the listener at once.
#include "channellist/ui/SearchEditLayout.h"
#include "channellist/ui/WidgetAccessible.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

#include <array>
#include <string>
#include <utility>

class IKeywordChgListener {
public:
    // keyword is the whole current text of the search field, possibly empty.
    virtual void OnKeywordChanged(std::wstring keyword) = 0;
    // Down in the search field: the owner moves the focus to the results.
    virtual void OnMoveToResults() {}

protected:
    ~IKeywordChgListener() = default;
};

// Multi-line only so that the text can be kept inside the frame with a formatting rectangle;
// it takes no line breaks or tabs.
class CSearchEdit : public CWindowImpl {
public:
    CSearchEdit();  // loads the frame bitmaps from this module's resources

    BEGIN_MSG_MAP(CSearchEdit)
        MSG_WM_GETOBJECT(accessible_)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_ERASEBKGND(OnEraseBkgnd)
        MSG_WM_PAINT(OnPaint)
        MSG_WM_KEYDOWN(OnKeyDown)
        MSG_WM_CHAR(OnChar)
        MESSAGE_HANDLER(WM_PASTE, OnPaste)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_SETFOCUS(OnSetFocus)
        MSG_WM_KILLFOCUS(OnKillFocus)
        MSG_WM_SIZE(OnSize)
        MSG_WM_SETFONT(OnSetFont)
        MSG_WM_SETCURSOR(OnSetCursor)
        MSG_REFLECTED_CTLCOLOR(WM_CTLCOLOREDIT, OnCtlColorEdit)
    END_MSG_MAP()

    void LayoutEdit();
    // Shown while the field is empty and unfocused; set before the edit is created.
    void SetCueText(std::wstring text) { cueText_ = std::move(text); }

    bool Focused() const { return focused_; }
    // The window text is the cue text.
    bool ShowingCue() const { return showingCue_; }
    HBRUSH BackgroundBrush() const { return backgroundBrush_; }

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    LRESULT OnEraseBkgnd(HDC dc);
    void OnPaint();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT character, UINT repeat, UINT flags);
    LRESULT OnPaste(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Empties the field and reports the empty keyword, as the clear button does.
    void ClearKeyword();
    void OnLButtonUp(UINT keys, POINT point);
    void OnSetFocus(HWND previous);
    void OnKillFocus(HWND next);
    void OnSize(UINT type, SIZE size);
    void OnSetFont(HFONT font, BOOL redraw);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    HBRUSH OnCtlColorEdit(HDC dc, HWND control);

    HBITMAP Image(int resourceId) const;
    void PaintFrame(HDC dc);

    // The frame pieces, by resource id from kSearchLeftFocused on.
    std::array<ScopedBitmap, UI::kSearchImageCount> images_;
    bool focused_ = false;
    ScopedBrush backgroundBrush_;
    std::wstring cueText_;
    bool showingCue_ = false;

    friend class CSearchEditAccessible;  // presses the clear button
    CSearchEditAccessible accessible_{*this};
};

class CSearchPanel : public CWindowImpl, private CDoubleBufferImpl {
public:
    static constexpr int kEditId = 1001;
    // Sent by the edit when Down is pressed in it.
    static constexpr UINT kLeaveDownCode = 0x7F01;

    // Set by the owner before the panel is created; not owned.
    void SetListener(IKeywordChgListener* listener) { listener_ = listener; }
    CSearchEdit& Edit() { return edit_; }

    BEGIN_MSG_MAP(CSearchPanel)
        MSG_WM_CREATE(OnCreate)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_SIZE(OnSize)
        COMMAND_HANDLER_EX(kEditId, EN_CHANGE, OnKeywordEdited)
        COMMAND_HANDLER_EX(kEditId, kLeaveDownCode, OnLeaveDown)
        REFLECT_COLOR_MESSAGES()
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void DoPaint(HDC dc, const RECT& client) override;
    void OnSize(UINT type, SIZE size);
    void OnKeywordEdited(UINT code, int id, HWND control);
    void OnLeaveDown(UINT code, int id, HWND control);
    void PlaceEdit(int panelWidth);

    CSearchEdit edit_;
    ScopedFont font_;
    IKeywordChgListener* listener_ = nullptr;  // not owned
};

#pragma once
// Message map macros for CWindowImpl classes:
//
//   BEGIN_MSG_MAP(CMyWindow)
//       MSG_WM_CREATE(OnCreate)
//       MSG_WM_SIZE(OnSize)
//       MESSAGE_HANDLER(WM_APP_REFRESH, OnRefresh)
//       CHAIN_MSG_MAP(CBaseWindow)
//   END_MSG_MAP()
//
// Entries are tried in order; the first that handles the message ends the search. A typed
// handler counts as handled unless it calls SetMsgHandled(FALSE); unhandled messages get
// the default processing of the window (DefWindowProc or the subclassed control's procedure).
#include "framework/win/Window.h"

inline POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

#define BEGIN_MSG_MAP(theClass)                                                                                \
public:                                                                                                        \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override { \
        (void)hWnd;                                                                                            \
        (void)wParam;                                                                                          \
        (void)lParam;                                                                                          \
        (void)lResult;

#define END_MSG_MAP() \
    return FALSE;     \
    }

// Tries the map of a base class.
#define CHAIN_MSG_MAP(baseClass)                                              \
    if (baseClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) \
        return TRUE;

// Generic: LRESULT func(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
#define MESSAGE_HANDLER(msg, func)                      \
    if (uMsg == (msg)) {                                \
        BOOL bHandled = TRUE;                           \
        lResult = func(uMsg, wParam, lParam, bHandled); \
        if (bHandled)                                   \
            return TRUE;                                \
    }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)  \
    if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {      \
        BOOL bHandled = TRUE;                           \
        lResult = func(uMsg, wParam, lParam, bHandled); \
        if (bHandled)                                   \
            return TRUE;                                \
    }

// Typed handlers. TROVA_MSG_CALL runs `call` with the handled flag preset to TRUE.
#define TROVA_MSG_CALL(msg, call, value) \
    if (uMsg == (msg)) {                 \
        SetMsgHandled(TRUE);             \
        call;                            \
        lResult = (value);               \
        if (IsMsgHandled())              \
            return TRUE;                 \
    }

#define TROVA_MSG_RESULT(msg, expr)           \
    if (uMsg == (msg)) {                      \
        SetMsgHandled(TRUE);                  \
        lResult = static_cast<LRESULT>(expr); \
        if (IsMsgHandled())                   \
            return TRUE;                      \
    }

// int OnCreate(CREATESTRUCTW*): 0 to continue, -1 to fail the creation
#define MSG_WM_CREATE(func) TROVA_MSG_RESULT(WM_CREATE, func(reinterpret_cast<CREATESTRUCTW*>(lParam)))
// void OnDestroy()
#define MSG_WM_DESTROY(func) TROVA_MSG_CALL(WM_DESTROY, func(), 0)
// void OnClose()
#define MSG_WM_CLOSE(func) TROVA_MSG_CALL(WM_CLOSE, func(), 0)
// void OnSize(UINT type, SIZE size)
#define MSG_WM_SIZE(func) \
    TROVA_MSG_CALL(WM_SIZE, func(static_cast<UINT>(wParam), SIZE{(short)LOWORD(lParam), (short)HIWORD(lParam)}), 0)
// void OnMove(POINT topLeft)
#define MSG_WM_MOVE(func) TROVA_MSG_CALL(WM_MOVE, func(PointFromLParam(lParam)), 0)
// void OnShowWindow(BOOL show, UINT status)
#define MSG_WM_SHOWWINDOW(func) \
    TROVA_MSG_CALL(WM_SHOWWINDOW, func(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)), 0)
// void OnGetMinMaxInfo(MINMAXINFO*)
#define MSG_WM_GETMINMAXINFO(func) TROVA_MSG_CALL(WM_GETMINMAXINFO, func(reinterpret_cast<MINMAXINFO*>(lParam)), 0)
// void OnWindowPosChanged(WINDOWPOS*)
#define MSG_WM_WINDOWPOSCHANGED(func) TROVA_MSG_CALL(WM_WINDOWPOSCHANGED, func(reinterpret_cast<WINDOWPOS*>(lParam)), 0)
// void OnActivate(UINT state, BOOL minimized, HWND other)
#define MSG_WM_ACTIVATE(func) \
    TROVA_MSG_CALL(WM_ACTIVATE, func(LOWORD(wParam), HIWORD(wParam) != 0, reinterpret_cast<HWND>(lParam)), 0)
// void OnPaint()
#define MSG_WM_PAINT(func) TROVA_MSG_CALL(WM_PAINT, func(), 0)
// LRESULT OnEraseBkgnd(HDC dc): nonzero when the background was erased
#define MSG_WM_ERASEBKGND(func) TROVA_MSG_RESULT(WM_ERASEBKGND, func(reinterpret_cast<HDC>(wParam)))
// Owner-drawn windows that paint their whole client area: erase nothing, report nothing erased.
#define MSG_WM_ERASEBKGND_SUPPRESS() \
    if (uMsg == WM_ERASEBKGND) {     \
        lResult = 0;                 \
        return TRUE;                 \
    }
// void OnTimer(UINT_PTR id)
#define MSG_WM_TIMER(func) TROVA_MSG_CALL(WM_TIMER, func(static_cast<UINT_PTR>(wParam)), 0)

// Mouse: void OnXxx(UINT keyFlags, POINT clientPoint)
#define MSG_WM_MOUSEMOVE(func) TROVA_MSG_CALL(WM_MOUSEMOVE, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_LBUTTONDOWN(func) \
    TROVA_MSG_CALL(WM_LBUTTONDOWN, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_LBUTTONUP(func) TROVA_MSG_CALL(WM_LBUTTONUP, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_LBUTTONDBLCLK(func) \
    TROVA_MSG_CALL(WM_LBUTTONDBLCLK, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_RBUTTONDOWN(func) \
    TROVA_MSG_CALL(WM_RBUTTONDOWN, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_RBUTTONUP(func) TROVA_MSG_CALL(WM_RBUTTONUP, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
#define MSG_WM_RBUTTONDBLCLK(func) \
    TROVA_MSG_CALL(WM_RBUTTONDBLCLK, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)
// void OnMouseLeave()  (after TrackMouseEvent with TME_LEAVE)
#define MSG_WM_MOUSELEAVE(func) TROVA_MSG_CALL(WM_MOUSELEAVE, func(), 0)
// void OnMouseWheel(UINT keyFlags, short delta, POINT screenPoint)
#define MSG_WM_MOUSEWHEEL(func) \
    TROVA_MSG_CALL(WM_MOUSEWHEEL, func(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), PointFromLParam(lParam)), 0)
// void OnCaptureChanged(HWND newCapture)
#define MSG_WM_CAPTURECHANGED(func) TROVA_MSG_CALL(WM_CAPTURECHANGED, func(reinterpret_cast<HWND>(lParam)), 0)
// BOOL OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage): TRUE when the cursor was set
#define MSG_WM_SETCURSOR(func) \
    TROVA_MSG_RESULT(WM_SETCURSOR, func(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)))
// UINT OnNcHitTest(POINT screenPoint)
#define MSG_WM_NCHITTEST(func) TROVA_MSG_RESULT(WM_NCHITTEST, func(PointFromLParam(lParam)))
// void OnContextMenu(HWND window, POINT screenPoint)
#define MSG_WM_CONTEXTMENU(func) \
    TROVA_MSG_CALL(WM_CONTEXTMENU, func(reinterpret_cast<HWND>(wParam), PointFromLParam(lParam)), 0)

// Scrolling: void OnVScroll(int code, int thumbPosition, HWND scrollBar)
// thumbPosition is the message's unsigned 16-bit word, 0 .. 65535: a scroll bar with a longer
// range gives its whole thumb position only through GetScrollInfo with SIF_TRACKPOS.
#define MSG_WM_VSCROLL(func) \
    TROVA_MSG_CALL(          \
        WM_VSCROLL,          \
        func(static_cast<int>(LOWORD(wParam)), static_cast<int>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam)), 0)
#define MSG_WM_HSCROLL(func) \
    TROVA_MSG_CALL(          \
        WM_HSCROLL,          \
        func(static_cast<int>(LOWORD(wParam)), static_cast<int>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam)), 0)

// Keyboard and focus
// void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags)
#define MSG_WM_KEYDOWN(func) \
    TROVA_MSG_CALL(WM_KEYDOWN, func(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)), 0)
#define MSG_WM_KEYUP(func) TROVA_MSG_CALL(WM_KEYUP, func(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)), 0)
#define MSG_WM_CHAR(func) TROVA_MSG_CALL(WM_CHAR, func(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)), 0)
// void OnSetFocus(HWND previous) / void OnKillFocus(HWND next)
#define MSG_WM_SETFOCUS(func) TROVA_MSG_CALL(WM_SETFOCUS, func(reinterpret_cast<HWND>(wParam)), 0)
#define MSG_WM_KILLFOCUS(func) TROVA_MSG_CALL(WM_KILLFOCUS, func(reinterpret_cast<HWND>(wParam)), 0)
// void OnSetFont(HFONT font, BOOL redraw)
#define MSG_WM_SETFONT(func) \
    TROVA_MSG_CALL(WM_SETFONT, func(reinterpret_cast<HFONT>(wParam), static_cast<BOOL>(LOWORD(lParam))), 0)

// Commands and notifications
// void OnCommand(UINT notifyCode, int id, HWND control)
#define MSG_WM_COMMAND(func)                                                                                           \
    TROVA_MSG_CALL(WM_COMMAND, func(HIWORD(wParam), static_cast<int>(LOWORD(wParam)), reinterpret_cast<HWND>(lParam)), \
                   0)
// void func(UINT notifyCode, int id, HWND control) for one control id and notification code
#define COMMAND_HANDLER_EX(id, code, func)                                                      \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {             \
        SetMsgHandled(TRUE);                                                                    \
        func(HIWORD(wParam), static_cast<int>(LOWORD(wParam)), reinterpret_cast<HWND>(lParam)); \
        lResult = 0;                                                                            \
        if (IsMsgHandled())                                                                     \
            return TRUE;                                                                        \
    }
// void func(UINT notifyCode, int id, HWND control) for one control or menu id
#define COMMAND_ID_HANDLER_EX(id, func)                                                         \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                         \
        SetMsgHandled(TRUE);                                                                    \
        func(HIWORD(wParam), static_cast<int>(LOWORD(wParam)), reinterpret_cast<HWND>(lParam)); \
        lResult = 0;                                                                            \
        if (IsMsgHandled())                                                                     \
            return TRUE;                                                                        \
    }
// LRESULT OnNotify(int id, NMHDR* header)
#define MSG_WM_NOTIFY(func) \
    TROVA_MSG_RESULT(WM_NOTIFY, func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam)))
// LRESULT func(NMHDR* header) for one control id and notification code
#define NOTIFY_HANDLER_EX(id, notifyCode, func)                                                       \
    if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(id) && \
        reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode)) {                    \
        SetMsgHandled(TRUE);                                                                          \
        lResult = func(reinterpret_cast<NMHDR*>(lParam));                                             \
        if (IsMsgHandled())                                                                           \
            return TRUE;                                                                              \
    }
// BOOL OnCopyData(HWND sender, COPYDATASTRUCT* data)
#define MSG_WM_COPYDATA(func) \
    TROVA_MSG_RESULT(WM_COPYDATA, func(reinterpret_cast<HWND>(wParam), reinterpret_cast<COPYDATASTRUCT*>(lParam)))
// void OnSysCommand(UINT command, POINT screenPoint)
#define MSG_WM_SYSCOMMAND(func) \
    TROVA_MSG_CALL(WM_SYSCOMMAND, func(static_cast<UINT>(wParam), PointFromLParam(lParam)), 0)

// Colour requests. In the parent: REFLECT_COLOR_MESSAGES() sends WM_CTLCOLOR* back to the
// child that asked; when the child does not answer, the parent's map and default continue.
#define REFLECT_COLOR_MESSAGES()                                                          \
    if (uMsg == WM_CTLCOLOREDIT || uMsg == WM_CTLCOLORSTATIC || uMsg == WM_CTLCOLORBTN || \
        uMsg == WM_CTLCOLORLISTBOX || uMsg == WM_CTLCOLORSCROLLBAR) {                     \
        if (ReflectColorMessage(uMsg, wParam, lParam, lResult))                           \
            return TRUE;                                                                  \
    }
// In the child: HBRUSH func(HDC dc, HWND control) for a reflected WM_CTLCOLORxxx
#define MSG_REFLECTED_CTLCOLOR(colorMsg, func)       \
    TROVA_MSG_RESULT(WM_REFLECTED_BASE + (colorMsg), \
                     reinterpret_cast<LRESULT>(func(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))))

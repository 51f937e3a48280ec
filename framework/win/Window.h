#pragma once
// Thin window layer: an HWND wrapper, and a window class whose messages go to a message map
// (see MessageMap.h). The object is bound to its window from WM_NCCREATE to WM_NCDESTROY.
#include <windows.h>

#include <string>

// Non-owning HWND wrapper with the calls every window makes.
class CWindow {
public:
    CWindow(HWND window = nullptr) : m_hWnd(window) {}
    operator HWND() const { return m_hWnd; }
    HWND Handle() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    std::wstring GetWindowText() const;
    bool SetWindowText(const std::wstring& text) { return ::SetWindowTextW(m_hWnd, text.c_str()) != FALSE; }
    bool Invalidate(bool erase = true) { return ::InvalidateRect(m_hWnd, nullptr, erase) != FALSE; }
    bool ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    // The window and every parent up to its top-level window have the visible style: it shows
    // whenever its top-level window does.
    bool IsShownInTopLevel() const;
    // A child window shows at the screen point: inside its parent's client area and not under
    // a sibling above it.
    bool ShowsAt(POINT screenPoint) const;
    bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
    }
    bool MoveWindow(const RECT& rect, bool repaint = true);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam) != FALSE;
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    bool HasCapture() const { return m_hWnd && ::GetCapture() == m_hWnd; }
    // Releases the capture only if this window holds it.
    void ReleaseCapture();
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    bool DestroyWindow() { return ::DestroyWindow(m_hWnd) != FALSE; }

    HWND m_hWnd;
};

// Window class of a CWindowImpl. With superclassOf set, the class copies a system class
// (for example L"EDIT") and unhandled messages go to that class's procedure.
struct WindowClassSpec {
    const wchar_t* name = L"TrovaWindow";
    UINT style = CS_DBLCLKS;
    const wchar_t* cursor = IDC_ARROW;  // system cursor id, or nullptr for none
    HBRUSH background = nullptr;
    const wchar_t* superclassOf = nullptr;
};

// Registers the class in this module once (per name) and returns the procedure that
// default processing calls: DefWindowProcW, or the superclassed system procedure.
// Returns nullptr when registration fails.
WNDPROC EnsureWindowClass(const WindowClassSpec& windowClass);
// Unregisters every class registered by this module; for a DLL before it unloads.
void UnregisterWindowClasses();

// A window with a message map. Derived classes declare BEGIN_MSG_MAP / END_MSG_MAP and
// override GetWindowClassSpec for their own class name and style. The owner destroys the
// window before the object dies: a window still alive in ~CWindowImpl is reported (debug
// output, and an assertion in debug builds) and destroyed.
class CWindowImpl : public CWindow {
public:
    CWindowImpl() = default;
    virtual ~CWindowImpl();
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    // idOrMenu is the control id of a child window, or the menu of a top-level one.
    HWND Create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style, DWORD exStyle = 0,
                UINT_PTR idOrMenu = 0);
    // Takes over an existing window (a system control): its original procedure becomes
    // the default processing. The binding ends at WM_NCDESTROY or with Unsubclass.
    bool Subclass(HWND window);
    HWND Unsubclass();

    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Message handlers call these through the map macros.
    void SetMsgHandled(BOOL handled);
    BOOL IsMsgHandled() const;
    const MSG* GetCurrentMessage() const;
    // Default processing of the given message, or of the message being handled.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc();

    // Procedure of every class registered through EnsureWindowClass.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual WindowClassSpec GetWindowClassSpec() const { return WindowClassSpec{}; }
    // For a base destructor that finds its window still alive (see ~CWindowImpl).
    void DestroyOrphanedWindow();
    // Called after WM_NCDESTROY once no message of this window is on the stack any more;
    // a self-deleting window may `delete this` here.
    virtual void OnFinalMessage(HWND window) {}

private:
    struct CurrentMessage {
        MSG msg;
        BOOL handled;
        CurrentMessage* previous;
    };

    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND window);
    void Unbind(HWND window);

    WNDPROC defaultProc_ = ::DefWindowProcW;
    bool subclassed_ = false;
    bool finalMessagePending_ = false;
    CurrentMessage* current_ = nullptr;
};

// Messages that a parent reflects back to the child that sent them (colour requests), so that
// the child's own map can answer them. Message number = WM_REFLECTED_BASE + original message.
constexpr UINT WM_REFLECTED_BASE = WM_USER + 0x1C00;
// Sends a colour request to its child (lParam) as a reflected message; true with the child's
// brush in result when the child answered with a non-null brush.
bool ReflectColorMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

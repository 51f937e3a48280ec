#include "framework/win/Window.h"

#include "framework/win/Module.h"
#include "framework/win/Trace.h"

#include <cassert>
#include <map>
#include <mutex>

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

namespace {
// The property holding the CWindowImpl of a bound window. A property rather than
// GWLP_USERDATA or extra bytes, so that subclassed and superclassed system controls
// keep their own storage untouched.
const wchar_t kThisProperty[] = L"Trova.CWindowImpl";

struct ClassRegistry {
    std::mutex lock;
    std::map<std::wstring, WNDPROC> defaultProcs;  // class name -> default processing
};
ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

// Default processing for a message that arrives before the window is bound.
WNDPROC DefaultProcOfClass(HWND window) {
    wchar_t name[256];
    if (!::GetClassNameW(window, name, 256))
        return ::DefWindowProcW;
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto found = registry.defaultProcs.find(name);
    return found != registry.defaultProcs.end() ? found->second : ::DefWindowProcW;
}

// A class that cannot be had leaves only a failed Create behind; the trace says why.
void TraceClassFailure(const wchar_t* step, const wchar_t* className, DWORD error) {
    const std::wstring context = std::wstring(L"CWindowImpl: ") + step + L" of class " + className;
    TraceFailure(context.c_str(), HRESULT_FROM_WIN32(error));
}
}  // namespace

RECT CWindow::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWindow::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

bool CWindow::IsShownInTopLevel() const {
    for (HWND window = m_hWnd; window; window = ::GetParent(window)) {
        const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
        if (!(style & WS_CHILD))
            return true;
        if (!(style & WS_VISIBLE))
            return false;
    }
    return false;
}

bool CWindow::ShowsAt(POINT screenPoint) const {
    const HWND parent = ::GetParent(m_hWnd);
    if (!parent || !::ScreenToClient(parent, &screenPoint))
        return false;
    return ::ChildWindowFromPointEx(parent, screenPoint, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT) == m_hWnd;
}

std::wstring CWindow::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool CWindow::MoveWindow(const RECT& rect, bool repaint) {
    return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint) !=
           FALSE;
}

void CWindow::ReleaseCapture() {
    if (HasCapture())
        ::ReleaseCapture();
}

WNDPROC EnsureWindowClass(const WindowClassSpec& windowClass) {
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto found = registry.defaultProcs.find(windowClass.name);
    if (found != registry.defaultProcs.end())
        return found->second;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC defaultProc = ::DefWindowProcW;
    if (windowClass.superclassOf) {
        if (!::GetClassInfoExW(nullptr, windowClass.superclassOf, &wc)) {
            TraceClassFailure(L"GetClassInfoEx", windowClass.superclassOf, ::GetLastError());
            return nullptr;
        }
        defaultProc = wc.lpfnWndProc;
        wc.cbSize = sizeof(wc);
        wc.style |= windowClass.style;
        wc.lpszMenuName = nullptr;
        wc.hIconSm = nullptr;
    } else {
        wc.style = windowClass.style;
        wc.hCursor = windowClass.cursor ? ::LoadCursorW(nullptr, windowClass.cursor) : nullptr;
        wc.hbrBackground = windowClass.background;
    }
    wc.lpfnWndProc = &CWindowImpl::StaticWindowProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = windowClass.name;
    if (!::RegisterClassExW(&wc)) {
        const DWORD error = ::GetLastError();
        // Registered earlier in this module under the same name (e.g. by a previous load):
        // usable only when it is ours.
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof(existing);
        if (!::GetClassInfoExW(ThisModule(), windowClass.name, &existing) ||
            existing.lpfnWndProc != &CWindowImpl::StaticWindowProc) {
            TraceClassFailure(L"RegisterClassEx", windowClass.name, error);
            return nullptr;
        }
    }
    registry.defaultProcs.emplace(windowClass.name, defaultProc);
    return defaultProc;
}

void UnregisterWindowClasses() {
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const auto& entry : registry.defaultProcs)
        ::UnregisterClassW(entry.first.c_str(), ThisModule());
    registry.defaultProcs.clear();
}

CWindowImpl::~CWindowImpl() {
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    if (subclassed_)
        Unsubclass();  // a control taken over lives on with its own procedure
    else
        DestroyOrphanedWindow();
}

void CWindowImpl::DestroyOrphanedWindow() {
    // The owner destroys a window while its object is whole. Here the derived part and its map
    // are gone, so the window's last messages reach only the base: report the misuse, and still
    // destroy the window so that it cannot dispatch into freed memory.
    wchar_t className[64] = L"";
    ::GetClassNameW(m_hWnd, className, 64);
    const std::wstring report =
        std::wstring(L"CWindowImpl: window of class ") + className + L" outlived its object; destroy it first\n";
    ::OutputDebugStringW(report.c_str());
    assert(!"window outlived its object");
    ::DestroyWindow(m_hWnd);
}

HWND CWindowImpl::Create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style, DWORD exStyle,
                         UINT_PTR idOrMenu) {
    if (m_hWnd)
        return nullptr;
    const WindowClassSpec windowClass = GetWindowClassSpec();
    WNDPROC defaultProc = EnsureWindowClass(windowClass);
    if (!defaultProc)
        return nullptr;
    defaultProc_ = defaultProc;
    subclassed_ = false;
    // Binding happens in WM_NCCREATE, from lpCreateParams.
    return ::CreateWindowExW(exStyle, windowClass.name, title ? title : L"", style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(idOrMenu), ThisModule(), this);
}

bool CWindowImpl::Subclass(HWND window) {
    if (m_hWnd || !::IsWindow(window) || ::GetPropW(window, kThisProperty))
        return false;
    Bind(window);
    const LONG_PTR previous = ::SetWindowLongPtrW(window, GWLP_WNDPROC,
                                                  reinterpret_cast<LONG_PTR>(&CWindowImpl::StaticWindowProc));
    if (!previous) {
        Unbind(window);
        return false;
    }
    defaultProc_ = reinterpret_cast<WNDPROC>(previous);
    subclassed_ = true;
    return true;
}

HWND CWindowImpl::Unsubclass() {
    if (!subclassed_ || !m_hWnd)
        return nullptr;
    HWND window = m_hWnd;
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
    Unbind(window);
    defaultProc_ = ::DefWindowProcW;
    subclassed_ = false;
    return window;
}

BOOL CWindowImpl::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

void CWindowImpl::SetMsgHandled(BOOL handled) {
    if (current_)
        current_->handled = handled;
}

BOOL CWindowImpl::IsMsgHandled() const { return current_ ? current_->handled : FALSE; }

const MSG* CWindowImpl::GetCurrentMessage() const { return current_ ? &current_->msg : nullptr; }

LRESULT CWindowImpl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    return ::CallWindowProcW(defaultProc_, m_hWnd, message, wParam, lParam);
}

LRESULT CWindowImpl::DefWindowProc() {
    if (!current_)
        return 0;
    return DefWindowProc(current_->msg.message, current_->msg.wParam, current_->msg.lParam);
}

void CWindowImpl::Bind(HWND window) {
    m_hWnd = window;
    ::SetPropW(window, kThisProperty, this);
}

void CWindowImpl::Unbind(HWND window) {
    ::RemovePropW(window, kThisProperty);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWindowImpl::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CWindowImpl*>(::GetPropW(window, kThisProperty));
    if (!self && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWindowImpl*>(create->lpCreateParams);
        if (self)
            self->Bind(window);
    }
    if (!self)
        return ::CallWindowProcW(DefaultProcOfClass(window), window, message, wParam, lParam);
    return self->Dispatch(window, message, wParam, lParam);
}

LRESULT CWindowImpl::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage current{MSG{window, message, wParam, lParam, 0, POINT{}}, TRUE, current_};
    current_ = &current;
    LRESULT result = 0;
    const BOOL handled = ProcessWindowMessage(window, message, wParam, lParam, result);
    // The object stays alive here even if a handler destroyed the window: OnFinalMessage
    // waits until the outermost message of this window has returned.
    current_ = current.previous;

    const bool reflected = message >= WM_REFLECTED_BASE && message < WM_REFLECTED_BASE + 0x400;
    if (!handled && !reflected) {
        if (message == WM_NCDESTROY)
            result = ::CallWindowProcW(defaultProc_, window, message, wParam, lParam);
        else if (m_hWnd == window)
            result = DefWindowProc(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY && m_hWnd == window) {
        if (subclassed_) {
            // Put the control's own procedure back so it is not called through us any more.
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
            subclassed_ = false;
        }
        Unbind(window);
        finalMessagePending_ = true;
    }
    if (!current_ && finalMessagePending_) {
        finalMessagePending_ = false;
        OnFinalMessage(window);  // may delete this: no member access after it
    }
    return result;
}

bool ReflectColorMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = reinterpret_cast<HWND>(lParam);
    if (!child || !::IsWindow(child))
        return false;
    const LRESULT brush = ::SendMessageW(child, WM_REFLECTED_BASE + message, wParam, lParam);
    if (!brush)
        return false;
    result = brush;
    return true;
}

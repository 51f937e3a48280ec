#pragma once
// Helpers for window tests: a hidden top-level host for child windows, message pumping,
// and capturing what a window paints through WM_PRINTCLIENT.
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

#include <cstdint>
#include <string>
#include <vector>

// Declared after the windows it holds, it destroys their windows before their objects go.
class CTestHost : public CWindowImpl {
public:
    CTestHost() {
        RECT rect{0, 0, 400, 300};
        Create(nullptr, rect, L"test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    }
    ~CTestHost() override {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }

    BEGIN_MSG_MAP(CTestHost)
        REFLECT_COLOR_MESSAGES()
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"TrovaTestHost";
        return windowClass;
    }
};

// A window object of a test that destroys its window while the object is still whole, for
// objects that die before the window holding theirs (locals of a test body, or fixture members
// declared after the host).
template <class T>
class CTestWindow : public T {
public:
    using T::T;
    ~CTestWindow() override {
        if (this->m_hWnd && ::IsWindow(this->m_hWnd))
            ::DestroyWindow(this->m_hWnd);
    }
};

// Collects what this process sends to the debugger output while the capture lives (the text
// of OutputDebugString, which raises a continuable exception that a handler may inspect).
class CDebugOutputCapture {
public:
    CDebugOutputCapture() {
        Active() = this;
        handler_ = ::AddVectoredExceptionHandler(1, &OnException);
    }
    ~CDebugOutputCapture() {
        ::RemoveVectoredExceptionHandler(handler_);
        Active() = nullptr;
    }
    CDebugOutputCapture(const CDebugOutputCapture&) = delete;
    CDebugOutputCapture& operator=(const CDebugOutputCapture&) = delete;

    const std::string& Text() const { return text_; }

private:
    static constexpr DWORD kDebugPrintException = 0x40010006;  // DBG_PRINTEXCEPTION_C

    static CDebugOutputCapture*& Active() {
        static CDebugOutputCapture* active = nullptr;
        return active;
    }
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (Active() && record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2)
            Active()->text_ += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        return EXCEPTION_CONTINUE_SEARCH;
    }

    PVOID handler_ = nullptr;
    std::string text_;
};

// Dispatches every queued message of this thread.
inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps until done() holds or timeoutMs passes; returns done().
template <class Predicate>
bool PumpUntil(Predicate done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return done();
}

// A top-level window of this thread with the given class and title (null: any title).
// Unlike FindWindow it never finds the windows of other test programs running alongside.
struct ThreadWindowQuery {
    const wchar_t* className;
    const wchar_t* title;
    HWND found;

    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        auto* q = reinterpret_cast<ThreadWindowQuery*>(param);
        wchar_t name[64] = {}, text[256] = {};
        ::GetClassNameW(window, name, 64);
        ::GetWindowTextW(window, text, 256);
        if (lstrcmpW(name, q->className) == 0 && (!q->title || lstrcmpW(text, q->title) == 0)) {
            q->found = window;
            return FALSE;
        }
        return TRUE;
    }
};

inline HWND FindThreadWindow(const wchar_t* className, const wchar_t* title) {
    ThreadWindowQuery query{className, title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &ThreadWindowQuery::Visit, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

inline LPARAM MakePointLParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// 32-bit top-down snapshot of what a window paints into a DC.
class CPaintCapture {
public:
    CPaintCapture(int width, int height) : width_(width), height_(height), dc_(nullptr) {
        BITMAPINFO info{};
        info.bmiHeader = DibHeader(width, -height, 32);
        bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~CPaintCapture() { ::SelectObject(dc_, previous_); }

    HDC Dc() const { return dc_; }
    // Fills the capture with a marker colour, then lets the window paint into it.
    void PrintClient(HWND window, COLORREF background = RGB(1, 2, 3)) {
        ScopedBrush brush(::CreateSolidBrush(background));
        RECT all{0, 0, width_, height_};
        ::FillRect(dc_, &all, brush);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.Get()), PRF_CLIENT);
        ::GdiFlush();
    }
    COLORREF Pixel(int x, int y) const {
        const uint32_t value = bits_[y * width_ + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    // Number of pixels of the given colour in the rectangle.
    int CountColor(const RECT& area, COLORREF color) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) == color)
                    ++count;
        return count;
    }

private:
    int width_;
    int height_;
    ScopedCompatibleDC dc_;
    ScopedBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

#pragma once
// Helpers for tests of accessible windows: the objects as a client gets them, short getters,
// and a recorder of the events windows send to readers.
#include "framework/com/ComUtil.h"

#include <oleacc.h>

#include <string>
#include <vector>

// COM on the test's thread while it lives: clients get objects through marshalling.
class CTestApartment {
public:
    CTestApartment() { ::OleInitialize(nullptr); }
    ~CTestApartment() { ::OleUninitialize(); }
    CTestApartment(const CTestApartment&) = delete;
    CTestApartment& operator=(const CTestApartment&) = delete;
};

inline ComPtr<IAccessible> AccessibleOf(HWND window, LONG objectId = OBJID_CLIENT) {
    ComPtr<IAccessible> object;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(objectId), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

inline VARIANT ChildId(long child) {
    VARIANT id;
    ::VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
}

using AccessibleTextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

inline std::wstring AccessibleText(IAccessible* object, AccessibleTextGetter getter, long child) {
    CScopedBstr text;
    (object->*getter)(ChildId(child), text.Receive());
    return text.Str();
}
inline std::wstring NameOf(IAccessible* object, long child) {
    return AccessibleText(object, &IAccessible::get_accName, child);
}
inline std::wstring ValueOf(IAccessible* object, long child) {
    return AccessibleText(object, &IAccessible::get_accValue, child);
}
inline std::wstring ActionOf(IAccessible* object, long child) {
    return AccessibleText(object, &IAccessible::get_accDefaultAction, child);
}

// Role or state; -1 when the call fails.
inline long RoleOf(IAccessible* object, long child) {
    CScopedVariant role;
    return SUCCEEDED(object->get_accRole(ChildId(child), role.Receive())) && role.Ref().vt == VT_I4 ? role.Ref().lVal
                                                                                                  : -1;
}
inline long StateOf(IAccessible* object, long child) {
    CScopedVariant state;
    return SUCCEEDED(object->get_accState(ChildId(child), state.Receive())) && state.Ref().vt == VT_I4
               ? state.Ref().lVal
               : -1;
}

inline long ChildCountOf(IAccessible* object) {
    long count = -1;
    object->get_accChildCount(&count);
    return count;
}

// The screen rectangle accLocation reports; empty when it fails.
inline RECT LocationOf(IAccessible* object, long child) {
    long left = 0, top = 0, width = 0, height = 0;
    if (object->accLocation(&left, &top, &width, &height, ChildId(child)) != S_OK)
        return RECT{};
    return RECT{left, top, left + width, top + height};
}

// Child id a move reaches; 0 (the window itself) when it reaches nothing.
inline long NavigateOf(IAccessible* object, long direction, long child) {
    CScopedVariant end;
    if (object->accNavigate(direction, ChildId(child), end.Receive()) != S_OK || end.Ref().vt != VT_I4)
        return 0;
    return end.Ref().lVal;
}

// Window events of this thread's windows, as an out-of-context reader receives them; they
// arrive while the thread takes its messages (Collect).
class CWinEventRecorder {
public:
    struct Event {
        DWORD event;
        HWND window;
        LONG object;
        LONG child;
    };

    CWinEventRecorder() {
        Active() = this;
        hook_ = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HELPCHANGE, nullptr, &OnEvent, ::GetCurrentProcessId(),
                                  ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    }
    ~CWinEventRecorder() {
        if (hook_)
            ::UnhookWinEvent(hook_);
        Active() = nullptr;
    }
    CWinEventRecorder(const CWinEventRecorder&) = delete;
    CWinEventRecorder& operator=(const CWinEventRecorder&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    // Takes the thread's pending messages, which carry the events.
    const std::vector<Event>& Collect() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        return events_;
    }
    // Forgets the events so far.
    void Clear() {
        Collect();
        events_.clear();
    }
    // Whether `event` came for child `child` of the client object of `window`.
    bool Saw(DWORD event, HWND window, LONG child) {
        for (const Event& seen : Collect())
            if (seen.event == event && seen.window == window && seen.object == OBJID_CLIENT && seen.child == child)
                return true;
        return false;
    }

private:
    static CWinEventRecorder*& Active() {
        static CWinEventRecorder* active = nullptr;
        return active;
    }
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (Active())
            Active()->events_.push_back(Event{event, window, object, child});
    }

    HWINEVENTHOOK hook_ = nullptr;
    std::vector<Event> events_;
};

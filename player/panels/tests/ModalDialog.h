#pragma once
// Acting on a modal dialog from inside its own message loop.
#include <windows.h>

#include <functional>

#include "framework/win/tests/TestHost.h"

namespace ModalDetail {
inline std::function<bool()>*& Pending() {
    static std::function<bool()>* pending = nullptr;
    return pending;
}
inline void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    std::function<bool()>* pending = Pending();
    if (pending && (*pending)())
        Pending() = nullptr;
}
}  // namespace ModalDetail

// Calls `run` (which opens a modal dialog); once a top-level "#32770" window titled `title`
// exists, `act` gets it, from the dialog's own loop. Returns whether act ran.
template <class Run>
bool WithModalDialog(const wchar_t* title, Run run, std::function<void(HWND)> act) {
    bool acted = false;
    std::function<bool()> poll = [&] {
        HWND dialog = FindThreadWindow(L"#32770", title);
        if (!dialog || !::IsWindowVisible(dialog))
            return false;
        acted = true;
        act(dialog);
        return true;
    };
    ModalDetail::Pending() = &poll;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &ModalDetail::Poll);
    run();
    ::KillTimer(nullptr, timer);
    ModalDetail::Pending() = nullptr;
    return acted;
}

inline void ClickButton(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

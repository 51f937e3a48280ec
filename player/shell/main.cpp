#include <windows.h>

#include "common/settings/AppPaths.h"
#include "common/skin/Skin.h"


namespace {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
    CAppPaths::Init();
    // The frame paints from the skin, so it is loaded before any window exists; whatever
    // part of it loaded is used.
    if (CSkin* skin = CSkin::Instance())
        skin->Load(instance);
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TrovaPlayer6Frame";
    RegisterClassW(&wc);
    HWND frame = CreateWindowW(wc.lpszClassName, L"TrovaPlayer6", WS_OVERLAPPEDWINDOW,
                               CW_USEDEFAULT, CW_USEDEFAULT, 900, 560, nullptr, nullptr, instance, nullptr);
    ShowWindow(frame, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CSkin::Destroy();
    return 0;
}

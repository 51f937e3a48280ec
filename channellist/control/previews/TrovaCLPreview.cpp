// A window hosting the channel-list control at 220 x 560, for looking at it:
//   trovacl_preview.exe [catalog row to open] [search keyword] [seconds before it closes]
// It waits for the background synchronisation, opens the given catalog row of the
// all-channels list and then types the keyword (if any) into the search box.

#include "channellist/control/TrovaCLIds.h"
#include "framework/com/ControlHost.h"
#include "framework/win/ScopedHandle.h"

#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kSynced = WM_USER + 400;
constexpr int kRow = 22;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Runs the message loop until the time is up or the control's synchronisation was handled.
void Pump(DWORD milliseconds, HWND control = nullptr) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool synced = control && msg.hwnd == control && msg.message == kSynced;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (synced)
                return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::wstring DistFile(const wchar_t* name) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"..\\dist\\";
    path += name;
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    const ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    const int catalogRow = argc > 1 ? _wtoi(argv[1]) : -1;
    const std::wstring keyword = argc > 2 ? argv[2] : L"";
    const DWORD seconds = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 20;

    OleInitialize(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TrovaCLPreview";
    RegisterClassW(&wc);
    RECT frame = {0, 0, 220, 560};
    AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE);
    HWND window = CreateWindowExW(
        0, wc.lpszClassName, L"TrovaCL", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);

    // Its engine and SQLite lie beside it.
    HMODULE library = LoadLibraryExW(DistFile(L"TrovaCL.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        library ? reinterpret_cast<GetClassObjectFn>(GetProcAddress(library, "DllGetClassObject")) : nullptr;
    ComPtr<IClassFactory> factory;
    if (!getClassObject || FAILED(getClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory))))
        return 1;

    int result = 0;
    {
        CControlHost host;
        if (FAILED(host.Create(window, RECT{0, 0, 220, 560}, 1, WS_CHILD | WS_VISIBLE, factory.Get())))
            return 2;
        ComPtr<IOleWindow> oleWindow;
        HWND control = nullptr;
        if (SUCCEEDED(host.QueryControl(oleWindow)))
            oleWindow->GetWindow(&control);
        Pump(10000, control);

        if (catalogRow >= 0) {
            HWND tree = GetDlgItem(control, 1001);
            const LPARAM point = MAKELPARAM(40, catalogRow * kRow + kRow / 2);
            SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
            SendMessageW(tree, WM_LBUTTONUP, 0, point);
            // Rest the pointer on the first channel: the row is highlighted.
            SendMessageW(tree, WM_MOUSEMOVE, 0, MAKELPARAM(60, (catalogRow + 2) * kRow + kRow / 2));
        }
        if (!keyword.empty()) {
            HWND edit = GetDlgItem(GetDlgItem(control, 1009), 1001);
            SetFocus(edit);
            for (wchar_t c : keyword)
                SendMessageW(edit, WM_CHAR, c, 0);
        }
        Pump(seconds * 1000);
        host.Destroy();
    }
    DestroyWindow(window);
    factory.Reset();
    OleUninitialize();
    return result;
}

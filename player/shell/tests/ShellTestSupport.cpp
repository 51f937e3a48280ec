#include "player/shell/tests/ShellTestSupport.h"

#include <utility>
#include <vector>

std::wstring DistFolder() { return WindowsPathFromEnvironment(L"TROVA_DIST_DIR"); }

bool WriteMachineFlag(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vantel\\Setting", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                          sizeof(value)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return written;
}

namespace {

constexpr wchar_t kShellTrayClass[] = L"Shell_TrayWnd";

}  // namespace

CFakeShellTray::CFakeShellTray(std::function<bool(DWORD request)> answer) : answer_(std::move(answer)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CFakeShellTray::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kShellTrayClass;
    ::RegisterClassW(&windowClass);
    window_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kShellTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CFakeShellTray::~CFakeShellTray() {
    ::DestroyWindow(window_);
    ::UnregisterClassW(kShellTrayClass, ::GetModuleHandleW(nullptr));
}

LRESULT CALLBACK CFakeShellTray::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CFakeShellTray*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
        // The shell's icon call carries its request in dwData.
        const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return self->answer_(static_cast<DWORD>(request->dwData)) ? TRUE : FALSE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

CShellTest::CShellTest() {
    // The single-instance window starts the update check; the substitute answers "current".
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"0");
    CopyDefaultSkin(skinFolder_);
    EXPECT_TRUE(CSkin::Instance()->Load(skinFolder_.Module())) << "default skin from TROVA_DIST_DIR";
    EXPECT_TRUE(playerClass_.IsRegistered());
    EXPECT_TRUE(listClass_.IsRegistered());
}

CShellTest::~CShellTest() {
    CSkin::Destroy();
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);
}

#include "framework/com/tests/ComTestSupport.h"

namespace {

const auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new COleEnvironment);

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// The test control's path: beside the test program.
std::wstring TestControlPath() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path = exe;
    return path.substr(0, path.find_last_of(L"\\/") + 1) + kTestCtlDll;
}

}  // namespace

CTestControlDll& CTestControlDll::Instance() {
    static CTestControlDll dll(TestControlPath());
    return dll;
}

CTestControlDll::CTestControlDll(const std::wstring& path) : CServerDll(path), path_(path) {}

std::wstring CTestControlDll::TakeLog() const {
    auto fn = Export<TestControlTakeLogFn>("TestControlTakeLog");
    if (!fn)
        return L"<no log>";
    std::wstring text(4096, L'\0');
    const int length = fn(&text[0], static_cast<int>(text.size()));
    text.resize(std::min<size_t>(length, text.size() - 1));
    return text;
}

CParentWindow::CParentWindow(int width, int height) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TrovaComTestParent";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width, height,
                            nullptr, nullptr, wc.hInstance, nullptr);
}

CParentWindow::~CParentWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

STDMETHODIMP CRecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    std::wstring call = std::to_wstring(id) + L":";
    if (params && params->cArgs >= 1 && V_VT(&params->rgvarg[params->cArgs - 1]) == VT_BSTR)
        call += V_BSTR(&params->rgvarg[params->cArgs - 1]);
    calls.push_back(call);
    return S_OK;
}

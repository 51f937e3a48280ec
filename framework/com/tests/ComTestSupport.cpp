#include "framework/com/tests/ComTestSupport.h"

namespace {

class COleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

const auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new COleEnvironment);

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

CTestControlDll& CTestControlDll::Instance() {
    static CTestControlDll dll;
    return dll;
}

CTestControlDll::CTestControlDll() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    path_ = exe;
    path_ = path_.substr(0, path_.find_last_of(L"\\/") + 1) + kTestCtlDll;
    module_ = LoadLibraryW(path_.c_str());
}

HRESULT CTestControlDll::GetClassObject(REFCLSID clsid, REFIID riid, void** object) const {
    using Fn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto fn = reinterpret_cast<Fn>(GetProcAddress(module_, "DllGetClassObject"));
    return fn ? fn(clsid, riid, object) : E_FAIL;
}

HRESULT CTestControlDll::CanUnloadNow() const {
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(GetProcAddress(module_, "DllCanUnloadNow"));
    return fn ? fn() : E_FAIL;
}

HRESULT CTestControlDll::Register() const {
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(GetProcAddress(module_, "DllRegisterServer"));
    return fn ? fn() : E_FAIL;
}

HRESULT CTestControlDll::Unregister() const {
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(GetProcAddress(module_, "DllUnregisterServer"));
    return fn ? fn() : E_FAIL;
}

std::wstring CTestControlDll::TakeLog() const {
    auto fn = reinterpret_cast<TestControlTakeLogFn>(GetProcAddress(module_, "TestControlTakeLog"));
    if (!fn) return L"<no log>";
    std::wstring text(4096, L'\0');
    const int length = fn(&text[0], static_cast<int>(text.size()));
    text.resize(std::min<size_t>(length, text.size() - 1));
    return text;
}

HRESULT CTestControlDll::CreateControl(REFCLSID clsid, IUnknown** control) const {
    ComPtr<IClassFactory> factory;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, &factory);
    return SUCCEEDED(hr) ? factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control)) : hr;
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
    if (hwnd_) DestroyWindow(hwnd_);
}

STDMETHODIMP CRecordingSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == iid_) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CRecordingSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

STDMETHODIMP CRecordingSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CRecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                    UINT*) {
    std::wstring call = std::to_wstring(id) + L":";
    if (params && params->cArgs >= 1 && V_VT(&params->rgvarg[params->cArgs - 1]) == VT_BSTR)
        call += V_BSTR(&params->rgvarg[params->cArgs - 1]);
    calls.push_back(call);
    return S_OK;
}

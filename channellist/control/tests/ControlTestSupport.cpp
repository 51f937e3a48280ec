#include "channellist/control/tests/ControlTestSupport.h"

#include "framework/win/tests/TempFolder.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

namespace {

const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// OLE for the test thread, and the private per-user folder for the whole process: the shell
// reads "AppData" from the current user's "User Shell Folders", so HKEY_CURRENT_USER is
// redirected to a fresh key that names a temporary folder. Machine-wide keys (the classes the
// control registers) stay as they are.
class CControlTestEnvironment : public COleEnvironment {
public:
    void SetUp() override {
        COleEnvironment::SetUp();
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        keyPath_ = L"Software\\TrovaTests\\trovacl-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &user_, nullptr));
        HKEY folders = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(user_, kUserShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &folders, nullptr));
        const std::wstring& path = s_folder.path();
        const std::wstring value = path.substr(0, path.size() - 1);  // shell folders have no backslash
        RegSetValueExW(folders, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(folders);
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_));

        wchar_t appData[MAX_PATH] = {};
        ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
        ASSERT_EQ(value, appData) << "the shell does not follow the redirected per-user folders";
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(user_);
        SHDeleteKeyW(HKEY_CURRENT_USER, keyPath_.c_str());
        COleEnvironment::TearDown();
    }

    static TempFolder s_folder;

private:
    std::wstring keyPath_;
    HKEY user_ = nullptr;
};

TempFolder CControlTestEnvironment::s_folder;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CControlTestEnvironment);

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::wstring DistFile(const wchar_t* name) {
    wchar_t unixPath[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TROVA_DIST_DIR", unixPath, MAX_PATH);
    std::wstring path = std::wstring(L"Z:") + unixPath + L"\\" + name;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

const std::wstring& CPrivateAppData::Folder() { return CControlTestEnvironment::s_folder.path(); }

std::wstring CPrivateAppData::DatabasePath() { return Folder() + L"Vantel\\data\\cinfo.db"; }

void CPrivateAppData::DeleteDatabase() { DeleteFileW(DatabasePath().c_str()); }

CTrovaCLDll& CTrovaCLDll::Instance() {
    static CTrovaCLDll dll;
    return dll;
}

CTrovaCLDll::CTrovaCLDll() : CServerDll(DistFile(L"TrovaCL.dll")) {}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending() {
    PumpUntil([] { return true; }, 0);
}

CStubContainer::CStubContainer(int width, int height) : CStubSite(nullptr, RECT{0, 0, width, height}) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TrovaCLTestContainer";
    RegisterClassW(&wc);
    // Sized so that its client area holds the control exactly.
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ =
        CreateWindowExW(0, wc.lpszClassName, L"TrovaCL test container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
}

CStubContainer::~CStubContainer() {
    Deactivate();
    if (window_)
        DestroyWindow(window_);
}

HRESULT CStubContainer::Activate(IUnknown* control) {
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&control_));
    if (FAILED(hr))
        return hr;
    DWORD misc = 0;
    hr = control_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (FAILED(hr))
        return hr;
    ComPtr<IPersistStreamInit> persist;
    hr = control_.As(&persist);
    if (FAILED(hr))
        return hr;
    if (misc & OLEMISC_SETCLIENTSITEFIRST)
        hr = control_->SetClientSite(this);
    if (SUCCEEDED(hr))
        hr = persist->InitNew();
    if (SUCCEEDED(hr) && !(misc & OLEMISC_SETCLIENTSITEFIRST))
        hr = control_->SetClientSite(this);
    if (FAILED(hr))
        return hr;
    return control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &position_);
}

void CStubContainer::Deactivate() {
    if (!control_)
        return;
    control_->Close(OLECLOSE_NOSAVE);
    control_->SetClientSite(nullptr);
    control_.Reset();
}

HWND CStubContainer::ControlWindow() const {
    ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (control_ && SUCCEEDED(control_.As(&window)))
        window->GetWindow(&hwnd);
    return hwnd;
}

HRESULT CStubContainer::Resize(int width, int height) {
    ComPtr<IOleInPlaceObject> inPlace;
    HRESULT hr = control_.As(&inPlace);
    if (FAILED(hr))
        return hr;
    position_ = {0, 0, width, height};
    return inPlace->SetObjectRects(&position_, &position_);
}

bool CStubContainer::WaitForSync(DWORD timeoutMs) { return WaitForControlMessage(kChannelListSynced, timeoutMs); }

bool CStubContainer::WaitForLoad(DWORD timeoutMs) { return WaitForControlMessage(kChannelListLoaded, timeoutMs); }

bool CStubContainer::WaitForControlMessage(UINT message, DWORD timeoutMs) {
    const HWND control = ControlWindow();
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool awaited = msg.hwnd == control && msg.message == message;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (awaited)
                return true;
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

STDMETHODIMP CChannelOpenSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    ids.push_back(id);
    if (params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_BSTR) {
        BSTR link = V_BSTR(&params->rgvarg[0]);
        links.emplace_back(link, SysStringLen(link));
    } else {
        links.emplace_back(L"<bad arguments>");
    }
    if (onEvent)
        onEvent();
    return S_OK;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

RECT ChildRect(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HRESULT CallGetChannelName(IUnknown* control, const wchar_t* server, ULONG port, const wchar_t* channelId,
                           ULONG& status, CScopedBstr& name) {
    ComPtr<IDispatch> dispatch;
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&dispatch));
    if (FAILED(hr))
        return hr;
    CScopedBstr serverText(server), channelText(channelId);
    // Arguments in reverse order, as DISPPARAMS has them.
    VARIANT args[4];
    V_VT(&args[3]) = VT_BSTR;
    V_BSTR(&args[3]) = serverText.Get();
    V_VT(&args[2]) = VT_UI4;
    V_UI4(&args[2]) = port;
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = channelText.Get();
    V_VT(&args[0]) = VT_BSTR | VT_BYREF;
    BSTR preset = name.Release();
    V_BSTRREF(&args[0]) = &preset;
    DISPPARAMS params = {args, nullptr, 4, 0};
    CScopedVariant result;
    hr = dispatch->Invoke(TrovaCLIds::kDispIdGetChannelName, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                          result.Receive(), nullptr, nullptr);
    name.Reset(preset);
    status = V_VT(result.Get()) == VT_UI4 ? V_UI4(result.Get()) : 0xFFFFFFFFu;
    return hr;
}

CEngineEnvironment::CEngineEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name, value.c_str());
}

CEngineEnvironment::~CEngineEnvironment() { SetEnvironmentVariableW(name_.c_str(), nullptr); }

CTestCatalogue::CTestCatalogue(const std::vector<std::string>& lines) {
    path_ = CPrivateAppData::Folder() + L"catalogue.txt";
    FILE* file = _wfopen(path_.c_str(), L"wb");
    if (file) {
        for (const std::string& line : lines)
            std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
    switch_ = new CEngineEnvironment(L"TRCORE_CATALOGUE", path_);
}

CTestCatalogue::~CTestCatalogue() {
    delete switch_;
    DeleteFileW(path_.c_str());
}

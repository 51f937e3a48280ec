#include "player/panels/HomePanel.h"

#include <exdispid.h>
#include <wchar.h>

const wchar_t CHomePanel::kHomePage[] = L"http://www.vantel.tv/";

CHtmlCtrl::CHtmlCtrl() : CDispatchEventSink(DIID_DWebBrowserEvents2) {}

CHtmlCtrl::~CHtmlCtrl() { Destroy(); }

bool CHtmlCtrl::Create(HWND parent, const RECT& rect, UINT id) {
    if (FAILED(host_.Create(parent, rect, id, WS_CHILD | WS_VISIBLE, CLSID_WebBrowser)))
        return false;
    if (FAILED(host_.QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(browser_.GetAddressOf()))) || !browser_) {
        host_.Destroy();
        return false;
    }
    Connect(host_.Control());
    return true;
}

void CHtmlCtrl::Destroy() {
    Disconnect();
    browser_.Reset();  // the automation pointer goes before the window
    host_.Destroy();
}

HRESULT CHtmlCtrl::Navigate(const std::wstring& address) {
    if (!browser_)
        return E_FAIL;
    CScopedBstr url(address);
    return browser_->Navigate(url.Get(), nullptr, nullptr, nullptr, nullptr);
}

bool CHtmlCtrl::HandleBeforeNavigate(const std::wstring& address) {
    if (address.size() < 4 || _wcsnicmp(address.c_str(), L"app:", 4) != 0)
        return false;
    OnAppCmd(address.substr(4));
    return true;
}

void CHtmlCtrl::OnEvent(DISPID id, const VARIANT* args, UINT count) {
    // BeforeNavigate2(disp, url, flags, target, postData, headers, cancel)
    if (id != DISPID_BEFORENAVIGATE2 || count < 7)
        return;
    const VARIANT* url = &args[1];
    if (url->vt == (VT_BYREF | VT_VARIANT) && url->pvarVal)
        url = url->pvarVal;
    const std::wstring address = url->vt == VT_BSTR && url->bstrVal ? url->bstrVal : L"";
    const VARIANT& cancel = args[6];
    if (HandleBeforeNavigate(address) && cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal)
        *cancel.pboolVal = VARIANT_TRUE;
}

WindowClassSpec CHomePanel::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaHomePanel"}; }

int CHomePanel::OnCreate(CREATESTRUCTW*) {
    const RECT empty{0, 0, 0, 0};
    if (browser_.Create(m_hWnd, empty, kBrowserId))
        browser_.Navigate(kHomePage);
    return 0;
}

void CHomePanel::OnSize(UINT, SIZE size) {
    if (browser_.Window())
        ::MoveWindow(browser_.Window(), 0, 0, size.cx, size.cy, TRUE);
}

void CHomePanel::OnDestroy() { browser_.Destroy(); }

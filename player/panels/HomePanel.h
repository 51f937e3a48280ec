#pragma once
// The home page: the service's web page in an embedded browser.
#include <exdisp.h>

#include <string>

#include "framework/com/ControlHost.h"
#include "framework/com/EventSink.h"
#include "framework/win/MessageMap.h"

// The platform's web browser used as an ordinary child control. Navigations to "app:"
// addresses are commands of the page to the program, not pages: they are cancelled and
// handed to OnAppCmd.
class CHtmlCtrl : private CDispatchEventSink {
public:
    CHtmlCtrl();
    virtual ~CHtmlCtrl();

    bool Create(HWND parent, const RECT& rect, UINT id);
    void Destroy();
    HRESULT Navigate(const std::wstring& address);

    HWND Window() const { return host_.Window(); }
    IWebBrowser2* Browser() const { return browser_.Get(); }

    // Decides one navigation; true when it was an "app:" command (and is cancelled).
    bool HandleBeforeNavigate(const std::wstring& address);

protected:
    // A command of the page ("app:" address without its prefix). Nothing by default.
    virtual void OnAppCmd(const std::wstring& command) {}

private:
    void OnEvent(DISPID id, const VARIANT* args, UINT count) override;

    CControlHost host_;
    ComPtr<IWebBrowser2> browser_;
};

class CHomePanel : public CWindowImpl {
public:
    static constexpr UINT kBrowserId = 302;
    static const wchar_t kHomePage[];

    CHtmlCtrl& Browser() { return browser_; }

    BEGIN_MSG_MAP(CHomePanel)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW*);
    void OnSize(UINT, SIZE size);
    void OnDestroy();

    CHtmlCtrl browser_;
};

// Shows the navigation strip on the default skin above the broadcast panel, so the panels can be
// looked at. Usage: panels_preview.exe [hover] [dialog] [seconds before it closes by itself]
//   hover   puts the pointer's look on the third tab
//   dialog  opens the create-channel form from the command bar
#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "common/skin/Skin.h"
#include "framework/win/MessageMap.h"
#include "player/panels/BroadcastPanel.h"
#include "player/panels/NaviPanel.h"

namespace {

const UINT_PTR kCloseTimer = 1;
const UINT_PTR kActTimer = 2;

class CPreviewWindow : public CWindowImpl, public INaviListener {
public:
    CPreviewWindow(bool hover, bool dialog, int seconds) : hover_(hover), dialog_(dialog), seconds_(seconds) {}

    void OnNaviSelect(int id) override {
        wchar_t title[64];
        swprintf(title, 64, L"Panels preview - tab %d", id);
        SetWindowText(title);
    }

    BEGIN_MSG_MAP(CPreviewWindow)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"TrovaPanelsPreview";
        windowClass.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return windowClass;
    }

private:
    int OnCreate(CREATESTRUCTW*) {
        navi_.Create(m_hWnd, this);
        broadcast_.Create(m_hWnd);
        navi_.AddItem(L"首 页", 10);
        navi_.AddItem(L"播 放", 11);
        navi_.AddItem(L"控制面板", 13);
        navi_.ShowWindow(SW_SHOW);
        broadcast_.ShowWindow(SW_SHOW);
        navi_.SelectPlayItem();
        if (seconds_ > 0)
            SetTimer(kCloseTimer, seconds_ * 1000);
        if (hover_ || dialog_)
            SetTimer(kActTimer, 1500);
        return 0;
    }
    void OnSize(UINT, SIZE size) {
        navi_.SetWidth(size.cx);
        const int top = navi_.IsWindow() ? navi_.GetClientRect().bottom : 0;
        if (broadcast_.IsWindow())
            broadcast_.MoveWindow(RECT{0, top, size.cx, size.cy});
    }
    void OnTimer(UINT_PTR id) {
        if (id == kCloseTimer) {
            DestroyWindow();
            return;
        }
        KillTimer(kActTimer);
        if (hover_ && navi_.Items().size() > 2) {
            const RECT& tab = navi_.Items()[2].rect;
            navi_.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((tab.left + tab.right) / 2, tab.bottom / 2));
        }
        if (dialog_) {
            // The form is modal: the close timer goes on running inside its loop, so end it there.
            ::SendMessageW(::GetDlgItem(broadcast_.CmdPanel(), CBCastCmdPanel::kCreateButtonId), BM_CLICK, 0, 0);
        }
    }
    void OnDestroy() { ::PostQuitMessage(0); }

    bool hover_;
    bool dialog_;
    int seconds_;
    CNaviPanel navi_;
    CBroadcastPanel broadcast_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    bool hover = false, dialog = false;
    int seconds = 0;
    for (int i = 1; i < __argc; ++i) {
        const wchar_t* arg = __wargv[i];
        if (!wcscmp(arg, L"hover"))
            hover = true;
        else if (!wcscmp(arg, L"dialog"))
            dialog = true;
        else if (iswdigit(arg[0]))
            seconds = _wtoi(arg);
    }
    CSkin::Instance()->Load(nullptr);
    {
        CPreviewWindow window(hover, dialog, seconds);
        if (!window.Create(nullptr, RECT{20, 20, 780, 500}, L"Panels preview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN))
            return 1;
        window.ShowWindow(SW_SHOW);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    CSkin::Destroy();
    return 0;
}

// Shows the options window in a 600 x 400 frame for a screenshot: options_look.exe [page]
// opens the given page (0 to 7) and keeps the window until it is closed.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "player/options/OptContainerWnd.h"

namespace {

class CLookFrame : public CWindowImpl {
public:
    COptContainerWnd options;

    BEGIN_MSG_MAP(CLookFrame)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

private:
    int OnCreate(CREATESTRUCTW*) {
        return options.Create(m_hWnd, RECT{0, 0, 0, 0}, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 501) ? 0 : -1;
    }
    void OnSize(UINT, SIZE size) { options.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER); }
    void OnDestroy() { ::PostQuitMessage(0); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    CLookFrame frame;
    const RECT rect{20, 20, 20 + 616, 20 + 438};
    if (!frame.Create(nullptr, rect, L"Options", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE))
        return 1;
    const int page = std::wcstol(commandLine, nullptr, 10);
    if (page > 0 && page < static_cast<int>(frame.options.Entries().size())) {
        ::UpdateWindow(frame.options);  // lays out the titles
        const RECT hit = frame.options.Entries()[page].hitRect;
        frame.options.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                                  MAKELPARAM((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2));
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(frame, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

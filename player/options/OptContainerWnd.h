#pragma once
// The options window: a column of page titles over an animated background on the left, and
// the selected page to its right.
#include <string>
#include <vector>

#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"
#include "player/options/OptPanels.h"
#include "player/options/PlasmaEffect.h"

struct OptPageEntry {
    std::wstring title;
    HWND page = nullptr;  // not owned
    RECT hitRect{};       // set each time the titles are painted
    bool hover = false;
    bool selected = false;
};

class COptContainerWnd : public CWindowImpl, private CDoubleBufferImpl {
public:
    static constexpr int kTitleColumnWidth = 160;

    // The owner destroys the window before the object, so that its destruction still finds the
    // pages and the background.
    COptContainerWnd() = default;

    const std::vector<OptPageEntry>& Entries() const { return entries_; }
    const PlasmaEffect& Plasma() const { return plasma_; }

    BEGIN_MSG_MAP(COptContainerWnd)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_DESTROY(OnDestroy)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_MOUSEMOVE(OnMouseMove)
        MSG_WM_CAPTURECHANGED(OnCaptureChanged)
        MSG_WM_SIZE(OnSize)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_SHOWWINDOW(OnShowWindow)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnMouseMove(UINT flags, POINT point);
    void OnCaptureChanged(HWND newCapture);
    void OnSize(UINT type, SIZE size);
    void OnLButtonDown(UINT flags, POINT point);
    void OnShowWindow(BOOL show, UINT status);

    void AddPage(const wchar_t* title, CDialogImpl& page);
    void ClearHover();
    void DoPaint(HDC dc, const RECT& client) override;

    ScopedFont font_;
    std::vector<OptPageEntry> entries_;
    COptGeneralPanel generalPanel_;
    COptBufferPanel bufferPanel_;
    COptCreditPanel creditPanel_;
    COptISPPanel ispPanel_;
    COptLangPanel langPanel_;
    COptNetworkPanel networkPanel_;
    COptSkinPanel skinPanel_;
    COptUPnPPanel upnpPanel_;
    PlasmaEffect plasma_;
};

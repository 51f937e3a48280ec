#pragma once
// CControlHost: a child window that hosts one ActiveX control in place.
//
// It creates the control (by class identifier or from a class factory), gives it a client site
// (IOleClientSite, IOleInPlaceSiteEx, a minimal IOleInPlaceFrame, IOleControlSite and ambient
// properties through IDispatch), activates it in place over its whole client area, keeps it the
// size of the window, and on destruction deactivates, closes and releases it.
//
// Create order follows the control's misc status: with OLEMISC_SETCLIENTSITEFIRST the site is
// set before IPersistStreamInit::InitNew, otherwise after it.

#include "framework/com/ComUtil.h"
#include "framework/win/MessageMap.h"

class CControlHost final : public CWindowImpl {
public:
    CControlHost();
    ~CControlHost() override;
    CControlHost(const CControlHost&) = delete;
    CControlHost& operator=(const CControlHost&) = delete;

    // Creates the host window (child `id` of `parent`, with `style`, at `rect` in the parent's
    // client coordinates) and the control in it. On failure no window is left.
    HRESULT Create(HWND parent, const RECT& rect, UINT id, DWORD style, REFCLSID clsid);
    HRESULT Create(HWND parent, const RECT& rect, UINT id, DWORD style, IClassFactory* factory);
    // Deactivates, closes and releases the control and destroys the window.
    void Destroy();

    HWND Window() const { return m_hWnd; }
    // The control's IUnknown (not counted for the caller); null when there is none.
    IUnknown* Control() const { return control_.Get(); }
    HRESULT QueryControl(REFIID riid, void** object) const;
    template <class T>
    HRESULT QueryControl(ComPtr<T>& object) const {
        return QueryControl(__uuidof(T), reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
    }
    bool IsInPlaceActive() const;

    BEGIN_MSG_MAP(CControlHost)
        MSG_WM_SIZE(OnSize)
        MSG_WM_SETFOCUS(OnSetFocus)
        MSG_WM_ERASEBKGND(OnEraseBkgnd)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    class CSite;
    HRESULT CreateWindowAndSite(HWND parent, const RECT& rect, UINT id, DWORD style);
    HRESULT Activate(IUnknown* control);
    void ReleaseControl();
    void Resize();

    void OnSize(UINT, SIZE) { Resize(); }
    void OnSetFocus(HWND previous);
    LRESULT OnEraseBkgnd(HDC dc);
    void OnDestroy();

    ComPtr<CSite> site_;
    ComPtr<IUnknown> control_;
    ComPtr<IOleObject> oleObject_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
};

#include "framework/com/ControlHost.h"

#include "framework/com/ComObject.h"
#include "framework/com/InPlaceFrame.h"

#include <ocidl.h>
#include <olectl.h>

// The client site given to the hosted control. Its lifetime is COM's: the control may hold it
// a little longer than the host, so it only reaches the host while Detach has not been called.
class CControlHost::CSite final
    : public CBareInPlaceFrame<
          CComObject<IOleClientSite, IOleInPlaceSiteEx, IOleInPlaceFrame, IOleControlSite, IDispatch>> {
public:
    explicit CSite(CControlHost* host) : host_(host) {}
    void Detach() {
        host_ = nullptr;
        activeObject_.Reset();
    }
    bool InPlaceActive() const { return inPlaceActive_; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow: the site's window for the in-place site, the top-level window for the frame.
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = host_ ? host_->m_hWnd : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite(Ex)
    STDMETHODIMP CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override {
        inPlaceActive_ = true;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (!frame || !document || !position || !clip || !frameInfo)
            return E_POINTER;
        *frame = nullptr;
        *document = nullptr;
        if (!host_ || !host_->m_hWnd)
            return E_FAIL;
        RECT place{};
        ::GetClientRect(host_->m_hWnd, &place);
        return WindowContext(GetAncestor(host_->m_hWnd, GA_ROOT), place, frame, document, position, clip, frameInfo);
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        inPlaceActive_ = false;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override {
        // The host decides the control's size: it always fills the host window.
        if (host_)
            host_->Resize();
        return S_OK;
    }
    STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override {
        if (noRedraw)
            *noRedraw = FALSE;
        return OnInPlaceActivate();
    }
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return OnInPlaceDeactivate(); }
    STDMETHODIMP RequestUIActivate() override { return host_ ? S_OK : S_FALSE; }

    // IOleInPlaceFrame: no menus, toolbars or status bar to share (see CBareInPlaceFrame).
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        activeObject_ = host_ ? object : nullptr;
        return S_OK;
    }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** object) override {
        if (object)
            *object = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override {
        if (!himetric || !container)
            return E_POINTER;
        if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
            const SIZE pixels = HimetricToPixels({himetric->x, himetric->y});
            container->x = static_cast<float>(pixels.cx);
            container->y = static_cast<float>(pixels.cy);
        } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
            const SIZEL units = PixelsToHimetric({static_cast<LONG>(container->x), static_cast<LONG>(container->y)});
            himetric->x = units.cx;
            himetric->y = units.cy;
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties a control may ask for.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return E_POINTER;
        VariantInit(result);
        switch (id) {
        case DISPID_AMBIENT_USERMODE:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_TRUE;
            return S_OK;
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_DISPLAYASDEFAULT:
        case DISPID_AMBIENT_MESSAGEREFLECT:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_FALSE;
            return S_OK;
        case DISPID_AMBIENT_BACKCOLOR:
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(GetSysColor(COLOR_WINDOW));
            return S_OK;
        case DISPID_AMBIENT_FORECOLOR:
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(GetSysColor(COLOR_WINDOWTEXT));
            return S_OK;
        case DISPID_AMBIENT_LOCALEID:
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
            return S_OK;
        default: return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    IUnknown* FindInterface(REFIID riid) override {
        auto* inPlaceSite = static_cast<IOleInPlaceSiteEx*>(this);
        auto* frame = static_cast<IOleInPlaceFrame*>(this);
        return FindInterfaceIn(riid, {{IID_IOleClientSite, static_cast<IOleClientSite*>(this)},
                                      {IID_IOleWindow, inPlaceSite},
                                      {IID_IOleInPlaceSite, inPlaceSite},
                                      {IID_IOleInPlaceSiteEx, inPlaceSite},
                                      {IID_IOleInPlaceFrame, frame},
                                      {IID_IOleInPlaceUIWindow, frame},
                                      {IID_IOleControlSite, static_cast<IOleControlSite*>(this)},
                                      {IID_IDispatch, static_cast<IDispatch*>(this)}});
    }

    CControlHost* host_;
    bool inPlaceActive_ = false;
    ComPtr<IOleInPlaceActiveObject> activeObject_;
};

HRESULT CControlHost::Create(HWND parent, const RECT& rect, UINT id, DWORD style, REFCLSID clsid) {
    HRESULT hr = CreateWindowAndSite(parent, rect, id, style);
    if (FAILED(hr))
        return hr;
    ComPtr<IUnknown> control;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &control);
    if (SUCCEEDED(hr))
        hr = Activate(control.Get());
    if (FAILED(hr))
        Destroy();
    return hr;
}

HRESULT CControlHost::Create(HWND parent, const RECT& rect, UINT id, DWORD style, IClassFactory* factory) {
    if (!factory)
        return E_POINTER;
    HRESULT hr = CreateWindowAndSite(parent, rect, id, style);
    if (FAILED(hr))
        return hr;
    ComPtr<IUnknown> control;
    hr = factory->CreateInstance(nullptr, IID_IUnknown, &control);
    if (SUCCEEDED(hr))
        hr = Activate(control.Get());
    if (FAILED(hr))
        Destroy();
    return hr;
}

HRESULT CControlHost::CreateWindowAndSite(HWND parent, const RECT& rect, UINT id, DWORD style) {
    Destroy();
    if (!CWindowImpl::Create(parent, rect, L"", style, 0, id)) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    site_ = AdoptComPtr(new (std::nothrow) CSite(this));
    if (!site_) {
        Destroy();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CControlHost::Activate(IUnknown* control) {
    control_ = control;
    HRESULT hr = control_.As(&oleObject_);
    if (FAILED(hr))
        return hr;
    DWORD misc = 0;
    oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    auto* site = static_cast<IOleClientSite*>(site_.Get());
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) {
        hr = oleObject_->SetClientSite(site);
        if (FAILED(hr))
            return hr;
    }
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control_.As(&persist))) {
        hr = persist->InitNew();
        if (FAILED(hr) && hr != E_NOTIMPL)
            return hr;
    }
    if (!siteFirst) {
        hr = oleObject_->SetClientSite(site);
        if (FAILED(hr))
            return hr;
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    SIZEL extent = PixelsToHimetric({client.right - client.left, client.bottom - client.top});
    oleObject_->SetExtent(DVASPECT_CONTENT, &extent);
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, m_hWnd, &client);
    if (FAILED(hr))
        return hr;
    control_.As(&inPlaceObject_);
    return S_OK;
}

void CControlHost::ReleaseControl() {
    // Keep the control alive until it has let go of the site.
    ComPtr<IUnknown> control = std::move(control_);
    if (inPlaceObject_)
        inPlaceObject_->InPlaceDeactivate();
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
    }
    inPlaceObject_.Reset();
    oleObject_.Reset();
    if (site_) {
        site_->Detach();
        site_.Reset();
    }
}

CControlHost::CControlHost() = default;
CControlHost::~CControlHost() { Destroy(); }

void CControlHost::Destroy() {
    if (m_hWnd) {
        DestroyWindow();  // WM_DESTROY releases the control
    } else {
        ReleaseControl();
    }
}

HRESULT CControlHost::QueryControl(REFIID riid, void** object) const {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return control_ ? control_->QueryInterface(riid, object) : E_NOINTERFACE;
}

bool CControlHost::IsInPlaceActive() const { return site_ && site_->InPlaceActive(); }

void CControlHost::Resize() {
    if (!m_hWnd || !inPlaceObject_)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (oleObject_) {
        SIZEL extent = PixelsToHimetric({client.right - client.left, client.bottom - client.top});
        oleObject_->SetExtent(DVASPECT_CONTENT, &extent);
    }
    inPlaceObject_->SetObjectRects(&client, &client);
}

WindowClassSpec CControlHost::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaControlHost";
    windowClass.style = 0;
    return windowClass;
}

void CControlHost::OnSetFocus(HWND) {
    if (ComPtr<IOleInPlaceObject> object = inPlaceObject_) {
        HWND control = nullptr;
        if (SUCCEEDED(object->GetWindow(&control)) && control)
            ::SetFocus(control);
    }
}

LRESULT CControlHost::OnEraseBkgnd(HDC) {
    // The control covers the whole client area.
    if (!inPlaceObject_)
        SetMsgHandled(FALSE);
    return 1;
}

void CControlHost::OnDestroy() {
    ReleaseControl();
    SetMsgHandled(FALSE);
}

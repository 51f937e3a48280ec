#include "framework/com/OleControl.h"

#include <cstring>

COleControl::COleControl(const CClassEntry& classEntry)
    : class_(classEntry),
      version_((static_cast<ULONG>(classEntry.typeLibMajor) << 16) | classEntry.typeLibMinor),
      loadedVersion_(version_),
      connectionPoints_(this) {
    extent_ = PixelsToHimetric({200, 200});
}

COleControl::~COleControl() { connectionPoints_.UnadviseAll(); }

void COleControl::SetDispatchInterface(REFIID dispatchIid, REFIID twinIid, IUnknown* twin) {
    if (ComPtr<ITypeLib> typeLib = TypeLib())
        dispatch_.Init(typeLib.Get(), dispatchIid, twinIid, twin);
}

void COleControl::AddEventInterface(REFIID eventIid) {
    if (defaultEventIid_ == IID_NULL)
        defaultEventIid_ = eventIid;
    connectionPoints_.Add(eventIid);
}

ComPtr<ITypeLib> COleControl::TypeLib() const {
    ComPtr<ITypeLib> typeLib;
    CComModule::Instance().LoadTypeLib(&typeLib);
    return typeLib;
}

HRESULT COleControl::FireEvent(REFIID eventIid, DISPID id, DISPPARAMS* params) {
    CConnectionPoint* point = connectionPoints_.Find(eventIid);
    if (!point)
        return CONNECT_E_NOCONNECTION;
    if (AreEventsFrozen())
        return S_FALSE;
    // A sink may release the last outside reference while handling the event.
    ComPtr<IOleObject> self(this);
    return point->FireDispatch(id, params);
}

bool COleControl::GetAmbientProperty(DISPID id, VARIANT* value) const {
    ComPtr<IDispatch> ambient;
    if (!clientSite_ || FAILED(clientSite_.As(&ambient)))
        return false;
    DISPPARAMS none = {};
    VariantInit(value);
    return SUCCEEDED(
        ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr));
}

// --- IUnknown ---

IUnknown* COleControl::FindInterface(REFIID riid) {
    auto* dispatch = static_cast<IDispatch*>(this);
    auto* inPlaceObject = static_cast<IOleInPlaceObject*>(this);
    auto* viewObject = static_cast<IViewObject2*>(this);
    auto* persistStream = static_cast<IPersistStreamInit*>(this);
    auto* classInfo = static_cast<IProvideClassInfo2*>(this);
    return FindInterfaceIn(riid, {{IID_IOleObject, static_cast<IOleObject*>(this)},
                                  {IID_IDispatch, dispatch},
                                  {dispatch_.Iid(), dispatch},
                                  {IID_IOleInPlaceObject, inPlaceObject},
                                  {IID_IOleWindow, inPlaceObject},
                                  {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
                                  {IID_IOleControl, static_cast<IOleControl*>(this)},
                                  {IID_IViewObject, viewObject},
                                  {IID_IViewObject2, viewObject},
                                  {IID_IPersist, persistStream},
                                  {IID_IPersistStreamInit, persistStream},
                                  {IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
                                  {IID_IProvideClassInfo, classInfo},
                                  {IID_IProvideClassInfo2, classInfo},
                                  {IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
                                  {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
}

// --- IOleObject ---

STDMETHODIMP COleControl::SetClientSite(IOleClientSite* site) {
    // A container that drops its site without deactivating first must not leave a window
    // pointing at a site that is gone.
    if (!site && inPlaceActive_)
        InPlaceDeactivate();
    clientSite_ = site;
    return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    *site = clientSite_.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP COleControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COleControl::Close(DWORD saveOption) {
    ComPtr<IOleObject> self(this);
    if (saveOption == OLECLOSE_SAVEIFDIRTY && dirty_ && clientSite_)
        clientSite_->SaveObject();
    InPlaceDeactivate();
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    if (oleAdviseHolder_)
        oleAdviseHolder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP COleControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP COleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent, LPCRECT posRect) {
    if (!clientSite_ && activeSite)
        clientSite_ = activeSite;
    HRESULT hr;
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE: return InPlaceActivate(verb, parent, posRect);
    case OLEIVERB_SHOW:
        hr = InPlaceActivate(verb, parent, posRect);
        if (SUCCEEDED(hr) && m_hWnd)
            ::ShowWindow(m_hWnd, SW_SHOW);
        return hr;
    case OLEIVERB_PRIMARY:
    case OLEIVERB_UIACTIVATE: hr = InPlaceActivate(verb, parent, posRect); return SUCCEEDED(hr) ? UIActivate() : hr;
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd)
            ::ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES: return ShowPropertyFrame(m_hWnd ? m_hWnd : parent);
    default:
        if (verb > 0) {
            // Unknown positive verbs do the primary one, as OLE asks.
            hr = InPlaceActivate(OLEIVERB_PRIMARY, parent, posRect);
            if (SUCCEEDED(hr))
                hr = UIActivate();
            return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
        }
        return E_NOTIMPL;
    }
}

STDMETHODIMP COleControl::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(*class_.clsid, verbs); }

STDMETHODIMP COleControl::Update() { return S_OK; }

STDMETHODIMP COleControl::IsUpToDate() { return S_OK; }

STDMETHODIMP COleControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP COleControl::GetUserType(DWORD form, LPOLESTR* userType) {
    if (!userType)
        return E_POINTER;
    const std::wstring name =
        class_.typeNameId ? LoadResourceString(CComModule::Instance().Handle(), class_.typeNameId) : std::wstring();
    if (name.empty())
        return OleRegGetUserType(*class_.clsid, form, userType);
    *userType = CoTaskMemDup(name);
    return *userType ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    extent_ = *size;
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP COleControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!oleAdviseHolder_) {
        HRESULT hr = CreateOleAdviseHolder(&oleAdviseHolder_);
        if (FAILED(hr))
            return hr;
    }
    return oleAdviseHolder_->Advise(sink, connection);
}

STDMETHODIMP COleControl::Unadvise(DWORD connection) {
    return oleAdviseHolder_ ? oleAdviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP COleControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    return oleAdviseHolder_ ? oleAdviseHolder_->EnumAdvise(advise) : E_FAIL;
}

STDMETHODIMP COleControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? class_.miscStatus : 0;
    return S_OK;
}

STDMETHODIMP COleControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IOleWindow, IOleInPlaceObject ---

STDMETHODIMP COleControl::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT COleControl::InPlaceActivate(LONG, HWND, LPCRECT) {
    if (!clientSite_)
        return E_UNEXPECTED;
    if (inPlaceActive_)
        return S_OK;
    ComPtr<IOleInPlaceSite> site;
    HRESULT hr = clientSite_.As(&site);
    if (FAILED(hr))
        return hr;
    if (site->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    hr = site->OnInPlaceActivate();
    if (FAILED(hr))
        return hr;
    inPlaceSite_ = site;
    inPlaceActive_ = true;

    HWND parent = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    frame_.Reset();
    uiWindow_.Reset();
    if (FAILED(site->GetWindow(&parent)) || !parent ||
        FAILED(site->GetWindowContext(&frame_, &uiWindow_, &position, &clip, &frameInfo))) {
        InPlaceDeactivate();
        return E_FAIL;
    }
    if (!m_hWnd) {
        if (!Create(parent, position, L"", WindowStyle())) {
            InPlaceDeactivate();
            return E_FAIL;
        }
    } else if (::GetParent(m_hWnd) != parent) {
        ::SetParent(m_hWnd, parent);
    }
    SetObjectRects(&position, &clip);
    return S_OK;
}

HRESULT COleControl::UIActivate() {
    if (!inPlaceActive_)
        return E_UNEXPECTED;
    if (uiActive_)
        return S_OK;
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    const HWND focus = ::GetFocus();
    if (m_hWnd && focus != m_hWnd && !::IsChild(m_hWnd, focus))
        ::SetFocus(m_hWnd);
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (frame_) {
        frame_->SetActiveObject(active, nullptr);
        frame_->SetBorderSpace(nullptr);
    }
    if (uiWindow_) {
        uiWindow_->SetActiveObject(active, nullptr);
        uiWindow_->SetBorderSpace(nullptr);
    }
    return S_OK;
}

STDMETHODIMP COleControl::InPlaceDeactivate() {
    if (!inPlaceActive_)
        return S_OK;
    ComPtr<IOleObject> self(this);
    UIDeactivate();
    inPlaceActive_ = false;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    if (inPlaceSite_)
        inPlaceSite_->OnInPlaceDeactivate();
    frame_.Reset();
    uiWindow_.Reset();
    inPlaceSite_.Reset();
    return S_OK;
}

STDMETHODIMP COleControl::UIDeactivate() {
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (uiWindow_)
        uiWindow_->SetActiveObject(nullptr, nullptr);
    if (frame_)
        frame_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT posRect, LPCRECT) {
    if (!posRect)
        return E_POINTER;
    const SIZE size = {posRect->right - posRect->left, posRect->bottom - posRect->top};
    extent_ = PixelsToHimetric(size);
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, posRect->left, posRect->top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP COleControl::ReactivateAndUndo() { return E_NOTIMPL; }

// --- IOleInPlaceActiveObject ---

STDMETHODIMP COleControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP COleControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP COleControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP COleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP COleControl::EnableModeless(BOOL) { return S_OK; }

// --- IOleControl ---

STDMETHODIMP COleControl::GetControlInfo(CONTROLINFO* info) {
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;  // no mnemonics
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP COleControl::OnMnemonic(MSG*) { return E_NOTIMPL; }

STDMETHODIMP COleControl::OnAmbientPropertyChange(DISPID id) {
    OnAmbientChanged(id);
    return S_OK;
}

STDMETHODIMP COleControl::FreezeEvents(BOOL freeze) {
    if (freeze)
        ++freezeCount_;
    else if (freezeCount_ > 0)
        --freezeCount_;
    return S_OK;
}

// --- IViewObject2 ---

STDMETHODIMP COleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!drawDc)
        return E_INVALIDARG;
    RECT rect = {};
    if (bounds)
        rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    else if (!m_hWnd || !::GetClientRect(m_hWnd, &rect))
        return E_INVALIDARG;
    OnDraw(drawDc, rect);
    return S_OK;
}

STDMETHODIMP COleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colorSet) {
    if (colorSet)
        *colorSet = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP COleControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAdviseAspects_ = aspects;
    viewAdviseFlags_ = flags;
    viewAdviseSink_ = sink;
    return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects)
        *aspects = viewAdviseAspects_;
    if (flags)
        *flags = viewAdviseFlags_;
    if (sink) {
        *sink = viewAdviseSink_.Get();
        if (*sink)
            (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// --- IProvideClassInfo2, ISpecifyPropertyPages ---

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> typeLib = TypeLib();
    return typeLib ? typeLib->GetTypeInfoOfGuid(*class_.clsid, info) : TYPE_E_CANTLOADLIBRARY;
}

STDMETHODIMP COleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid)
        return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
        return E_INVALIDARG;
    if (defaultEventIid_ == IID_NULL)
        return E_FAIL;
    *guid = defaultEventIid_;
    return S_OK;
}

STDMETHODIMP COleControl::GetPages(CAUUID* pages) {
    if (!pages)
        return E_POINTER;
    const std::vector<CLSID> list = GetPropertyPages();
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (list.empty())
        return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(list.size() * sizeof(GUID)));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    std::memcpy(pages->pElems, list.data(), list.size() * sizeof(GUID));
    pages->cElems = static_cast<ULONG>(list.size());
    return S_OK;
}

HRESULT COleControl::ShowPropertyFrame(HWND owner) {
    std::vector<CLSID> pages = GetPropertyPages();
    if (pages.empty())
        return S_OK;
    std::wstring caption = LoadResourceString(CComModule::Instance().Handle(), class_.typeNameId);
    IUnknown* object = static_cast<IOleObject*>(this);
    return OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, &object, static_cast<ULONG>(pages.size()),
                                  pages.data(), LOCALE_USER_DEFAULT, 0, nullptr);
}

// --- IConnectionPointContainer ---

STDMETHODIMP COleControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return connectionPoints_.EnumConnectionPoints(points);
}

STDMETHODIMP COleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return connectionPoints_.FindConnectionPoint(iid, point);
}

// --- IDispatch ---

STDMETHODIMP COleControl::GetTypeInfoCount(UINT* count) { return dispatch_.GetTypeInfoCount(count); }

STDMETHODIMP COleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) { return dispatch_.GetTypeInfo(index, info); }

STDMETHODIMP COleControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return dispatch_.GetIDsOfNames(riid, names, count, ids);
}

STDMETHODIMP COleControl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argError) {
    ComPtr<IOleObject> self(this);
    return dispatch_.Invoke(id, riid, flags, params, result, exception, argError);
}

// --- The control's window ---

WindowClassSpec COleControl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaOleControl";
    return windowClass;
}

BOOL COleControl::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&) {
    // A click into an inactive control makes it the UI-active object; the click itself goes on.
    if (message == WM_MOUSEACTIVATE && inPlaceActive_ && !uiActive_)
        UIActivate();
    return FALSE;
}

#include "framework/com/OleControl.h"

#include <cstring>
#include <new>

namespace {

// Properties in a stream: in exchange order, no names. Without a stream it only counts bytes.
class CStreamExchange final : public CPropertyExchange {
public:
    CStreamExchange(IStream* stream, bool loading) : m_stream(stream), m_loading(loading) {}
    ULONG Size() const { return m_size; }

    bool IsLoading() const override { return m_loading; }
    HRESULT ExchangeULong(const wchar_t*, ULONG& value, ULONG) override { return Bytes(&value, sizeof(value)); }
    HRESULT ExchangeLong(const wchar_t*, LONG& value, LONG) override { return Bytes(&value, sizeof(value)); }
    HRESULT ExchangeString(const wchar_t*, std::wstring& value, const std::wstring&) override {
        // A length beyond this is a damaged stream, not a property.
        constexpr ULONG kMaxLength = 1 << 20;
        ULONG length = static_cast<ULONG>(value.size());
        HRESULT hr = Bytes(&length, sizeof(length));
        if (FAILED(hr)) return hr;
        if (m_loading) {
            if (length > kMaxLength) return STG_E_READFAULT;
            value.assign(length, L'\0');
        }
        return length ? Bytes(&value[0], length * sizeof(wchar_t)) : S_OK;
    }

private:
    HRESULT Bytes(void* data, ULONG size) {
        m_size += size;
        if (!m_stream) return S_OK;
        ULONG done = 0;
        HRESULT hr = m_loading ? m_stream->Read(data, size, &done) : m_stream->Write(data, size, &done);
        if (FAILED(hr)) return hr;
        return done == size ? S_OK : (m_loading ? STG_E_READFAULT : STG_E_WRITEFAULT);
    }

    IStream* m_stream;
    bool m_loading;
    ULONG m_size = 0;
};

// Properties in a property bag, by name. A property that is missing or of an unusable type
// takes its default when loading.
class CBagExchange final : public CPropertyExchange {
public:
    CBagExchange(IPropertyBag* bag, IErrorLog* log, bool loading) : m_bag(bag), m_log(log), m_loading(loading) {}

    bool IsLoading() const override { return m_loading; }
    HRESULT ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) override {
        return Number(name, VT_UI4, &value, defaultValue);
    }
    HRESULT ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) override {
        return Number(name, VT_I4, &value, defaultValue);
    }
    HRESULT ExchangeString(const wchar_t* name, std::wstring& value, const std::wstring& defaultValue) override {
        CScopedVariant v;
        if (m_loading) {
            value = Read(name, VT_BSTR, v) ? std::wstring(V_BSTR(v.Get()), SysStringLen(V_BSTR(v.Get())))
                                           : defaultValue;
            return S_OK;
        }
        V_VT(v.Get()) = VT_BSTR;
        V_BSTR(v.Get()) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return m_bag->Write(name, v.Get());
    }

private:
    template <class T>
    HRESULT Number(const wchar_t* name, VARTYPE type, T* value, T defaultValue) {
        CScopedVariant v;
        if (m_loading) {
            *value = Read(name, type, v) ? *reinterpret_cast<T*>(&V_I4(v.Get())) : defaultValue;
            return S_OK;
        }
        V_VT(v.Get()) = type;
        *reinterpret_cast<T*>(&V_I4(v.Get())) = *value;
        return m_bag->Write(name, v.Get());
    }

    bool Read(const wchar_t* name, VARTYPE type, CScopedVariant& value) {
        V_VT(value.Get()) = type;  // asks the bag for this type; it may still answer another
        if (FAILED(m_bag->Read(name, value.Get(), m_log))) return false;
        return SUCCEEDED(VariantChangeType(value.Get(), value.Get(), 0, type));
    }

    IPropertyBag* m_bag;
    IErrorLog* m_log;
    bool m_loading;
};

}  // namespace

COleControl::COleControl(const CClassEntry& classEntry)
    : m_class(classEntry),
      m_version((static_cast<ULONG>(classEntry.typeLibMajor) << 16) | classEntry.typeLibMinor),
      m_loadedVersion(m_version),
      m_connectionPoints(this) {
    m_extent = PixelsToHimetric({200, 200});
}

COleControl::~COleControl() {
    m_connectionPoints.UnadviseAll();
}

void COleControl::SetDispatchInterface(REFIID dispatchIid, REFIID twinIid, IUnknown* twin) {
    if (ComPtr<ITypeLib> typeLib = TypeLib()) m_dispatch.Init(typeLib.Get(), dispatchIid, twinIid, twin);
}

void COleControl::AddEventInterface(REFIID eventIid) {
    if (m_defaultEventIid == IID_NULL) m_defaultEventIid = eventIid;
    m_connectionPoints.Add(eventIid);
}

ComPtr<ITypeLib> COleControl::TypeLib() const {
    ComPtr<ITypeLib> typeLib;
    CComModule::Instance().LoadTypeLib(&typeLib);
    return typeLib;
}

HRESULT COleControl::FireEvent(REFIID eventIid, DISPID id, DISPPARAMS* params) {
    CConnectionPoint* point = m_connectionPoints.Find(eventIid);
    if (!point) return CONNECT_E_NOCONNECTION;
    if (AreEventsFrozen()) return S_FALSE;
    // A sink may release the last outside reference while handling the event.
    ComPtr<IOleObject> self(this);
    return point->FireDispatch(id, params);
}

bool COleControl::GetAmbientProperty(DISPID id, VARIANT* value) const {
    ComPtr<IDispatch> ambient;
    if (!m_clientSite || FAILED(m_clientSite.As(&ambient))) return false;
    DISPPARAMS none = {};
    VariantInit(value);
    return SUCCEEDED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value,
                                     nullptr, nullptr));
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
                                  {m_dispatch.Iid(), dispatch},
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
    if (!site && m_inPlaceActive) InPlaceDeactivate();
    m_clientSite = site;
    return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_clientSite.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP COleControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COleControl::Close(DWORD saveOption) {
    ComPtr<IOleObject> self(this);
    if (saveOption == OLECLOSE_SAVEIFDIRTY && m_dirty && m_clientSite) m_clientSite->SaveObject();
    InPlaceDeactivate();
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (m_oleAdviseHolder) m_oleAdviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP COleControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP COleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                 LPCRECT posRect) {
    if (!m_clientSite && activeSite) m_clientSite = activeSite;
    HRESULT hr;
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(verb, parent, posRect);
    case OLEIVERB_SHOW:
        hr = InPlaceActivate(verb, parent, posRect);
        if (SUCCEEDED(hr) && m_hWnd) ::ShowWindow(m_hWnd, SW_SHOW);
        return hr;
    case OLEIVERB_PRIMARY:
    case OLEIVERB_UIACTIVATE:
        hr = InPlaceActivate(verb, parent, posRect);
        return SUCCEEDED(hr) ? UIActivate() : hr;
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
        return ShowPropertyFrame(m_hWnd ? m_hWnd : parent);
    default:
        if (verb > 0) {
            // Unknown positive verbs do the primary one, as OLE asks.
            hr = InPlaceActivate(OLEIVERB_PRIMARY, parent, posRect);
            if (SUCCEEDED(hr)) hr = UIActivate();
            return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
        }
        return E_NOTIMPL;
    }
}

STDMETHODIMP COleControl::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(*m_class.clsid, verbs); }

STDMETHODIMP COleControl::Update() { return S_OK; }

STDMETHODIMP COleControl::IsUpToDate() { return S_OK; }

STDMETHODIMP COleControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP COleControl::GetUserType(DWORD form, LPOLESTR* userType) {
    if (!userType) return E_POINTER;
    const std::wstring name =
        m_class.typeNameId ? LoadResourceString(CComModule::Instance().Handle(), m_class.typeNameId) : std::wstring();
    if (name.empty()) return OleRegGetUserType(*m_class.clsid, form, userType);
    *userType = CoTaskMemDup(name);
    return *userType ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP COleControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!m_oleAdviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(&m_oleAdviseHolder);
        if (FAILED(hr)) return hr;
    }
    return m_oleAdviseHolder->Advise(sink, connection);
}

STDMETHODIMP COleControl::Unadvise(DWORD connection) {
    return m_oleAdviseHolder ? m_oleAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP COleControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return m_oleAdviseHolder ? m_oleAdviseHolder->EnumAdvise(advise) : E_FAIL;
}

STDMETHODIMP COleControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? m_class.miscStatus : 0;
    return S_OK;
}

STDMETHODIMP COleControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IOleWindow, IOleInPlaceObject ---

STDMETHODIMP COleControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT COleControl::InPlaceActivate(LONG, HWND, LPCRECT) {
    if (!m_clientSite) return E_UNEXPECTED;
    if (m_inPlaceActive) return S_OK;
    ComPtr<IOleInPlaceSite> site;
    HRESULT hr = m_clientSite.As(&site);
    if (FAILED(hr)) return hr;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    hr = site->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    m_inPlaceSite = site;
    m_inPlaceActive = true;

    HWND parent = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    m_frame.Reset();
    m_uiWindow.Reset();
    if (FAILED(site->GetWindow(&parent)) || !parent ||
        FAILED(site->GetWindowContext(&m_frame, &m_uiWindow, &position, &clip, &frameInfo))) {
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
    if (!m_inPlaceActive) return E_UNEXPECTED;
    if (m_uiActive) return S_OK;
    m_uiActive = true;
    m_inPlaceSite->OnUIActivate();
    const HWND focus = ::GetFocus();
    if (m_hWnd && focus != m_hWnd && !::IsChild(m_hWnd, focus)) ::SetFocus(m_hWnd);
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (m_frame) {
        m_frame->SetActiveObject(active, nullptr);
        m_frame->SetBorderSpace(nullptr);
    }
    if (m_uiWindow) {
        m_uiWindow->SetActiveObject(active, nullptr);
        m_uiWindow->SetBorderSpace(nullptr);
    }
    return S_OK;
}

STDMETHODIMP COleControl::InPlaceDeactivate() {
    if (!m_inPlaceActive) return S_OK;
    ComPtr<IOleObject> self(this);
    UIDeactivate();
    m_inPlaceActive = false;
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (m_inPlaceSite) m_inPlaceSite->OnInPlaceDeactivate();
    m_frame.Reset();
    m_uiWindow.Reset();
    m_inPlaceSite.Reset();
    return S_OK;
}

STDMETHODIMP COleControl::UIDeactivate() {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_uiWindow) m_uiWindow->SetActiveObject(nullptr, nullptr);
    if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT posRect, LPCRECT) {
    if (!posRect) return E_POINTER;
    const SIZE size = {posRect->right - posRect->left, posRect->bottom - posRect->top};
    m_extent = PixelsToHimetric(size);
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
    if (!info) return E_POINTER;
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
        ++m_freezeCount;
    else if (m_freezeCount > 0)
        --m_freezeCount;
    return S_OK;
}

// --- IViewObject2 ---

STDMETHODIMP COleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                               LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!drawDc) return E_INVALIDARG;
    RECT rect = {};
    if (bounds)
        rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    else if (!m_hWnd || !::GetClientRect(m_hWnd, &rect))
        return E_INVALIDARG;
    OnDraw(drawDc, rect);
    return S_OK;
}

STDMETHODIMP COleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colorSet) {
    if (colorSet) *colorSet = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP COleControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    m_viewAdviseAspects = aspects;
    m_viewAdviseFlags = flags;
    m_viewAdviseSink = sink;
    return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = m_viewAdviseAspects;
    if (flags) *flags = m_viewAdviseFlags;
    if (sink) {
        *sink = m_viewAdviseSink.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// --- Persistence ---

STDMETHODIMP COleControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *m_class.clsid;
    return S_OK;
}

STDMETHODIMP COleControl::IsDirty() { return m_dirty ? S_OK : S_FALSE; }

HRESULT COleControl::ExchangeAll(CPropertyExchange& exchange) {
    HRESULT hr;
    if (exchange.IsLoading()) {
        hr = exchange.ExchangeULong(kVersionProperty, m_loadedVersion, m_version);
    } else {
        ULONG version = m_version;
        hr = exchange.ExchangeULong(kVersionProperty, version, m_version);
    }
    return SUCCEEDED(hr) ? ExchangeProperties(exchange) : hr;
}

STDMETHODIMP COleControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    CStreamExchange exchange(stream, true);
    HRESULT hr = ExchangeAll(exchange);
    if (FAILED(hr)) {
        // A damaged stream leaves the control as new rather than half loaded.
        m_loadedVersion = m_version;
        OnResetState();
        return hr;
    }
    m_initialized = true;
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COleControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    CStreamExchange exchange(stream, false);
    HRESULT hr = ExchangeAll(exchange);
    if (SUCCEEDED(hr) && clearDirty) m_dirty = false;
    return hr;
}

STDMETHODIMP COleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    CStreamExchange counter(nullptr, false);
    HRESULT hr = ExchangeAll(counter);
    size->QuadPart = counter.Size();
    return hr;
}

STDMETHODIMP COleControl::InitNew() {
    m_loadedVersion = m_version;
    OnResetState();
    m_initialized = true;
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COleControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    CBagExchange exchange(bag, log, true);
    HRESULT hr = ExchangeAll(exchange);
    if (FAILED(hr)) {
        m_loadedVersion = m_version;
        OnResetState();
        return hr;
    }
    m_initialized = true;
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    CBagExchange exchange(bag, nullptr, false);
    HRESULT hr = ExchangeAll(exchange);
    if (SUCCEEDED(hr) && clearDirty) m_dirty = false;
    return hr;
}

// --- IProvideClassInfo2, ISpecifyPropertyPages ---

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> typeLib = TypeLib();
    return typeLib ? typeLib->GetTypeInfoOfGuid(*m_class.clsid, info) : TYPE_E_CANTLOADLIBRARY;
}

STDMETHODIMP COleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    if (m_defaultEventIid == IID_NULL) return E_FAIL;
    *guid = m_defaultEventIid;
    return S_OK;
}

STDMETHODIMP COleControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    const std::vector<CLSID> list = GetPropertyPages();
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (list.empty()) return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(list.size() * sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    std::memcpy(pages->pElems, list.data(), list.size() * sizeof(GUID));
    pages->cElems = static_cast<ULONG>(list.size());
    return S_OK;
}

HRESULT COleControl::ShowPropertyFrame(HWND owner) {
    std::vector<CLSID> pages = GetPropertyPages();
    if (pages.empty()) return S_OK;
    std::wstring caption = LoadResourceString(CComModule::Instance().Handle(), m_class.typeNameId);
    IUnknown* object = static_cast<IOleObject*>(this);
    return OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, &object, static_cast<ULONG>(pages.size()),
                                  pages.data(), LOCALE_USER_DEFAULT, 0, nullptr);
}

// --- IConnectionPointContainer ---

STDMETHODIMP COleControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return m_connectionPoints.EnumConnectionPoints(points);
}

STDMETHODIMP COleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return m_connectionPoints.FindConnectionPoint(iid, point);
}

// --- IDispatch ---

STDMETHODIMP COleControl::GetTypeInfoCount(UINT* count) { return m_dispatch.GetTypeInfoCount(count); }

STDMETHODIMP COleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) { return m_dispatch.GetTypeInfo(index, info); }

STDMETHODIMP COleControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return m_dispatch.GetIDsOfNames(riid, names, count, ids);
}

STDMETHODIMP COleControl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argError) {
    ComPtr<IOleObject> self(this);
    return m_dispatch.Invoke(id, riid, flags, params, result, exception, argError);
}

// --- The control's window ---

WindowClassSpec COleControl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaOleControl";
    return windowClass;
}

BOOL COleControl::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&) {
    // A click into an inactive control makes it the UI-active object; the click itself goes on.
    if (message == WM_MOUSEACTIVATE && m_inPlaceActive && !m_uiActive) UIActivate();
    return FALSE;
}

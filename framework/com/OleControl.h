#pragma once
// COleControl: the base of an in-process ActiveX control with its own window.
//
// It answers IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IViewObject2,
// IPersistStreamInit, IPersistPropertyBag, IProvideClassInfo2, ISpecifyPropertyPages,
// IConnectionPointContainer and IDispatch (through the type library, see Dispatch.h).
//
// The derived control:
//   - passes its CClassEntry (class identifier, misc status, type library version) to the
//     constructor and calls SetDispatchInterface / AddEventInterface there;
//   - handles its window's messages with a message map (framework/win/MessageMap.h) that ends
//     with CHAIN_MSG_MAP(COleControl): the framework creates that window as a child of the
//     site's window when the container activates the control in place, and destroys it when
//     the control is deactivated or closed; a container may also release the control without
//     closing it, so the final control class destroys a window still there in its destructor,
//     while its map still answers;
//   - fires events with FireEvent;
//   - may override OnDraw, ExchangeProperties, OnResetState, GetPropertyPages, WindowStyle.

#include "framework/com/ComObject.h"
#include "framework/com/ConnectionPoints.h"
#include "framework/com/Dispatch.h"
#include "framework/win/Window.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

// The misc status of a control drawn in its own window: activated in place as soon as it is
// visible, inside-out, given its site before it is initialised, redrawn whole on a resize, and
// with nothing inside it to link to.
constexpr DWORD kInPlaceControlMiscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST |
                                            OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

// Persistent properties, exchanged in one direction: stream or property bag, loading or saving.
class CPropertyExchange {
public:
    virtual ~CPropertyExchange() = default;
    virtual bool IsLoading() const = 0;
    // When loading, a property missing from a property bag gets its default; a missing value in
    // a stream is a failure (streams hold the properties in a fixed order).
    virtual HRESULT ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) = 0;
    virtual HRESULT ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) = 0;
    virtual HRESULT ExchangeString(const wchar_t* name, std::wstring& value, const std::wstring& defaultValue) = 0;
};

class COleControl : public CWindowImpl,
                    public CComObject<IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IViewObject2,
                                      IPersistStreamInit, IPersistPropertyBag, IProvideClassInfo2,
                                      ISpecifyPropertyPages, IConnectionPointContainer, IDispatch> {
public:
    // Name of the version property in property bags (and its place in streams: first).
    static constexpr const wchar_t* kVersionProperty = L"_Version";

    explicit COleControl(const CClassEntry& classEntry);

    HWND Window() const { return m_hWnd; }
    bool IsInPlaceActive() const { return inPlaceActive_; }
    bool IsUIActive() const { return uiActive_; }
    IOleClientSite* ClientSite() const { return clientSite_.Get(); }
    // The persisted version: (major << 16) | minor of the type library version.
    ULONG Version() const { return version_; }
    // The version found by the last Load; the control's own version after InitNew.
    ULONG LoadedVersion() const { return loadedVersion_; }
    bool AreEventsFrozen() const { return freezeCount_ > 0; }
    void SetModified() { dirty_ = true; }

    // Fires event `id` of the outgoing dispinterface `eventIid` synchronously to every sink.
    // While the container has events frozen they are dropped, as containers expect.
    HRESULT FireEvent(REFIID eventIid, DISPID id, DISPPARAMS* params);
    template <class... Args>
    HRESULT FireEvent(REFIID eventIid, DISPID id, Args&&... args) {
        CDispatchArgs dispatchArgs(std::forward<Args>(args)...);
        return FireEvent(eventIid, id, dispatchArgs.Params());
    }

    // An ambient property of the container (DISPID_AMBIENT_*); false when it has none.
    bool GetAmbientProperty(DISPID id, VARIANT* value) const;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow (of both in-place interfaces)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice, HDC drawDc,
                      LPCRECTL bounds, LPCRECTL metafileBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice,
                             LOGPALETTE** colorSet) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

protected:
    ~COleControl() override;

    // The control's primary dispatch interface (a dispinterface of the module's type library)
    // and its hidden vtable twin, implemented by `twin` (see Dispatch.h).
    void SetDispatchInterface(REFIID dispatchIid, REFIID twinIid, IUnknown* twin);
    // An outgoing dispinterface; the first one added is the default source.
    void AddEventInterface(REFIID eventIid);

    // The framework's part of the control's message map: UI activation on a click.
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    WindowClassSpec GetWindowClassSpec() const override;
    // Style of the control's window, created during in-place activation.
    virtual DWORD WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS; }

    // Paints the control for IViewObject::Draw (printing, inactive display). Default: nothing.
    virtual void OnDraw(HDC dc, const RECT& bounds) {}
    // The persistent properties after the version property (which the framework exchanges).
    virtual HRESULT ExchangeProperties(CPropertyExchange& exchange) { return S_OK; }
    // Sets every persistent property to its default (IPersist*::InitNew).
    virtual void OnResetState() {}
    virtual void OnAmbientChanged(DISPID id) {}
    virtual std::vector<CLSID> GetPropertyPages() const { return {}; }
    // Initial size in pixels until the container sets the extent.
    virtual SIZE InitialSize() const { return {200, 200}; }

private:
    IUnknown* FindInterface(REFIID riid) override;
    HRESULT InPlaceActivate(LONG verb, HWND parent, LPCRECT posRect);
    HRESULT UIActivate();
    HRESULT ShowPropertyFrame(HWND owner);
    HRESULT ExchangeAll(CPropertyExchange& exchange);
    // Loads from a stream or a bag: all or nothing.
    HRESULT LoadFrom(CPropertyExchange& exchange);
    HRESULT SaveTo(CPropertyExchange& exchange, BOOL clearDirty);
    ComPtr<ITypeLib> TypeLib() const;

    const CClassEntry& class_;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool dirty_ = false;
    bool initialized_ = false;
    LONG freezeCount_ = 0;
    ULONG version_;
    ULONG loadedVersion_;
    SIZEL extent_;  // HIMETRIC

    ComPtr<IOleClientSite> clientSite_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleInPlaceFrame> frame_;
    ComPtr<IOleInPlaceUIWindow> uiWindow_;
    ComPtr<IOleAdviseHolder> oleAdviseHolder_;
    ComPtr<IAdviseSink> viewAdviseSink_;
    DWORD viewAdviseAspects_ = 0;
    DWORD viewAdviseFlags_ = 0;

    CTypeInfoDispatch dispatch_;
    CConnectionPointSet connectionPoints_;
    IID defaultEventIid_ = IID_NULL;
};

// COleControl together with the control's vtable twin interface `Twin` (see Dispatch.h),
// which the derived control implements; the twin's IUnknown is the control's own.
template <class Twin>
class COleControlImpl : public COleControl, public Twin {
public:
    using COleControl::COleControl;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        return COleControl::QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return COleControl::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return COleControl::Release(); }

protected:
    // Registers the control's dispinterface; calls go through Twin.
    void SetDispatchInterface(REFIID dispatchIid) {
        COleControl::SetDispatchInterface(dispatchIid, __uuidof(Twin), static_cast<Twin*>(this));
    }
};

#include "player/shell/tests/StubControl.h"

#include <olectl.h>

namespace {

std::wstring Describe(const VARIANT& arg) {
    if (arg.vt == VT_BSTR)
        return std::wstring(arg.bstrVal ? arg.bstrVal : L"", SysStringLen(arg.bstrVal));
    if (arg.vt & VT_BYREF)
        return L"&";
    CScopedVariant text;
    if (SUCCEEDED(VariantChangeType(text.Get(), const_cast<VARIANT*>(&arg), 0, VT_BSTR)))
        return std::wstring(text.Ref().bstrVal, SysStringLen(text.Ref().bstrVal));
    return L"?";
}

void SetResult(VARIANT* result, LONG value) {
    if (!result)
        return;
    VariantClear(result);
    result->vt = VT_I4;
    result->lVal = value;
}

}  // namespace

HRESULT CStubControl::Fire(DISPID id, std::vector<VARIANT> args) {
    if (!sink_)
        return E_FAIL;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    ComPtr<IDispatch> sink = sink_;
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

IUnknown* CStubControl::FindInterface(REFIID riid) {
    auto* dispatch = static_cast<IDispatch*>(this);
    return FindInterfaceIn(riid, {{IID_IOleObject, static_cast<IOleObject*>(this)},
                                  {IID_IDispatch, dispatch},
                                  {offersDispatch ? dispatchId_ : IID_NULL, dispatch},
                                  {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
}

STDMETHODIMP CStubControl::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CStubControl::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                  UINT*) {
    const UINT count = params ? params->cArgs : 0;
    std::wstring call = std::to_wstring(id);
    for (UINT i = 0; i < count; ++i)
        call += L" " + Describe(params->rgvarg[count - 1 - i]);
    calls.push_back(call);

    // The player's method 5: (BSTR* server, ULONG* port, BSTR* channel).
    if (id == 5 && count == 3) {
        VARIANT* args = params->rgvarg;
        if (playingStatus >= 0) {
            if (args[2].vt == (VT_BSTR | VT_BYREF))
                *args[2].pbstrVal = SysAllocString(playingServer.c_str());
            if (args[1].vt == (VT_UI4 | VT_BYREF))
                *args[1].pulVal = playingPort;
            if (args[0].vt == (VT_BSTR | VT_BYREF))
                *args[0].pbstrVal = SysAllocString(playingChannel.c_str());
        }
        SetResult(result, playingStatus);
        return S_OK;
    }
    // The channel list's GetChannelName: (server, port, channel, BSTR* name).
    if (id == 1 && count == 4) {
        if (nameStatus >= 0 && params->rgvarg[0].vt == (VT_BSTR | VT_BYREF))
            *params->rgvarg[0].pbstrVal = SysAllocString(channelName.c_str());
        SetResult(result, nameStatus);
        return S_OK;
    }
    SetResult(result, 0);
    return S_OK;
}

STDMETHODIMP CStubControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, eventsId_))
        return CONNECT_E_NOCONNECTION;
    *point = &point_;
    point_.AddRef();
    return S_OK;
}

IUnknown* CStubControl::CPoint::FindInterface(REFIID riid) {
    return FindInterfaceIn(riid, {{IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
}

STDMETHODIMP CStubControl::CPoint::GetConnectionInterface(IID* iid) {
    if (!iid)
        return E_POINTER;
    *iid = OwnerObject()->eventsId_;
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container)
        return E_POINTER;
    *container = OwnerObject();
    OwnerObject()->AddRef();
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    CStubControl& owner = *OwnerObject();
    *cookie = 0;
    if (owner.sink_)
        return CONNECT_E_ADVISELIMIT;
    // A real connection point asks the sink for the event interface itself.
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(owner.eventsId_, reinterpret_cast<void**>(events.GetAddressOf()))))
        return CONNECT_E_CANNOTCONNECT;
    owner.sink_ = events;
    *cookie = ++owner.cookie_;
    ++owner.advises;
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::Unadvise(DWORD cookie) {
    CStubControl& owner = *OwnerObject();
    ++owner.unadvises;
    if (!owner.sink_ || cookie != owner.cookie_)
        return CONNECT_E_NOCONNECTION;
    owner.sink_.Reset();
    return S_OK;
}

STDMETHODIMP CStubControl::SetClientSite(IOleClientSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP CStubControl::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    *site = site_.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP CStubControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = 0;
    return S_OK;
}

class CStubClassRegistration::CFactory final : public CComObject<IClassFactory> {
public:
    explicit CFactory(CStubControl& control) : control_(control) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return control_.QueryInterface(riid, object);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IClassFactory, static_cast<IClassFactory*>(this)}});
    }
    CStubControl& control_;
};

CStubClassRegistration::CStubClassRegistration(const CLSID& classId, CStubControl& control)
    : factory_(new CFactory(control)) {
    if (FAILED(CoRegisterClassObject(classId, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
        cookie_ = 0;
}

CStubClassRegistration::~CStubClassRegistration() {
    if (cookie_)
        CoRevokeClassObject(cookie_);
    factory_->Release();
}

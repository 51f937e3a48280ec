#include "player/shell/tests/StubControl.h"

#include <olectl.h>

VARIANT UIntArg(ULONG value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_UI4;
    arg.ulVal = value;
    return arg;
}

VARIANT IntArg(LONG value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = value;
    return arg;
}

VARIANT ByteArg(BYTE value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_UI1;
    arg.bVal = value;
    return arg;
}

VARIANT TextArg(BSTR text) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = text;
    return arg;
}

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

STDMETHODIMP CStubControl::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IDispatch) || (IsEqualIID(riid, dispatchId_) && offersDispatch))
        *object = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CStubControl::Release() {
    // Owned by the test; the count only shows that hosts give back what they take.
    return --refs_;
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

STDMETHODIMP CStubControl::CPoint::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CStubControl::CPoint::GetConnectionInterface(IID* iid) {
    if (!iid)
        return E_POINTER;
    *iid = owner_.eventsId_;
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container)
        return E_POINTER;
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = 0;
    if (owner_.sink_)
        return CONNECT_E_ADVISELIMIT;
    // A real connection point asks the sink for the event interface itself.
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(owner_.eventsId_, reinterpret_cast<void**>(events.GetAddressOf()))))
        return CONNECT_E_CANNOTCONNECT;
    owner_.sink_ = events;
    *cookie = ++owner_.cookie_;
    ++owner_.advises;
    return S_OK;
}

STDMETHODIMP CStubControl::CPoint::Unadvise(DWORD cookie) {
    ++owner_.unadvises;
    if (!owner_.sink_ || cookie != owner_.cookie_)
        return CONNECT_E_NOCONNECTION;
    owner_.sink_.Reset();
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

class CStubClassRegistration::CFactory : public IClassFactory {
public:
    explicit CFactory(CStubControl& control) : control_(control) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return control_.QueryInterface(riid, object);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    virtual ~CFactory() = default;
    CStubControl& control_;
    ULONG refs_ = 1;
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

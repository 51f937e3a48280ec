#include "framework/com/EventSink.h"

CDispatchEventSink::~CDispatchEventSink() { Disconnect(); }

ComPtr<IConnectionPoint> CDispatchEventSink::FindConnectionPoint(IUnknown* control) const {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (control && SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container))) && container)
        container->FindConnectionPoint(events_, &point);
    return point;
}

bool CDispatchEventSink::Connect(IUnknown* control) {
    if (!control)
        return false;
    ComPtr<IConnectionPoint> point = FindConnectionPoint(control);
    DWORD cookie = 0;
    if (!point || FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie)))
        return false;
    cookie_ = cookie;
    if (control_.Get() != control)
        control_ = control;
    return true;
}

void CDispatchEventSink::Disconnect() {
    if (!control_ || !IsConnected())
        return;
    if (ComPtr<IConnectionPoint> point = FindConnectionPoint(control_.Get()))
        point->Unadvise(cookie_);
    cookie_ = kNotConnected;
}

IUnknown* CDispatchEventSink::FindInterface(REFIID riid) {
    return FindInterfaceIn(riid,
                           {{IID_IDispatch, static_cast<IDispatch*>(this)}, {events_, static_cast<IDispatch*>(this)}});
}

STDMETHODIMP CDispatchEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                        UINT*) {
    // Dispatch passes arguments last to first; hand them on in call order.
    const UINT count = params ? params->cArgs : 0;
    VARIANT inOrder[8];
    const UINT used = count < 8 ? count : 8;
    for (UINT i = 0; i < used; ++i)
        inOrder[i] = params->rgvarg[count - 1 - i];
    OnEvent(id, inOrder, used);
    return S_OK;
}

namespace {

bool Converted(const VARIANT* args, UINT count, UINT index, VARTYPE type, VARIANT& out) {
    VariantInit(&out);
    if (index >= count)
        return false;
    // Arguments may arrive by reference; VariantChangeType dereferences them.
    return SUCCEEDED(VariantChangeType(&out, const_cast<VARIANT*>(&args[index]), 0, type));
}

}  // namespace

ULONG CDispatchEventSink::ArgUInt(const VARIANT* args, UINT count, UINT index) {
    VARIANT value;
    if (Converted(args, count, index, VT_I8, value))
        return static_cast<ULONG>(value.llVal);
    return 0;
}

LONG CDispatchEventSink::ArgInt(const VARIANT* args, UINT count, UINT index) {
    VARIANT value;
    if (Converted(args, count, index, VT_I8, value))
        return static_cast<LONG>(value.llVal);
    return 0;
}

std::wstring CDispatchEventSink::ArgText(const VARIANT* args, UINT count, UINT index) {
    CScopedVariant value;
    if (!Converted(args, count, index, VT_BSTR, *value.Get()) || !value.Ref().bstrVal)
        return std::wstring();
    return std::wstring(value.Ref().bstrVal, SysStringLen(value.Ref().bstrVal));
}

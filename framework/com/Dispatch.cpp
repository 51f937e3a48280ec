#include "framework/com/Dispatch.h"

HRESULT CTypeInfoDispatch::Init(ITypeLib* typeLib, REFIID dispatchIid, REFIID twinIid, IUnknown* target) {
    if (!typeLib || !target) return E_POINTER;
    HRESULT hr = typeLib->GetTypeInfoOfGuid(dispatchIid, &dispatch_);
    if (FAILED(hr)) return hr;
    hr = typeLib->GetTypeInfoOfGuid(twinIid, &twin_);
    if (FAILED(hr)) {
        dispatch_.Reset();
        return hr;
    }
    iid_ = dispatchIid;
    target_ = target;
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfoCount(UINT* count) const {
    if (!count) return E_POINTER;
    *count = dispatch_ ? 1 : 0;
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfo(UINT index, ITypeInfo** info) const {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0 || !dispatch_) return DISP_E_BADINDEX;
    *info = dispatch_.Get();
    (*info)->AddRef();
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!dispatch_) return E_UNEXPECTED;
    return DispGetIDsOfNames(dispatch_.Get(), names, count, ids);
}

HRESULT CTypeInfoDispatch::Invoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argError) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!twin_) return E_UNEXPECTED;
    DISPPARAMS none = {};
    return twin_->Invoke(target_, id, flags, params ? params : &none, result, exception, argError);
}

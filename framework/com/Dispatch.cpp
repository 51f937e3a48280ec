#include "framework/com/Dispatch.h"

HRESULT CTypeInfoDispatch::Init(ITypeLib* typeLib, REFIID dispatchIid, REFIID twinIid, IUnknown* target) {
    if (!typeLib || !target) return E_POINTER;
    HRESULT hr = typeLib->GetTypeInfoOfGuid(dispatchIid, &m_dispatch);
    if (FAILED(hr)) return hr;
    hr = typeLib->GetTypeInfoOfGuid(twinIid, &m_twin);
    if (FAILED(hr)) {
        m_dispatch.Reset();
        return hr;
    }
    m_iid = dispatchIid;
    m_target = target;
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfoCount(UINT* count) const {
    if (!count) return E_POINTER;
    *count = m_dispatch ? 1 : 0;
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfo(UINT index, ITypeInfo** info) const {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0 || !m_dispatch) return DISP_E_BADINDEX;
    *info = m_dispatch.Get();
    (*info)->AddRef();
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!m_dispatch) return E_UNEXPECTED;
    return DispGetIDsOfNames(m_dispatch.Get(), names, count, ids);
}

HRESULT CTypeInfoDispatch::Invoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argError) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!m_twin) return E_UNEXPECTED;
    DISPPARAMS none = {};
    return m_twin->Invoke(m_target, id, flags, params ? params : &none, result, exception, argError);
}

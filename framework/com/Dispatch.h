#pragma once
// IDispatch served from the module's type library.
//
// A control's dispatch interface is a dispinterface: clients see its type information and
// call it by dispid. The calls themselves go through a hidden vtable twin declared in the same
// IDL: an [object, oleautomation, hidden] interface derived from IUnknown with the same names
// and dispids, whose methods return HRESULT and give the dispinterface's result as
// [out, retval]. The twin's
// ITypeInfo::Invoke (what DispInvoke does) converts the arguments and calls the C++ object.
// Declare the twin before the dispinterfaces: in the other order widl 7 imports stdole2
// twice ("duplicate uuid") and writes a wrong library identifier.
//
//   [object, uuid(...), oleautomation, hidden]
//   interface IThingCalls : IUnknown {
//       [id(1)] HRESULT Find([in] BSTR key, [out] BSTR* value, [out, retval] ULONG* result);
//   };
//   dispinterface _DThing { properties: methods: [id(1)] ULONG Find([in] BSTR key, [out] BSTR* value); };

#include "framework/com/ComUtil.h"

class CTypeInfoDispatch {
public:
    // Looks both interfaces up in the type library; target is the object's twin interface
    // pointer (not counted: the object owns this helper).
    HRESULT Init(ITypeLib* typeLib, REFIID dispatchIid, REFIID twinIid, IUnknown* target);
    bool IsReady() const { return twin_ != nullptr; }
    REFIID Iid() const { return iid_; }
    ITypeInfo* DispatchTypeInfo() const { return dispatch_.Get(); }

    // Bodies of the IDispatch methods.
    HRESULT GetTypeInfoCount(UINT* count) const;
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) const;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT Invoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argError) const;

private:
    IID iid_ = IID_NULL;
    ComPtr<ITypeInfo> dispatch_;  // what clients see
    ComPtr<ITypeInfo> twin_;      // what calls go through
    IUnknown* target_ = nullptr;
};

#pragma once
// A connection-point sink for a dispatch event interface, turning each event into a virtual
// call with the arguments in call order.
#include <ocidl.h>

#include <string>

#include "framework/com/ComObject.h"
#include "framework/com/ComUtil.h"

// A connection-point sink that lives inside its window. The window holds the first reference
// for the sink's whole life (it never releases it); the connection point counts its own, which
// the destructor gives back by disconnecting, so that no control calls a sink that is gone.
class CDispatchEventSink : public CComObject<IDispatch> {
public:
    static constexpr DWORD kNotConnected = 0xFEFEFEFE;

    CDispatchEventSink(const IID& events) : events_(events) {}
    ~CDispatchEventSink() override;
    CDispatchEventSink(const CDispatchEventSink&) = delete;
    CDispatchEventSink& operator=(const CDispatchEventSink&) = delete;

    // Advises this sink on the control's connection point for the event interface.
    bool Connect(IUnknown* control);
    // Unadvises; the reference to the control is kept until the sink goes.
    void Disconnect();
    bool IsConnected() const { return cookie_ != kNotConnected; }
    DWORD Cookie() const { return cookie_; }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

protected:
    // A sink lives inside the window that connects it, never on its own on the heap: the
    // window's destruction ends it, not its count.
    void FinalRelease() override {}
    IUnknown* FindInterface(REFIID riid) override;
    // Handles one event; unknown ids are ignored. Arguments are in call order.
    virtual void OnEvent(DISPID id, const VARIANT* args, UINT count) = 0;

    // Argument conversions; a missing or unconvertible argument counts as 0 or empty.
    static ULONG ArgUInt(const VARIANT* args, UINT count, UINT index);
    static LONG ArgInt(const VARIANT* args, UINT count, UINT index);
    static std::wstring ArgText(const VARIANT* args, UINT count, UINT index);

private:
    ComPtr<IConnectionPoint> FindConnectionPoint(IUnknown* control) const;

    IID events_;
    DWORD cookie_ = kNotConnected;
    ComPtr<IUnknown> control_;
};

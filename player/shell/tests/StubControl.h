#pragma once
// A stand-in for a hosted ActiveX control: enough of IOleObject to be placed by the control
// host, a dispatch interface that records every method call, and one connection point
// through which a test raises events at whatever sink was advised.
#include <ocidl.h>

#include <string>
#include <vector>

#include "framework/com/DispatchCall.h"
#include "framework/com/tests/ComStubs.h"

class CStubControl : public CStubObject<IOleObject, IDispatch, IConnectionPointContainer> {
public:
    CStubControl(const IID& dispatchId, const IID& eventsId) : dispatchId_(dispatchId), eventsId_(eventsId) {}

    // Method calls in arrival order: "<dispid>" followed by " <argument>" for each string or
    // number argument in call order.
    std::vector<std::wstring> calls;
    int advises = 0;
    int unadvises = 0;
    // False: the control does not offer its own dispatch interface (plain IDispatch still).
    bool offersDispatch = true;
    // Answer of the player's method 5: server, port, channel and its status result.
    std::wstring playingServer = L"global";
    ULONG playingPort = 8081;
    std::wstring playingChannel = L"abc";
    LONG playingStatus = 0;
    // Answer of the channel list's GetChannelName (dispid 1 with four arguments).
    std::wstring channelName = L"CCTV-1";
    LONG nameStatus = 0;

    bool HasSink() const { return sink_ != nullptr; }
    // Raises event `id` at the advised sink with the arguments in call order.
    HRESULT Fire(DISPID id, std::vector<VARIANT> args = {});

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IOleObject: what the control host uses; the rest is not implemented.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    // The one connection point; its reference count is the control's.
    class CPoint final : public CComPart<CStubControl, IConnectionPoint> {
    public:
        using CComPart::CComPart;
        STDMETHODIMP GetConnectionInterface(IID* iid) override;
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
        STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
        STDMETHODIMP Unadvise(DWORD cookie) override;
        STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    private:
        IUnknown* FindInterface(REFIID riid) override;
    };

    IUnknown* FindInterface(REFIID riid) override;

    CPoint point_{this};
    IID dispatchId_;
    IID eventsId_;
    ComPtr<IDispatch> sink_;
    DWORD cookie_ = 0;
    ComPtr<IOleClientSite> site_;
};

// Makes CoCreateInstance of `classId` in this process return `control` for the life of the
// object, without touching the registry.
class CStubClassRegistration {
public:
    CStubClassRegistration(const CLSID& classId, CStubControl& control);
    ~CStubClassRegistration();
    CStubClassRegistration(const CStubClassRegistration&) = delete;
    CStubClassRegistration& operator=(const CStubClassRegistration&) = delete;
    bool IsRegistered() const { return cookie_ != 0; }

private:
    class CFactory;
    CFactory* factory_;
    DWORD cookie_ = 0;
};

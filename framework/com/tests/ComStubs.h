#pragma once
// Pieces shared by every test of a COM object: OLE for the test thread, reference count probes,
// stubs on the framework's COM base that live on a test's stack, the stub container site, and
// an in-process server DLL loaded for the whole run.

#include "framework/com/ComObject.h"
#include "framework/com/ComUtil.h"
#include "framework/com/InPlaceFrame.h"

#include <gtest/gtest.h>
#include <ocidl.h>

#include <string>
#include <vector>

// OLE on the test thread for the whole run (a test program adds it as a global environment).
class COleEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// Current reference count of an object, without changing it.
ULONG RefCount(IUnknown* object);

// A stub that lives on a test's stack or inside another object: it starts with its owner's
// reference, and its count reaching zero (a caller giving back more than it took) shows in
// Refs() instead of deleting it.
template <class... Interfaces>
class CStubObject : public CComObject<Interfaces...> {
public:
    ~CStubObject() override = default;
    ULONG Refs() {
        this->AddRef();
        return this->Release();
    }

protected:
    void FinalRelease() override {}
};

// An event sink: IDispatch answering `eventIid` too; the test's stub records what Invoke gets.
class CStubEventSink : public CStubObject<IDispatch> {
public:
    explicit CStubEventSink(REFIID eventIid) : eventIid_(eventIid) {}

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

private:
    IUnknown* FindInterface(REFIID riid) override;
    IID eventIid_;
};

// A container's site for one control: client site, in-place site and frame in one object,
// recording the calls the control makes on it in order ("CanInPlaceActivate,OnInPlaceActivate").
class CStubSite : public CBareInPlaceFrame<CStubObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame>> {
public:
    CStubSite(HWND window, RECT position) : window_(window), position_(position) {}

    std::vector<std::string> calls;
    std::string Calls() const;
    IOleInPlaceActiveObject* activeObject = nullptr;  // as last set by the control

    STDMETHODIMP SaveObject() override { return Log("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return Log("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return Log("OnShowWindow"); }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return Log("CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Log("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Log("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Log("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Log("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return Log("OnPosRectChange"); }

    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;

protected:
    HWND window_;
    RECT position_;

private:
    IUnknown* FindInterface(REFIID riid) override;
    HRESULT Log(const char* call) {
        calls.push_back(call);
        return S_OK;
    }
};

// An in-process server DLL, loaded for the whole run, called through its exported entry points.
class CServerDll {
public:
    explicit CServerDll(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
    HMODULE Module() const { return module_; }
    template <class Fn>
    Fn Export(const char* name) const {
        return reinterpret_cast<Fn>(GetProcAddress(module_, name));
    }
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
    HRESULT CanUnloadNow() const { return Call("DllCanUnloadNow"); }
    HRESULT Register() const { return Call("DllRegisterServer"); }
    HRESULT Unregister() const { return Call("DllUnregisterServer"); }
    // An object of `clsid` (a control or a property page) from the DLL's class factory.
    HRESULT CreateControl(REFCLSID clsid, IUnknown** object) const;

private:
    HRESULT Call(const char* name) const;

    HMODULE module_;
};

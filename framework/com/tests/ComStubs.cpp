#include "framework/com/tests/ComStubs.h"

void COleEnvironment::SetUp() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }

void COleEnvironment::TearDown() { OleUninitialize(); }

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

STDMETHODIMP CStubEventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

STDMETHODIMP CStubEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

IUnknown* CStubEventSink::FindInterface(REFIID riid) {
    auto* dispatch = static_cast<IDispatch*>(this);
    return FindInterfaceIn(riid, {{IID_IDispatch, dispatch}, {eventIid_, dispatch}});
}

std::string CStubSite::Calls() const {
    std::string text;
    for (const std::string& call : calls)
        text += (text.empty() ? "" : ",") + call;
    return text;
}

STDMETHODIMP CStubSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CStubSite::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CStubSite::GetWindow(HWND* window) {
    Log("GetWindow");
    *window = window_;
    return S_OK;
}

STDMETHODIMP CStubSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                         LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    Log("GetWindowContext");
    return WindowContext(window_, position_, frame, document, position, clip, info);
}

STDMETHODIMP CStubSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    Log(object ? "SetActiveObject" : "SetActiveObject(null)");
    activeObject = object;  // a real frame would hold it; the tests only compare
    return S_OK;
}

IUnknown* CStubSite::FindInterface(REFIID riid) {
    auto* site = static_cast<IOleInPlaceSite*>(this);
    auto* frame = static_cast<IOleInPlaceFrame*>(this);
    return FindInterfaceIn(riid, {{IID_IOleClientSite, static_cast<IOleClientSite*>(this)},
                                  {IID_IOleInPlaceSite, site},
                                  {IID_IOleWindow, site},
                                  {IID_IOleInPlaceFrame, frame},
                                  {IID_IOleInPlaceUIWindow, frame}});
}

HRESULT CServerDll::GetClassObject(REFCLSID clsid, REFIID riid, void** object) const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    return fn ? fn(clsid, riid, object) : E_FAIL;
}

HRESULT CServerDll::CreateControl(REFCLSID clsid, IUnknown** object) const {
    ComPtr<IClassFactory> factory;
    const HRESULT hr = GetClassObject(clsid, IID_IClassFactory, &factory);
    return SUCCEEDED(hr) ? factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object)) : hr;
}

HRESULT CServerDll::Call(const char* name) const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)()>(name);
    return fn ? fn() : E_FAIL;
}

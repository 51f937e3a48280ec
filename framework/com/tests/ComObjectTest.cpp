// The COM object base: interface tables, exact reference counts, the module's object count,
// and parts living on their owner's count.

#include "framework/com/ComObject.h"
#include "framework/com/tests/ComTestSupport.h"

namespace {

// A part answering IOleWindow on behalf of its owner.
class CWindowPart final : public CComPart<IPersist, IOleWindow> {
public:
    using CComPart::CComPart;
    STDMETHODIMP GetWindow(HWND* window) override { return E_FAIL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IOleWindow, static_cast<IOleWindow*>(this)}});
    }
};

class CProbe final : public CComObject<IPersist, IViewObject> {
public:
    explicit CProbe(bool* destroyed) : destroyed_(destroyed) {}
    CWindowPart& Part() { return part_; }

    STDMETHODIMP GetClassID(CLSID* clsid) override { return E_NOTIMPL; }
    STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

private:
    ~CProbe() override { *destroyed_ = true; }
    IUnknown* FindInterface(REFIID riid) override {
        auto* view = static_cast<IViewObject*>(this);
        return FindInterfaceIn(riid, {{IID_IPersist, static_cast<IPersist*>(this)},
                                      {IID_IViewObject, view},
                                      {IID_NULL, view}});  // as a control lists a dispinterface not set yet
    }

    bool* destroyed_;
    CWindowPart part_{this};
};

TEST(ComObject, AnswersItsTableCountsReferencesAndLivesInTheModuleCount) {
    const LONG objectsBefore = CComModule::Instance().ObjectCount();
    bool destroyed = false;
    auto* probe = new CProbe(&destroyed);
    IPersist* creatorReference = probe;
    EXPECT_EQ(objectsBefore + 1, CComModule::Instance().ObjectCount());
    EXPECT_EQ(1u, RefCount(creatorReference));

    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, probe->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<IUnknown*>(creatorReference), unknown.Get()) << "the first entry is the identity";
    ComPtr<IViewObject> view;
    ASSERT_EQ(S_OK, unknown.As(&view));
    EXPECT_EQ(static_cast<IViewObject*>(probe), view.Get());
    EXPECT_EQ(3u, RefCount(unknown.Get()));

    for (REFIID missing : {IID_IDispatch, IID_IViewObject2, IID_IOleWindow, IID_NULL}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(missing, &object));
        EXPECT_EQ(nullptr, object);
    }
    EXPECT_EQ(E_POINTER, unknown->QueryInterface(IID_IPersist, nullptr));
    EXPECT_EQ(3u, RefCount(unknown.Get())) << "a failed query hands out no reference";

    view.Reset();
    unknown.Reset();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0u, creatorReference->Release());
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(objectsBefore, CComModule::Instance().ObjectCount());
}

TEST(ComPart, AnswersOnlyItsOwnInterfacesOnItsOwnersReferenceCount) {
    bool destroyed = false;
    auto* probe = new CProbe(&destroyed);
    IPersist* creatorReference = probe;
    IOleWindow* part = &probe->Part();

    ComPtr<IUnknown> partUnknown;
    ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, &partUnknown));
    EXPECT_EQ(static_cast<IUnknown*>(part), partUnknown.Get());
    EXPECT_EQ(2u, RefCount(creatorReference)) << "the part's reference is its owner's";
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, part->QueryInterface(IID_IPersist, &object));
    EXPECT_EQ(nullptr, object);

    EXPECT_EQ(1u, creatorReference->Release());
    EXPECT_FALSE(destroyed);
    partUnknown.Reset();  // the last reference, held through the part, frees the owner
    EXPECT_TRUE(destroyed);
}

}  // namespace

// In-place activation against a stub site that records the calls it receives, interface
// answers and reference counts of the control.

#include "framework/com/ComModule.h"
#include "framework/com/tests/ComTestSupport.h"

#include "TestControl.h"

#include <ocidl.h>
#include <olectl.h>

namespace {

// A new test control, seen as its IOleObject.
ComPtr<IOleObject> NewOleControl() {
    ComPtr<IUnknown> control;
    ComPtr<IOleObject> ole;
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CreateControl(CLSID_TestCtl, &control));
    if (control) {
        EXPECT_EQ(S_OK, control.As(&ole));
    }
    return ole;
}

TEST(Control, AnswersTheInterfacesOfAnActiveXControl) {
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CTestControlDll::Instance().CreateControl(CLSID_TestCtl, &control));
    const IID supported[] = {IID_IOleObject,
                             IID_IOleInPlaceObject,
                             IID_IOleWindow,
                             IID_IOleInPlaceActiveObject,
                             IID_IOleControl,
                             IID_IViewObject,
                             IID_IViewObject2,
                             IID_IPersist,
                             IID_IPersistStreamInit,
                             IID_IPersistPropertyBag,
                             IID_IProvideClassInfo,
                             IID_IProvideClassInfo2,
                             IID_ISpecifyPropertyPages,
                             IID_IConnectionPointContainer,
                             IID_IDispatch,
                             DIID__DTestCtl};
    for (const IID& iid : supported) {
        ComPtr<IUnknown> part, identity;
        ASSERT_EQ(S_OK, control->QueryInterface(iid, &part)) << GuidToString(iid).c_str();
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, &identity));
        EXPECT_EQ(control.Get(), identity.Get()) << "one identity: " << GuidToString(iid).c_str();
    }
    const IID unsupported[] = {IID_IOleInPlaceSite, DIID__DTestCtlEvents, IID_IClassFactory, IID_IPersistStorage};
    for (const IID& iid : unsupported) {
        void* part = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, control->QueryInterface(iid, &part)) << GuidToString(iid).c_str();
        EXPECT_EQ(nullptr, part);
    }
    EXPECT_EQ(E_POINTER, control->QueryInterface(IID_IOleObject, nullptr));
    EXPECT_EQ(1u, RefCount(control.Get()));
    control.Reset();
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow());
    CTestControlDll::Instance().TakeLog();
}

TEST(Control, ActivatesInPlaceInsideTheSiteWindowAndDeactivatesCleanly) {
    CTestControlDll& dll = CTestControlDll::Instance();
    CParentWindow parent;
    const RECT position = {10, 20, 210, 120};
    CStubSite site(parent.Get(), position);
    ComPtr<IOleObject> ole = NewOleControl();
    ASSERT_NE(nullptr, ole.Get());
    dll.TakeLog();

    DWORD misc = 0;
    ASSERT_EQ(S_OK, ole->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(kTestCtlMiscStatus, misc);
    ASSERT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);

    // What a container does for such a control: site first, then InitNew, then activation.
    ASSERT_EQ(S_OK, ole->SetClientSite(&site));
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, ole.As(&persist));
    ASSERT_EQ(S_OK, persist->InitNew());
    persist.Reset();
    EXPECT_TRUE(site.calls.empty()) << "the control needs nothing from its site before activation: " << site.Calls();
    ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, parent.Get(), &position));
    EXPECT_EQ("CanInPlaceActivate,OnInPlaceActivate,GetWindow,GetWindowContext", site.Calls());
    EXPECT_EQ(L"SetClientSite;InitNew;WM_CREATE;WM_SIZE 200x100", dll.TakeLog());

    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(S_OK, ole.As(&inPlace));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, inPlace->GetWindow(&window));
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(parent.Get(), GetParent(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CLIPCHILDREN) << "the control's own style is used";
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent.Get(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(200, rect.right - rect.left);
    EXPECT_EQ(100, rect.bottom - rect.top);

    // The site moves the control.
    const RECT moved = {0, 0, 300, 150};
    ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
    GetClientRect(window, &rect);
    EXPECT_EQ(300, rect.right);
    EXPECT_EQ(150, rect.bottom);
    SIZEL extent = {};
    ASSERT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(PixelsToHimetric({300, 150}).cx, extent.cx);
    EXPECT_EQ(L"WM_SIZE 300x150", dll.TakeLog());

    site.calls.clear();
    ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, parent.Get(), &moved));
    EXPECT_EQ("OnUIActivate,SetActiveObject", site.Calls());
    ComPtr<IOleInPlaceActiveObject> active;
    ASSERT_EQ(S_OK, ole.As(&active));
    EXPECT_EQ(active.Get(), site.activeObject);
    active.Reset();

    site.calls.clear();
    ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_EQ("SetActiveObject(null),OnUIDeactivate,OnInPlaceDeactivate", site.Calls());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(L"WM_DESTROY", dll.TakeLog());
    EXPECT_EQ(E_FAIL, inPlace->GetWindow(&window));
    inPlace.Reset();

    // Closing and dropping the site leaves no reference on either side.
    ASSERT_EQ(S_OK, ole->Close(OLECLOSE_NOSAVE));
    ASSERT_EQ(S_OK, ole->SetClientSite(nullptr));
    EXPECT_EQ(1u, site.Refs());
    EXPECT_EQ(1u, RefCount(ole.Get()));
    ole.Reset();
    EXPECT_EQ(L"SetClientSite(null);Destroyed", dll.TakeLog());
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(Control, ReleasingAnActiveControlWithoutClosingReleasesTheSite) {
    CTestControlDll& dll = CTestControlDll::Instance();
    CParentWindow parent;
    const RECT position = {0, 0, 50, 50};
    CStubSite site(parent.Get(), position);
    ComPtr<IOleObject> ole = NewOleControl();
    ASSERT_NE(nullptr, ole.Get());
    ASSERT_EQ(S_OK, ole->SetClientSite(&site));
    ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, parent.Get(), &position));
    EXPECT_GT(site.Refs(), 1u);
    ole.Reset();
    EXPECT_EQ(1u, site.Refs());
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
    dll.TakeLog();
}

TEST(Control, DescribesItselfThroughTheTypeLibrary) {
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CTestControlDll::Instance().CreateControl(CLSID_TestCtl, &control));
    ComPtr<IProvideClassInfo2> classInfo;
    ASSERT_EQ(S_OK, control.As(&classInfo));
    GUID events = {};
    ASSERT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_TRUE(IsEqualGUID(DIID__DTestCtlEvents, events));
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, classInfo->GetClassInfo(&coclass));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_TRUE(IsEqualGUID(CLSID_TestCtl, attr->guid));
    coclass->ReleaseTypeAttr(attr);

    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(S_OK, control.As(&pages));
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    EXPECT_TRUE(IsEqualCLSID(kTestCtlPageClsid, list.pElems[0]));
    CoTaskMemFree(list.pElems);
    CTestControlDll::Instance().TakeLog();
}

TEST(PropertyPage, ShowsItsDialogInsideTheFrame) {
    ComPtr<IPropertyPage> page;
    {
        ComPtr<IUnknown> object;
        ASSERT_EQ(S_OK, CTestControlDll::Instance().CreateControl(kTestCtlPageClsid, &object));
        ASSERT_EQ(S_OK, object.As(&page));
    }
    PROPPAGEINFO info = {};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_STREQ(L"General", info.pszTitle);
    EXPECT_GT(info.size.cx, info.size.cy);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    CParentWindow frame;
    const RECT rect = {5, 5, 305, 105};
    ASSERT_EQ(S_OK, page->Activate(frame.Get(), &rect, TRUE));
    HWND dialog = FindWindowExW(frame.Get(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(IsWindow(dialog));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    // Enter and Escape belong to the frame: the page stays.
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(dialog));
    ASSERT_EQ(S_OK, page->Deactivate());
    EXPECT_FALSE(IsWindow(dialog));
    page.Reset();
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow());
}

}  // namespace

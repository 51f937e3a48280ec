// IDispatch through the type library and events through connection points.

#include "framework/com/tests/ComTestSupport.h"

#include "TestControl.h"

#include <ocidl.h>
#include <olectl.h>

namespace {

const wchar_t kChannelName[] = L"凤凰卫视中文台 Phoenix";

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CTestControlDll::Instance().CreateControl(CLSID_TestCtl, &control));
        ASSERT_EQ(S_OK, control->QueryInterface(DIID__DTestCtl, reinterpret_cast<void**>(dispatch.GetAddressOf())));
        ASSERT_EQ(S_OK, control.As(&container));
    }
    void TearDown() override {
        container.Reset();
        dispatch.Reset();
        EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow()) << "the control's count fell to zero";
        CTestControlDll::Instance().TakeLog();
    }

    // Echo(text, &reply) by dispid; returns Invoke's result.
    HRESULT Echo(const wchar_t* text, CScopedBstr& reply, CScopedVariant& result) {
        CScopedBstr argument(text);
        VARIANT args[2];
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = argument.Get();
        V_VT(&args[0]) = VT_BSTR | VT_BYREF;
        V_BSTRREF(&args[0]) = reply.Receive();
        DISPPARAMS params = {args, nullptr, 2, 0};
        return dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.Receive(), nullptr,
                                nullptr);
    }

    ComPtr<IDispatch> dispatch;
    ComPtr<IConnectionPointContainer> container;
};

TEST_F(DispatchTest, TypeInfoNamesTheDispinterface) {
    UINT count = 0;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info));
    CScopedBstr name;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, name.Receive(), nullptr, nullptr, nullptr));
    EXPECT_EQ(L"_DTestCtl", name.Str());
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &info));

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"echo")};
    DISPID id = 0;
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(1, id);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Missing")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id));
}

TEST_F(DispatchTest, InvokeCarriesAChineseTextBothWays) {
    CScopedBstr reply;
    CScopedVariant result;
    ASSERT_EQ(S_OK, Echo(kChannelName, reply, result));
    EXPECT_EQ(kChannelName, reply.Str());
    ASSERT_EQ(VT_UI4, V_VT(result.Get()));
    EXPECT_EQ(wcslen(kChannelName), V_UI4(result.Get()));

    ASSERT_EQ(S_OK, Echo(nullptr, reply, result)) << "a null BSTR is the empty text";
    EXPECT_EQ(0u, reply.Length());
    EXPECT_EQ(0u, V_UI4(result.Get()));
}

TEST_F(DispatchTest, InvokeRejectsBadCalls) {
    DISPPARAMS none = {};
    CScopedVariant result;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result.Receive(), nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              dispatch->Invoke(7, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result.Receive(), nullptr, nullptr));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(1, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                                        result.Receive(), nullptr, nullptr));
}

TEST_F(DispatchTest, EventsReachEveryAdvisedSinkUntilUnadvised) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__DTestCtlEvents, &point));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(DIID__DTestCtl, point.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__DTestCtlEvents, &point));
    IID iid = {};
    ASSERT_EQ(S_OK, point->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(DIID__DTestCtlEvents, iid));
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(S_OK, point->GetConnectionPointContainer(&back));
    EXPECT_EQ(container.Get(), back.Get());
    back.Reset();

    CRecordingSink first(DIID__DTestCtlEvents), second(DIID__DTestCtlEvents);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&first, &firstCookie));
    ASSERT_EQ(S_OK, point->Advise(&second, &secondCookie));
    EXPECT_NE(0u, firstCookie);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(2u, RefCount(&first)) << "the connection point holds one reference";

    CScopedBstr reply;
    CScopedVariant result;
    ASSERT_EQ(S_OK, Echo(kChannelName, reply, result));
    ASSERT_EQ(1u, first.calls.size());
    EXPECT_EQ(std::wstring(L"1:") + kChannelName, first.calls[0]);
    EXPECT_EQ(first.calls, second.calls);

    ASSERT_EQ(S_OK, point->Unadvise(firstCookie));
    EXPECT_EQ(1u, RefCount(&first));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(firstCookie));
    ASSERT_EQ(S_OK, Echo(L"x", reply, result));
    EXPECT_EQ(1u, first.calls.size());
    EXPECT_EQ(2u, second.calls.size());

    // Frozen events are dropped.
    ComPtr<IOleControl> control;
    ASSERT_EQ(S_OK, container.As(&control));
    control->FreezeEvents(TRUE);
    ASSERT_EQ(S_OK, Echo(L"frozen", reply, result));
    control->FreezeEvents(FALSE);
    EXPECT_EQ(2u, second.calls.size());
    control.Reset();

    // The control releases a sink still advised when it goes.
    point.Reset();
    container.Reset();
    dispatch.Reset();
    EXPECT_EQ(1u, RefCount(&second));
}

TEST_F(DispatchTest, AdviseNeedsTheEventInterface) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__DTestCtlEvents, &point));
    CRecordingSink wrong(IID_IOleObject);  // answers IDispatch, not the event interface
    DWORD cookie = 1;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point->Advise(&wrong, &cookie));
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(1u, RefCount(&wrong));
    EXPECT_EQ(E_POINTER, point->Advise(nullptr, &cookie));
}

TEST_F(DispatchTest, EnumeratorsHandOutCountedReferences) {
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    IConnectionPoint* fetched[2] = {};
    ULONG count = 0;
    EXPECT_EQ(S_FALSE, points->Next(2, fetched, &count));
    ASSERT_EQ(1u, count);
    IID iid = {};
    fetched[0]->GetConnectionInterface(&iid);
    EXPECT_TRUE(IsEqualIID(DIID__DTestCtlEvents, iid));
    ComPtr<IConnectionPoint> point = AdoptComPtr(fetched[0]);
    points.Reset();

    CRecordingSink sink(DIID__DTestCtlEvents);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, point->EnumConnections(&connections));
    EXPECT_EQ(3u, RefCount(&sink)) << "connection point and enumerator snapshot";
    CONNECTDATA data[2] = {};
    EXPECT_EQ(S_FALSE, connections->Next(2, data, &count));
    ASSERT_EQ(1u, count);
    EXPECT_EQ(cookie, data[0].dwCookie);
    EXPECT_EQ(4u, RefCount(&sink)) << "Next hands out a counted reference";
    data[0].pUnk->Release();

    ComPtr<IEnumConnections> clone;
    ASSERT_EQ(S_OK, connections->Clone(&clone));
    EXPECT_EQ(S_FALSE, clone->Next(1, data, nullptr)) << "the clone keeps the position";
    ASSERT_EQ(S_OK, clone->Reset());
    ASSERT_EQ(S_OK, clone->Next(1, data, nullptr));
    data[0].pUnk->Release();
    EXPECT_EQ(S_FALSE, clone->Skip(1));
    clone.Reset();
    connections.Reset();
    EXPECT_EQ(2u, RefCount(&sink));
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(1u, RefCount(&sink));
}

}  // namespace

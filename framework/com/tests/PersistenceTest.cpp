// Persistence of the version property through streams and property bags.

#include "framework/com/OleControl.h"
#include "framework/com/tests/ComTestSupport.h"

#include "TestControl.h"

#include <map>

namespace {

class CMapBag final : public CStubObject<IPropertyBag> {
public:
    std::map<std::wstring, VARIANT> values;
    ~CMapBag() override {
        for (auto& value : values)
            VariantClear(&value.second);
    }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        if (it == values.end())
            return E_INVALIDARG;
        return VariantCopy(value, &it->second);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        VARIANT& slot = values[name];
        VariantClear(&slot);
        return VariantCopy(&slot, value);
    }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IPropertyBag, static_cast<IPropertyBag*>(this)}});
    }
};

ComPtr<IUnknown> NewControl() {
    ComPtr<IUnknown> control;
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CreateControl(CLSID_TestCtl, &control));
    return control;
}

ComPtr<IStream> StreamWith(const void* bytes, ULONG size) {
    ComPtr<IStream> stream;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    if (size)
        stream->Write(bytes, size, nullptr);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

TEST(Persistence, StreamHoldsTheVersionAndLoadsItBack) {
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, NewControl().As(&persist));
    CLSID clsid = {};
    ASSERT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestCtl, clsid));
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ULARGE_INTEGER size = {};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(4u, size.QuadPart);

    ComPtr<IStream> stream = StreamWith(nullptr, 0);
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    ASSERT_EQ(4u, stat.cbSize.QuadPart);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG saved = 0;
    stream->Read(&saved, sizeof(saved), nullptr);
    EXPECT_EQ(0x10000u, saved);

    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, persist->Load(stream.Get()));
    persist.Reset();
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow());
    CTestControlDll::Instance().TakeLog();
}

TEST(Persistence, TruncatedStreamFailsAndLeavesTheControlNew) {
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, NewControl().As(&persist));
    const BYTE half[2] = {0, 0};
    EXPECT_EQ(STG_E_READFAULT, persist->Load(StreamWith(half, sizeof(half)).Get()));
    EXPECT_EQ(L"InitNew", CTestControlDll::Instance().TakeLog());
    EXPECT_EQ(E_POINTER, persist->Load(static_cast<IStream*>(nullptr)));
}

TEST(Persistence, PropertyBagHoldsTheVersionByName) {
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(S_OK, NewControl().As(&persist));
    CMapBag bag;
    ASSERT_EQ(S_OK, persist->Save(&bag, TRUE, TRUE));
    ASSERT_EQ(1u, bag.values.size());
    const VARIANT& version = bag.values[COleControl::kVersionProperty];
    ASSERT_EQ(VT_UI4, V_VT(&version));
    EXPECT_EQ(0x10000u, V_UI4(&version));

    // Bags that keep text (HTML <param>) give the number back as a string.
    CMapBag text;
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"65536");
    text.Write(COleControl::kVersionProperty, &value);
    VariantClear(&value);
    EXPECT_EQ(S_OK, persist->Load(&text, nullptr));

    CMapBag empty;
    EXPECT_EQ(S_OK, persist->Load(&empty, nullptr)) << "a missing property takes its default";
    EXPECT_EQ(E_POINTER, persist->Load(nullptr, nullptr));
    persist.Reset();
    EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow());
    CTestControlDll::Instance().TakeLog();
}

}  // namespace

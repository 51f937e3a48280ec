// COleControl's persistence: the version and the derived control's properties, exchanged with
// a stream or a property bag.
#include "framework/com/OleControl.h"

namespace {

// Properties in a stream: in exchange order, no names. Without a stream it only counts bytes.
class CStreamExchange final : public CPropertyExchange {
public:
    CStreamExchange(IStream* stream, bool loading) : stream_(stream), loading_(loading) {}
    ULONG Size() const { return size_; }

    bool IsLoading() const override { return loading_; }
    HRESULT ExchangeULong(const wchar_t*, ULONG& value, ULONG) override { return Bytes(&value, sizeof(value)); }
    HRESULT ExchangeLong(const wchar_t*, LONG& value, LONG) override { return Bytes(&value, sizeof(value)); }
    HRESULT ExchangeString(const wchar_t*, std::wstring& value, const std::wstring&) override {
        // A length beyond this is a damaged stream, not a property.
        constexpr ULONG kMaxLength = 1 << 20;
        ULONG length = static_cast<ULONG>(value.size());
        HRESULT hr = Bytes(&length, sizeof(length));
        if (FAILED(hr))
            return hr;
        if (loading_) {
            if (length > kMaxLength)
                return STG_E_READFAULT;
            value.assign(length, L'\0');
        }
        return length ? Bytes(&value[0], length * sizeof(wchar_t)) : S_OK;
    }

private:
    HRESULT Bytes(void* data, ULONG size) {
        size_ += size;
        if (!stream_)
            return S_OK;
        ULONG done = 0;
        HRESULT hr = loading_ ? stream_->Read(data, size, &done) : stream_->Write(data, size, &done);
        if (FAILED(hr))
            return hr;
        return done == size ? S_OK : (loading_ ? STG_E_READFAULT : STG_E_WRITEFAULT);
    }

    IStream* stream_;
    bool loading_;
    ULONG size_ = 0;
};

// Properties in a property bag, by name. A property that is missing or of an unusable type
// takes its default when loading.
class CBagExchange final : public CPropertyExchange {
public:
    CBagExchange(IPropertyBag* bag, IErrorLog* log, bool loading) : bag_(bag), log_(log), loading_(loading) {}

    bool IsLoading() const override { return loading_; }
    HRESULT ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) override {
        return Number(name, VT_UI4, &value, defaultValue);
    }
    HRESULT ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) override {
        return Number(name, VT_I4, &value, defaultValue);
    }
    HRESULT ExchangeString(const wchar_t* name, std::wstring& value, const std::wstring& defaultValue) override {
        CScopedVariant v;
        if (loading_) {
            value =
                Read(name, VT_BSTR, v) ? std::wstring(V_BSTR(v.Get()), SysStringLen(V_BSTR(v.Get()))) : defaultValue;
            return S_OK;
        }
        V_VT(v.Get()) = VT_BSTR;
        V_BSTR(v.Get()) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return bag_->Write(name, v.Get());
    }

private:
    template <class T>
    HRESULT Number(const wchar_t* name, VARTYPE type, T* value, T defaultValue) {
        CScopedVariant v;
        if (loading_) {
            *value = Read(name, type, v) ? *reinterpret_cast<T*>(&V_I4(v.Get())) : defaultValue;
            return S_OK;
        }
        V_VT(v.Get()) = type;
        *reinterpret_cast<T*>(&V_I4(v.Get())) = *value;
        return bag_->Write(name, v.Get());
    }

    bool Read(const wchar_t* name, VARTYPE type, CScopedVariant& value) {
        V_VT(value.Get()) = type;  // asks the bag for this type; it may still answer another
        if (FAILED(bag_->Read(name, value.Get(), log_)))
            return false;
        return SUCCEEDED(VariantChangeType(value.Get(), value.Get(), 0, type));
    }

    IPropertyBag* bag_;
    IErrorLog* log_;
    bool loading_;
};

}  // namespace

// --- Persistence ---

STDMETHODIMP COleControl::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = *class_.clsid;
    return S_OK;
}

STDMETHODIMP COleControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT COleControl::ExchangeAll(CPropertyExchange& exchange) {
    HRESULT hr;
    if (exchange.IsLoading()) {
        hr = exchange.ExchangeULong(kVersionProperty, loadedVersion_, version_);
    } else {
        ULONG version = version_;
        hr = exchange.ExchangeULong(kVersionProperty, version, version_);
    }
    return SUCCEEDED(hr) ? ExchangeProperties(exchange) : hr;
}

STDMETHODIMP COleControl::Load(LPSTREAM stream) {
    if (!stream)
        return E_POINTER;
    CStreamExchange exchange(stream, true);
    return LoadFrom(exchange);
}

STDMETHODIMP COleControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    CStreamExchange exchange(stream, false);
    return SaveTo(exchange, clearDirty);
}

STDMETHODIMP COleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size)
        return E_POINTER;
    CStreamExchange counter(nullptr, false);
    HRESULT hr = ExchangeAll(counter);
    size->QuadPart = counter.Size();
    return hr;
}

STDMETHODIMP COleControl::InitNew() {
    loadedVersion_ = version_;
    OnResetState();
    initialized_ = true;
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP COleControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag)
        return E_POINTER;
    CBagExchange exchange(bag, log, true);
    return LoadFrom(exchange);
}

STDMETHODIMP COleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag)
        return E_POINTER;
    CBagExchange exchange(bag, nullptr, false);
    return SaveTo(exchange, clearDirty);
}

HRESULT COleControl::LoadFrom(CPropertyExchange& exchange) {
    const HRESULT hr = ExchangeAll(exchange);
    if (FAILED(hr)) {
        // A damaged stream or bag leaves the control as new rather than half loaded.
        loadedVersion_ = version_;
        OnResetState();
        return hr;
    }
    initialized_ = true;
    dirty_ = false;
    return S_OK;
}

HRESULT COleControl::SaveTo(CPropertyExchange& exchange, BOOL clearDirty) {
    const HRESULT hr = ExchangeAll(exchange);
    if (SUCCEEDED(hr) && clearDirty)
        dirty_ = false;
    return hr;
}

#include "framework/com/ConnectionPoints.h"

#include <olectl.h>

#include <algorithm>
#include <new>

namespace {

// IEnum* over a snapshot taken at creation; every element handed out carries its own reference.
// Traits: Interface, Item (what Next returns), Stored, static void Copy(const Stored&, Item*),
// and the enumerator's IID.
template <class Traits>
class CSnapshotEnum final : public CComObject<typename Traits::Interface> {
    using Interface = typename Traits::Interface;
    using Item = typename Traits::Item;
    using Stored = typename Traits::Stored;

public:
    CSnapshotEnum(std::vector<Stored> items, IUnknown* owner, size_t position = 0)
        : items_(std::move(items)), owner_(owner), position_(position) {}

    STDMETHODIMP Next(ULONG count, Item* items, ULONG* fetched) override {
        if (!items || (count > 1 && !fetched))
            return E_POINTER;
        ULONG done = 0;
        for (; done < count && position_ < items_.size(); ++done, ++position_)
            Traits::Copy(items_[position_], &items[done]);
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** clone) override {
        if (!clone)
            return E_POINTER;
        *clone = new (std::nothrow) CSnapshotEnum(items_, owner_.Get(), position_);
        return *clone ? S_OK : E_OUTOFMEMORY;
    }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{Traits::Iid(), static_cast<Interface*>(this)}});
    }

    std::vector<Stored> items_;
    ComPtr<IUnknown> owner_;  // keeps the enumerated object alive
    size_t position_;
};

struct ConnectionTraits {
    using Interface = IEnumConnections;
    using Item = CONNECTDATA;
    using Stored = std::pair<ComPtr<IUnknown>, DWORD>;
    static REFIID Iid() { return IID_IEnumConnections; }
    static void Copy(const Stored& from, CONNECTDATA* to) {
        to->pUnk = from.first.Get();
        to->pUnk->AddRef();
        to->dwCookie = from.second;
    }
};

struct ConnectionPointTraits {
    using Interface = IEnumConnectionPoints;
    using Item = IConnectionPoint*;
    using Stored = IConnectionPoint*;  // parts of the owner, which the enumerator keeps alive
    static REFIID Iid() { return IID_IEnumConnectionPoints; }
    static void Copy(IConnectionPoint* from, IConnectionPoint** to) {
        *to = from;
        from->AddRef();
    }
};

}  // namespace

void CConnectionPoint::UnadviseAll() {
    // Sinks may call back into the control while being released.
    std::vector<Sink> sinks;
    sinks.swap(sinks_);
}

HRESULT CConnectionPoint::FireDispatch(DISPID id, DISPPARAMS* params) const {
    std::vector<ComPtr<IUnknown>> sinks;
    sinks.reserve(sinks_.size());
    for (const Sink& s : sinks_)
        sinks.push_back(s.sink);
    for (const ComPtr<IUnknown>& sink : sinks) {
        // Advise obtained the event interface, a dispinterface: its vtable is IDispatch's.
        auto* dispatch = static_cast<IDispatch*>(static_cast<IUnknown*>(sink.Get()));
        dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    }
    return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container)
        return E_POINTER;
    *container = OwnerObject();
    (*container)->AddRef();
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComPtr<IUnknown> events;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(events.GetAddressOf()))) || !events)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, std::move(events)});
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Unadvise(DWORD cookie) {
    auto it = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    ComPtr<IUnknown> released = std::move(it->sink);  // released after the list is consistent
    sinks_.erase(it);
    return S_OK;
}

STDMETHODIMP CConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (!connections)
        return E_POINTER;
    std::vector<ConnectionTraits::Stored> items;
    items.reserve(sinks_.size());
    for (const Sink& s : sinks_)
        items.emplace_back(s.sink, s.cookie);
    *connections = new (std::nothrow) CSnapshotEnum<ConnectionTraits>(std::move(items), OwnerObject());
    return *connections ? S_OK : E_OUTOFMEMORY;
}

CConnectionPoint& CConnectionPointSet::Add(REFIID iid) {
    points_.push_back(std::make_unique<CConnectionPoint>(container_, iid));
    return *points_.back();
}

CConnectionPoint* CConnectionPointSet::Find(REFIID iid) const {
    for (const auto& point : points_)
        if (point->Iid() == iid)
            return point.get();
    return nullptr;
}

void CConnectionPointSet::UnadviseAll() {
    for (const auto& point : points_)
        point->UnadviseAll();
}

HRESULT CConnectionPointSet::EnumConnectionPoints(IEnumConnectionPoints** points) const {
    if (!points)
        return E_POINTER;
    std::vector<IConnectionPoint*> items;
    for (const auto& point : points_)
        items.push_back(point.get());
    *points = new (std::nothrow) CSnapshotEnum<ConnectionPointTraits>(std::move(items), container_);
    return *points ? S_OK : E_OUTOFMEMORY;
}

HRESULT CConnectionPointSet::FindConnectionPoint(REFIID iid, IConnectionPoint** point) const {
    if (!point)
        return E_POINTER;
    *point = Find(iid);
    if (!*point)
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

CDispatchArgs::~CDispatchArgs() {
    for (VARIANT& v : args_)
        VariantClear(&v);
}

VARIANT* CDispatchArgs::PushNew(VARTYPE type) {
    VARIANT value;
    V_VT(&value) = type;
    return &*args_.insert(args_.begin(), value);
}

void CDispatchArgs::Push(const wchar_t* text) { V_BSTR(PushNew(VT_BSTR)) = SysAllocString(text ? text : L""); }

void CDispatchArgs::Push(const std::wstring& text) {
    V_BSTR(PushNew(VT_BSTR)) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void CDispatchArgs::Push(LONG value) { V_I4(PushNew(VT_I4)) = value; }

void CDispatchArgs::Push(ULONG value) { V_UI4(PushNew(VT_UI4)) = value; }

void CDispatchArgs::Push(BYTE value) { V_UI1(PushNew(VT_UI1)) = value; }

void CDispatchArgs::Push(bool value) { V_BOOL(PushNew(VT_BOOL)) = value ? VARIANT_TRUE : VARIANT_FALSE; }

DISPPARAMS* CDispatchArgs::Params() {
    params_.rgvarg = args_.empty() ? nullptr : args_.data();
    params_.cArgs = static_cast<UINT>(args_.size());
    params_.rgdispidNamedArgs = nullptr;
    params_.cNamedArgs = 0;
    return &params_;
}

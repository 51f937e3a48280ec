#pragma once
// The one IUnknown of the framework's COM objects. An object names its interfaces as template
// arguments and lists, in FindInterface, which IIDs each of them answers:
//
//   class CThing final : public CComObject<IPersist, IOleWindow> {
//       IUnknown* FindInterface(REFIID riid) override {
//           return FindInterfaceIn(riid, {{IID_IPersist, static_cast<IPersist*>(this)},
//                                         {IID_IOleWindow, static_cast<IOleWindow*>(this)}});
//       }
//       ...
//   };
//
// CComObject owns its life: its reference count starts at 1 (the creator's, see
// CreateComInstance) and it counts in the module while it lives. CComPart is a part of another
// object and shares that object's reference count. Neither can be aggregated; class factories
// refuse an outer object.

#include "framework/com/ComModule.h"

#include <initializer_list>

// One row of an object's interface table.
struct CInterfaceEntry {
    const IID& iid;
    IUnknown* pointer;  // the object seen as that interface
};

// The pointer of the entry answering `riid`, or null. The first entry answers IID_IUnknown as
// well; IID_NULL (an interface an object does not know yet) answers nothing.
inline IUnknown* FindInterfaceIn(REFIID riid, std::initializer_list<CInterfaceEntry> table) {
    if (riid == IID_NULL || table.size() == 0)
        return nullptr;
    if (riid == IID_IUnknown)
        return table.begin()->pointer;
    for (const CInterfaceEntry& entry : table)
        if (entry.iid == riid)
            return entry.pointer;
    return nullptr;
}

// Body of QueryInterface once the table has been searched.
inline HRESULT HandOutInterface(IUnknown* found, void** object) {
    if (!object)
        return E_POINTER;
    *object = found;
    if (!found)
        return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
}

template <class... Interfaces>
class CComObject : public Interfaces... {
public:
    CComObject() { CComModule::Instance().ObjectCreated(); }
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        return HandOutInterface(FindInterface(riid), object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            FinalRelease();
        return refs;
    }

protected:
    virtual ~CComObject() { CComModule::Instance().ObjectDestroyed(); }
    // The last reference is gone: an object made with new deletes itself. One that lives on a
    // stack or inside another object (a test's stub) overrides this to stay.
    virtual void FinalRelease() { delete this; }
    // The object's interface table (see FindInterfaceIn).
    virtual IUnknown* FindInterface(REFIID riid) = 0;

private:
    volatile LONG refs_ = 1;
};

template <class Owner, class... Interfaces>
class CComPart : public Interfaces... {
public:
    explicit CComPart(Owner* owner) : owner_(owner) {}
    CComPart(const CComPart&) = delete;
    CComPart& operator=(const CComPart&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        return HandOutInterface(FindInterface(riid), object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

protected:
    ~CComPart() = default;
    Owner* OwnerObject() const { return owner_; }
    // The part's interface table (see FindInterfaceIn).
    virtual IUnknown* FindInterface(REFIID riid) = 0;

private:
    Owner* owner_;  // not counted: the owner owns this part
};

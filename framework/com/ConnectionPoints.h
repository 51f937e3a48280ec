#pragma once
// Outgoing interfaces: one connection point per event interface, the enumerators the
// container asks for, and synchronous firing of dispatch events to every advised sink.

#include "framework/com/ComObject.h"

#include <ocidl.h>

#include <memory>
#include <utility>
#include <vector>

// One connection point of a container object. It is a part of that object: its reference
// count is the container's, so it lives exactly as long as its container.
class CConnectionPoint final : public CComPart<IConnectionPointContainer, IConnectionPoint> {
public:
    CConnectionPoint(IConnectionPointContainer* container, REFIID iid) : CComPart(container), iid_(iid) {}
    ~CConnectionPoint() { UnadviseAll(); }
    CConnectionPoint(const CConnectionPoint&) = delete;
    CConnectionPoint& operator=(const CConnectionPoint&) = delete;

    REFIID Iid() const { return iid_; }
    size_t SinkCount() const { return sinks_.size(); }
    // Releases every sink; the control does this when it closes.
    void UnadviseAll();
    // Calls IDispatch::Invoke on every sink advised when the call starts, in advise order.
    // A sink that unadvises, or advises another, while an event runs does not disturb it.
    HRESULT FireDispatch(DISPID id, DISPPARAMS* params) const;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IUnknown> sink;  // the sink's event interface, as obtained by Advise
    };

    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
    }

    IID iid_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// The connection points of one object, in the order they were added.
class CConnectionPointSet {
public:
    explicit CConnectionPointSet(IConnectionPointContainer* container) : container_(container) {}

    CConnectionPoint& Add(REFIID iid);
    CConnectionPoint* Find(REFIID iid) const;
    void UnadviseAll();

    // Bodies of IConnectionPointContainer's two methods.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) const;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) const;

private:
    IConnectionPointContainer* container_;
    std::vector<std::unique_ptr<CConnectionPoint>> points_;
};

// Arguments of one dispatch call, given in declaration order and kept in the reverse order
// that DISPPARAMS wants. Strings are copied into BSTRs owned (and freed) by this object.
class CDispatchArgs {
public:
    CDispatchArgs() = default;
    template <class... Args>
    explicit CDispatchArgs(Args&&... args) {
        args_.reserve(sizeof...(args));
        (Push(std::forward<Args>(args)), ...);
    }
    ~CDispatchArgs();
    CDispatchArgs(const CDispatchArgs&) = delete;
    CDispatchArgs& operator=(const CDispatchArgs&) = delete;

    void Push(const wchar_t* text);
    void Push(const std::wstring& text);
    void Push(LONG value);
    void Push(int value) { Push(static_cast<LONG>(value)); }
    void Push(ULONG value);
    void Push(unsigned int value) { Push(static_cast<ULONG>(value)); }
    void Push(BYTE value);
    void Push(bool value);

    DISPPARAMS* Params();

private:
    // A new first argument of `type`, its value still to be set.
    VARIANT* PushNew(VARTYPE type);

    std::vector<VARIANT> args_;  // first argument last
    DISPPARAMS params_ = {};
};

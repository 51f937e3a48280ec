#pragma once
// Receivers of the hosted controls' events: each turns the dispatch calls of one event
// interface into calls on a plain listener interface of a window.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "framework/com/EventSink.h"

// Events of the video player control, in the order the main frame implements them.
class IPlayerEventListener {
public:
    virtual void OnPlayStarted() = 0;
    virtual void OnVideoSize(ULONG width, ULONG height) = 0;
    virtual void OnPlayerFlag(bool on) = 0;
    virtual void OnVideoMouseUp(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoMouseDown(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoPointer6(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoPointer8(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoPointer9(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoPointer10(ULONG a, ULONG b, LONG x, LONG y) = 0;
    virtual void OnVideoMouseMove(ULONG a, ULONG b, LONG x, LONG y) = 0;

protected:
    ~IPlayerEventListener() = default;
};

// The channel list's only event: a channel to play.
class IChannelListListener {
public:
    virtual void OnChannelOpen(const std::wstring& link) = 0;

protected:
    ~IChannelListListener() = default;
};

// A sink that hands its events to one listener, which its window can change or take away
// (null) while the sink stays connected.
template <class Listener>
class CListenerSink : public CDispatchEventSink {
public:
    void SetListener(Listener* listener) { listener_ = listener; }

protected:
    CListenerSink(const IID& events, Listener* listener) : CDispatchEventSink(events), listener_(listener) {}

    Listener* listener_;
};

class CTRPlayerSink : public CListenerSink<IPlayerEventListener> {
public:
    explicit CTRPlayerSink(IPlayerEventListener* listener);

protected:
    void OnEvent(DISPID id, const VARIANT* args, UINT count) override;
};

class CChannelListSink : public CListenerSink<IChannelListListener> {
public:
    explicit CChannelListSink(IChannelListListener* listener);

protected:
    void OnEvent(DISPID id, const VARIANT* args, UINT count) override;
};

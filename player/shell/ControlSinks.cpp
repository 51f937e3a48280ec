#include "player/shell/ControlSinks.h"

#include "channellist/control/TrovaCLIds.h"
#include "player/common/PlayerControlIds.h"

namespace {

// The events that carry the mouse: two numbers of the control's own, then the point.
using MouseEvent = void (IPlayerEventListener::*)(ULONG, ULONG, LONG, LONG);
constexpr struct {
    DISPID id;
    MouseEvent handler;
} kMouseEvents[] = {
    {DISPID_PLAYER_EVENT_MOUSE_UP, &IPlayerEventListener::OnVideoMouseUp},
    {DISPID_PLAYER_EVENT_MOUSE_DOWN, &IPlayerEventListener::OnVideoMouseDown},
    {DISPID_PLAYER_EVENT_POINTER_6, &IPlayerEventListener::OnVideoPointer6},
    {DISPID_PLAYER_EVENT_MOUSE_MOVE, &IPlayerEventListener::OnVideoMouseMove},
    {DISPID_PLAYER_EVENT_POINTER_8, &IPlayerEventListener::OnVideoPointer8},
    {DISPID_PLAYER_EVENT_POINTER_9, &IPlayerEventListener::OnVideoPointer9},
    {DISPID_PLAYER_EVENT_POINTER_10, &IPlayerEventListener::OnVideoPointer10},
};

}  // namespace

CTRPlayerSink::CTRPlayerSink(IPlayerEventListener* listener) : CListenerSink(DIID_DTrovaPlayerCtlEvents, listener) {}

void CTRPlayerSink::OnEvent(DISPID id, const VARIANT* args, UINT count) {
    if (!listener_)
        return;
    const ULONG a = ArgUInt(args, count, 0), b = ArgUInt(args, count, 1);
    switch (id) {
    case DISPID_PLAYER_EVENT_STARTED: listener_->OnPlayStarted(); return;
    case DISPID_PLAYER_EVENT_VIDEO_SIZE: listener_->OnVideoSize(a, b); return;
    case DISPID_PLAYER_EVENT_FLAG: listener_->OnPlayerFlag((a & 0xFF) == 1); return;
    default: break;
    }
    for (const auto& event : kMouseEvents) {
        if (event.id == id) {
            (listener_->*event.handler)(a, b, ArgInt(args, count, 2), ArgInt(args, count, 3));
            return;
        }
    }
}

CChannelListSink::CChannelListSink(IChannelListListener* listener) : CListenerSink(TrovaCLIds::kEventsId, listener) {}

void CChannelListSink::OnEvent(DISPID id, const VARIANT* args, UINT count) {
    if (listener_ && id == TrovaCLIds::kDispIdOnChannelOpen)
        listener_->OnChannelOpen(ArgText(args, count, 0));
}

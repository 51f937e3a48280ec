#include "player/shell/ControlSinks.h"

#include "channellist/control/TrovaCLIds.h"
#include "player/common/PlayerControlIds.h"

CTRPlayerSink::CTRPlayerSink(IPlayerEventListener* listener)
    : CDispatchEventSink(DIID_DTrovaPlayerCtlEvents), listener_(listener) {}

void CTRPlayerSink::OnEvent(DISPID id, const VARIANT* args, UINT count) {
    if (!listener_)
        return;
    const ULONG a = ArgUInt(args, count, 0), b = ArgUInt(args, count, 1);
    const LONG x = ArgInt(args, count, 2), y = ArgInt(args, count, 3);
    switch (id) {
    case DISPID_PLAYER_EVENT_STARTED:
        listener_->OnPlayStarted();
        break;
    case DISPID_PLAYER_EVENT_VIDEO_SIZE:
        listener_->OnVideoSize(a, b);
        break;
    case DISPID_PLAYER_EVENT_FLAG:
        listener_->OnPlayerFlag((a & 0xFF) == 1);
        break;
    case DISPID_PLAYER_EVENT_MOUSE_UP:
        listener_->OnVideoMouseUp(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_MOUSE_DOWN:
        listener_->OnVideoMouseDown(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_POINTER_6:
        listener_->OnVideoPointer6(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_MOUSE_MOVE:
        listener_->OnVideoMouseMove(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_POINTER_8:
        listener_->OnVideoPointer8(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_POINTER_9:
        listener_->OnVideoPointer9(a, b, x, y);
        break;
    case DISPID_PLAYER_EVENT_POINTER_10:
        listener_->OnVideoPointer10(a, b, x, y);
        break;
    default:
        break;
    }
}

CChannelListSink::CChannelListSink(IChannelListListener* listener)
    : CDispatchEventSink(trovacl::kEventsId), listener_(listener) {}

void CChannelListSink::OnEvent(DISPID id, const VARIANT* args, UINT count) {
    if (listener_ && id == trovacl::kDispIdOnChannelOpen)
        listener_->OnChannelOpen(ArgText(args, count, 0));
}

#include "player/panels/ControlPanels.h"

#include "channellist/control/TrovaCLIds.h"
#include "framework/com/DispatchCall.h"
#include "player/common/PlayerControlIds.h"

namespace {

constexpr UINT kMoviePanelId = 201;
constexpr UINT kChannelPanelId = 2003;

// A 32-bit status result, signed or unsigned, read as signed: negative means failure.
LONG StatusOf(const VARIANT& result) {
    if (result.vt == VT_UI4 || result.vt == VT_UINT)
        return static_cast<LONG>(result.ulVal);
    CScopedVariant status;
    if (FAILED(VariantChangeType(status.Get(), const_cast<VARIANT*>(&result), 0, VT_I4)))
        return -1;
    return status.Ref().lVal;
}

}  // namespace

bool CControlPanel::Create(HWND parent, const RECT& rect) {
    control_.Reset();
    if (FAILED(host_.Create(parent, rect, id_, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, classId_)))
        return false;
    IUnknown* control = host_.Control();
    return control &&
           SUCCEEDED(control->QueryInterface(interfaceId_, reinterpret_cast<void**>(control_.GetAddressOf()))) &&
           control_;
}

void CControlPanel::Destroy() {
    control_.Reset();
    host_.Destroy();
}

CMoviePanel::CMoviePanel() : CControlPanel(kMoviePanelId, CLSID_TrovaPlayerCtl, DIID_DTrovaPlayerCtl) {}

void CMoviePanel::Play(const std::wstring& source) {
    CScopedBstr text(source);
    VARIANT args[] = {BstrArg(text.Get())};
    CScopedVariant result;
    CallDispatchMethod(Control(), DISPID_PLAYER_PLAY, args, 1, result.Get());
}

void CMoviePanel::KeepPosition() { CallDispatchMethod(Control(), DISPID_PLAYER_KEEP_POSITION, nullptr, 0, nullptr); }

bool CMoviePanel::GetPlayingChannel(std::wstring& server, ULONG& port, std::wstring& channelId) {
    CScopedBstr serverText, channelText;
    ULONG portNo = 0;
    VARIANT args[3];
    for (auto& arg : args)
        VariantInit(&arg);
    args[0].vt = VT_BSTR | VT_BYREF;
    args[0].pbstrVal = serverText.Receive();
    args[1].vt = VT_UI4 | VT_BYREF;
    args[1].pulVal = &portNo;
    args[2].vt = VT_BSTR | VT_BYREF;
    args[2].pbstrVal = channelText.Receive();
    CScopedVariant result;
    if (FAILED(CallDispatchMethod(Control(), DISPID_PLAYER_GET_CHANNEL, args, 3, result.Get())))
        return false;
    if (StatusOf(result.Ref()) < 0)
        return false;
    server = serverText.Str();
    port = portNo;
    channelId = channelText.Str();
    return true;
}

CChannelPanel::CChannelPanel() : CControlPanel(kChannelPanelId, TrovaCLIds::kControlClassId, TrovaCLIds::kDispatchId) {}

bool CChannelPanel::GetChannelName(const std::wstring& server, ULONG port, const std::wstring& channelId,
                                   std::wstring& name) {
    CScopedBstr serverText(server), channelText(channelId), nameText;
    VARIANT args[4];
    for (auto& arg : args)
        VariantInit(&arg);
    args[0] = BstrArg(serverText.Get());
    args[1] = UIntArg(port);
    args[2] = BstrArg(channelText.Get());
    args[3].vt = VT_BSTR | VT_BYREF;
    args[3].pbstrVal = nameText.Receive();
    CScopedVariant result;
    if (FAILED(CallDispatchMethod(Control(), TrovaCLIds::kDispIdGetChannelName, args, 4, result.Get())))
        return false;
    if (StatusOf(result.Ref()) < 0)
        return false;
    name = nameText.Str();
    return true;
}

#include "substitutes/playerctl/PlayerControl.h"

#include "framework/win/DoubleBuffer.h"
#include "player/common/PlayerControlIds.h"
#include "substitutes/playerctl/PlayerLog.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kStartTimer = 2;
constexpr UINT kTypeNameId = 1;

// Results of GetChannel.
constexpr LONG kChannelFound = 0;
constexpr LONG kNothingPlays = -1;
constexpr LONG kFilePlays = -2;

// Second argument of the pointer events: the button concerned.
constexpr ULONG kNoButton = 0;
constexpr ULONG kLeftButton = 1;
constexpr ULONG kRightButton = 2;

std::wstring NoticeFor(PlayResult result, const std::wstring& source) {
    switch (result) {
    case PlayResult::BadLink: return L"Not a channel link: " + source;
    case PlayResult::NoSuchFile: return L"File not found: " + source;
    default: return std::wstring();
    }
}

}  // namespace

CPlayerControl::CPlayerControl() : COleControlImpl(kPlayerCtlClassEntry) {
    SetDispatchInterface(DIID_DTrovaPlayerCtl);
    AddEventInterface(DIID_DTrovaPlayerCtlEvents);
}

CPlayerControl::~CPlayerControl() {
    // Timers and paint messages must not reach a half-destroyed control.
    if (IsWindow())
        DestroyWindow();
}

// --- Methods ---

STDMETHODIMP CPlayerControl::Play(BSTR source, ULONG* result) {
    if (!result)
        return E_POINTER;
    const std::wstring text(source ? source : L"", SysStringLen(source));
    PlaySource next;
    const PlayResult outcome = OpenPlaySource(text, next);
    *result = static_cast<ULONG>(outcome);
    PlayerLog::Write(L"method 1 play " + PlayerLog::Quote(text) + L" -> " + std::to_wstring(*result));

    StopPlaying();
    if (outcome == PlayResult::Started) {
        source_ = next;
        picture_.playing = true;
        picture_.title = next.title;
        picture_.startTick = GetTickCount();
        picture_.notice.clear();
        startPending_ = true;
        ++playCount_;
        StartTimers();
    } else {
        picture_.notice = NoticeFor(outcome, text);
    }
    if (IsWindow())
        Invalidate(false);
    return S_OK;
}

STDMETHODIMP CPlayerControl::KeepPosition() {
    PlayerLog::Write(L"method 3 keep-position");
    if (IsWindow())
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return S_OK;
}

STDMETHODIMP CPlayerControl::GetChannel(BSTR* server, ULONG* port, BSTR* channel, LONG* result) {
    if (!server || !port || !channel || !result)
        return E_POINTER;
    *server = nullptr;
    *port = 0;
    *channel = nullptr;
    if (!picture_.playing || !source_.isLink) {
        *result = picture_.playing ? kFilePlays : kNothingPlays;
        PlayerLog::Write(L"method 5 channel -> " + std::to_wstring(*result));
        return S_OK;
    }
    CScopedBstr serverText(source_.server);
    CScopedBstr channelText(source_.channel);
    if (!serverText.Get() || !channelText.Get())
        return E_OUTOFMEMORY;
    *server = serverText.Release();
    *port = source_.port;
    *channel = channelText.Release();
    *result = kChannelFound;
    PlayerLog::Write(L"method 5 channel -> 0 " + PlayerLog::Quote(source_.server) + L" " +
                     std::to_wstring(source_.port) + L" " + PlayerLog::Quote(source_.channel));
    return S_OK;
}

// --- Playing ---

void CPlayerControl::StartTimers() {
    if (!IsWindow() || !picture_.playing)
        return;
    SetTimer(kFrameTimer, kFrameIntervalMs);
    if (startPending_)
        SetTimer(kStartTimer, kStartDelayMs);
}

void CPlayerControl::StopPlaying() {
    if (IsWindow()) {
        KillTimer(kFrameTimer);
        KillTimer(kStartTimer);
    }
    const bool wasPlaying = picture_.playing;
    picture_ = PictureState{};
    source_ = PlaySource{};
    startPending_ = false;
    if (wasPlaying)
        Raise(DISPID_PLAYER_EVENT_FLAG, static_cast<BYTE>(0));
}

void CPlayerControl::ReportStarted() {
    if (!startPending_)
        return;
    startPending_ = false;
    const unsigned playing = playCount_;
    const SIZE size = source_.pictureSize;
    Raise(DISPID_PLAYER_EVENT_STARTED);
    // A sink may have played another source meanwhile; its own start reports its size.
    if (playing != playCount_ || !picture_.playing)
        return;
    if (size.cx > 0 && size.cy > 0)
        Raise(DISPID_PLAYER_EVENT_VIDEO_SIZE, static_cast<ULONG>(size.cx), static_cast<ULONG>(size.cy));
}

void CPlayerControl::FireTraced(DISPID id, const std::wstring& trace, DISPPARAMS* params) {
    if (AreEventsFrozen())
        return;  // the container drops them; so does the trace
    PlayerLog::Write(trace);
    FireEvent(DIID_DTrovaPlayerCtlEvents, id, params);
}

void CPlayerControl::RaisePointerEvent(DISPID id, ULONG keys, ULONG button, POINT point) {
    Raise(id, keys, button, static_cast<LONG>(point.x), static_cast<LONG>(point.y));
}

// --- Window ---

WindowClassSpec CPlayerControl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaPlayerCtl";
    return windowClass;
}

int CPlayerControl::OnCreate(CREATESTRUCTW*) {
    // Playing may have been asked for before the container activated the control.
    StartTimers();
    return 0;
}

void CPlayerControl::OnSize(UINT, SIZE) {
    // The whole picture depends on the size, not just the newly exposed part.
    Invalidate(false);
}

void CPlayerControl::DoPaint(HDC dc, const RECT& client) { OnDraw(dc, client); }

void CPlayerControl::OnDraw(HDC dc, const RECT& bounds) { PaintPlayerPicture(dc, bounds, picture_, GetTickCount()); }

void CPlayerControl::OnTimer(UINT_PTR id) {
    if (id == kFrameTimer) {
        Invalidate(false);
    } else if (id == kStartTimer) {
        KillTimer(kStartTimer);
        ReportStarted();
    } else {
        SetMsgHandled(FALSE);
    }
}

LRESULT CPlayerControl::OnPointer(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    // The event and button of each message, from WM_MOUSEMOVE to WM_RBUTTONUP.
    static constexpr struct {
        DISPID event;
        ULONG button;
    } kPointerEvents[] = {
        {DISPID_PLAYER_EVENT_MOUSE_MOVE, kNoButton},   {DISPID_PLAYER_EVENT_MOUSE_DOWN, kLeftButton},
        {DISPID_PLAYER_EVENT_MOUSE_UP, kLeftButton},   {DISPID_PLAYER_EVENT_POINTER_9, kLeftButton},
        {DISPID_PLAYER_EVENT_POINTER_6, kRightButton}, {DISPID_PLAYER_EVENT_POINTER_8, kRightButton},
    };
    const auto& pointer = kPointerEvents[message - WM_MOUSEMOVE];
    RaisePointerEvent(pointer.event, static_cast<UINT>(wParam), pointer.button, PointFromLParam(lParam));
    return 0;
}

void CPlayerControl::OnMouseWheel(UINT keys, short delta, POINT screenPoint) {
    POINT point = screenPoint;
    ScreenToClient(m_hWnd, &point);
    // The signed wheel delta travels in the unsigned second argument (two's complement).
    RaisePointerEvent(DISPID_PLAYER_EVENT_POINTER_10, keys, static_cast<ULONG>(static_cast<LONG>(delta)), point);
}

// --- Module ---

const CClassEntry kPlayerCtlClassEntry =
    ControlEntryOf(CLSID_TrovaPlayerCtl, &CreateComInstance<CPlayerControl>, kPlayerCtlProgId, kTypeNameId,
                   kInPlaceControlMiscStatus, LIBID_TrovaPlayerCtlLib);

namespace {
const bool kClassAdded = CComModule::Instance().AddClass(kPlayerCtlClassEntry);
}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // Unloaded by FreeLibrary: the window class must not outlive its procedure. At process
    // exit (reserved set) nothing more runs in this module.
    if (reason == DLL_PROCESS_DETACH && !reserved)
        UnregisterWindowClasses();
    return TRUE;
}

#pragma once

#include <windows.h>

#include <string>

#include "framework/win/ScopedHandle.h"

// Receives the requests that reach the running player's single-instance window.
class IRemoteCmdHandler {
public:
    virtual void OpenLink(const std::wstring& text) = 0;
    virtual void OfferNewVersion() = 0;
    virtual void Activate() = 0;
    virtual void QuitNow() = 0;

protected:
    ~IRemoteCmdHandler() = default;
};

constexpr wchar_t kSingletonClassName[] = L"TrovaPlayerSWWndClass";
constexpr wchar_t kSingletonTitle[] = L"TrovaPlayerSWWnd";
constexpr wchar_t kLocalMutexName[] = L"TROVAPLAYERRTM";
constexpr wchar_t kGlobalMutexName[] = L"Global\\TROVAPLAYERRTM";

// dwData of the copy-data requests.
constexpr ULONG_PTR kRequestOpenLink = 100;
constexpr ULONG_PTR kRequestNewVersion = 200;
constexpr ULONG_PTR kRequestActivate = 300;
// Sent by an outside program that wants the player to quit.
constexpr UINT WM_PLAYER_QUIT = WM_USER + 1008;

// The text of an open-link request, read only within cbData: a sender may omit the
// terminator or send an odd byte count, and nothing past the record may be read.
std::wstring LinkTextFromCopyData(const COPYDATASTRUCT& data);

// Hands one copy-data request to the handler; true when a handler call took it (null handler,
// an unknown kind or an open request without text: not taken).
bool DispatchCopyData(IRemoteCmdHandler* handler, const COPYDATASTRUCT* data);

// How a running player answered a request sent to it.
enum class RequestAnswer {
    kNoPlayer,  // there is no single-instance window
    kTaken,
    kNotTaken,  // it is shutting down
    kNoAnswer,  // it did not answer in time (hung)
};

// How long a request to another process is waited for before that process counts as hung.
constexpr UINT kRequestTimeoutMs = 10000;

// The running player's single-instance window, or null.
HWND FindRunningPlayer();

// True when a player holds the instance mutexes, also one of another logon session.
bool IsPlayerRunning();

// True when a player of this logon session holds the local instance mutex.
bool IsPlayerRunningInThisSession();

// Waits while a player of this session holds its mutexes without a window (it is starting, or
// ending). True when its window came or no player is left: only then is a missing window no
// sign of a player of another logon session.
bool AwaitPlayerOfThisSession(DWORD timeoutMs);

// Sends WM_COPYDATA 100 with the link.
RequestAnswer SendLinkToRunningInstance(const std::wstring& link);

// Sends WM_COPYDATA 300 and, when it was taken, brings that player to the front.
RequestAnswer ActivateRunningInstance();

// Waits until no player of this session is left (window and mutexes gone); false when one
// still runs after the time.
bool AwaitPlayerEnd(DWORD timeoutMs);

// The two named mutexes that mark the first player, open until destruction.
class CInstanceMutexes {
public:
    // Both mutexes open to everyone (null access list); failures are ignored. False when the
    // local one existed already: another player of this session, started at the same moment,
    // passed the running-instance probe as well and made it first.
    bool Create();
    void Close();

private:
    ScopedKernelHandle local_;
    ScopedKernelHandle global_;
};

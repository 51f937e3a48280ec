#pragma once

#include <windows.h>

#include <string>

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

// Hands one copy-data request to the handler (null handler: ignored).
void DispatchCopyData(IRemoteCmdHandler* handler, const COPYDATASTRUCT* data);

// The running player's single-instance window, or null.
HWND FindRunningPlayer();

// True when a player holds the instance mutexes, also one of another logon session.
bool IsPlayerRunning();

// Sends WM_COPYDATA 100 with the link; false when no player window exists.
bool SendLinkToRunningInstance(const std::wstring& link);

// Sends WM_COPYDATA 300 and brings that player to the front; false when none exists.
bool ActivateRunningInstance();

// The two named mutexes that mark the first player, open until destruction.
class CInstanceMutexes {
public:
    CInstanceMutexes() = default;
    ~CInstanceMutexes();
    CInstanceMutexes(const CInstanceMutexes&) = delete;
    CInstanceMutexes& operator=(const CInstanceMutexes&) = delete;

    // Both mutexes open to everyone (null access list); failures are ignored.
    void Create();
    void Close();

private:
    HANDLE local_ = nullptr;
    HANDLE global_ = nullptr;
};

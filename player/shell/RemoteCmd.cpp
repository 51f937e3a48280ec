#include "player/shell/RemoteCmd.h"

std::wstring LinkTextFromCopyData(const COPYDATASTRUCT& data) {
    if (!data.lpData || data.cbData == 0)
        return std::wstring();
    const wchar_t* text = static_cast<const wchar_t*>(data.lpData);
    const size_t maxChars = data.cbData / sizeof(wchar_t);
    size_t length = 0;
    while (length < maxChars && text[length] != L'\0')
        ++length;
    return std::wstring(text, length);
}

bool DispatchCopyData(IRemoteCmdHandler* handler, const COPYDATASTRUCT* data) {
    if (!handler || !data)
        return false;
    switch (data->dwData) {
    case kRequestOpenLink:
        if (data->cbData == 0 || !data->lpData)
            return false;
        handler->OpenLink(LinkTextFromCopyData(*data));
        return true;
    case kRequestNewVersion:
        handler->OfferNewVersion();
        return true;
    case kRequestActivate:
        handler->Activate();
        return true;
    default:
        return false;
    }
}

HWND FindRunningPlayer() {
    return FindWindowW(kSingletonClassName, kSingletonTitle);
}

namespace {

bool CanOpenMutex(const wchar_t* name, DWORD access) {
    const ScopedKernelHandle mutex(OpenMutexW(access, FALSE, name));
    return mutex.Get() != nullptr;
}

}  // namespace

bool IsPlayerRunning() {
    return CanOpenMutex(kGlobalMutexName, MUTEX_ALL_ACCESS) || CanOpenMutex(kLocalMutexName, MUTEX_ALL_ACCESS);
}

bool IsPlayerRunningInThisSession() {
    return CanOpenMutex(kLocalMutexName, SYNCHRONIZE);
}

bool AwaitPlayerOfThisSession(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsPlayerRunningInThisSession()) {
        if (FindRunningPlayer())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return !IsPlayerRunning();
}

namespace {

// Sends one request; a player that hangs is given up on instead of hanging this process too.
RequestAnswer SendRequest(HWND player, COPYDATASTRUCT& data) {
    DWORD_PTR taken = 0;
    if (!SendMessageTimeoutW(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                             kRequestTimeoutMs, &taken))
        return IsWindow(player) ? RequestAnswer::kNoAnswer : RequestAnswer::kNotTaken;
    return taken ? RequestAnswer::kTaken : RequestAnswer::kNotTaken;
}

}  // namespace

RequestAnswer SendLinkToRunningInstance(const std::wstring& link) {
    HWND player = FindRunningPlayer();
    if (!player)
        return RequestAnswer::kNoPlayer;
    COPYDATASTRUCT data{};
    data.dwData = kRequestOpenLink;
    data.cbData = static_cast<DWORD>((link.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(link.c_str());
    return SendRequest(player, data);
}

RequestAnswer ActivateRunningInstance() {
    HWND player = FindRunningPlayer();
    if (!player)
        return RequestAnswer::kNoPlayer;
    COPYDATASTRUCT data{};
    data.dwData = kRequestActivate;
    const RequestAnswer answer = SendRequest(player, data);
    if (answer == RequestAnswer::kTaken)
        SetForegroundWindow(player);
    return answer;
}

bool AwaitPlayerEnd(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (FindRunningPlayer() || IsPlayerRunning()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

bool CInstanceMutexes::Create() {
    Close();
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, FALSE};
    local_.Reset(CreateMutexW(&attributes, FALSE, kLocalMutexName));
    const bool localExisted = local_ && GetLastError() == ERROR_ALREADY_EXISTS;
    global_.Reset(CreateMutexW(&attributes, FALSE, kGlobalMutexName));
    // Decided by one mutex only: with two, two racing players could each find one made by
    // the other, and both would give way.
    return !localExisted;
}

void CInstanceMutexes::Close() {
    local_.Reset();
    global_.Reset();
}

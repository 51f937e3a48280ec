#include "player/shell/MessengerNotice.h"

#include <windows.h>

namespace {

constexpr ULONG_PTR kNowPlayingRecord = 1351;
constexpr wchar_t kMessengerClass[] = L"MsnMsgrUIManager";
// A messenger that does not answer within this time is hung: the player's window thread must
// not hang with it.
constexpr UINT kMessengerTimeoutMs = 200;

}  // namespace

std::wstring FormatNowPlayingNotice(const std::wstring& channelName) {
    const std::wstring values[] = {L"{0}-[{1}]", channelName, L"Vantel", L""};
    std::wstring text = L"\\0Music\\01";
    for (const auto& value : values)
        text += L"\\0" + value;
    return text + L"\\0\\0\\0";
}

const std::wstring& ClearNoticeText() {
    static const std::wstring text = L"\\0Music\\01\\0\\0\\0\\0\\0\\0\\0";
    return text;
}

int SendToMessengers(const std::wstring& text) {
    COPYDATASTRUCT record{};
    record.dwData = kNowPlayingRecord;
    record.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    record.lpData = const_cast<wchar_t*>(text.c_str());
    int sent = 0;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, kMessengerClass, nullptr); window && ::IsWindow(window);
         window = ::FindWindowExW(nullptr, window, kMessengerClass, nullptr)) {
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG,
                                  kMessengerTimeoutMs, &result))
            ++sent;
    }
    return sent;
}

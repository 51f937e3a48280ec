#include "player/shell/Link.h"

#include <windows.h>
#include <shlwapi.h>
#include <wininet.h>

#include <vector>

bool ParseLink(const std::wstring& text, LinkInfo& info) {
    // Room for the canonical form: escaping can triple the length of the text.
    std::vector<wchar_t> canonical(text.size() * 3 + 16);
    DWORD length = static_cast<DWORD>(canonical.size());
    if (FAILED(UrlCanonicalizeW(text.c_str(), canonical.data(), &length, 0)))
        return false;

    std::vector<wchar_t> host(INTERNET_MAX_HOST_NAME_LENGTH + 1);
    std::vector<wchar_t> path(canonical.size());
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!InternetCrackUrlW(canonical.data(), 0, 0, &parts))
        return false;

    const std::wstring urlPath(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (urlPath.size() <= 1)
        return false;
    info.server.assign(parts.lpszHostName, parts.dwHostNameLength);
    info.channelId = urlPath.substr(1);
    info.port = parts.nPort != 0 ? parts.nPort : kDefaultLinkPort;
    return true;
}

std::wstring ComposeLink(const LinkInfo& info) {
    if (info.channelId.empty())
        return std::wstring();
    std::wstring link = kLinkScheme + info.server;
    if (info.port != kDefaultLinkPort)
        link += L":" + std::to_wstring(info.port);
    return link + L"/" + info.channelId;
}

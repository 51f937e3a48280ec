#pragma once

#include <string>

// A channel link "trova://server[:port]/channel" taken apart.
struct LinkInfo {
    std::wstring server;
    unsigned short port = 8081;
    std::wstring channelId;
};

constexpr unsigned short kDefaultLinkPort = 8081;
constexpr wchar_t kLinkScheme[] = L"trova://";

// Parses with the platform's URL parser (canonicalise, then crack). False when the
// parser fails or the link names no channel.
bool ParseLink(const std::wstring& text, LinkInfo& info);

// The normal form of a link: the default port is left out, the server kept as given.
std::wstring ComposeLink(const LinkInfo& info);

#include "substitutes/playerctl/PlaySource.h"

namespace {

constexpr wchar_t kLinkScheme[] = L"trova://";
constexpr size_t kLinkSchemeLength = sizeof(kLinkScheme) / sizeof(wchar_t) - 1;
constexpr SIZE kLinkPictureSize = {640, 360};
constexpr LONG kMinPictureSide = 16;
constexpr LONG kMaxPictureSide = 4096;

bool HasLinkScheme(const std::wstring& text) {
    return text.size() >= kLinkSchemeLength &&
           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), static_cast<int>(kLinkSchemeLength),
                          kLinkScheme, static_cast<int>(kLinkSchemeLength)) == CSTR_EQUAL;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A decimal run of 2 to 4 digits ending before `end`, read backwards; 0 when there is none.
LONG NumberBefore(const std::wstring& text, size_t end) {
    size_t start = end;
    while (start > 0 && IsDigit(text[start - 1]) && end - start < 5) --start;
    if (end - start < 2 || end - start > 4 || (start > 0 && IsDigit(text[start - 1]))) return 0;
    return std::stol(text.substr(start, end - start));
}

LONG NumberAfter(const std::wstring& text, size_t start) {
    size_t end = start;
    while (end < text.size() && IsDigit(text[end]) && end - start < 5) ++end;
    if (end - start < 2 || end - start > 4 || (end < text.size() && IsDigit(text[end]))) return 0;
    return std::stol(text.substr(start, end - start));
}

SIZE PictureSizeFromName(const std::wstring& name) {
    for (size_t x = 0; x < name.size(); ++x) {
        if (name[x] != L'x' && name[x] != L'X') continue;
        const LONG width = NumberBefore(name, x);
        const LONG height = NumberAfter(name, x + 1);
        if (width >= kMinPictureSide && width <= kMaxPictureSide && height >= kMinPictureSide &&
            height <= kMaxPictureSide)
            return {width, height};
    }
    return {0, 0};
}

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ParseChannelLink(const std::wstring& text, PlaySource& source) {
    if (!HasLinkScheme(text)) return false;
    const size_t authorityStart = kLinkSchemeLength;
    const size_t slash = text.find(L'/', authorityStart);
    if (slash == std::wstring::npos) return false;
    const std::wstring authority = text.substr(authorityStart, slash - authorityStart);
    const std::wstring channel = text.substr(slash + 1);

    const size_t colon = authority.find(L':');
    const std::wstring server = authority.substr(0, colon);
    ULONG port = 0;
    if (colon != std::wstring::npos) {
        const std::wstring digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return false;
        for (wchar_t c : digits) {
            if (!IsDigit(c)) return false;
            port = port * 10 + static_cast<ULONG>(c - L'0');
        }
        if (port > 65535) return false;
    }
    if (server.empty() || channel.empty()) return false;
    for (wchar_t c : server + channel)
        if (c <= L' ') return false;

    source.isLink = true;
    source.server = server;
    source.port = port == 0 ? kDefaultChannelPort : port;
    source.channel = channel;
    return true;
}

PlayResult OpenPlaySource(const std::wstring& text, PlaySource& source) {
    source = PlaySource{};
    source.text = text;
    if (text.empty()) return PlayResult::EmptySource;
    if (HasLinkScheme(text)) {
        if (!ParseChannelLink(text, source)) return PlayResult::BadLink;
        source.title = text;
        source.pictureSize = kLinkPictureSize;
        return PlayResult::Started;
    }
    const DWORD attributes = GetFileAttributesW(text.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return PlayResult::NoSuchFile;
    source.title = FileName(text);
    source.pictureSize = PictureSizeFromName(source.title);
    return PlayResult::Started;
}

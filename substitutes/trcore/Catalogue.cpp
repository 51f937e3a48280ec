#include "substitutes/trcore/Catalogue.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "framework/win/ScopedHandle.h"

namespace {

const std::size_t kFieldCount = 8;

bool IsValidUtf8(const char* text, std::size_t size) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + size;
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80) continue;
        std::size_t trail;
        std::uint32_t code;
        if (lead >= 0xC2 && lead <= 0xDF) { trail = 1; code = lead & 0x1F; }
        else if (lead >= 0xE0 && lead <= 0xEF) { trail = 2; code = lead & 0x0F; }
        else if (lead >= 0xF0 && lead <= 0xF4) { trail = 3; code = lead & 0x07; }
        else return false;
        if (static_cast<std::size_t>(end - p) < trail) return false;
        for (std::size_t i = 0; i < trail; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        p += trail;
        // Overlong forms, surrogates and values beyond Unicode.
        if ((trail == 2 && code < 0x800) || (trail == 3 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
    }
    return true;
}

bool ParseInt32(const std::string& field, std::int32_t& value) {
    if (field.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(field.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<std::int32_t>(parsed);
    return true;
}

bool ParseLine(const char* begin, const char* end, CatalogueChannel& channel) {
    if (!IsValidUtf8(begin, end - begin)) return false;
    std::string fields[kFieldCount];
    std::size_t count = 0;
    const char* start = begin;
    for (const char* p = begin;; ++p) {
        if (p == end || *p == '\t') {
            if (count == kFieldCount) return false;
            fields[count++].assign(start, p);
            if (p == end) break;
            start = p + 1;
        }
    }
    if (count != kFieldCount || fields[0].empty() || fields[1].empty()) return false;
    if (!ParseInt32(fields[5], channel.type) || !ParseInt32(fields[6], channel.viewers) ||
        !ParseInt32(fields[7], channel.bitrate))
        return false;
    channel.name = std::move(fields[0]);
    channel.channel_id = std::move(fields[1]);
    channel.description = std::move(fields[2]);
    channel.home_page = std::move(fields[3]);
    channel.catalog = std::move(fields[4]);
    return true;
}

}  // namespace

std::size_t ParseCatalogue(const char* text, std::size_t size, std::vector<CatalogueChannel>& out) {
    const char* p = text;
    const char* end = text + size;
    if (size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    std::size_t skipped = 0;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (!lineEnd) lineEnd = end;
        const char* contentEnd = lineEnd;
        if (contentEnd > p && contentEnd[-1] == '\r') --contentEnd;
        if (contentEnd > p && *p != '#') {
            CatalogueChannel channel;
            if (ParseLine(p, contentEnd, channel))
                out.push_back(std::move(channel));
            else
                ++skipped;
        }
        p = lineEnd + (lineEnd < end ? 1 : 0);
    }
    return skipped;
}

bool LoadCatalogueFile(const std::wstring& path, std::vector<CatalogueChannel>& out) {
    const ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x40000000) return false;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                          read != text.size()))
        return false;
    out.clear();
    ParseCatalogue(text.data(), text.size(), out);
    return true;
}

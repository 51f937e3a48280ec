#include "channellist/ui/LikeMatch.h"

#include <utility>

namespace UI {

namespace {

// SQLite refuses longer LIKE patterns; the pattern is the key between "%%" and "%%".
const size_t kMaxPatternBytes = 50000;

// Value bits of a lead byte 0xC0..0xFF, as SQLite's UTF-8 reader takes them.
const unsigned char kLeadBits[64] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00,
};

}  // namespace

std::uint32_t ReadLikeChar(const unsigned char*& p) {
    std::uint32_t c = *p++;
    if (c >= 0xC0) {
        c = kLeadBits[c - 0xC0];
        while ((*p & 0xC0) == 0x80)
            c = (c << 6) + (0x3F & *p++);
        if (c < 0x80 || (c & 0xFFFFF800u) == 0xD800 || (c & 0xFFFFFFFEu) == 0xFFFE)
            c = 0xFFFD;
    }
    return c;
}

namespace {

inline std::uint32_t AsciiLower(std::uint32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// LIKE's comparison of two characters: equal, or ASCII letters of either case.
inline bool SameChar(std::uint32_t key, std::uint32_t text) {
    return key == text || (key < 0x80 && text < 0x80 && AsciiLower(key) == AsciiLower(text));
}

void AppendUtf8(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool CLikeKey::Assign(const std::wstring& keyword) {
    std::string utf8;
    for (size_t i = 0; i < keyword.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(keyword[i]);
        if (c == 0 || c == '%' || c == '_')
            return false;
        if (c >= 0xD800 && c <= 0xDFFF) {
            const std::uint32_t low = i + 1 < keyword.size() ? static_cast<std::uint16_t>(keyword[i + 1]) : 0;
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        AppendUtf8(c, utf8);
    }
    if (utf8.empty() || utf8.size() + 4 > kMaxPatternBytes)
        return false;
    std::vector<std::uint32_t> chars;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.c_str()); *p;)
        chars.push_back(ReadLikeChar(p));
    // SQLite looks for a first character of 0x80 as a byte, even inside other characters.
    if (chars[0] == 0x80)
        return false;
    chars_ = std::move(chars);
    return true;
}

bool CLikeKey::FoundIn(const std::string& text) const {
    if (chars_.empty())
        return false;
    const std::uint32_t first = chars_[0];
    const bool asciiFirst = first < 0x80;
    const unsigned char upper = static_cast<unsigned char>(asciiFirst && first >= 'a' && first <= 'z' ? first - 32 : first);
    const unsigned char lower = static_cast<unsigned char>(AsciiLower(first));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str());
    while (*p) {
        const unsigned char* next = p;
        if (asciiFirst) {
            // An ASCII byte is always a character of its own: look for the byte alone.
            if (*p != upper && *p != lower) {
                ++p;
                continue;
            }
            ++next;
        } else if (ReadLikeChar(next) != first) {
            p = next;
            continue;
        }
        const unsigned char* q = next;
        size_t matched = 1;
        while (matched < chars_.size()) {
            if (!*q)
                return false;  // later starts leave even less text
            if (!SameChar(chars_[matched], ReadLikeChar(q)))
                break;
            ++matched;
        }
        if (matched == chars_.size())
            return true;
        p = next;
    }
    return false;
}

}  // namespace UI

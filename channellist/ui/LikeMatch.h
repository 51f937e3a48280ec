#pragma once
// The database's keyword search, "text LIKE '%' || key || '%'", done in memory for a key without
// wildcards: texts are decoded the way SQLite decodes UTF-8, and only ASCII letters compare
// without regard to case, so that narrowing a result gives exactly the rows the statement would.
#include <cstdint>
#include <string>
#include <vector>

namespace UI {

// One character the way SQLite reads it: a lead byte takes every continuation byte after it;
// overlong forms, surrogates and U+FFFE/U+FFFF read as U+FFFD; a stray continuation byte is a
// character of its own. Advances p past it.
std::uint32_t ReadLikeChar(const unsigned char*& p);

class CLikeKey {
public:
    // False when the keyword cannot be matched in memory with the statement's outcome: it holds
    // a wildcard (% or _), a NUL or an unpaired surrogate, or is too long for a LIKE pattern.
    bool Assign(const std::wstring& keyword);
    // Whether text contains the key by LIKE's rules (text ends at its first NUL, as there).
    bool FoundIn(const std::string& text) const;

private:
    std::vector<std::uint32_t> chars_;  // the key's characters as SQLite decodes them
};

}  // namespace UI

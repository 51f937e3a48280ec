#pragma once
// The database file's bytes and its rollback journal, for the tests that damage or inspect them.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Whether a rollback journal stands beside the database at `path`.
inline bool JournalExists(const std::wstring& path) {
    return GetFileAttributesW((path + L"-journal").c_str()) != INVALID_FILE_ATTRIBUTES;
}

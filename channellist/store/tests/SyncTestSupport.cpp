#include "channellist/store/tests/SyncTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "channellist/store/ChannelDatabase.h"
#include "common/settings/AppPaths.h"

namespace {

void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScopedDataFolder::ScopedDataFolder() {
    static LONG sequence = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    swprintf(name, 64, L"trova-sync-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&sequence));
    path_ = std::wstring(temp) + name;
    DeleteTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
    CAppPaths::InitAt(path_ + L"\\");
}

ScopedDataFolder::~ScopedDataFolder() {
    CAppPaths::Shutdown();
    DeleteTree(path_);
}

bool DatabaseFileExists() {
    return GetFileAttributesW(GetDatabasePath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

TestDatabase::TestDatabase() {
    if (sqlite3_open16(GetDatabasePath().c_str(), &db_) != SQLITE_OK)
        ADD_FAILURE() << "cannot open the test database";
}

TestDatabase::~TestDatabase() { sqlite3_close(db_); }

void TestDatabase::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << (error ? error : "?");
        sqlite3_free(error);
    }
}

int TestDatabase::Int(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
        return value;
    }
    if (sqlite3_step(statement) == SQLITE_ROW) value = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

std::string TestDatabase::Text(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value = "<no row>";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
        return value;
    }
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        value = text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement, 0))
                     : std::string("<null>");
    }
    sqlite3_finalize(statement);
    return value;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

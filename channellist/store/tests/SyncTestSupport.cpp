#include "channellist/store/tests/SyncTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "channellist/store/ChannelDatabase.h"
#include "common/settings/AppPaths.h"

ScopedDataFolder::ScopedDataFolder() : path_(folder_.path().substr(0, folder_.path().size() - 1)) {
    CAppPaths::InitAt(folder_.path());
}

ScopedDataFolder::~ScopedDataFolder() { CAppPaths::Shutdown(); }

bool DatabaseFileExists() { return GetFileAttributesW(GetDatabasePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

TestDatabase::TestDatabase() {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open16(GetDatabasePath().c_str(), &db);
    db_.reset(db);  // closed even when the open failed
    if (opened != SQLITE_OK)
        ADD_FAILURE() << "cannot open the test database";
}

void TestDatabase::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << (error ? error : "?");
        sqlite3_free(error);
    }
}

int TestDatabase::Int(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_.get());
        return value;
    }
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

std::string TestDatabase::Text(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value = "<no row>";
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_.get());
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
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

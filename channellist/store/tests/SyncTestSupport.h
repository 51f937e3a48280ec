#pragma once
// Shared by the synchronisation tests: a private data folder per test and direct
// SQLite access to the database the synchronisation wrote.

#include <sqlite3.h>

#include <string>

// A fresh folder under the temporary folder, made the application-data folder of
// the folder service for the lifetime of the object, then deleted with its content.
class ScopedDataFolder {
public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

bool DatabaseFileExists();

// Raw connection on the channel database, independent of the store layer.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    void Exec(const std::string& sql);
    int Int(const std::string& sql);
    std::string Text(const std::string& sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

std::wstring Utf8ToWide(const std::string& text);

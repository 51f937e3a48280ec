#pragma once
// Shared by the synchronisation tests: a private data folder per test and direct
// SQLite access to the database the synchronisation wrote.

#include <sqlite3.h>

#include <memory>
#include <string>

#include "framework/win/tests/TempFolder.h"

// A fresh folder under the temporary folder, made the application-data folder of
// the folder service for the lifetime of the object, then deleted with its content.
class ScopedDataFolder {
public:
    ScopedDataFolder();
    ~ScopedDataFolder();

    // Without a trailing backslash.
    const std::wstring& path() const { return path_; }

private:
    TempFolder folder_;
    std::wstring path_;
};

bool DatabaseFileExists();

// Raw connection on the channel database, independent of the store layer.
class TestDatabase {
public:
    TestDatabase();

    void Exec(const std::string& sql);
    int Int(const std::string& sql);
    std::string Text(const std::string& sql);
    sqlite3* handle() const { return db_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

std::wstring Utf8ToWide(const std::string& text);

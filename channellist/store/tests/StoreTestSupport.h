#pragma once

#include <gtest/gtest.h>

#include <string>

#include "channellist/store/ChannelDatabase.h"
#include "common/settings/AppPaths.h"
#include "framework/win/tests/TempFolder.h"

// Each test gets its own data folder and so its own "cinfo.db".
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { CAppPaths::InitAt(appData_.path()); }
    void TearDown() override { CAppPaths::Shutdown(); }

    // A connection of the test's own on the store's file, tables in place.
    void OpenDirect(sqlite3x::connection& db) {
        db.open(GetDatabasePath());
        EnsureCatalogTable(db);
        EnsureChannelTable(db);
        EnsureHistoryTable(db);
    }

    // Adds a channel and returns its id.
    int AddChannel(const std::string& name, int catalogId = 1, int visitors = 0,
                   const std::string& desc = std::string()) {
        sqlite3x::connection db;
        OpenDirect(db);
        ChannelRecord record;
        record.catalogid = catalogId;
        record.name = name;
        record.desc = desc;
        record.channelid = "id-" + name;
        record.visitors = visitors;
        record.server = "global";
        InsertChannel(db, record);
        return db.query_int("select max(id) from channel;");
    }

    void Exec(const std::string& sql) {
        sqlite3x::connection db;
        OpenDirect(db);
        db.exec(sql);
    }

    TempFolder appData_;
};

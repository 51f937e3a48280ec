// The synchronisation's side of the engine protocol: calling order, when close is
// owed, and when the database is left alone.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/SyncFakeEngine.h"
#include "channellist/store/tests/SyncTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

class SyncEngineTest : public ::testing::Test {
protected:
    ScopedDataFolder folder_;
    FakeEngine engine_;
};

TEST_F(SyncEngineTest, FullExchangeRunsInFixedOrderWithZeroedBuffers) {
    engine_.channels = {MakeChannel("a", "News"), MakeChannel("b", "News"), MakeChannel("c", "")};
    EXPECT_TRUE(SyncChannelList(&FakeGetClassObject));
    EXPECT_EQ((Calls{"GetClassObject", "open", "get_count", "get_channel 0", "get_channel 1",
                     "get_channel 2", "close"}),
              engine_.calls);
    EXPECT_EQ(1, engine_.interfaceVersion);
    EXPECT_TRUE(engine_.tableZeroed);
    EXPECT_TRUE(engine_.recordsZeroed);
}

TEST_F(SyncEngineTest, EngineUnavailableEndsExchangeWithoutDatabase) {
    EXPECT_FALSE(SyncChannelList(nullptr));

    engine_.provideTable = false;
    EXPECT_FALSE(SyncChannelList(&FakeGetClassObject));
    EXPECT_EQ(Calls{"GetClassObject"}, engine_.calls);

    // A table without close could never be ended properly: it is not used at all.
    engine_.calls.clear();
    engine_.provideTable = true;
    engine_.fillCloseSlot = false;
    EXPECT_FALSE(SyncChannelList(&FakeGetClassObject));
    EXPECT_EQ(Calls{"GetClassObject"}, engine_.calls);

    EXPECT_FALSE(DatabaseFileExists());
}

TEST_F(SyncEngineTest, FailedOpenIsNeverClosed) {
    engine_.openSucceeds = false;
    engine_.channels = {MakeChannel("a", "News")};
    EXPECT_FALSE(SyncChannelList(&FakeGetClassObject));
    EXPECT_EQ((Calls{"GetClassObject", "open"}), engine_.calls);
    EXPECT_FALSE(DatabaseFileExists());
}

TEST_F(SyncEngineTest, EmptyOrNegativeCountClosesWithoutOpeningDatabase) {
    engine_.reportCount = true;
    for (int count : {0, -1, -2147483647 - 1}) {
        engine_.calls.clear();
        engine_.count = count;
        EXPECT_TRUE(SyncChannelList(&FakeGetClassObject)) << count;
        EXPECT_EQ((Calls{"GetClassObject", "open", "get_count", "close"}), engine_.calls) << count;
        EXPECT_FALSE(DatabaseFileExists()) << count;
    }
}

TEST_F(SyncEngineTest, EmptyListLeavesStoredChannelsVisible) {
    engine_.channels = {MakeChannel("a", "News"), MakeChannel("b", "Sport")};
    ASSERT_TRUE(SyncChannelList(&FakeGetClassObject));
    engine_.channels.clear();
    EXPECT_TRUE(SyncChannelList(&FakeGetClassObject));
    TestDatabase db;
    EXPECT_EQ(2, db.Int("SELECT count(*) FROM channel WHERE del=0"));
}

TEST_F(SyncEngineTest, DatabaseFailureStillClosesEngineOnce) {
    // A folder where the database file belongs: the connection cannot be opened.
    ASSERT_TRUE(CreateDirectoryW(GetDatabasePath().c_str(), nullptr));
    engine_.channels = {MakeChannel("a", "News")};
    EXPECT_FALSE(SyncChannelList(&FakeGetClassObject));
    EXPECT_EQ(1, engine_.CallCount("close"));
    EXPECT_EQ("close", engine_.calls.back());
    RemoveDirectoryW(GetDatabasePath().c_str());
}

TEST_F(SyncEngineTest, UnterminatedSlotsAreReadUpToTheirEndOnly) {
    engine_.fillRecord = [](EngineChannelInfo& info, int) {
        std::memset(info.name, 'N', sizeof(info.name));
        std::memset(info.channel_id, 'I', sizeof(info.channel_id));
        std::memset(info.description, 'D', sizeof(info.description));
        std::memset(info.home_page, 'U', sizeof(info.home_page));
        std::memset(info.catalog, 'C', sizeof(info.catalog));
        info.type = 0x7F7F7F7F;  // no NUL anywhere in the record
        info.viewers = 0x7F7F7F7F;
        info.bitrate = 0x7F7F7F7F;
    };
    engine_.reportCount = true;
    engine_.count = 1;
    ASSERT_TRUE(SyncChannelList(&FakeGetClassObject));

    TestDatabase db;
    EXPECT_EQ(std::string(128, 'N'), db.Text("SELECT name FROM channel"));
    EXPECT_EQ(std::string(64, 'I'), db.Text("SELECT channelid FROM channel"));
    EXPECT_EQ(std::string(1024, 'D'), db.Text("SELECT desc FROM channel"));
    EXPECT_EQ(std::string(128, 'U'), db.Text("SELECT url FROM channel"));
    EXPECT_EQ(std::string(128, 'C'),
              db.Text("SELECT catalog.name FROM catalog JOIN channel ON channel.catalogid=catalog.id"));
    EXPECT_EQ(0x7F7F7F7F, db.Int("SELECT bitrate FROM channel"));
}

}  // namespace

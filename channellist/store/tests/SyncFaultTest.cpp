// The synchronisation against a database it must not or cannot write (corrupt, read-only,
// held by another process) and against engines that report absurd counts, fail at random
// or fill every slot to its last byte.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/DatabaseFiles.h"
#include "channellist/store/tests/FaultHelperProcess.h"
#include "channellist/store/tests/SyncTestSupport.h"

namespace {

// An engine whose records are computed from their index: `delivers` decides which indices
// get_channel answers, `fill` writes the record.
struct GeneratedEngine {
    int count = 0;
    std::function<bool(int)> delivers = [](int) { return true; };
    std::function<void(EngineChannelInfo&, int)> fill;
    long long getChannelCalls = 0;
    int closeCalls = 0;
};

GeneratedEngine* g_engine = nullptr;

int ENGINE_CALL GeneratedGetChannel(EngineContext, EngineChannelInfo* info, int index) {
    ++g_engine->getChannelCalls;
    if (index < 0 || index >= g_engine->count || !g_engine->delivers(index))
        return 0;
    g_engine->fill(*info, index);
    return 1;
}
int ENGINE_CALL GeneratedGetCount(EngineContext) { return g_engine->count; }
int ENGINE_CALL GeneratedOpen(EngineContext) { return 1; }
void ENGINE_CALL GeneratedClose(EngineContext) { ++g_engine->closeCalls; }
int ENGINE_CALL GeneratedGetClassObject(EngineClassObject* object) {
    object->get_channel = &GeneratedGetChannel;
    object->get_count = &GeneratedGetCount;
    object->open = &GeneratedOpen;
    object->close = &GeneratedClose;
    return 1;
}

void Put(char* slot, std::size_t size, const std::string& text) {
    std::memcpy(slot, text.data(), std::min(size - 1, text.size()));
}

// A plain record: name "ch<index>" in catalog "cat<index % 7>".
void PlainRecord(EngineChannelInfo& info, int index) {
    const std::string n = std::to_string(index);
    Put(info.name, sizeof(info.name), "ch" + n);
    Put(info.channel_id, sizeof(info.channel_id), "id" + n);
    Put(info.description, sizeof(info.description), "about " + n);
    Put(info.home_page, sizeof(info.home_page), "http://h.test/" + n);
    Put(info.catalog, sizeof(info.catalog), "cat" + std::to_string(index % 7));
    info.type = index % 2;
    info.viewers = index;
    info.bitrate = 300;
}

// Every text slot filled to its last byte with no terminator, different in every record
// and in the last byte of every slot, so any read past a slot or any cut shows in the row.
std::string FullSlot(char letter, std::size_t size, int index) {
    std::string text(size, letter);
    const std::string n = std::to_string(index);
    text.replace(0, n.size(), n);
    text[size - 1] = static_cast<char>('A' + index % 26);
    return text;
}

void FullRecord(EngineChannelInfo& info, int index) {
    const std::string name = FullSlot('n', 128, index), id = FullSlot('i', 64, index),
                      desc = FullSlot('d', 1024, index), home = FullSlot('u', 128, index),
                      catalog = FullSlot('c', 128, index % 5);
    std::memcpy(info.name, name.data(), 128);
    std::memcpy(info.channel_id, id.data(), 64);
    std::memcpy(info.description, desc.data(), 1024);
    std::memcpy(info.home_page, home.data(), 128);
    std::memcpy(info.catalog, catalog.data(), 128);
    info.type = index % 3 == 0 ? INT_MIN : 1;
    info.viewers = index % 2 ? INT_MAX : -1;
    info.bitrate = INT_MIN + index;
}

class SyncFaultTest : public ::testing::Test {
protected:
    SyncFaultTest() { g_engine = &engine_; }
    ~SyncFaultTest() override { g_engine = nullptr; }

    // A database filled with `count` plain channels, then every row marked so that any
    // later merge that got through shows.
    void FillDatabase(int count) {
        engine_.count = count;
        engine_.fill = &PlainRecord;
        ASSERT_TRUE(SyncChannelList(&GeneratedGetClassObject));
        TestDatabase db;
        db.Exec("UPDATE channel SET visitors=-7");
    }

    // The next merge would change every row: other viewers, one new channel.
    bool SyncChanged(int count) {
        engine_.count = count + 1;
        engine_.closeCalls = 0;
        return SyncChannelList(&GeneratedGetClassObject);
    }

    ScopedDataFolder folder_;
    GeneratedEngine engine_;
};

// A damaged file, or a sound one of another shape: the merge fails before writing anything
// and leaves every byte as it was.
TEST_F(SyncFaultTest, CorruptDatabaseIsNeverWritten) {
    FillDatabase(3000);
    const std::string good = ReadBytes(GetDatabasePath());
    ASSERT_GT(good.size(), 64u * 1024u);
    int rootPage = 0;
    {
        TestDatabase db;
        rootPage = db.Int("SELECT rootpage FROM sqlite_master WHERE name='channel'");
    }
    const std::size_t pageSize = 4096;
    ASSERT_EQ(0u, good.size() % pageSize) << "page size is not " << pageSize;

    std::mt19937 random(4711);
    auto garbage = [&random](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        return bytes;
    };
    struct Damage {
        const char* what;
        std::string bytes;
    };
    std::vector<Damage> damages;
    damages.push_back({"random bytes", garbage(good.size())});
    damages.push_back({"first page only", good.substr(0, pageSize) + garbage(good.size() - pageSize)});
    damages.push_back({"cut in half", good.substr(0, good.size() / 2)});
    std::string root = good;
    root.replace((rootPage - 1) * pageSize, pageSize, garbage(pageSize));
    damages.push_back({"channel table root page", root});
    std::string header = good;
    header.replace(0, 16, std::string("SQLite format 2\0", 16));  // the magic text of another format
    damages.push_back({"wrong magic", header});

    // A sound database of another shape (a channel table without the columns the merge uses).
    {
        const std::wstring other = folder_.path() + L"\\other.db";
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open16(other.c_str(), &db));
        sqlite3_exec(db,
                     "CREATE TABLE catalog(id INTEGER PRIMARY KEY,name TEXT);"
                     "CREATE TABLE channel(id INTEGER PRIMARY KEY,name TEXT,catalogid INTEGER);"
                     "INSERT INTO channel(name) VALUES('kept');",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        damages.push_back({"another schema", ReadBytes(other)});
    }

    for (const Damage& damage : damages) {
        WriteBytes(GetDatabasePath(), damage.bytes);
        EXPECT_FALSE(SyncChanged(3000)) << damage.what;
        EXPECT_EQ(1, engine_.closeCalls) << damage.what;
        EXPECT_TRUE(damage.bytes == ReadBytes(GetDatabasePath())) << damage.what << ": the file was written";
        EXPECT_FALSE(JournalExists(GetDatabasePath())) << damage.what;
    }

    // The good file again: the merge goes through.
    WriteBytes(GetDatabasePath(), good);
    EXPECT_TRUE(SyncChanged(3000));
    EXPECT_EQ(3001, CountChannels());
}

// True when the file cannot be opened for writing (Wine running as root writes to files whose
// read-only attribute is set: the attribute is kept only as the Unix mode).
bool WritingIsRefused(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}

// A file that only opens for reading: by its read-only attribute, or because another program
// (a backup, a scanner) holds it open without sharing it for writing. The merge fails without
// a trace; the lists still read it; only the history cannot be written.
TEST_F(SyncFaultTest, ReadOnlyDatabaseKeepsItsContentAndStaysReadable) {
    FillDatabase(500);
    const std::string before = ReadBytes(GetDatabasePath());
    for (const bool byAttribute : {true, false}) {
        const char* how = byAttribute ? "read-only attribute" : "held open for reading only";
        HANDLE reader = INVALID_HANDLE_VALUE;
        if (byAttribute) {
            ASSERT_TRUE(SetFileAttributesW(GetDatabasePath().c_str(), FILE_ATTRIBUTE_READONLY));
        } else {
            reader = CreateFileW(GetDatabasePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        }
        if (!WritingIsRefused(GetDatabasePath())) {
            std::printf("%s: the system lets writers in (Wine as root); not tested\n", how);
        } else {
            EXPECT_FALSE(SyncChanged(500)) << how;
            EXPECT_EQ(1, engine_.closeCalls) << how;
            EXPECT_TRUE(before == ReadBytes(GetDatabasePath())) << how << ": the file was written";
            EXPECT_FALSE(JournalExists(GetDatabasePath())) << how;
            EXPECT_EQ(500, CountChannels()) << how;
            EXPECT_EQ(-7 * 500, SumVisitors()) << how;
            ChannelRecord record;
            EXPECT_TRUE(GetCatalogChannelAt(2, 0, record)) << how;
            EXPECT_FALSE(TouchHistory(record.id)) << how;
        }
        if (reader != INVALID_HANDLE_VALUE)
            CloseHandle(reader);
        ASSERT_TRUE(SetFileAttributesW(GetDatabasePath().c_str(), FILE_ATTRIBUTE_NORMAL));
        ASSERT_TRUE(before == ReadBytes(GetDatabasePath()));
    }
    EXPECT_TRUE(SyncChanged(500));
    EXPECT_EQ(501, CountChannels());
}

// Another program holding the file for longer than the merge waits: the merge gives up
// without a trace; one that lets go in time only delays it.
TEST_F(SyncFaultTest, DatabaseHeldByAnotherProcess) {
    FillDatabase(200);
    const std::string before = ReadBytes(GetDatabasePath());
    {
        CDatabaseHolder holder(GetDatabasePath(), CDatabaseHolder::kExclusive);
        ASSERT_TRUE(holder.Held());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(SyncChanged(200));
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(1, engine_.closeCalls);
        EXPECT_GE(waited, std::chrono::seconds(4)) << "the merge did not wait for the lock";
        EXPECT_LT(waited, std::chrono::seconds(30));
        // Readers of the window thread get nothing meanwhile, at once.
        EXPECT_EQ(0, CountChannels());
    }
    EXPECT_TRUE(before == ReadBytes(GetDatabasePath()));
    EXPECT_EQ(200, CountChannels());

    // A reader in another process that lets go within the merge's patience.
    {
        CDatabaseHolder holder(GetDatabasePath(), CDatabaseHolder::kShared);
        ASSERT_TRUE(holder.Held());
        std::thread releaser([&holder] {
            Sleep(1500);
            holder.Release();
        });
        EXPECT_TRUE(SyncChanged(200));
        releaser.join();
    }
    EXPECT_EQ(201, CountChannels());
    EXPECT_EQ(200 * 201 / 2, SumVisitors());
}

// A count of a million with nearly every channel undeliverable: every index is asked once,
// the few delivered are stored, and the engine is closed once.
TEST_F(SyncFaultTest, HugeCountWithMostChannelsFailing) {
    engine_.count = 1000000;
    engine_.delivers = [](int index) { return index % 1000 == 999; };
    engine_.fill = &FullRecord;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SyncChannelList(&GeneratedGetClassObject));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("1,000,000 reported, 1,000 delivered: %.2f s\n", seconds);
    EXPECT_EQ(1000000, engine_.getChannelCalls);
    EXPECT_EQ(1, engine_.closeCalls);
    TestDatabase db;
    EXPECT_EQ(1000, db.Int("SELECT count(*) FROM channel WHERE del=0"));
    EXPECT_EQ(FullSlot('n', 128, 999999), db.Text("SELECT name FROM channel ORDER BY id DESC LIMIT 1"));
}

// Failures at random (seeded): exactly the delivered channels are listed, the others hidden
// and kept, whatever the pattern.
TEST_F(SyncFaultTest, RandomlyFailingChannelsLeaveExactlyTheDeliveredOnesListed) {
    engine_.count = 4000;
    engine_.fill = &PlainRecord;
    ASSERT_TRUE(SyncChannelList(&GeneratedGetClassObject));

    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        std::set<int> delivered;
        std::vector<bool> pattern(engine_.count);
        for (int i = 0; i < engine_.count; ++i)
            if ((pattern[i] = random() % 100 < 60))
                delivered.insert(i);
        engine_.delivers = [&pattern](int index) { return pattern[index]; };
        ASSERT_TRUE(SyncChannelList(&GeneratedGetClassObject)) << seed;

        TestDatabase db;
        EXPECT_EQ(4000, db.Int("SELECT count(*) FROM channel")) << seed;
        EXPECT_EQ(static_cast<int>(delivered.size()), db.Int("SELECT count(*) FROM channel WHERE del=0")) << seed;
        long long sum = 0;
        for (int i : delivered)
            sum += i;
        // visitors are the index: the listed set is the delivered set.
        EXPECT_EQ(std::to_string(sum), db.Text("SELECT sum(visitors) FROM channel WHERE del=0")) << seed;
        EXPECT_EQ(static_cast<int>(delivered.size()), CountChannels()) << seed;
    }
}

// Every slot of every record full to its last byte: each text is stored with exactly its
// slot's bytes, and the numbers at their extremes as given.
TEST_F(SyncFaultTest, FullSlotsEverywhereAreStoredWithinTheirSlots) {
    engine_.count = 300;
    engine_.fill = &FullRecord;
    ASSERT_TRUE(SyncChannelList(&GeneratedGetClassObject));
    TestDatabase db;
    ASSERT_EQ(300, db.Int("SELECT count(*) FROM channel WHERE del=0"));
    // Five catalogs; "unknown", made with the table, held no channel and went.
    EXPECT_EQ(5, db.Int("SELECT count(*) FROM catalog"));

    sqlite3_stmt* rows = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db.handle(),
                                            "SELECT channel.name,channelid,desc,url,catalog.name,type,visitors,bitrate "
                                            "FROM channel JOIN catalog ON catalog.id=catalogid ORDER BY channel.id",
                                            -1, &rows, nullptr));
    auto text = [rows](int column) {
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(rows, column)),
                           sqlite3_column_bytes(rows, column));
    };
    int index = 0;
    for (; sqlite3_step(rows) == SQLITE_ROW; ++index) {
        EngineChannelInfo expected = {};
        FullRecord(expected, index);
        ASSERT_EQ(FullSlot('n', 128, index), text(0)) << index;
        ASSERT_EQ(FullSlot('i', 64, index), text(1)) << index;
        ASSERT_EQ(FullSlot('d', 1024, index), text(2)) << index;
        ASSERT_EQ(FullSlot('u', 128, index), text(3)) << index;
        ASSERT_EQ(FullSlot('c', 128, index % 5), text(4)) << index;
        ASSERT_EQ(expected.type, sqlite3_column_int(rows, 5)) << index;
        ASSERT_EQ(expected.viewers, sqlite3_column_int(rows, 6)) << index;
        ASSERT_EQ(expected.bitrate, sqlite3_column_int(rows, 7)) << index;
    }
    sqlite3_finalize(rows);
    EXPECT_EQ(300, index);
}

}  // namespace

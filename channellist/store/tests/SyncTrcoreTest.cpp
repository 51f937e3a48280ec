// The engine substitute TRCore.dll, bound by import: its built-in catalogue, its
// catalogue file, its failure modes, and the synchronisation driven through it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/SyncTestSupport.h"

namespace {

const wchar_t* const kVariables[] = {L"TRCORE_CATALOGUE", L"TRCORE_FAIL_GETCLASSOBJECT", L"TRCORE_FAIL_OPEN",
                                     L"TRCORE_FAIL_CHANNELS", L"TRCORE_DELAY_MS", L"TRCORE_FILL_SLOTS"};

std::string Slot(const char* slot, std::size_t size) {
    const void* end = std::memchr(slot, '\0', size);
    return std::string(slot, end ? static_cast<const char*>(end) - slot : size);
}

class TRCoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearVariables(); }
    void TearDown() override { ClearVariables(); }

    static void ClearVariables() {
        for (const wchar_t* name : kVariables) SetEnvironmentVariableW(name, nullptr);
    }

    // Writes a catalogue file in the test's folder and points the engine at it.
    void UseCatalogue(const std::string& content) {
        const std::wstring path = folder_.path() + L"\\catalogue.txt";
        FILE* file = _wfopen(path.c_str(), L"wb");
        ASSERT_TRUE(file);
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
        SetEnvironmentVariableW(L"TRCORE_CATALOGUE", path.c_str());
    }

    // Opens the engine, collects every deliverable record, closes it.
    bool Fetch(std::vector<EngineChannelInfo>& records, int& count) {
        EngineClassObject engine = {};
        engine.interface_version = 1;
        if (!GetClassObject(&engine) || !engine.open(engine.context)) return false;
        count = engine.get_count(engine.context);
        for (int index = 0; index < count; ++index) {
            EngineChannelInfo info = {};
            if (engine.get_channel(engine.context, &info, index)) records.push_back(info);
        }
        engine.close(engine.context);
        return true;
    }

    ScopedDataFolder folder_;
};

TEST_F(TRCoreTest, BuiltinCatalogueLooksLikeALiveNetwork) {
    std::vector<EngineChannelInfo> records;
    int count = 0;
    ASSERT_TRUE(Fetch(records, count));
    ASSERT_EQ(count, static_cast<int>(records.size()));
    EXPECT_GE(count, 40);

    std::set<std::string> catalogs, identifiers, names;
    std::set<int> bitrates, viewers;
    int onDemand = 0, longDescriptions = 0, withoutCatalog = 0;
    for (const EngineChannelInfo& info : records) {
        const std::string catalog = Slot(info.catalog, sizeof(info.catalog));
        if (catalog.empty()) ++withoutCatalog; else catalogs.insert(catalog);
        names.insert(Slot(info.name, sizeof(info.name)));
        identifiers.insert(Slot(info.channel_id, sizeof(info.channel_id)));
        EXPECT_FALSE(Utf8ToWide(Slot(info.name, sizeof(info.name))).empty());
        if (Utf8ToWide(Slot(info.description, sizeof(info.description))).size() >= 100) ++longDescriptions;
        if (info.type == 1) ++onDemand;
        bitrates.insert(info.bitrate);
        viewers.insert(info.viewers);
    }
    EXPECT_GE(catalogs.size(), 6u);
    EXPECT_GE(withoutCatalog, 1);
    EXPECT_EQ(records.size(), names.size());
    EXPECT_EQ(records.size(), identifiers.size());
    EXPECT_GT(onDemand, 0);
    EXPECT_LT(onDemand, count);
    EXPECT_GE(longDescriptions, 2);
    EXPECT_GE(bitrates.size(), 5u);
    EXPECT_GE(viewers.size(), 30u);
}

TEST_F(TRCoreTest, RefusesUnknownInterfaceVersion) {
    EngineClassObject engine = {};
    engine.interface_version = 2;
    EXPECT_EQ(0, GetClassObject(&engine));
    EXPECT_EQ(0, GetClassObject(nullptr));
}

TEST_F(TRCoreTest, SyncStoresTheBuiltinCatalogue) {
    std::vector<EngineChannelInfo> records;
    int count = 0;
    ASSERT_TRUE(Fetch(records, count));
    std::set<std::string> catalogs;
    for (const EngineChannelInfo& info : records) catalogs.insert(Slot(info.catalog, sizeof(info.catalog)));

    ASSERT_TRUE(SyncChannelList());
    TestDatabase db;
    EXPECT_EQ(count, db.Int("SELECT count(*) FROM channel WHERE del=0"));
    // The empty catalog name is stored as "unknown".
    EXPECT_EQ(static_cast<int>(catalogs.size()), db.Int("SELECT count(*) FROM catalog"));
    EXPECT_EQ(1, db.Int("SELECT count(*) FROM catalog WHERE name='unknown'"));
    EXPECT_EQ(0, db.Int("SELECT count(*) FROM channel WHERE server<>'global' OR portno<>0 OR hits<>0"));
}

TEST_F(TRCoreTest, CatalogueFileSkipsBadLinesAndCutsLongFieldsAtCharacterBoundaries) {
    std::string longName;
    for (int i = 0; i < 50; ++i) longName += u8"频";  // 150 bytes
    UseCatalogue(std::string("\xEF\xBB\xBF") +
                 "# name\tid\tdescription\thome page\tcatalog\ttype\tviewers\tbit rate\r\n" +
                 u8"第一台\tid1\t描述一\thttp://a.test/\t新闻\t1\t100\t300\r\n" +
                 "\r\n" +
                 "too\tfew\tfields\n" +
                 "bad number\tid2\td\tu\tc\tone\t1\t1\n" +
                 "\tid3\tno name\tu\tc\t0\t1\t1\n" +
                 "invalid\xC3\x28utf8\tid4\td\tu\tc\t0\t1\t1\n" +
                 "too many\tid5\td\tu\tc\t0\t1\t1\textra\n" +
                 "overflow\tid6\td\tu\tc\t0\t99999999999\t1\n" +
                 longName + "\t" + std::string(100, 'x') + "\t\t\t\t0\t-5\t2048\n" +
                 "last\tid7\td\tu\t\t2\t7\t64");
    std::vector<EngineChannelInfo> records;
    int count = 0;
    ASSERT_TRUE(Fetch(records, count));
    ASSERT_EQ(3, count);

    EXPECT_EQ(u8"第一台", Slot(records[0].name, 128));
    EXPECT_EQ("id1", Slot(records[0].channel_id, 64));
    EXPECT_EQ(u8"描述一", Slot(records[0].description, 1024));
    EXPECT_EQ("http://a.test/", Slot(records[0].home_page, 128));
    EXPECT_EQ(u8"新闻", Slot(records[0].catalog, 128));
    EXPECT_EQ(1, records[0].type);
    EXPECT_EQ(100, records[0].viewers);
    EXPECT_EQ(300, records[0].bitrate);

    // 42 whole characters (126 bytes) fit before the terminator; 63 bytes of the identifier.
    EXPECT_EQ(longName.substr(0, 126), Slot(records[1].name, 128));
    EXPECT_EQ(std::string(63, 'x'), Slot(records[1].channel_id, 64));
    EXPECT_EQ(-5, records[1].viewers);
    EXPECT_EQ(2048, records[1].bitrate);

    EXPECT_EQ("last", Slot(records[2].name, 128));
    EXPECT_EQ(2, records[2].type);
}

TEST_F(TRCoreTest, FullSlotsReachTheDatabaseWithoutOverrun) {
    SetEnvironmentVariableW(L"TRCORE_FILL_SLOTS", L"1");
    UseCatalogue(std::string(200, 'n') + "\t" + std::string(64, 'i') + "\t" + std::string(1100, 'd') + "\t" +
                 std::string(128, 'u') + "\t" + std::string(128, 'c') + "\t0\t1\t1\n");
    ASSERT_TRUE(SyncChannelList());
    TestDatabase db;
    EXPECT_EQ(std::string(128, 'n'), db.Text("SELECT name FROM channel"));
    EXPECT_EQ(std::string(64, 'i'), db.Text("SELECT channelid FROM channel"));
    EXPECT_EQ(std::string(1024, 'd'), db.Text("SELECT desc FROM channel"));
    EXPECT_EQ(std::string(128, 'u'), db.Text("SELECT url FROM channel"));
    EXPECT_EQ(std::string(128, 'c'), db.Text("SELECT name FROM catalog"));
}

TEST_F(TRCoreTest, FailureSwitchesMakeTheSyncFailWithoutDatabase) {
    SetEnvironmentVariableW(L"TRCORE_FAIL_GETCLASSOBJECT", L"1");
    EXPECT_FALSE(SyncChannelList());
    SetEnvironmentVariableW(L"TRCORE_FAIL_GETCLASSOBJECT", L"0");  // "0" means off

    SetEnvironmentVariableW(L"TRCORE_FAIL_OPEN", L"1");
    EXPECT_FALSE(SyncChannelList());
    SetEnvironmentVariableW(L"TRCORE_FAIL_OPEN", nullptr);

    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", (folder_.path() + L"\\missing.txt").c_str());
    EXPECT_FALSE(SyncChannelList());

    // An empty catalogue is a working engine without channels.
    UseCatalogue("# nothing listed\n");
    EXPECT_TRUE(SyncChannelList());
    EXPECT_FALSE(DatabaseFileExists());
}

TEST_F(TRCoreTest, FailingChannelsAreSkipped) {
    UseCatalogue("a\tia\td\tu\tc\t0\t1\t1\nb\tib\td\tu\tc\t0\t1\t1\nc\tic\td\tu\tc\t0\t1\t1\n"
                 "d\tid\td\tu\tc\t0\t1\t1\n");
    SetEnvironmentVariableW(L"TRCORE_FAIL_CHANNELS", L"1, 3,99");
    ASSERT_TRUE(SyncChannelList());
    TestDatabase db;
    EXPECT_EQ("a,c", db.Text("SELECT group_concat(name) FROM (SELECT name FROM channel ORDER BY name)"));
}

TEST_F(TRCoreTest, DelayAppliesToEveryCall) {
    UseCatalogue("a\tia\td\tu\tc\t0\t1\t1\nb\tib\td\tu\tc\t0\t1\t1\n");
    SetEnvironmentVariableW(L"TRCORE_DELAY_MS", L"40");
    const DWORD start = GetTickCount();
    ASSERT_TRUE(SyncChannelList());
    // GetClassObject, open, get_count, two get_channel, close.
    EXPECT_GE(GetTickCount() - start, 6u * 40u - 20u);
}

TEST_F(TRCoreTest, LargeCatalogueFileIsServedWhole) {
    std::string content;
    char line[160];
    for (int i = 0; i < 100000; ++i) {
        const int length = std::snprintf(line, sizeof(line), u8"频道 %d\tid%08d\t描述 %d\thttp://c.test/%d\t目录 %d\t%d\t%d\t%d\n",
                                          i, i, i, i, i % 100, i % 2, i * 7 % 5000, 200 + i % 800);
        content.append(line, length);
    }
    UseCatalogue(content);
    EngineClassObject engine = {};
    engine.interface_version = 1;
    ASSERT_TRUE(GetClassObject(&engine));
    ASSERT_TRUE(engine.open(engine.context));
    EXPECT_EQ(100000, engine.get_count(engine.context));
    EngineChannelInfo info = {};
    ASSERT_TRUE(engine.get_channel(engine.context, &info, 99999));
    EXPECT_EQ("id00099999", Slot(info.channel_id, sizeof(info.channel_id)));
    EXPECT_EQ(0, engine.get_channel(engine.context, &info, 100000));
    engine.close(engine.context);
    // Closed: nothing is served any more.
    EXPECT_EQ(0, engine.get_count(engine.context));
}

}  // namespace

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>

#include "channellist/store/tests/StoreTestSupport.h"

namespace {

using sqlite3x::connection;

// Every store function once; true when each gave its empty result.
testing::AssertionResult AllStoreFunctionsEmpty() {
    CatalogRecord catalog;
    ChannelRecord channel;
    std::vector<ChannelRecord> found;
    std::string failed;
    if (CountCatalogs() != 0) failed += " CountCatalogs";
    if (GetCatalogAt(0, catalog)) failed += " GetCatalogAt";
    if (CountCatalogChannels(1) != 0) failed += " CountCatalogChannels";
    if (GetCatalogChannelAt(1, 0, channel)) failed += " GetCatalogChannelAt";
    if (CountNewChannels() != 0) failed += " CountNewChannels";
    if (GetNewChannelAt(0, channel)) failed += " GetNewChannelAt";
    if (SumVisitors() != 0) failed += " SumVisitors";
    if (CountChannels() != 0) failed += " CountChannels";
    if (SearchChannels(L"a", found) || !found.empty()) failed += " SearchChannels";
    if (TouchHistory(1)) failed += " TouchHistory";
    if (CountHistory() != 0) failed += " CountHistory";
    if (GetHistoryChannelAt(0, channel)) failed += " GetHistoryChannelAt";
    if (catalog.id != 0 || !catalog.name.empty() || channel.id != 0 || !channel.name.empty())
        failed += " (records changed)";
    if (failed.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "not empty:" << failed;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class StoreFailureTest : public StoreTest {};

TEST_F(StoreFailureTest, FileThatIsNoDatabaseStaysUntouched) {
    std::mt19937 random(20240601);
    for (size_t size : {size_t(16), size_t(100), size_t(4096), size_t(70000)}) {
        std::string garbage(size, '\0');
        for (char& byte : garbage)
            byte = static_cast<char>(random());
        WriteFile(GetDatabasePath(), garbage);
        EXPECT_TRUE(AllStoreFunctionsEmpty()) << size << " bytes";
        EXPECT_EQ(garbage, ReadFile(GetDatabasePath())) << size << " bytes";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((GetDatabasePath() + L"-journal").c_str()));
    }
}

TEST_F(StoreFailureTest, LockedDatabaseGivesEmptyResultsAtOnce) {
    const int id = AddChannel("a", 1, 3, "a");
    ASSERT_TRUE(TouchHistory(id));
    connection holder;
    holder.open(GetDatabasePath());
    holder.exec("begin exclusive;");
    holder.exec("insert into catalog (name) values('x');");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(AllStoreFunctionsEmpty());
    // No busy handler: twelve failed calls take nowhere near a busy timeout.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    holder.exec("rollback;");
    EXPECT_EQ(1, CountCatalogs());
    EXPECT_EQ(1, CountChannels());
    EXPECT_EQ(3, SumVisitors());
    EXPECT_EQ(1, CountHistory());
    ChannelRecord record;
    EXPECT_TRUE(GetHistoryChannelAt(0, record));
}

TEST_F(StoreFailureTest, PendingWriteFailsTouchButNotReads) {
    const int id = AddChannel("a");
    connection writer;
    writer.open(GetDatabasePath());
    writer.exec("begin immediate;");
    writer.exec("update channel set visitors=9;");

    // Readers see the last committed state while another connection writes.
    EXPECT_EQ(1, CountChannels());
    EXPECT_EQ(0, SumVisitors());
    EXPECT_FALSE(TouchHistory(id));

    writer.exec("commit;");
    EXPECT_EQ(9, SumVisitors());
    EXPECT_TRUE(TouchHistory(id));
    EXPECT_EQ(1, CountHistory());
}

TEST_F(StoreFailureTest, WithoutDataFolderUsesBareFileName) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    TempFolder current;
    ASSERT_TRUE(SetCurrentDirectoryW(current.path().c_str()));

    CAppPaths::InitAt(appData_.path() + L"missing\\");
    ASSERT_EQ(L"", CAppPaths::Data());
    EXPECT_EQ(L"cinfo.db", GetDatabasePath());
    EXPECT_EQ(1, CountCatalogs());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((current.path() + L"cinfo.db").c_str()));

    CAppPaths::Shutdown();
    EXPECT_EQ(L"cinfo.db", GetDatabasePath());

    SetCurrentDirectoryW(previous);
}

}  // namespace

// The control over a channel database it cannot use as usual: damaged, read-only, or held by
// another process while the control starts or while it synchronises. It must come up, keep
// showing what it could read, and never write a byte where it must not.

#include "channellist/control/tests/ControlTestSupport.h"
#include "channellist/store/tests/DatabaseFiles.h"
#include "channellist/store/tests/FaultHelperProcess.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>

namespace {

const std::vector<std::string> kStoredList = {
    "Alpha News\tch-alpha\tMorning bulletin\thttp://a.example\tNews\t0\t300\t450",
    "Beta Sport\tch-beta\tFootball live\thttp://b.example\tSport\t0\t200\t500",
    "Gamma Sport\tch-gamma\tBasketball replays\thttp://c.example\tSport\t1\t100\t500",
    "Delta Film\tch-delta\tOld films\thttp://d.example\tFilms\t1\t50\t300",
    "Loose Ends\tch-loose\tNo catalog\thttp://e.example\t\t0\t10\t200",
};
// What the engine lists when the faulty start comes: a merge that got through would show.
const std::vector<std::string> kNextList = {
    "Omega\tch-omega\tNew\thttp://o.example\tNews\t0\t5\t100",
    "Sigma\tch-sigma\tNew\thttp://s.example\tNews\t0\t5\t100",
    "Tau\tch-tau\tNew\thttp://t.example\tNews\t0\t5\t100",
};

class ControlFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFileAttributesW(CPrivateAppData::DatabasePath().c_str(), FILE_ATTRIBUTE_NORMAL);
        CPrivateAppData::DeleteDatabase();
    }
    void TearDown() override {
        SetFileAttributesW(CPrivateAppData::DatabasePath().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow());
    }

    // A database as a first run leaves it: the stored list merged.
    void FillDatabase() {
        CTestCatalogue stored(kStoredList);
        Start();
        ASSERT_TRUE(container_->WaitForSync());
        ASSERT_EQ(L"所有频道(5)", AllHeader());
        Stop();
    }

    void Activate() {
        container_.reset(new CStubContainer(220, 560));
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&control_)));
        ASSERT_EQ(S_OK, container_->Activate(control_.Get()));
    }
    void Start() {
        Activate();
        ASSERT_TRUE(container_->WaitForLoad()) << "the lists were read at start-up";
    }
    // Closing waits for the synchronisation, so what is on disk afterwards is final.
    void Stop() {
        if (!container_)
            return;
        if (cookie_)
            point_->Unadvise(cookie_);
        cookie_ = 0;
        point_.Reset();
        control_.Reset();
        container_->Deactivate();
        container_.reset();
    }

    std::wstring AllHeader() const { return WindowText(container_->Child(TrovaCLIds::kAllHeaderId)); }
    std::wstring HistoryHeader() const { return WindowText(container_->Child(TrovaCLIds::kHistoryHeaderId)); }

    // Opens the first channel of the latest-updates group by double click; the links fired.
    std::vector<std::wstring> OpenFirstChannel() {
        ComPtr<IConnectionPointContainer> points;
        EXPECT_EQ(S_OK, control_.As(&points));
        EXPECT_EQ(S_OK, points->FindConnectionPoint(TrovaCLIds::kEventsId, &point_));
        EXPECT_EQ(S_OK, point_->Advise(static_cast<IDispatch*>(&sink_), &cookie_));
        const HWND tree = container_->Child(TrovaCLIds::kAllTreeId);
        const LPARAM group = MAKELPARAM(40, 11), channel = MAKELPARAM(40, 33);
        SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, group);
        SendMessageW(tree, WM_LBUTTONUP, 0, group);
        SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, channel);
        SendMessageW(tree, WM_LBUTTONUP, 0, channel);
        SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, channel);
        SendMessageW(tree, WM_LBUTTONUP, 0, channel);
        return sink_.links;
    }

    std::unique_ptr<CStubContainer> container_;
    ComPtr<IUnknown> control_;
    CChannelOpenSink sink_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

TEST_F(ControlFaultTest, DamagedDatabaseAtStartUpIsShownEmptyAndLeftAlone) {
    FillDatabase();
    const std::string good = ReadBytes(CPrivateAppData::DatabasePath());
    std::mt19937 random(99);
    std::string noise(good.size(), '\0');
    for (char& b : noise)
        b = static_cast<char>(random());
    const std::pair<const char*, std::string> damages[] = {
        {"random bytes", noise},
        {"cut after the first page", good.substr(0, 4096)},
        {"schema page kept, the rest garbage", good.substr(0, 4096) + noise.substr(4096)},
    };
    CTestCatalogue next(kNextList);
    for (const auto& damage : damages) {
        WriteBytes(CPrivateAppData::DatabasePath(), damage.second);
        Start();
        EXPECT_EQ(L"所有频道(0)", AllHeader()) << damage.first;
        EXPECT_EQ(L"最近观看(0)", HistoryHeader()) << damage.first;
        EXPECT_FALSE(container_->WaitForSync(1500)) << damage.first << ": a merge into a damaged file";
        ULONG status = 0;
        CScopedBstr name;
        EXPECT_EQ(S_OK, CallGetChannelName(control_.Get(), L"global", 0, L"ch-alpha", status, name));
        EXPECT_EQ(0x80004005u, status) << damage.first;
        Stop();
        EXPECT_TRUE(damage.second == ReadBytes(CPrivateAppData::DatabasePath()))
            << damage.first << ": the damaged file was written";
        EXPECT_FALSE(JournalExists(CPrivateAppData::DatabasePath())) << damage.first;
    }
}

TEST_F(ControlFaultTest, ReadOnlyDatabaseStillListsAndOpensChannels) {
    FillDatabase();
    const std::string before = ReadBytes(CPrivateAppData::DatabasePath());
    ASSERT_TRUE(SetFileAttributesW(CPrivateAppData::DatabasePath().c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine running as root lets writers into a file whose read-only attribute is set; a handle
    // that does not share writing refuses them everywhere, as a backup program's would.
    HANDLE readingOnly = CreateFileW(CPrivateAppData::DatabasePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, readingOnly);
    CTestCatalogue next(kNextList);
    Start();
    EXPECT_EQ(L"所有频道(5)", AllHeader());
    EXPECT_FALSE(container_->WaitForSync(2000)) << "a merge into a read-only file";
    EXPECT_EQ(L"所有频道(5)", AllHeader());

    // The history cannot be written, but the channel still opens, and the history shows it for
    // as long as the control runs, trying the file again and again.
    const std::vector<std::wstring> links = OpenFirstChannel();
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(0u, links[0].find(L"trova://global/ch-"));
    EXPECT_EQ(L"最近观看(1)", HistoryHeader());
    PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(L"最近观看(1)", HistoryHeader());
    Stop();
    CloseHandle(readingOnly);
    EXPECT_TRUE(before == ReadBytes(CPrivateAppData::DatabasePath())) << "a read-only file was written";
    EXPECT_FALSE(JournalExists(CPrivateAppData::DatabasePath()));
}

// Another program holds the file exclusively while the control starts: the lists come up
// empty at once (no waiting on the window thread), and the synchronisation, which waits for
// the file, fills them when it is let go.
TEST_F(ControlFaultTest, FileHeldByAnotherProcessAtStartUpIsFilledOnceLetGo) {
    FillDatabase();
    CTestCatalogue next(kNextList);
    CDatabaseHolder holder(CPrivateAppData::DatabasePath(), CDatabaseHolder::kExclusive);
    ASSERT_TRUE(holder.Held());
    const DWORD start = GetTickCount();
    Activate();
    EXPECT_LT(GetTickCount() - start, 3000u) << "the window thread waited for the file";
    ASSERT_TRUE(container_->WaitForLoad());
    EXPECT_EQ(L"所有频道(0)", AllHeader());
    EXPECT_FALSE(container_->WaitForSync(1000));
    holder.Release();
    EXPECT_TRUE(container_->WaitForSync(10000)) << "the synchronisation gave up";
    EXPECT_EQ(L"所有频道(3)", AllHeader());
    Stop();
}

// A write holds the file for a moment just as the synchronisation thread reads the lists: the
// thread waits for it rather than leaving the lists as they were for the whole session.
TEST_F(ControlFaultTest, ListsReadWhileAWriteHoldsTheFileForAMomentAreRead) {
    FillDatabase();
    CEngineEnvironment broken(L"TRCORE_FAIL_OPEN", L"1");  // no merge, so no second read
    sqlite3* writer = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(CPrivateAppData::DatabasePath().c_str(), &writer));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
    Activate();
    EXPECT_FALSE(container_->WaitForLoad(1000)) << "the lists were given up while the file was held";
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_TRUE(container_->WaitForLoad());
    EXPECT_EQ(L"所有频道(5)", AllHeader());
    Stop();
}

// Another program reads the file for longer than the synchronisation waits to commit: the
// merge is rolled back, the lists keep what they showed, the file is as it was.
TEST_F(ControlFaultTest, ReaderInAnotherProcessOutlastingTheMergeLeavesEverythingAsItWas) {
    FillDatabase();
    const std::string before = ReadBytes(CPrivateAppData::DatabasePath());
    CTestCatalogue next(kNextList);
    // The merge reaches the file only after the window thread has read it.
    CEngineEnvironment slow(L"TRCORE_DELAY_MS", L"150");
    CDatabaseHolder holder(CPrivateAppData::DatabasePath(), CDatabaseHolder::kShared);
    ASSERT_TRUE(holder.Held());
    Start();
    EXPECT_EQ(L"所有频道(5)", AllHeader());
    EXPECT_FALSE(container_->WaitForSync(8000)) << "the merge committed under another reader";
    EXPECT_EQ(L"所有频道(5)", AllHeader());
    Stop();
    holder.Release();
    EXPECT_TRUE(before == ReadBytes(CPrivateAppData::DatabasePath()));
    EXPECT_FALSE(JournalExists(CPrivateAppData::DatabasePath()));
}

}  // namespace

// The search list answers keywords from the catalogue snapshot, from the rows it shows, or (with
// no snapshot, or for keywords only LIKE can read) through the statement; whichever way, the
// rows must be exactly the rows and the order of the search statement, whatever the texts hold.

#include "channellist/store/ChannelDatabase.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/LikeMatch.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>
#include <string>
#include <vector>

using namespace UI;

namespace {

// Pieces of the generated texts, each with the keyword that types it: ASCII letters of both
// cases and the characters beside them in ASCII (which a wrong case fold would take for
// letters), accented, Chinese and astral letters, and LIKE's wildcards as plain text.
struct Piece {
    const char* text;
    const wchar_t* key;
};
const Piece kPieces[] = {
    {"a", L"a"},  {"A", L"A"},  {"b", L"b"},    {"B", L"B"},      {"z", L"z"},
    {"Z", L"Z"},  {"1", L"1"},  {" ", L" "},    {"%", L"%"},      {"_", L"_"},
    {"@", L"@"},  {"`", L"`"},  {"[", L"["},    {"{", L"{"},      {"\\", L"\\"},
    {u8"é", L"é"}, {u8"É", L"É"}, {u8"频", L"频"}, {u8"道", L"道"}, {u8"ß", L"ß"},
    {u8"\U0001F600", L"\U0001F600"},
    {u8"\U0001D11E", L"\U0001D11E"},  // 𝄞
    {u8"\U00020000", L"\U00020000"},  // a CJK extension B character
    {"\xEF\xBF\xBD", L"\xFFFD"},  // the replacement character itself
    {"\xEF\xBF\xBE", L"\xFFFE"},  // read as U+FFFD on both sides
};
const int kPieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

std::wstring FlipCase(std::wstring key) {
    for (wchar_t& c : key) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - 32);
        else if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    }
    return key;
}

std::vector<int> Ids(const std::vector<CChannelNode>& nodes) {
    std::vector<int> ids;
    for (const CChannelNode& node : nodes)
        ids.push_back(node.Info().id);
    return ids;
}

std::vector<int> StatementIds(const std::wstring& keyword) {
    std::vector<ChannelRecord> records;
    EXPECT_TRUE(SearchChannels(keyword, records));
    std::vector<int> ids;
    for (const ChannelRecord& record : records)
        ids.push_back(record.id);
    return ids;
}

void PumpUntilDone(CSearchTreeCtrl& search) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (search.Searching() && ::GetTickCount() - start < 10000) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (search.Searching())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

ChannelCatalogue ReadCatalogue() {
    AllChannelsContent all;
    EXPECT_TRUE(CAllChannelTreeCtrl::Read(all));
    return all.catalogue;
}

class CSearchDifferential {
public:
    explicit CSearchDifferential(CTreeTestDatabase& data) : data_(data), random_(20261209) {}

    int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    std::string Text(int pieces, std::vector<int>* used) {
        std::string text;
        for (; pieces > 0; --pieces) {
            const int piece = Pick(kPieceCount);
            if (used)
                used->push_back(piece);
            text += kPieces[piece].text;
        }
        return text;
    }

    // Channels with few distinct ages, so many equal creation times and equal names among them.
    void AddChannels(int count) {
        const int unknown = data_.UnknownCatalog();
        data_.Exec("BEGIN;");
        for (int i = 0; i < count; ++i) {
            descriptions_.emplace_back();
            const std::string name = Text(1 + Pick(4), nullptr);
            const std::string desc = Text(Pick(12), &descriptions_.back());
            data_.AddChannel(unknown, name, "c" + std::to_string(added_++), 1, Pick(3), desc);
        }
        data_.Exec("COMMIT;");
    }

    // Chains of keywords, each grown from a run of one description's pieces typed in either
    // case, one UTF-16 unit per keystroke; now and then a piece typed in front or one that
    // occurs nowhere in particular. After every keystroke the rows must be the statement's.
    void TypeChains(CSearchTreeCtrl& search, int chains, const char* phase) {
        for (int chain = 0; chain < chains; ++chain) {
            const std::vector<int>& source = descriptions_[static_cast<size_t>(Pick(static_cast<int>(descriptions_.size())))];
            size_t next = source.empty() ? 0 : static_cast<size_t>(Pick(static_cast<int>(source.size())));
            std::wstring keyword;
            for (int step = 0; step < 5; ++step) {
                std::wstring piece;
                if (next < source.size() && Pick(6) != 0) {
                    piece = kPieces[source[next++]].key;
                    if (Pick(2))
                        piece = FlipCase(piece);
                } else {
                    piece = kPieces[Pick(kPieceCount)].key;
                }
                const bool front = step > 0 && Pick(5) == 0;
                const std::wstring before = keyword;
                for (size_t unit = 0; unit < piece.size(); ++unit) {
                    const std::wstring typed = piece.substr(0, unit + 1);
                    keyword = front ? typed + before : before + typed;
                    search.Search(keyword);
                    PumpUntilDone(search);
                    ASSERT_FALSE(search.Searching()) << phase;
                    const std::vector<int> expected = StatementIds(keyword);
                    ASSERT_EQ(expected, Ids(search.Channels())) << phase << " chain " << chain << " step " << step;
                    EXPECT_EQ(static_cast<int>(expected.size()), search.ChannelCount());
                    ++keystrokes_;
                    withMatches_ += expected.empty() ? 0 : 1;
                }
            }
        }
    }

    int keystrokes_ = 0;
    int withMatches_ = 0;

private:
    CTreeTestDatabase& data_;
    std::mt19937 random_;
    std::vector<std::vector<int>> descriptions_;
    int added_ = 0;
};

}  // namespace

TEST(SearchDifferential, EveryKeystrokeShowsTheStatementsRows) {
    CTreeTestDatabase data;
    CSearchDifferential differential(data);
    differential.AddChannels(400);
    data.Exec("UPDATE channel SET del=1 WHERE id%9=0;");

    CTestHost host;
    CTestWindow<CSearchTreeCtrl> search;
    ASSERT_TRUE(search.Create(host, RECT{0, 0, 200, 200}, nullptr, WS_CHILD, 0, 1008));

    // Before any catalogue: the statement, and the rows it gave narrowed in memory.
    differential.TypeChains(search, 30, "statement");
    // From the catalogue, at once and on the worker.
    search.SetCatalogue(ReadCatalogue());
    differential.TypeChains(search, 30, "catalogue");
    search.SetInlineScanLimitForTesting(0);
    differential.TypeChains(search, 30, "worker");

    // What a synchronisation does: channels hidden, new ones, others renamed and described anew.
    // The keyword shown is searched again in the new catalogue.
    data.Exec("UPDATE channel SET del=1 WHERE id%7=3;");
    data.Exec("UPDATE channel SET del=0 WHERE id%9=0 AND id%2=0;");
    data.Exec("UPDATE channel SET name=desc, desc=name WHERE id%5=1;");
    differential.AddChannels(100);
    search.SetCatalogue(ReadCatalogue());
    PumpUntilDone(search);
    differential.TypeChains(search, 30, "after the synchronisation, worker");
    search.SetInlineScanLimitForTesting(CSearchTreeCtrl::kInlineScanLimit);
    differential.TypeChains(search, 30, "after the synchronisation");

    EXPECT_GE(differential.withMatches_, differential.keystrokes_ / 4)
        << "too few keywords matched anything to compare";
}

TEST(SearchDifferential, OnlyTheNewestKeywordsRowsAreShown) {
    CTreeTestDatabase data;
    const int unknown = data.UnknownCatalog();
    data.Exec("BEGIN;");
    for (int i = 0; i < 3000; ++i)
        data.AddChannel(unknown, "频道" + std::to_string(i), "c" + std::to_string(i), 1, i % 5);
    data.Exec("COMMIT;");
    CTestHost host;
    CTestWindow<CSearchTreeCtrl> search;
    ASSERT_TRUE(search.Create(host, RECT{0, 0, 200, 200}, nullptr, WS_CHILD, 0, 1008));
    search.SetCatalogue(ReadCatalogue());
    search.SetInlineScanLimitForTesting(0);

    // Keys typed faster than the scans end, and a result posted for an older key: only the
    // newest keyword's rows arrive.
    for (const wchar_t* keyword : {L"频", L"频道", L"频道1", L"频道12", L"频道1"}) {
        search.Search(keyword);
        EXPECT_TRUE(search.Searching()) << keyword;
    }
    PumpUntilDone(search);
    ASSERT_FALSE(search.Searching());
    EXPECT_EQ(StatementIds(L"频道1"), Ids(search.Channels()));
    EXPECT_EQ(1111, search.ChannelCount());

    // Clearing the keyword while a scan runs: no rows, and none arrive later.
    search.Search(L"频道");
    search.Clear();
    EXPECT_FALSE(search.Searching());
    Sleep(200);
    PumpUntilDone(search);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(0, search.ChannelCount());
    EXPECT_TRUE(search.Channels().empty());
}

// Texts of the database reach the matcher well-formed (the file holds UTF-16); bytes that are
// not well-formed UTF-8 are read as SQLite's own UTF-8 reader reads them.
TEST(LikeMatch, ReadsCharactersAsSqliteDoes) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &db));  // a UTF-8 database
    sqlite3_stmt* chars = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db,
                                            "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM k "
                                            "WHERE i<length(CAST(?1 AS TEXT))) "
                                            "SELECT unicode(substr(CAST(?1 AS TEXT),i,1)) FROM k",
                                            -1, &chars, nullptr));
    const std::string texts[] = {
        "\xF0\x89\xA2\x91",      // an overlong 频
        "a\xC0\x80z",            // an overlong NUL
        "\x80\x80x",             // stray continuation bytes
        "\xE9\xA2",              // 频 cut short
        "\xE9\xA2\xE9\xA2\x91",  // cut short before a whole one
        "\xED\xA0\xB4\xED\xB4\x9E",  // 𝄞 as two encoded surrogates
        "\xEF\xBF\xBE\xEF\xBF\xBF",  // U+FFFE, U+FFFF
        "\xF8\x88\x80\x80\x80",  // a five-byte form
        "\xFE\xFF@`[{\\",        // bytes that are never UTF-8, and ASCII beside the letters
        u8"频道\U0001D11E\U00020000é",
    };
    for (const std::string& text : texts) {
        sqlite3_reset(chars);
        sqlite3_bind_blob(chars, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        std::vector<std::uint32_t> expected;
        while (sqlite3_step(chars) == SQLITE_ROW)
            expected.push_back(static_cast<std::uint32_t>(sqlite3_column_int(chars, 0)));
        std::vector<std::uint32_t> read;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str()); *p;)
            read.push_back(ReadLikeChar(p));
        EXPECT_EQ(expected, read) << text;
    }
    sqlite3_finalize(chars);
    sqlite3_close(db);
}

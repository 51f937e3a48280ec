// A keyword that extends the one before narrows the shown results in memory; they must stay
// exactly the rows and the order of the search statement, whatever the texts hold.

#include "channellist/store/ChannelDatabase.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace UI;

namespace {

// Pieces of the generated texts, each with the keyword that types it (none for bytes that are
// not well-formed UTF-8, which SQLite reads in its own way): ASCII letters of both cases next to
// accented, Chinese and astral letters, and LIKE's wildcard characters as plain text.
struct Piece {
    const char* text;
    const wchar_t* key;
};
const Piece kPieces[] = {
    {"a", L"a"},  {"A", L"A"},  {"b", L"b"},    {"B", L"B"},      {"z", L"z"},
    {"Z", L"Z"},  {"1", L"1"},  {" ", L" "},    {"%", nullptr},   {"_", nullptr},
    {u8"é", L"é"}, {u8"É", L"É"}, {u8"频", L"频"}, {u8"道", L"道"}, {u8"ß", L"ß"},
    {u8"\U0001F600", L"\U0001F600"},
    {"\xEF\xBF\xBD", L"\xFFFD"},  // the replacement character itself
    {"\xEF\xBF\xBE", L"\xFFFE"},  // read as U+FFFD on both sides
    {"\xF0\x89\xA2\x91", nullptr},  // an overlong 频
    {"\xC0\x80", nullptr},          // an overlong NUL
    {"\x80", nullptr},              // a stray continuation byte
    {"\xE9\xA2", nullptr},          // 频 cut short
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
        ids.push_back(node.info.id);
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

}  // namespace

TEST(SearchNarrowing, NarrowedResultsAreTheStatementsOnGeneratedTexts) {
    CTreeTestDatabase data;
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Descriptions as piece sequences, to type keywords that occur in them.
    std::vector<std::vector<int>> descriptions;
    const int unknown = data.UnknownCatalog();
    data.Exec("BEGIN;");
    for (int i = 0; i < 400; ++i) {
        std::string name, desc;
        for (int n = 1 + pick(4); n > 0; --n)
            name += kPieces[pick(kPieceCount)].text;
        descriptions.emplace_back();
        for (int n = pick(12); n > 0; --n) {
            descriptions.back().push_back(pick(kPieceCount));
            desc += kPieces[descriptions.back().back()].text;
        }
        // Few distinct ages: many equal creation times, and equal names among them.
        data.AddChannel(unknown, name, "c" + std::to_string(i), 1, pick(3), desc);
    }
    data.Exec("UPDATE channel SET del=1 WHERE id%9=0;");
    data.Exec("COMMIT;");

    CTestHost host;
    CSearchTreeCtrl search;
    ASSERT_TRUE(search.Create(host, RECT{0, 0, 200, 200}, nullptr, WS_CHILD, 0, 1008));
    int narrowed = 0, narrowedWithMatches = 0;
    for (int chain = 0; chain < 80; ++chain) {
        // A run of one description's pieces, typed in either case, grown one piece at a time;
        // now and then a piece typed in front or one that occurs nowhere in particular.
        const std::vector<int>& source = descriptions[static_cast<size_t>(pick(400))];
        size_t next = source.empty() ? 0 : static_cast<size_t>(pick(static_cast<int>(source.size())));
        auto nextKey = [&]() -> std::wstring {
            while (next < source.size() && pick(6) != 0) {
                const Piece& piece = kPieces[source[next++]];
                if (piece.key)
                    return pick(2) ? FlipCase(piece.key) : std::wstring(piece.key);
            }
            const Piece& piece = kPieces[pick(kPieceCount)];
            return piece.key ? piece.key : L"a";
        };
        std::wstring keyword = nextKey();
        search.ForgetResults();  // the chain before must not narrow this one
        search.Search(keyword);
        EXPECT_FALSE(search.Narrowed());
        ASSERT_EQ(StatementIds(keyword), Ids(search.Channels())) << chain;
        for (int step = 0; step < 4; ++step) {
            keyword = pick(5) == 0 ? nextKey() + keyword : keyword + nextKey();
            search.Search(keyword);
            EXPECT_TRUE(search.Narrowed()) << chain << " " << step;
            const std::vector<int> expected = StatementIds(keyword);
            ASSERT_EQ(expected, Ids(search.Channels())) << chain << " " << step;
            EXPECT_EQ(static_cast<int>(expected.size()), search.ChannelCount());
            ++narrowed;
            narrowedWithMatches += expected.empty() ? 0 : 1;
        }
    }
    EXPECT_GE(narrowedWithMatches, narrowed / 4) << "too few narrowed keywords matched anything to compare";

    // Wildcards, a shorter keyword and a forgotten result ask the database again.
    search.Search(L"a");
    for (const wchar_t* keyword : {L"a_", L"a%b", L"a"}) {
        search.Search(keyword);
        EXPECT_FALSE(search.Narrowed()) << keyword;
        EXPECT_EQ(StatementIds(keyword), Ids(search.Channels())) << keyword;
    }
    search.ForgetResults();
    search.Search(L"ab");
    EXPECT_FALSE(search.Narrowed());
    search.Search(L"abZ");
    EXPECT_TRUE(search.Narrowed());
}

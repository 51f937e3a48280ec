#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ListReads.h"
#include "channellist/ui/ChannelTreeCtrl.h"
#include "channellist/ui/ChannelTreeResources.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/win/Bitmap.h"
#include "framework/win/Module.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace UI;

namespace {

const int kRow = CChannelTreeCtrl::ROW_HEIGHT;
const int kWidth = 200;
const COLORREF kDarkGrey = RGB(64, 64, 64);

int RowY(int offset) { return offset * kRow + kRow / 2; }

// Records what the tree reports, and what the history held at that moment.
class CRecordingListener : public IChannelTreeCtrlEventListener {
public:
    std::vector<std::wstring> links;
    std::vector<int> historyTopAtCall;
    int favoriteChanges = 0;
    void OnFavoritesChanged() override { ++favoriteChanges; }
    void OnOpenChannel(std::wstring link) override {
        links.push_back(link);
        ChannelRecord top;
        historyTopAtCall.push_back(GetHistoryChannelAt(0, top) ? top.id : 0);
    }
};

class CRightClickTree : public CAllChannelTreeCtrl {
public:
    std::vector<int> rightClicks;
    void OnRowRightClick(int row) override { rightClicks.push_back(row); }
};

void Click(HWND window, int y, int x = 50) {
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(x, y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MakePointLParam(x, y));
}

// The message sequence of a real double click.
void DoubleClick(HWND window, int y, int x = 50) {
    Click(window, y, x);
    ::SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(x, y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MakePointLParam(x, y));
}

void Scroll(HWND window, int code, int position = 0) {
    ::SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

class ChannelTreeTest : public ::testing::Test {
protected:
    // unknown (其它): u1, u2; 体育: s1, s2, s3 (new); 电影: no channels. 100 visitors in all.
    void AddStandardCatalogs() {
        const int unknown = data.UnknownCatalog();
        sports = data.AddCatalog("体育", "datetime('now','-50 days')");
        movies = data.AddCatalog("电影", "datetime('now','-10 days')");
        u1 = data.AddChannel(unknown, "u1", "cu1", 10, 30);
        u2 = data.AddChannel(unknown, "u2", "cu2", 20, 29);
        s1 = data.AddChannel(sports, "s1", "cs1", 30, 20);
        s2 = data.AddChannel(sports, "s2", "cs2", 0, 19);
        s3 = data.AddChannel(sports, "s3", "cs3", 40, 1);
    }
    // count catalogs of three old channels each, named c00, c01, ...
    void AddManyCatalogs(int count) {
        for (int i = 0; i < count; ++i) {
            char name[8];
            std::snprintf(name, sizeof(name), "c%02d", i);
            const int id = data.AddCatalog(name, "datetime('now','-" + std::to_string(60 - i) + " days')");
            for (int j = 0; j < 3; ++j)
                data.AddChannel(id, std::string(name) + "_" + std::to_string(j),
                                std::string(name) + "_" + std::to_string(j), 1, 10);
        }
        data.Exec("DELETE FROM catalog WHERE name='unknown';");
    }
    template <class Tree>
    void CreateTree(Tree& tree, int visibleRows = 8) {
        tree.SetPendingChanges(&pending);
        ASSERT_TRUE(tree.Create(host, RECT{0, 0, kWidth, visibleRows * kRow}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1004));
    }
    // The standard catalogs, read by a list made for them.
    template <class Tree>
    void ShowStandardCatalogs(Tree& tree, IChannelTreeCtrlEventListener* listener = nullptr, int visibleRows = 8) {
        AddStandardCatalogs();
        tree.SetListener(listener);
        CreateTree(tree, visibleRows);
        tree.Reload();
    }

    CTreeTestDatabase data;
    CPendingChanges pending;
    CTestHost host;
    int sports = 0, movies = 0, u1 = 0, u2 = 0, s1 = 0, s2 = 0, s3 = 0;
};

std::wstring LabelOf(CChannelTreeNode* node) {
    return node && node->IsCatalog() ? static_cast<CCatalogNode*>(node)->GetLabel() : std::wstring();
}
const CChannelNode* AsChannel(CChannelTreeNode* node) {
    return node && !node->IsCatalog() ? static_cast<const CChannelNode*>(node) : nullptr;
}

}  // namespace

// ---- all channels: reload and row model

TEST_F(ChannelTreeTest, ReloadBuildsLatestGroupAndCatalogsInOrder) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);

    const auto& catalogs = tree.Catalogs();
    ASSERT_EQ(4u, catalogs.size());
    CCatalogNode latest = catalogs[0];
    EXPECT_EQ(L"最新更新(1)", latest.GetCaption());
    ASSERT_EQ(1u, latest.channels.size());
    EXPECT_EQ(L"s3", latest.channels[0].GetName());
    EXPECT_EQ(40, latest.channels[0].visitors);  // the record's visitors, as in its catalog
    CCatalogNode other = catalogs[1];
    EXPECT_EQ(L"其它(2)", other.GetCaption());
    EXPECT_EQ(L"u1", other.channels[0].GetName());
    EXPECT_EQ(10, other.channels[0].visitors);
    CCatalogNode sport = catalogs[2];
    EXPECT_EQ(L"体育(3)", sport.GetCaption());
    CCatalogNode movie = catalogs[3];
    EXPECT_EQ(L"电影(0)", movie.GetCaption());  // shown although empty
    EXPECT_EQ(100u, tree.TotalVisitors());
    EXPECT_EQ(5, tree.ChannelCount());

    // Collapsed: one row per catalog, the empty one included, and nothing past the end.
    EXPECT_EQ(4, tree.GetRowCount());
    int topIndex = 0;
    EXPECT_EQ(L"电影", LabelOf(tree.GetNodeAt(3, &topIndex)));
    EXPECT_EQ(3, topIndex);
    EXPECT_EQ(nullptr, tree.GetNodeAt(4, nullptr));
    EXPECT_EQ(nullptr, tree.GetNodeAt(-1, nullptr));
    EXPECT_FALSE(tree.IsChildRow(3));
}

TEST_F(ChannelTreeTest, LatestGroupHoldsAtMostTwentyAndIsLeftOutWithoutNewChannels) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);
    const int unknown = data.UnknownCatalog();
    data.AddChannel(unknown, "old", "old", 1, 5);
    tree.Reload();
    ASSERT_EQ(1u, tree.Catalogs().size());
    EXPECT_EQ("unknown", tree.Catalogs()[0].catalog.name);

    for (int i = 0; i < 25; ++i)
        data.AddChannel(unknown, "n" + std::to_string(i), "n" + std::to_string(i), 1, 0.01 * (i + 1));
    tree.Reload();
    ASSERT_EQ(2u, tree.Catalogs().size());
    EXPECT_EQ(20, tree.Catalogs()[0].channelCount);
    EXPECT_EQ(20u, tree.Catalogs()[0].channels.size());
    EXPECT_EQ(L"n0", tree.Catalogs()[0].channels[0].GetName());  // newest first
    EXPECT_EQ(26, tree.Catalogs()[1].channelCount);
}

TEST_F(ChannelTreeTest, ExpandedCatalogRowsAgreeAcrossTheFourOperations) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    Click(tree, RowY(2));  // 体育
    ASSERT_TRUE(tree.Catalogs()[2].expanded);
    EXPECT_EQ(7, tree.GetRowCount());
    const wchar_t* expected[] = {L"最新更新", L"其它", L"体育", L"s1", L"s2", L"s3", L"电影"};
    for (int row = 0; row < 7; ++row) {
        CChannelTreeNode* node = tree.GetNodeAt(row, nullptr);
        ASSERT_NE(nullptr, node) << row;
        const std::wstring text = node->IsCatalog() ? LabelOf(node) : AsChannel(node)->GetName();
        EXPECT_EQ(expected[row], text) << row;
        EXPECT_EQ(row >= 3 && row <= 5, tree.IsChildRow(row)) << row;
    }
    int topIndex = 42;
    EXPECT_EQ(L"s2", AsChannel(tree.GetNodeAt(4, &topIndex))->GetName());
    EXPECT_EQ(42, topIndex);  // untouched for a channel inside a catalog
    EXPECT_EQ(nullptr, tree.GetNodeAt(7, nullptr));
}

TEST_F(ChannelTreeTest, ReloadWithoutCatalogsKeepsTheRows) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    // Another connection holding an exclusive lock makes every query fail.
    data.Exec("BEGIN EXCLUSIVE;");
    tree.Reload();
    data.Exec("COMMIT;");
    EXPECT_EQ(4u, tree.Catalogs().size());
    EXPECT_EQ(100u, tree.TotalVisitors());
}

TEST_F(ChannelTreeTest, HistoryReloadKeepsItsRowsWhileAnotherConnectionHoldsTheFile) {
    AddStandardCatalogs();
    TouchHistory(u1);
    TouchHistory(s2);
    CTestWindow<CHistoryTreeCtrl> history;
    CreateTree(history);
    history.Reload();
    ASSERT_EQ(2u, history.Channels().size());
    data.Exec("BEGIN EXCLUSIVE;");
    history.Reload();  // nothing can be read: no half-filled or emptied list
    data.Exec("COMMIT;");
    EXPECT_EQ(2u, history.Channels().size());
    EXPECT_EQ(2, history.ChannelCount());
}

TEST_F(ChannelTreeTest, FindChannelNameMatchesLinksExactly) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    std::wstring name;
    EXPECT_TRUE(tree.FindChannelName(L"trova://global/cs3", name));
    EXPECT_EQ(L"s3", name);
    EXPECT_TRUE(tree.FindChannelName(L"trova://global/cu2", name));
    EXPECT_EQ(L"u2", name);
    name = L"kept";
    EXPECT_FALSE(tree.FindChannelName(L"trova://global/CU2", name));
    EXPECT_FALSE(tree.FindChannelName(L"trova://global/cu2/", name));
    EXPECT_EQ(L"kept", name);
}

// ---- clicks

TEST_F(ChannelTreeTest, ClickExpandsOneCatalogAtATimeAndSecondClickCollapses) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);

    Click(tree, RowY(1));  // 其它
    const CCatalogNode* other = &tree.Catalogs()[1];
    EXPECT_TRUE(other->expanded);
    EXPECT_TRUE(other->selected);
    EXPECT_EQ(other, tree.SelectedNode());
    EXPECT_EQ(other, tree.ExpandedCatalog());
    EXPECT_EQ(6, tree.GetRowCount());

    Click(tree, RowY(4));  // 体育, below the two channels of 其它
    const CCatalogNode* sport = &tree.Catalogs()[2];
    EXPECT_FALSE(other->expanded);
    EXPECT_FALSE(other->selected);
    EXPECT_TRUE(sport->expanded);
    EXPECT_EQ(7, tree.GetRowCount());

    Click(tree, RowY(2));
    EXPECT_FALSE(sport->expanded);
    EXPECT_TRUE(sport->selected);
    EXPECT_EQ(4, tree.GetRowCount());
}

TEST_F(ChannelTreeTest, ClickOnAChannelSelectsItAndKeepsTheCatalogOpen) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    Click(tree, RowY(2));
    Click(tree, RowY(4));  // s2
    const CCatalogNode& sport = tree.Catalogs()[2];
    EXPECT_TRUE(sport.expanded);
    EXPECT_FALSE(sport.selected);
    EXPECT_TRUE(sport.channels[1].selected);
    EXPECT_EQ(&sport.channels[1], tree.SelectedNode());
    EXPECT_EQ(&sport, tree.ExpandedCatalog());
}

TEST_F(ChannelTreeTest, ClickBelowTheLastRowDoesNothingAndRightClickPassesTheRow) {
    CTestWindow<CRightClickTree> tree;
    ShowStandardCatalogs(tree);
    Click(tree, RowY(1));
    Click(tree, RowY(7));
    EXPECT_EQ(&tree.Catalogs()[1], tree.SelectedNode());
    EXPECT_TRUE(tree.Catalogs()[1].expanded);

    ::SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MakePointLParam(10, RowY(7)));
    ::SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MakePointLParam(10, RowY(0)));
    EXPECT_EQ((std::vector<int>{7, 0}), tree.rightClicks);
}

TEST_F(ChannelTreeTest, ClickLowInTheListBringsTheCatalogToTheThirdRow) {
    AddManyCatalogs(15);
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);
    tree.Reload();
    ASSERT_EQ(15, tree.GetRowCount());

    Click(tree, RowY(6));  // c06 at offset 6
    EXPECT_TRUE(tree.Catalogs()[6].expanded);
    EXPECT_EQ(4, tree.GetScrollPosition());
    EXPECT_EQ(&tree.Catalogs()[6], tree.GetNodeAt(tree.GetScrollPosition() + 2, nullptr));

    // Offset 4 or less does not scroll.
    Click(tree, RowY(1));  // row 5 = c05
    EXPECT_TRUE(tree.Catalogs()[5].expanded);
    EXPECT_FALSE(tree.Catalogs()[6].expanded);
    EXPECT_EQ(4, tree.GetScrollPosition());
    Click(tree, RowY(1));  // collapse it again: 15 rows, last position 8
    EXPECT_FALSE(tree.Catalogs()[5].expanded);

    // Near the end the channels of the clicked catalog extend the range first, so the
    // catalog can still reach the third row.
    Scroll(tree, SB_BOTTOM);
    ASSERT_EQ(8, tree.GetScrollPosition());
    Click(tree, RowY(5));  // row 13 = c13
    EXPECT_TRUE(tree.Catalogs()[13].expanded);
    EXPECT_EQ(11, tree.GetScrollPosition());
    EXPECT_EQ(&tree.Catalogs()[13], tree.GetNodeAt(tree.GetScrollPosition() + 2, nullptr));
}

TEST_F(ChannelTreeTest, CatalogAmongTheFirstThreeScrollsToTheTop) {
    const int unknown = data.UnknownCatalog();
    for (int i = 0; i < 12; ++i)
        data.AddChannel(unknown, "u" + std::to_string(10 + i), "u" + std::to_string(10 + i), 1, 10);
    data.AddCatalog("second", "datetime('now','-1 days')");
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);
    tree.Reload();
    Click(tree, RowY(0));  // expand unknown: 14 rows
    Scroll(tree, SB_BOTTOM);
    ASSERT_EQ(7, tree.GetScrollPosition());
    Click(tree, RowY(6));  // row 13 = "second", topIndex 1
    EXPECT_TRUE(tree.Catalogs()[1].expanded);
    EXPECT_FALSE(tree.Catalogs()[0].expanded);
    EXPECT_EQ(0, tree.GetScrollPosition());
}

// ---- scrolling

TEST_F(ChannelTreeTest, ScrollCodesAreClampedToTheLastPage) {
    AddManyCatalogs(15);
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);
    tree.Reload();
    // Range 0..15 with a page of 8: positions 0..8. Bottom is where line and page down end.
    const struct {
        int code;
        int position;  // after the code
    } steps[] = {{SB_LINEDOWN, 1}, {SB_PAGEDOWN, 8}, {SB_LINEDOWN, 8}, {SB_PAGEUP, 0},
                 {SB_LINEUP, 0},   {SB_TOP, 0},      {SB_BOTTOM, 8},   {SB_TOP, 0},
                 {SB_LINEDOWN, 1}, {SB_LINEDOWN, 2}, {SB_LINEDOWN, 3}, {SB_ENDSCROLL, 3}};
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i) {
        Scroll(tree, steps[i].code);
        EXPECT_EQ(steps[i].position, tree.GetScrollPosition()) << "step " << i;
    }
    // Rows follow the position.
    EXPECT_EQ(L"c03", LabelOf(tree.GetNodeAt(3, nullptr)));
    Click(tree, RowY(0));
    EXPECT_TRUE(tree.Catalogs()[3].expanded);
}

// The wheel as the system sends it: delta in WHEEL_DELTA units, the pointer in screen coordinates.
void Wheel(HWND window, int delta, POINT client) {
    ::ClientToScreen(window, &client);
    ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                   MAKELPARAM(client.x, client.y));
}

class WheelLines {
public:
    explicit WheelLines(UINT lines) {
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved_, 0);
        ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    }
    ~WheelLines() { ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved_, nullptr, 0); }

private:
    UINT saved_ = 3;
};

TEST_F(ChannelTreeTest, WheelScrollsTheSystemsRowsPerNotchAndGathersParts) {
    AddManyCatalogs(15);
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);  // positions 0..8
    tree.Reload();
    WheelLines lines(3);
    const POINT pointer{30, RowY(1)};
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(pointer.x, pointer.y));
    ASSERT_EQ(&tree.Catalogs()[1], tree.Tooltip().Node());

    Wheel(tree, -WHEEL_DELTA, pointer);  // towards the user: down
    EXPECT_EQ(3, tree.GetScrollPosition());
    // Hover follows the rows that moved under the pointer; the tooltip waits again, hidden.
    EXPECT_EQ(1, tree.HoverRow());
    EXPECT_EQ(&tree.Catalogs()[4], tree.Tooltip().Node());
    EXPECT_EQ(CChannelTooltip::kArmed, tree.Tooltip().State());
    EXPECT_FALSE(tree.Tooltip().IsWindowVisible());

    // A touchpad's parts of a notch: a third of a notch is one row, smaller parts add up.
    Wheel(tree, -40, pointer);
    EXPECT_EQ(4, tree.GetScrollPosition());
    Wheel(tree, -20, pointer);
    EXPECT_EQ(4, tree.GetScrollPosition());
    Wheel(tree, -20, pointer);
    EXPECT_EQ(5, tree.GetScrollPosition());
    // Clamped like the scroll bar.
    Wheel(tree, -3 * WHEEL_DELTA, pointer);
    EXPECT_EQ(8, tree.GetScrollPosition());
    // Turning the wheel back drops what was left over.
    Wheel(tree, -20, pointer);
    Wheel(tree, WHEEL_DELTA, pointer);
    EXPECT_EQ(5, tree.GetScrollPosition());

    WheelLines one(1);
    Wheel(tree, WHEEL_DELTA, pointer);
    EXPECT_EQ(4, tree.GetScrollPosition());
    Wheel(tree, 10 * WHEEL_DELTA, pointer);
    EXPECT_EQ(0, tree.GetScrollPosition());
    EXPECT_EQ(&tree.Catalogs()[1], tree.Tooltip().Node());
}

// Drags the list's scroll thumb with the mouse to the bottom of its bar: the button goes down on
// the thumb, and the scroll bar's own loop reads the move and the release from the queue.
void DragThumbToTheBottom(HWND list) {
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(::GetScrollBarInfo(list, OBJID_VSCROLL, &bar));
    const POINT press{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                      bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
    POINT release{press.x, bar.rcScrollBar.bottom - 1};
    ::ScreenToClient(list, &release);
    ::PostMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(release.x, release.y));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MakePointLParam(release.x, release.y));
    ::SendMessageW(list, WM_NCLBUTTONDOWN, HTVSCROLL, MakePointLParam(press.x, press.y));
}

TEST_F(ChannelTreeTest, ThumbDraggedToTheBottomShowsTheRowsOfBottom) {
    // More rows than the 16 bits of a scroll message count.
    FlatListContent content;
    for (int id = 1; id <= 70000; ++id) {
        ChannelRecord record;
        record.id = id;
        record.name = "n" + std::to_string(id);
        content.channels.emplace_back(std::move(record));
    }
    CTestWindow<CHistoryTreeCtrl> tree;
    CreateTree(tree);
    tree.Show(std::move(content));

    DragThumbToTheBottom(tree);
    const int dragged = tree.GetScrollPosition();
    EXPECT_LT(tree.GetRowCount() - 1 - dragged, 8) << "the last channel shows";
    Scroll(tree, SB_TOP);
    Scroll(tree, SB_BOTTOM);
    EXPECT_EQ(tree.GetScrollPosition(), dragged);
}

TEST_F(ChannelTreeTest, FewerRowsThanFitNeverScroll) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    Scroll(tree, SB_LINEDOWN);
    Scroll(tree, SB_BOTTOM);
    Scroll(tree, SB_THUMBTRACK, 5);
    EXPECT_EQ(0, tree.GetScrollPosition());
}

// ---- double click and opening

TEST_F(ChannelTreeTest, DoubleClickRecordsHistoryBeforeTellingTheListener) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    Click(tree, RowY(2));
    DoubleClick(tree, RowY(3));  // s1

    ASSERT_EQ(1u, listener.links.size());
    EXPECT_EQ(L"trova://global/cs1", listener.links[0]);
    EXPECT_EQ(s1, listener.historyTopAtCall[0]);
    const CChannelNode& node = tree.Catalogs()[2].channels[0];
    EXPECT_TRUE(node.playing);
    EXPECT_EQ(&node, tree.OpenedNode());
    EXPECT_EQ(1, CountHistory());

    // History times have one-second resolution: make s1's entry older.
    data.Exec("UPDATE history SET utime=datetime('now','-1 hours');");
    DoubleClick(tree, RowY(5));  // s3: another channel always opens
    EXPECT_FALSE(node.playing);
    EXPECT_TRUE(tree.Catalogs()[2].channels[2].playing);
    ASSERT_EQ(2u, listener.links.size());
    EXPECT_EQ(s3, listener.historyTopAtCall[1]);
}

TEST_F(ChannelTreeTest, DoubleClickOnACatalogOpensNothingButTogglesOnce) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    DoubleClick(tree, RowY(1));
    EXPECT_TRUE(tree.Catalogs()[1].expanded);  // the first press toggled it
    EXPECT_TRUE(listener.links.empty());
    EXPECT_EQ(nullptr, tree.OpenedNode());
    EXPECT_EQ(0, CountHistory());
    ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(7)));  // no row
    EXPECT_TRUE(listener.links.empty());
}

TEST_F(ChannelTreeTest, ChannelWithoutLinkCannotBeOpened) {
    const int unknown = data.UnknownCatalog();
    data.AddChannel(unknown, "nolink", "", 1, 10);
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    tree.SetListener(&listener);
    CreateTree(tree);
    tree.Reload();
    Click(tree, RowY(0));
    ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(1)));
    EXPECT_TRUE(listener.links.empty());
    EXPECT_FALSE(tree.Catalogs()[0].channels[0].playing);
    EXPECT_EQ(0, CountHistory());
}

TEST_F(ChannelTreeTest, PlayingChannelReopensOnlyAfterTheInterval) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    Click(tree, RowY(1));
    auto doubleClickU1 = [&] { ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(2))); };

    doubleClickU1();
    ASSERT_EQ(1u, listener.links.size());
    EXPECT_EQ(0u, tree.LastReopenTick());  // a first open does not count as a re-open

    tree.SetLastReopenTickForTesting(::GetTickCount() - 6000);
    const DWORD before = ::GetTickCount();
    doubleClickU1();
    const DWORD after = ::GetTickCount();
    EXPECT_EQ(2u, listener.links.size());
    const unsigned int accepted = tree.LastReopenTick();
    // Taken during the accepted re-open (differences taken modulo the tick counter's wrap).
    EXPECT_LE(accepted - before, after - before);

    doubleClickU1();  // within 5000 ms of the accepted re-open
    EXPECT_EQ(2u, listener.links.size());
    EXPECT_EQ(accepted, tree.LastReopenTick());
    EXPECT_TRUE(tree.Catalogs()[1].channels[0].playing);

    tree.SetLastReopenTickForTesting(::GetTickCount() + 100000);  // the tick counter went backwards
    doubleClickU1();
    EXPECT_EQ(3u, listener.links.size());
    EXPECT_EQ(1, CountHistory());  // one history row per channel
}

// ---- hover and tooltip

TEST_F(ChannelTreeTest, HoverArmsTheTooltipAndLeavingClearsIt) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    ASSERT_TRUE(tree.Tooltip().IsWindow());
    // A child cannot own a popup: the owner becomes the tree's top-level window.
    EXPECT_EQ(host.m_hWnd, ::GetWindow(tree.Tooltip(), GW_OWNER));

    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(1)));
    EXPECT_EQ(1, tree.HoverRow());
    EXPECT_TRUE(tree.HasCapture());
    EXPECT_EQ(&tree.Catalogs()[1], tree.Tooltip().Node());
    EXPECT_EQ(1, tree.Tooltip().State());
    EXPECT_EQ(0, tree.Tooltip().Ticks());

    // A row without a node changes the hover row but leaves the tooltip as it was.
    tree.Tooltip().SendMessage(WM_TIMER, CChannelTooltip::TIMER_TOOLTIP);
    ASSERT_EQ(1, tree.Tooltip().Ticks());
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(6)));
    EXPECT_EQ(6, tree.HoverRow());
    EXPECT_EQ(&tree.Catalogs()[1], tree.Tooltip().Node());
    EXPECT_EQ(1, tree.Tooltip().Ticks());

    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, -3));  // captured, outside
    EXPECT_EQ(-1, tree.HoverRow());
    EXPECT_FALSE(tree.HasCapture());
    EXPECT_EQ(nullptr, tree.Tooltip().Node());
    EXPECT_EQ(0, tree.Tooltip().State());
    EXPECT_FALSE(tree.Tooltip().IsWindowVisible());
}

TEST_F(ChannelTreeTest, RestingOnARowShowsTheTooltipUntilTheMouseLeaves) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(2)));
    EXPECT_TRUE(PumpUntil([&] { return tree.Tooltip().IsWindowVisible(); }, 3000));
    EXPECT_EQ(CChannelTooltip::kShown, tree.Tooltip().State());
    EXPECT_EQ(&tree.Catalogs()[2], tree.Tooltip().Node());

    // Another row re-arms it hidden; leaving hides it for good.
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(1)));
    EXPECT_FALSE(tree.Tooltip().IsWindowVisible());
    EXPECT_EQ(CChannelTooltip::kArmed, tree.Tooltip().State());
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, -3));
    PumpUntil([] { return false; }, 700);
    EXPECT_FALSE(tree.Tooltip().IsWindowVisible());
    EXPECT_EQ(CChannelTooltip::kIdle, tree.Tooltip().State());
}

TEST_F(ChannelTreeTest, TooltipGoesWithTheListWindow) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);
    HWND popup = tree.Tooltip();
    ASSERT_TRUE(::IsWindow(popup));
    ::DestroyWindow(tree);
    EXPECT_FALSE(::IsWindow(popup));
    CreateTree(tree);  // the same object can make a new window with a new popup
    EXPECT_TRUE(tree.Tooltip().IsWindow());
}

TEST_F(ChannelTreeTest, ClicksAboveTheListWhileItHoldsTheMouseAreNoRows) {
    CRecordingListener listener;
    CTestWindow<CRightClickTree> tree;
    ShowStandardCatalogs(tree, &listener, 3);
    Click(tree, RowY(1));  // 其它 open: rows 2 and 3 are u1 and u2
    Scroll(tree, SB_LINEDOWN);
    Scroll(tree, SB_LINEDOWN);
    ASSERT_EQ(2, tree.GetScrollPosition());  // u1 is the top visible row
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(0)));
    ASSERT_TRUE(tree.HasCapture());
    for (int y : {-1, -21}) {
        ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(30, y));
        ::SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MakePointLParam(30, y));
    }
    EXPECT_TRUE(listener.links.empty());
    EXPECT_EQ(nullptr, tree.OpenedNode());
    EXPECT_TRUE(tree.rightClicks.empty());
    // The top row itself still answers.
    ::SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MakePointLParam(30, 0));
    EXPECT_EQ((std::vector<int>{2}), tree.rightClicks);
}

TEST_F(ChannelTreeTest, LosingTheCaptureEndsTheHover) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(0)));
    ASSERT_EQ(0, tree.HoverRow());
    host.SetCapture();
    EXPECT_EQ(-1, tree.HoverRow());
    EXPECT_EQ(nullptr, tree.Tooltip().Node());
    host.ReleaseCapture();
}

// ---- node pointers across reloads

TEST_F(ChannelTreeTest, ReloadForgetsEveryNodePointer) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    Click(tree, RowY(2));
    DoubleClick(tree, RowY(3));
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(30, RowY(4)));
    ASSERT_NE(nullptr, tree.OpenedNode());
    ASSERT_NE(nullptr, tree.Tooltip().Node());

    tree.Reload();
    EXPECT_EQ(nullptr, tree.SelectedNode());
    EXPECT_EQ(nullptr, tree.ExpandedCatalog());
    EXPECT_EQ(nullptr, tree.OpenedNode());
    EXPECT_EQ(nullptr, tree.Tooltip().Node());
    EXPECT_EQ(4, tree.GetRowCount());  // every catalog collapsed again
    // The list works on the new nodes.
    Click(tree, RowY(2));
    EXPECT_TRUE(tree.Catalogs()[2].expanded);
}

// ---- history, favourites, search

namespace {
// Reloads the history inside the open notification, as the control does.
class CReloadingListener : public IChannelTreeCtrlEventListener {
public:
    explicit CReloadingListener(CHistoryTreeCtrl& history) : history_(history) {}
    void OnOpenChannel(std::wstring link) override {
        links.push_back(link);
        history_.Reload();
    }
    std::vector<std::wstring> links;

private:
    CHistoryTreeCtrl& history_;
};
}  // namespace

TEST_F(ChannelTreeTest, HistoryListsOpenedChannelsOnceMostRecentFirst) {
    AddStandardCatalogs();
    CTestWindow<CHistoryTreeCtrl> history;
    CreateTree(history);
    CReloadingListener listener(history);
    history.SetListener(&listener);
    TouchHistory(u1);
    TouchHistory(s2);
    // History times have one-second resolution: make the order explicit.
    data.Exec("UPDATE history SET utime=datetime('now','-2 hours') WHERE id=" + std::to_string(u1) + ";");
    data.Exec("UPDATE history SET utime=datetime('now','-1 hours') WHERE id=" + std::to_string(s2) + ";");
    history.Reload();
    ASSERT_EQ(2u, history.Channels().size());
    EXPECT_EQ(L"s2", history.Channels()[0].GetName());
    EXPECT_EQ(2, history.ChannelCount());

    // Opening from the history itself reloads it during the notification.
    ::SendMessageW(history, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(1)));  // u1
    ASSERT_EQ(1u, listener.links.size());
    EXPECT_EQ(L"trova://global/cu1", listener.links[0]);
    ASSERT_EQ(2u, history.Channels().size());
    EXPECT_EQ(L"u1", history.Channels()[0].GetName());
    EXPECT_EQ(nullptr, history.OpenedNode());  // the opened node was replaced by the reload
}

TEST_F(ChannelTreeTest, FlatListClickTakesTheCatalogBranch) {
    const int unknown = data.UnknownCatalog();
    for (int i = 0; i < 12; ++i)
        TouchHistory(data.AddChannel(unknown, "h" + std::to_string(i), "h" + std::to_string(i), 1, 10));
    CTestWindow<CHistoryTreeCtrl> history;
    CreateTree(history);
    history.Reload();
    ASSERT_EQ(12, history.GetRowCount());
    Click(history, RowY(6));
    EXPECT_TRUE(history.Channels()[6].expanded);
    EXPECT_TRUE(history.Channels()[6].selected);
    EXPECT_EQ(4, history.GetScrollPosition());
    int topIndex = 0;
    EXPECT_NE(nullptr, history.GetNodeAt(11, &topIndex));
    EXPECT_EQ(11, topIndex);
    EXPECT_EQ(nullptr, history.GetNodeAt(12, nullptr));
    EXPECT_EQ(nullptr, history.GetNodeAt(-1, nullptr));
}

// Texts and command ids of a menu, in order; the menu is destroyed unless it is someone else's.
static std::vector<std::pair<std::wstring, UINT>> MenuItems(HMENU menu, bool destroy = true) {
    std::vector<std::pair<std::wstring, UINT>> items;
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        items.emplace_back(text, ::GetMenuItemID(menu, i));
    }
    if (menu && destroy)
        ::DestroyMenu(menu);
    return items;
}

TEST_F(ChannelTreeTest, ChannelRowMenuPlaysAndAddsOrRemovesTheFavourite) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    Click(tree, RowY(2));  // 体育: s1, s2, s3 in rows 3..5
    EXPECT_EQ(nullptr, tree.CreateRowMenu(2)) << "no menu on a catalog";
    EXPECT_EQ(nullptr, tree.CreateRowMenu(6 + 1)) << "nor below the rows";
    using Items = std::vector<std::pair<std::wstring, UINT>>;
    const UINT play = CChannelTreeCtrl::kPlayCommand;
    EXPECT_EQ((Items{{L"播放", play}, {L"添加到我的收藏", CChannelTreeCtrl::kAddFavoriteCommand}}),
              MenuItems(tree.CreateRowMenu(3)));

    tree.RunRowCommand(3, CChannelTreeCtrl::kAddFavoriteCommand);
    EXPECT_EQ(1, listener.favoriteChanges);
    EXPECT_TRUE(IsFavorite(tree.Catalogs()[2].channels[0].Info()));
    EXPECT_EQ((Items{{L"播放", play}, {L"从我的收藏中移除", CChannelTreeCtrl::kRemoveFavoriteCommand}}),
              MenuItems(tree.CreateRowMenu(3)));
    EXPECT_TRUE(listener.links.empty()) << "adding plays nothing";

    // Play does what a double click does.
    tree.RunRowCommand(4, play);
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/cs2"}, listener.links);
    EXPECT_EQ(s2, listener.historyTopAtCall[0]);
    EXPECT_TRUE(tree.Catalogs()[2].channels[1].playing);

    tree.RunRowCommand(3, CChannelTreeCtrl::kRemoveFavoriteCommand);
    EXPECT_EQ(2, listener.favoriteChanges);
    EXPECT_FALSE(IsFavorite(tree.Catalogs()[2].channels[0].Info()));
    tree.RunRowCommand(2, CChannelTreeCtrl::kAddFavoriteCommand);  // a catalog: nothing
    EXPECT_EQ(2, listener.favoriteChanges);
}

// The synchronisation holds the database for writing for seconds with a big catalogue: a
// favourite chosen meanwhile is kept, shown at once, and written once the database is free.
TEST_F(ChannelTreeTest, FavouriteChosenWhileTheDatabaseIsBusyIsKeptAndWrittenWhenItIsFree) {
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree, &listener);
    Click(tree, RowY(2));
    const ChannelRecord s1 = tree.Catalogs()[2].channels[0].Info();
    ASSERT_FALSE(IsFavorite(s1));  // also makes the favourite table

    sqlite3x::connection writer;
    writer.open(GetDatabasePath());
    writer.exec("BEGIN IMMEDIATE");
    tree.RunRowCommand(3, CChannelTreeCtrl::kAddFavoriteCommand);
    EXPECT_EQ(1, listener.favoriteChanges) << "the owner shows the choice at once";
    EXPECT_EQ(L"从我的收藏中移除", MenuItems(tree.CreateRowMenu(3)).back().first);
    CTestWindow<CFavorTreeCtrl> favourites;
    CreateTree(favourites);
    favourites.Reload();
    ASSERT_EQ(1, favourites.GetRowCount());
    EXPECT_EQ(L"s1", favourites.Channels()[0].GetName());
    EXPECT_FALSE(pending.Write().favorites) << "still busy";

    writer.exec("COMMIT");
    EXPECT_TRUE(pending.Write().favorites);
    EXPECT_TRUE(pending.Empty());
    EXPECT_TRUE(IsFavorite(s1));
}

// Items of the popup menu on the screen, read when the menu is up, which is then closed.
static std::vector<std::pair<std::wstring, UINT>> g_shownMenu;
static void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (HWND popup = FindThreadWindow(L"#32768", nullptr))
        g_shownMenu = MenuItems(reinterpret_cast<HMENU>(::SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0)), false);
    ::EndMenu();
}

// While the row menu is up: changes the rows, then chooses the menu's first item ("播放") as the
// keyboard does.
static std::function<void()> g_whileTheMenuIsUp;
static void CALLBACK ChangeRowsAndChoosePlay(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    g_whileTheMenuIsUp();
    const HWND popup = FindThreadWindow(L"#32768", nullptr);
    ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(popup, WM_CHAR, L'\r', 0);
}

TEST_F(ChannelTreeTest, RowMenuActsOnTheChannelItWasOpenedFor) {
    AddStandardCatalogs();
    for (int channel : {s2, s1, u1})
        TouchHistory(channel);
    ASSERT_FALSE(IsFavorite(ChannelRecord()));  // the menu's read makes no table later
    // The fixture's connection learns of the tables the store made through one statement that
    // fails with a changed schema.
    try {
        data.Exec("UPDATE channel SET del=del WHERE 0;");
    } catch (const sqlite3x::database_error&) {
    }
    data.Exec("UPDATE history SET utime=datetime('now','-1 hours') WHERE id=" + std::to_string(s2) + ";");
    data.Exec("UPDATE history SET utime=datetime('now','-2 hours') WHERE id=" + std::to_string(s1) + ";");
    data.Exec("UPDATE history SET utime=datetime('now','-3 hours') WHERE id=" + std::to_string(u1) + ";");
    CRecordingListener listener;
    CTestWindow<CHistoryTreeCtrl> history;
    history.SetListener(&listener);
    CreateTree(history);
    history.Reload();  // s2, s1, u1
    const auto menuOnRow = [&](int row) {
        ASSERT_NE(0u, ::SetTimer(nullptr, 0, 200, &ChangeRowsAndChoosePlay));
        ::SendMessageW(history, WM_RBUTTONDOWN, MK_RBUTTON, MakePointLParam(50, RowY(row)));
    };

    // Another channel opened meanwhile comes on top: s1 moves a row down.
    g_whileTheMenuIsUp = [&] {
        TouchHistory(u2);
        history.Reload();
    };
    menuOnRow(1);
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/cs1"}, listener.links);

    // The channel leaves the catalogue meanwhile: nothing plays.
    g_whileTheMenuIsUp = [&] {
        data.Exec("UPDATE channel SET del=1 WHERE id=" + std::to_string(s2) + ";");
        history.Reload();
    };
    menuOnRow(1);  // s2 in u2, s2, s1, u1
    EXPECT_EQ(1u, listener.links.size());
}

TEST_F(ChannelTreeTest, MenuKeyAndShiftF10OpenTheSelectedChannelsMenu) {
    CTestWindow<CAllChannelTreeCtrl> tree;
    ShowStandardCatalogs(tree);
    Click(tree, RowY(2));
    Click(tree, RowY(3));  // s1 selected
    using Items = std::vector<std::pair<std::wstring, UINT>>;
    const Items expected{{L"播放", CChannelTreeCtrl::kPlayCommand},
                         {L"添加到我的收藏", CChannelTreeCtrl::kAddFavoriteCommand}};

    g_shownMenu.clear();
    ::SetTimer(nullptr, 0, 300, &ReadAndCloseMenu);
    ::SendMessageW(tree, WM_KEYDOWN, VK_APPS, 1);
    EXPECT_EQ(expected, g_shownMenu);

    g_shownMenu.clear();
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    ::SetTimer(nullptr, 0, 300, &ReadAndCloseMenu);
    ::SendMessageW(tree, WM_SYSKEYDOWN, VK_F10, 1);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(expected, g_shownMenu);
}

TEST_F(ChannelTreeTest, KeysMoveTheSelectionExpandOneCatalogAndEnterOpens) {
    AddManyCatalogs(15);
    CRecordingListener listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    tree.SetListener(&listener);
    CreateTree(tree);  // 8 rows visible
    tree.Reload();
    auto key = [&](UINT code) { ::SendMessageW(tree, WM_KEYDOWN, code, 1); };
    auto selected = [&] { return tree.SelectedRow(); };

    // In a dialog-style container the list asks for arrows, characters and Enter, not for Tab.
    MSG enter{tree, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    const LRESULT enterCode = ::SendMessageW(tree, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter));
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTMESSAGE, enterCode);
    MSG tab{tree, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(::SendMessageW(tree, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) &
                 (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE));

    Click(tree, RowY(1));  // c01 open and selected: rows c00, c01, three channels, c02 ...
    EXPECT_EQ(tree.m_hWnd, ::GetFocus()) << "a click gives the list the focus";
    key(VK_DOWN);
    key(VK_DOWN);
    EXPECT_EQ(3, selected());
    EXPECT_EQ(L"c01_1", AsChannel(tree.SelectedNode())->GetName());
    key(VK_UP);
    EXPECT_EQ(2, selected());
    key(VK_NEXT);  // one page
    EXPECT_EQ(10, selected());
    EXPECT_EQ(3, tree.GetScrollPosition()) << "scrolled into view at the bottom";
    key(VK_END);
    EXPECT_EQ(17, selected());
    EXPECT_EQ(10, tree.GetScrollPosition());
    key(VK_HOME);
    EXPECT_EQ(0, selected());
    EXPECT_EQ(0, tree.GetScrollPosition());
    key(VK_UP);
    EXPECT_EQ(0, selected());

    // Right opens the selected catalog, closing the open one; Left closes it again.
    key(VK_RIGHT);
    EXPECT_TRUE(tree.Catalogs()[0].expanded);
    EXPECT_FALSE(tree.Catalogs()[1].expanded);
    key(VK_DOWN);
    key(VK_RETURN);
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/c00_0"}, listener.links);
    EXPECT_TRUE(tree.Catalogs()[0].channels[0].playing);
    key(VK_LEFT);  // from a channel: its catalog closes and is selected
    EXPECT_FALSE(tree.Catalogs()[0].expanded);
    EXPECT_EQ(0, selected());
    key(VK_RETURN);  // a catalog opens nothing
    EXPECT_EQ(1u, listener.links.size());
}

TEST_F(ChannelTreeTest, RightAndLeftKeepTheSelectedRowInView) {
    // Two catalogs of 30 channels, then twenty of one.
    const int first = data.AddCatalog("long1", "datetime('now','-60 days')");
    const int second = data.AddCatalog("long2", "datetime('now','-59 days')");
    for (int i = 0; i < 30; ++i) {
        data.AddChannel(first, "a" + std::to_string(i), "a" + std::to_string(i), 1, 10);
        data.AddChannel(second, "b" + std::to_string(i), "b" + std::to_string(i), 1, 10);
    }
    for (int i = 0; i < 20; ++i) {
        const std::string name = "c" + std::to_string(i);
        data.AddChannel(data.AddCatalog(name, "datetime('now','-" + std::to_string(50 - i) + " days')"), name, name, 1,
                        10);
    }
    data.Exec("DELETE FROM catalog WHERE name='unknown';");
    CTestWindow<CAllChannelTreeCtrl> tree;
    CreateTree(tree);  // 8 rows visible
    tree.Reload();
    const auto keys = [&](UINT code, int times = 1) {
        for (int i = 0; i < times; ++i)
            ::SendMessageW(tree, WM_KEYDOWN, code, 1);
    };
    const auto inView = [&](int row) {
        const int top = tree.GetScrollPosition();
        return row >= top && row < top + 8;
    };

    Click(tree, RowY(0));  // long1 open: long2 is row 31
    keys(VK_DOWN, 31);
    ASSERT_EQ(L"long2", LabelOf(tree.SelectedNode()));
    keys(VK_RIGHT);  // long1 closes above it
    ASSERT_EQ(1, tree.SelectedRow());
    EXPECT_TRUE(inView(1)) << "top row " << tree.GetScrollPosition();

    keys(VK_DOWN, 25);  // deep inside long2
    ASSERT_FALSE(inView(1));
    keys(VK_LEFT);  // long2 closes and is selected
    ASSERT_EQ(1, tree.SelectedRow());
    EXPECT_TRUE(inView(1)) << "top row " << tree.GetScrollPosition();
}

TEST_F(ChannelTreeTest, FavouritesListShowsFavouriteChannelsAndThemAgainWhenTheyComeBack) {
    AddStandardCatalogs();
    CRecordingListener listener;
    CTestWindow<CFavorTreeCtrl> favourites;
    favourites.SetListener(&listener);
    CreateTree(favourites);
    favourites.Reload();
    EXPECT_EQ(0, favourites.GetRowCount());
    Click(favourites, RowY(0));
    ::SendMessageW(favourites, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(0)));
    EXPECT_EQ(nullptr, favourites.SelectedNode());
    EXPECT_EQ(0, CountHistory());

    // Favourites are known by name and channel id.
    auto channel = [](const char* name, const char* channelId) {
        ChannelRecord record;
        record.name = name;
        record.channelid = channelId;
        return record;
    };
    ASSERT_TRUE(AddFavorite(channel("s1", "cs1")));
    ASSERT_TRUE(AddFavorite(channel("u2", "cu2")));
    // The fixture's connection learns of the table the store made through one statement
    // that fails with a changed schema.
    try {
        data.Exec("UPDATE channel SET del=del WHERE 0;");
    } catch (const sqlite3x::database_error&) {
    }
    favourites.Reload();
    ASSERT_EQ(2, favourites.GetRowCount());
    EXPECT_EQ(2, favourites.ChannelCount());
    EXPECT_EQ(L"u2", favourites.Channels()[0].GetName()) << "most recently added first";
    EXPECT_EQ(20, favourites.Channels()[0].visitors);

    // A synchronisation hides s1, then brings it back under a new row id.
    data.Exec("UPDATE channel SET del=1 WHERE id=" + std::to_string(s1) + ";");
    favourites.Reload();
    ASSERT_EQ(1, favourites.GetRowCount());
    EXPECT_EQ(L"u2", favourites.Channels()[0].GetName());
    data.Exec("DELETE FROM channel WHERE id=" + std::to_string(s1) + ";");
    const int back = data.AddChannel(sports, "s1", "cs1", 30, 20);
    ASSERT_NE(s1, back);
    favourites.Reload();
    ASSERT_EQ(2, favourites.GetRowCount());
    EXPECT_EQ(L"s1", favourites.Channels()[1].GetName());
    EXPECT_EQ(back, favourites.Channels()[1].Info().id);

    // Opened like any list's channel.
    ::SendMessageW(favourites, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, RowY(1)));
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/cs1"}, listener.links);
    EXPECT_EQ(back, listener.historyTopAtCall[0]);
}

TEST_F(ChannelTreeTest, SearchListsMatchesWithoutVisitors) {
    AddStandardCatalogs();
    data.Exec("UPDATE channel SET desc='体育频道' WHERE name='u2';");
    CTestWindow<CSearchTreeCtrl> search;
    CreateTree(search);
    search.Search(L"s");
    ASSERT_EQ(3u, search.Channels().size());
    EXPECT_EQ(3, search.ChannelCount());
    EXPECT_EQ(0, search.Channels()[0].visitors);
    search.Search(L"体育");
    ASSERT_EQ(1u, search.Channels().size());
    EXPECT_EQ(L"u2", search.Channels()[0].GetName());
    search.Search(L"nothing like this");
    EXPECT_TRUE(search.Channels().empty());
    EXPECT_EQ(0, search.ChannelCount());
    EXPECT_EQ(0, search.GetRowCount());
}

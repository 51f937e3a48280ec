// The lists as a screen reader reads them: rows as elements of the list's object with their
// roles, names, values, states and places, the actions of a double click and of the keys, the
// events readers follow, and lookups that cost one row at 200,000 rows.
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UI;

namespace {

const int kRow = CChannelTreeCtrl::ROW_HEIGHT;

class CLinkRecorder : public IChannelTreeCtrlEventListener {
public:
    std::vector<std::wstring> links;
    void OnOpenChannel(std::wstring link) override { links.push_back(link); }
};

class ChannelTreeAccessibleTest : public ::testing::Test {
protected:
    // 其它: u1; 体育: 足球 (with a description), 篮球; 电影 empty. 100 visitors in all; nothing
    // new.
    void AddCatalogs() {
        sports = data.AddCatalog("体育", "datetime('now','-50 days')");
        data.AddCatalog("电影", "datetime('now','-10 days')");
        data.AddChannel(data.UnknownCatalog(), "u1", "cu1", 60, 30);
        data.AddChannel(sports, "足球", "cs1", 30, 20, "每晚直播");
        data.AddChannel(sports, "篮球", "cs2", 10, 19);
    }
    template <class Tree>
    void CreateTree(Tree& tree, int visibleRows) {
        tree.SetPendingChanges(&pending);  // openings reach the history through it
        ASSERT_TRUE(tree.Create(host, RECT{0, 0, 200, visibleRows * kRow}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1004));
    }
    // Child id of the row named `name`, 0 when there is none.
    static long ChildNamed(IAccessible* list, const std::wstring& name) {
        for (long child = 1; child <= ChildCountOf(list); ++child)
            if (NameOf(list, child) == name)
                return child;
        return 0;
    }
    // The client rectangle of the row `offset` rows below the top, on the screen.
    static RECT ScreenRowRect(HWND list, int offset) {
        RECT client;
        ::GetClientRect(list, &client);
        RECT row{0, offset * kRow, client.right, (offset + 1) * kRow};
        ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
        return row;
    }

    CTestApartment apartment;
    CTreeTestDatabase data;
    CPendingChanges pending;
    CTestHost host;
    int sports = 0;
};

bool Has(long state, long flags) { return (state & flags) == flags; }

}  // namespace

TEST_F(ChannelTreeAccessibleTest, AllChannelsReadAsAnOutlineOfCatalogsAndChannels) {
    AddCatalogs();
    CLinkRecorder listener;
    CTestWindow<CAllChannelTreeCtrl> tree;
    tree.SetListener(&listener);
    CreateTree(tree, 3);
    host.ShowWindow(SW_SHOWNOACTIVATE);  // rows of a hidden list are all offscreen
    tree.Reload();
    ComPtr<IAccessible> list = AccessibleOf(tree);
    ASSERT_TRUE(list);

    EXPECT_EQ(ROLE_SYSTEM_OUTLINE, RoleOf(list.Get(), CHILDID_SELF));
    EXPECT_EQ(tree.GetRowCount(), ChildCountOf(list.Get()));
    const long sportsRow = ChildNamed(list.Get(), L"体育(2)");  // name with the count, as drawn
    ASSERT_NE(0, sportsRow);
    EXPECT_EQ(ROLE_SYSTEM_OUTLINEITEM, RoleOf(list.Get(), sportsRow));
    EXPECT_TRUE(Has(StateOf(list.Get(), sportsRow), STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_SELECTABLE));
    EXPECT_EQ(L"展开", ActionOf(list.Get(), sportsRow));

    // The default action expands, as Right does; the channels follow as outline items.
    const long rowsBefore = ChildCountOf(list.Get());
    EXPECT_EQ(S_OK, list->accDoDefaultAction(ChildId(sportsRow)));
    EXPECT_TRUE(tree.GetNodeAt(static_cast<int>(sportsRow - 1), nullptr)->expanded);
    EXPECT_EQ(rowsBefore + 2, ChildCountOf(list.Get()));
    EXPECT_TRUE(Has(StateOf(list.Get(), sportsRow), STATE_SYSTEM_EXPANDED));
    EXPECT_EQ(L"折叠", ActionOf(list.Get(), sportsRow));
    const long football = sportsRow + 1;
    EXPECT_EQ(ROLE_SYSTEM_OUTLINEITEM, RoleOf(list.Get(), football));
    EXPECT_EQ(L"足球", NameOf(list.Get(), football));
    EXPECT_EQ(L"30%", ValueOf(list.Get(), football));
    EXPECT_EQ(L"每晚直播", AccessibleText(list.Get(), &IAccessible::get_accDescription, football));
    EXPECT_EQ(L"播放", ActionOf(list.Get(), football));
    EXPECT_EQ(sportsRow, NavigateOf(list.Get(), NAVDIR_LEFT, football + 1)) << "a channel leads to its catalog";
    EXPECT_EQ(football, NavigateOf(list.Get(), NAVDIR_RIGHT, sportsRow));
    EXPECT_EQ(football + 1, NavigateOf(list.Get(), NAVDIR_NEXT, football));
    EXPECT_EQ(ChildCountOf(list.Get()), NavigateOf(list.Get(), NAVDIR_LASTCHILD, CHILDID_SELF));

    // Taking the selection selects the row as a click would, and the focus follows it.
    ::SetFocus(tree);
    EXPECT_EQ(S_OK, list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, ChildId(football)));
    EXPECT_EQ(football - 1, tree.SelectedRow());
    EXPECT_TRUE(Has(StateOf(list.Get(), football), STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED));
    CScopedVariant focus;
    EXPECT_EQ(S_OK, list->get_accFocus(focus.Receive()));
    EXPECT_EQ(football, focus.Ref().lVal);

    // Places: the drawn rows of the scrolled list; rows below the three shown are offscreen.
    ::SendMessageW(tree, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    const int top = tree.GetScrollPosition();
    ASSERT_EQ(1, top);
    const RECT place = LocationOf(list.Get(), football);
    const RECT drawn = ScreenRowRect(tree, static_cast<int>(football - 1) - top);
    EXPECT_TRUE(::EqualRect(&drawn, &place));
    CScopedVariant hit;
    EXPECT_EQ(S_OK, list->accHitTest((place.left + place.right) / 2, place.top + 1, hit.Receive()));
    EXPECT_EQ(football, hit.Ref().lVal);
    EXPECT_TRUE(Has(StateOf(list.Get(), 1), STATE_SYSTEM_OFFSCREEN)) << "scrolled out above";
    EXPECT_FALSE(Has(StateOf(list.Get(), 2), STATE_SYSTEM_OFFSCREEN));
    EXPECT_TRUE(Has(StateOf(list.Get(), 2 + 3), STATE_SYSTEM_OFFSCREEN)) << "below the view";

    // The channel's default action plays it, as a double click does.
    EXPECT_EQ(S_OK, list->accDoDefaultAction(ChildId(football)));
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/cs1"}, listener.links);
    EXPECT_EQ(E_INVALIDARG, list->accDoDefaultAction(ChildId(ChildCountOf(list.Get()) + 1)));
}

TEST_F(ChannelTreeAccessibleTest, ReadersHearSelectionExpansionAndReplacedRows) {
    AddCatalogs();
    CTestWindow<CHistoryTreeCtrl> history;
    CreateTree(history, 8);
    CTestWindow<CAllChannelTreeCtrl> all;
    CreateTree(all, 8);
    all.Reload();
    ComPtr<IAccessible> historyObject = AccessibleOf(history);
    ComPtr<IAccessible> allObject = AccessibleOf(all);
    ASSERT_TRUE(historyObject && allObject);
    EXPECT_EQ(ROLE_SYSTEM_LIST, RoleOf(historyObject.Get(), CHILDID_SELF));
    const long sportsRow = ChildNamed(allObject.Get(), L"体育(2)");
    ASSERT_NE(0, sportsRow);

    CWinEventRecorder events;
    ASSERT_TRUE(events.Hooked());
    all.ExpandCatalogAt(static_cast<int>(sportsRow - 1), true);
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_STATECHANGE, all, sportsRow)) << "the catalog expanded";
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_REORDER, all, CHILDID_SELF)) << "rows below it moved";
    // Rows replaced: the channel opened in the all-channels list reaches the history.
    all.OpenRow(static_cast<int>(sportsRow));
    events.Clear();
    history.Reload();
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_REORDER, history, CHILDID_SELF));
    ASSERT_EQ(1, ChildCountOf(historyObject.Get()));
    EXPECT_EQ(ROLE_SYSTEM_LISTITEM, RoleOf(historyObject.Get(), 1));
    EXPECT_EQ(L"足球", NameOf(historyObject.Get(), 1));

    // A key moves the selection: selection and, with the keys in the list, focus.
    ::SetFocus(history);
    events.Clear();
    ::SendMessageW(history, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_SELECTION, history, 1));
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_FOCUS, history, 1));

    // A click on a catalog below the expanded one collapses that one: the event names the
    // clicked catalog where it is afterwards.
    const long moviesBefore = ChildNamed(allObject.Get(), L"电影(0)");
    ASSERT_GT(moviesBefore, sportsRow);
    events.Clear();
    const int y = static_cast<int>(moviesBefore - 1 - all.GetScrollPosition()) * kRow + kRow / 2;
    ::SendMessageW(all, WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(10, y));
    ::SendMessageW(all, WM_LBUTTONUP, 0, MakePointLParam(10, y));
    const long moviesAfter = ChildNamed(allObject.Get(), L"电影(0)");
    EXPECT_EQ(moviesBefore - 2, moviesAfter);
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_SELECTION, all, moviesAfter));
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_FOCUS, all, moviesAfter));
}

// A reader asks about one row at a time while the user scrolls: the count and each row's
// answers come from the row model directly, never from a search through the rows.
TEST_F(ChannelTreeAccessibleTest, RowLookupsCostOneRowAt200000Rows) {
    // Counts what the list asks of its rows.
    class CCountingRows final : public IChannelRowModel {
    public:
        explicit CCountingRows(std::vector<CChannelNode>& channels) : rows_(channels) {}
        int RowCount() const override { return rows_.RowCount(); }
        CChannelTreeNode* NodeAt(int row, int* topIndex) const override {
            ++rowLookups_;
            return rows_.NodeAt(row, topIndex);
        }
        std::vector<CChannelTreeNode*> VisibleRows(int firstRow, int count) const override {
            return rows_.VisibleRows(firstRow, count);
        }
        RowIdentity IdentityAt(int row) const override { return rows_.IdentityAt(row); }
        CChannelTreeNode* NodeOf(const RowIdentity& identity) const override {
            ++identitySearches_;
            return rows_.NodeOf(identity);
        }
        int RowOf(const RowIdentity& identity) const override {
            ++identitySearches_;
            return rows_.RowOf(identity);
        }
        mutable int rowLookups_ = 0;
        mutable int identitySearches_ = 0;

    private:
        CFlatRowModel rows_;
    };
    class CCountingList : public CFlatChannelTreeCtrl {
    public:
        CCountingList() : CFlatChannelTreeCtrl(counting_) {}
        CCountingRows counting_{channels_};
    };
    CTestWindow<CCountingList> list;
    CreateTree(list, 10);
    FlatListContent content;
    content.channels.reserve(200000);
    for (int i = 0; i < 200000; ++i) {
        ChannelRecord record;
        record.id = i + 1;
        record.name = "c" + std::to_string(i);
        content.channels.emplace_back(std::move(record));
    }
    list.Show(std::move(content));
    ComPtr<IAccessible> object = AccessibleOf(list);
    ASSERT_TRUE(object);

    list.counting_.rowLookups_ = 0;
    EXPECT_EQ(200000, ChildCountOf(object.Get()));
    EXPECT_EQ(0, list.counting_.rowLookups_);
    EXPECT_EQ(L"c150000", NameOf(object.Get(), 150001));
    EXPECT_TRUE(Has(StateOf(object.Get(), 150001), STATE_SYSTEM_OFFSCREEN));
    EXPECT_EQ(150002, NavigateOf(object.Get(), NAVDIR_DOWN, 150001));
    EXPECT_EQ(2, list.counting_.rowLookups_);
    EXPECT_EQ(0, list.counting_.identitySearches_);
}

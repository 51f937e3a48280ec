#include "channellist/ui/ChannelRowModel.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UI;

namespace {

CCatalogNode Catalog(int id, const wchar_t* label, int channels, int firstChannelId) {
    CCatalogNode catalog;
    catalog.catalog.id = id;
    catalog.SetLabel(label);
    for (int i = 0; i < channels; ++i) {
        ChannelRecord record;
        record.id = firstChannelId + i;
        catalog.channels.emplace_back(record);
    }
    catalog.channelCount = channels;
    return catalog;
}

// What a row shows, as text: a catalog's label or "#" and a channel's id.
std::wstring Describe(CChannelTreeNode* node) {
    if (!node)
        return L"-";
    if (node->IsCatalog())
        return static_cast<CCatalogNode*>(node)->GetLabel();
    return L"#" + std::to_wstring(static_cast<CChannelNode*>(node)->Info().id);
}

std::wstring DescribeRows(const std::vector<CChannelTreeNode*>& rows) {
    std::wstring text;
    for (CChannelTreeNode* row : rows)
        text += Describe(row) + L" ";
    return text;
}

}  // namespace

// The latest-updates group (id 0) shows channel 31 that also sits in catalog 3; catalog 5 is
// empty. Two catalogs are expanded at once, which clicks never do but the model must get right.
TEST(ChannelRowModel, RowsCountNodesChildrenRangesAndIdentitiesAgree) {
    std::vector<CCatalogNode> catalogs = {Catalog(0, L"L", 1, 31), Catalog(2, L"A", 2, 21), Catalog(3, L"B", 3, 31),
                                          Catalog(5, L"E", 0, 0), Catalog(7, L"C", 1, 71)};
    CCatalogRowModel model(catalogs);
    EXPECT_EQ(5, model.RowCount());
    catalogs[1].expanded = true;
    catalogs[2].expanded = true;
    catalogs[3].expanded = true;  // empty: no rows of its own beyond the catalog's
    const wchar_t* expected[] = {L"L", L"A", L"#21", L"#22", L"B", L"#31", L"#32", L"#33", L"E", L"C"};
    ASSERT_EQ(10, model.RowCount());
    for (int row = 0; row < 10; ++row) {
        int topIndex = -7;
        EXPECT_EQ(expected[row], Describe(model.NodeAt(row, &topIndex))) << row;
        const bool child = expected[row][0] == L'#';
        EXPECT_EQ(child, model.IsChildRow(row)) << row;
        if (!child)
            EXPECT_EQ(std::wstring(L"LABEC").find(expected[row][0]), static_cast<size_t>(topIndex)) << row;
        else
            EXPECT_EQ(-7, topIndex) << row;
        // Every row's identity leads back to its node and its row.
        const RowIdentity identity = model.IdentityAt(row);
        EXPECT_EQ(model.NodeAt(row, nullptr), model.NodeOf(identity)) << row;
        EXPECT_EQ(row, model.RowOf(identity)) << row;
    }
    for (int row : {-1, 10, 1000}) {
        EXPECT_EQ(nullptr, model.NodeAt(row, nullptr)) << row;
        EXPECT_FALSE(model.IsChildRow(row)) << row;
        EXPECT_FALSE(model.IdentityAt(row)) << row;
    }

    // The same channel among the latest updates and in its catalog are two rows.
    EXPECT_EQ(RowIdentity::Channel(3, 31), model.IdentityAt(5));
    EXPECT_NE(RowIdentity::Channel(0, 31), model.IdentityAt(5));
    EXPECT_EQ(&catalogs[0], model.NodeOf(RowIdentity::Catalog(0)));
    EXPECT_EQ(nullptr, model.NodeOf(RowIdentity::Channel(2, 31)));
    EXPECT_EQ(nullptr, model.NodeOf(RowIdentity::Catalog(4)));
    // A channel of a collapsed catalog is still found, but has no row.
    EXPECT_EQ(-1, model.RowOf(RowIdentity::Channel(0, 31)));
    EXPECT_EQ(&catalogs[0].channels[0], model.NodeOf(RowIdentity::Channel(0, 31)));

    // Ranges start anywhere, inside a catalog's channels too, and stop at the end.
    EXPECT_EQ(L"#22 B #31 ", DescribeRows(model.VisibleRows(3, 3)));
    EXPECT_EQ(L"#33 E C ", DescribeRows(model.VisibleRows(7, 25)));
    EXPECT_EQ(L"L A ", DescribeRows(model.VisibleRows(-3, 2)));
    EXPECT_TRUE(model.VisibleRows(10, 5).empty());
    EXPECT_TRUE(model.VisibleRows(0, 0).empty());
}

TEST(ChannelRowModel, FlatListsAnswerByRowAndChannelId) {
    std::vector<CChannelNode> channels;
    for (int i = 0; i < 4; ++i) {
        ChannelRecord record;
        record.id = 10 + i;
        channels.emplace_back(record);
    }
    CFlatRowModel model(channels);
    EXPECT_EQ(4, model.RowCount());
    int topIndex = 0;
    EXPECT_EQ(&channels[3], model.NodeAt(3, &topIndex));
    EXPECT_EQ(3, topIndex);
    EXPECT_EQ(nullptr, model.NodeAt(4, nullptr));
    EXPECT_EQ(nullptr, model.NodeAt(-1, nullptr));
    EXPECT_EQ(RowIdentity::Channel(0, 12), model.IdentityAt(2));
    EXPECT_EQ(2, model.RowOf(RowIdentity::Channel(0, 12)));
    EXPECT_EQ(-1, model.RowOf(RowIdentity::Channel(0, 99)));
    EXPECT_EQ(-1, model.RowOf(RowIdentity::Catalog(12)));
    EXPECT_EQ(nullptr, model.NodeOf(RowIdentity()));
    const std::vector<CChannelTreeNode*> rows = model.VisibleRows(2, 5);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(&channels[3], rows[1]);
}

// The operations a keyboard drives: select and scroll into view, expand and collapse, open.
TEST(ChannelTreeRows, SelectExpandAndOpenByRow) {
    CTreeTestDatabase data;
    const int unknown = data.UnknownCatalog();
    for (int i = 0; i < 12; ++i)
        data.AddChannel(unknown, "u" + std::to_string(10 + i), "u" + std::to_string(10 + i), 1, 10);
    const int second = data.AddCatalog("second", "datetime('now','-1 days')");
    data.AddChannel(second, "s1", "s1", 1, 10);
    CTestHost host;
    CPendingChanges pending;
    CTestWindow<CAllChannelTreeCtrl> tree;
    tree.SetPendingChanges(&pending);
    ASSERT_TRUE(
        tree.Create(host, RECT{0, 0, 200, 5 * CChannelTreeCtrl::ROW_HEIGHT}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1001));
    tree.Reload();
    EXPECT_EQ(-1, tree.SelectedRow());

    tree.ExpandCatalogAt(0, true);
    ASSERT_EQ(14, tree.GetRowCount());
    EXPECT_TRUE(tree.Catalogs()[0].expanded);
    EXPECT_EQ(-1, tree.SelectedRow()) << "expanding selects nothing that was not selected";
    tree.SelectRow(12);  // u21, below the five visible rows
    EXPECT_EQ(12, tree.SelectedRow());
    EXPECT_TRUE(tree.Catalogs()[0].channels[11].selected);
    EXPECT_EQ(8, tree.GetScrollPosition()) << "the row became the last visible one";
    tree.SelectRow(2);
    EXPECT_FALSE(tree.Catalogs()[0].channels[11].selected);
    EXPECT_EQ(2, tree.GetScrollPosition());

    // Expanding another catalog collapses the first; its hidden channel's selection moves to
    // the catalog expanded.
    tree.ExpandCatalogAt(13, true);
    EXPECT_FALSE(tree.Catalogs()[0].expanded);
    EXPECT_TRUE(tree.Catalogs()[1].expanded);
    EXPECT_EQ(1, tree.SelectedRow());
    EXPECT_EQ(&tree.Catalogs()[1], tree.SelectedNode());
    tree.ExpandCatalogAt(2, true);  // a channel row: nothing happens
    EXPECT_EQ(3, tree.GetRowCount());

    tree.OpenRow(2);  // s1
    EXPECT_TRUE(tree.Catalogs()[1].channels[0].playing);
    EXPECT_EQ(&tree.Catalogs()[1].channels[0], tree.OpenedNode());
    EXPECT_EQ(1, CountHistory());
    tree.ExpandCatalogAt(1, false);
    EXPECT_EQ(2, tree.GetRowCount());
    EXPECT_EQ(&tree.Catalogs()[1].channels[0], tree.OpenedNode()) << "the opened mark outlives the collapse";
    tree.OpenRow(0);  // a catalog opens nothing
    EXPECT_EQ(1, CountHistory());
}

#include "channellist/ui/ChannelTreeNode.h"

#include <gtest/gtest.h>

#include <climits>

using UI::CCatalogNode;
using UI::CChannelNode;

namespace {
ChannelRecord Record(const std::string& server, int port, const std::string& channelId) {
    ChannelRecord record;
    record.server = server;
    record.portno = port;
    record.channelid = channelId;
    return record;
}
CChannelNode Channel(const std::string& server, int port, const std::string& channelId) {
    return CChannelNode(Record(server, port, channelId));
}
}  // namespace

TEST(ChannelNodeLink, DefaultPortsAreLeftOut) {
    EXPECT_EQ(L"trova://global/abc", Channel("global", 0, "abc").GetLink());
    EXPECT_EQ(L"trova://global/abc", Channel("global", 8081, "abc").GetLink());
    EXPECT_EQ(L"trova://global:8000/abc", Channel("global", 8000, "abc").GetLink());
}

TEST(ChannelNodeLink, MissingServerOrChannelIdGivesNoLink) {
    EXPECT_EQ(L"", Channel("", 0, "abc").GetLink());
    EXPECT_EQ(L"", Channel("global", 8000, "").GetLink());
    CCatalogNode catalog;
    EXPECT_EQ(L"", catalog.GetLink());
    EXPECT_TRUE(catalog.IsCatalog());
    EXPECT_FALSE(Channel("global", 0, "abc").IsCatalog());
}

TEST(ChannelNodeLink, Utf8TextsAreConverted) {
    ChannelRecord record = Record("global", 0, "频道1");
    record.name = "凤凰卫视";
    record.desc = "新闻";
    record.url = "http://example.com/";
    CChannelNode node(record);
    EXPECT_EQ(L"trova://global/频道1", node.GetLink());
    EXPECT_EQ(L"凤凰卫视", node.GetName());
    EXPECT_EQ(L"新闻", node.GetDescription());
    EXPECT_EQ(L"http://example.com/", node.GetHomePage());
    EXPECT_EQ(L"直播", node.GetTypeLabel());
    record.type = 1;
    EXPECT_EQ(L"点播", CChannelNode(record).GetTypeLabel());
}

TEST(CatalogNode, UnknownIsShownAsOtherWithItsCount) {
    EXPECT_EQ(L"其它", UI::CatalogDisplayName("unknown"));
    EXPECT_EQ(L"Unknown", UI::CatalogDisplayName("Unknown"));
    EXPECT_EQ(L"体育", UI::CatalogDisplayName("体育"));

    CCatalogNode catalog;
    catalog.catalog.name = "unknown";
    catalog.channelCount = 3;
    EXPECT_EQ(L"其它(3)", catalog.GetCaption());
    EXPECT_EQ(L"其它", catalog.label);  // cached on first use
}

TEST(CatalogNode, CaptionShowsTheCountEvenIfAChannelFailedToLoad) {
    CCatalogNode catalog;
    catalog.SetLabel(L"最新更新");
    catalog.channelCount = 5;
    catalog.channels.resize(4);
    EXPECT_EQ(L"最新更新(5)", catalog.GetCaption());
}

TEST(CatalogNode, CopyingCopiesFlagsAndChannels) {
    CCatalogNode catalog;
    catalog.expanded = true;
    catalog.selected = true;
    catalog.channels.push_back(Channel("global", 0, "a"));
    catalog.channels.back().playing = true;
    CCatalogNode copy = catalog;
    EXPECT_TRUE(copy.expanded);
    EXPECT_TRUE(copy.selected);
    ASSERT_EQ(1u, copy.channels.size());
    EXPECT_TRUE(copy.channels[0].playing);
    EXPECT_EQ(L"trova://global/a", copy.channels[0].GetLink());
}

TEST(VisitorPercent, TruncatesTowardZeroAndTakesZeroTotalAsOne) {
    EXPECT_EQ(0, UI::VisitorPercent(0, 3));
    EXPECT_EQ(33, UI::VisitorPercent(1, 3));
    EXPECT_EQ(66, UI::VisitorPercent(2, 3));
    EXPECT_EQ(100, UI::VisitorPercent(3, 3));
    EXPECT_EQ(700, UI::VisitorPercent(7, 0));
    EXPECT_EQ(-33, UI::VisitorPercent(-1, 3));
    EXPECT_EQ(INT_MAX, UI::VisitorPercent(INT_MAX, 1));
    EXPECT_EQ(50, UI::VisitorPercent(2000000000, 4000000000u));  // total above INT_MAX stays unsigned
}

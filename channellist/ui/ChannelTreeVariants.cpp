#include "channellist/ui/ChannelTreeVariants.h"

#include "channellist/store/ChannelDatabase.h"
#include "channellist/ui/LikeMatch.h"

#include <algorithm>
#include <utility>

namespace UI {

namespace {
CChannelNode MakeChannelNode(ChannelRecord&& record, int visitors) {
    CChannelNode node;
    node.info = std::move(record);
    node.visitors = visitors;
    return node;
}

// Each channel with its record's visitors: it shows the same share in every list.
std::vector<CChannelNode> MakeChannelNodes(std::vector<ChannelRecord>& records) {
    std::vector<CChannelNode> nodes;
    nodes.reserve(records.size());
    for (ChannelRecord& record : records) {
        const int visitors = record.visitors;
        nodes.push_back(MakeChannelNode(std::move(record), visitors));
    }
    return nodes;
}

unsigned int VisitorTotalOf(int sum) { return sum > 0 ? static_cast<unsigned int>(sum) : 0u; }
}  // namespace

// ---- all channels

bool CAllChannelTreeCtrl::Read(AllChannelsContent& out, int busyTimeoutMs) {
    AllChannelsSnapshot snapshot;
    if (!ReadAllChannels(kLatestUpdatesLimit, snapshot, busyTimeoutMs))
        return false;
    AllChannelsContent content;
    content.catalogs.reserve(snapshot.catalogs.size() + 1);
    if (!snapshot.latest.empty()) {
        CCatalogNode latest;
        latest.SetLabel(L"最新更新");
        latest.channelCount = static_cast<int>(snapshot.latest.size());
        latest.channels = MakeChannelNodes(snapshot.latest);
        content.catalogs.push_back(std::move(latest));
    }
    for (CatalogChannels& read : snapshot.catalogs) {
        CCatalogNode catalog;
        catalog.catalog = std::move(read.catalog);
        catalog.channelCount = static_cast<int>(read.channels.size());
        catalog.channels = MakeChannelNodes(read.channels);
        content.catalogs.push_back(std::move(catalog));
    }
    content.totalVisitors = VisitorTotalOf(snapshot.visitorSum);
    content.channelCount = snapshot.channelCount;
    out = std::move(content);
    return true;
}

void CAllChannelTreeCtrl::Show(AllChannelsContent content) {
    ForgetNodes();
    catalogs_ = std::move(content.catalogs);
    SetTotals(content.channelCount, content.totalVisitors);
    UpdateScrollRange();
}

void CAllChannelTreeCtrl::Reload() {
    AllChannelsContent content;
    if (Read(content))
        Show(std::move(content));
}

bool CAllChannelTreeCtrl::FindChannelName(const std::wstring& link, std::wstring& name) const {
    for (const CCatalogNode& catalog : catalogs_) {
        for (const CChannelNode& channel : catalog.channels) {
            if (channel.GetLink() == link) {
                name = channel.GetName();
                return true;
            }
        }
    }
    return false;
}

void CAllChannelTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) {
    DrawModelRows(dc, Rows().VisibleRows(firstRow, rowBudget + 1), &catalogs_, nullptr);
}
int CAllChannelTreeCtrl::GetRowCount() { return Rows().RowCount(); }
CChannelTreeNode* CAllChannelTreeCtrl::GetNodeAt(int row, int* topIndex) { return Rows().NodeAt(row, topIndex); }
bool CAllChannelTreeCtrl::IsChildRow(int row) { return Rows().IsChildRow(row); }
RowIdentity CAllChannelTreeCtrl::IdentityAt(int row) { return Rows().IdentityAt(row); }
CChannelTreeNode* CAllChannelTreeCtrl::NodeOf(const RowIdentity& identity) { return Rows().NodeOf(identity); }
int CAllChannelTreeCtrl::RowOf(const RowIdentity& identity) { return Rows().RowOf(identity); }

// ---- flat lists

bool CFlatChannelTreeCtrl::Read(bool (*read)(ChannelListSnapshot&, int), FlatListContent& out, int busyTimeoutMs) {
    ChannelListSnapshot snapshot;
    if (!read(snapshot, busyTimeoutMs))
        return false;
    out.channels = MakeChannelNodes(snapshot.channels);
    out.totalVisitors = VisitorTotalOf(snapshot.visitorSum);
    return true;
}

void CFlatChannelTreeCtrl::Show(FlatListContent content) {
    ForgetNodes();
    channels_ = std::move(content.channels);
    ShowPendingIn(channels_);
    SetTotals(static_cast<int>(channels_.size()), content.totalVisitors);
    UpdateScrollRange();
}

void CFlatChannelTreeCtrl::ShowPending() {
    const CPendingChanges* pending = PendingChanges();
    if (!pending || pending->Empty())
        return;
    ForgetNodes();
    ShowPendingIn(channels_);
    SetTotals(static_cast<int>(channels_.size()), TotalVisitors());
    UpdateScrollRange();
}

void CFlatChannelTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) {
    DrawModelRows(dc, Rows().VisibleRows(firstRow, rowBudget + 1), nullptr, &channels_);
}
int CFlatChannelTreeCtrl::GetRowCount() { return Rows().RowCount(); }
CChannelTreeNode* CFlatChannelTreeCtrl::GetNodeAt(int row, int* topIndex) { return Rows().NodeAt(row, topIndex); }
bool CFlatChannelTreeCtrl::IsChildRow(int) { return false; }
RowIdentity CFlatChannelTreeCtrl::IdentityAt(int row) { return Rows().IdentityAt(row); }
CChannelTreeNode* CFlatChannelTreeCtrl::NodeOf(const RowIdentity& identity) { return Rows().NodeOf(identity); }
int CFlatChannelTreeCtrl::RowOf(const RowIdentity& identity) { return Rows().RowOf(identity); }

// ---- history

void CHistoryTreeCtrl::Reload() {
    FlatListContent content;
    if (Read(content))
        Show(std::move(content));
    else
        ShowPending();
}

void CHistoryTreeCtrl::ShowPendingIn(std::vector<CChannelNode>& channels) {
    if (const CPendingChanges* pending = PendingChanges())
        pending->ShowInHistory(channels);
}

// ---- favourites

void CFavorTreeCtrl::Reload() {
    FlatListContent content;
    if (Read(content))
        Show(std::move(content));
    else
        ShowPending();
}

void CFavorTreeCtrl::ShowPendingIn(std::vector<CChannelNode>& channels) {
    if (const CPendingChanges* pending = PendingChanges())
        pending->ShowInFavorites(channels);
}

// ---- search

void CSearchTreeCtrl::Search(const std::wstring& keyword) {
    CLikeKey key;
    // Every match of a longer key also matches the shorter one it contains: the rows shown
    // hold all of them, in the statement's order.
    narrowed_ = narrowable_ && keyword.find(shownKeyword_) != std::wstring::npos && key.Assign(keyword);
    ForgetNodes();
    if (narrowed_) {
        channels_.erase(std::remove_if(channels_.begin(), channels_.end(),
                                       [&](const CChannelNode& node) {
                                           return !key.FoundIn(node.info.name) && !key.FoundIn(node.info.desc);
                                       }),
                        channels_.end());
        for (CChannelNode& node : channels_)
            node.expanded = node.selected = node.playing = false;
    } else {
        std::vector<ChannelRecord> records;
        // A failed query leaves the list empty, like a search without matches, and nothing
        // to narrow.
        narrowable_ = SearchChannels(keyword, records);
        channels_.clear();
        if (narrowable_) {
            channels_.reserve(records.size());
            for (ChannelRecord& record : records)
                channels_.push_back(MakeChannelNode(std::move(record), 0));
        }
    }
    shownKeyword_ = keyword;
    SetTotals(static_cast<int>(channels_.size()), TotalVisitors());
    UpdateScrollRange();
    Invalidate();
}

}  // namespace UI

#include "channellist/ui/ChannelTreeVariants.h"

#include "channellist/store/ChannelDatabase.h"

#include <algorithm>

namespace UI {

namespace {
CChannelNode MakeChannelNode(const ChannelRecord& record, int visitors) {
    CChannelNode node;
    node.info = record;
    node.visitors = visitors;
    return node;
}

unsigned int TotalVisitors() {
    const int sum = SumVisitors();
    return sum > 0 ? static_cast<unsigned int>(sum) : 0u;
}
}  // namespace

// ---- all channels

void CAllChannelTreeCtrl::Reload() {
    const int catalogCount = CountCatalogs();
    if (catalogCount <= 0)
        return;

    std::vector<CCatalogNode> catalogs;
    const int newCount = std::min(CountNewChannels(), LATEST_UPDATES_LIMIT);
    if (newCount > 0) {
        CCatalogNode latest;
        latest.SetLabel(L"最新更新");
        latest.channelCount = newCount;
        for (int i = 0; i < newCount; ++i) {
            ChannelRecord record;
            // The record's visitors, so a channel shows the same share here as in its catalog.
            if (GetNewChannelAt(i, record))
                latest.channels.push_back(MakeChannelNode(record, record.visitors));
        }
        catalogs.push_back(std::move(latest));
    }
    const unsigned int total = TotalVisitors();
    const int allChannels = CountChannels();

    for (int i = 0; i < catalogCount; ++i) {
        CCatalogNode catalog;
        if (!GetCatalogAt(i, catalog.catalog))
            continue;
        const int channelCount = CountCatalogChannels(catalog.catalog.id);
        catalog.channelCount = channelCount;
        for (int j = 0; j < channelCount; ++j) {
            ChannelRecord record;
            if (GetCatalogChannelAt(catalog.catalog.id, j, record))
                catalog.channels.push_back(MakeChannelNode(record, record.visitors));
        }
        catalogs.push_back(std::move(catalog));
    }

    ForgetNodes();
    catalogs_ = std::move(catalogs);
    totalVisitors = total;
    channelCount = allChannels;
    UpdateScrollRange();
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

bool CAllChannelTreeCtrl::Locate(int row, RowPosition& position) const {
    if (row < 0)
        return false;
    for (size_t i = 0; i < catalogs_.size(); ++i) {
        if (row == 0) {
            position = RowPosition{static_cast<int>(i), -1};
            return true;
        }
        --row;
        if (catalogs_[i].expanded) {
            const int channels = static_cast<int>(catalogs_[i].channels.size());
            if (row < channels) {
                position = RowPosition{static_cast<int>(i), row};
                return true;
            }
            row -= channels;
        }
    }
    return false;
}

void CAllChannelTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) {
    const RECT client = GetClientRect();
    int row = 0;
    int painted = 0;
    // Walks the same row model as Locate: one row per catalog, then its channels if expanded.
    auto nextRow = [&](RECT& rect, bool& underMouse) {
        if (row++ < firstRow)
            return false;
        rect = RECT{client.left, painted * ROW_HEIGHT, client.right, (painted + 1) * ROW_HEIGHT};
        underMouse = painted == HoverRow();
        ++painted;
        return true;
    };
    RECT rect{};
    bool underMouse = false;
    for (CCatalogNode& catalog : catalogs_) {
        if (painted > rowBudget)
            return;
        if (nextRow(rect, underMouse))
            DrawCatalogRow(dc, rect, underMouse, catalog);
        if (!catalog.expanded)
            continue;
        for (CChannelNode& channel : catalog.channels) {
            if (painted > rowBudget)
                return;
            if (nextRow(rect, underMouse))
                DrawChannelRow(dc, rect, underMouse, channel);
        }
    }
}

int CAllChannelTreeCtrl::GetRowCount() {
    int rows = 0;
    for (const CCatalogNode& catalog : catalogs_)
        rows += 1 + (catalog.expanded ? static_cast<int>(catalog.channels.size()) : 0);
    return rows;
}

CChannelTreeNode* CAllChannelTreeCtrl::GetNodeAt(int row, int* topIndex) {
    RowPosition position;
    if (!Locate(row, position))
        return nullptr;
    CCatalogNode& catalog = catalogs_[static_cast<size_t>(position.catalog)];
    if (position.channel < 0) {
        if (topIndex)
            *topIndex = position.catalog;
        return &catalog;
    }
    return &catalog.channels[static_cast<size_t>(position.channel)];
}

bool CAllChannelTreeCtrl::IsChildRow(int row) {
    RowPosition position;
    return Locate(row, position) && position.channel >= 0;
}

// ---- history

void CHistoryTreeCtrl::Reload() {
    std::vector<CChannelNode> channels;
    const int count = CountHistory();
    for (int i = 0; i < count; ++i) {
        ChannelRecord record;
        if (GetHistoryChannelAt(i, record))
            channels.push_back(MakeChannelNode(record, record.visitors));
    }
    const unsigned int total = TotalVisitors();

    ForgetNodes();
    channels_ = std::move(channels);
    channelCount = count > 0 ? count : 0;
    // The same denominator as the all-channels list, so both show a channel's share alike.
    totalVisitors = total;
    UpdateScrollRange();
}

void CHistoryTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) { DrawFlatRows(dc, firstRow, rowBudget, channels_); }
int CHistoryTreeCtrl::GetRowCount() { return static_cast<int>(channels_.size()); }
CChannelTreeNode* CHistoryTreeCtrl::GetNodeAt(int row, int* topIndex) { return FlatNodeAt(channels_, row, topIndex); }
bool CHistoryTreeCtrl::IsChildRow(int) { return false; }

// ---- search

void CSearchTreeCtrl::Search(const std::wstring& keyword) {
    std::vector<ChannelRecord> records;
    std::vector<CChannelNode> channels;
    // A failed query leaves the list empty, like a search without matches.
    if (SearchChannels(keyword, records)) {
        channels.reserve(records.size());
        for (const ChannelRecord& record : records)
            channels.push_back(MakeChannelNode(record, 0));
    }
    ForgetNodes();
    channels_ = std::move(channels);
    channelCount = static_cast<int>(channels_.size());
    UpdateScrollRange();
    Invalidate();
}

void CSearchTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) { DrawFlatRows(dc, firstRow, rowBudget, channels_); }
int CSearchTreeCtrl::GetRowCount() { return static_cast<int>(channels_.size()); }
CChannelTreeNode* CSearchTreeCtrl::GetNodeAt(int row, int* topIndex) { return FlatNodeAt(channels_, row, topIndex); }
bool CSearchTreeCtrl::IsChildRow(int) { return false; }

}  // namespace UI

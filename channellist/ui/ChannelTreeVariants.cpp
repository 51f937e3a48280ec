#include "channellist/ui/ChannelTreeVariants.h"

#include <utility>

namespace UI {

namespace {
// Each channel with its record's visitors: it shows the same share in every list.
std::vector<CChannelNode> MakeChannelNodes(std::vector<ChannelRecord>& records) {
    std::vector<CChannelNode> nodes;
    nodes.reserve(records.size());
    for (ChannelRecord& record : records) {
        const int visitors = record.visitors;
        nodes.emplace_back(std::move(record), visitors);
    }
    return nodes;
}

// Nodes that show records of a catalogue, which the list keeps.
std::vector<CChannelNode> MakeBorrowingNodes(const std::vector<const ChannelRecord*>& records, bool withVisitors) {
    std::vector<CChannelNode> nodes;
    nodes.reserve(records.size());
    for (const ChannelRecord* record : records)
        nodes.push_back(CChannelNode::Borrowing(*record, withVisitors ? record->visitors : 0));
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
        catalog.channels = MakeBorrowingNodes(read.channels, true);
        content.catalogs.push_back(std::move(catalog));
    }
    content.catalogue = std::move(snapshot.catalogue);
    content.totalVisitors = VisitorTotalOf(snapshot.visitorSum);
    content.channelCount = snapshot.channelCount;
    out = std::move(content);
    return true;
}
void CAllChannelTreeCtrl::Show(AllChannelsContent content) {
    ForgetNodes();
    catalogs_ = std::move(content.catalogs);
    catalogue_ = std::move(content.catalogue);
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

// ---- flat lists

bool CFlatChannelTreeCtrl::Read(ListRead read, FlatListContent& out, int busyTimeoutMs) {
    ChannelListSnapshot snapshot;
    if (!read(snapshot, busyTimeoutMs))
        return false;
    out.channels = MakeChannelNodes(snapshot.channels);
    return true;
}

void CFlatChannelTreeCtrl::Show(FlatListContent content) {
    ForgetNodes();
    channels_ = std::move(content.channels);
    owners_.clear();  // the rows own their records
    ShowPendingIn(channels_);
    SetTotals(static_cast<int>(channels_.size()), TotalVisitors());
    UpdateScrollRange();
}

void CFlatChannelTreeCtrl::SetVisitorTotal(unsigned int total) { SetTotals(ChannelCount(), total); }

// ---- history and favourites

void CStoredChannelTreeCtrl::Reload() {
    FlatListContent content;
    if (Read(read_, content, 0)) {
        Show(std::move(content));
        return;
    }
    const CPendingChanges* pending = PendingChanges();
    if (!pending || pending->Empty())
        return;
    ForgetNodes();
    ShowPendingIn(channels_);
    SetTotals(static_cast<int>(channels_.size()), TotalVisitors());
    UpdateScrollRange();
}

void CStoredChannelTreeCtrl::ShowPendingIn(std::vector<CChannelNode>& channels) {
    if (const CPendingChanges* pending = PendingChanges())
        (pending->*pendingView_)(channels);
}

// ---- search

void CSearchTreeCtrl::Search(const std::wstring& keyword) {
    keyword_ = keyword;
    ++generation_;
    scanner_.Cancel();
    scanning_ = false;
    CatalogueScanRequest request;
    request.generation = generation_;
    const bool whole = request.key.Assign(keyword);
    const ChannelCatalogue catalogue = catalogueOutdated_ ? nullptr : catalogue_;
    size_t records = 0;  // what the search has to look through
    // Every match of a longer key also matches the shorter one it contains: the rows shown
    // hold all of them, in the statement's order.
    if (whole && narrowable_ && keyword.find(shownKeyword_) != std::wstring::npos) {
        request.narrow = true;
        request.candidates.reserve(channels_.size());
        for (const CChannelNode& node : channels_)
            request.candidates.push_back(&node.Info());
        request.candidateOwners = owners_;
        records = request.candidates.size();
    } else if (whole && catalogue) {
        request.catalogue = catalogue;
        records = catalogue->size();
    } else {
        request.statement = true;
        request.keyword = keyword;
        // The statement reads the whole table. Before there is a catalogue it is the only
        // source and answers at once, as the lists did before they had one.
        records = catalogue_ ? catalogue_->size() : 0;
    }
    if (records > inlineScanLimit_) {
        scanning_ = scanner_.Start(m_hWnd, WM_SEARCH_SCANNED, std::move(request));
        if (scanning_)
            return;  // the rows shown stay until the new ones are there
    }
    CatalogueScanResult result;
    RunScan(request, result, [] { return false; });
    ShowResult(std::move(result));
}

void CSearchTreeCtrl::Clear() {
    keyword_.clear();
    ++generation_;
    scanner_.Cancel();
    scanning_ = false;
    ForgetNodes();
    channels_.clear();
    channels_.shrink_to_fit();
    owners_.clear();
    narrowable_ = false;
    shownKeyword_.clear();
    SetTotals(0, TotalVisitors());
    UpdateScrollRange();
    Invalidate();
}

void CSearchTreeCtrl::SetCatalogue(ChannelCatalogue catalogue) {
    catalogue_ = std::move(catalogue);
    catalogueOutdated_ = false;
    narrowable_ = false;
    if (!keyword_.empty())
        Search(keyword_);
}

LRESULT CSearchTreeCtrl::OnScanned(UINT, WPARAM generation, LPARAM, BOOL&) {
    CatalogueScanResult result;
    if (!scanning_ || static_cast<unsigned int>(generation) != generation_ || !scanner_.Take(generation_, result))
        return 0;
    scanning_ = false;
    ShowResult(std::move(result));
    return 0;
}

void CSearchTreeCtrl::ShowResult(CatalogueScanResult result) {
    ForgetNodes();
    channels_ = MakeBorrowingNodes(result.matches, false);
    owners_ = std::move(result.owners);
    narrowable_ = result.narrowable;
    shownKeyword_ = keyword_;
    SetTotals(static_cast<int>(channels_.size()), TotalVisitors());
    UpdateScrollRange();
    Invalidate();
    if (IChannelTreeCtrlEventListener* listener = Listener())
        listener->OnSearchResultsShown();
}

}  // namespace UI

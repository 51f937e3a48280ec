#pragma once
// The four channel lists: all channels by catalog, history, favourites and search results.
#include "channellist/store/ListReads.h"
#include "channellist/ui/CatalogueScan.h"
#include "channellist/ui/ChannelTreeCtrl.h"

#include <string>
#include <vector>

namespace UI {

// Posted by the search worker to the search list when the newest keyword's rows are ready.
constexpr UINT WM_SEARCH_SCANNED = WM_USER + 402;

// The all-channels list's rows and totals, read in one piece, and the catalogue whose records
// its rows show.
struct AllChannelsContent {
    std::vector<CCatalogNode> catalogs;
    ChannelCatalogue catalogue;  // keeps the rows' records
    unsigned int totalVisitors = 0;
    int channelCount = 0;
};

// A flat list's rows, read in one piece.
struct FlatListContent {
    std::vector<CChannelNode> channels;
};

// One of the store's whole-list reads.
using ListRead = bool (*)(ChannelListSnapshot&, int busyTimeoutMs);

// Catalogs, each expandable into its channels, led by the group of latest updates.
class CAllChannelTreeCtrl : public CChannelTreeCtrl {
public:
    static constexpr int kLatestUpdatesLimit = 20;

    CAllChannelTreeCtrl() : CChannelTreeCtrl(catalogRows_) {}

    // Reads the rows from the database, on any thread (touches no window). False when nothing
    // could be read, no catalog included: the list then keeps what it shows. busyTimeoutMs as
    // for the store's whole-list reads: the window thread never waits.
    static bool Read(AllChannelsContent& out, int busyTimeoutMs = 0);
    // Shows rows that Read gave: selection, expansion and the opened mark start afresh.
    void Show(AllChannelsContent content);
    // Read and Show; keeps the old rows when nothing could be read.
    void Reload();
    // Name of the first channel, in display order, whose link equals link exactly.
    bool FindChannelName(const std::wstring& link, std::wstring& name) const;

    const std::vector<CCatalogNode>& Catalogs() const { return catalogs_; }

private:
    std::vector<CCatalogNode> catalogs_;
    ChannelCatalogue catalogue_;  // keeps the channel rows' records
    CCatalogRowModel catalogRows_{catalogs_};
};

// A list of channels without catalogs, row i showing channel i.
class CFlatChannelTreeCtrl : public CChannelTreeCtrl {
public:
    CFlatChannelTreeCtrl() : CChannelTreeCtrl(flatRows_) {}

    // Reads a list through one of the whole-list reads, on any thread; false when nothing
    // could be read.
    static bool Read(ListRead read, FlatListContent& out, int busyTimeoutMs);
    // Shows rows that Read gave, forgetting selection, expansion and the opened mark; the
    // history and the favourites show the user's changes still to be written over them.
    void Show(FlatListContent content);
    // Each channel shows its share of all visitors, a total that changes only with a
    // synchronisation: the list keeps it across its reloads.
    void SetVisitorTotal(unsigned int total);

    const std::vector<CChannelNode>& Channels() const { return channels_; }

protected:
    // For a list whose rows another model reads, over channels_.
    explicit CFlatChannelTreeCtrl(const IChannelRowModel& rows) : CChannelTreeCtrl(rows) {}

    // The owner's pending changes that concern this list, over rows read before them.
    virtual void ShowPendingIn(std::vector<CChannelNode>&) {}

    std::vector<CChannelNode> channels_;
    RecordOwners owners_;  // keep the records that rows borrow

private:
    CFlatRowModel flatRows_{channels_};
};

// A flat list the database keeps and the user changes: it reads one of the whole-list reads and
// shows the owner's pending changes over the rows.
class CStoredChannelTreeCtrl : public CFlatChannelTreeCtrl {
public:
    using PendingView = void (CPendingChanges::*)(std::vector<CChannelNode>&) const;

    // Read and Show; when nothing could be read the old rows stay, with the changes still to
    // be written over them.
    void Reload();

protected:
    CStoredChannelTreeCtrl(ListRead read, PendingView pendingView) : read_(read), pendingView_(pendingView) {}

    void ShowPendingIn(std::vector<CChannelNode>& channels) override;

private:
    ListRead read_;
    PendingView pendingView_;
};

// Channels most recently opened first; channels opened whose history is not written yet come
// first.
class CHistoryTreeCtrl : public CStoredChannelTreeCtrl {
public:
    static constexpr ListRead kRead = &ReadHistoryList;

    CHistoryTreeCtrl() : CStoredChannelTreeCtrl(kRead, &CPendingChanges::ShowInHistory) {}
    static bool Read(FlatListContent& out, int busyTimeoutMs = 0) {
        return CFlatChannelTreeCtrl::Read(kRead, out, busyTimeoutMs);
    }
};

// Favourite channels, most recently added first; favourites chosen and not written yet come
// first, those removed are gone.
class CFavorTreeCtrl : public CStoredChannelTreeCtrl {
public:
    static constexpr ListRead kRead = &ReadFavoriteList;

    CFavorTreeCtrl() : CStoredChannelTreeCtrl(kRead, &CPendingChanges::ShowInFavorites) {}
    static bool Read(FlatListContent& out, int busyTimeoutMs = 0) {
        return CFlatChannelTreeCtrl::Read(kRead, out, busyTimeoutMs);
    }
};

// Channels whose name or description matches a keyword, in the search statement's order.
class CSearchTreeCtrl : public CFlatChannelTreeCtrl {
public:
    // A scan of up to this many records takes well under a frame and runs at once; a longer
    // one runs on the search worker while the list keeps showing the rows before it.
    static constexpr size_t kInlineScanLimit = 4096;

    BEGIN_MSG_MAP(CSearchTreeCtrl)
        MESSAGE_HANDLER(WM_SEARCH_SCANNED, OnScanned)
        CHAIN_MSG_MAP(CFlatChannelTreeCtrl)
    END_MSG_MAP()

    // The rows of a keyword. With a catalogue they are found in it; a keyword that contains
    // the whole-text keyword shown before only filters the rows shown. Without a current
    // catalogue, and for keywords with LIKE wildcards or a broken character, the search
    // statement finds them (on the worker when the table is as large as a long scan). The listener hears
    // OnSearchResultsShown when the rows are shown.
    void Search(const std::wstring& keyword);
    // No keyword: no rows, and no search running.
    void Clear();
    // The catalogue that later keywords are answered from; the keyword shown or searched is
    // searched again in it.
    void SetCatalogue(ChannelCatalogue catalogue);
    // The stored channels changed: until the next catalogue comes, keywords go to the
    // statement, and the rows shown are not filtered any more.
    void ForgetResults() {
        narrowable_ = false;
        catalogueOutdated_ = true;
    }
    // The newest keyword's rows are still being searched for.
    bool Searching() const { return scanning_; }
    // Tests send every scan of more records than this to the worker.
    void SetInlineScanLimitForTesting(size_t records) { inlineScanLimit_ = records; }

private:
    LRESULT OnScanned(UINT message, WPARAM generation, LPARAM, BOOL& handled);
    // Shows the rows of the newest keyword.
    void ShowResult(CatalogueScanResult result);

    CCatalogueScanner scanner_;
    size_t inlineScanLimit_ = kInlineScanLimit;
    ChannelCatalogue catalogue_;
    bool catalogueOutdated_ = false;  // the stored channels changed since it was read
    std::wstring keyword_;            // the newest keyword, empty after Clear
    unsigned int generation_ = 0;     // of the newest keyword
    bool scanning_ = false;
    bool narrowable_ = false;    // the rows shown are the complete result of a whole-text keyword
    std::wstring shownKeyword_;  // the keyword whose rows are shown
};

}  // namespace UI

#pragma once
// The four channel lists: all channels by catalog, history, favourites and search results.
#include "channellist/store/ListReads.h"
#include "channellist/ui/ChannelTreeCtrl.h"

#include <string>
#include <vector>

namespace UI {

// The all-channels list's rows and totals, read in one piece.
struct AllChannelsContent {
    std::vector<CCatalogNode> catalogs;
    unsigned int totalVisitors = 0;
    int channelCount = 0;
};

// A flat list's rows and the percentage column's denominator, read in one piece.
struct FlatListContent {
    std::vector<CChannelNode> channels;
    unsigned int totalVisitors = 0;
};

// Catalogs, each expandable into its channels, led by the group of latest updates.
class CAllChannelTreeCtrl : public CChannelTreeCtrl {
public:
    static constexpr int kLatestUpdatesLimit = 20;

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

    void DrawRows(HDC dc, int firstRow, int rowBudget) override;
    int GetRowCount() override;
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override;
    bool IsChildRow(int row) override;
    RowIdentity IdentityAt(int row) override;
    CChannelTreeNode* NodeOf(const RowIdentity& identity) override;
    int RowOf(const RowIdentity& identity) override;

private:
    CCatalogRowModel Rows() { return CCatalogRowModel(catalogs_); }

    std::vector<CCatalogNode> catalogs_;
};

// A list of channels without catalogs, row i showing channel i.
class CFlatChannelTreeCtrl : public CChannelTreeCtrl {
public:
    // Reads a list through one of the whole-list reads, on any thread; false when nothing
    // could be read. Each channel shows its share of all visitors.
    static bool Read(bool (*read)(ChannelListSnapshot&, int), FlatListContent& out, int busyTimeoutMs);
    // Shows rows that Read gave, forgetting selection, expansion and the opened mark; the
    // history and the favourites show the user's changes still to be written over them.
    void Show(FlatListContent content);

    const std::vector<CChannelNode>& Channels() const { return channels_; }

    void DrawRows(HDC dc, int firstRow, int rowBudget) override;
    int GetRowCount() override;
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override;
    bool IsChildRow(int row) override;
    RowIdentity IdentityAt(int row) override;
    CChannelTreeNode* NodeOf(const RowIdentity& identity) override;
    int RowOf(const RowIdentity& identity) override;

protected:
    CFlatRowModel Rows() { return CFlatRowModel(channels_); }
    // The owner's pending changes that concern this list, over rows read before them.
    virtual void ShowPendingIn(std::vector<CChannelNode>&) {}
    // When nothing could be read: the rows shown stay, with the pending changes (if any) over
    // them.
    void ShowPending();

    std::vector<CChannelNode> channels_;
};

// Channels most recently opened first.
class CHistoryTreeCtrl : public CFlatChannelTreeCtrl {
public:
    static bool Read(FlatListContent& out, int busyTimeoutMs = 0) {
        return CFlatChannelTreeCtrl::Read(&ReadHistoryList, out, busyTimeoutMs);
    }
    // Read and Show; when nothing could be read the old rows stay, with the changes still to
    // be written over them.
    void Reload();

protected:
    // Channels opened whose history is not written yet come first.
    void ShowPendingIn(std::vector<CChannelNode>& channels) override;
};

// Favourite channels, most recently added first.
class CFavorTreeCtrl : public CFlatChannelTreeCtrl {
public:
    static bool Read(FlatListContent& out, int busyTimeoutMs = 0) {
        return CFlatChannelTreeCtrl::Read(&ReadFavoriteList, out, busyTimeoutMs);
    }
    // Read and Show; when nothing could be read the old rows stay, with the changes still to
    // be written over them.
    void Reload();

protected:
    // Favourites chosen and not written yet come first; those removed are gone.
    void ShowPendingIn(std::vector<CChannelNode>& channels) override;
};

// Channels whose name or description matches a keyword.
class CSearchTreeCtrl : public CFlatChannelTreeCtrl {
public:
    // A keyword that contains the one shown before, without wildcards, narrows the shown
    // channels in memory; any other asks the database.
    void Search(const std::wstring& keyword);
    // The stored channels changed: the next keyword asks the database again.
    void ForgetResults() { narrowable_ = false; }
    // Whether the last Search narrowed the list before it instead of asking the database.
    bool Narrowed() const { return narrowed_; }

private:
    std::wstring shownKeyword_;  // the keyword whose complete result the list shows
    bool narrowable_ = false;
    bool narrowed_ = false;
};

}  // namespace UI

#pragma once
// The four channel lists: all channels by catalog, history, favourites and search results.
#include "channellist/ui/ChannelTreeCtrl.h"

#include <string>
#include <vector>

namespace UI {

// Catalogs, each expandable into its channels, led by the group of latest updates.
class CAllChannelTreeCtrl : public CChannelTreeCtrl {
public:
    static constexpr int LATEST_UPDATES_LIMIT = 20;

    // Rebuilds all rows from the database; keeps the old rows when no catalog can be read.
    void Reload();
    // Name of the first channel, in display order, whose link equals link exactly.
    bool FindChannelName(const std::wstring& link, std::wstring& name) const;

    const std::vector<CCatalogNode>& Catalogs() const { return catalogs_; }

    void DrawRows(HDC dc, int firstRow, int rowBudget) override;
    int GetRowCount() override;
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override;
    bool IsChildRow(int row) override;

private:
    // Where a row index falls: a catalog row (channel == -1) or a channel of an expanded one.
    struct RowPosition {
        int catalog = -1;
        int channel = -1;
    };
    bool Locate(int row, RowPosition& position) const;

    std::vector<CCatalogNode> catalogs_;
};

// Channels most recently opened first.
class CHistoryTreeCtrl : public CChannelTreeCtrl {
public:
    void Reload();
    const std::vector<CChannelNode>& Channels() const { return channels_; }

    void DrawRows(HDC dc, int firstRow, int rowBudget) override;
    int GetRowCount() override;
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override;
    bool IsChildRow(int row) override;

private:
    std::vector<CChannelNode> channels_;
};

// Favourites are not kept yet: always empty.
class CFavorTreeCtrl : public CChannelTreeCtrl {
public:
    void DrawRows(HDC dc, int firstRow, int rowBudget) override {}
    int GetRowCount() override { return 0; }
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override { return nullptr; }
    bool IsChildRow(int row) override { return false; }
};

// Channels whose name or description matches a keyword.
class CSearchTreeCtrl : public CChannelTreeCtrl {
public:
    void Search(const std::wstring& keyword);
    const std::vector<CChannelNode>& Channels() const { return channels_; }

    void DrawRows(HDC dc, int firstRow, int rowBudget) override;
    int GetRowCount() override;
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) override;
    bool IsChildRow(int row) override;

private:
    std::vector<CChannelNode> channels_;
};

}  // namespace UI

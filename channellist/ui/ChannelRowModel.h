#pragma once
// Row models of the channel lists: which node each row index shows, and the identity by which a
// list remembers a row across clicks, repaints and reloads of its node vectors.
#include "channellist/ui/ChannelTreeNode.h"

#include <vector>

namespace UI {

// A catalog row is known by its catalog's id (0 for the group of latest updates); a channel row
// by its channel record's id together with the id of the catalog group it is shown in, since
// a new channel appears both among the latest updates and in its own catalog. Flat lists show
// each channel once and use group 0.
struct RowIdentity {
    enum Kind : int { kNone, kCatalog, kChannel };
    Kind kind = kNone;
    int catalogId = 0;
    int channelId = 0;

    static RowIdentity Catalog(int catalogId) { return RowIdentity{kCatalog, catalogId, 0}; }
    static RowIdentity Channel(int catalogId, int channelId) { return RowIdentity{kChannel, catalogId, channelId}; }
    explicit operator bool() const { return kind != kNone; }
    bool operator==(const RowIdentity& other) const {
        return kind == other.kind && catalogId == other.catalogId && channelId == other.channelId;
    }
    bool operator!=(const RowIdentity& other) const { return !(*this == other); }
};

// Where a row index falls: a catalog row (channel -1) or a channel of an expanded catalog.
// In a flat list, catalog is -1 and channel is the row.
struct RowPosition {
    int catalog = -1;
    int channel = -1;
    bool IsCatalog() const { return channel < 0; }
};

// Catalogs, each row followed by its channels' rows when it is expanded. Answers for the
// vector as it is at the moment of the call: expanding a catalog changes the rows at once.
class CCatalogRowModel {
public:
    explicit CCatalogRowModel(std::vector<CCatalogNode>& catalogs) : catalogs_(catalogs) {}

    int RowCount() const;
    bool Locate(int row, RowPosition& position) const;
    // topIndex receives the catalog index of a catalog row and is left alone for a channel.
    CChannelTreeNode* NodeAt(int row, int* topIndex) const;
    bool IsChildRow(int row) const;
    // Positions of the rows firstRow .. firstRow + count - 1 that exist, in display order.
    std::vector<RowPosition> VisibleRows(int firstRow, int count) const;

    RowIdentity IdentityAt(int row) const;
    // The node an identity names, shown or not; null when the vector holds no such row.
    CChannelTreeNode* NodeOf(const RowIdentity& identity) const;
    // Row index of the identity's row, or -1 when it is not shown (no such node, or a channel
    // of a collapsed catalog).
    int RowOf(const RowIdentity& identity) const;

private:
    int CatalogIndexOf(int catalogId) const;

    std::vector<CCatalogNode>& catalogs_;
};

// A flat list: row i is channel i.
class CFlatRowModel {
public:
    explicit CFlatRowModel(std::vector<CChannelNode>& channels) : channels_(channels) {}

    int RowCount() const { return static_cast<int>(channels_.size()); }
    // topIndex receives the row.
    CChannelTreeNode* NodeAt(int row, int* topIndex) const;
    std::vector<RowPosition> VisibleRows(int firstRow, int count) const;
    RowIdentity IdentityAt(int row) const;
    CChannelTreeNode* NodeOf(const RowIdentity& identity) const;
    int RowOf(const RowIdentity& identity) const;

private:
    std::vector<CChannelNode>& channels_;
};

}  // namespace UI

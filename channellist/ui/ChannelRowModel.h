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

// Where a row index of catalogs falls: a catalog row (channel -1) or a channel of an expanded
// catalog.
struct RowPosition {
    int catalog = -1;
    int channel = -1;
    bool IsCatalog() const { return channel < 0; }
};

// The rows a list shows, as the list asks for them on every paint, click and key. Answers for
// the nodes as they are at the moment of the call: expanding a catalog changes the rows at once.
class IChannelRowModel {
public:
    virtual int RowCount() const = 0;
    // Node at a row index, or null outside the model. topIndex receives the catalog index of a
    // catalog row or the row index of a flat list; it is left alone for a channel in a catalog.
    virtual CChannelTreeNode* NodeAt(int row, int* topIndex) const = 0;
    // A channel row beneath an expanded catalog's row; a flat list has none.
    virtual bool IsChildRow(int) const { return false; }
    // Catalog rows with channel rows beneath them, rather than a flat list.
    virtual bool IsOutline() const { return false; }
    // Nodes of the rows firstRow .. firstRow + count - 1 that exist, in display order.
    virtual std::vector<CChannelTreeNode*> VisibleRows(int firstRow, int count) const = 0;

    // Identities of rows: a list remembers its selected, expanded and opened rows by them,
    // never by pointers into node vectors that a reload replaces.
    virtual RowIdentity IdentityAt(int row) const = 0;
    // The node an identity names, shown or not; null when there is none.
    virtual CChannelTreeNode* NodeOf(const RowIdentity& identity) const = 0;
    // Row index of the identity's row; -1 when it is not shown.
    virtual int RowOf(const RowIdentity& identity) const = 0;

protected:
    ~IChannelRowModel() = default;
};

// Catalogs, each row followed by its channels' rows when it is expanded.
class CCatalogRowModel final : public IChannelRowModel {
public:
    explicit CCatalogRowModel(std::vector<CCatalogNode>& catalogs) : catalogs_(catalogs) {}

    int RowCount() const override;
    CChannelTreeNode* NodeAt(int row, int* topIndex) const override;
    bool IsChildRow(int row) const override;
    bool IsOutline() const override { return true; }
    std::vector<CChannelTreeNode*> VisibleRows(int firstRow, int count) const override;
    RowIdentity IdentityAt(int row) const override;
    // A channel of a collapsed catalog is found too, but has no row.
    CChannelTreeNode* NodeOf(const RowIdentity& identity) const override;
    int RowOf(const RowIdentity& identity) const override;

private:
    bool Locate(int row, RowPosition& position) const;
    int CatalogIndexOf(int catalogId) const;

    std::vector<CCatalogNode>& catalogs_;
};

// A flat list: row i is channel i.
class CFlatRowModel final : public IChannelRowModel {
public:
    explicit CFlatRowModel(std::vector<CChannelNode>& channels) : channels_(channels) {}

    int RowCount() const override { return static_cast<int>(channels_.size()); }
    CChannelTreeNode* NodeAt(int row, int* topIndex) const override;
    std::vector<CChannelTreeNode*> VisibleRows(int firstRow, int count) const override;
    RowIdentity IdentityAt(int row) const override;
    CChannelTreeNode* NodeOf(const RowIdentity& identity) const override;
    int RowOf(const RowIdentity& identity) const override;

private:
    std::vector<CChannelNode>& channels_;
};

}  // namespace UI

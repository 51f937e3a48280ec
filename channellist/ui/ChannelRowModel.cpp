#include "channellist/ui/ChannelRowModel.h"

namespace UI {

namespace {
int Size(const std::vector<CChannelNode>& channels) { return static_cast<int>(channels.size()); }
}  // namespace

// ---- catalogs

int CCatalogRowModel::RowCount() const {
    int rows = 0;
    for (const CCatalogNode& catalog : catalogs_)
        rows += 1 + (catalog.expanded ? Size(catalog.channels) : 0);
    return rows;
}

bool CCatalogRowModel::Locate(int row, RowPosition& position) const {
    if (row < 0)
        return false;
    for (size_t i = 0; i < catalogs_.size(); ++i) {
        if (row == 0) {
            position = RowPosition{static_cast<int>(i), -1};
            return true;
        }
        --row;
        if (catalogs_[i].expanded) {
            const int channels = Size(catalogs_[i].channels);
            if (row < channels) {
                position = RowPosition{static_cast<int>(i), row};
                return true;
            }
            row -= channels;
        }
    }
    return false;
}

CChannelTreeNode* CCatalogRowModel::NodeAt(int row, int* topIndex) const {
    RowPosition position;
    if (!Locate(row, position))
        return nullptr;
    CCatalogNode& catalog = catalogs_[static_cast<size_t>(position.catalog)];
    if (position.IsCatalog()) {
        if (topIndex)
            *topIndex = position.catalog;
        return &catalog;
    }
    return &catalog.channels[static_cast<size_t>(position.channel)];
}

bool CCatalogRowModel::IsChildRow(int row) const {
    RowPosition position;
    return Locate(row, position) && !position.IsCatalog();
}

std::vector<CChannelTreeNode*> CCatalogRowModel::VisibleRows(int firstRow, int count) const {
    std::vector<CChannelTreeNode*> rows;
    RowPosition position;
    if (count <= 0 || !Locate(firstRow < 0 ? 0 : firstRow, position))
        return rows;
    // From the first visible row on, walk catalogs and the channels of expanded ones.
    for (size_t i = static_cast<size_t>(position.catalog); i < catalogs_.size(); ++i) {
        CCatalogNode& catalog = catalogs_[i];
        int channel = -1;
        if (static_cast<int>(i) == position.catalog)
            channel = position.channel;
        if (channel < 0) {
            rows.push_back(&catalog);
            if (static_cast<int>(rows.size()) == count)
                return rows;
            channel = 0;
        }
        if (!catalog.expanded)
            continue;
        for (; channel < Size(catalog.channels); ++channel) {
            rows.push_back(&catalog.channels[static_cast<size_t>(channel)]);
            if (static_cast<int>(rows.size()) == count)
                return rows;
        }
    }
    return rows;
}

RowIdentity CCatalogRowModel::IdentityAt(int row) const {
    RowPosition position;
    if (!Locate(row, position))
        return RowIdentity();
    const CCatalogNode& catalog = catalogs_[static_cast<size_t>(position.catalog)];
    if (position.IsCatalog())
        return RowIdentity::Catalog(catalog.catalog.id);
    return RowIdentity::Channel(catalog.catalog.id, catalog.channels[static_cast<size_t>(position.channel)].Info().id);
}

int CCatalogRowModel::CatalogIndexOf(int catalogId) const {
    for (size_t i = 0; i < catalogs_.size(); ++i)
        if (catalogs_[i].catalog.id == catalogId)
            return static_cast<int>(i);
    return -1;
}

CChannelTreeNode* CCatalogRowModel::NodeOf(const RowIdentity& identity) const {
    if (!identity)
        return nullptr;
    const int index = CatalogIndexOf(identity.catalogId);
    if (index < 0)
        return nullptr;
    CCatalogNode& catalog = catalogs_[static_cast<size_t>(index)];
    if (identity.kind == RowIdentity::kCatalog)
        return &catalog;
    for (CChannelNode& channel : catalog.channels)
        if (channel.Info().id == identity.channelId)
            return &channel;
    return nullptr;
}

int CCatalogRowModel::RowOf(const RowIdentity& identity) const {
    if (!identity)
        return -1;
    int row = 0;
    for (const CCatalogNode& catalog : catalogs_) {
        const bool expanded = catalog.expanded;
        if (catalog.catalog.id == identity.catalogId) {
            if (identity.kind == RowIdentity::kCatalog)
                return row;
            if (!expanded)
                return -1;
            for (int j = 0; j < Size(catalog.channels); ++j)
                if (catalog.channels[static_cast<size_t>(j)].Info().id == identity.channelId)
                    return row + 1 + j;
            return -1;
        }
        row += 1 + (expanded ? Size(catalog.channels) : 0);
    }
    return -1;
}

// ---- flat lists

CChannelTreeNode* CFlatRowModel::NodeAt(int row, int* topIndex) const {
    if (row < 0 || row >= RowCount())
        return nullptr;
    if (topIndex)
        *topIndex = row;
    return &channels_[static_cast<size_t>(row)];
}

std::vector<CChannelTreeNode*> CFlatRowModel::VisibleRows(int firstRow, int count) const {
    std::vector<CChannelTreeNode*> rows;
    for (int row = firstRow < 0 ? 0 : firstRow; row < RowCount() && static_cast<int>(rows.size()) < count; ++row)
        rows.push_back(&channels_[static_cast<size_t>(row)]);
    return rows;
}

RowIdentity CFlatRowModel::IdentityAt(int row) const {
    if (row < 0 || row >= RowCount())
        return RowIdentity();
    return RowIdentity::Channel(0, channels_[static_cast<size_t>(row)].Info().id);
}

CChannelTreeNode* CFlatRowModel::NodeOf(const RowIdentity& identity) const {
    const int row = RowOf(identity);
    return row < 0 ? nullptr : &channels_[static_cast<size_t>(row)];
}

int CFlatRowModel::RowOf(const RowIdentity& identity) const {
    if (identity.kind != RowIdentity::kChannel || identity.catalogId != 0)
        return -1;
    for (int row = 0; row < RowCount(); ++row)
        if (channels_[static_cast<size_t>(row)].Info().id == identity.channelId)
            return row;
    return -1;
}

}  // namespace UI

#pragma once
// Rows of the channel lists: catalogs, which group channels, and channels. Nodes are plain
// values rebuilt from the channel database on every reload; they never write back.
#include "channellist/store/Records.h"

#include <memory>
#include <string>
#include <vector>

namespace UI {

// Stored texts are UTF-8; everything shown is UTF-16.
std::wstring WideFromUtf8(const std::string& text);

// "unknown" is the catalog of channels without one; it is shown as "其它" (other).
std::wstring CatalogDisplayName(const std::string& name);

// Share of all visitors shown in the percentage column, truncated toward zero.
// A total of 0 counts as 1.
int VisitorPercent(int visitors, unsigned int totalVisitors);

class CChannelTreeNode {
public:
    bool expanded = false;  // a catalog shows its channels
    bool selected = false;  // the row was the last one clicked
    bool playing = false;   // the channel was the last one opened

    // The channel's link, or empty when the row cannot be opened.
    virtual std::wstring GetLink() const = 0;
    virtual bool IsCatalog() const { return false; }

protected:
    // Nodes live by value in vectors of their concrete type; never deleted through the base.
    CChannelTreeNode() = default;
    CChannelTreeNode(const CChannelTreeNode&) = default;
    CChannelTreeNode& operator=(const CChannelTreeNode&) = default;
    ~CChannelTreeNode() = default;
};

class CChannelNode : public CChannelTreeNode {
public:
    int visitors = 0;  // numerator of the percentage column

    // A node of an empty record.
    CChannelNode() = default;
    // A node of its own copy of the record.
    explicit CChannelNode(ChannelRecord record, int visitors = 0);
    // A node that shows a record of a catalogue, which the list that holds the node keeps
    // alive: the records of a catalogue are shared by every list that shows them, and a node
    // costs no reference count (whose one counter every thread would contend for).
    static CChannelNode Borrowing(const ChannelRecord& record, int visitors = 0);

    const ChannelRecord& Info() const { return record_ ? *record_ : Empty(); }

    // "trova://" server [":" port] "/" channel id; empty without server or channel id.
    // Port 0 and the default 8081 are left out.
    std::wstring GetLink() const override;
    bool IsCatalog() const override { return false; }

    std::wstring GetName() const { return WideFromUtf8(Info().name); }
    std::wstring GetDescription() const { return WideFromUtf8(Info().desc); }
    std::wstring GetHomePage() const { return WideFromUtf8(Info().url); }
    std::wstring GetServer() const { return WideFromUtf8(Info().server); }
    std::wstring GetChannelId() const { return WideFromUtf8(Info().channelid); }
    std::wstring GetTypeLabel() const;  // "点播" (on demand) for type 1, "直播" (live) otherwise

private:
    static const ChannelRecord& Empty();

    const ChannelRecord* record_ = nullptr;       // null for an empty record
    std::shared_ptr<const ChannelRecord> owned_;  // the node's own copy, if it has one
};

class CCatalogNode : public CChannelTreeNode {
public:
    std::wstring label;       // computed from catalog.name when first asked for
    CatalogRecord catalog;    // id 0 and no name for the latest-updates group
    std::vector<CChannelNode> channels;
    int channelCount = 0;     // shown after the label, even if some channels failed to load

    std::wstring GetLink() const override { return std::wstring(); }
    bool IsCatalog() const override { return true; }

    const std::wstring& GetLabel();
    void SetLabel(const std::wstring& text) { label = text; }
    std::wstring GetCaption();  // label followed by the count in brackets: 其它(3)
};

}  // namespace UI

#include "channellist/ui/ChannelTreeNode.h"

#include <windows.h>

#include <climits>

namespace UI {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring CatalogDisplayName(const std::string& name) {
    if (name == "unknown")
        return L"其它";
    return WideFromUtf8(name);
}

int VisitorPercent(int visitors, unsigned int totalVisitors) {
    const double total = totalVisitors == 0 ? 1.0 : static_cast<double>(totalVisitors);
    const double percent = static_cast<double>(visitors) / total * 100.0;
    // Visitor counts can exceed the stored total (stale sums): keep the conversion defined.
    if (percent >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (percent <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(percent);
}

CChannelNode::CChannelNode(ChannelRecord record, int visitors)
    : visitors(visitors), owned_(std::make_shared<const ChannelRecord>(std::move(record))) {
    record_ = owned_.get();
}

CChannelNode CChannelNode::Borrowing(const ChannelRecord& record, int visitors) {
    CChannelNode node;
    node.visitors = visitors;
    node.record_ = &record;
    return node;
}

const ChannelRecord& CChannelNode::Empty() {
    static const ChannelRecord kEmpty;
    return kEmpty;
}

std::wstring CChannelNode::GetLink() const {
    std::wstring link = L"trova://";
    const std::wstring server = GetServer();
    if (server.empty())
        return std::wstring();
    link += server;
    if (Info().portno != 0 && Info().portno != 8081)
        link += L":" + std::to_wstring(Info().portno);
    const std::wstring channelId = GetChannelId();
    if (channelId.empty())
        return std::wstring();
    link += L"/" + channelId;
    return link;
}

std::wstring CChannelNode::GetTypeLabel() const { return Info().type == 1 ? L"点播" : L"直播"; }

const std::wstring& CCatalogNode::GetLabel() {
    if (label.empty())
        label = CatalogDisplayName(catalog.name);
    return label;
}

std::wstring CCatalogNode::GetCaption() {
    return GetLabel() + L"(" + std::to_wstring(channelCount) + L")";
}

}  // namespace UI

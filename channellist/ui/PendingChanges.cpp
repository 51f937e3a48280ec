#include "channellist/ui/PendingChanges.h"

#include <algorithm>
#include <iterator>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ListReads.h"
#include "framework/win/Trace.h"

namespace UI {

namespace {

// Favourites are known by name and channel id, history rows by the channel's row id.
bool SameFavorite(const ChannelRecord& a, const ChannelRecord& b) {
    return a.name == b.name && a.channelid == b.channelid;
}

CChannelNode NodeOf(const ChannelRecord& channel) { return CChannelNode(channel, channel.visitors); }

}  // namespace

bool CPendingChanges::WriteChange(const Change& change) {
    switch (change.kind) {
    case Kind::kOpened: return TouchHistory(change.channel.id);
    case Kind::kAddFavorite: return AddFavorite(change.channel);
    case Kind::kRemoveFavorite: return RemoveFavorite(change.channel);
    }
    return false;
}

void CPendingChanges::OpenedChannel(const ChannelRecord& channel) { Apply(Change{Kind::kOpened, channel}); }

void CPendingChanges::ChoseFavorite(const ChannelRecord& channel, bool favorite) {
    Apply(Change{favorite ? Kind::kAddFavorite : Kind::kRemoveFavorite, channel});
}

void CPendingChanges::Apply(Change change) {
    if (changes_.empty() && WriteChange(change))
        return;
    const bool opened = change.kind == Kind::kOpened;
    // The newest change for a row is the one that counts.
    changes_.erase(std::remove_if(changes_.begin(), changes_.end(),
                                  [&](const Change& kept) {
                                      const bool keptOpened = kept.kind == Kind::kOpened;
                                      if (keptOpened != opened) return false;
                                      return opened ? kept.channel.id == change.channel.id
                                                    : SameFavorite(kept.channel, change.channel);
                                  }),
                   changes_.end());
    changes_.push_back(std::move(change));
}

CPendingChanges::Written CPendingChanges::Write() {
    Written written;
    auto change = changes_.begin();
    for (; change != changes_.end() && WriteChange(*change); ++change) {
        if (change->kind == Kind::kOpened)
            written.history = true;
        else
            written.favorites = true;
    }
    changes_.erase(changes_.begin(), change);
    return written;
}

bool CPendingChanges::IsFavorite(const ChannelRecord& channel) const {
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        if (change->kind != Kind::kOpened && SameFavorite(change->channel, channel))
            return change->kind == Kind::kAddFavorite;
    }
    return ::IsFavorite(channel);
}

void CPendingChanges::ShowInHistory(std::vector<CChannelNode>& channels) const {
    for (const Change& change : changes_) {
        if (change.kind != Kind::kOpened) continue;
        // Opened again: the row moves to the top, as its newer time puts it.
        const auto found = std::find_if(channels.begin(), channels.end(),
                                        [&](const CChannelNode& node) { return node.Info().id == change.channel.id; });
        if (found == channels.end())
            channels.insert(channels.begin(), NodeOf(change.channel));
        else
            std::rotate(channels.begin(), found, std::next(found));
    }
}

void CPendingChanges::ShowInFavorites(std::vector<CChannelNode>& channels) const {
    for (const Change& change : changes_) {
        if (change.kind == Kind::kOpened) continue;
        const auto same = [&](const CChannelNode& node) { return SameFavorite(node.Info(), change.channel); };
        const bool shown = std::any_of(channels.begin(), channels.end(), same);
        // A favourite added again keeps its place; a new one comes first.
        if (change.kind == Kind::kAddFavorite && !shown)
            channels.insert(channels.begin(), NodeOf(change.channel));
        else if (change.kind == Kind::kRemoveFavorite)
            channels.erase(std::remove_if(channels.begin(), channels.end(), same), channels.end());
    }
}

void CPendingChanges::TraceKept() const {
    for (const Change& change : changes_) {
        TraceFailure(L"Channel lists", change.kind == Kind::kOpened ? "an opened channel's history was not written"
                                                                    : "a favourite change was not written");
    }
}

}  // namespace UI

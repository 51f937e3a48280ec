#include "channellist/ui/PendingFavorites.h"

#include <windows.h>

#include <algorithm>

#include "channellist/store/ListReads.h"
#include "framework/win/Trace.h"

namespace UI {

namespace {

bool SameChannel(const ChannelRecord& a, const ChannelRecord& b) {
    return a.name == b.name && a.channelid == b.channelid;
}

}  // namespace

bool CPendingFavorites::Write(const Change& change) {
    return change.add ? AddFavorite(change.channel) : RemoveFavorite(change.channel);
}

bool CPendingFavorites::Apply(const ChannelRecord& channel, bool add, unsigned int nowTick) {
    // The newest choice for a channel is the one that counts.
    changes_.erase(std::remove_if(changes_.begin(), changes_.end(),
                                  [&](const Change& kept) { return SameChannel(kept.channel, channel); }),
                   changes_.end());
    Change change{channel, add, nowTick};
    if (Write(change)) return true;
    changes_.push_back(std::move(change));
    return false;
}

int CPendingFavorites::Retry(unsigned int nowTick) {
    int written = 0;
    // In the order the user made them.
    auto kept = changes_.begin();
    for (auto change = changes_.begin(); change != changes_.end(); ++change) {
        if (Write(*change)) {
            ++written;
        } else if (nowTick - change->firstTick > kGiveUpMs) {
            TraceFailure(L"Favourites", "a change could not be written and was given up");
        } else {
            if (kept != change) *kept = std::move(*change);
            ++kept;
        }
    }
    changes_.erase(kept, changes_.end());
    return written;
}

bool CPendingFavorites::IsFavorite(const ChannelRecord& channel) const {
    for (const Change& change : changes_)
        if (SameChannel(change.channel, channel)) return change.add;
    return ::IsFavorite(channel);
}

}  // namespace UI

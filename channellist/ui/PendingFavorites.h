#pragma once
// Favourite changes that could not be written yet. The synchronisation holds the database for
// writing for a few seconds after start-up with a big catalogue; a change the user makes then
// is kept and written again a moment later instead of being lost.
#include "channellist/store/Records.h"

#include <vector>

namespace UI {

class CPendingFavorites {
public:
    // How long a change is tried again before it is given up (a broken database).
    static constexpr unsigned int kGiveUpMs = 120000;

    // Writes the change now; one that fails is kept (replacing an older one for the same
    // channel) and true is returned only when it was written.
    bool Apply(const ChannelRecord& channel, bool add, unsigned int nowTick);
    // Writes the kept changes again; returns how many were written now. Changes older than
    // kGiveUpMs are dropped.
    int Retry(unsigned int nowTick);
    bool Empty() const { return changes_.empty(); }
    // Whether the channel is, or is about to be, a favourite: a kept change decides.
    bool IsFavorite(const ChannelRecord& channel) const;

private:
    struct Change {
        ChannelRecord channel;
        bool add;
        unsigned int firstTick;
    };
    static bool Write(const Change& change);
    std::vector<Change> changes_;
};

}  // namespace UI

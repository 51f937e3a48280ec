#pragma once
// The user's history and favourite changes until the database takes them. The synchronisation
// holds the database for writing for seconds after start-up with a big catalogue; a change
// made then is kept, shown in every list at once and written as soon as the database is free.
// One set per control, shared by its lists, so that the last choice for a channel counts
// whichever list it was made in.
#include "channellist/store/Records.h"
#include "channellist/ui/ChannelTreeNode.h"

#include <vector>

namespace UI {

class CPendingChanges {
public:
    // Which lists the database changed for.
    struct Written {
        bool history = false;
        bool favorites = false;
    };

    // The user opened the channel now. Written at once unless changes are kept already: those
    // go first, on the owner's next Write.
    void OpenedChannel(const ChannelRecord& channel);
    // The user made the channel a favourite, or no longer one; written like an opening.
    void ChoseFavorite(const ChannelRecord& channel, bool favorite);
    // Writes the kept changes in the order they were made, up to the first the database
    // refuses; the rest stay kept.
    Written Write();
    bool Empty() const { return changes_.empty(); }

    // Whether the channel is, or is about to be, a favourite: a kept choice decides.
    bool IsFavorite(const ChannelRecord& channel) const;
    // Rows read from the history or the favourites, as they are once the kept changes are
    // written: opened channels on top, chosen favourites on top, removed ones gone.
    void ShowInHistory(std::vector<CChannelNode>& channels) const;
    void ShowInFavorites(std::vector<CChannelNode>& channels) const;
    // One line in the debugger output for each change still kept: the owner goes without them.
    void TraceKept() const;

private:
    enum class Kind { kOpened, kAddFavorite, kRemoveFavorite };
    struct Change {
        Kind kind;
        ChannelRecord channel;
    };
    static bool WriteChange(const Change& change);
    // Writes the change, or keeps it after the others in place of an older one for the same
    // row.
    void Apply(Change change);

    std::vector<Change> changes_;
};

}  // namespace UI

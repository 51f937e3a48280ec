#pragma once
#include "channellist/store/EngineInterface.h"

#include <functional>

// Merges the engine's current channel list into the channel database in one
// transaction: adds new catalogs and channels, refreshes known ones, hides the
// channels no longer listed and ages out hidden channels, empty catalogs and old
// history. True when the merge was committed or the engine listed no channel;
// false when the engine was unavailable or a database step failed (then the
// database is left as it was). Runs on the caller's thread; never throws.
bool SyncChannelList();

// Same, with the engine entry point given by the caller.
bool SyncChannelList(GetClassObjectFn getClassObject);

// Same; `committed` runs on the caller's thread as soon as the merge is committed, before the
// rest of the clean-up, so that whoever keeps rows read before the merge can stop using them.
bool SyncChannelList(GetClassObjectFn getClassObject, const std::function<void()>& committed);

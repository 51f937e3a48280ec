#pragma once
// An in-process engine for the synchronisation tests: serves a given channel list
// through the engine function table and records every call it receives.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "channellist/store/ChannelSync.h"
#include "channellist/store/EngineInterface.h"
#include "channellist/store/tests/SyncTestSupport.h"

struct FakeChannel {
    std::string name, channelId, description, homePage, catalog;
    int type = 0, viewers = 0, bitrate = 0;
};

FakeChannel MakeChannel(const std::string& name, const std::string& catalog, int viewers = 10);

class FakeEngine {
public:
    FakeEngine();  // becomes the engine behind FakeGetClassObject
    ~FakeEngine();
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    // Behaviour.
    bool provideTable = true;
    bool fillCloseSlot = true;
    bool openSucceeds = true;
    bool reportCount = false;  // report `count` instead of the list's size
    int count = 0;
    std::set<int> failingIndices;
    std::vector<FakeChannel> channels;
    // Replaces the filling of the record for every delivered index.
    std::function<void(EngineChannelInfo&, int index)> fillRecord;
    // Runs before a record is delivered (e.g. to touch the database meanwhile).
    std::function<void(int index)> beforeChannel;

    // Observations.
    std::vector<std::string> calls;
    bool tableZeroed = false;  // every byte but interface_version was 0
    int interfaceVersion = 0;
    bool recordsZeroed = true;  // every record arrived zeroed
    int CallCount(const std::string& name) const;
};

// Entry point that hands out the table of the live FakeEngine.
int ENGINE_CALL FakeGetClassObject(EngineClassObject* object);

// A test that synchronises the fake engine's channels into a private data folder.
class SyncFixture : public ::testing::Test {
protected:
    bool Sync(std::vector<FakeChannel> channels) {
        engine_.channels = std::move(channels);
        return SyncChannelList(&FakeGetClassObject);
    }

    ScopedDataFolder folder_;
    FakeEngine engine_;
};

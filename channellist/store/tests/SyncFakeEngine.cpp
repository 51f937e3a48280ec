#include "channellist/store/tests/SyncFakeEngine.h"

#include <algorithm>
#include <cstring>

namespace {

FakeEngine* g_current = nullptr;

void Copy(char* slot, std::size_t size, const std::string& text) {
    std::memcpy(slot, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

struct FakeEngineCalls {
    static FakeEngine& Of(EngineContext context) { return *static_cast<FakeEngine*>(context); }

    static int ENGINE_CALL GetChannel(EngineContext context, EngineChannelInfo* info, int index) {
        FakeEngine& engine = Of(context);
        engine.calls.push_back("get_channel " + std::to_string(index));
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(info);
        if (std::any_of(bytes, bytes + sizeof(*info), [](unsigned char b) { return b != 0; }))
            engine.recordsZeroed = false;
        if (engine.beforeChannel) engine.beforeChannel(index);
        if (engine.failingIndices.count(index)) return 0;
        if (engine.fillRecord) {
            engine.fillRecord(*info, index);
            return 1;
        }
        if (index < 0 || index >= static_cast<int>(engine.channels.size())) return 0;
        const FakeChannel& channel = engine.channels[index];
        Copy(info->name, sizeof(info->name), channel.name);
        Copy(info->channel_id, sizeof(info->channel_id), channel.channelId);
        Copy(info->description, sizeof(info->description), channel.description);
        Copy(info->home_page, sizeof(info->home_page), channel.homePage);
        Copy(info->catalog, sizeof(info->catalog), channel.catalog);
        info->type = channel.type;
        info->viewers = channel.viewers;
        info->bitrate = channel.bitrate;
        return 1;
    }

    static int ENGINE_CALL GetCount(EngineContext context) {
        FakeEngine& engine = Of(context);
        engine.calls.push_back("get_count");
        return engine.reportCount ? engine.count : static_cast<int>(engine.channels.size());
    }

    static int ENGINE_CALL Open(EngineContext context) {
        FakeEngine& engine = Of(context);
        engine.calls.push_back("open");
        return engine.openSucceeds ? 1 : 0;
    }

    static void ENGINE_CALL Close(EngineContext context) { Of(context).calls.push_back("close"); }
};

FakeChannel MakeChannel(const std::string& name, const std::string& catalog, int viewers) {
    FakeChannel channel;
    channel.name = name;
    channel.channelId = "id-" + name;
    channel.description = name + " description";
    channel.homePage = "http://example.test/" + name;
    channel.catalog = catalog;
    channel.type = 1;
    channel.viewers = viewers;
    channel.bitrate = 400;
    return channel;
}

FakeEngine::FakeEngine() { g_current = this; }
FakeEngine::~FakeEngine() { g_current = nullptr; }

int FakeEngine::CallCount(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

int ENGINE_CALL FakeGetClassObject(EngineClassObject* object) {
    FakeEngine& engine = *g_current;
    engine.calls.push_back("GetClassObject");
    engine.interfaceVersion = object->interface_version;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(object);
    engine.tableZeroed = std::all_of(bytes + 4, bytes + sizeof(*object), [](unsigned char b) { return b == 0; });
    if (!engine.provideTable) return 0;
    object->context = &engine;
    object->get_channel = &FakeEngineCalls::GetChannel;
    object->get_count = &FakeEngineCalls::GetCount;
    object->open = &FakeEngineCalls::Open;
    object->close = engine.fillCloseSlot ? &FakeEngineCalls::Close : nullptr;
    return 1;
}

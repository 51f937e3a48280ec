#pragma once
// Shared by the benchmark programs: a clock, and a generated catalogue served to the
// synchronisation by an in-process engine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "channellist/store/EngineInterface.h"

namespace Bench {

const int kCatalogs = 100;

// Seconds from the performance counter.
inline double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// The middle value (-1 for none): the machine is shared, and one run may be slowed by others.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Median of `runs` calls of `work`, in seconds.
inline double TimeRuns(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    return Median(times);
}

struct GeneratedChannel {
    char name[64], channelId[32], description[128], homePage[64], catalog[32];
    int type, viewers, bitrate;
};

inline void Generate(int index, GeneratedChannel& out) {
    std::snprintf(out.name, sizeof(out.name), u8"频道 %06d", index);
    std::snprintf(out.channelId, sizeof(out.channelId), "%08x%08x", index * 2654435761u, index);
    std::snprintf(out.description, sizeof(out.description), u8"第 %d 号频道的节目介绍，全天播出精彩内容。", index);
    std::snprintf(out.homePage, sizeof(out.homePage), "http://www.trova.tv/channel/%d.html", index);
    std::snprintf(out.catalog, sizeof(out.catalog), u8"目录 %02d", index % kCatalogs);
    out.type = index % 3 == 0 ? 1 : 0;
    out.viewers = index * 37 % 20000;
    out.bitrate = 256 + index % 8 * 64;
}

// Channels the generated engine reports.
inline int g_channelCount = 0;

inline int ENGINE_CALL GeneratedGetChannel(EngineContext, EngineChannelInfo* info, int index) {
    GeneratedChannel channel;
    Generate(index, channel);
    std::strcpy(info->name, channel.name);
    std::strcpy(info->channel_id, channel.channelId);
    std::strcpy(info->description, channel.description);
    std::strcpy(info->home_page, channel.homePage);
    std::strcpy(info->catalog, channel.catalog);
    info->type = channel.type;
    info->viewers = channel.viewers;
    info->bitrate = channel.bitrate;
    return 1;
}
inline int ENGINE_CALL GeneratedGetCount(EngineContext) { return g_channelCount; }
inline int ENGINE_CALL GeneratedOpen(EngineContext) { return 1; }
inline void ENGINE_CALL GeneratedClose(EngineContext) {}

inline int ENGINE_CALL GeneratedGetClassObject(EngineClassObject* object) {
    object->get_channel = &GeneratedGetChannel;
    object->get_count = &GeneratedGetCount;
    object->open = &GeneratedOpen;
    object->close = &GeneratedClose;
    return 1;
}

}  // namespace Bench

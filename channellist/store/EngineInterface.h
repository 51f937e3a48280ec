#pragma once
// Binary interface of the peer-to-peer engine library TRCore: the function table
// filled by GetClassObject and the fixed-size channel record. Shared by the engine
// and its caller, so both sides agree on every byte.

#include <cstddef>
#include <cstdint>

#if defined(_MSC_VER) || defined(__MINGW32__)
#define ENGINE_CALL __cdecl
#else
#define ENGINE_CALL
#endif

#ifdef TRCORE_BUILD
#define TRCORE_API __declspec(dllexport)
#else
#define TRCORE_API __declspec(dllimport)
#endif

// Engine-defined handle passed back as the first argument of every call.
typedef void* EngineContext;

// One channel as the engine reports it. Texts are UTF-8, NUL-terminated when they
// are shorter than their slot; a caller must not rely on the terminator.
struct EngineChannelInfo {
    char name[128];
    char channel_id[64];
    char description[1024];
    char home_page[128];
    char catalog[128];  // empty: the channel belongs to no catalog
    std::int32_t type;  // 1 = on demand, anything else = live
    std::int32_t viewers;
    std::int32_t bitrate;  // kbit/s
};

typedef int(ENGINE_CALL* EngineGetChannelFn)(EngineContext context, EngineChannelInfo* info, int index);
typedef int(ENGINE_CALL* EngineGetCountFn)(EngineContext context);
typedef int(ENGINE_CALL* EngineOpenFn)(EngineContext context);
typedef void(ENGINE_CALL* EngineCloseFn)(EngineContext context);

// Zeroed by the caller, interface_version set to 1, filled by GetClassObject.
// Words not named here belong to the engine and are never touched by the caller.
struct EngineClassObject {
    std::int32_t interface_version;
    EngineContext context;
    std::uint32_t reserved_8;
    EngineGetChannelFn get_channel;
    std::uint32_t reserved_16[3];
    EngineGetCountFn get_count;
    std::uint32_t reserved_32[5];
    EngineOpenFn open;
    EngineCloseFn close;
    std::uint32_t reserved_60[2];
};

const std::int32_t kEngineInterfaceVersion = 1;

typedef int(ENGINE_CALL* GetClassObjectFn)(EngineClassObject* object);

extern "C" TRCORE_API int ENGINE_CALL GetClassObject(EngineClassObject* object);

static_assert(sizeof(EngineChannelInfo) == 1484, "engine channel record is 1484 bytes");
static_assert(offsetof(EngineChannelInfo, name) == 0, "name slot");
static_assert(sizeof(EngineChannelInfo::name) == 128, "name slot size");
static_assert(offsetof(EngineChannelInfo, channel_id) == 128, "channel identifier slot");
static_assert(sizeof(EngineChannelInfo::channel_id) == 64, "channel identifier slot size");
static_assert(offsetof(EngineChannelInfo, description) == 192, "description slot");
static_assert(sizeof(EngineChannelInfo::description) == 1024, "description slot size");
static_assert(offsetof(EngineChannelInfo, home_page) == 1216, "home page slot");
static_assert(sizeof(EngineChannelInfo::home_page) == 128, "home page slot size");
static_assert(offsetof(EngineChannelInfo, catalog) == 1344, "catalog slot");
static_assert(sizeof(EngineChannelInfo::catalog) == 128, "catalog slot size");
static_assert(offsetof(EngineChannelInfo, type) == 1472, "type slot");
static_assert(offsetof(EngineChannelInfo, viewers) == 1476, "viewers slot");
static_assert(offsetof(EngineChannelInfo, bitrate) == 1480, "bit rate slot");
static_assert(sizeof(std::int32_t) == 4, "32-bit integers");

#ifndef _WIN64
// The engine is a 32-bit library: its table is laid out in 32-bit words. A 64-bit build (used
// for testing on 64-bit-only machines, with the engine substitute built from this header) keeps
// the same fields in the same order at its natural alignment.
static_assert(sizeof(EngineClassObject) == 68, "engine function table is 68 bytes");
static_assert(offsetof(EngineClassObject, interface_version) == 0, "interface_version");
static_assert(offsetof(EngineClassObject, context) == 4, "context");
static_assert(offsetof(EngineClassObject, get_channel) == 12, "get_channel");
static_assert(offsetof(EngineClassObject, get_count) == 28, "get_count");
static_assert(offsetof(EngineClassObject, open) == 52, "open");
static_assert(offsetof(EngineClassObject, close) == 56, "close");
static_assert(sizeof(EngineContext) == 4 && sizeof(EngineOpenFn) == 4, "32-bit engine interface");
#endif

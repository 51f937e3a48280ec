// Substitute for the peer-to-peer engine: serves a channel catalogue through the
// engine interface, with failure modes chosen by environment variables (see
// substitutes/README.md).

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "channellist/store/EngineInterface.h"
#include "substitutes/trcore/Catalogue.h"

namespace {

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

// A switch is on when set to anything but empty or "0".
bool SwitchOn(const wchar_t* name) {
    const std::wstring value = Environment(name);
    return !value.empty() && value != L"0";
}

void DelayCall() {
    const std::wstring value = Environment(L"TRCORE_DELAY_MS");
    if (value.empty())
        return;
    const long delay = std::wcstol(value.c_str(), nullptr, 10);
    if (delay > 0)
        Sleep(static_cast<DWORD>(delay));
}

std::set<int> ParseIndexList(const std::wstring& list) {
    std::set<int> indices;
    const wchar_t* p = list.c_str();
    while (*p) {
        wchar_t* end = nullptr;
        const long index = std::wcstol(p, &end, 10);
        if (end == p) {
            ++p;  // skip separators and stray characters
            continue;
        }
        if (index >= 0)
            indices.insert(static_cast<int>(index));
        p = end;
    }
    return indices;
}

// Copies text into a fixed slot. Over-long text is cut at a character boundary
// so that the terminator fits, unless full slots are requested (then the slot is
// filled to its last byte without a terminator).
void CopyToSlot(char* slot, std::size_t size, const std::string& text, bool fillSlots) {
    std::size_t length = text.size();
    if (fillSlots && length >= size) {
        std::memcpy(slot, text.data(), size);
        return;
    }
    if (length > size - 1) {
        length = size - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(slot, text.data(), length);
    slot[length] = '\0';
}

// The engine's state between open and the matching close; opens nest.
class Engine {
public:
    bool Open() {
        std::lock_guard<std::mutex> hold(lock_);
        if (openCount_ == 0 && !Load())
            return false;
        ++openCount_;
        return true;
    }

    void Close() {
        std::lock_guard<std::mutex> hold(lock_);
        if (openCount_ == 0)
            return;
        if (--openCount_ == 0) {
            std::vector<CatalogueChannel>().swap(channels_);
            failing_.clear();
        }
    }

    int Count() {
        std::lock_guard<std::mutex> hold(lock_);
        return openCount_ ? static_cast<int>(channels_.size()) : 0;
    }

    bool GetChannel(EngineChannelInfo* info, int index) {
        std::lock_guard<std::mutex> hold(lock_);
        if (!info || openCount_ == 0 || index < 0 || index >= static_cast<int>(channels_.size()))
            return false;
        if (failing_.count(index))
            return false;
        const CatalogueChannel& channel = channels_[index];
        CopyToSlot(info->name, sizeof(info->name), channel.name, fillSlots_);
        CopyToSlot(info->channel_id, sizeof(info->channel_id), channel.channel_id, fillSlots_);
        CopyToSlot(info->description, sizeof(info->description), channel.description, fillSlots_);
        CopyToSlot(info->home_page, sizeof(info->home_page), channel.home_page, fillSlots_);
        CopyToSlot(info->catalog, sizeof(info->catalog), channel.catalog, fillSlots_);
        info->type = channel.type;
        info->viewers = channel.viewers;
        info->bitrate = channel.bitrate;
        return true;
    }

private:
    // Settings are read at each first open, so a test can change them between runs.
    bool Load() {
        if (SwitchOn(L"TRCORE_FAIL_OPEN"))
            return false;
        const std::wstring file = Environment(L"TRCORE_CATALOGUE");
        if (file.empty())
            channels_ = BuiltinCatalogue();
        else if (!LoadCatalogueFile(file, channels_))
            return false;
        failing_ = ParseIndexList(Environment(L"TRCORE_FAIL_CHANNELS"));
        fillSlots_ = SwitchOn(L"TRCORE_FILL_SLOTS");
        return true;
    }

    std::mutex lock_;
    int openCount_ = 0;
    std::vector<CatalogueChannel> channels_;
    std::set<int> failing_;
    bool fillSlots_ = false;
};

Engine g_engine;

Engine* FromContext(EngineContext context) {
    return context == static_cast<EngineContext>(&g_engine) ? &g_engine : nullptr;
}

int ENGINE_CALL EngineGetChannel(EngineContext context, EngineChannelInfo* info, int index) {
    DelayCall();
    Engine* engine = FromContext(context);
    return engine && engine->GetChannel(info, index) ? 1 : 0;
}

int ENGINE_CALL EngineGetCount(EngineContext context) {
    DelayCall();
    Engine* engine = FromContext(context);
    return engine ? engine->Count() : 0;
}

int ENGINE_CALL EngineOpen(EngineContext context) {
    DelayCall();
    Engine* engine = FromContext(context);
    return engine && engine->Open() ? 1 : 0;
}

void ENGINE_CALL EngineClose(EngineContext context) {
    DelayCall();
    if (Engine* engine = FromContext(context))
        engine->Close();
}

}  // namespace

extern "C" int ENGINE_CALL GetClassObject(EngineClassObject* object) {
    DelayCall();
    if (!object || object->interface_version != kEngineInterfaceVersion)
        return 0;
    if (SwitchOn(L"TRCORE_FAIL_GETCLASSOBJECT"))
        return 0;
    object->context = &g_engine;
    object->get_channel = &EngineGetChannel;
    object->get_count = &EngineGetCount;
    object->open = &EngineOpen;
    object->close = &EngineClose;
    return 1;
}

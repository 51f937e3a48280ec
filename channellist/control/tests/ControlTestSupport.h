#pragma once
// Shared pieces of the channel-list control tests: the shipped TrovaCL.dll, a private per-user
// folder for the whole test process, a stub container that records what the control asks of
// it, an event sink, and message pumping.

#include "channellist/control/TrovaCLIds.h"
#include "framework/com/tests/ComStubs.h"

#include <ocidl.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

constexpr UINT kChannelListSynced = WM_USER + 400;
constexpr UINT kChannelListLoaded = WM_USER + 401;

// Windows path of a file in the shipped folder (TROVA_DIST_DIR).
std::wstring DistFile(const wchar_t* name);

// The per-user application-data folder of this process, redirected into a fresh temporary
// folder before any test runs: the control resolves its data folder itself (through the
// shell), so this keeps its "cinfo.db" private to the test program.
class CPrivateAppData {
public:
    static const std::wstring& Folder();  // ends in a backslash
    static std::wstring DatabasePath();   // ...\Vantel\data\cinfo.db
    // Deletes the database the control writes (between tests).
    static void DeleteDatabase();
};

// TrovaCL.dll from the shipped folder, loaded for the whole run.
class CTrovaCLDll : public CServerDll {
public:
    static CTrovaCLDll& Instance();

private:
    CTrovaCLDll();
};

// Dispatches messages of this thread until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Dispatches what is queued now.
void PumpPending();

// A container for one control: a hidden top-level window and the stub site, which records the
// calls the control makes on it, in order ("CanInPlaceActivate,OnInPlaceActivate,...").
class CStubContainer final : public CStubSite {
public:
    CStubContainer(int width, int height);
    ~CStubContainer() override;

    HWND Window() const { return window_; }

    // The container's side of creating a control that wants its site first: GetMiscStatus,
    // SetClientSite, InitNew, in-place activation over the whole client area.
    HRESULT Activate(IUnknown* control);
    // Close, drop the site and release: what a container does when it is done.
    void Deactivate();
    // Lets go of the control without closing it.
    void Abandon() { control_.Reset(); }
    IOleObject* Control() const { return control_.Get(); }
    HWND ControlWindow() const;
    HWND Child(int id) const { return GetDlgItem(ControlWindow(), id); }
    // Moves the control (as a container does when its window is resized).
    HRESULT Resize(int width, int height);
    // Pumps until the control posted and handled its synchronisation message; false when none
    // came in time.
    bool WaitForSync(DWORD timeoutMs = 20000);
    // Pumps messages until the control has shown the lists its thread read at start-up.
    bool WaitForLoad(DWORD timeoutMs = 20000);

private:
    bool WaitForControlMessage(UINT message, DWORD timeoutMs);

    ComPtr<IOleObject> control_;
};

// Sink of _DTrovaCLEvents: records each OnChannelOpen link, and runs `onEvent` (if set) while
// the event is being fired.
class CChannelOpenSink final : public CStubEventSink {
public:
    CChannelOpenSink() : CStubEventSink(TrovaCLIds::kEventsId) {}
    std::vector<std::wstring> links;
    std::vector<DISPID> ids;
    std::function<void()> onEvent;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
};

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

// Window text of a child (the headers carry their displayed text, "caption(count)").
std::wstring WindowText(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// Calls GetChannelName through IDispatch::Invoke as the player does: returns Invoke's result;
// status receives the method's result, name the out parameter (preset to `preset`).
HRESULT CallGetChannelName(IUnknown* control, const wchar_t* server, ULONG port, const wchar_t* channelId,
                           ULONG& status, CScopedBstr& name);

// Engine switches of the substitute TRCore.dll, set for the life of the object.
class CEngineEnvironment {
public:
    CEngineEnvironment(const wchar_t* name, const std::wstring& value);
    ~CEngineEnvironment();

private:
    std::wstring name_;
};

// A catalogue file for the substitute engine, served while the object lives.
class CTestCatalogue {
public:
    // lines: "name\tid\tdesc\thome\tcatalog\ttype\tviewers\tbitrate"
    explicit CTestCatalogue(const std::vector<std::string>& lines);
    ~CTestCatalogue();

private:
    std::wstring path_;
    CEngineEnvironment* switch_ = nullptr;
};

#pragma once
// Shared pieces of the channel-list control tests: the shipped TrovaCL.dll, a private per-user
// folder for the whole test process, a stub container that records what the control asks of
// it, an event sink, and message pumping.

#include "channellist/control/TrovaCLIds.h"
#include "framework/com/ComUtil.h"

#include <ocidl.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

constexpr UINT kChannelListSynced = WM_USER + 400;
constexpr UINT kChannelListLoaded = WM_USER + 401;

// Child window ids of the control.
enum ControlChildId : int {
    kAllTree = 1001,
    kAllHeader = 1002,
    kHistoryHeader = 1003,
    kHistoryTree = 1004,
    kFavorHeader = 1005,
    kFavorTree = 1006,
    kSearchHeader = 1007,
    kSearchTree = 1008,
    kSearchPanel = 1009,
};

// Windows path of a file in the shipped folder (TROVA_DIST_DIR).
std::wstring DistFile(const wchar_t* name);

// The per-user application-data folder of this process, redirected into a fresh temporary
// folder before any test runs: the control resolves its data folder itself (through the
// shell), so this keeps its "cinfo.db" private to the test program.
class CPrivateAppData {
public:
    static const std::wstring& Folder();          // ends in a backslash
    static std::wstring DatabasePath();           // ...\Vantel\data\cinfo.db
    // Deletes the database the control writes (between tests).
    static void DeleteDatabase();
};

// TrovaCL.dll from the shipped folder, loaded for the whole run.
class CTrovaCLDll {
public:
    static CTrovaCLDll& Instance();
    HMODULE Module() const { return module_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
    HRESULT CanUnloadNow() const;
    HRESULT Register() const;
    HRESULT Unregister() const;

private:
    CTrovaCLDll();
    HMODULE module_ = nullptr;
};

// Current reference count of an object, without changing it.
ULONG RefCount(IUnknown* object);

// Dispatches messages of this thread until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Dispatches what is queued now.
void PumpPending();

// A container for one control: a hidden top-level window and a client site that records the
// calls the control makes on it, in order ("CanInPlaceActivate,OnInPlaceActivate,...").
class CStubContainer final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    CStubContainer(int width, int height);
    ~CStubContainer();

    HWND Window() const { return window_; }
    std::vector<std::string> calls;
    std::string Calls() const;
    ULONG Refs() const { return refs_; }

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

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack

    STDMETHODIMP SaveObject() override { return Log("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return Log("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return Log("OnShowWindow"); }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return Log("CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Log("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Log("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Log("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Log("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return Log("OnPosRectChange"); }

    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        return Log(object ? "SetActiveObject" : "SetActiveObject(null)");
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    bool WaitForControlMessage(UINT message, DWORD timeoutMs);
    HRESULT Log(const char* call) {
        calls.push_back(call);
        return S_OK;
    }

    HWND window_ = nullptr;
    RECT position_;
    ULONG refs_ = 1;
    ComPtr<IOleObject> control_;
};

// Sink of _DTrovaCLEvents: records each OnChannelOpen link, and runs `onEvent` (if set) while
// the event is being fired.
class CChannelOpenSink final : public IDispatch {
public:
    std::vector<std::wstring> links;
    std::vector<DISPID> ids;
    std::function<void()> onEvent;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    ULONG Refs() const { return refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    ULONG refs_ = 1;
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

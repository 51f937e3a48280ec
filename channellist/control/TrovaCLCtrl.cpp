#include "channellist/control/TrovaCLCtrl.h"

#include "channellist/control/Resource.h"
#include "channellist/control/TrovaCLIds.h"
#include "channellist/store/ChannelSync.h"
#include "common/settings/AppPaths.h"
#include "common/skin/Skin.h"
#include "framework/win/Dialog.h"
#include "framework/win/Module.h"
#include "framework/win/Trace.h"

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <map>
#include <mutex>

namespace {

// Lets the synchronisation thread read once the control's first frame is painted.
const UINT_PTR kFirstFramePaintedTimer = 1;
// How long the thread waits for that at most, should the container not pump messages.
const int kFirstFrameWaitMs = 2000;
// How often changes the database could not take are tried again.
const UINT_PTR kPendingWriteTimer = 2;
const UINT kPendingWriteMs = 500;
// How long the synchronisation thread's reads wait for a database held by a write (the window
// thread's, or another program's): failing at once would leave a list as it was for the whole
// run. The window thread's own reads never wait.
const int kSyncReadBusyTimeoutMs = 5000;

const CClassEntry kControlEntry = [] {
    CClassEntry e;
    e.clsid = &trovacl::kControlClassId;
    e.create = &CreateComInstance<CTrovaCLCtrl>;
    e.progId = trovacl::kControlProgId;
    e.typeNameId = IDS_TROVACL;
    e.threadingModel = L"Apartment";
    e.isControl = true;
    e.miscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                   OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    e.toolboxBitmapId = IDB_TROVACL;
    e.typeLibId = &trovacl::kLibraryId;
    e.typeLibMajor = 1;
    e.typeLibMinor = 0;
    return e;
}();

// The folder and skin objects are process-wide and shared by every control of the process:
// the first control sets them up and the last one frees them, so that one control going away
// never pulls the database path or the pictures from under another (or from under its
// synchronisation thread).
LONG g_liveControls = 0;

void AcquireSharedObjects() {
    if (InterlockedIncrement(&g_liveControls) != 1) return;
    CAppPaths::Init();
    if (CSkin* skin = CSkin::Instance()) skin->Load(ThisModule());
}

void ReleaseSharedObjects() {
    if (InterlockedDecrement(&g_liveControls) != 0) return;
    CSkin::Destroy();
    CAppPaths::Shutdown();
}

std::wstring BstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

// References let go only once this thread's message loop runs again. A container may drop its
// last reference to the control inside an event; the list that fired it is still inside its
// message, so the control (and the list, one of its members) must outlive that message.
// Keyed by thread and timer: each control lives on the thread that made it.
using HeldKey = std::pair<DWORD, UINT_PTR>;
std::mutex g_heldLock;
std::map<HeldKey, ComPtr<IOleObject>> g_held;

void CALLBACK ReleaseHeld(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    ComPtr<IOleObject> last;
    {
        std::lock_guard<std::mutex> guard(g_heldLock);
        const auto entry = g_held.find(HeldKey(::GetCurrentThreadId(), timer));
        if (entry == g_held.end()) return;
        last = std::move(entry->second);
        g_held.erase(entry);
    }
}  // `last` may free the control here, outside every message of its windows

// A thread timer is dispatched by the message loop only, never inside a message handler.
void HoldUntilIdle(ComPtr<IOleObject> object) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &ReleaseHeld);
    if (!timer) return;
    std::lock_guard<std::mutex> guard(g_heldLock);
    g_held[HeldKey(::GetCurrentThreadId(), timer)] = std::move(object);
}

bool IsOnlyReference(IUnknown* object) {
    object->AddRef();
    return object->Release() == 1;
}

}  // namespace

const CClassEntry& CTrovaCLCtrl::ClassEntry() { return kControlEntry; }

CTrovaCLCtrl::CTrovaCLCtrl() : COleControlImpl(kControlEntry) {
    SetDispatchInterface(trovacl::kDispatchId);
    AddEventInterface(trovacl::kEventsId);
    AcquireSharedObjects();
}

CTrovaCLCtrl::~CTrovaCLCtrl() {
    // A container that releases the control without closing it leaves the window: destroy it
    // here, while the children and the thread it waits for still exist.
    if (m_hWnd) DestroyWindow();
    WaitForSync();
    ReleaseSharedObjects();
}

std::vector<CLSID> CTrovaCLCtrl::GetPropertyPages() const { return {trovacl::kPropPageClassId}; }

// --- Dispatch methods ---

STDMETHODIMP CTrovaCLCtrl::GetChannelName(BSTR server, ULONG, BSTR channelId, BSTR* channelName, ULONG* status) {
    if (!status) return E_POINTER;
    *status = static_cast<ULONG>(E_FAIL);
    if (!channelName) return S_OK;
    // The port is not part of the comparison: the lists hold the engine's channels, all on port 0.
    const std::wstring link = L"trova://" + BstrText(server) + L"/" + BstrText(channelId);
    std::wstring name;
    if (!allChannelTree_.FindChannelName(link, name)) return S_OK;
    BSTR copy = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    if (!copy) {
        *status = static_cast<ULONG>(E_OUTOFMEMORY);
        return S_OK;
    }
    *channelName = copy;
    *status = 0;
    return S_OK;
}

STDMETHODIMP CTrovaCLCtrl::AboutBox() {
    CDialogImpl dialog(IDD_ABOUTBOX_TROVACL);  // OK ends it
    dialog.DoModal(m_hWnd ? m_hWnd : ::GetActiveWindow());
    return S_OK;
}

// --- Window ---

int CTrovaCLCtrl::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1) return -1;
    searchPanel_.SetListener(this);
    if (!CreateChild(searchPanel_, IDC_SEARCH_PANEL, true)) return -1;
    ShowCreated(searchPanel_, true);

    // Every section's header and list, the search section's last.
    for (SectionIndex index : {kAllSection, kHistorySection, kFavorSection, kSearchSection}) {
        if (!CreateSection(index)) return -1;
    }

    // The lists are read on the synchronisation thread, so that the frame paints at once
    // whatever the catalogue's size; the thread reads them before its merge, since on a new
    // database the first read creates the tables, which would otherwise change the schema
    // under the running merge and fail it. The thread begins on a timer, which comes only once
    // every pending paint is done: its reading does not compete with the first frame.
    StartSync();
    if (!syncThread_) ReloadTrees();
    if (!::SetTimer(m_hWnd, kFirstFramePaintedTimer, USER_TIMER_MINIMUM, nullptr)) LetSyncRead();
    KeepWritingPending();  // changes kept when an earlier window went

    LayoutChildren();
    return 0;
}

bool CTrovaCLCtrl::CreateSection(SectionIndex index) {
    Section& section = sections_[index];
    section.header.SetListener(this);
    if (!CreateChild(section.header, section.headerId, HeaderShown(index))) return false;
    section.header.SetCaption(section.caption);
    section.header.SetRightText(L"热度");
    ShowCreated(section.header, HeaderShown(index));
    section.tree.SetListener(this);
    section.tree.SetPendingChanges(&pending_);
    if (!CreateChild(section.tree, section.treeId, index == open_)) return false;
    ShowCreated(section.tree, index == open_);
    return true;
}

bool CTrovaCLCtrl::CreateChild(CWindowImpl& child, int id, bool visible) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    return child.Create(m_hWnd, RECT{}, L"", style, 0, id) != nullptr;
}

void CTrovaCLCtrl::ShowCreated(CWindowImpl& child, bool visible) {
    if (!visible) return;
    child.ShowWindow(SW_SHOW);
    ::UpdateWindow(child);
}

void CTrovaCLCtrl::OnSize(UINT, SIZE size) {
    DefWindowProc();
    LayoutChildren(size.cx, size.cy);
}

void CTrovaCLCtrl::OnDestroy() {
    WaitForSync();
    // With the synchronisation joined the database is normally free: what the user chose goes
    // to it now, and whatever it still refuses is reported, not dropped unseen.
    ::KillTimer(m_hWnd, kPendingWriteTimer);
    pending_.Write();
    pending_.TraceKept();
    SetMsgHandled(FALSE);  // and the framework's handling
}

LRESULT CTrovaCLCtrl::OnChannelListSynced(UINT, WPARAM, LPARAM, BOOL&) {
    // The stored channels changed under the search results.
    searchTree_.ForgetResults();
    if (!syncThread_) {
        ReloadTrees();
        return 1;
    }
    WaitForSync();  // posting this was the thread's last act
    ShowReadLists();
    return 1;
}

LRESULT CTrovaCLCtrl::OnTimer(UINT, WPARAM id, LPARAM, BOOL& handled) {
    if (id == kFirstFramePaintedTimer) {
        ::KillTimer(m_hWnd, kFirstFramePaintedTimer);
        LetSyncRead();
    } else if (id == kPendingWriteTimer) {
        WritePending();
    } else {
        handled = FALSE;
    }
    return 0;
}

LRESULT CTrovaCLCtrl::OnChannelListLoaded(UINT, WPARAM, LPARAM, BOOL&) {
    ShowReadLists();
    return 0;
}

LRESULT CTrovaCLCtrl::OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    UI::CChannelTreeCtrl& open = sections_[open_].tree;
    // A list without room keeps its old place, which is no longer its place in the layout.
    if (openListPlaced_ && open.ShowsAt(PointFromLParam(lParam))) return open.SendMessage(message, wParam, lParam);
    handled = FALSE;  // not over a list: the container's turn
    return 0;
}

STDMETHODIMP CTrovaCLCtrl::TranslateAccelerator(LPMSG msg) {
    if (!msg || !m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return S_FALSE;
    const bool systemKey = msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP ||
                           msg->message == WM_SYSCHAR || msg->message == WM_SYSDEADCHAR;
    const bool tab = (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_TAB;
    if (systemKey || tab) return S_FALSE;
    ::TranslateMessage(msg);
    ::DispatchMessageW(msg);
    return S_OK;
}

// --- Synchronisation ---

namespace {

// A flat list read on the synchronisation thread until the window thread shows it. The window
// thread also reloads the list itself (after an opened channel, a favourite's change) and counts
// those reloads: a read that began before one of them is older than what the list shows.
struct PendingFlatList {
    bool read = false;
    UI::FlatListContent content;
    int windowReloads = 0;

    // Synchronisation thread, under the lock: keeps a read unless the window reloaded since
    // `reloadsAtStart`.
    void Keep(bool succeeded, UI::FlatListContent& fresh, int reloadsAtStart) {
        if (!succeeded || reloadsAtStart != windowReloads) return;
        content = std::move(fresh);
        read = true;
    }
    // Window thread, under the lock: the list is about to be reloaded there.
    void Outdate() {
        ++windowReloads;
        read = false;
    }
    // Window thread, under the lock: the kept read, once.
    bool Take(UI::FlatListContent& out) {
        if (!read) return false;
        out = std::move(content);
        read = false;
        return true;
    }
};

}  // namespace

struct CTrovaCLCtrl::ReadLists {
    boost::mutex lock;
    bool allRead = false;
    UI::AllChannelsContent all;
    PendingFlatList history;
    PendingFlatList favorites;
    bool mayRead = false;  // set once the first frame is painted (or the window goes)
    boost::condition_variable mayReadChanged;
    // The merge was committed; the window thread has not yet shown what was read after it.
    bool merged = false;
    bool allReadAfterMerge = false;  // `all` was read after the commit
};

void CTrovaCLCtrl::LetSyncRead() {
    if (!readLists_) return;
    boost::mutex::scoped_lock hold(readLists_->lock);
    readLists_->mayRead = true;
    readLists_->mayReadChanged.notify_all();
}

void CTrovaCLCtrl::StartSync() {
    readLists_ = std::make_shared<ReadLists>();
    const boost::function<void()> proc = boost::bind(&CTrovaCLCtrl::SyncThreadProc, m_hWnd, readLists_);
    try {
        syncThread_.reset(new boost::thread(proc));
    } catch (const std::exception&) {
        // No thread to be had: the lists show what the database holds, without a refresh.
        TraceCaughtException(L"Starting the synchronisation thread");
        syncThread_.reset();
    }
}

void CTrovaCLCtrl::WaitForSync() {
    if (!syncThread_) return;
    LetSyncRead();  // it would otherwise wait for a frame that is not coming
    syncThread_->join();
    syncThread_.reset();
}

void CTrovaCLCtrl::SyncThreadProc(HWND window, std::shared_ptr<ReadLists> lists) {
    // Only what it reads into `lists` and the posted messages reach the window thread; the
    // windows are never touched here.
    {
        boost::mutex::scoped_lock hold(lists->lock);
        lists->mayReadChanged.timed_wait(hold, boost::posix_time::milliseconds(kFirstFrameWaitMs),
                                         [&] { return lists->mayRead; });
    }
    ReadInto(*lists);
    if (::IsWindow(window)) ::PostMessageW(window, WM_CHANNELLIST_LOADED, 0, 0);
    const bool synced = SyncChannelList(&GetClassObject, [&] {
        boost::mutex::scoped_lock hold(lists->lock);
        lists->merged = true;
    });
    if (!synced) return;
    ReadInto(*lists);
    if (::IsWindow(window)) ::PostMessageW(window, WM_CHANNELLIST_SYNCED, 0, 0);
}

void CTrovaCLCtrl::ReadInto(ReadLists& lists) {
    // The three reads share one wait: a file held for long delays the lists once, not thrice.
    const DWORD start = ::GetTickCount();
    const auto waitLeft = [start] {
        const int spent = static_cast<int>(::GetTickCount() - start);
        return spent < kSyncReadBusyTimeoutMs ? kSyncReadBusyTimeoutMs - spent : 0;
    };
    bool afterMerge = false;
    {
        boost::mutex::scoped_lock hold(lists.lock);
        afterMerge = lists.merged;
    }
    UI::AllChannelsContent all;
    const bool allRead = UI::CAllChannelTreeCtrl::Read(all, waitLeft());
    int historyReloads = 0;
    int favoriteReloads = 0;
    {
        boost::mutex::scoped_lock hold(lists.lock);
        historyReloads = lists.history.windowReloads;
        favoriteReloads = lists.favorites.windowReloads;
    }
    UI::FlatListContent history;
    const bool historyRead = UI::CHistoryTreeCtrl::Read(history, waitLeft());
    UI::FlatListContent favorites;
    const bool favoritesRead = UI::CFavorTreeCtrl::Read(favorites, waitLeft());
    boost::mutex::scoped_lock hold(lists.lock);
    lists.favorites.Keep(favoritesRead, favorites, favoriteReloads);
    if (allRead) {
        lists.all = std::move(all);
        lists.allRead = true;
        lists.allReadAfterMerge = afterMerge;
    }
    lists.history.Keep(historyRead, history, historyReloads);
}

// --- Lists ---

void CTrovaCLCtrl::ShowCount(SectionIndex index) {
    Section& section = sections_[index];
    section.header.SetCount(section.tree.ChannelCount());
}

void CTrovaCLCtrl::ReloadTrees() {
    UI::AllChannelsContent all;
    if (UI::CAllChannelTreeCtrl::Read(all)) ShowCatalogue(std::move(all));
    ShowCount(kAllSection);
    historyTree_.Reload();
    ShowCount(kHistorySection);
    favorTree_.Reload();
    ShowCount(kFavorSection);
    allChannelTree_.Invalidate(true);
}

void CTrovaCLCtrl::ShowCatalogue(UI::AllChannelsContent all) {
    const ChannelCatalogue catalogue = all.catalogue;
    allChannelTree_.Show(std::move(all));
    // Totals and the catalogue change together, only with what a synchronisation stored.
    const unsigned int visitors = allChannelTree_.TotalVisitors();
    historyTree_.SetVisitorTotal(visitors);
    favorTree_.SetVisitorTotal(visitors);
    searchTree_.SetCatalogue(catalogue);
}

void CTrovaCLCtrl::ShowReadLists() {
    if (!readLists_) return;
    UI::AllChannelsContent all;
    UI::FlatListContent history;
    UI::FlatListContent favorites;
    bool allRead = false, historyRead = false, favoritesRead = false;
    {
        boost::mutex::scoped_lock hold(readLists_->lock);
        std::swap(allRead, readLists_->allRead);
        // Rows read before the commit, shown late, leave keywords to the statement.
        if (allRead && readLists_->allReadAfterMerge) readLists_->merged = false;
        all = std::move(readLists_->all);
        historyRead = readLists_->history.Take(history);
        favoritesRead = readLists_->favorites.Take(favorites);
    }
    if (allRead) ShowCatalogue(std::move(all));
    ShowCount(kAllSection);
    if (historyRead) historyTree_.Show(std::move(history));
    ShowCount(kHistorySection);
    if (favoritesRead) favorTree_.Show(std::move(favorites));
    ShowCount(kFavorSection);
    favorTree_.Invalidate(true);
    allChannelTree_.Invalidate(true);
    historyTree_.Invalidate(true);
}

void CTrovaCLCtrl::LayoutChildren() {
    RECT client;
    if (!m_hWnd || !::GetClientRect(m_hWnd, &client)) return;
    LayoutChildren(client.right, client.bottom);
}

void CTrovaCLCtrl::LayoutChildren(int cx, int cy) {
    if (!searchPanel_.m_hWnd) return;  // a size message before the children exist
    searchPanel_.MoveWindow(RECT{0, 0, cx, kSearchPanelHeight}, true);

    int headers = 0;
    for (int index = 0; index < kSectionCount; ++index) headers += HeaderShown(SectionIndex(index)) ? 1 : 0;
    // The one open list takes what the headers and the search box leave.
    const int listHeight = cy - (headers * kHeaderHeight + kSearchPanelHeight);
    int y = kSearchPanelHeight;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    for (int index = 0; index < kSectionCount; ++index) {
        Section& section = sections_[index];
        if (HeaderShown(SectionIndex(index))) {
            section.header.SetWindowPos(nullptr, 0, y, cx, kHeaderHeight, flags);
            y += kHeaderHeight;
        }
        // With no room the list keeps its place.
        if (index == open_) {
            openListPlaced_ = listHeight > 0;
            if (openListPlaced_) {
                section.tree.SetWindowPos(nullptr, 0, y, cx, listHeight, flags);
                y += listHeight;
            }
        }
    }
}

// --- Listeners ---

void CTrovaCLCtrl::OnHeaderClicked(int id) {
    for (int index = 0; index < kSectionCount; ++index) {
        if (sections_[index].headerId != id) continue;
        if (index == open_) {
            sections_[index].header.ToggleArrow();
        } else {
            Open(SectionIndex(index));
            LayoutChildren();
        }
        return;
    }
}

void CTrovaCLCtrl::Open(SectionIndex open) {
    open_ = open;
    for (int index = 0; index < kSectionCount; ++index)
        sections_[index].tree.ShowWindow(index == open_ ? SW_SHOW : SW_HIDE);
}

void CTrovaCLCtrl::OnOpenChannel(std::wstring link) {
    // The sink may drop the container's last reference while it handles the event: the
    // control then goes once the list's message has returned.
    ComPtr<IOleObject> self(this);
    FireEvent(trovacl::kEventsId, trovacl::kDispIdOnChannelOpen, link);
    // Unless the container closed the control from within the event.
    if (m_hWnd) {
        ReloadHistory();
        KeepWritingPending();
    }
    if (IsOnlyReference(self.Get())) HoldUntilIdle(std::move(self));
}

void CTrovaCLCtrl::OnFavoritesChanged() {
    ReloadFavorites();
    KeepWritingPending();
}

void CTrovaCLCtrl::ReloadHistory() {
    if (readLists_) {
        boost::mutex::scoped_lock hold(readLists_->lock);
        readLists_->history.Outdate();
    }
    historyTree_.Reload();
    ShowCount(kHistorySection);
    historyTree_.Invalidate(true);
}

void CTrovaCLCtrl::ReloadFavorites() {
    if (readLists_) {
        boost::mutex::scoped_lock hold(readLists_->lock);
        readLists_->favorites.Outdate();
    }
    favorTree_.Reload();
    ShowCount(kFavorSection);
    favorTree_.Invalidate(true);
}

void CTrovaCLCtrl::KeepWritingPending() {
    if (!pending_.Empty()) ::SetTimer(m_hWnd, kPendingWriteTimer, kPendingWriteMs, nullptr);
}

void CTrovaCLCtrl::WritePending() {
    const UI::CPendingChanges::Written written = pending_.Write();
    if (pending_.Empty()) ::KillTimer(m_hWnd, kPendingWriteTimer);
    if (written.history) ReloadHistory();
    if (written.favorites) ReloadFavorites();
}

void CTrovaCLCtrl::OnMoveToResults() {
    if (open_ != kSearchSection) return;
    searchTree_.SetFocus();
    searchTree_.SelectRow(0);
}

void CTrovaCLCtrl::OnSearchResultsShown() { ShowCount(kSearchSection); }

void CTrovaCLCtrl::OnKeywordChanged(std::wstring keyword) {
    searching_ = !keyword.empty();
    // Rows read before a committed merge are not the stored channels any more: until its
    // lists arrive, a keyword is not answered by filtering them.
    if (readLists_) {
        boost::mutex::scoped_lock hold(readLists_->lock);
        if (readLists_->merged) searchTree_.ForgetResults();
    }
    if (searching_)
        searchTree_.Search(keyword);
    else
        searchTree_.Clear();
    sections_[kSearchSection].header.ShowWindow(searching_ ? SW_SHOW : SW_HIDE);
    // Whichever section was open before, leaving the search returns to all channels.
    Open(searching_ ? kSearchSection : kAllSection);
    if (searching_) ShowCount(kSearchSection);
    LayoutChildren();
}

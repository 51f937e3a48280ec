#include "channellist/control/TrovaCLCtrl.h"

#include "channellist/control/Resource.h"
#include "channellist/control/TrovaCLIds.h"
#include "common/settings/AppPaths.h"
#include "common/skin/Skin.h"
#include "framework/win/Dialog.h"
#include "framework/win/Module.h"
#include "framework/win/Trace.h"

#include <boost/thread/thread.hpp>

#include <map>
#include <mutex>

namespace {

// Lets the synchronisation thread read once the control's first frame is painted.
const UINT_PTR kFirstFramePaintedTimer = 1;
// How often changes the database could not take are tried again.
const UINT_PTR kPendingWriteTimer = 2;
const UINT kPendingWriteMs = 500;

const CClassEntry kControlEntry = [] {
    CClassEntry e =
        ControlEntryOf(TrovaCLIds::kControlClassId, &CreateComInstance<CTrovaCLCtrl>, TrovaCLIds::kControlProgId,
                       IDS_TROVACL, kInPlaceControlMiscStatus, TrovaCLIds::kLibraryId);
    e.toolboxBitmapId = IDB_TROVACL;
    return e;
}();

// The folder and skin objects are process-wide and shared by every control of the process:
// the first control sets them up and the last one frees them, so that one control going away
// never pulls the database path or the pictures from under another (or from under its
// synchronisation thread).
LONG g_liveControls = 0;

void AcquireSharedObjects() {
    if (InterlockedIncrement(&g_liveControls) != 1)
        return;
    CAppPaths::Init();
    if (CSkin* skin = CSkin::Instance())
        skin->Load(ThisModule());
}

void ReleaseSharedObjects() {
    if (InterlockedDecrement(&g_liveControls) != 0)
        return;
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
        if (entry == g_held.end())
            return;
        last = std::move(entry->second);
        g_held.erase(entry);
    }
}  // `last` may free the control here, outside every message of its windows

// A thread timer is dispatched by the message loop only, never inside a message handler.
void HoldUntilIdle(ComPtr<IOleObject> object) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &ReleaseHeld);
    if (!timer)
        return;
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
    SetDispatchInterface(TrovaCLIds::kDispatchId);
    AddEventInterface(TrovaCLIds::kEventsId);
    AcquireSharedObjects();
}

CTrovaCLCtrl::~CTrovaCLCtrl() {
    // A container that releases the control without closing it leaves the window: destroy it
    // here, while the children and the thread it waits for still exist.
    if (m_hWnd)
        DestroyWindow();
    WaitForSync();
    ReleaseSharedObjects();
}

std::vector<CLSID> CTrovaCLCtrl::GetPropertyPages() const { return {TrovaCLIds::kPropPageClassId}; }

// --- Dispatch methods ---

STDMETHODIMP CTrovaCLCtrl::GetChannelName(BSTR server, ULONG, BSTR channelId, BSTR* channelName, ULONG* status) {
    if (!status)
        return E_POINTER;
    *status = static_cast<ULONG>(E_FAIL);
    if (!channelName)
        return S_OK;
    // The port is not part of the comparison: the lists hold the engine's channels, all on port 0.
    const std::wstring link = L"trova://" + BstrText(server) + L"/" + BstrText(channelId);
    std::wstring name;
    if (!allChannelTree_.FindChannelName(link, name))
        return S_OK;
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
    if (DefWindowProc() == -1)
        return -1;
    searchPanel_.SetListener(this);
    if (!CreateChild(searchPanel_, TrovaCLIds::kSearchPanelId, true))
        return -1;
    ShowCreated(searchPanel_, true);

    // Every section's header and list, the search section's last.
    for (SectionIndex index : {kAllSection, kHistorySection, kFavorSection, kSearchSection}) {
        if (!CreateSection(index))
            return -1;
    }

    // The lists are read on the synchronisation thread, so that the frame paints at once
    // whatever the catalogue's size; the thread reads them before its merge, since on a new
    // database the first read creates the tables, which would otherwise change the schema
    // under the running merge and fail it. The thread begins on a timer, which comes only once
    // every pending paint is done: its reading does not compete with the first frame.
    StartSync();
    if (!syncThread_)
        ReloadTrees();
    if (!::SetTimer(m_hWnd, kFirstFramePaintedTimer, USER_TIMER_MINIMUM, nullptr))
        LetSyncRead();
    KeepWritingPending();  // changes kept when an earlier window went

    LayoutChildren();
    return 0;
}

bool CTrovaCLCtrl::CreateSection(SectionIndex index) {
    Section& section = sections_[index];
    section.header.SetListener(this);
    if (!CreateChild(section.header, section.headerId, HeaderShown(index)))
        return false;
    section.header.SetCaption(section.caption);
    section.header.SetRightText(L"热度");
    ShowCreated(section.header, HeaderShown(index));
    section.tree.SetListener(this);
    section.tree.SetPendingChanges(&pending_);
    if (!CreateChild(section.tree, section.treeId, index == open_))
        return false;
    ShowCreated(section.tree, index == open_);
    return true;
}

bool CTrovaCLCtrl::CreateChild(CWindowImpl& child, int id, bool visible) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    return child.Create(m_hWnd, RECT{}, L"", style, 0, id) != nullptr;
}

void CTrovaCLCtrl::ShowCreated(CWindowImpl& child, bool visible) {
    if (!visible)
        return;
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
    if (openListPlaced_ && open.ShowsAt(PointFromLParam(lParam)))
        return open.SendMessage(message, wParam, lParam);
    handled = FALSE;  // not over a list: the container's turn
    return 0;
}

STDMETHODIMP CTrovaCLCtrl::TranslateAccelerator(LPMSG msg) {
    if (!msg || !m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return S_FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return S_FALSE;
    const bool systemKey = msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP || msg->message == WM_SYSCHAR ||
                           msg->message == WM_SYSDEADCHAR;
    const bool tab = (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_TAB;
    if (systemKey || tab)
        return S_FALSE;
    ::TranslateMessage(msg);
    ::DispatchMessageW(msg);
    return S_OK;
}

// --- Lists ---

void CTrovaCLCtrl::ShowCount(SectionIndex index) {
    Section& section = sections_[index];
    section.header.SetCount(section.tree.ChannelCount());
}

void CTrovaCLCtrl::ReloadTrees() {
    UI::AllChannelsContent all;
    if (UI::CAllChannelTreeCtrl::Read(all))
        ShowCatalogue(std::move(all));
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

void CTrovaCLCtrl::LayoutChildren() {
    RECT client;
    if (!m_hWnd || !::GetClientRect(m_hWnd, &client))
        return;
    LayoutChildren(client.right, client.bottom);
}

void CTrovaCLCtrl::LayoutChildren(int cx, int cy) {
    if (!searchPanel_.m_hWnd)
        return;  // a size message before the children exist
    searchPanel_.MoveWindow(RECT{0, 0, cx, kSearchPanelHeight}, true);

    int headers = 0;
    for (int index = 0; index < kSectionCount; ++index)
        headers += HeaderShown(SectionIndex(index)) ? 1 : 0;
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
        if (sections_[index].headerId != id)
            continue;
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
    FireEvent(TrovaCLIds::kEventsId, TrovaCLIds::kDispIdOnChannelOpen, link);
    // Unless the container closed the control from within the event.
    if (m_hWnd) {
        ReloadHistory();
        KeepWritingPending();
    }
    if (IsOnlyReference(self.Get()))
        HoldUntilIdle(std::move(self));
}

void CTrovaCLCtrl::OnFavoritesChanged() {
    ReloadFavorites();
    KeepWritingPending();
}

void CTrovaCLCtrl::KeepWritingPending() {
    if (!pending_.Empty())
        ::SetTimer(m_hWnd, kPendingWriteTimer, kPendingWriteMs, nullptr);
}

void CTrovaCLCtrl::WritePending() {
    const UI::CPendingChanges::Written written = pending_.Write();
    if (pending_.Empty())
        ::KillTimer(m_hWnd, kPendingWriteTimer);
    if (written.history)
        ReloadHistory();
    if (written.favorites)
        ReloadFavorites();
}

void CTrovaCLCtrl::OnMoveToResults() {
    if (open_ != kSearchSection)
        return;
    searchTree_.SetFocus();
    searchTree_.SelectRow(0);
}

void CTrovaCLCtrl::OnSearchResultsShown() { ShowCount(kSearchSection); }

void CTrovaCLCtrl::OnKeywordChanged(std::wstring keyword) {
    searching_ = !keyword.empty();
    ForgetResultsReadBeforeMerge();
    if (searching_)
        searchTree_.Search(keyword);
    else
        searchTree_.Clear();
    sections_[kSearchSection].header.ShowWindow(searching_ ? SW_SHOW : SW_HIDE);
    // Whichever section was open before, leaving the search returns to all channels.
    Open(searching_ ? kSearchSection : kAllSection);
    if (searching_)
        ShowCount(kSearchSection);
    LayoutChildren();
}

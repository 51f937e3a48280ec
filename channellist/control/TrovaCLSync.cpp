// The channel-list control's synchronisation: the thread that reads the lists and merges the
// engine's channels, and the hand-over of what it read to the window thread.
#include "channellist/control/TrovaCLCtrl.h"

#include "channellist/store/ChannelSync.h"
#include "framework/win/Trace.h"

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

namespace {

// How long the thread waits for the first frame at most, should the container not pump messages.
const int kFirstFrameWaitMs = 2000;
// How long the synchronisation thread's reads wait for a database held by a write (the window
// thread's, or another program's): failing at once would leave a list as it was for the whole
// run. The window thread's own reads never wait.
const int kSyncReadBusyTimeoutMs = 5000;

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
        if (!succeeded || reloadsAtStart != windowReloads)
            return;
        content = std::move(fresh);
        read = true;
    }
    // Window thread, under the lock: see ReadLists::Outdate.
    void Outdate() {
        ++windowReloads;
        read = false;
    }
    // Window thread, under the lock: the kept read, once.
    bool Take(UI::FlatListContent& out) {
        if (!read)
            return false;
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

    // Window thread: the list is about to be reloaded there.
    void Outdate(PendingFlatList& list) {
        boost::mutex::scoped_lock hold(lock);
        list.Outdate();
    }
};

void CTrovaCLCtrl::LetSyncRead() {
    if (!readLists_)
        return;
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
    if (!syncThread_)
        return;
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
    if (::IsWindow(window))
        ::PostMessageW(window, WM_CHANNELLIST_LOADED, 0, 0);
    const bool synced = SyncChannelList(&GetClassObject, [&] {
        boost::mutex::scoped_lock hold(lists->lock);
        lists->merged = true;
    });
    if (!synced)
        return;
    ReadInto(*lists);
    if (::IsWindow(window))
        ::PostMessageW(window, WM_CHANNELLIST_SYNCED, 0, 0);
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

void CTrovaCLCtrl::ShowReadLists() {
    if (!readLists_)
        return;
    UI::AllChannelsContent all;
    UI::FlatListContent history;
    UI::FlatListContent favorites;
    bool allRead = false, historyRead = false, favoritesRead = false;
    {
        boost::mutex::scoped_lock hold(readLists_->lock);
        std::swap(allRead, readLists_->allRead);
        // Rows read before the commit, shown late, leave keywords to the statement.
        if (allRead && readLists_->allReadAfterMerge)
            readLists_->merged = false;
        all = std::move(readLists_->all);
        historyRead = readLists_->history.Take(history);
        favoritesRead = readLists_->favorites.Take(favorites);
    }
    if (allRead)
        ShowCatalogue(std::move(all));
    ShowCount(kAllSection);
    if (historyRead)
        historyTree_.Show(std::move(history));
    ShowCount(kHistorySection);
    if (favoritesRead)
        favorTree_.Show(std::move(favorites));
    ShowCount(kFavorSection);
    favorTree_.Invalidate(true);
    allChannelTree_.Invalidate(true);
    historyTree_.Invalidate(true);
}

void CTrovaCLCtrl::ReloadHistory() {
    if (readLists_)
        readLists_->Outdate(readLists_->history);
    historyTree_.Reload();
    ShowReloaded(kHistorySection);
}

void CTrovaCLCtrl::ReloadFavorites() {
    if (readLists_)
        readLists_->Outdate(readLists_->favorites);
    favorTree_.Reload();
    ShowReloaded(kFavorSection);
}

void CTrovaCLCtrl::ShowReloaded(SectionIndex index) {
    ShowCount(index);
    sections_[index].tree.Invalidate(true);
}

void CTrovaCLCtrl::ForgetResultsReadBeforeMerge() {
    // Rows read before a committed merge are not the stored channels any more: until its
    // lists arrive, a keyword is not answered by filtering them.
    if (!readLists_)
        return;
    boost::mutex::scoped_lock hold(readLists_->lock);
    if (readLists_->merged)
        searchTree_.ForgetResults();
}

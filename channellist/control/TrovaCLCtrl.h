#pragma once
// The channel-list control: a search box over four accordion sections (all channels, recently
// watched, favourites, search results), filled from the channel database and refreshed once
// by a background synchronisation with the engine.
#include "channellist/control/TrovaCLIds.h"
#include "channellist/ui/ChannelHeaderCtrl.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/SearchPanel.h"
#include "framework/com/OleControl.h"
#include "framework/win/MessageMap.h"

#include "TrovaCL.h"  // widl output (build folder)

#include <memory>
#include <string>

namespace boost {
class thread;
}

// Posted by the synchronisation thread when the merge was committed (and the lists read again).
constexpr UINT WM_CHANNELLIST_SYNCED = WM_USER + 400;
// Posted by the synchronisation thread when it has read the lists, before its merge.
constexpr UINT WM_CHANNELLIST_LOADED = WM_USER + 401;

class CTrovaCLCtrl : public COleControlImpl<ITrovaCLCalls>,
                     public UI::IChannelHeaderCtrlListener,
                     public UI::IChannelTreeCtrlEventListener,
                     public IKeywordChgListener {
public:
    static constexpr int kSearchPanelHeight = 36;
    static constexpr int kHeaderHeight = 20;

    static const CClassEntry& ClassEntry();

    CTrovaCLCtrl();

    // _DTrovaCL, through its vtable twin.
    STDMETHODIMP GetChannelName(BSTR server, ULONG portNo, BSTR channelId, BSTR* channelName, ULONG* status) override;
    STDMETHODIMP AboutBox() override;

    // Listeners of the child windows.
    void OnHeaderClicked(int id) override;
    void OnOpenChannel(std::wstring link) override;
    void OnFavoritesChanged() override;
    void OnKeywordChanged(std::wstring keyword) override;
    void OnSearchResultsShown() override;
    void OnMoveToResults() override;

    // Keys for the list or the search box with the focus go to it before the container's own
    // dialog or accelerator handling could take them; Tab and Alt keys stay the container's.
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;

protected:
    ~CTrovaCLCtrl() override;

    BEGIN_MSG_MAP(CTrovaCLCtrl)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        MSG_WM_DESTROY(OnDestroy)
        MESSAGE_HANDLER(WM_CHANNELLIST_SYNCED, OnChannelListSynced)
        MESSAGE_HANDLER(WM_CHANNELLIST_LOADED, OnChannelListLoaded)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        CHAIN_MSG_MAP(COleControl)
    END_MSG_MAP()

    DWORD WindowStyle() const override { return COleControl::WindowStyle() | WS_CLIPCHILDREN; }
    std::vector<CLSID> GetPropertyPages() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnSize(UINT type, SIZE size);
    void OnDestroy();
    LRESULT OnChannelListSynced(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnChannelListLoaded(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // From any child: the wheel scrolls the list under the pointer.
    LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The accordion, top to bottom: search results (whose header shows only while there is a
    // keyword), all channels, recently watched, favourites.
    enum SectionIndex { kSearchSection, kAllSection, kHistorySection, kFavorSection, kSectionCount };
    struct Section {
        UI::CChannelTreeCtrl& tree;
        int treeId;
        int headerId;
        const wchar_t* caption;
        UI::CChannelHeaderCtrl header;
    };
    bool CreateSection(SectionIndex index);
    bool CreateChild(CWindowImpl& child, int id, bool visible);
    static void ShowCreated(CWindowImpl& child, bool visible);
    bool HeaderShown(SectionIndex index) const { return index != kSearchSection || searching_; }
    void StartSync();
    // Lets the synchronisation thread begin its reading.
    void LetSyncRead();
    void WaitForSync();
    struct ReadLists;
    static void SyncThreadProc(HWND window, std::shared_ptr<ReadLists> lists);
    static void ReadInto(ReadLists& lists);
    void ReloadTrees();
    // The window thread reads the list again (after the user's change reached the database or
    // was kept): a read of the synchronisation thread that is under way is older.
    void ReloadHistory();
    void ReloadFavorites();
    // After a reload: the section's count and a repaint.
    void ShowReloaded(SectionIndex index);
    // Drops the search results while the rows they came from predate a committed merge.
    void ForgetResultsReadBeforeMerge();
    // Tries the kept changes again on a timer until the database has taken them all.
    void KeepWritingPending();
    void WritePending();
    // Shows the all-channels rows and hands their catalogue and totals to the other lists.
    void ShowCatalogue(UI::AllChannelsContent all);
    // Shows what the synchronisation thread has read; the lists keep their rows for what it
    // could not read.
    void ShowReadLists();
    void LayoutChildren(int cx, int cy);
    void LayoutChildren();
    // Shows one section's list and hides the other three.
    void Open(SectionIndex index);
    // The section's header shows its list's channel count.
    void ShowCount(SectionIndex index);

    // The user's openings and favourite choices that the database could not take yet, shared
    // by the four lists.
    UI::CPendingChanges pending_;
    UI::CAllChannelTreeCtrl allChannelTree_;
    UI::CHistoryTreeCtrl historyTree_;
    UI::CFavorTreeCtrl favorTree_;
    UI::CSearchTreeCtrl searchTree_;
    Section sections_[kSectionCount] = {
        {searchTree_, TrovaCLIds::kSearchTreeId, TrovaCLIds::kSearchHeaderId, L"搜索结果", {}},
        {allChannelTree_, TrovaCLIds::kAllTreeId, TrovaCLIds::kAllHeaderId, L"所有频道", {}},
        {historyTree_, TrovaCLIds::kHistoryTreeId, TrovaCLIds::kHistoryHeaderId, L"最近观看", {}},
        {favorTree_, TrovaCLIds::kFavorTreeId, TrovaCLIds::kFavorHeaderId, L"我的收藏", {}},
    };
    // The layout state: the section whose list is open, and whether a keyword is entered.
    SectionIndex open_ = kAllSection;
    bool searching_ = false;
    // Whether the last layout gave the open list its place.
    bool openListPlaced_ = false;
    CSearchPanel searchPanel_;
    std::unique_ptr<boost::thread> syncThread_;  // null when no synchronisation thread is held
    // Lists read by the synchronisation thread, handed over to the window thread.
    std::shared_ptr<ReadLists> readLists_;
};

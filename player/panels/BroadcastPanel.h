#pragma once
// The broadcast page of the player: a command bar above the list of the user's broadcast
// channels. Only "create channel" acts in this version; it opens the create-channel form.
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

// Commands of the broadcast command bar. Not owned by the bar.
class IBCastCmdPanelListener {
public:
    virtual void OnCreateChannel() = 0;
    // Reserved for starting and deleting a broadcast channel; nothing issues them yet.
    virtual void OnStartChannel() = 0;
    virtual void OnDeleteChannel() = 0;

protected:
    ~IBCastCmdPanelListener() = default;
};

// The bar of three push buttons along the top of the broadcast panel.
class CBCastCmdPanel : public CWindowImpl, private CDoubleBufferImpl {
public:
    static constexpr int kCreateButtonId = 101;
    static constexpr int kStartButtonId = 102;
    static constexpr int kDeleteButtonId = 103;
    static constexpr COLORREF kBackground = RGB(238, 243, 250);

    // The listener may be null (clicks then go nowhere); set it before the bar is created.
    void SetListener(IBCastCmdPanelListener* listener) { listener_ = listener; }

    BEGIN_MSG_MAP(CBCastCmdPanel)
        MSG_WM_CREATE(OnCreate)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        COMMAND_HANDLER_EX(kCreateButtonId, BN_CLICKED, OnCreateClicked)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnCreateClicked(UINT, int, HWND);
    void DoPaint(HDC dc, const RECT& client) override;

    IBCastCmdPanelListener* listener_ = nullptr;
    ScopedFont font_;
};

// The list of broadcast channels: a report-mode list view with single selection and eleven
// columns. Nothing fills it in this version.
class CBCastListCtrl : public CWindowImpl {
public:
    static constexpr int kColumnCount = 11;

    BEGIN_MSG_MAP(CBCastListCtrl)
        MSG_WM_CREATE(OnCreate)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
};

class CBroadcastPanel : public CWindowImpl, private CDoubleBufferImpl, public IBCastCmdPanelListener {
public:
    static constexpr int kWindowId = 601;
    static constexpr int kCmdPanelId = 3001;
    static constexpr int kListId = 602;
    static constexpr int kCmdPanelHeight = 32;
    static constexpr int kListTop = 33;

    using CWindowImpl::Create;
    // Creates the panel hidden as child kWindowId of parent, with an empty rectangle; the
    // owner places it. Null on failure.
    HWND Create(HWND parent);

    CBCastCmdPanel& CmdPanel() { return cmdPanel_; }
    CBCastListCtrl& List() { return list_; }

    // IBCastCmdPanelListener
    void OnCreateChannel() override;
    void OnStartChannel() override {}
    void OnDeleteChannel() override {}

    BEGIN_MSG_MAP(CBroadcastPanel)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnSize(UINT type, SIZE size);
    void DoPaint(HDC dc, const RECT& client) override;

    CBCastCmdPanel cmdPanel_;
    CBCastListCtrl list_;
};

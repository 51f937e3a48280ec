#pragma once
// The pages of the options window: child dialogs that write each setting the moment the user
// changes it. They read the settings once, when they are created.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/win/Dialog.h"
#include "player/options/resource.h"

// Common base: a page is a child window, so OK and Cancel (Enter and Escape reaching the page)
// must not end it the way they end a dialog.
class COptPanel : public CDialogImpl {
public:
    using CDialogImpl::CDialogImpl;

    BEGIN_MSG_MAP(COptPanel)
        COMMAND_ID_HANDLER_EX(IDOK, OnIgnoredCommand)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnIgnoredCommand)
    END_MSG_MAP()

private:
    void OnIgnoredCommand(UINT, int, HWND) {}
};

// "一般设定": six check boxes for the start, compact-mode, close and messenger settings.
class COptGeneralPanel : public COptPanel {
public:
    COptGeneralPanel() : COptPanel(IDD_OPT_GENERAL) {}

    BEGIN_MSG_MAP(COptGeneralPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_HANDLER_EX(IDC_OPT_START_COMPACT, BN_CLICKED, OnFlagClicked)
        COMMAND_HANDLER_EX(IDC_OPT_COMPACT_ON_TOP, BN_CLICKED, OnFlagClicked)
        COMMAND_HANDLER_EX(IDC_OPT_AUTORUN, BN_CLICKED, OnAutoRunClicked)
        COMMAND_HANDLER_EX(IDC_OPT_CLOSE_MINIMIZE, BN_CLICKED, OnFlagClicked)
        COMMAND_HANDLER_EX(IDC_OPT_CLOSE_CONFIRM, BN_CLICKED, OnFlagClicked)
        COMMAND_HANDLER_EX(IDC_OPT_SEND_TO_MSN, BN_CLICKED, OnFlagClicked)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    void OnFlagClicked(UINT, int id, HWND);
    void OnAutoRunClicked(UINT, int id, HWND);
};

// "界面皮肤": the skin folders found beside the program. Choosing one changes nothing: the
// program always uses the "general" skin.
class COptSkinPanel : public COptPanel {
public:
    // An empty skinsRoot means the skins root of the loaded skin.
    explicit COptSkinPanel(std::wstring skinsRoot = std::wstring())
        : COptPanel(IDD_OPT_SKIN), skinsRoot_(std::move(skinsRoot)) {}

    BEGIN_MSG_MAP(COptSkinPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_HANDLER_EX(IDC_OPT_SKIN_REFRESH, BN_CLICKED, OnRefresh)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    void OnRefresh(UINT, int, HWND) { FillSkinList(); }
    void FillSkinList();

    std::wstring skinsRoot_;
};

// Names of the folders under skinsRoot that hold a "skin.xml", in the order the file system
// lists them. An empty root gives none.
std::vector<std::wstring> FindSkinFolders(const std::wstring& skinsRoot);

// "界面语言": the one language there is.
class COptLangPanel : public COptPanel {
public:
    COptLangPanel() : COptPanel(IDD_OPT_LANG) {}

    BEGIN_MSG_MAP(COptLangPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
};

// Edit box that turns Enter into an OK command to its page, whatever the message loop does
// with dialog keys.
class CEnterEdit : public CWindowImpl {
public:
    BEGIN_MSG_MAP(CEnterEdit)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        MSG_WM_KEYDOWN(OnKeyDown)
        MSG_WM_CHAR(OnChar)
    END_MSG_MAP()

private:
    LRESULT OnGetDlgCode(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT character, UINT repeat, UINT flags);
};

// "缓冲区设置": "MaxBufferSize" from 512 to 4096 megabytes, stored when the slider is let go or
// Enter is pressed in the edit box.
class COptBufferPanel : public COptPanel {
public:
    static constexpr int kMinSize = 512;
    static constexpr int kMaxSize = 4096;
    static constexpr int kDefaultSize = 1024;

    COptBufferPanel() : COptPanel(IDD_OPT_BUFFER) {}

    BEGIN_MSG_MAP(COptBufferPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        NOTIFY_HANDLER_EX(IDC_OPT_BUFFER_SLIDER, NM_RELEASEDCAPTURE, OnSliderReleased)
        MSG_WM_HSCROLL(OnHScroll)
        COMMAND_ID_HANDLER_EX(IDOK, OnEnter)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    LRESULT OnSliderReleased(NMHDR*);
    void OnHScroll(int code, int position, HWND scrollBar);
    void OnEnter(UINT, int, HWND);
    void StoreSliderPosition();
    void ShowSize(int size);

    CEnterEdit edit_;
};

// "连接设置": four provider details, chosen or typed, stored together by "保存".
class COptISPPanel : public COptPanel {
public:
    COptISPPanel() : COptPanel(IDD_OPT_ISP) {}

    BEGIN_MSG_MAP(COptISPPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_HANDLER_EX(IDC_OPT_ACTION, BN_CLICKED, OnSave)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    void OnSave(UINT, int, HWND);
};

// "网络信息": nothing to show yet.
class COptNetworkPanel : public COptPanel {
public:
    COptNetworkPanel() : COptPanel(IDD_OPT_NETWORK) {}
};

// "UPnP设置": the "EnableUPnP" switch. The device search button stays hidden.
class COptUPnPPanel : public COptPanel {
public:
    COptUPnPPanel() : COptPanel(IDD_OPT_UPNP) {}

    BEGIN_MSG_MAP(COptUPnPPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_HANDLER_EX(IDC_OPT_ENABLE_UPNP, BN_CLICKED, OnEnableClicked)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    void OnEnableClicked(UINT, int, HWND);
};

// "关于": program name, file version and contacts.
class COptCreditPanel : public COptPanel {
public:
    COptCreditPanel() : COptPanel(IDD_OPT_CREDIT) {}

    BEGIN_MSG_MAP(COptCreditPanel)
        MSG_WM_INITDIALOG(OnInitDialog)
        CHAIN_MSG_MAP(COptPanel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
};

// "FileVersion" of the first translation in the version resource of a file; empty on any failure.
std::wstring ReadFileVersion(const std::wstring& path);

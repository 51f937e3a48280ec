#pragma once

#include "framework/win/Dialog.h"
#include "player/shell/resource.h"

// Asks whether closing the main window quits or minimises to the tray, and stores the
// answer ("CloseMinimize") and whether to ask again ("CloseConfirm") on OK.
class CQuitConfirmDlg : public CDialogImpl {
public:
    CQuitConfirmDlg();

    bool QuitChosen() const { return quitChosen_; }

    BEGIN_MSG_MAP(CQuitConfirmDlg)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_ID_HANDLER_EX(IDC_QUIT_EXIT, OnChooseQuit)
        COMMAND_ID_HANDLER_EX(IDC_QUIT_MINIMISE, OnChooseMinimise)
        COMMAND_ID_HANDLER_EX(IDOK, OnOK)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM param);
    void OnChooseQuit(UINT, int, HWND) { quitChosen_ = true; }
    void OnChooseMinimise(UINT, int, HWND) { quitChosen_ = false; }
    void OnOK(UINT, int, HWND);
    void OnCancel(UINT, int, HWND) { EndDialog(IDCANCEL); }

    bool quitChosen_ = true;
};

#include "player/shell/QuitConfirmDlg.h"

#include "common/settings/Settings.h"

CQuitConfirmDlg::CQuitConfirmDlg() : CDialogImpl(IDD_QUIT_CONFIRM) {}

BOOL CQuitConfirmDlg::OnInitDialog(HWND, LPARAM) {
    SetWindowText(L"提示");
    ::SetDlgItemTextW(m_hWnd, IDC_QUIT_GROUP, L"关闭");
    ::SetDlgItemTextW(m_hWnd, IDC_QUIT_EXIT, L"退出应用程序");
    ::SetDlgItemTextW(m_hWnd, IDC_QUIT_MINIMISE, L"最小化到托盘区");
    ::SetDlgItemTextW(m_hWnd, IDC_QUIT_DONT_ASK, L"下次不要再提示(&D)");
    ::SetDlgItemTextW(m_hWnd, IDOK, L"是(&Y)");
    ::SetDlgItemTextW(m_hWnd, IDCANCEL, L"否(&N)");

    ::CheckDlgButton(m_hWnd, IDC_QUIT_DONT_ASK, BST_CHECKED);
    bool minimise = false;
    quitChosen_ = !(ReadFlag(L"CloseMinimize", minimise) && minimise);
    ::CheckDlgButton(m_hWnd, quitChosen_ ? IDC_QUIT_EXIT : IDC_QUIT_MINIMISE, BST_CHECKED);
    return TRUE;
}

void CQuitConfirmDlg::OnOK(UINT, int, HWND) {
    WriteFlag(L"CloseMinimize", !quitChosen_);
    WriteFlag(L"CloseConfirm", ::IsDlgButtonChecked(m_hWnd, IDC_QUIT_DONT_ASK) != BST_CHECKED);
    EndDialog(IDOK);
}

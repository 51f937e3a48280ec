#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/settings/Settings.h"
#include "player/shell/QuitConfirmDlg.h"
#include "common/settings/tests/RegistryRedirect.h"
#include "framework/win/tests/TestHost.h"

namespace {

std::function<void(HWND)>* pendingAction = nullptr;

void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindThreadWindow(L"#32770", L"提示");
    if (!box || !pendingAction)
        return;
    ::KillTimer(nullptr, id);
    auto act = *pendingAction;
    pendingAction = nullptr;
    act(box);
}

// Runs `act` on the dialog once its modal loop is running.
INT_PTR RunDialog(CQuitConfirmDlg& dialog, std::function<void(HWND)> act) {
    pendingAction = &act;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &ActOnDialog);
    const INT_PTR result = dialog.DoModal(nullptr);
    ::KillTimer(nullptr, timer);
    pendingAction = nullptr;
    return result;
}

bool Checked(HWND box, int id) { return ::IsDlgButtonChecked(box, id) == BST_CHECKED; }
void Click(HWND box, int id) { ::SendMessageW(::GetDlgItem(box, id), BM_CLICK, 0, 0); }

std::wstring Text(HWND box, int id) {
    wchar_t text[64] = {};
    ::GetDlgItemTextW(box, id, text, 64);
    return text;
}

class QuitConfirm : public ::testing::Test {
protected:
    CRegistryRedirect registry_;
};

TEST_F(QuitConfirm, OpensWithItsTextsAndQuitChosenWhenNothingIsStored) {
    CQuitConfirmDlg dialog;
    bool quitChecked = false, minimiseChecked = true, dontAskChecked = false;
    std::wstring group, yes;
    RunDialog(dialog, [&](HWND box) {
        quitChecked = Checked(box, IDC_QUIT_EXIT);
        minimiseChecked = Checked(box, IDC_QUIT_MINIMISE);
        dontAskChecked = Checked(box, IDC_QUIT_DONT_ASK);
        group = Text(box, IDC_QUIT_GROUP);
        yes = Text(box, IDOK);
        Click(box, IDCANCEL);
    });
    EXPECT_TRUE(quitChecked);
    EXPECT_FALSE(minimiseChecked);
    EXPECT_TRUE(dontAskChecked);
    EXPECT_EQ(L"关闭", group);
    EXPECT_EQ(L"是(&Y)", yes);
}

// OK stores the choice and whether to ask again: unchanged, quit and never ask again.
TEST_F(QuitConfirm, OkStoresTheChoiceAndWhetherToAskAgain) {
    const struct {
        std::vector<int> clicks;
        bool minimise;
        bool confirm;
    } cases[] = {
        {{IDOK}, false, false},
        {{IDC_QUIT_MINIMISE, IDC_QUIT_DONT_ASK, IDOK}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minimise);
        CQuitConfirmDlg dialog;
        EXPECT_EQ(IDOK, RunDialog(dialog, [&](HWND box) {
                      for (int id : c.clicks)
                          Click(box, id);
                  }));
        EXPECT_EQ(!c.minimise, dialog.QuitChosen());
        bool minimise = !c.minimise, confirm = !c.confirm;
        ASSERT_TRUE(ReadFlag(L"CloseMinimize", minimise));
        ASSERT_TRUE(ReadFlag(L"CloseConfirm", confirm));
        EXPECT_EQ(c.minimise, minimise);
        EXPECT_EQ(c.confirm, confirm);
    }
}

TEST_F(QuitConfirm, OpensWithTheStoredChoiceAndCancelWritesNothing) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    CQuitConfirmDlg dialog;
    bool minimiseChecked = false;
    EXPECT_EQ(IDCANCEL, RunDialog(dialog, [&](HWND box) {
                  minimiseChecked = Checked(box, IDC_QUIT_MINIMISE);
                  Click(box, IDC_QUIT_EXIT);
                  ::SendMessageW(box, WM_CLOSE, 0, 0);
              }));
    EXPECT_TRUE(minimiseChecked);
    bool minimise = false, confirm = false;
    EXPECT_TRUE(ReadFlag(L"CloseMinimize", minimise));
    EXPECT_TRUE(minimise);
    EXPECT_FALSE(ReadFlag(L"CloseConfirm", confirm));
}

}  // namespace

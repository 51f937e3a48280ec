#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/Dialog.h"

namespace {

constexpr UINT kTemplate = 100;
constexpr int kEdit = 1001;

class CRecordingDialog : public CDialogImpl {
public:
    CRecordingDialog() : CDialogImpl(kTemplate) {}

    std::vector<std::string> events;
    UINT commandToPost = 0;
    bool handleCancel = false;

    BEGIN_MSG_MAP(CRecordingDialog)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND, LPARAM) {
        events.push_back("init");
        ::SetDlgItemTextW(m_hWnd, kEdit, L"中文");
        if (commandToPost)
            PostMessage(WM_COMMAND, commandToPost);
        return TRUE;
    }
    void OnCancel(UINT, int, HWND) {
        if (!handleCancel) {
            SetMsgHandled(FALSE);
            return;
        }
        events.push_back("cancel");
        EndDialog(42);
    }
};

TEST(Dialog, ModalDialogSeesInitOnceAndEndsOnUnhandledOk) {
    CRecordingDialog dialog;
    dialog.commandToPost = IDOK;
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ(std::vector<std::string>{"init"}, dialog.events);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(Dialog, MapHandlersRunBeforeTheDefaultAndChooseTheResult) {
    CRecordingDialog dialog;
    dialog.commandToPost = IDCANCEL;
    dialog.handleCancel = true;
    EXPECT_EQ(42, dialog.DoModal(nullptr));
    EXPECT_EQ((std::vector<std::string>{"init", "cancel"}), dialog.events);

    CRecordingDialog unhandled;
    unhandled.commandToPost = IDCANCEL;
    EXPECT_EQ(IDCANCEL, unhandled.DoModal(nullptr));
}

class CCentredDialog : public CRecordingDialog {
public:
    RECT opened{};
    BEGIN_MSG_MAP(CCentredDialog)
        MSG_WM_INITDIALOG(OnInit)
    END_MSG_MAP()

private:
    BOOL OnInit(HWND, LPARAM) {
        opened = GetWindowRect();
        EndDialog(IDOK);
        return TRUE;
    }
};

TEST(Dialog, ModalDialogOpensCentredOverTheWorkArea) {
    CCentredDialog dialog;
    dialog.DoModal(nullptr);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int centreX = (dialog.opened.left + dialog.opened.right) / 2;
    const int centreY = (dialog.opened.top + dialog.opened.bottom) / 2;
    EXPECT_NEAR((work.left + work.right) / 2, centreX, 2);
    EXPECT_NEAR((work.top + work.bottom) / 2, centreY, 2);
}

TEST(Dialog, ModelessDialogKeepsItsControlsAndEndsByDestruction) {
    CRecordingDialog dialog;
    HWND window = dialog.CreateModeless(nullptr);
    ASSERT_NE(nullptr, window);
    wchar_t text[16] = {};
    ::GetDlgItemTextW(window, kEdit, text, 16);
    EXPECT_EQ(std::wstring(L"中文"), text);
    EXPECT_FALSE(dialog.IsModal());
    dialog.EndDialog(IDOK);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

}  // namespace

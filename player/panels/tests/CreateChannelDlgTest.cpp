#include <gtest/gtest.h>

#include <string>

#include "player/panels/CreateChannelDlg.h"
#include "player/panels/resource.h"
#include "player/panels/tests/ModalDialog.h"

namespace {

const wchar_t kTitle[] = L"Create Channel";

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

LONG StyleOf(HWND window) { return ::GetWindowLongW(window, GWL_STYLE); }

// Rectangle of a control in dialog units, as the template gives it.
struct ControlPlace {
    int id;
    const wchar_t* className;
    LONG style;  // bits that must be set
    RECT units;  // x, y, width, height
};

const ControlPlace kControls[] = {
    {IDC_CC_ON_DEMAND, L"Button", BS_AUTORADIOBUTTON, {26, 19, 211, 10}},
    {IDC_CC_LOCAL_FILE, L"Edit", ES_AUTOHSCROLL, {76, 31, 148, 14}},
    {IDC_CC_BROWSE, L"Button", BS_PUSHBUTTON, {226, 31, 16, 14}},
    {IDC_CC_BROADCAST, L"Button", BS_AUTORADIOBUTTON, {26, 50, 216, 10}},
    {IDC_CC_STREAM_SERVER, L"Edit", ES_AUTOHSCROLL, {76, 65, 166, 14}},
    {IDC_CC_ADDRESS, L"ComboBox", CBS_DROPDOWN | CBS_SORT, {76, 102, 166, 30}},
    {IDC_CC_PORT, L"Edit", ES_AUTOHSCROLL, {76, 118, 40, 14}},
    {IDC_CC_NAME, L"Edit", ES_AUTOHSCROLL, {76, 157, 166, 14}},
    {IDC_CC_DESCRIPTION, L"Edit", ES_AUTOHSCROLL, {76, 174, 166, 14}},
    {IDC_CC_GENRE, L"Edit", ES_AUTOHSCROLL, {76, 192, 166, 14}},
    {IDC_CC_URL, L"Edit", ES_AUTOHSCROLL, {76, 209, 166, 14}},
    {IDOK, L"Button", BS_DEFPUSHBUTTON, {173, 234, 50, 14}},
    {IDCANCEL, L"Button", BS_PUSHBUTTON, {229, 234, 50, 14}},
};

TEST(CreateChannelDlgTest, OpensWithoutOwnerWithTheFormsControlsAndNothingChosen) {
    CCreateChannelDlg dialog;
    HWND owner = reinterpret_cast<HWND>(1);
    LONG style = 0;
    std::wstring failures;
    int labels = 0, groups = 0, controls = 0;
    LONG comboType = 0;
    const bool acted = WithModalDialog(kTitle, [&] { EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr)); }, [&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        style = StyleOf(box);
        for (const ControlPlace& control : kControls) {
            HWND child = ::GetDlgItem(box, control.id);
            // Place and size are converted separately, as the dialog manager does.
            RECT expected = control.units;
            ::MapDialogRect(box, &expected);
            expected.right += expected.left;
            expected.bottom += expected.top;
            RECT actual{};
            ::GetWindowRect(child, &actual);
            ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&actual), 2);
            const std::wstring id = std::to_wstring(control.id);
            if (!child)
                failures += L" missing " + id;
            else if (ClassOf(child) != control.className || (StyleOf(child) & control.style) != control.style)
                failures += L" kind " + id;
            // The dialog manager turns an edit's border into a sunken client edge.
            else if (ClassOf(child) == L"Edit" && !(StyleOf(child) & WS_BORDER) &&
                     !(::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
                failures += L" border " + id;
            // A drop-down combo box is as high as its edit field; the template gives the list's height.
            else if (control.id == IDC_CC_ADDRESS ? (expected.left != actual.left || expected.top != actual.top ||
                                                     expected.right != actual.right)
                                                  : !::EqualRect(&expected, &actual))
                failures += L" place " + id;
            else if (control.style == BS_AUTORADIOBUTTON && ::IsDlgButtonChecked(box, control.id) != BST_UNCHECKED)
                failures += L" checked " + id;
            ++controls;
        }
        comboType = StyleOf(::GetDlgItem(box, IDC_CC_ADDRESS)) & 3;  // editable drop-down, not a list
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_RIGHT)
                ++labels;
            if (ClassOf(child) == L"Button" && (StyleOf(child) & BS_TYPEMASK) == BS_GROUPBOX)
                ++groups;
        }
        ClickButton(box, IDCANCEL);
    });
    ASSERT_TRUE(acted);
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ(WS_POPUP | WS_CAPTION | DS_MODALFRAME, style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    EXPECT_EQ(0, style & WS_SYSMENU);
    EXPECT_EQ(L"", failures);
    EXPECT_EQ(13, controls);
    EXPECT_EQ(CBS_DROPDOWN, comboType);
    EXPECT_EQ(8, labels);
    EXPECT_EQ(3, groups);
}

TEST(CreateChannelDlgTest, OkWithEveryFieldEmptyClosesAtOnce) {
    CCreateChannelDlg dialog;
    INT_PTR result = 0;
    bool stillOpen = true;
    const bool acted = WithModalDialog(kTitle, [&] { result = dialog.DoModal(nullptr); }, [&](HWND box) {
        ClickButton(box, IDOK);
        stillOpen = ::IsWindow(box) && ::IsWindowVisible(box);
        if (stillOpen)  // ends the run instead of leaving the test waiting for ever
            ::EndDialog(box, IDABORT);
    });
    ASSERT_TRUE(acted);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(nullptr, FindThreadWindow(L"#32770", nullptr)) << "a message box or the form is left";
}

TEST(CreateChannelDlgTest, BrowseDoesNothingRadiosExcludeEachOtherAndEscapeCancels) {
    CCreateChannelDlg dialog;
    INT_PTR result = 0;
    bool openAfterBrowse = false, onDemand = false, broadcast = false, onDemandAfter = true;
    const bool acted = WithModalDialog(kTitle, [&] { result = dialog.DoModal(nullptr); }, [&](HWND box) {
        ClickButton(box, IDC_CC_BROWSE);
        openAfterBrowse = ::IsWindow(box) && ::IsWindowVisible(box);
        ClickButton(box, IDC_CC_ON_DEMAND);
        onDemand = ::IsDlgButtonChecked(box, IDC_CC_ON_DEMAND) == BST_CHECKED;
        ClickButton(box, IDC_CC_BROADCAST);
        broadcast = ::IsDlgButtonChecked(box, IDC_CC_BROADCAST) == BST_CHECKED;
        onDemandAfter = ::IsDlgButtonChecked(box, IDC_CC_ON_DEMAND) == BST_CHECKED;
        ::SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // what Escape sends
    });
    ASSERT_TRUE(acted);
    EXPECT_TRUE(openAfterBrowse);
    EXPECT_TRUE(onDemand);
    EXPECT_TRUE(broadcast);
    EXPECT_FALSE(onDemandAfter);
    EXPECT_EQ(IDCANCEL, result);
}

}  // namespace

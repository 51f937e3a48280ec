// Section headers and the search field as a screen reader reads them: push buttons named with
// the shown text, the field by its name rather than its cue, and the clear button.
#include "channellist/ui/ChannelHeaderCtrl.h"
#include "channellist/ui/SearchPanel.h"
#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CWidgetListener : public UI::IChannelHeaderCtrlListener, public IKeywordChgListener {
public:
    std::vector<int> clicks;
    std::vector<std::wstring> keywords;
    void OnHeaderClicked(int id) override { clicks.push_back(id); }
    void OnKeywordChanged(std::wstring keyword) override { keywords.push_back(keyword); }
};

class WidgetAccessibleTest : public ::testing::Test {
protected:
    CTestApartment apartment;
    CWidgetListener listener;
    CTestHost host;
};

}  // namespace

TEST_F(WidgetAccessibleTest, HeaderIsAButtonNamedWithItsTextThatOpensItsSection) {
    UI::CChannelHeaderCtrl header;
    header.SetListener(&listener);
    ASSERT_TRUE(header.Create(host, RECT{0, 20, 200, 40}, L"", WS_CHILD | WS_VISIBLE, 0, 1002));
    header.SetCaption(L"最近观看");
    header.SetCount(2);
    ComPtr<IAccessible> button = AccessibleOf(header);
    ASSERT_TRUE(button);

    EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, RoleOf(button.Get(), CHILDID_SELF));
    EXPECT_EQ(L"最近观看(2)", NameOf(button.Get(), CHILDID_SELF));
    EXPECT_EQ(0, ChildCountOf(button.Get()));
    const RECT place = LocationOf(button.Get(), CHILDID_SELF);
    const RECT window = header.GetWindowRect();
    EXPECT_TRUE(::EqualRect(&window, &place));

    CWinEventRecorder events;
    header.SetCount(3);
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_NAMECHANGE, header, CHILDID_SELF));
    EXPECT_EQ(L"最近观看(3)", NameOf(button.Get(), CHILDID_SELF));

    EXPECT_EQ(L"打开", ActionOf(button.Get(), CHILDID_SELF));
    EXPECT_EQ(S_OK, button->accDoDefaultAction(ChildId(CHILDID_SELF)));
    EXPECT_EQ(std::vector<int>{1002}, listener.clicks);
    header.DestroyWindow();
}

TEST_F(WidgetAccessibleTest, SearchFieldIsNamedAndItsClearButtonClears) {
    CSearchPanel panel;
    panel.SetListener(&listener);
    ASSERT_TRUE(panel.Create(host, RECT{0, 0, 200, 36}, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 1000));
    host.ShowWindow(SW_SHOWNOACTIVATE);
    ComPtr<IAccessible> field = AccessibleOf(panel.Edit());
    ASSERT_TRUE(field);

    // Empty and unfocused the field shows its cue, which is neither name nor value.
    EXPECT_EQ(ROLE_SYSTEM_TEXT, RoleOf(field.Get(), CHILDID_SELF));
    EXPECT_EQ(L"搜索频道", NameOf(field.Get(), CHILDID_SELF));
    EXPECT_EQ(L"", ValueOf(field.Get(), CHILDID_SELF));
    ASSERT_EQ(1, ChildCountOf(field.Get()));
    EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, RoleOf(field.Get(), 1));
    EXPECT_TRUE(StateOf(field.Get(), 1) & STATE_SYSTEM_INVISIBLE) << "no clear button without a keyword";

    EXPECT_EQ(S_OK, field->accSelect(SELFLAG_TAKEFOCUS, ChildId(CHILDID_SELF)));
    EXPECT_EQ(panel.Edit().m_hWnd, ::GetFocus());
    for (wchar_t c : std::wstring(L"新闻")) {
        panel.Edit().SendMessage(WM_KEYDOWN, c, 0);
        panel.Edit().SendMessage(WM_CHAR, c, 0);
    }
    EXPECT_EQ(L"新闻", ValueOf(field.Get(), CHILDID_SELF));
    EXPECT_EQ(0, StateOf(field.Get(), 1) & STATE_SYSTEM_INVISIBLE);
    const RECT button = LocationOf(field.Get(), 1);
    CScopedVariant hit;
    EXPECT_EQ(S_OK,
              field->accHitTest((button.left + button.right) / 2, (button.top + button.bottom) / 2, hit.Receive()));
    EXPECT_EQ(1, hit.Ref().lVal) << "the clear button is where it is drawn";

    listener.keywords.clear();
    EXPECT_EQ(S_OK, field->accDoDefaultAction(ChildId(1)));
    EXPECT_EQ(std::vector<std::wstring>{L""}, listener.keywords);
    EXPECT_EQ(L"", panel.Edit().GetWindowText());
    panel.DestroyWindow();
}

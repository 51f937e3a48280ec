// The accessible object base: child ids checked once for every method, next/previous/first/last
// from the ids, one object per window, and a window that is gone leaves its object cut off.

#include "framework/com/Accessible.h"
#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/MessageMap.h"

#include <gtest/gtest.h>

namespace {

// Three elements in a row, each 10 pixels wide; asked about what it is asked.
class CStripAccessible final : public CAccessibleProvider {
public:
    HWND window = nullptr;
    long lastChild = -1;

    long ChildCount() override { return 3; }
    long Role(long child) override {
        lastChild = child;
        return child == CHILDID_SELF ? ROLE_SYSTEM_PAGETABLIST : ROLE_SYSTEM_PAGETAB;
    }
    std::wstring Name(long child) override { return child == 2 ? L"two" : std::wstring(); }
    long State(long) override { return 0; }
    bool Location(long child, RECT& screen) override {
        screen = ClientToScreenRect(window, RECT{(child - 1) * 10, 0, child * 10, 10});
        return true;
    }
    long HitTest(POINT) override { return -1; }
};

class CStripWindow : public CWindowImpl {
public:
    CStripAccessible accessible;

    BEGIN_MSG_MAP(CStripWindow)
        MSG_WM_GETOBJECT(accessible)
    END_MSG_MAP()
};

class AccessibleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(strip.Create(nullptr, RECT{100, 100, 200, 150}, L"strip", WS_POPUP));
        strip.accessible.window = strip;
    }
    void TearDown() override {
        if (strip.IsWindow())
            strip.DestroyWindow();
    }

    CTestApartment apartment;
    CStripWindow strip;
};

}  // namespace

TEST_F(AccessibleTest, ChildIdsAreCheckedOnceForEveryMethod) {
    ComPtr<IAccessible> object = AccessibleOf(strip);
    ASSERT_TRUE(object);
    EXPECT_EQ(3, ChildCountOf(object.Get()));
    EXPECT_EQ(ROLE_SYSTEM_PAGETAB, RoleOf(object.Get(), 3));
    EXPECT_EQ(L"two", NameOf(object.Get(), 2));

    // Out of range, negative, or not a VT_I4: refused before the provider is asked.
    strip.accessible.lastChild = -1;
    CScopedVariant role;
    EXPECT_EQ(E_INVALIDARG, object->get_accRole(ChildId(4), role.Receive()));
    EXPECT_EQ(E_INVALIDARG, object->get_accRole(ChildId(-1), role.Receive()));
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    EXPECT_EQ(E_INVALIDARG, object->get_accRole(text, role.Receive()));
    EXPECT_EQ(-1, strip.accessible.lastChild);
    ComPtr<IDispatch> child;
    EXPECT_EQ(S_FALSE, object->get_accChild(ChildId(1), child.GetAddressOf()));  // a simple element

    // Empty texts are no texts; an element without a default action refuses it.
    CScopedBstr name;
    EXPECT_EQ(S_FALSE, object->get_accName(ChildId(1), name.Receive()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object->accDoDefaultAction(ChildId(1)));
    // No element has help or a shortcut; the child id is still checked.
    CScopedBstr help;
    long topic = 7;
    EXPECT_EQ(S_FALSE, object->get_accHelp(ChildId(1), help.Receive()));
    EXPECT_EQ(S_FALSE, object->get_accKeyboardShortcut(ChildId(3), help.Receive()));
    EXPECT_EQ(S_FALSE, object->get_accHelpTopic(help.Receive(), ChildId(2), &topic));
    EXPECT_EQ(0, topic);
    EXPECT_EQ(E_INVALIDARG, object->get_accKeyboardShortcut(ChildId(4), help.Receive()));
    EXPECT_EQ(E_POINTER, object->get_accHelpTopic(help.Receive(), ChildId(1), nullptr));
    EXPECT_EQ(nullptr, help.Get());

    EXPECT_EQ(1, NavigateOf(object.Get(), NAVDIR_FIRSTCHILD, CHILDID_SELF));
    EXPECT_EQ(3, NavigateOf(object.Get(), NAVDIR_LASTCHILD, CHILDID_SELF));
    EXPECT_EQ(3, NavigateOf(object.Get(), NAVDIR_NEXT, 2));
    EXPECT_EQ(0, NavigateOf(object.Get(), NAVDIR_NEXT, 3));
    EXPECT_EQ(0, NavigateOf(object.Get(), NAVDIR_PREVIOUS, 1));

    const RECT second = LocationOf(object.Get(), 2);
    RECT client = strip.GetClientRect();
    ::MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(client.left + 10, second.left);
    EXPECT_EQ(client.top, second.top);
    EXPECT_EQ(10, second.right - second.left);
}

TEST_F(AccessibleTest, OneObjectPerWindowCutOffWhenTheWindowIsGoneAndFreedWhenReleased) {
    const LONG objectsBefore = CComModule::Instance().ObjectCount();
    ComPtr<IAccessible> first = AccessibleOf(strip);
    ComPtr<IAccessible> second = AccessibleOf(strip);
    ASSERT_TRUE(first);
    ComPtr<IUnknown> firstIdentity, secondIdentity;
    first.As(&firstIdentity);
    second.As(&secondIdentity);
    EXPECT_EQ(firstIdentity.Get(), secondIdentity.Get());

    ASSERT_TRUE(strip.DestroyWindow());
    long count = -1;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, first->get_accChildCount(&count));
    CScopedBstr name;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, first->get_accName(ChildId(2), name.Receive()));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, first->accDoDefaultAction(ChildId(CHILDID_SELF)));

    // The window let go of it: the last client reference ends it, and the module may unload.
    first.Reset();
    second.Reset();
    firstIdentity.Reset();
    secondIdentity.Reset();
    EXPECT_EQ(objectsBefore, CComModule::Instance().ObjectCount());
}

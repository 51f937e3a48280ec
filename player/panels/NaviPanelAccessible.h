#pragma once
// The navigation strip as a reader sees it: a page tab list whose items are page tabs, the
// selected one marked; the default action switches to the page as a click does.
#include "framework/com/Accessible.h"

class CNaviPanel;

class CNaviPanelAccessible final : public CSideBySideProvider {
public:
    explicit CNaviPanelAccessible(CNaviPanel& strip) : strip_(strip) {}

    long ChildCount() override;
    long Role(long child) override;
    std::wstring Name(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    bool Select(long child, long flags) override;
    long HitTest(POINT screen) override;
    long SelectedChild() override;

    // The item at `index` became the selected one.
    void AnnounceSelection(size_t index);

private:
    const wchar_t* ClickAction() const override;
    void Click(long child) override;

    CNaviPanel& strip_;
};

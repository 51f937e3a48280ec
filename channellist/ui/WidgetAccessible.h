#pragma once
// The accessible faces of the list's small widgets: a section header is a push button named
// with its shown text; the search field is an editable text named "搜索频道" (its cue text is
// a hint, not a name) whose clear button is its one element.
#include "framework/com/Accessible.h"

class CSearchEdit;

namespace UI {

class CChannelHeaderCtrl;

class CChannelHeaderAccessible final : public CAccessibleProvider {
public:
    explicit CChannelHeaderAccessible(CChannelHeaderCtrl& header) : header_(header) {}

    long ChildCount() override { return 0; }
    long Role(long) override { return ROLE_SYSTEM_PUSHBUTTON; }
    std::wstring Name(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    std::wstring DefaultAction(long child) override;
    bool DoDefaultAction(long child) override;
    long HitTest(POINT screen) override;

    // The shown text changed.
    void AnnounceName();

private:
    CChannelHeaderCtrl& header_;
};

}  // namespace UI

class CSearchEditAccessible final : public CAccessibleProvider {
public:
    static constexpr long kClearButton = 1;

    explicit CSearchEditAccessible(CSearchEdit& edit) : edit_(edit) {}

    long ChildCount() override { return 1; }
    long Role(long child) override;
    std::wstring Name(long child) override;
    std::wstring Value(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    std::wstring DefaultAction(long child) override;
    bool DoDefaultAction(long child) override;
    bool Select(long child, long flags) override;
    long HitTest(POINT screen) override;

private:
    // The clear button is drawn, and works, only while the field holds a keyword.
    bool ClearButtonShown() const;

    CSearchEdit& edit_;
};

#pragma once
// The accessible face of a channel list: rows are simple elements, child id = row + 1, read
// from the row model on each call. The all-channels list is an outline whose catalog rows
// expand and collapse; the flat lists are lists.
#include "framework/com/Accessible.h"

namespace UI {

class CChannelTreeCtrl;

class CChannelTreeAccessible final : public CAccessibleProvider {
public:
    explicit CChannelTreeAccessible(CChannelTreeCtrl& list) : list_(list) {}

    long ChildCount() override;
    long Role(long child) override;
    std::wstring Name(long child) override;
    std::wstring Value(long child) override;
    std::wstring Description(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    std::wstring DefaultAction(long child) override;
    bool DoDefaultAction(long child) override;
    bool Select(long child, long flags) override;
    long HitTest(POINT screen) override;
    long FocusedChild() override;
    long SelectedChild() override;
    long NavigateFrom(long child, long direction) override;

    // Events for readers, sent by the list after the change: the selection moved to `row`;
    // the catalog at `row` expanded or collapsed; all rows were replaced.
    void AnnounceSelection(int row);
    void AnnounceExpansion(int row);
    void AnnounceRowsReplaced();

private:
    static int RowOf(long child) { return static_cast<int>(child - 1); }
    bool Focused() const;

    CChannelTreeCtrl& list_;
};

}  // namespace UI

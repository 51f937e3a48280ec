#pragma once
// The skinned caption as a reader sees it: the frame's title bar object (the system's is gone
// with the system caption), named with the window's title, holding the minimise,
// maximise/restore and close buttons where they are drawn; their default action is a click.
#include "framework/com/Accessible.h"

class CSkinnedFrame;

class CSkinnedFrameAccessible final : public CAccessibleProvider {
public:
    explicit CSkinnedFrameAccessible(CSkinnedFrame& frame) : CAccessibleProvider(OBJID_TITLEBAR), frame_(frame) {}

    long ChildCount() override;
    long Role(long child) override;
    std::wstring Name(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    std::wstring DefaultAction(long child) override;
    bool DoDefaultAction(long child) override;
    long HitTest(POINT screen) override;
    long NavigateFrom(long child, long direction) override;
    // Only while the skin draws the caption.
    bool Serves() override;

private:
    CSkinnedFrame& frame_;
};

#pragma once
// The skinned caption as a reader sees it: the frame's title bar object (the system's is gone
// with the system caption), named with the window's title, holding the minimise,
// maximise/restore and close buttons where they are drawn; their default action is a click.
#include "framework/com/Accessible.h"

class CSkinnedFrame;

class CSkinnedFrameAccessible final : public CSideBySideProvider {
public:
    explicit CSkinnedFrameAccessible(CSkinnedFrame& frame) : CSideBySideProvider(OBJID_TITLEBAR), frame_(frame) {}

    long ChildCount() override;
    long Role(long child) override;
    std::wstring Name(long child) override;
    long State(long child) override;
    bool Location(long child, RECT& screen) override;
    long HitTest(POINT screen) override;
    // Only while the skin draws the caption.
    bool Serves() override;

private:
    const wchar_t* ClickAction() const override;
    // Closing may end the frame.
    void Click(long child) override;

    CSkinnedFrame& frame_;
};

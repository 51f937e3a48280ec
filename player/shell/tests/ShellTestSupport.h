#pragma once
// What a test of the player's windows needs around it: OLE, private settings, the default
// skin, the update check switched off, and recording stand-ins for the two hosted controls.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "channellist/control/TrovaCLIds.h"
#include "common/settings/tests/RegistryRedirect.h"
#include "common/skin/Skin.h"
#include "common/skin/tests/SkinTestSupport.h"
#include "framework/win/MessageMap.h"
#include "player/common/PlayerControlIds.h"
#include "player/shell/tests/StubControl.h"

// The shipped folder as a Windows path, from TROVA_DIST_DIR; empty when not set.
std::wstring DistFolder();

// Sets a machine-wide flag under Software\Vantel\Setting (only ever read by the program).
bool WriteMachineFlag(const wchar_t* name, DWORD value);

// A notification area of this thread that the shell's icon calls reach while it lives (it
// lies above the system's): `answer` gets each request (NIM_ADD, NIM_MODIFY, NIM_DELETE) and
// gives the call's result.
class CFakeShellTray {
public:
    explicit CFakeShellTray(std::function<bool(DWORD request)> answer);
    ~CFakeShellTray();
    CFakeShellTray(const CFakeShellTray&) = delete;
    CFakeShellTray& operator=(const CFakeShellTray&) = delete;

    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<bool(DWORD)> answer_;
    HWND window_ = nullptr;
};

// A hidden top-level window of the named class, made with the object and destroyed with it;
// a test's window derives from it with its own message map.
class CHiddenTestWindow : public CWindowImpl {
public:
    explicit CHiddenTestWindow(const wchar_t* className) : className_(className) {
        Create(nullptr, RECT{0, 0, 0, 0}, L"", WS_POPUP);
    }
    ~CHiddenTestWindow() override {
        if (m_hWnd)
            DestroyWindow();
    }

protected:
    WindowClassSpec GetWindowClassSpec() const override { return WindowClassSpec{className_}; }

private:
    const wchar_t* className_;
};

class COleScope {
public:
    COleScope() : initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~COleScope() {
        if (initialized_)
            ::OleUninitialize();
    }
    COleScope(const COleScope&) = delete;
    COleScope& operator=(const COleScope&) = delete;

private:
    bool initialized_;
};

class CShellTest : public ::testing::Test {
protected:
    CShellTest();
    ~CShellTest() override;

private:
    COleScope ole_;

protected:
    CStubControl player_{DIID_DTrovaPlayerCtl, DIID_DTrovaPlayerCtlEvents};
    CStubControl list_{TrovaCLIds::kDispatchId, TrovaCLIds::kEventsId};

private:
    CRegistryRedirect registry_;
    SkinFolder skinFolder_;
    CStubClassRegistration playerClass_{CLSID_TrovaPlayerCtl, player_};
    CStubClassRegistration listClass_{TrovaCLIds::kControlClassId, list_};
};

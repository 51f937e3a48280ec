#pragma once
// What a test of the player's windows needs around it: OLE, private settings, the default
// skin, the update check switched off, and recording stand-ins for the two hosted controls.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "channellist/control/TrovaCLIds.h"
#include "common/settings/tests/RegistryRedirect.h"
#include "common/skin/Skin.h"
#include "common/skin/tests/SkinTestSupport.h"
#include "player/shell/PlayerControlIds.h"
#include "player/shell/tests/StubControl.h"

// The shipped folder as a Windows path, from TROVA_DIST_DIR; empty when not set.
std::wstring DistFolder();

// Sets a machine-wide flag under Software\Vantel\Setting (only ever read by the program).
bool WriteMachineFlag(const wchar_t* name, DWORD value);

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
    CStubControl list_{trovacl::kDispatchId, trovacl::kEventsId};

private:
    CRegistryRedirect registry_;
    SkinFolder skinFolder_;
    CStubClassRegistration playerClass_{CLSID_TrovaPlayerCtl, player_};
    CStubClassRegistration listClass_{trovacl::kControlClassId, list_};
};

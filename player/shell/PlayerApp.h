#pragma once

#include <windows.h>

#include <memory>

#include "player/shell/RemoteCmd.h"

class CMainFrame;

// The player process from its entry to its exit: single-instance rule, hand-off to a running
// player, folders, skin, firewall exception and the main frame.
class CTrovaPlayer6App {
public:
    explicit CTrovaPlayer6App(HINSTANCE instance);
    ~CTrovaPlayer6App();

    // True to run the message loop (which ends at once when there is no main window).
    bool InitInstance();
    int Run();
    int ExitInstance();

    CMainFrame* MainFrame() const { return frame_.get(); }

private:
    HINSTANCE instance_;
    bool oleInitialized_ = false;
    bool firewallExceptionAdded_ = false;
    CInstanceMutexes mutexes_;
    std::unique_ptr<CMainFrame> frame_;
};

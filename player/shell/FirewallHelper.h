#pragma once

#include <string>

// Admits the player through the Windows Firewall and removes it again at exit.
// Every step is skipped silently where the platform has no firewall interface.
class CFirewallHelper {
public:
    // Adds (or enables) the authorised-application entry for modulePath under the
    // given name; true when the exception should be removed again at exit.
    static bool AddException(const std::wstring& modulePath, const std::wstring& name);

    // Removes the entry for modulePath if it is there.
    static void RemoveException(const std::wstring& modulePath);
};

#pragma once

#include <string>
#include <vector>

#include "player/shell/RemoteCmd.h"

// Records the second start's requests as the frame would receive them.
struct RecordingHandler : IRemoteCmdHandler {
    std::vector<std::wstring> calls;
    void OpenLink(const std::wstring& text) override { calls.push_back(L"open:" + text); }
    void OfferNewVersion() override { calls.push_back(L"offer"); }
    void Activate() override { calls.push_back(L"activate"); }
    void QuitNow() override { calls.push_back(L"quit"); }
};

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/shell/SingletonWnd.h"

namespace {

struct RecordingHandler : IRemoteCmdHandler {
    std::vector<std::wstring> calls;
    void OpenLink(const std::wstring& text) override { calls.push_back(L"open:" + text); }
    void OfferNewVersion() override { calls.push_back(L"offer"); }
    void Activate() override { calls.push_back(L"activate"); }
    void QuitNow() override { calls.push_back(L"quit"); }
};

// The update library substitute answers as its environment tells it.
class UpdateProbeEnv {
public:
    UpdateProbeEnv(const wchar_t* newer, const wchar_t* delayMs) {
        ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", newer);
        ::SetEnvironmentVariableW(L"UPDATEPROBE_DELAY_MS", delayMs);
    }
    ~UpdateProbeEnv() {
        ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);
        ::SetEnvironmentVariableW(L"UPDATEPROBE_DELAY_MS", nullptr);
    }
};

class SingletonWindow : public ::testing::Test {
protected:
    CTestHost owner_;
    RecordingHandler handler_;
};

TEST_F(SingletonWindow, IsFoundByClassAndTitleAndPassesRequestsOn) {
    UpdateProbeEnv probe(L"0", nullptr);
    CSingletonWnd window;
    ASSERT_TRUE(window.Create(owner_));
    window.SetHandler(&handler_);
    EXPECT_EQ(window.m_hWnd, FindRunningPlayer());
    EXPECT_TRUE(SendLinkToRunningInstance(L"trova://global/abc"));
    EXPECT_TRUE(ActivateRunningInstance());
    EXPECT_EQ(0, window.SendMessage(WM_PLAYER_QUIT));
    EXPECT_EQ((std::vector<std::wstring>{L"open:trova://global/abc", L"activate", L"quit"}), handler_.calls);
    EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(SingletonWindow, RequestsWithoutHandlerAreIgnored) {
    UpdateProbeEnv probe(L"0", nullptr);
    CSingletonWnd window;
    ASSERT_TRUE(window.Create(owner_));
    EXPECT_TRUE(SendLinkToRunningInstance(L"trova://global/abc"));
    EXPECT_EQ(0, window.SendMessage(WM_PLAYER_QUIT));
}

TEST_F(SingletonWindow, NewerVersionIsOfferedOnceFromTheWorker) {
    UpdateProbeEnv probe(L"1", nullptr);
    CSingletonWnd window;
    window.SetHandler(&handler_);
    ASSERT_TRUE(window.Create(owner_));
    EXPECT_TRUE(PumpUntil([&] { return !handler_.calls.empty(); }, 5000));
    window.DestroyWindow();
    EXPECT_EQ(std::vector<std::wstring>{L"offer"}, handler_.calls);
}

TEST_F(SingletonWindow, NoOfferWhenTheVersionIsCurrent) {
    UpdateProbeEnv probe(L"0", nullptr);
    CSingletonWnd window;
    window.SetHandler(&handler_);
    ASSERT_TRUE(window.Create(owner_));
    PumpUntil([] { return false; }, 300);
    window.DestroyWindow();
    EXPECT_TRUE(handler_.calls.empty());
}

TEST_F(SingletonWindow, DestructionWaitsForASlowCheckWithoutAsking) {
    UpdateProbeEnv probe(L"1", L"400");
    CSingletonWnd window;
    window.SetHandler(&handler_);
    ASSERT_TRUE(window.Create(owner_));
    const DWORD start = ::GetTickCount();
    window.DestroyWindow();
    EXPECT_GE(::GetTickCount() - start, 300u);
    PumpMessages();
    EXPECT_TRUE(handler_.calls.empty());
}

}  // namespace

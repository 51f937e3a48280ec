#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/shell/SingletonWnd.h"
#include "player/shell/tests/RecordingHandler.h"

namespace {

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

// Sends one copy-data request as another program would; returns the window's answer.
LRESULT SendRequest(HWND window, ULONG_PTR kind, const std::wstring& text = std::wstring()) {
    COPYDATASTRUCT request{};
    request.dwData = kind;
    if (!text.empty()) {
        request.lpData = const_cast<wchar_t*>(text.c_str());
        request.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    }
    return ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request));
}

// The names and numbers other programs and other players rely on, written out here rather
// than taken from the code under test.
TEST_F(SingletonWindow, ProtocolNamesAndNumbersAreFixed) {
    UpdateProbeEnv probe(L"0", nullptr);
    CTestWindow<CSingletonWnd> window;
    ASSERT_TRUE(window.Create(owner_));
    window.SetHandler(&handler_);
    HWND found = ::FindWindowW(L"TrovaPlayerSWWndClass", L"TrovaPlayerSWWnd");
    EXPECT_EQ(window.m_hWnd, found);
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_SAVEBITS), ::GetClassLongPtrW(found, GCL_STYLE));
    EXPECT_FALSE(::IsWindowVisible(found));
    EXPECT_EQ(owner_.m_hWnd, ::GetWindow(found, GW_OWNER));

    // A request that a handler call took is answered TRUE.
    EXPECT_EQ(TRUE, SendRequest(found, 100, L"trova://global/abc"));
    EXPECT_EQ(TRUE, SendRequest(found, 200));
    EXPECT_EQ(TRUE, SendRequest(found, 300));
    EXPECT_EQ(FALSE, SendRequest(found, 400, L"trova://global/other"));
    EXPECT_EQ(FALSE, SendRequest(found, 100));
    EXPECT_EQ(0, ::SendMessageW(found, 0x07F0, 0, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"open:trova://global/abc", L"offer", L"activate", L"quit"}), handler_.calls);

    CInstanceMutexes mutexes;
    mutexes.Create();
    for (const wchar_t* name : {L"TROVAPLAYERRTM", L"Global\\TROVAPLAYERRTM"}) {
        HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
        EXPECT_TRUE(mutex) << "no mutex " << name;
        if (mutex)
            ::CloseHandle(mutex);
    }
}

TEST_F(SingletonWindow, RequestsWithoutHandlerAreNotTaken) {
    UpdateProbeEnv probe(L"0", nullptr);
    CTestWindow<CSingletonWnd> window;
    ASSERT_TRUE(window.Create(owner_));
    EXPECT_EQ(FALSE, SendRequest(window, kRequestOpenLink, L"trova://global/abc"));
    EXPECT_EQ(FALSE, SendRequest(window, kRequestActivate));
    EXPECT_EQ(0, window.SendMessage(WM_PLAYER_QUIT));
}

// Once the player is on its way out it acts on nothing more: what arrives after the quit
// request is answered as not taken, so that the sender can start a player of its own.
TEST_F(SingletonWindow, RequestsAfterTheQuitRequestAreNotTaken) {
    UpdateProbeEnv probe(L"0", nullptr);
    CTestWindow<CSingletonWnd> window;
    ASSERT_TRUE(window.Create(owner_));
    window.SetHandler(&handler_);
    window.SendMessage(WM_PLAYER_QUIT);
    EXPECT_EQ(FALSE, SendRequest(window, kRequestOpenLink, L"trova://global/late"));
    EXPECT_EQ(FALSE, SendRequest(window, kRequestActivate));
    window.SendMessage(WM_PLAYER_QUIT);
    EXPECT_EQ(std::vector<std::wstring>{L"quit"}, handler_.calls);
}

// The worker offers a newer version once, and nothing when the version is current.
TEST_F(SingletonWindow, NewerVersionIsOfferedOnceFromTheWorker) {
    for (const bool newer : {true, false}) {
        SCOPED_TRACE(newer);
        handler_.calls.clear();
        UpdateProbeEnv probe(newer ? L"1" : L"0", nullptr);
        CSingletonWnd window;
        window.SetHandler(&handler_);
        ASSERT_TRUE(window.Create(owner_));
        PumpUntil([&] { return !handler_.calls.empty(); }, newer ? 5000 : 300);
        window.DestroyWindow();
        EXPECT_EQ(newer ? std::vector<std::wstring>{L"offer"} : std::vector<std::wstring>{}, handler_.calls);
    }
}

// The frame quits while the worker's new-version question is open: the window goes inside
// the worker's own request, so the worker cannot end before that request is answered. The
// window's end does not wait for it; the check ends once the question returns, and the
// library is freed with the helper.
TEST_F(SingletonWindow, QuitDuringTheWorkersQuestionEndsTheCheckAndFreesTheLibrary) {
    struct QuittingHandler : RecordingHandler {
        CSingletonWnd* window = nullptr;
        void OfferNewVersion() override {
            calls.push_back(L"offer");
            window->DestroyWindow();
        }
    } quitting;
    UpdateProbeEnv probe(L"1", nullptr);
    ASSERT_FALSE(::GetModuleHandleW(L"UpdateProbe.dll"));
    {
        CSingletonWnd window;
        quitting.window = &window;
        window.SetHandler(&quitting);
        ASSERT_TRUE(window.Create(owner_));
        EXPECT_TRUE(PumpUntil([&] { return !quitting.calls.empty(); }, 10000));
        EXPECT_FALSE(window.IsWindow());
    }
    EXPECT_EQ(std::vector<std::wstring>{L"offer"}, quitting.calls);
    EXPECT_FALSE(::GetModuleHandleW(L"UpdateProbe.dll")) << "the check was given up on and its library kept";
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

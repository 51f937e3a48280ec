// The player control substitute as the player sees it: hosted in a container, called through
// IDispatch, its events received by an advised sink, its trace file and its picture.

#include "framework/com/ControlHost.h"
#include "framework/com/DispatchCall.h"
#include "framework/com/tests/ComStubs.h"
#include "framework/win/tests/TestHost.h"
#include "player/common/PlayerControlIds.h"

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kControlId = 201;
constexpr DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr RECT kControlRect = {0, 0, 320, 180};
constexpr DWORD kEventWaitMs = 3000;
constexpr COLORREF kIdleBackground = RGB(16, 18, 26);

const auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new COleEnvironment);

// The control DLL from the shipped folder (on the search path of the tests).
const CServerDll& PlayerCtlDll() {
    static const CServerDll dll(L"TrovaPlayerCtl.dll");
    return dll;
}

std::wstring VariantText(const VARIANT& value) {
    VARIANT text;
    VariantInit(&text);
    std::wstring result = L"?";
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        result.assign(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return result;
}

// Sink of the player's event interface: records each event as "<dispid> <arg> <arg>..." and
// the argument types as "UI4 I4 ...".
class CRecordingSink final : public CStubEventSink {
public:
    CRecordingSink() : CStubEventSink(DIID_DTrovaPlayerCtlEvents) {}
    std::vector<std::wstring> events;
    std::vector<std::wstring> types;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        std::wstring event = std::to_wstring(id);
        std::wstring typeList;
        for (UINT i = params->cArgs; i-- > 0;) {  // arguments arrive last first
            const VARIANT& arg = params->rgvarg[i];
            event += L" " + VariantText(arg);
            if (!typeList.empty())
                typeList += L" ";
            typeList += arg.vt == VT_UI4 ? L"UI4" : arg.vt == VT_I4 ? L"I4" : arg.vt == VT_UI1 ? L"UI1" : L"other";
        }
        events.push_back(event);
        types.push_back(typeList);
        if (onEvent)
            onEvent(id);
        return S_OK;
    }

    std::function<void(DISPID)> onEvent;
};

struct ChannelReply {
    HRESULT hr = E_FAIL;
    LONG result = 0;
    std::wstring server;
    ULONG port = 0;
    std::wstring channel;
};

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// A temporary folder of one test, removed with its files.
class CTempFolder {
public:
    CTempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"playerctl-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~CTempFolder() {
        for (const auto& file : files_)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring File(const std::wstring& name, bool create = true) {
        const std::wstring path = path_ + L"\\" + name;
        if (create) {
            const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
        files_.push_back(path);
        return path;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

class PlayerControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PlayerCtlDll().Module()) << "TrovaPlayerCtl.dll not found";
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, PlayerCtlDll().GetClassObject(CLSID_TrovaPlayerCtl, IID_IClassFactory,
                                                      reinterpret_cast<void**>(factory.GetAddressOf())));
        ASSERT_EQ(S_OK, host.Create(parent, kControlRect, kControlId, kControlStyle, factory.Get()));
        Connect();
    }
    void TearDown() override {
        Disconnect();
        dispatch.Reset();
        host.Destroy();
        EXPECT_EQ(S_OK, PlayerCtlDll().CanUnloadNow()) << "a control object leaked";
    }

    void Connect() {
        ASSERT_EQ(S_OK, host.QueryControl(DIID_DTrovaPlayerCtl, reinterpret_cast<void**>(dispatch.GetAddressOf())));
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(S_OK, host.QueryControl(container));
        ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_DTrovaPlayerCtlEvents, &point));
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    }
    void Disconnect() {
        if (point)
            point->Unadvise(cookie);
        point.Reset();
    }

    HWND ControlWindow() const {
        ComPtr<IOleInPlaceObject> inPlace;
        HWND window = nullptr;
        if (SUCCEEDED(host.QueryControl(inPlace)))
            inPlace->GetWindow(&window);
        return window;
    }

    ULONG Play(const std::wstring& source) {
        VARIANT arg;
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocStringLen(source.data(), static_cast<UINT>(source.size()));
        VARIANT result;
        VariantInit(&result);
        const HRESULT hr = CallDispatchMethod(dispatch.Get(), DISPID_PLAYER_PLAY, &arg, 1, &result);
        VariantClear(&arg);
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(VT_UI4, result.vt);
        return result.ulVal;
    }
    // Plays and waits for the start event.
    void PlayAndWaitForStart(const std::wstring& source) {
        ASSERT_EQ(0u, Play(source));
        ASSERT_TRUE(WaitForEvent(L"1"));
        PumpMessages();
    }

    HRESULT KeepPosition() {
        return CallDispatchMethod(dispatch.Get(), DISPID_PLAYER_KEEP_POSITION, nullptr, 0, nullptr);
    }

    ChannelReply GetChannel() {
        ChannelReply reply;
        BSTR server = nullptr, channel = nullptr;
        ULONG port = 12345;
        VARIANT args[3];
        args[0].vt = VT_BYREF | VT_BSTR;
        args[0].pbstrVal = &server;
        args[1].vt = VT_BYREF | VT_UI4;
        args[1].pulVal = &port;
        args[2].vt = VT_BYREF | VT_BSTR;
        args[2].pbstrVal = &channel;
        VARIANT result;
        VariantInit(&result);
        reply.hr = CallDispatchMethod(dispatch.Get(), DISPID_PLAYER_GET_CHANNEL, args, 3, &result);
        EXPECT_EQ(VT_I4, result.vt);
        reply.result = result.lVal;
        reply.server.assign(server ? server : L"", SysStringLen(server));
        reply.port = port;
        reply.channel.assign(channel ? channel : L"", SysStringLen(channel));
        SysFreeString(server);
        SysFreeString(channel);
        return reply;
    }

    bool WaitForEvent(const std::wstring& event) {
        auto seen = [&] {
            for (const auto& e : sink.events)
                if (e == event)
                    return true;
            return false;
        };
        return PumpUntil(seen, kEventWaitMs);
    }

    CTestHost parent;
    CControlHost host;
    ComPtr<IDispatch> dispatch;
    CRecordingSink sink;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
};

using Events = std::vector<std::wstring>;

TEST_F(PlayerControlTest, PlayingALinkReportsStartThenPictureSizeFromATimer) {
    EXPECT_EQ(0u, Play(L"trova://global/abc"));
    EXPECT_TRUE(sink.events.empty()) << "events must not arrive inside the play call";
    ASSERT_TRUE(WaitForEvent(L"2 640 360"));
    EXPECT_EQ((Events{L"1", L"2 640 360"}), sink.events);
    EXPECT_EQ(L"UI4 UI4", sink.types[1]);

    // Stays started: no second start while it plays on.
    PumpUntil([] { return false; }, 400);
    EXPECT_EQ(2u, sink.events.size());
}

TEST_F(PlayerControlTest, ChannelNowPlaying) {
    ChannelReply reply = GetChannel();
    EXPECT_EQ(S_OK, reply.hr);
    EXPECT_LT(reply.result, 0) << "nothing plays yet";
    EXPECT_EQ(L"", reply.server);

    const struct {
        const wchar_t* link;
        const wchar_t* server;
        ULONG port;
        const wchar_t* channel;
    } kPlaying[] = {
        {L"trova://global/abc", L"global", 8081, L"abc"},
        {L"TROVA://10.1.2.3:9000/ch-01", L"10.1.2.3", 9000, L"ch-01"},
    };
    for (const auto& playing : kPlaying) {
        Play(playing.link);
        reply = GetChannel();
        EXPECT_EQ(0, reply.result) << playing.link;
        EXPECT_EQ(playing.server, reply.server);
        EXPECT_EQ(playing.port, reply.port);
        EXPECT_EQ(playing.channel, reply.channel);
    }

    Play(L"trova://s:0/x");
    EXPECT_EQ(8081u, GetChannel().port) << "port 0 stands for the default";
}

TEST_F(PlayerControlTest, SourcesThatCannotPlayStopPlaying) {
    CTempFolder folder;
    Play(L"trova://global/abc");
    EXPECT_EQ(2u, Play(L"trova://global")) << "no channel";
    EXPECT_LT(GetChannel().result, 0);
    EXPECT_EQ(2u, Play(L"trova:///abc")) << "no server";
    EXPECT_EQ(2u, Play(L"trova://s:70000/abc")) << "port out of range";
    EXPECT_EQ(2u, Play(L"trova://s:8x/abc"));
    EXPECT_EQ(3u, Play(folder.File(L"missing.avi", false)));
    EXPECT_EQ(1u, Play(L""));
    EXPECT_LT(GetChannel().result, 0);

    // Only the first stop was of something playing; nothing ever started.
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ((Events{L"3 0"}), sink.events);
    EXPECT_EQ(L"UI1", sink.types[0]);
}

TEST_F(PlayerControlTest, FilesPlayWithASizeOnlyWhenTheirNameHasOne) {
    CTempFolder folder;
    PlayAndWaitForStart(folder.File(L"holiday.avi"));
    EXPECT_LT(GetChannel().result, 0) << "a file is no channel";

    sink.events.clear();
    PlayAndWaitForStart(folder.File(L"clip_1280x720.avi"));
    ASSERT_TRUE(WaitForEvent(L"2 1280 720"));

    sink.events.clear();
    PlayAndWaitForStart(folder.File(L"tiny_8x8_and_huge_99999x100.avi"));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ((Events{L"3 0", L"1"}), sink.events) << "sizes out of range are not reported";
}

TEST_F(PlayerControlTest, ASinkPlayingAnotherSourceOnStartGetsOnlyTheNewSourcesSize) {
    CTempFolder folder;
    const std::wstring file = folder.File(L"movie.avi");
    bool replaced = false;
    sink.onEvent = [&](DISPID id) {
        if (id == DISPID_PLAYER_EVENT_STARTED && !replaced) {
            replaced = true;
            Play(file);
        }
    };
    Play(L"trova://global/abc");
    ASSERT_TRUE(PumpUntil([&] { return sink.events.size() >= 3; }, kEventWaitMs));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ((Events{L"1", L"3 0", L"1"}), sink.events) << "no 640x360 for the link that was replaced";
}

TEST_F(PlayerControlTest, PointerEventsCarryKeysButtonAndClientPoint) {
    const HWND window = ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(10, 20));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(-5, 21));
    SendMessageW(window, WM_LBUTTONUP, 0, MakePointLParam(11, 22));
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MakePointLParam(30, 40));
    SendMessageW(window, WM_RBUTTONUP, MK_SHIFT, MakePointLParam(31, 41));
    SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointLParam(50, 60));
    POINT screen = {5, 6};
    ClientToScreen(window, &screen);
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MakePointLParam(screen.x, screen.y));

    EXPECT_EQ((Events{L"5 1 1 10 20", L"7 1 0 -5 21", L"4 0 1 11 22", L"6 6 2 30 40", L"8 4 2 31 41", L"9 1 1 50 60",
                      L"10 0 4294967176 5 6"}),
              sink.events);
    for (const auto& types : sink.types)
        EXPECT_EQ(L"UI4 UI4 I4 I4", types);
}

TEST_F(PlayerControlTest, TraceFileHasOneLinePerCallAndEvent) {
    CTempFolder folder;
    const std::wstring log = folder.File(L"player.log", false);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TROVAPLAYER_LOG", log.c_str()));
    PlayAndWaitForStart(L"trova://global/abc");
    ASSERT_TRUE(WaitForEvent(L"2 640 360"));
    KeepPosition();
    GetChannel();
    SendMessageW(ControlWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(3, 4));
    Play(L"C:\\no\"such\nfile");
    GetChannel();
    Play(L"trova://\u7535\u5f71/x");
    SetEnvironmentVariableW(L"TROVAPLAYER_LOG", nullptr);
    KeepPosition();  // no longer traced

    EXPECT_EQ(
        "method 1 play \"trova://global/abc\" -> 0\n"
        "event 1\n"
        "event 2 640 360\n"
        "method 3 keep-position\n"
        "method 5 channel -> 0 \"global\" 8081 \"abc\"\n"
        "event 5 1 1 3 4\n"
        "method 1 play \"C:\\\\no\\\"such\\nfile\" -> 3\n"
        "event 3 0\n"
        "method 5 channel -> -1\n"
        "method 1 play \"trova://\xE7\x94\xB5\xE5\xBD\xB1/x\" -> 0\n",
        ReadFileBytes(log));
}

// What the control paints, captured through WM_PRINTCLIENT.
class PlayerPictureTest : public PlayerControlTest {
protected:
    std::unique_ptr<CPaintCapture> Capture() {
        auto capture = std::make_unique<CPaintCapture>(kControlRect.right, kControlRect.bottom);
        capture->PrintClient(ControlWindow());
        return capture;
    }
    static int Differences(const CPaintCapture& a, const CPaintCapture& b) {
        int count = 0;
        for (int y = 0; y < kControlRect.bottom; ++y)
            for (int x = 0; x < kControlRect.right; ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y))
                    ++count;
        return count;
    }
};

TEST_F(PlayerPictureTest, IdlePictureIsDarkWithTheProductWord) {
    const auto idle = Capture();
    const RECT all = {0, 0, kControlRect.right, kControlRect.bottom};
    const int background = idle->CountColor(all, kIdleBackground);
    EXPECT_GT(background, all.right * all.bottom * 9 / 10);
    EXPECT_LT(background, all.right * all.bottom) << "the word is drawn";
    EXPECT_EQ(0, idle->CountColor(all, RGB(1, 2, 3))) << "the whole client area is painted";
}

TEST_F(PlayerPictureTest, PictureMovesWhilePlayingAndStopsWhenStopped) {
    PlayAndWaitForStart(L"trova://global/abc");
    const auto first = Capture();
    EXPECT_EQ(0, first->CountColor({0, 0, 320, 135}, kIdleBackground)) << "bars fill the upper part";
    Sleep(600);
    EXPECT_GT(Differences(*first, *Capture()), 320 * 10) << "the bars scroll and the clock runs";

    EXPECT_EQ(1u, Play(L""));
    const auto stopped = Capture();
    Sleep(100);
    EXPECT_EQ(0, Differences(*stopped, *Capture()));
    EXPECT_GT(stopped->CountColor({0, 0, 320, 180}, kIdleBackground), 320 * 180 * 9 / 10);
}

TEST_F(PlayerPictureTest, FrameTimerRepaintsTheShownWindow) {
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    PlayAndWaitForStart(L"trova://global/abc");
    // What is on the screen, read back from the window's own DC.
    auto onScreen = [&] {
        auto capture = std::make_unique<CPaintCapture>(kControlRect.right, kControlRect.bottom);
        ScopedGetDC dc(ControlWindow());
        BitBlt(capture->Dc(), 0, 0, kControlRect.right, kControlRect.bottom, dc, 0, 0, SRCCOPY);
        GdiFlush();
        return capture;
    };
    PumpMessages();
    const auto before = onScreen();
    EXPECT_GT(before->CountColor({0, 0, 320, 135}, RGB(192, 192, 0)), 0) << "the bars are on the screen";
    EXPECT_TRUE(PumpUntil([&] { return Differences(*before, *onScreen()) > 320 * 10; }, 2000));
    ShowWindow(parent, SW_HIDE);
}

// Registration and creation the way the player does it: by class identifier.
TEST(PlayerControlRegistration, CreatedByClassIdAfterRegistration) {
    ASSERT_TRUE(PlayerCtlDll().Module());
    ASSERT_EQ(S_OK, PlayerCtlDll().Register());

    CLSID fromProgId = {};
    EXPECT_EQ(S_OK, CLSIDFromProgID(kPlayerCtlProgId, &fromProgId));
    EXPECT_EQ(CLSID_TrovaPlayerCtl, fromProgId);

    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_TrovaPlayerCtlLib, 1, 0, 0, &typeLib));
    for (const GUID* guid : {&CLSID_TrovaPlayerCtl, &DIID_DTrovaPlayerCtl, &DIID_DTrovaPlayerCtlEvents}) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(*guid, &info));
    }

    CTestHost parent;
    CControlHost host;
    ASSERT_EQ(S_OK, host.Create(parent, kControlRect, kControlId, kControlStyle, CLSID_TrovaPlayerCtl));
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(S_OK, host.QueryControl(DIID_DTrovaPlayerCtl, reinterpret_cast<void**>(dispatch.GetAddressOf())));
    ComPtr<IProvideClassInfo2> classInfo;
    ASSERT_EQ(S_OK, host.QueryControl(classInfo));
    GUID source = {};
    EXPECT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_EQ(DIID_DTrovaPlayerCtlEvents, source);
}

}  // namespace

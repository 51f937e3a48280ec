#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channellist/control/TrovaCLIds.h"
#include "player/shell/ControlSinks.h"
#include "player/common/PlayerControlIds.h"
#include "player/shell/tests/StubControl.h"

namespace {

struct RecordingPlayerListener : IPlayerEventListener {
    std::vector<std::wstring> calls;
    void Add(const wchar_t* name, ULONG a, ULONG b, LONG x, LONG y) {
        calls.push_back(std::wstring(name) + L" " + std::to_wstring(a) + L" " + std::to_wstring(b) + L" " +
                        std::to_wstring(x) + L" " + std::to_wstring(y));
    }
    void OnPlayStarted() override { calls.push_back(L"started"); }
    void OnVideoSize(ULONG w, ULONG h) override {
        calls.push_back(L"size " + std::to_wstring(w) + L" " + std::to_wstring(h));
    }
    void OnPlayerFlag(bool on) override { calls.push_back(on ? L"flag on" : L"flag off"); }
    void OnVideoMouseUp(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"up", a, b, x, y); }
    void OnVideoMouseDown(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"down", a, b, x, y); }
    void OnVideoPointer6(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"p6", a, b, x, y); }
    void OnVideoPointer8(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"p8", a, b, x, y); }
    void OnVideoPointer9(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"p9", a, b, x, y); }
    void OnVideoPointer10(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"p10", a, b, x, y); }
    void OnVideoMouseMove(ULONG a, ULONG b, LONG x, LONG y) override { Add(L"move", a, b, x, y); }
};

struct RecordingListListener : IChannelListListener {
    std::vector<std::wstring> links;
    void OnChannelOpen(const std::wstring& link) override { links.push_back(link); }
};

std::vector<VARIANT> Pointer(ULONG a, ULONG b, LONG x, LONG y) {
    return {UIntArg(a), UIntArg(b), IntArg(x), IntArg(y)};
}

class ControlSinks : public ::testing::Test {
protected:
    CStubControl player_{DIID_DTrovaPlayerCtl, DIID_DTrovaPlayerCtlEvents};
    CStubControl list_{TrovaCLIds::kDispatchId, TrovaCLIds::kEventsId};
};

TEST_F(ControlSinks, EveryPlayerEventReachesItsListenerSlotWithItsArguments) {
    RecordingPlayerListener listener;
    CTRPlayerSink sink(&listener);
    ASSERT_TRUE(sink.Connect(static_cast<IOleObject*>(&player_)));
    player_.Fire(1);
    player_.Fire(2, {UIntArg(640), UIntArg(360)});
    player_.Fire(3, {ByteArg(1)});
    player_.Fire(3, {ByteArg(2)});
    player_.Fire(4, Pointer(1, 2, -3, 4));
    player_.Fire(5, Pointer(5, 6, 7, -8));
    player_.Fire(6, Pointer(0, 0, 6, 6));
    player_.Fire(7, Pointer(9, 10, 11, 12));
    player_.Fire(8, Pointer(0, 0, 8, 8));
    player_.Fire(9, Pointer(0, 0, 9, 9));
    player_.Fire(10, Pointer(0, 0, 10, 10));
    player_.Fire(11, Pointer(0, 0, 11, 11));  // not an event of the player: ignored
    EXPECT_EQ((std::vector<std::wstring>{L"started", L"size 640 360", L"flag on", L"flag off", L"up 1 2 -3 4",
                                         L"down 5 6 7 -8", L"p6 0 0 6 6", L"move 9 10 11 12", L"p8 0 0 8 8",
                                         L"p9 0 0 9 9", L"p10 0 0 10 10"}),
              listener.calls);
    sink.Disconnect();
}

TEST_F(ControlSinks, EventsWithoutListenerAreDropped) {
    RecordingPlayerListener playerListener;
    CTRPlayerSink sink(&playerListener);
    ASSERT_TRUE(sink.Connect(static_cast<IOleObject*>(&player_)));
    sink.SetListener(nullptr);
    EXPECT_EQ(S_OK, player_.Fire(1));
    EXPECT_EQ(S_OK, player_.Fire(2, {UIntArg(1), UIntArg(1)}));
    EXPECT_TRUE(playerListener.calls.empty());
    sink.SetListener(&playerListener);
    EXPECT_EQ(S_OK, player_.Fire(1));
    EXPECT_EQ(std::vector<std::wstring>{L"started"}, playerListener.calls);
    sink.Disconnect();

    RecordingListListener listListener;
    CChannelListSink listSink(&listListener);
    ASSERT_TRUE(listSink.Connect(static_cast<IOleObject*>(&list_)));
    listSink.SetListener(nullptr);
    CScopedBstr link(L"trova://global/abc");
    EXPECT_EQ(S_OK, list_.Fire(1, {BstrArg(link.Get())}));
    EXPECT_TRUE(listListener.links.empty());
    listSink.Disconnect();
}

TEST_F(ControlSinks, CookieMarksTheConnectionAndASecondDisconnectDoesNothing) {
    RecordingPlayerListener listener;
    CTRPlayerSink sink(&listener);
    EXPECT_EQ(0xFEFEFEFEu, sink.Cookie());
    EXPECT_FALSE(sink.IsConnected());
    sink.Disconnect();  // never connected: nothing to undo
    EXPECT_EQ(0, player_.unadvises);

    ASSERT_TRUE(sink.Connect(static_cast<IOleObject*>(&player_)));
    EXPECT_NE(0xFEFEFEFEu, sink.Cookie());
    EXPECT_TRUE(player_.HasSink());

    sink.Disconnect();
    EXPECT_EQ(0xFEFEFEFEu, sink.Cookie());
    EXPECT_FALSE(player_.HasSink());
    EXPECT_EQ(1, player_.unadvises);
    sink.Disconnect();
    EXPECT_EQ(1, player_.unadvises);

    player_.Fire(1);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(ControlSinks, ConnectFailsWithoutControlOrMatchingConnectionPoint) {
    RecordingPlayerListener listener;
    CTRPlayerSink sink(&listener);
    EXPECT_FALSE(sink.Connect(nullptr));
    // The channel list offers only its own event interface.
    EXPECT_FALSE(sink.Connect(static_cast<IOleObject*>(&list_)));
    EXPECT_EQ(0xFEFEFEFEu, sink.Cookie());
}

TEST_F(ControlSinks, SinkAnswersOnlyItsEventInterfaceAndIDispatch) {
    CChannelListSink sink(nullptr);
    void* object = nullptr;
    for (const IID& iid : {TrovaCLIds::kEventsId, IID_IDispatch, IID_IUnknown}) {
        ASSERT_EQ(S_OK, sink.QueryInterface(iid, &object));
        static_cast<IUnknown*>(object)->Release();
    }
    EXPECT_EQ(E_NOINTERFACE, sink.QueryInterface(DIID_DTrovaPlayerCtlEvents, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, sink.QueryInterface(IID_IDispatch, nullptr));
    UINT count = 0;
    EXPECT_EQ(E_NOTIMPL, sink.GetTypeInfoCount(&count));
    // The sink lives inside its window, whose reference it keeps while it lives.
    EXPECT_EQ(2u, sink.AddRef());
    EXPECT_EQ(1u, sink.Release());
}

TEST_F(ControlSinks, ASinkThatGoesDisconnectsItself) {
    RecordingPlayerListener listener;
    {
        CTRPlayerSink sink(&listener);
        ASSERT_TRUE(sink.Connect(static_cast<IOleObject*>(&player_)));
    }
    EXPECT_FALSE(player_.HasSink());
    EXPECT_EQ(1, player_.unadvises);
}

TEST_F(ControlSinks, ChannelOpenPassesTheTextEvenWhenEmpty) {
    RecordingListListener listener;
    CChannelListSink sink(&listener);
    ASSERT_TRUE(sink.Connect(static_cast<IOleObject*>(&list_)));
    CScopedBstr link(L"trova://global:9000/abc"), empty(L"");
    // OnChannelOpen is the list's event 1; it has no other.
    list_.Fire(1, {BstrArg(link.Get())});
    list_.Fire(1, {BstrArg(empty.Get())});
    list_.Fire(1, {BstrArg(nullptr)});  // a null BSTR is the empty text
    list_.Fire(0, {BstrArg(link.Get())});
    list_.Fire(2, {BstrArg(link.Get())});
    EXPECT_EQ((std::vector<std::wstring>{L"trova://global:9000/abc", L"", L""}), listener.links);
    sink.Disconnect();
}

}  // namespace

#pragma once
// Identifiers of the video player control the player hosts. The control is an outside
// component; these values are the contract with it.
#include <windows.h>

// Class of the control, created by the movie panel.
// {CC832E1D-5787-4677-808E-1C8EC3FC8D9D}
constexpr CLSID CLSID_TrovaPlayerCtl = {0xcc832e1d, 0x5787, 0x4677, {0x80, 0x8e, 0x1c, 0x8e, 0xc3, 0xfc, 0x8d, 0x9d}};
// Its primary dispatch interface, asked for after creation.
// {730CD647-B5BF-4A1D-836B-83BAEC1F9294}
constexpr IID DIID_DTrovaPlayerCtl = {0x730cd647, 0xb5bf, 0x4a1d, {0x83, 0x6b, 0x83, 0xba, 0xec, 0x1f, 0x92, 0x94}};
// Its outgoing event interface.
// {5C84A41A-D2C2-44F0-A87A-4788C47A46EA}
constexpr IID DIID_DTrovaPlayerCtlEvents = {0x5c84a41a, 0xd2c2, 0x44f0, {0xa8, 0x7a, 0x47, 0x88, 0xc4, 0x7a, 0x46, 0xea}};
// Its type library.
// {1FF71046-7AAA-402E-8C5E-A5BE4C08D580}
constexpr GUID LIBID_TrovaPlayerCtlLib = {0x1ff71046, 0x7aaa, 0x402e, {0x8c, 0x5e, 0xa5, 0xbe, 0x4c, 0x08, 0xd5, 0x80}};

// Dispatch methods.
constexpr DISPID DISPID_PLAYER_PLAY = 1;              // (BSTR link or path) -> unsigned long
constexpr DISPID DISPID_PLAYER_KEEP_POSITION = 3;     // ()
constexpr DISPID DISPID_PLAYER_GET_CHANNEL = 5;       // (BSTR* server, unsigned long* port, BSTR* channel) -> long

// Events.
constexpr DISPID DISPID_PLAYER_EVENT_STARTED = 1;     // ()
constexpr DISPID DISPID_PLAYER_EVENT_VIDEO_SIZE = 2;  // (unsigned long width, unsigned long height)
constexpr DISPID DISPID_PLAYER_EVENT_FLAG = 3;        // (unsigned char flag)
constexpr DISPID DISPID_PLAYER_EVENT_MOUSE_UP = 4;    // (unsigned long, unsigned long, long x, long y)
constexpr DISPID DISPID_PLAYER_EVENT_MOUSE_DOWN = 5;
constexpr DISPID DISPID_PLAYER_EVENT_POINTER_6 = 6;
constexpr DISPID DISPID_PLAYER_EVENT_MOUSE_MOVE = 7;
constexpr DISPID DISPID_PLAYER_EVENT_POINTER_8 = 8;
constexpr DISPID DISPID_PLAYER_EVENT_POINTER_9 = 9;
constexpr DISPID DISPID_PLAYER_EVENT_POINTER_10 = 10;

// ProgID under which the substitute registers.
constexpr wchar_t kPlayerCtlProgId[] = L"TrovaPlayerCtl.TrovaPlayerCtl.1";

#pragma once
// What the control is asked to play: a trova:// link or a file path, and what it reports
// about it (the channel of a link, the picture size).
#include <windows.h>

#include <string>

// Result of the play method (dispid 1).
enum class PlayResult : ULONG {
    Started = 0,
    EmptySource = 1,  // nothing given: playing stops
    BadLink = 2,      // a trova:// link without server or channel, or with a bad port
    NoSuchFile = 3,   // not a trova:// link and no such file
};

constexpr ULONG kDefaultChannelPort = 8081;

struct PlaySource {
    bool isLink = false;
    std::wstring text;     // as given
    std::wstring title;    // shown on the picture: the link, or the file's name
    std::wstring server;   // links only
    ULONG port = 0;        // links only; kDefaultChannelPort when the link has none (or 0)
    std::wstring channel;  // links only
    // Picture size the source reports, {0, 0} when it reports none: links report 640 x 360,
    // files the first "<width>x<height>" in their name (16 to 4096 each), e.g. "clip_1280x720.avi".
    SIZE pictureSize = {0, 0};
};

// Parses "trova://" server [":" port] "/" channel (scheme case-insensitive).
bool ParseChannelLink(const std::wstring& text, PlaySource& source);

// Checks and describes a source; Started when it can be played.
PlayResult OpenPlaySource(const std::wstring& text, PlaySource& source);

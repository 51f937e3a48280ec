#pragma once

#include <string>

// The instant messenger's now-playing text. Every "\0" below is the two characters
// backslash and zero, as the messenger's format has it, not a NUL.
std::wstring FormatNowPlayingNotice(const std::wstring& channelName);
// The text that clears the notice again.
const std::wstring& ClearNoticeText();

// Sends the text to every top-level messenger window, giving up on one that hangs; returns
// how many took it in time.
int SendToMessengers(const std::wstring& text);

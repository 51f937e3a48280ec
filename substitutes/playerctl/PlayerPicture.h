#pragma once
// The control's picture: a moving test pattern with the source's name and the play clock while
// something plays, a dark idle picture with the product word otherwise.
#include <windows.h>

#include <string>

struct PictureState {
    bool playing = false;
    std::wstring title;   // link or file name while playing
    DWORD startTick = 0;  // GetTickCount() when playing started
    std::wstring notice;  // idle: why the last source could not be played (empty: none)
};

// Elapsed play time as "HH:MM:SS" (hours keep counting past 99).
std::wstring FormatPlayClock(DWORD elapsedMs);

// Paints the whole of `area`; `now` is the GetTickCount() the animation is drawn for.
void PaintPlayerPicture(HDC dc, const RECT& area, const PictureState& state, DWORD now);

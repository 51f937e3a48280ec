#pragma once
// What the end-to-end scenarios need around the shipped player: the prefix's own settings and
// channel database saved and put back, the player's windows found by their ids, clicks sent
// to them, the database read back, and screenshots of what the user would see.
#include <windows.h>

#include <string>
#include <vector>

// ---- settings and database of the prefix's user

// Holds every value of HKCU\Software\Vantel\Setting and the two machine-wide flags the player
// reads ("HideHome", "HideCList") from construction; Restore puts exactly those back.
class CSettingsSnapshot {
public:
    CSettingsSnapshot();
    void Restore() const;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool userKeyExisted_ = false;
    std::vector<Value> user_;
    std::vector<Value> machine_;
};

// Removes the user's player settings, so the player starts with its defaults.
void ClearUserSettings();
// Removes the machine-wide flags the player reads, so both home page and list show.
void ClearMachineFlags();
bool WriteUserFlag(const wchar_t* name, DWORD value);
// The REG_DWORD under HKCU\Software\Vantel\Setting; false when absent or of another type.
bool ReadUserFlag(const wchar_t* name, DWORD& value);

// The channel database of the prefix's user: %APPDATA%\Vantel\data\cinfo.db.
std::wstring DatabasePath();
bool FileExists(const std::wstring& path);

// Moves the user's channel database aside for the life of the object and puts it back after.
// A copy left aside by an interrupted run is kept (it is the user's, not ours).
class CDatabaseAside {
public:
    CDatabaseAside();
    ~CDatabaseAside();
    CDatabaseAside(const CDatabaseAside&) = delete;
    CDatabaseAside& operator=(const CDatabaseAside&) = delete;

private:
    std::wstring saved_;
};

// Deletes the current database so that the next player starts without one.
bool DeleteDatabase();

// Rows of a read-only query on the user's database, every column as text; empty on failure.
std::vector<std::vector<std::wstring>> QueryDatabase(const char* sql);

// ---- windows

std::wstring WindowText(HWND window);
// The channel-list control's window: inside the site (2003) of the player view (0xE900).
HWND ChannelListControl(HWND frame);
// A child window of the channel-list control by id (headers, lists, search panel).
HWND ChannelListChild(HWND frame, int id);
// A child of the player view by id (navigation 1009, player site 201, options 501).
HWND ViewChild(HWND frame, int id);
// The texts of every descendant of a window, in order (message box and dialog contents).
std::vector<std::wstring> DescendantTexts(HWND window);

// Mouse presses sent to a window, at client coordinates, handled before the call returns.
void SendClick(HWND window, int x, int y);
void SendDoubleClick(HWND window, int x, int y);

// ---- screenshots

// Saves the screen's pixels under the union of the windows' rectangles as
// <shots folder>\acceptance-<name>.png; nothing when TROVA_SHOTS_DIR is not set.
bool SaveScreenshot(const std::wstring& name, std::initializer_list<HWND> windows);

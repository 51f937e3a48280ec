// Times the channel lists for generated catalogues of 1,000, 10,000, 50,000 and 200,000
// channels in 100 catalogs:
// - the all-channels read with its catalogue (the synchronisation thread's part) and its
//   showing (the window thread's), and the history reload on the window thread;
// - search keystrokes: how long Search holds the window thread and how long until the rows
//   are on screen, for fresh keywords (against the search statement through raw SQLite, the
//   way every keystroke was answered before there was a catalogue) and for keywords that
//   extend the one before; keys typed faster than the scans end;
// - thumb drag, scrolling, clearing the keyword, expanding and collapsing the largest catalog;
// - painting the all-channels list with a catalog expanded and scrolled to the middle, and
//   the search list scrolled to the middle of all matches (ms per paint);
// - the process's working set with the lists loaded.
//
// Usage: bench_ui [largest channel count]
// With TROVA_BENCH_SHOT set to a Windows path, the last painted list is saved there as a
// bitmap, to look at.

#include <windows.h>
#include <psapi.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/ListReads.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "common/settings/AppPaths.h"
#include "framework/win/tests/TestHost.h"

using namespace Bench;

namespace {

const int kHistoryRows = 100;
const int kListWidth = 240;
const int kListRows = 24;
const int kPaints = 200;

// ---- raw SQLite

class RawDb {
public:
    RawDb() { sqlite3_open16(GetDatabasePath().c_str(), &db_); }
    ~RawDb() { sqlite3_close(db_); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    sqlite3* Get() const { return db_; }

    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "?");
            sqlite3_free(error);
        }
    }
    int QueryInt(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        int value = 0;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
};

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement, column))
                : std::string();
}

void ReadRecord(sqlite3_stmt* statement, ChannelRecord& out) {
    out.id = sqlite3_column_int(statement, 0);
    out.catalogid = sqlite3_column_int(statement, 1);
    out.name = Text(statement, 2);
    out.desc = Text(statement, 3);
    out.url = Text(statement, 4);
    out.channelid = Text(statement, 5);
    out.type = sqlite3_column_int(statement, 6);
    out.server = Text(statement, 7);
    out.portno = sqlite3_column_int(statement, 8);
    out.bitrate = sqlite3_column_int(statement, 9);
    out.visitors = sqlite3_column_int(statement, 10);
    out.hits = sqlite3_column_int(statement, 11);
}

// Steps a prepared statement to its end, appending every row as a record.
void ReadAll(sqlite3_stmt* statement, std::vector<ChannelRecord>& out) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
        out.emplace_back();
        ReadRecord(statement, out.back());
    }
    sqlite3_finalize(statement);
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "prepare: %s\n", sqlite3_errmsg(db));
    return statement;
}

// The synchronisation fills the database the product's way; then creation times are spread
// over 30 days (about a tenth are new) and kHistoryRows channels get history entries.
void FillDatabase(int count) {
    g_channelCount = count;
    const double start = Now();
    if (!SyncChannelList(&GeneratedGetClassObject))
        std::fprintf(stderr, "sync failed\n");
    RawDb db;
    db.Exec("UPDATE channel SET ctime=datetime('now','-'||((id*7919)%720)||' hours');");
    db.Exec("CREATE TABLE IF NOT EXISTS history(utime DATETIME,id INTEGER UNIQUE);");
    db.Exec("INSERT INTO history(utime,id) SELECT datetime('now','-'||id||' minutes'),id FROM channel WHERE id%" +
            std::to_string(count / kHistoryRows) + "=0 LIMIT " + std::to_string(kHistoryRows) + ";");
    std::printf("database: %d channels, %d catalogs, %d history rows, %d new; filled in %.1f s\n",
                db.QueryInt("SELECT count(*) FROM channel WHERE del<>1"), db.QueryInt("SELECT count(*) FROM catalog"),
                db.QueryInt("SELECT count(*) FROM history"),
                db.QueryInt("SELECT count(*) FROM channel WHERE (julianday('now')-julianday(ctime))<3"), Now() - start);
}

// ---- floors: one connection, the same rows through as few statements as possible

void FloorHistory() {
    RawDb db;
    std::vector<ChannelRecord> rows;
    ReadAll(Prepare(db.Get(),
                    "SELECT c.id,c.catalogid,c.name,c.desc,c.url,c.channelid,c.type,c.server,c.portno,"
                    "c.bitrate,c.visitors,c.hits FROM history h JOIN channel c ON c.id=h.id "
                    "WHERE c.del<>1 ORDER BY h.utime desc;"),
            rows);
    db.QueryInt("SELECT sum(visitors) FROM channel WHERE del<>1");
}

size_t FloorSearch(const std::wstring& keyword) {
    RawDb db;
    sqlite3_stmt* search = nullptr;
    const std::wstring sql =
        L"SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits "
        L"FROM channel WHERE (name LIKE ? OR desc LIKE ?) AND del<>1 ORDER BY ctime,name";
    sqlite3_prepare16_v2(db.Get(), sql.c_str(), -1, &search, nullptr);
    const std::wstring pattern = L"%%" + keyword + L"%%";
    sqlite3_bind_text16(search, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text16(search, 2, pattern.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<ChannelRecord> rows;
    ReadAll(search, rows);
    return rows.size();
}

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    return memory.WorkingSetSize / (1024.0 * 1024.0);
}

// ---- painting

// Milliseconds per paint: through WM_PRINTCLIENT into a bitmap, and through WM_PAINT on the
// (shown) screen window.
void TimePaint(const char* what, HWND list, CPaintCapture& capture) {
    // Median of 5 batches: the machine is shared, a batch may be slowed down by others.
    const int batch = kPaints / 5;
    const double print = TimeRuns(5,
                                  [&] {
                                      for (int i = 0; i < batch; ++i)
                                          capture.PrintClient(list);
                                  }) /
                         batch;
    const double screen = TimeRuns(5,
                                   [&] {
                                       for (int i = 0; i < batch; ++i)
                                           ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                                       ::GdiFlush();
                                   }) /
                          batch;
    // A paint that drew nothing but the background would be a wrong figure.
    const int background = capture.CountColor(RECT{0, 0, kListWidth - 20, kListRows * 22}, RGB(64, 64, 64));
    std::printf("  paint %-44s %6.2f ms into a bitmap, %6.2f ms on screen%s\n", what, print * 1000, screen * 1000,
                background == (kListWidth - 20) * kListRows * 22 ? "  (painted nothing)" : "");
}

void SaveShot(const CPaintCapture& capture, int width, int height) {
    wchar_t path[MAX_PATH];
    if (!::GetEnvironmentVariableW(L"TROVA_BENCH_SHOT", path, MAX_PATH))
        return;
    FILE* file = _wfopen(path, L"wb");
    if (!file)
        return;
    BITMAPFILEHEADER header{};
    const BITMAPINFOHEADER info = DibHeader(width, -height, 32);
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + width * height * 4;
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info, sizeof(info), 1, file);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF color = capture.Pixel(x, y);
            const unsigned char pixel[4] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
            std::fwrite(pixel, 4, 1, file);
        }
    std::fclose(file);
}

// Where a drag of the thumb would leave it: the list paints from its scroll bar's position.
void ScrollToMiddle(HWND list, int rows) {
    ::SetScrollPos(list, SB_VERT, rows / 2, TRUE);
    ::InvalidateRect(list, nullptr, FALSE);
}

// ---- one catalogue size

std::string Utf8(const std::wstring& text) {
    char utf8[64] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

// Dispatches this thread's messages until the search list shows the newest keyword's rows,
// then paints it: the time until the results are on screen.
void WaitForResults(UI::CSearchTreeCtrl& search) {
    MSG msg;
    while (search.Searching()) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (search.Searching())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    ::UpdateWindow(search);
}

// A keystroke: how long the window thread is held by Search itself, and how long until the
// rows are on screen.
struct Keystroke {
    double held = 0;
    double shown = 0;
};
Keystroke Type(UI::CSearchTreeCtrl& search, const wchar_t* keyword) {
    Keystroke stroke;
    const double start = Now();
    search.Search(keyword);
    stroke.held = Now() - start;
    WaitForResults(search);
    stroke.shown = Now() - start;
    return stroke;
}

void RunSize(int count, CTestHost& host) {
    std::printf("\n== %d channels in %d catalogs\n", count, kCatalogs);
    FillDatabase(count);
    const RECT listRect{0, 0, kListWidth, kListRows * UI::CChannelTreeCtrl::ROW_HEIGHT};
    const double baseMemory = WorkingSetMb();

    UI::CAllChannelTreeCtrl all;
    UI::CHistoryTreeCtrl history;
    UI::CSearchTreeCtrl search;
    all.Create(host, listRect, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 1001);
    history.Create(host, listRect, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 1004);
    search.Create(host, listRect, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 1008);

    const int runs = count <= 10000 ? 5 : 3;
    // What the synchronisation thread reads, then what the window thread does with it.
    UI::AllChannelsContent content;
    const double allRead = TimeRuns(runs, [&] {
        content = UI::AllChannelsContent();
        UI::CAllChannelTreeCtrl::Read(content);
    });
    const ChannelCatalogue catalogue = content.catalogue;
    const double allShow = TimeRuns(1, [&] {
        all.Show(std::move(content));
        search.SetCatalogue(catalogue);
        history.SetVisitorTotal(all.TotalVisitors());
    });
    std::printf("%-40s %10.1f ms  (synchronisation thread: %d channels, %d catalogs)\n",
                "all channels and catalogue, read", allRead * 1000, all.ChannelCount(),
                static_cast<int>(all.Catalogs().size()));
    std::printf("%-40s %10.1f ms  (window thread)\n", "all channels and catalogue, shown", allShow * 1000);
    const double historyFloor = TimeRuns(runs, FloorHistory);
    const double historyReload = TimeRuns(runs, [&] { history.Reload(); });
    std::printf(
        "%-40s %10.1f ms  (window thread, %d rows; the rows and the old visitor sum through raw "
        "SQLite: %.1f ms)\n",
        "history Reload", historyReload * 1000, history.GetRowCount(), historyFloor * 1000);

    std::printf("%-40s %10s %10s %10s\n", "keystroke", "held ms", "shown ms", "statement");
    const wchar_t* keys[] = {L"频", L"频道", L"频道 ", L"1", L"12", L"123", L"xyz", L"_1"};
    for (const wchar_t* key : keys) {
        std::vector<double> held, shown;
        for (int run = 0; run < 3; ++run) {
            search.Clear();
            const Keystroke stroke = Type(search, key);
            held.push_back(stroke.held);
            shown.push_back(stroke.shown);
        }
        size_t matches = 0;
        const double floor = TimeRuns(1, [&] { matches = FloorSearch(key); });
        char label[64];
        std::snprintf(label, sizeof(label), "Search \"%s\", fresh", Utf8(key).c_str());
        std::printf("%-40s %10.2f %10.1f %10.1f   (%d matches%s)\n", label, Median(held) * 1000, Median(shown) * 1000,
                    floor * 1000, search.GetRowCount(),
                    static_cast<size_t>(search.GetRowCount()) == matches ? "" : ", STATEMENT DIFFERS");
    }
    // A keystroke that extends the key before it: the shown results are filtered.
    const std::pair<const wchar_t*, const wchar_t*> extensions[] = {
        {L"频", L"频道"}, {L"频道", L"频道 "}, {L"1", L"12"}, {L"12", L"123"}, {L"123", L"123x"}};
    for (const auto& extension : extensions) {
        std::vector<double> held, shown;
        for (int run = 0; run < 3; ++run) {
            search.Clear();
            Type(search, extension.first);
            const Keystroke stroke = Type(search, extension.second);
            held.push_back(stroke.held);
            shown.push_back(stroke.shown);
        }
        const size_t matches = FloorSearch(extension.second);
        char label[64];
        std::snprintf(label, sizeof(label), "Search \"%s\" -> \"%s\"", Utf8(extension.first).c_str(),
                      Utf8(extension.second).c_str());
        std::printf("%-40s %10.2f %10.1f %10s   (%d matches%s)\n", label, Median(held) * 1000, Median(shown) * 1000, "",
                    search.GetRowCount(),
                    static_cast<size_t>(search.GetRowCount()) == matches ? "" : ", STATEMENT DIFFERS");
    }
    // Keys typed faster than the scans end: the window is held only by each call.
    {
        search.Clear();
        double held = 0;
        const double start = Now();
        for (const wchar_t* key : {L"频", L"频道", L"1", L"频"}) {
            const double keyStart = Now();
            search.Search(key);
            held = std::max(held, Now() - keyStart);
        }
        WaitForResults(search);
        std::printf("%-40s %10.2f %10.1f %10s   (%d matches)\n", "4 keys at once, newest shown", held * 1000,
                    (Now() - start) * 1000, "", search.GetRowCount());
    }
    search.Clear();
    Type(search, L"频");
    std::printf(
        "working set with all channels, history and a search of every channel loaded: %.1f MB "
        "(%.1f MB before the lists)\n",
        WorkingSetMb(), baseMemory);

    // Other actions on the window thread, each once on the full lists.
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    ::ShowWindow(search, SW_SHOW);
    ::ShowWindow(all, SW_HIDE);
    const int searchRows = search.GetRowCount();
    auto timeOnce = [](const char* what, const std::function<void()>& action) {
        const double start = Now();
        action();
        std::printf("  %-54s %8.2f ms\n", what, (Now() - start) * 1000);
    };
    timeOnce("search list: thumb dragged to the bottom and painted", [&] {
        ::SendMessageW(search, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
        ::SendMessageW(search, WM_VSCROLL, SB_BOTTOM, 0);
        ::UpdateWindow(search);
    });
    timeOnce("search list: a line down and painted", [&] {
        ::SendMessageW(search, WM_VSCROLL, SB_LINEUP, 0);
        ::UpdateWindow(search);
    });
    timeOnce("keyword cleared (every channel's row dropped)", [&] { search.Clear(); });
    ::ShowWindow(search, SW_HIDE);
    ::ShowWindow(all, SW_SHOW);
    timeOnce("all channels: largest catalog expanded and painted", [&] {
        size_t largest = 1;
        for (size_t i = 1; i < all.Catalogs().size(); ++i)
            if (all.Catalogs()[i].channels.size() > all.Catalogs()[largest].channels.size())
                largest = i;
        all.ExpandCatalogAt(static_cast<int>(largest), true);
        ::UpdateWindow(all);
    });
    timeOnce("all channels: collapsed again and painted", [&] {
        for (int row = 0; row < all.GetRowCount(); ++row)
            if (all.Catalogs().size() > 0 && all.IsChildRow(row)) {
                all.ExpandCatalogAt(row - 1, false);
                break;
            }
        ::UpdateWindow(all);
    });
    (void)searchRows;

    // Painting: first real catalog expanded by a click (the latest-updates group is row 0),
    // scrolled to the middle of the rows; then the search list with every channel matching.
    Type(search, L"频");
    CPaintCapture capture(kListWidth, listRect.bottom);
    char what[96];
    ::SendMessageW(all, WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(40, 1 * 22 + 5));
    ::SendMessageW(all, WM_LBUTTONUP, 0, MakePointLParam(40, 1 * 22 + 5));
    // The middle of the expanded catalog (rows 2 .. its channel count + 1) in mid-window.
    const int expandedChannels = all.GetRowCount() - static_cast<int>(all.Catalogs().size());
    ScrollToMiddle(all, std::max(0, 2 * (2 + expandedChannels / 2) - kListRows));
    std::snprintf(what, sizeof(what), "all channels, %d of %d rows expanded, from row %d", expandedChannels,
                  all.GetRowCount(), all.GetScrollPosition());
    TimePaint(what, all, capture);
    capture.PrintClient(all);
    SaveShot(capture, kListWidth, listRect.bottom);

    ::ShowWindow(all, SW_HIDE);
    ::ShowWindow(search, SW_SHOW);
    ScrollToMiddle(search, search.GetRowCount());
    std::snprintf(what, sizeof(what), "search list, row %d of %d", search.GetScrollPosition(), search.GetRowCount());
    TimePaint(what, search, capture);
    ::ShowWindow(host, SW_HIDE);
    search.DestroyWindow();
    history.DestroyWindow();
    all.DestroyWindow();
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 200000;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    swprintf(name, 64, L"trova-bench-ui-%lu\\", ::GetCurrentProcessId());
    const std::wstring base = std::wstring(temp) + name;
    ::CreateDirectoryW(base.c_str(), nullptr);

    CTestHost host;
    ::SetWindowPos(host, nullptr, 0, 0, kListWidth + 60, kListRows * 22 + 80, SWP_NOZORDER | SWP_NOACTIVATE);

    const int sizes[] = {1000, 10000, 50000, 200000};
    for (int count : sizes) {
        if (count > largest)
            break;
        const std::wstring folder = base + std::to_wstring(count) + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        CAppPaths::InitAt(folder);
        ::DeleteFileW(GetDatabasePath().c_str());
        RunSize(count, host);
        ::DeleteFileW(GetDatabasePath().c_str());
        CAppPaths::Shutdown();
        ::RemoveDirectoryW((folder + L"Vantel\\data").c_str());
        ::RemoveDirectoryW((folder + L"Vantel\\cache").c_str());
        ::RemoveDirectoryW((folder + L"Vantel").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    ::RemoveDirectoryW(base.c_str());
    return 0;
}

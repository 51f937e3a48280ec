#include "channellist/ui/tests/TreeTestDatabase.h"

#include <shellapi.h>

#include <atomic>

namespace {
std::wstring MakeTempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"trova_ui_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                std::to_wstring(::GetTickCount()) + L"_" + std::to_wstring(counter++) + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    std::wstring from = folder;
    if (!from.empty() && from.back() == L'\\')
        from.pop_back();
    from.push_back(L'\0');  // double terminator
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationW(&operation);
}
}  // namespace

CTreeTestDatabase::CTreeTestDatabase() : folder_(MakeTempFolder()) {
    CAppPaths::InitAt(folder_);
    db_.open(GetDatabasePath());
    EnsureCatalogTable(db_);
    EnsureChannelTable(db_);
    EnsureHistoryTable(db_);
    // The fresh "unknown" catalog is the oldest unless a test says otherwise.
    db_.exec("UPDATE catalog SET ctime=datetime('now','-100 days') WHERE name='unknown';");
}

CTreeTestDatabase::~CTreeTestDatabase() {
    db_.close();
    CAppPaths::Shutdown();
    RemoveFolder(folder_);
}

int CTreeTestDatabase::AddCatalog(const std::string& name, const std::string& ctime) {
    InsertCatalog(db_, name);
    CatalogRecord record;
    FindCatalogByName(db_, name.c_str(), record);
    db_.exec("UPDATE catalog SET ctime=" + ctime + " WHERE id=" + std::to_string(record.id) + ";");
    return record.id;
}

int CTreeTestDatabase::AddChannel(int catalogId, const std::string& name, const std::string& channelId, int visitors,
                                  double ageDays, const std::string& desc) {
    ChannelRecord record;
    record.catalogid = catalogId;
    record.name = name;
    record.desc = desc;
    record.channelid = channelId;
    record.server = "global";
    record.visitors = visitors;
    InsertChannel(db_, record);
    const int id = db_.query_int("SELECT max(id) FROM channel;");
    db_.exec("UPDATE channel SET ctime=datetime(julianday('now')-" + std::to_string(ageDays) + ")" +
             " WHERE id=" + std::to_string(id) + ";");
    return id;
}

int CTreeTestDatabase::UnknownCatalog() {
    CatalogRecord record;
    FindCatalogByName(db_, "unknown", record);
    return record.id;
}

void CTreeTestDatabase::Exec(const std::string& sql) { db_.exec(sql); }

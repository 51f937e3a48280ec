#include "channellist/store/sqlite3x.h"

#include <windows.h>

#include "channellist/store/BatchedWriteVfs.h"
#include "framework/win/Trace.h"

namespace sqlite3x {

namespace {

// The handle of an open connection; throws when it is not open.
sqlite3* open_handle(const connection& db) {
    if (!db.handle())
        throw database_error("database is not open");
    return db.handle();
}

}  // namespace

connection::connection() : handle_(nullptr) {}

connection::~connection() {
    if (handle_)
        sqlite3_close(handle_);
}

void connection::open(const std::wstring& path) {
    close();
    // SQLite's own names are UTF-8; sqlite3_open16 converts the same way.
    std::string utf8;
    const int length = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length > 0) {
        utf8.resize(static_cast<std::size_t>(length));
        WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &utf8[0], length, nullptr, nullptr);
    }
    sqlite3* opened = nullptr;
    const int result =
        sqlite3_open_v2(utf8.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, StoreVfsName());
    if (result != SQLITE_OK) {
        // SQLite hands out a handle even when opening fails; it must still be closed.
        sqlite3_close(opened);
        throw database_error("unable to open database");
    }
    handle_ = opened;
    // A new file keeps the text encoding sqlite3_open16 gives it: text compares byte by byte,
    // so the order of names depends on it. A file that exists keeps its own.
    exec("PRAGMA encoding='UTF-16'");
}

void connection::close() {
    if (!handle_)
        return;
    if (sqlite3_close(handle_) != SQLITE_OK)
        throw database_error(sqlite3_errmsg(handle_));
    handle_ = nullptr;
}

void connection::exec(const std::string& sql) {
    if (!handle_)
        throw database_error("database is not open");
    command(*this, sql).exec();
}

int connection::query_int(const std::string& sql) {
    if (!handle_)
        throw database_error("database is not open");
    return command(*this, sql).query_int();
}

void connection::set_busy_timeout(int milliseconds) {
    if (!handle_)
        throw database_error("database is not open");
    if (sqlite3_busy_timeout(handle_, milliseconds) != SQLITE_OK)
        throw database_error(sqlite3_errmsg(handle_));
}

sqlite3* connection::handle() const { return handle_; }

command::command(connection& owner, const std::string& sql)
    : owner_(owner), statement_(nullptr), readers_(0), columns_(0) {
    if (sqlite3_prepare(open_handle(owner), sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
        raise();
    columns_ = sqlite3_column_count(statement_);
}

command::command(connection& owner, const std::wstring& sql)
    : owner_(owner), statement_(nullptr), readers_(0), columns_(0) {
    if (sqlite3_prepare16(open_handle(owner), sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
        raise();
    columns_ = sqlite3_column_count(statement_);
}

command::~command() { sqlite3_finalize(statement_); }

void command::raise() const { throw database_error(sqlite3_errmsg(owner_.handle())); }

void command::bind_int(int index, int value) {
    if (sqlite3_bind_int(statement_, index, value) != SQLITE_OK)
        raise();
}

void command::bind_text(int index, const std::string& text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        raise();
}

void command::bind_text16(int index, const std::wstring& text) {
    if (sqlite3_bind_text16(statement_, index, text.data(), static_cast<int>(text.size() * sizeof(wchar_t)),
                            SQLITE_TRANSIENT) != SQLITE_OK)
        raise();
}

void command::exec() {
    reader row(*this);
    row.read();
}

int command::query_int() {
    reader row(*this);
    if (!row.read())
        throw database_error("nothing to read");
    return row.get_int(0);
}

reader::reader(command& source) : source_(&source) { ++source.readers_; }

reader::~reader() { close(); }

bool reader::read() {
    if (!source_)
        throw database_error("reader is closed");
    switch (sqlite3_step(source_->statement_)) {
    case SQLITE_ROW: return true;
    case SQLITE_DONE: return false;
    default:
        // A statement prepared with sqlite3_prepare hands its specific error to the
        // connection only when reset; the next step would reset it anyway.
        sqlite3_reset(source_->statement_);
        source_->raise();
    }
}

void reader::check_column(int index) const {
    if (!source_)
        throw database_error("reader is closed");
    if (index < 0 || index > source_->columns_ - 1)
        throw std::out_of_range("index out of range");
}

int reader::get_int(int index) {
    check_column(index);
    return sqlite3_column_int(source_->statement_, index);
}

std::string reader::get_text(int index) {
    check_column(index);
    // The bytes are counted after the conversion to text, as SQLite requires.
    const unsigned char* text = sqlite3_column_text(source_->statement_, index);
    const int bytes = sqlite3_column_bytes(source_->statement_, index);
    if (!text)
        return std::string();
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
}

void reader::close() {
    if (!source_)
        return;
    if (--source_->readers_ == 0)
        sqlite3_reset(source_->statement_);
    source_ = nullptr;
}

transaction::transaction(connection& owner) : owner_(owner), active_(false) {}

transaction::~transaction() {
    if (!active_)
        return;
    try {
        owner_.exec("rollback;");
    } catch (...) {
        // Nothing more can be done here; closing the connection rolls back as well.
        TraceCaughtException(L"Rolling back a transaction");
    }
}

void transaction::begin() {
    owner_.exec("begin;");
    active_ = true;
}

void transaction::commit() {
    owner_.exec("commit;");
    active_ = false;
}

}  // namespace sqlite3x

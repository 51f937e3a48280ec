#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

// A thin layer over SQLite that turns every failure into an exception, so that the
// store can be written as straight-line code inside one try block. No caches, no pool.
namespace sqlite3x {

class database_error : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

class connection {
public:
    connection();
    ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    void open(const std::wstring& path);
    void close();
    // Runs one statement up to its first row.
    void exec(const std::string& sql);
    // The first column of the first row; throws when there is no row.
    int query_int(const std::string& sql);
    // Lets this connection wait up to `milliseconds` for another connection's lock instead of
    // failing at once. Only the synchronisation's connection sets one (see ChannelSync.cpp).
    void set_busy_timeout(int milliseconds);
    sqlite3* handle() const;

private:
    sqlite3* handle_;
};

class command {
public:
    command(connection& owner, const std::string& sql);
    command(connection& owner, const std::wstring& sql);
    ~command();
    command(const command&) = delete;
    command& operator=(const command&) = delete;

    // Parameter indices are 1-based; texts are copied by SQLite.
    void bind_int(int index, int value);
    void bind_text(int index, const std::string& text);
    void bind_text16(int index, const std::wstring& text);
    void exec();
    int query_int();

private:
    friend class reader;
    [[noreturn]] void raise() const;

    connection& owner_;
    sqlite3_stmt* statement_;
    int readers_;
    int columns_;
};

class reader {
public:
    explicit reader(command& source);
    ~reader();
    reader(const reader&) = delete;
    reader& operator=(const reader&) = delete;

    // Steps to the next row; false at the end.
    bool read();
    int get_int(int index);
    std::string get_text(int index);
    // Resets the statement when its last reader closes, so it can be bound again.
    void close();

private:
    void check_column(int index) const;

    command* source_;
};

// Rolls back on destruction unless committed.
class transaction {
public:
    explicit transaction(connection& owner);
    ~transaction();
    transaction(const transaction&) = delete;
    transaction& operator=(const transaction&) = delete;

    void begin();
    void commit();

private:
    connection& owner_;
    bool active_;
};

}  // namespace sqlite3x

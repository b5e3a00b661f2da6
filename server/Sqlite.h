#pragma once

#include "base/UniqueHandle.h"
#include "server/Storage.h"

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace server {

using SqliteConnection = UniqueHandle<sqlite3, sqlite3_close>;
using SqliteStatement = UniqueHandle<sqlite3_stmt, sqlite3_finalize>;

// Owns one open database connection.
class SqliteDb {
public:
    explicit SqliteDb(const std::string& path);

    void exec(const std::string& sql);
    int64_t lastInsertId() const;
    sqlite3* handle() const { return db.get(); }

private:
    SqliteConnection db;
};

// Owns one prepared statement; binds are 1-based, columns 0-based, as in SQLite.
class Statement {
public:
    Statement(SqliteDb& db, const std::string& sql);

    // A value that cannot be bound (an index out of range, no memory) raises DatabaseError.
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<int64_t>(value)); }
    Statement& bind(int index, double value);
    Statement& bind(int index, const std::string& value);

    // Advances to the next row; false when there is none.
    bool step();
    // Runs a statement that returns no rows and makes it ready to run again.
    void run();
    void reset();

    int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;

private:
    void checkBind(int result, int index);

    SqliteStatement statement;
    sqlite3* db = nullptr;
};

// Commits on commit(); rolls back when left any other way.
class Transaction {
public:
    explicit Transaction(SqliteDb& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    SqliteDb& db;
    bool done = false;
};

} // namespace server

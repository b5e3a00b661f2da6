#include "server/Sqlite.h"

#include <climits>

namespace server {

// SQLite hands back a connection even when opening fails, to carry the message; the owner
// closes it either way.
SqliteDb::SqliteDb(const std::string& path)
{
    sqlite3* opened = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    db.reset(opened);
    if (result != SQLITE_OK)
        throw DatabaseError("Can't open database " + path + ": " + (db ? sqlite3_errmsg(db.get()) : "out of memory"));
    if (sqlite3_busy_timeout(db.get(), 5000) != SQLITE_OK)
        throw DatabaseError("Can't set the busy timeout of database " + path + ": " + sqlite3_errmsg(db.get()));
}

void SqliteDb::exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw DatabaseError(message + " in: " + sql);
    }
}

int64_t SqliteDb::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db.get());
}

Statement::Statement(SqliteDb& owner, const std::string& sql)
    : db(owner.handle())
{
    sqlite3_stmt* prepared = nullptr;
    int result = sqlite3_prepare_v2(db, sql.c_str(), -1, &prepared, nullptr);
    statement.reset(prepared);
    if (result != SQLITE_OK)
        throw DatabaseError(std::string(sqlite3_errmsg(db)) + " in: " + sql);
}

Statement& Statement::bind(int index, int64_t value)
{
    checkBind(sqlite3_bind_int64(statement.get(), index, value), index);
    return *this;
}

Statement& Statement::bind(int index, double value)
{
    checkBind(sqlite3_bind_double(statement.get(), index, value), index);
    return *this;
}

// Text longer than an int can count is refused as SQLite refuses text over its own limit.
Statement& Statement::bind(int index, const std::string& value)
{
    int result = value.size() > size_t(INT_MAX) ? SQLITE_TOOBIG
                                                : sqlite3_bind_text(statement.get(), index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    checkBind(result, index);
    return *this;
}

void Statement::checkBind(int result, int index)
{
    if (result != SQLITE_OK)
        throw DatabaseError("Can't bind parameter " + std::to_string(index) + ": " + sqlite3_errstr(result));
}

bool Statement::step()
{
    int result = sqlite3_step(statement.get());
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    std::string message = sqlite3_errmsg(db);
    // Resetting after a failed step only repeats the step's error.
    sqlite3_reset(statement.get());
    throw DatabaseError(message);
}

void Statement::run()
{
    step();
    reset();
}

// sqlite3_reset only repeats the error of the last step, which step() has reported, and
// clearing bindings cannot fail.
void Statement::reset()
{
    sqlite3_reset(statement.get());
    sqlite3_clear_bindings(statement.get());
}

int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(statement.get(), column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(statement.get(), column);
}

std::string Statement::text(int column) const
{
    const unsigned char* bytes = sqlite3_column_text(statement.get(), column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), sqlite3_column_bytes(statement.get(), column)) : std::string();
}

Transaction::Transaction(SqliteDb& db)
    : db(db)
{
    db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!done) {
        try {
            db.exec("ROLLBACK");
        } catch (const DatabaseError&) {
            // Nothing more can be done while unwinding; SQLite rolls back on close anyway.
        }
    }
}

void Transaction::commit()
{
    db.exec("COMMIT");
    done = true;
}

} // namespace server

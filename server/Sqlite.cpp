#include "server/Sqlite.h"

namespace server {

SqliteDb::SqliteDb(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw DatabaseError("Can't open database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
}

SqliteDb::~SqliteDb()
{
    sqlite3_close(db);
}

void SqliteDb::exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw DatabaseError(message + " in: " + sql);
    }
}

int64_t SqliteDb::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db);
}

Statement::Statement(SqliteDb& owner, const std::string& sql)
    : db(owner.handle())
{
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw DatabaseError(std::string(sqlite3_errmsg(db)) + " in: " + sql);
}

Statement::~Statement()
{
    sqlite3_finalize(statement);
}

Statement& Statement::bind(int index, int64_t value)
{
    sqlite3_bind_int64(statement, index, value);
    return *this;
}

Statement& Statement::bind(int index, double value)
{
    sqlite3_bind_double(statement, index, value);
    return *this;
}

Statement& Statement::bind(int index, const std::string& value)
{
    sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step()
{
    int result = sqlite3_step(statement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    std::string message = sqlite3_errmsg(db);
    sqlite3_reset(statement);
    throw DatabaseError(message);
}

void Statement::run()
{
    step();
    reset();
}

void Statement::reset()
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(statement, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(statement, column);
}

std::string Statement::text(int column) const
{
    const unsigned char* bytes = sqlite3_column_text(statement, column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), sqlite3_column_bytes(statement, column)) : std::string();
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

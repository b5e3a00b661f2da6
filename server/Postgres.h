#pragma once

#include "base/UniqueHandle.h"
#include "server/Storage.h"

#include <libpq-fe.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace server {

using PgConnection = UniqueHandle<PGconn, PQfinish>;
using PgResultHandle = UniqueHandle<PGresult, PQclear>;

// The rows of one successful statement; rows and columns are 0-based, values are read
// from PostgreSQL's text format.
class PgResult {
public:
    explicit PgResult(PgResultHandle result);

    int rows() const;
    std::string text(int row, int column) const;
    int64_t integer(int row, int column) const;
    double real(int row, int column) const;
    bool flag(int row, int column) const;

private:
    PgResultHandle result;
};

// A statement's parameters, all sent as text.
class PgParams {
public:
    PgParams& add(const std::string& value);
    // Not taken for a bool.
    PgParams& add(const char* value) { return add(std::string(value)); }
    PgParams& add(int64_t value);
    PgParams& add(int value) { return add(static_cast<int64_t>(value)); }
    PgParams& add(double value);
    PgParams& add(bool value) { return add(std::string(value ? "t" : "f")); }

    const std::vector<std::string>& values() const { return list; }

private:
    std::vector<std::string> list;
};

// A few connections to one database, each used by one thread at a time. A lost connection
// is opened again on the next use, but no sooner than a back-off that doubles from one
// second to thirty while the database stays away; meanwhile every use fails at once with
// DatabaseError, so that requests are refused instead of waiting.
class PostgresDb {
public:
    // Connects once to check the address; a database that is missing or does not answer
    // within five seconds raises DatabaseError.
    PostgresDb(const std::string& uri, size_t connections);

    // Runs one statement; anything but success raises DatabaseError with PostgreSQL's text.
    PgResult exec(const std::string& sql, const PgParams& params = PgParams());

    // A connection kept for the calls of one transaction: BEGIN on construction, ROLLBACK
    // when left without commit().
    class Transaction {
    public:
        explicit Transaction(PostgresDb& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        PgResult exec(const std::string& sql, const PgParams& params = PgParams());
        void commit();

    private:
        PostgresDb& db;
        PgConnection connection;
        bool done = false;
    };

private:
    PgConnection connect();
    PgConnection take();
    void giveBack(PgConnection connection);
    PgResult run(PgConnection& connection, const std::string& sql, const PgParams& params);

    std::string uri;
    size_t size;
    std::mutex lock;
    std::condition_variable returned;
    std::vector<PgConnection> idle;
    size_t lent = 0;
    std::chrono::steady_clock::time_point retryAt;
    std::chrono::seconds backOff { 0 };
};

} // namespace server

#include "server/Postgres.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace server {

namespace {

constexpr std::chrono::seconds longestBackOff { 30 };

}

PgResult::PgResult(PgResultHandle result)
    : result(std::move(result))
{
}

int PgResult::rows() const
{
    return PQntuples(result.get());
}

std::string PgResult::text(int row, int column) const
{
    return PQgetvalue(result.get(), row, column);
}

int64_t PgResult::integer(int row, int column) const
{
    return std::strtoll(PQgetvalue(result.get(), row, column), nullptr, 10);
}

double PgResult::real(int row, int column) const
{
    return std::strtod(PQgetvalue(result.get(), row, column), nullptr);
}

bool PgResult::flag(int row, int column) const
{
    return PQgetvalue(result.get(), row, column)[0] == 't';
}

PgParams& PgParams::add(const std::string& value)
{
    list.push_back(value);
    return *this;
}

PgParams& PgParams::add(int64_t value)
{
    return add(std::to_string(value));
}

PgParams& PgParams::add(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return add(std::string(text));
}

PostgresDb::PostgresDb(const std::string& uri, size_t connections)
    : uri(uri)
    , size(std::max<size_t>(connections, 1))
{
    idle.push_back(connect());
}

PgConnection PostgresDb::connect()
{
    // The address's own settings come last and win; these make a silent host fail in
    // seconds and notice a dead peer on an idle connection.
    const char* keywords[] = { "connect_timeout", "keepalives_idle", "keepalives_interval", "keepalives_count", "options",
        "dbname", nullptr };
    const char* values[] = { "5", "10", "3", "3", "-c client_min_messages=warning", uri.c_str(), nullptr };
    PgConnection connection(PQconnectdbParams(keywords, values, 1));
    if (!connection)
        throw DatabaseError("out of memory while connecting to PostgreSQL");
    if (PQstatus(connection.get()) != CONNECTION_OK)
        throw DatabaseError("can't connect to PostgreSQL: " + std::string(PQerrorMessage(connection.get())));
    return connection;
}

PgConnection PostgresDb::take()
{
    std::unique_lock<std::mutex> guard(lock);
    returned.wait(guard, [this] { return !idle.empty() || lent + idle.size() < size; });
    if (!idle.empty()) {
        PgConnection connection = std::move(idle.back());
        idle.pop_back();
        ++lent;
        return connection;
    }
    auto now = std::chrono::steady_clock::now();
    if (now < retryAt)
        throw DatabaseError("the database is unreachable; trying again shortly");
    ++lent;
    guard.unlock();
    try {
        PgConnection connection = connect();
        guard.lock();
        backOff = std::chrono::seconds(0);
        return connection;
    } catch (const DatabaseError&) {
        guard.lock();
        --lent;
        backOff = std::min(std::max(backOff * 2, std::chrono::seconds(1)), longestBackOff);
        retryAt = std::chrono::steady_clock::now() + backOff;
        returned.notify_one();
        throw;
    }
}

void PostgresDb::giveBack(PgConnection connection)
{
    std::lock_guard<std::mutex> guard(lock);
    --lent;
    // A broken connection is dropped; the next use opens a new one.
    if (connection && PQstatus(connection.get()) == CONNECTION_OK && PQtransactionStatus(connection.get()) == PQTRANS_IDLE)
        idle.push_back(std::move(connection));
    returned.notify_one();
}

PgResult PostgresDb::run(PgConnection& connection, const std::string& sql, const PgParams& params)
{
    std::vector<const char*> values;
    for (const std::string& value : params.values())
        values.push_back(value.c_str());
    // Without parameters a text may hold several statements, as the schema's changes do.
    PgResultHandle result(values.empty() ? PQexec(connection.get(), sql.c_str())
                                         : PQexecParams(connection.get(), sql.c_str(), static_cast<int>(values.size()), nullptr,
                                             values.data(), nullptr, nullptr, 0));
    ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw DatabaseError("PostgreSQL: " + std::string(PQerrorMessage(connection.get())));
    return PgResult(std::move(result));
}

PgResult PostgresDb::exec(const std::string& sql, const PgParams& params)
{
    PgConnection connection = take();
    try {
        PgResult result = run(connection, sql, params);
        giveBack(std::move(connection));
        return result;
    } catch (const DatabaseError&) {
        giveBack(std::move(connection));
        throw;
    }
}

PostgresDb::Transaction::Transaction(PostgresDb& db)
    : db(db)
    , connection(db.take())
{
    try {
        db.run(connection, "BEGIN", PgParams());
    } catch (const DatabaseError&) {
        db.giveBack(std::move(connection));
        throw;
    }
}

PostgresDb::Transaction::~Transaction()
{
    // A connection the rollback fails on is left outside a finished transaction, and
    // giveBack drops it.
    if (!done)
        PgResultHandle(PQexec(connection.get(), "ROLLBACK"));
    db.giveBack(std::move(connection));
}

PgResult PostgresDb::Transaction::exec(const std::string& sql, const PgParams& params)
{
    return db.run(connection, sql, params);
}

void PostgresDb::Transaction::commit()
{
    db.run(connection, "COMMIT", PgParams());
    done = true;
}

} // namespace server

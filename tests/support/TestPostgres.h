#pragma once

#include "support/TempFolder.h"

#include <string>

// A PostgreSQL server of its own for tests, in a temporary folder: made with initdb and
// started with pg_ctl, listening only on a socket in that folder, run as the postgres user
// when the tests run as root (PostgreSQL refuses root). Stopped and removed when the
// object goes.
class TestPostgres {
public:
    TestPostgres();
    ~TestPostgres();
    TestPostgres(const TestPostgres&) = delete;
    TestPostgres& operator=(const TestPostgres&) = delete;

    // The folder of PostgreSQL's programs, empty when they are not installed.
    static std::string programs();

    bool running() const { return started; }
    // Why it is not running.
    const std::string& problem() const { return failure; }
    // The connection URI of a database on it.
    std::string uri(const std::string& database = "postgres") const;

private:
    bool run(const std::string& command);

    TempFolder dir { "tidewake-pg" };
    std::string bin;
    bool started = false;
    std::string failure;
};

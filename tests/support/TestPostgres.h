#pragma once

#include "support/TempFolder.h"

#include <string>

// A PostgreSQL server of its own for tests, in a temporary folder, listening only on a
// socket in that folder and run as the postgres user when the tests run as root
// (PostgreSQL refuses root). Stopped and removed when the object goes; the constructor
// throws, with what PostgreSQL's programs wrote, when it cannot be started.
class TestPostgres {
public:
    TestPostgres();
    ~TestPostgres();
    TestPostgres(const TestPostgres&) = delete;
    TestPostgres& operator=(const TestPostgres&) = delete;

    // Whether PostgreSQL's programs (initdb, pg_ctl) are installed.
    static bool installed();
    // The connection URI of a database on it.
    std::string uri(const std::string& database = "postgres") const;

private:
    bool run(const std::string& commands) const;

    TempFolder dir { "tidewake-pg" };
};

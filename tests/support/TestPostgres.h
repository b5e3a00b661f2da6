#pragma once

#include "support/TempFolder.h"

#include <string>

// A PostgreSQL server of its own for tests, in a temporary folder, listening only on a
// socket in that folder and run as the postgres user when the tests run as root
// (PostgreSQL refuses root). Stopped and removed when the object goes.
class TestPostgres {
public:
    TestPostgres();
    ~TestPostgres();
    TestPostgres(const TestPostgres&) = delete;
    TestPostgres& operator=(const TestPostgres&) = delete;

    // Whether PostgreSQL's programs (initdb, pg_ctl) are installed.
    static bool installed();

    bool running() const { return started; }
    // What initdb, pg_ctl and the server wrote: why it is not running.
    std::string log() const { return dir.read("log"); }
    // The connection URI of a database on it.
    std::string uri(const std::string& database = "postgres") const;

private:
    bool run(const std::string& commands) const;

    TempFolder dir { "tidewake-pg" };
    bool started = false;
};

#pragma once

#include "support/TempFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

// A PostgreSQL server of its own for tests, in a temporary folder, listening only on a
// socket in that folder (no TCP port, so that test servers never clash; no fsync either)
// and run as the postgres user when the tests run as root (PostgreSQL refuses root).
// Stopped and removed when the object goes; the constructor throws, with what PostgreSQL's
// programs wrote, when it cannot be started.
class TestPostgres {
public:
    TestPostgres()
    {
        if (!run("$pg/initdb -D data -A trust -U tidewake --no-sync && $pg/pg_ctl -D data -l log -w -t 60 -o \"-c listen_addresses= -k "
                + dir.path().string() + " -F\" start"))
            throw std::runtime_error("PostgreSQL did not start: " + dir.read("log"));
    }
    ~TestPostgres() { run("$pg/pg_ctl -D data -m immediate -w stop"); }
    TestPostgres(const TestPostgres&) = delete;
    TestPostgres& operator=(const TestPostgres&) = delete;

    // Whether PostgreSQL's programs (initdb, pg_ctl) are installed.
    static bool installed() { return std::system(("test -x " + programs() + "/initdb -a -x " + programs() + "/pg_ctl").c_str()) == 0; }
    // The connection URI of a database on it.
    std::string uri(const std::string& database = "postgres") const { return "postgresql://tidewake@/" + database + "?host=" + dir.path().string(); }

private:
    // The newest installed version's programs, found as the deployment's script finds them.
    static std::string programs() { return "$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)"; }

    // Runs the commands in the folder with their output added to the log and `$pg` naming
    // the programs' folder; as root, they run as the postgres user, who then owns the folder.
    bool run(const std::string& commands) const
    {
        std::string folder = dir.path().string();
        std::string asPostgres = geteuid() == 0 ? "chown postgres " + folder + " && runuser -u postgres -- " : "";
        return std::system((asPostgres + "sh -c 'cd " + folder + " && exec >> log 2>&1 && pg=" + programs() + " && " + commands + "'").c_str()) == 0;
    }

    TempFolder dir { "tidewake-pg" };
};

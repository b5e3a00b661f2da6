#include "support/TestPostgres.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace {

// The newest installed version's programs, found as the deployment's script finds them.
const std::string programs = "$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)";

}

bool TestPostgres::installed()
{
    return std::system(("test -x " + programs + "/initdb -a -x " + programs + "/pg_ctl").c_str()) == 0;
}

TestPostgres::TestPostgres()
{
    // No TCP port: the socket's file in the folder keeps test servers apart. No fsync either.
    if (!run("$pg/initdb -D data -A trust -U tidewake --no-sync && $pg/pg_ctl -D data -l log -w -t 60 -o \"-c listen_addresses= -k "
            + dir.path().string() + " -F\" start"))
        throw std::runtime_error("PostgreSQL did not start: " + dir.read("log"));
}

TestPostgres::~TestPostgres()
{
    run("$pg/pg_ctl -D data -m immediate -w stop");
}

// The commands run in the folder with their output added to the log and `$pg` naming the
// programs' folder; as root, they run as the postgres user, who then owns the folder.
bool TestPostgres::run(const std::string& commands) const
{
    std::string folder = dir.path().string();
    std::string asPostgres = geteuid() == 0 ? "chown postgres " + folder + " && runuser -u postgres -- " : "";
    return std::system((asPostgres + "sh -c 'cd " + folder + " && exec >> log 2>&1 && pg=" + programs + " && " + commands + "'").c_str()) == 0;
}

std::string TestPostgres::uri(const std::string& database) const
{
    return "postgresql://tidewake@/" + database + "?host=" + dir.path().string();
}

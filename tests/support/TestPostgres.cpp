#include "support/TestPostgres.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// The socket's port number: only the name of its file, so no two servers can clash.
const char* const socketPort = "5432";

}

std::string TestPostgres::programs()
{
    std::string best;
    std::error_code error;
    for (const auto& version : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
        std::filesystem::path bin = version.path() / "bin";
        if (std::filesystem::exists(bin / "initdb") && std::filesystem::exists(bin / "pg_ctl") && bin.string() > best)
            best = bin.string();
    }
    return best;
}

TestPostgres::TestPostgres()
    : bin(programs())
{
    if (bin.empty()) {
        failure = "PostgreSQL's programs (initdb, pg_ctl) are not installed";
        return;
    }
    std::string folder = dir.path().string();
    const passwd* postgres = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (geteuid() == 0 && (!postgres || chown(folder.c_str(), postgres->pw_uid, postgres->pw_gid) != 0)) {
        failure = "can't hand " + folder + " to the postgres user";
        return;
    }
    if (!run(bin + "/initdb -D " + folder + "/data -A trust -U tidewake --no-sync > " + folder + "/initdb.log 2>&1")) {
        failure = "initdb failed: " + dir.read("initdb.log");
        return;
    }
    std::ofstream settings(dir.path() / "data" / "postgresql.conf", std::ios::app);
    settings << "listen_addresses = ''\nunix_socket_directories = '" << folder << "'\nport = " << socketPort << "\nfsync = off\n";
    settings.close();
    started = settings && run(bin + "/pg_ctl -D " + folder + "/data -l " + folder + "/log -w -t 60 start > /dev/null");
    if (!started)
        failure = "pg_ctl start failed: " + dir.read("log");
}

TestPostgres::~TestPostgres()
{
    if (started)
        run(bin + "/pg_ctl -D " + dir.path().string() + "/data -m immediate -w stop > /dev/null");
}

bool TestPostgres::run(const std::string& command)
{
    std::string line = geteuid() == 0 ? "runuser -u postgres -- sh -c '" + command + "'" : command;
    return std::system(line.c_str()) == 0;
}

std::string TestPostgres::uri(const std::string& database) const
{
    return "postgresql://tidewake@/" + database + "?host=" + dir.path().string() + "&port=" + socketPort;
}

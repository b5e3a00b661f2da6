#include "../server/ServerHarness.h"
#include "server/Postgres.h"
#include "support/TestPostgres.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <tuple>

using namespace server;

namespace {

const std::string script = std::string(TIDEWAKE_SOURCE_DIR) + "/deploy/tidewake-cluster.sh";

// Links the built coastline caches into a server's data folder, when they exist.
void linkCoastCaches(const std::filesystem::path& dataDir)
{
    std::filesystem::create_directories(dataDir);
    for (const char* name : { "coast-l.bin", "coast-i.bin", "coast-h.bin" }) {
        std::filesystem::path cached = std::filesystem::path(coastCacheDir()) / name;
        if (std::filesystem::exists(cached))
            std::filesystem::create_symlink(cached, dataDir / name);
    }
}

// The first of `count` consecutive free local ports, below the system's outgoing range.
int freePorts(int count)
{
    auto canListen = [](int port) {
        int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        std::tie(address.sin_family, address.sin_port, address.sin_addr.s_addr) = std::tuple(AF_INET, htons(static_cast<uint16_t>(port)), htonl(INADDR_LOOPBACK));
        bool free = probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(probe);
        return free;
    };
    for (int base = 20000 + getpid() % 4000 * 3;; base = base + count < 32000 ? base + count : 20000) {
        int free = 0;
        while (free < count && canListen(base + free))
            ++free;
        if (free == count)
            return base;
    }
}

// The deployment's own trial set: PostgreSQL, two instances and nginx, stopped at the end.
class Cluster {
public:
    Cluster()
        : port(freePorts(3))
    {
        linkCoastCaches(dir.path() / "instance-1");
        std::string folder = dir.path().string();
        started = std::system((script + " start " + folder + " --port " + std::to_string(port) + " --server " + TIDEWAKE_SERVER_BINARY + " -- --boats 2 > " + folder + "/start.log 2>&1").c_str()) == 0;
    }
    ~Cluster() { std::system((script + " stop " + dir.path().string() + " > /dev/null").c_str()); }

    int instancePort(int instance) const { return port + instance; }
    pid_t pid(int instance) const { return std::atoi(dir.read("instance-" + std::to_string(instance) + "/pid").c_str()); }
    // The instance whose lease on the race is current, 0 for none.
    int simulating(int race) const
    {
        PgResult owner = PostgresDb("postgresql://tidewake@/postgres?host=" + (dir.path() / "run").string(), 1)
                             .exec("SELECT owner FROM leases WHERE race = $1 AND expires > clock_timestamp()", PgParams().add(race));
        for (int instance : { 1, 2 })
            if (owner.rows() > 0 && owner.text(0, 0).find(":" + std::to_string(pid(instance)) + ":") != std::string::npos)
                return instance;
        return 0;
    }

    TempFolder dir { "tidewake-cluster" };
    int port;
    bool started = false;
};

// Any instance answers any player; the instance that simulates a race dies, another takes
// it over within 30 seconds, and every acknowledged heading is still there.
TEST(ClusterTest, AnyInstanceServesAnyPlayerAndAnotherTakesOverARace)
{
    if (!TestPostgres::installed() || std::system("command -v nginx > /dev/null") != 0)
        GTEST_SKIP() << "PostgreSQL's programs or nginx are not installed";
    Cluster cluster;
    ASSERT_TRUE(cluster.started) << cluster.dir.read("start.log");
    GameClient onA(cluster.instancePort(1)), onB(cluster.instancePort(2)), other(cluster.instancePort(2));
    ASSERT_EQ(onA.signUp("kai%40example.org", "Kai"), "OK");
    ASSERT_EQ(onB.result("/users?action=2&email=kai%40example.org&password=secret1"), "OK");
    ASSERT_EQ(other.signUp("lou%40example.org", "Lou"), "OK");
    onB.table("/races?action=2&raceId=1");
    other.table("/races?action=2&raceId=1");
    EXPECT_EQ(onA.result("/boats?action=2&heading=123.5&sail=2&raceId=1"), "OK");
    auto position = [](GameClient& client, const char* key) { return getDouble(client.table("/races?action=5&raceId=1"), key); };
    // The session A opened is valid on B too.
    GameClient crossed(cluster.instancePort(2), onA.cookies);
    EXPECT_TRUE(waitUntil([&] { return position(crossed, "heading") == 123.5; }));
    int victim = 0;
    ASSERT_TRUE(waitUntil([&] { return (victim = cluster.simulating(1)) != 0; }));
    int survivor = 3 - victim;
    GameClient kai(cluster.instancePort(survivor), onB.cookies);
    GameClient lou(cluster.instancePort(survivor), other.cookies);
    ASSERT_EQ(kill(cluster.pid(victim), SIGKILL), 0);
    // Acknowledged by the survivor while nobody simulates the race.
    EXPECT_EQ(lou.result("/boats?action=2&heading=222.25&sail=1&raceId=1"), "OK");
    ASSERT_TRUE(waitUntil([&] { return cluster.simulating(1) == survivor; }, std::chrono::seconds(30)));
    double before = position(lou, "lat");
    EXPECT_TRUE(waitUntil([&] { return position(lou, "lat") != before; })) << "the race moves on";
    EXPECT_EQ(std::pair(position(kai, "heading"), position(lou, "heading")), std::pair(123.5, 222.25));
    // The survivor sails on with the stored computer boats rather than adding its own.
    Table boats = kai.table("/races?action=4&raceId=1");
    EXPECT_EQ(getTable(boats, "boats") ? getTable(boats, "boats")->size() : 0u, 3u) << "two computer boats and Lou";
    GameClient throughNginx(cluster.port, other.cookies);
    EXPECT_EQ(position(throughNginx, "heading"), 222.25);
}

} // namespace

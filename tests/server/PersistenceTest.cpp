#include "ServerHarness.h"
#include "lobby/RaceRecord.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <tuple>

namespace {

size_t boatsIn(GameClient& client, int raceId)
{
    Table answer = client.table("/races?action=4&raceId=" + std::to_string(raceId));
    const Table* boats = getTable(answer, "boats");
    return boats ? boats->size() : 0;
}

// The program itself, on its own data folder and port.
class ServerProcess {
public:
    ServerProcess(const std::string& dataDir, int port)
        : port(port)
    {
        std::vector<std::string> arguments = { TIDEWAKE_SERVER_BINARY, "--data", dataDir, "--port", std::to_string(port), "--boats", "2" };
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            // The server must not outlive a test program that is killed halfway.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~ServerProcess() { kill(SIGKILL); }

    // The wait status of the ended program.
    int kill(int signal)
    {
        int status = 0;
        if (pid > 0) {
            ::kill(pid, signal);
            waitpid(pid, &status, 0);
            pid = -1;
        }
        return status;
    }

    bool waitUntilListening()
    {
        httplib::Client http("127.0.0.1", port);
        return waitUntil([&] { return static_cast<bool>(http.Get("/races?action=1")); }, std::chrono::seconds(60));
    }

private:
    int port;
    pid_t pid = -1;
};

// A port nobody listens on: bound once by a plain socket and released again.
int freePort()
{
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(probe);
    return port;
}

// Killed without warning and started again on the same folder, the program still has
// every account, session, boat and course it acknowledged, and makes no second set of
// computer boats.
TEST(PersistenceTest, KillingTheProgramLosesNothingAcknowledged)
{
    TempFolder dir;
    // The coastline caches are shared with the other tests so that they are built once.
    for (const char* name : { "coast-l.bin", "coast-i.bin", "coast-h.bin" }) {
        std::filesystem::path cached = std::filesystem::path(coastCacheDir()) / name;
        if (std::filesystem::exists(cached))
            std::filesystem::create_symlink(cached, dir.path() / name);
    }
    int port = freePort();
    GameClient client(port);
    size_t boats = 0;
    {
        ServerProcess server(dir.path().string(), port);
        ASSERT_TRUE(server.waitUntilListening());
        EXPECT_EQ(client.result("/users?action=1&autoLogin=1&email=kai%40example.org&password=secret1&nick=Kai"), "OK");
        client.table("/races?action=2&raceId=1");
        EXPECT_EQ(client.result("/boats?action=2&heading=200.5&sail=2&raceId=1"), "OK");
        boats = boatsIn(client, 1);
        server.kill(SIGKILL);
    }
    ServerProcess server(dir.path().string(), port);
    ASSERT_TRUE(server.waitUntilListening());
    RaceRecord record = parseRaceList(answerBody(client.result("/races?action=1"))).at(0);
    EXPECT_EQ(std::tuple(record.id, record.own.sail, record.own.heading, record.own.nick, boatsIn(client, 1)), std::tuple(1, 2, 200.5, "Kai", boats));
    GameClient fresh(port);
    EXPECT_EQ(fresh.result("/users?action=2&email=KAI%40example.org&password=secret1"), "OK");
    EXPECT_EQ(fresh.result("/users?action=1&autoLogin=1&email=kai%40example.org&password=other1&nick=K"),
        "This e-mail address is already registered.");
    // A clean stop: a sanitizer's finding in the program (a leak at exit, a data race) would
    // change its exit status.
    int status = server.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace

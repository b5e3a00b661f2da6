#include "ServerHarness.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <tuple>

namespace {

size_t boatsIn(GameClient& client)
{
    Table answer = client.table("/races?action=4&raceId=1");
    const Table* boats = getTable(answer, "boats");
    return boats ? boats->size() : 0;
}

// The program itself, on its own data folder and port; it must not outlive a test program
// that is killed halfway.
class ServerProcess {
public:
    ServerProcess(const std::string& dataDir, int port)
    {
        std::vector<std::string> arguments = { TIDEWAKE_SERVER_BINARY, "--data", dataDir, "--port", std::to_string(port), "--boats", "2" };
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execv(argv[0], argv.data());
            _exit(127);
        }
        httplib::Client http("127.0.0.1", port);
        listening = waitUntil([&] { return static_cast<bool>(http.Get("/races?action=1")); }, std::chrono::seconds(60));
    }
    ~ServerProcess() { kill(SIGKILL); }

    // The wait status of the ended program.
    int kill(int signal)
    {
        int status = 0;
        if (pid > 0 && ::kill(pid, signal) == 0)
            waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }

    pid_t pid = -1;
    bool listening = false;
};

// Killed without warning and started again on the same folder, the program still has
// every account, session, boat and course it acknowledged, and makes no second set of
// computer boats.
TEST(PersistenceTest, KillingTheProgramLosesNothingAcknowledged)
{
    TempFolder dir;
    linkCoastCaches(dir.path());
    int port = freePorts(1);
    GameClient client(port);
    size_t boats = 0;
    {
        ServerProcess server(dir.path().string(), port);
        ASSERT_TRUE(server.listening);
        EXPECT_EQ(client.signUp("kai%40example.org", "Kai"), "OK");
        client.table("/races?action=2&raceId=1");
        EXPECT_EQ(client.result("/boats?action=2&heading=200.5&sail=2&raceId=1"), "OK");
        boats = boatsIn(client);
    }
    ServerProcess server(dir.path().string(), port);
    ASSERT_TRUE(server.listening);
    RaceRecord record = client.races().at(0);
    EXPECT_EQ(std::tuple(record.id, record.own.sail, record.own.heading, record.own.nick, boatsIn(client)), std::tuple(1, 2, 200.5, "Kai", boats));
    GameClient fresh(port);
    EXPECT_EQ(fresh.result("/users?action=2&email=KAI%40example.org&password=secret1"), "OK");
    EXPECT_EQ(fresh.signUp("kai%40example.org"), "This e-mail address is already registered.");
    // A clean stop: a sanitizer's finding in the program (a leak at exit, a data race) would
    // change its exit status.
    int status = server.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace

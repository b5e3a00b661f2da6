#pragma once

#include "lobby/RaceRecord.h"
#include "server/Coastline.h"
#include "server/ServerInstance.h"
#include "support/TempFolder.h"
#include "table/Table.h"

#include <httplib.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

// Speaks to the server as the client does: plain GETs that carry the cookies learnt from
// earlier answers.
class GameClient {
public:
    explicit GameClient(int port, std::map<std::string, std::string> cookies = {})
        : cookies(std::move(cookies))
        , port(port)
    {
    }

    // The answer; its status is -1 when none came.
    httplib::Response get(const std::string& path);
    // The text inside the answer's "<result>" envelope.
    std::string result(const std::string& path);
    // The parsed table of a good answer; fails the test when the answer is not "OK".
    Table table(const std::string& path);
    RaceList races();
    // Registers with the password "secret1" and logs in; the server's answer.
    std::string signUp(const std::string& email, const std::string& nick = "Skipper");

    std::map<std::string, std::string> cookies;

private:
    int port;
};

// Where the coastline caches are built once for all test programs.
inline std::string coastCacheDir() { return TIDEWAKE_COAST_CACHE; }
// The coastline, loaded once for the whole test program.
const server::Coastline& sharedCoast();

// A server in-process on a free port with its own data folder, few computer boats,
// cheap password hashing and the forecast wind unless another is given.
class ServerHarness {
public:
    explicit ServerHarness(std::shared_ptr<const server::WindSource> wind = nullptr) { std::tie(config.dataDir, config.coastDir, config.robots, config.stepSeconds, config.fastHashing, config.wind) = std::tuple(dir.path().string(), coastCacheDir(), 3, 0.2, true, wind); }

    void start();

    int port() const { return boundPort; }
    GameClient client() const { return GameClient(boundPort); }
    // Registers a player and returns a client logged in as them.
    GameClient player(const std::string& email, const std::string& nick = "Skipper");
    const TempFolder& dataDir() const { return dir; }

private:
    TempFolder dir { "tidewake-server-test" };
    server::GameConfig config;
    std::unique_ptr<server::ServerInstance> instance;
    int boundPort = -1;
};

// The text of a good answer after its "OK, ".
inline std::string answerBody(const std::string& result) { return result.size() > 3 ? result.substr(3) : std::string(); }

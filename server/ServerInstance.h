#pragma once

#include "server/GameServer.h"
#include "server/HttpApi.h"
#include "server/HttpListener.h"
#include "server/RaceImages.h"
#include "server/TileService.h"

#include <memory>
#include <string>

namespace server {

// A whole running server: the game, the tiles and pictures, and the HTTP listener with
// its threads. The program runs one; tests start theirs on a free port.
class ServerInstance {
public:
    explicit ServerInstance(GameConfig config);
    ~ServerInstance();
    ServerInstance(const ServerInstance&) = delete;
    ServerInstance& operator=(const ServerInstance&) = delete;

    // Binds (port 0 picks a free one), starts the simulation and the listener; returns
    // the port, or -1 when the address cannot be bound.
    int start(const std::string& address, int port);
    void stop();

    GameServer& game() { return *gameServer; }
    int port() const { return boundPort; }

private:
    std::unique_ptr<GameServer> gameServer;
    std::unique_ptr<TileService> tiles;
    std::unique_ptr<RaceImages> images;
    std::unique_ptr<HttpApi> api;
    HttpListener http;
    int boundPort = -1;
};

} // namespace server

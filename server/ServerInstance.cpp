#include "server/ServerInstance.h"

namespace server {

namespace {

HttpListenerOptions listenerOptions(const GameConfig& config)
{
    HttpListenerOptions options;
    options.workers = config.httpThreads;
    return options;
}

}

ServerInstance::ServerInstance(GameConfig config)
    : gameServer(std::make_unique<GameServer>(config))
    , tiles(std::make_unique<TileService>(gameServer->coastline(), gameServer->config().dataDir, gameServer->config().tileCacheBytes))
    , images(std::make_unique<RaceImages>(gameServer->coastline(), gameServer->config().dataDir))
    , api(std::make_unique<HttpApi>(*gameServer, *tiles, *images))
    , http(
          listenerOptions(gameServer->config()), [this](const HttpRequest& request) { return api->answer(request); }, &HttpApi::slow)
{
}

ServerInstance::~ServerInstance()
{
    stop();
}

int ServerInstance::start(const std::string& address, int port)
{
    boundPort = http.start(address, port);
    if (boundPort < 0)
        return -1;
    gameServer->startSimulation();
    return boundPort;
}

void ServerInstance::stop()
{
    http.stop();
    gameServer->stopSimulation();
}

} // namespace server

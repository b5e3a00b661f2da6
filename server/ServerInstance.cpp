#include "server/ServerInstance.h"

namespace server {

ServerInstance::ServerInstance(GameConfig config)
    : gameServer(std::make_unique<GameServer>(config))
    , tiles(std::make_unique<TileService>(gameServer->coastline(), gameServer->config().dataDir, gameServer->config().tileCacheBytes))
    , images(std::make_unique<RaceImages>(gameServer->coastline(), gameServer->config().dataDir))
    , api(std::make_unique<HttpApi>(*gameServer, *tiles, *images))
{
    api->install(http);
    // The listener serves each open connection with a thread of its pool for as long as
    // the connection lives, so the pool bounds how many players are served at once.
    size_t threads = gameServer->config().httpThreads;
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Query strings of the race interface are short; anything long is hostile.
    http.set_payload_max_length(64 * 1024);
    http.set_read_timeout(10, 0);
    // Headers and body go out in separate writes; without this, Nagle's algorithm and the
    // peer's delayed acknowledgement hold every small answer back by tens of milliseconds.
    http.set_tcp_nodelay(true);
    http.set_keep_alive_max_count(1000);
    http.set_write_timeout(10, 0);
}

ServerInstance::~ServerInstance()
{
    stop();
}

int ServerInstance::start(const std::string& address, int port)
{
    boundPort = port == 0 ? http.bind_to_any_port(address.c_str()) : (http.bind_to_port(address.c_str(), port) ? port : -1);
    if (boundPort < 0)
        return -1;
    gameServer->startSimulation();
    listener = std::thread([this] { http.listen_after_bind(); });
    return boundPort;
}

void ServerInstance::stop()
{
    http.stop();
    if (listener.joinable())
        listener.join();
    gameServer->stopSimulation();
}

} // namespace server

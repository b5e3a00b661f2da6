#include "support/LocalHttpServer.h"

#include <chrono>
#include <stdexcept>

LocalHttpServer::~LocalHttpServer()
{
    stop();
}

void LocalHttpServer::start()
{
    // One request per connection: a kept-alive connection would hold stop() for the whole
    // keep-alive timeout.
    server.set_keep_alive_max_count(1);
    port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0)
        throw std::runtime_error("cannot bind a local HTTP port");
    thread = std::thread([this] { server.listen_after_bind(); });
    // stop() before the listening loop has begun would be lost and leave join() waiting.
    for (int waited = 0; !server.is_running() && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LocalHttpServer::stop()
{
    if (thread.joinable()) {
        server.stop();
        thread.join();
    }
}

std::string LocalHttpServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port);
}

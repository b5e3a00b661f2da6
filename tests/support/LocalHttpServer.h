#pragma once

#include <httplib.h>

#include <string>
#include <thread>

// A real HTTP server on 127.0.0.1 and an ephemeral port, for tests of the network code.
// Register handlers on `server` before start().
class LocalHttpServer {
public:
    LocalHttpServer() = default;
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void start();
    void stop();
    // "http://127.0.0.1:PORT", without a trailing slash.
    std::string baseUrl() const;

    httplib::Server server;
    int port = 0;

private:
    std::thread thread;
};

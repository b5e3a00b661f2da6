// How long the download thread takes to deliver a burst of small answers from a server
// on 127.0.0.1, as the race screen and the image registry queue them.
#include "net/Downloader.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A minimal keep-alive HTTP server answering every GET with the same small body. Its
// listen backlog is large, so a burst of connections is not slowed by SYN retries.
class SmallAnswerServer {
public:
    SmallAnswerServer()
        : listener(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0
            || listen(listener, 512) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        port = ntohs(address.sin_port);
        acceptor = std::thread([this] { acceptConnections(); });
    }

    ~SmallAnswerServer()
    {
        shutdown(listener, SHUT_RDWR);
        acceptor.join();
        close(listener);
        {
            std::lock_guard<std::mutex> hold(mutex);
            for (int connection : connections)
                shutdown(connection, SHUT_RDWR);
        }
        for (std::thread& worker : workers)
            worker.join();
        for (int connection : connections)
            close(connection);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/races?action=5&raceId=1"; }

private:
    void acceptConnections()
    {
        for (int connection; (connection = accept(listener, nullptr, nullptr)) >= 0;) {
            std::lock_guard<std::mutex> hold(mutex);
            connections.push_back(connection);
            workers.emplace_back([this, connection] { serve(connection); });
        }
    }

    // Answers each request on the connection until the client closes it; the
    // destructor closes the socket.
    void serve(int connection)
    {
        static const std::string body = "<result>OK\nlat 47.1\nlon -3.2\nspeed 7.5\n</result>";
        static const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
            + std::to_string(body.size()) + "\r\n\r\n" + body;
        std::string received;
        char buffer[4096];
        for (ssize_t count; (count = read(connection, buffer, sizeof buffer)) > 0;) {
            received.append(buffer, size_t(count));
            for (size_t end; (end = received.find("\r\n\r\n")) != std::string::npos;) {
                received.erase(0, end + 4);
                if (write(connection, answer.data(), answer.size()) != ssize_t(answer.size()))
                    return;
            }
        }
    }

    int listener;
    int port = 0;
    std::thread acceptor;
    std::mutex mutex;
    std::vector<int> connections;
    std::vector<std::thread> workers;
};

void downloadBurst(benchmark::State& state)
{
    SmallAnswerServer server;
    Downloader client;
    client.startThread();
    std::string url = server.url();
    int size = int(state.range(0));
    for (auto _ : state) {
        std::vector<int> ids;
        for (int i = 0; i < size; ++i)
            ids.push_back(client.download(url, RaceRequest, nullptr));
        size_t collected = 0;
        while (collected < ids.size()) {
            Answer answer;
            for (int id : ids) {
                if (client.pollById(id, answer)) {
                    if (answer.status != 0)
                        state.SkipWithError("a download failed");
                    ++collected;
                }
            }
            SDL_Delay(1);
        }
    }
    client.stop();
    client.waitThread();
    state.SetItemsProcessed(state.iterations() * size);
}

}

BENCHMARK(downloadBurst)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

#pragma once

#include "server/HttpExchange.h"
#include "server/WorkerPool.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

struct MHD_Daemon;
struct MHD_Connection;

namespace server {

struct HttpListenerOptions {
    // Threads that wait on the sockets (poll) and give the fast answers; 0 means one per
    // processor.
    unsigned eventThreads = 0;
    // Threads that give the slow answers.
    size_t workers = 8;
    // A keep-alive connection that sends nothing for this long is closed.
    unsigned idleSeconds = 30;
    // A request must have arrived whole this long after it began (after the connection
    // opened, for the first one); the connection is closed otherwise.
    std::chrono::milliseconds requestDeadline { 10000 };
};

// An event-driven HTTP/1.1 server on libmicrohttpd: a few threads serve every open
// connection, answer fast requests at once and hand slow ones to a worker pool while their
// connection waits, suspended, without holding a thread.
class HttpListener {
public:
    using Answer = std::function<HttpResponse(const HttpRequest&)>;
    using IsSlow = std::function<bool(const HttpRequest&)>;

    // `answer` must not throw; it runs on a worker for requests that `slow` names.
    HttpListener(HttpListenerOptions options, Answer answer, IsSlow slow);
    ~HttpListener();
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Listens on the address (port 0 picks a free one); returns the port, or -1 when the
    // address cannot be bound.
    int start(const std::string& address, int port);
    // Finishes the slow answers under way, then closes every connection.
    void stop();

private:
    struct Connection;
    struct Callbacks;
    struct DaemonStop {
        void operator()(MHD_Daemon* daemon) const;
    };

    void closeOverdue();
    void watchDeadlines();

    HttpListenerOptions options;
    Answer answer;
    IsSlow slow;
    WorkerPool workers;
    std::mutex connectionsLock;
    std::unordered_map<MHD_Connection*, std::unique_ptr<Connection>> connections;
    std::mutex watchLock;
    std::condition_variable watchWake;
    bool stopping = false;
    std::thread watcher;
    std::unique_ptr<MHD_Daemon, DaemonStop> daemon;
};

} // namespace server

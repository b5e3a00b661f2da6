#pragma once

#include <httplib.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

// What the server saw of one request.
struct SeenRequest {
    std::string path;
    // The path with its query, as the client sent it.
    std::string target;
    httplib::Params params;
    httplib::Headers headers;

    // The first value of the query parameter, or "" when there is none.
    std::string param(const std::string& key) const { return params.count(key) ? params.find(key)->second : ""; }
};

struct Reply {
    Reply(std::string body = {}, int status = 200, std::string contentType = "text/plain")
        : body(std::move(body))
        , status(status)
        , contentType(std::move(contentType))
    {
    }

    std::string body;
    int status;
    std::string contentType;
    // Extra headers, such as Set-Cookie or Location.
    httplib::Headers headers;
    // Announces one byte more than the body, sends the body and closes the connection:
    // a transfer cut short.
    bool cutShort = false;
};

// A real HTTP server on 127.0.0.1 and a free port that answers GET requests with canned
// replies and records every request it receives. Routes are regular expressions matched
// against the whole path; the route added last wins, so a catch-all ".*" added first
// serves as the default. A path no route matches gets 404. Everything may be changed
// while the server runs.
class RecordingServer {
public:
    using Handler = std::function<Reply(const SeenRequest&)>;

    RecordingServer();
    // Lets held answers go, then stops serving before the handlers' captures go away.
    ~RecordingServer();
    RecordingServer(const RecordingServer&) = delete;
    RecordingServer& operator=(const RecordingServer&) = delete;

    void answer(const std::string& route, Reply reply);
    void answer(const std::string& route, Handler handler);

    // Answers to paths matching the pattern wait from now on, after being recorded, until
    // release() or for at most ten seconds.
    void hold(const std::string& pattern);
    void release();

    std::vector<SeenRequest> requests() const;
    // How many requests arrived whose target begins with the prefix.
    size_t count(const std::string& targetPrefix = "") const;
    // Waits until that many such requests arrived; false when time ran out.
    bool waitForRequests(size_t wanted, const std::string& targetPrefix = "") const;

    // "http://127.0.0.1:PORT", without a trailing slash.
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(boundPort); }

private:
    struct Route {
        std::regex pattern;
        Handler handler;
    };

    void serve(const httplib::Request& request, httplib::Response& response);

    httplib::Server http;
    std::thread thread;
    int boundPort = 0;
    mutable std::mutex mutex;
    std::condition_variable released;
    std::vector<Route> routes;
    std::vector<SeenRequest> seen;
    std::optional<std::regex> held;
};

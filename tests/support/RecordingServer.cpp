#include "support/RecordingServer.h"

#include "support/WaitUntil.h"

#include <stdexcept>

std::string SeenRequest::param(const std::string& key) const
{
    auto found = params.find(key);
    return found == params.end() ? std::string() : found->second;
}

RecordingServer::RecordingServer()
{
    // One request per connection: a kept-alive connection would hold stop() for the whole
    // keep-alive timeout.
    http.set_keep_alive_max_count(1);
    http.Get(".*", [this](const httplib::Request& request, httplib::Response& response) { serve(request, response); });
    boundPort = http.bind_to_any_port("127.0.0.1");
    if (boundPort <= 0)
        throw std::runtime_error("cannot bind a local HTTP port");
    thread = std::thread([this] { http.listen_after_bind(); });
    // A stop() before the listening loop has begun would be lost and leave join() waiting.
    waitUntil([this] { return http.is_running(); });
}

RecordingServer::~RecordingServer()
{
    release();
    stop();
}

void RecordingServer::answer(const std::string& route, Reply reply)
{
    answer(route, [reply](const SeenRequest&) { return reply; });
}

void RecordingServer::answer(const std::string& route, Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    routes.push_back({ std::regex(route), std::move(handler) });
}

void RecordingServer::hold(const std::string& pattern)
{
    std::lock_guard<std::mutex> lock(mutex);
    held = std::regex(pattern);
}

void RecordingServer::release()
{
    std::lock_guard<std::mutex> lock(mutex);
    held.reset();
    released.notify_all();
}

std::vector<SeenRequest> RecordingServer::requests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

size_t RecordingServer::count(const std::string& targetPrefix) const
{
    std::lock_guard<std::mutex> lock(mutex);
    size_t found = 0;
    for (const SeenRequest& request : seen)
        found += request.target.compare(0, targetPrefix.size(), targetPrefix) == 0;
    return found;
}

bool RecordingServer::waitForRequests(size_t wanted, const std::string& targetPrefix) const
{
    return waitUntil([&] { return count(targetPrefix) >= wanted; });
}

std::string RecordingServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(boundPort);
}

void RecordingServer::stop()
{
    if (thread.joinable()) {
        http.stop();
        thread.join();
    }
}

void RecordingServer::serve(const httplib::Request& request, httplib::Response& response)
{
    SeenRequest seenRequest { request.path, request.target, request.params, request.headers };
    Reply reply = replyTo(seenRequest);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        response.set_header(name, value);
    std::string body = std::move(reply.body);
    if (!reply.cutShort)
        return response.set_content(body, reply.contentType);
    response.set_content_provider(body.size() + 1, reply.contentType, [body](size_t offset, size_t, httplib::DataSink& sink) {
        return offset < body.size() && sink.write(body.data() + offset, body.size() - offset);
    });
}

// Records the request, waits while it is held, and asks the route added last that
// matches its path for the reply.
Reply RecordingServer::replyTo(SeenRequest& request)
{
    Handler handler;
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (auto route = routes.rbegin(); route != routes.rend() && !handler; ++route)
            if (std::regex_match(request.path, route->pattern))
                handler = route->handler;
        seen.push_back(request);
        released.wait_for(lock, std::chrono::seconds(10), [&] { return !held || !std::regex_match(request.path, *held); });
    }
    return handler ? handler(request) : Reply("Not found", 404);
}

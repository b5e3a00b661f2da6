#include "support/RecordingServer.h"

#include "support/WaitUntil.h"

#include <algorithm>
#include <stdexcept>

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
    http.stop();
    thread.join();
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
    return std::count_if(seen.begin(), seen.end(), [&](const SeenRequest& request) { return request.target.compare(0, targetPrefix.size(), targetPrefix) == 0; });
}

bool RecordingServer::waitForRequests(size_t wanted, const std::string& targetPrefix) const
{
    return waitUntil([&] { return count(targetPrefix) >= wanted; });
}

// Records the request, waits while it is held, and answers with what the route added last
// that matches its path replies.
void RecordingServer::serve(const httplib::Request& request, httplib::Response& response)
{
    SeenRequest seenRequest { request.path, request.target, request.params, request.headers };
    Handler handler;
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (auto route = routes.rbegin(); route != routes.rend() && !handler; ++route)
            if (std::regex_match(request.path, route->pattern))
                handler = route->handler;
        seen.push_back(seenRequest);
        released.wait_for(lock, std::chrono::seconds(10), [&] { return !held || !std::regex_match(request.path, *held); });
    }
    Reply reply = handler ? handler(seenRequest) : Reply("Not found", 404);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        response.set_header(name, value);
    if (!reply.cutShort)
        return response.set_content(reply.body, reply.contentType);
    response.set_content_provider(reply.body.size() + 1, reply.contentType, [body = reply.body](size_t offset, size_t, httplib::DataSink& sink) {
        return offset < body.size() && sink.write(body.data() + offset, body.size() - offset);
    });
}

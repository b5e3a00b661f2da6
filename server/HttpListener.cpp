#include "server/HttpListener.h"

#include <microhttpd.h>
#include <netdb.h>

#include <arpa/inet.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <optional>

namespace server {

namespace {

constexpr int64_t never = INT64_MAX;

int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct AddressListFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

struct ResponseFree {
    void operator()(MHD_Response* response) const { MHD_destroy_response(response); }
};

// As many connections as the open-file limit leaves room for, with some kept for the
// database, the caches and the coastline files.
unsigned connectionLimit()
{
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1000;
    return static_cast<unsigned>(std::clamp<rlim_t>(limit.rlim_cur, 128, 1000000) - 64);
}

std::string addressText(const sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address && address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    else if (address && address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
    return text;
}

MHD_Result collect(void* fields, MHD_ValueKind, const char* key, const char* value)
{
    static_cast<HttpFields*>(fields)->emplace_back(key, value ? value : "");
    return MHD_YES;
}

HttpRequest readRequest(MHD_Connection* connection, const char* url, const char* method, size_t targetLength)
{
    HttpRequest request;
    request.method = method;
    request.path = url;
    request.targetLength = targetLength;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collect, &request.query);
    MHD_get_connection_values(connection, MHD_HEADER_KIND, collect, &request.headers);
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    request.remoteAddress = addressText(info ? info->client_addr : nullptr);
    return request;
}

MHD_Result send(MHD_Connection* connection, const HttpResponse& answer)
{
    std::unique_ptr<MHD_Response, ResponseFree> response(
        MHD_create_response_from_buffer(answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY));
    if (!response)
        return MHD_NO;
    bool ok = answer.contentType.empty() || MHD_add_response_header(response.get(), "Content-Type", answer.contentType.c_str()) == MHD_YES;
    for (const auto& [name, value] : answer.headers)
        ok = ok && MHD_add_response_header(response.get(), name.c_str(), value.c_str()) == MHD_YES;
    return ok ? MHD_queue_response(connection, static_cast<unsigned>(answer.status), response.get()) : MHD_NO;
}

}

// What the listener knows of one open connection. `deadline` is read by the watcher; the
// rest only by the event thread that serves the connection, and by the worker that holds
// it suspended.
struct HttpListener::Connection {
    Connection(int socket, int64_t deadline)
        : socket(socket)
        , deadline(deadline)
    {
        peerSize = sizeof peer;
        if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
            peerSize = 0;
    }

    // Whether the socket still joins this connection's two ends, and not those of a later
    // connection that was given the same descriptor.
    bool samePeer() const
    {
        sockaddr_storage now {};
        socklen_t size = sizeof now;
        return peerSize > 0 && getpeername(socket, reinterpret_cast<sockaddr*>(&now), &size) == 0 && size == peerSize
            && std::memcmp(&now, &peer, size) == 0;
    }

    enum class Phase { Idle,
        Reading,
        Received,
        Working };
    const int socket;
    std::atomic<int64_t> deadline;
    Phase phase = Phase::Idle;
    size_t targetLength = 0;
    std::optional<HttpResponse> response;
    sockaddr_storage peer {};
    socklen_t peerSize = 0;
};

// libmicrohttpd's callbacks; `cls` is always the listener.
struct HttpListener::Callbacks {
    static void connectionEvent(void* cls, MHD_Connection* connection, void** context, MHD_ConnectionNotificationCode code)
    {
        auto* listener = static_cast<HttpListener*>(cls);
        std::lock_guard<std::mutex> lock(listener->connectionsLock);
        if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            listener->connections.erase(connection);
            return;
        }
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        auto state = std::make_unique<Connection>(info ? info->connect_fd : -1, nowMs() + listener->options.requestDeadline.count());
        *context = state.get();
        listener->connections[connection] = std::move(state);
    }

    // Called once the request line is in; what it returns is the request's context.
    static void* requestBegun(void* cls, const char* uri, MHD_Connection* connection)
    {
        auto* listener = static_cast<HttpListener*>(cls);
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        auto* state = info ? static_cast<Connection*>(info->socket_context) : nullptr;
        if (state) {
            state->phase = Connection::Phase::Reading;
            state->targetLength = std::strlen(uri);
            state->deadline = nowMs() + listener->options.requestDeadline.count();
        }
        return state;
    }

    // The next request may wait for the idle timeout, then must arrive within the deadline.
    static void requestEnded(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode)
    {
        auto* listener = static_cast<HttpListener*>(cls);
        auto* state = static_cast<Connection*>(*context);
        if (!state)
            return;
        state->phase = Connection::Phase::Idle;
        state->response.reset();
        state->deadline = nowMs() + listener->options.idleSeconds * 1000LL + listener->options.requestDeadline.count();
    }

    // Query values are form-encoded: a plus stands for a blank.
    static size_t unescape(void*, MHD_Connection*, char* text)
    {
        std::replace(text, text + std::strlen(text), '+', ' ');
        return MHD_http_unescape(text);
    }

    static MHD_Result handle(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*, const char*,
        size_t* uploadSize, void** context)
    {
        auto* listener = static_cast<HttpListener*>(cls);
        auto* state = static_cast<Connection*>(*context);
        if (!state)
            return MHD_NO;
        // Request bodies mean nothing to this server: they are read and dropped.
        if (*uploadSize != 0) {
            *uploadSize = 0;
            return MHD_YES;
        }
        if (state->phase == Connection::Phase::Reading) {
            state->phase = Connection::Phase::Received;
            return MHD_YES;
        }
        if (state->phase == Connection::Phase::Received) {
            state->deadline = never;
            HttpRequest request = readRequest(connection, url, method, state->targetLength);
            if (!listener->slow(request))
                return send(connection, listener->answer(request));
            state->phase = Connection::Phase::Working;
            MHD_suspend_connection(connection);
            listener->workers.post([listener, state, connection, request = std::move(request)] {
                state->response = listener->answer(request);
                MHD_resume_connection(connection);
            });
            return MHD_YES;
        }
        return state->response ? send(connection, *state->response) : MHD_YES;
    }
};

void HttpListener::DaemonStop::operator()(MHD_Daemon* daemon) const
{
    MHD_stop_daemon(daemon);
}

HttpListener::HttpListener(HttpListenerOptions options, Answer answer, IsSlow slow)
    : options(options)
    , answer(std::move(answer))
    , slow(std::move(slow))
    , workers(std::max<size_t>(options.workers, 1))
{
}

HttpListener::~HttpListener()
{
    stop();
}

int HttpListener::start(const std::string& address, int port)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    std::unique_ptr<addrinfo, AddressListFree> addresses(found);
    unsigned threads = options.eventThreads ? options.eventThreads : std::max(1u, std::thread::hardware_concurrency());
    // Level-triggered poll: in edge-triggered epoll mode this libmicrohttpd now and then left a
    // keep-alive client's next request unread.
    unsigned flags = MHD_USE_POLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | (found->ai_family == AF_INET6 ? MHD_USE_IPv6 : 0);
    daemon.reset(MHD_start_daemon(flags, static_cast<uint16_t>(port), nullptr, nullptr, &Callbacks::handle, this,
        MHD_OPTION_SOCK_ADDR, found->ai_addr,
        MHD_OPTION_THREAD_POOL_SIZE, threads,
        MHD_OPTION_CONNECTION_LIMIT, connectionLimit(),
        MHD_OPTION_CONNECTION_TIMEOUT, options.idleSeconds,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t { 64 * 1024 },
        MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::connectionEvent, this,
        MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::requestBegun, this,
        MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::requestEnded, this,
        MHD_OPTION_UNESCAPE_CALLBACK, &Callbacks::unescape, this,
        MHD_OPTION_END));
    const MHD_DaemonInfo* info = daemon ? MHD_get_daemon_info(daemon.get(), MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    if (!info) {
        daemon.reset();
        return -1;
    }
    watcher = std::thread([this] { watchDeadlines(); });
    return info->port;
}

void HttpListener::stop()
{
    if (!daemon)
        return;
    // Every suspended connection must be resumed before the daemon may stop.
    workers.finish();
    {
        std::lock_guard<std::mutex> lock(watchLock);
        stopping = true;
    }
    watchWake.notify_all();
    if (watcher.joinable())
        watcher.join();
    daemon.reset();
}

void HttpListener::watchDeadlines()
{
    auto period = std::clamp(options.requestDeadline / 4, std::chrono::milliseconds(20), std::chrono::milliseconds(1000));
    std::unique_lock<std::mutex> lock(watchLock);
    while (!watchWake.wait_for(lock, period, [this] { return stopping; }))
        closeOverdue();
}

// Shutting the socket down makes its event thread see the end of the stream and close the
// connection.
void HttpListener::closeOverdue()
{
    int64_t now = nowMs();
    std::lock_guard<std::mutex> lock(connectionsLock);
    for (auto& [connection, state] : connections) {
        if (state->deadline.load() < now && state->samePeer()) {
            state->deadline = never;
            shutdown(state->socket, SHUT_RDWR);
        }
    }
}

} // namespace server

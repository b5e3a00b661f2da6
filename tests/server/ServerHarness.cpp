#include "ServerHarness.h"

#include "base/Text.h"
#include "net/Protocol.h"
#include "server/Cairo.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <stdexcept>

GameClient::GameClient(int port)
    : port(port)
{
}

HttpReply GameClient::get(const std::string& path)
{
    httplib::Client http("127.0.0.1", port);
    http.set_read_timeout(30, 0);
    httplib::Headers headers;
    std::string cookieHeader;
    for (const auto& [name, value] : cookies)
        cookieHeader += (cookieHeader.empty() ? "" : "; ") + name + "=" + value;
    if (!cookieHeader.empty())
        headers.emplace("Cookie", cookieHeader);
    auto response = http.Get(path.c_str(), headers);
    if (!response)
        return {};
    auto [from, to] = response->headers.equal_range("Set-Cookie");
    for (auto it = from; it != to; ++it) {
        std::string pair = it->second.substr(0, it->second.find(';'));
        size_t equals = pair.find('=');
        if (equals != std::string::npos)
            cookies[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
    return { response->status, response->body, response->get_header_value("Content-Type") };
}

std::string GameClient::result(const std::string& path)
{
    return extractResult(get(path).body);
}

std::string answerBody(const std::string& result)
{
    return result.size() > 3 ? result.substr(3) : std::string();
}

Table GameClient::table(const std::string& path)
{
    std::string text = result(path);
    EXPECT_TRUE(startsWith(text, "OK")) << path << " answered: " << text;
    return parseTable(answerBody(text));
}

std::string coastCacheDir()
{
    return TIDEWAKE_COAST_CACHE;
}

ServerHarness::ServerHarness()
{
    config.dataDir = dir.path().string();
    config.coastDir = coastCacheDir();
    config.robots = 3;
    config.stepSeconds = 0.2;
    config.fastHashing = true;
}

void ServerHarness::start()
{
    instance = std::make_unique<server::ServerInstance>(config);
    boundPort = instance->start("127.0.0.1", 0);
    if (boundPort <= 0)
        throw std::runtime_error("the server could not bind a port");
}

GameClient ServerHarness::player(const std::string& email, const std::string& nick)
{
    GameClient client(boundPort);
    std::string answer = client.result("/users?action=1&autoLogin=1&email=" + email + "&password=secret1&nick=" + nick);
    EXPECT_EQ(answer, "OK");
    return client;
}

namespace {

// The race pictures' font caches live as long as the process; they are given back once
// every test has run, so that the leak check at exit sees only real leaks.
class FontCacheRelease : public testing::Environment {
public:
    void TearDown() override { server::releaseFontCaches(); }
};

const testing::Environment* const fontCacheRelease = testing::AddGlobalTestEnvironment(new FontCacheRelease);

} // namespace

#include "ServerHarness.h"

#include "base/Text.h"
#include "net/Protocol.h"
#include "server/Cairo.h"

#include <gtest/gtest.h>

#include <stdexcept>

httplib::Response GameClient::get(const std::string& path)
{
    httplib::Client http("127.0.0.1", port);
    http.set_read_timeout(30, 0);
    std::string cookieHeader;
    for (const auto& [name, value] : cookies)
        cookieHeader += (cookieHeader.empty() ? "" : "; ") + name + "=" + value;
    auto response = cookieHeader.empty() ? http.Get(path.c_str()) : http.Get(path.c_str(), { { "Cookie", cookieHeader } });
    if (!response)
        return httplib::Response();
    for (auto [it, end] = response->headers.equal_range("Set-Cookie"); it != end; ++it) {
        std::string pair = it->second.substr(0, it->second.find(';'));
        if (size_t equals = pair.find('='); equals != std::string::npos)
            cookies[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
    return *response;
}

std::string GameClient::result(const std::string& path)
{
    return extractResult(get(path).body);
}

Table GameClient::table(const std::string& path)
{
    std::string text = result(path);
    EXPECT_TRUE(startsWith(text, "OK")) << path << " answered: " << text;
    return parseTable(answerBody(text));
}

RaceList GameClient::races()
{
    return parseRaceList(answerBody(result("/races?action=1")));
}

std::string GameClient::signUp(const std::string& email, const std::string& nick)
{
    return result("/users?action=1&autoLogin=1&email=" + email + "&password=secret1&nick=" + nick);
}

const server::Coastline& sharedCoast()
{
    static const server::Coastline coast(coastCacheDir());
    return coast;
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
    EXPECT_EQ(client.signUp(email, nick), "OK");
    return client;
}

// The race pictures' font caches live as long as the process; they are given back once
// every test has run, so that the leak check at exit sees only real leaks.
struct FontCacheRelease : testing::Environment {
    void TearDown() override { server::releaseFontCaches(); }
};
static const testing::Environment* const fontCacheRelease = testing::AddGlobalTestEnvironment(new FontCacheRelease);
